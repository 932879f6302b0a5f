#pragma once

#include "comm/CommandConnections.h"

#include <QSharedPointer>

class QObject;

namespace zel::qmix::comm {

class FileCopyCommand;
class WaveFileCopyToSdCommand;

// Connects a file command to the caller that queues it, the same way for the
// communicator's register operations and for front ends that run file
// commands without a keyboard. Cancel and suspend reach the command directly,
// from the caller's thread, through a relay owned by `relayOwner`.
class AudioCommandWiring {
public:
    // started, finished(QVariant) and progress(int, int) in bytes.
    static void connectFileCopy(const QSharedPointer<FileCopyCommand>& command,
                                const CommandConnections& connections, QObject* relayOwner);
    // started, finished(QVariant) and progress2(int, int) as the overall
    // percentage; suspension also pauses the running conversion.
    static void connectWaveCommand(const QSharedPointer<WaveFileCopyToSdCommand>& command,
                                   const CommandConnections& connections, QObject* relayOwner);

private:
    // The string form's progress signal differs: bytes copied, or percent.
    static void connectCommand(const QSharedPointer<FileCopyCommand>& command,
                               const CommandConnections& connections, QObject* relayOwner,
                               const char* progressSignal);
    static void connectControls(const QSharedPointer<FileCopyCommand>& command,
                                const CommandConnections& connections, QObject* relayOwner);
};

} // namespace zel::qmix::comm
