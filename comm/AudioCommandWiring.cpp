#include "comm/AudioCommandWiring.h"

#include "comm/AudioCommandRelay.h"
#include "comm/FileCopyCommand.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/WaveFileCopyToSdCommand.h"

namespace zel::qmix::comm {

void AudioCommandWiring::connectFileCopy(const QSharedPointer<FileCopyCommand>& command,
                                         const CommandConnections& connections,
                                         QObject* relayOwner) {
    connectCommand(command, connections, relayOwner, SIGNAL(progress(int, int)));
}

void AudioCommandWiring::connectWaveCommand(const QSharedPointer<WaveFileCopyToSdCommand>& command,
                                            const CommandConnections& connections,
                                            QObject* relayOwner) {
    connectCommand(command, connections, relayOwner, SIGNAL(progress2(int, int)));
}

void AudioCommandWiring::connectCommand(const QSharedPointer<FileCopyCommand>& command,
                                        const CommandConnections& connections, QObject* relayOwner,
                                        const char* progressSignal) {
    connectControls(command, connections, relayOwner);
    if (!connections.replies.isEmpty()) {
        connections.replies.connect(command.data());
        return;
    }
    const FileCopyCommand* sender = command.data();
    KeyboardCommunicator::connectChecked(sender, SIGNAL(started(QVariant)), connections.receiver,
                                         connections.startedSlot);
    KeyboardCommunicator::connectChecked(sender, SIGNAL(finished(QVariant)), connections.receiver,
                                         connections.finishedSlot);
    KeyboardCommunicator::connectChecked(sender, progressSignal, connections.receiver,
                                         connections.progressSlot);
}

void AudioCommandWiring::connectControls(const QSharedPointer<FileCopyCommand>& command,
                                         const CommandConnections& connections,
                                         QObject* relayOwner) {
    if (connections.controls.isValid()) {
        // Straight from the caller's thread: a conversion that runs for
        // minutes must hear a cancel at once.
        auto* relay = new AudioCommandRelay(command, relayOwner);
        QObject::connect(command.data(), &QObject::destroyed, relay, &QObject::deleteLater);
        connections.controls.connectCancel(
            relay, [relay] { relay->cancel(); }, Qt::DirectConnection);
        connections.controls.connectSuspend(
            relay, [relay](bool suspended) { relay->setSuspended(suspended); },
            Qt::DirectConnection);
        return;
    }
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
