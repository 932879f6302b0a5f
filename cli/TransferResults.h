#pragma once

#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommandResult.h"

#include <QVariant>

namespace zel::qmix::cli {

// The results of transfers as their finished() signal carries them. A
// command that ended before it could build its result (a parameter request
// that timed out, for instance) reports an empty variant; that is a failed
// exchange with the keyboard, not a cancellation.
class TransferResults {
public:
    static comm::BulkReceiveCommandResult receiveResult(const QVariant& result);
    static comm::BulkSendCommandResult sendResult(const QVariant& result);
};

} // namespace zel::qmix::cli
