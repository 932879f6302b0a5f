#pragma once

#include "comm/CommandErrorCode.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

namespace zel::qmix::comm {

// What a receive delivers. Default-constructed it is the failure value that
// every failed receive reports (category 0x31, area 0, no data); a result
// with `succeeded` set carries exactly the bytes the keyboard announced.
struct BulkReceiveCommandResult {
    static constexpr int FailureCategory = 0x31;

    bool succeeded = false;
    int category = FailureCategory;
    int areaNumber = 0;
    QByteArray data;
    QString name; // the area name read from the keyboard
    int errorCode = CommandErrorCode::Canceled;

    friend bool operator==(const BulkReceiveCommandResult& a, const BulkReceiveCommandResult& b) {
        return a.succeeded == b.succeeded && a.category == b.category &&
               a.areaNumber == b.areaNumber && a.data == b.data && a.name == b.name &&
               a.errorCode == b.errorCode;
    }
};

} // namespace zel::qmix::comm

Q_DECLARE_METATYPE(zel::qmix::comm::BulkReceiveCommandResult)
