#include "comm/CommandRelay.h"

#include "comm/AbstractCommand.h"

namespace zel::qmix::comm {

CommandRelay::CommandRelay(const QWeakPointer<AbstractCommand>& command, QObject* parent)
    : QObject(parent)
    , command_(command) {}

void CommandRelay::cancel() {
    if (const QSharedPointer<AbstractCommand> command = command_.toStrongRef())
        command->cancel();
}

void CommandRelay::setSuspended(bool suspended) {
    if (const QSharedPointer<AbstractCommand> command = command_.toStrongRef())
        command->setSuspended(suspended);
}

} // namespace zel::qmix::comm
