#pragma once

#include <QMetaType>

namespace zel::qmix::comm {

// How an area deletion ended.
struct AreaDeleteCommandResult {
    int category = 0;
    int areaNumber = 0;
    int errorCode = 0;

    friend bool operator==(const AreaDeleteCommandResult& a, const AreaDeleteCommandResult& b) {
        return a.category == b.category && a.areaNumber == b.areaNumber &&
               a.errorCode == b.errorCode;
    }
};

} // namespace zel::qmix::comm

Q_DECLARE_METATYPE(zel::qmix::comm::AreaDeleteCommandResult)
