#include "comm/CommandControlSource.h"

namespace zel::qmix::comm {

void CommandControlSource::connectCancel(QObject* context, CancelHandler handler,
                                         Qt::ConnectionType type) const {
    if (cancel_)
        cancel_(context, std::move(handler), type);
}

void CommandControlSource::connectSuspend(QObject* context, SuspendHandler handler,
                                          Qt::ConnectionType type) const {
    if (suspend_)
        suspend_(context, std::move(handler), type);
}

} // namespace zel::qmix::comm
