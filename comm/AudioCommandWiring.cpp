#include "comm/AudioCommandWiring.h"

#include "comm/AudioCommandRelay.h"
#include "comm/FileCopyCommand.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/WaveFileCopyToSdCommand.h"

namespace zel::qmix::comm {

void AudioCommandWiring::connectFileCopy(const QSharedPointer<FileCopyCommand>& command,
                                         const CommandConnections& connections,
                                         QObject* relayOwner) {
    const FileCopyCommand* sender = command.data();
    KeyboardCommunicator::connectChecked(sender, SIGNAL(started(QVariant)), connections.receiver,
                                         connections.startedSlot);
    KeyboardCommunicator::connectChecked(sender, SIGNAL(finished(QVariant)), connections.receiver,
                                         connections.finishedSlot);
    KeyboardCommunicator::connectChecked(sender, SIGNAL(progress(int, int)), connections.receiver,
                                         connections.progressSlot);
    connectControls(command, connections, relayOwner);
}

void AudioCommandWiring::connectWaveCommand(const QSharedPointer<WaveFileCopyToSdCommand>& command,
                                            const CommandConnections& connections,
                                            QObject* relayOwner) {
    const WaveFileCopyToSdCommand* sender = command.data();
    KeyboardCommunicator::connectChecked(sender, SIGNAL(started(QVariant)), connections.receiver,
                                         connections.startedSlot);
    KeyboardCommunicator::connectChecked(sender, SIGNAL(finished(QVariant)), connections.receiver,
                                         connections.finishedSlot);
    KeyboardCommunicator::connectChecked(sender, SIGNAL(progress2(int, int)), connections.receiver,
                                         connections.progressSlot);
    connectControls(command, connections, relayOwner);
}

void AudioCommandWiring::connectControls(const QSharedPointer<FileCopyCommand>& command,
                                         const CommandConnections& connections,
                                         QObject* relayOwner) {
    const bool cancels = connections.cancelSource && connections.cancelSignal;
    const bool suspends = connections.suspendSource && connections.suspendSignal;
    if (!cancels && !suspends)
        return;
    auto* relay = new AudioCommandRelay(command, relayOwner);
    QObject::connect(command.data(), &QObject::destroyed, relay, &QObject::deleteLater);
    if (cancels)
        KeyboardCommunicator::connectChecked(connections.cancelSource, connections.cancelSignal,
                                             relay, SLOT(cancel()), Qt::DirectConnection);
    if (suspends)
        KeyboardCommunicator::connectChecked(connections.suspendSource, connections.suspendSignal,
                                             relay, SLOT(setSuspended(bool)), Qt::DirectConnection);
}

} // namespace zel::qmix::comm
