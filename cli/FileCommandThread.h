#pragma once

#include <QObject>
#include <QSharedPointer>

#include <memory>

namespace zel::qmix::comm {
class CommunicationThread;
class WaveFileCopyToSdCommand;
struct CommandConnections;
} // namespace zel::qmix::comm

namespace zel::qmix::cli {

// A communication thread for file commands only. The audio commands talk to
// no keyboard, so the command line runs them without a keyboard
// communicator: nothing searches, opens or even lists MIDI ports for a
// conversion. The commands are wired to the caller exactly as the
// communicator wires them for the desktop program.
class FileCommandThread {
public:
    FileCommandThread();
    // A command that is running completes first.
    ~FileCommandThread();
    FileCommandThread(const FileCommandThread&) = delete;
    FileCommandThread& operator=(const FileCommandThread&) = delete;

    // Queues the command; the thread holds the only reference from then on,
    // so that the command is deleted where it ran.
    void run(QSharedPointer<comm::WaveFileCopyToSdCommand> command,
             const comm::CommandConnections& connections);

private:
    std::unique_ptr<comm::CommunicationThread> thread_;
    // Owns the relays of Ctrl-C to the commands.
    QObject relays_;
};

} // namespace zel::qmix::cli
