#pragma once

#include <QMetaType>
#include <QString>

namespace zel::qmix::comm {

// What an area deletion tells the progress display when it starts.
struct AreaDeleteCommandInfo {
    QString name; // display name of the area
    int category = 0;
    int areaNumber = 0;

    friend bool operator==(const AreaDeleteCommandInfo& a, const AreaDeleteCommandInfo& b) {
        return a.name == b.name && a.category == b.category && a.areaNumber == b.areaNumber;
    }
};

} // namespace zel::qmix::comm

Q_DECLARE_METATYPE(zel::qmix::comm::AreaDeleteCommandInfo)
