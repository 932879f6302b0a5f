#pragma once

#include <QMetaType>

namespace zel::qmix::comm {

// How a send ended, and for which area. With the error code
// CommandErrorCode::ReplaceQuestion it is the subject handed to an overwrite
// checker instead.
struct BulkSendCommandResult {
    int errorCode = 0;
    int category = 0;
    int areaNumber = 0;

    friend bool operator==(const BulkSendCommandResult& a, const BulkSendCommandResult& b) {
        return a.errorCode == b.errorCode && a.category == b.category &&
               a.areaNumber == b.areaNumber;
    }
};

} // namespace zel::qmix::comm

Q_DECLARE_METATYPE(zel::qmix::comm::BulkSendCommandResult)
