#pragma once

#include <QMetaType>
#include <QString>

namespace zel::qmix::comm {

// What a send tells the progress display when it starts.
struct BulkSendCommandInfo {
    QString name; // display name of the data
    int category = 0;
    int areaNumber = 0;

    friend bool operator==(const BulkSendCommandInfo& a, const BulkSendCommandInfo& b) {
        return a.name == b.name && a.category == b.category && a.areaNumber == b.areaNumber;
    }
};

} // namespace zel::qmix::comm

Q_DECLARE_METATYPE(zel::qmix::comm::BulkSendCommandInfo)
