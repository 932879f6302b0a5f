#include "comm/CommandReplies.h"

namespace zel::qmix::comm {

void CommandReplies::connect(const AbstractCommand* command) const {
    for (const Connector& connector : connectors_) {
        const bool connected = bool(connector(command));
        if (!connected)
            qWarning("CommandReplies: a reply slot could not be connected");
        Q_ASSERT_X(connected, "CommandReplies::connect", "connection failed");
    }
}

} // namespace zel::qmix::comm
