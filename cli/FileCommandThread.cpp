#include "cli/FileCommandThread.h"

#include "comm/AudioCommandWiring.h"
#include "comm/CommunicationThread.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/WaveFileCopyToSdCommand.h"

namespace zel::qmix::cli {

FileCommandThread::FileCommandThread()
    : thread_(std::make_unique<comm::CommunicationThread>()) {
    thread_->start();
}

FileCommandThread::~FileCommandThread() {
    thread_->quit();
    thread_->wait();
}

void FileCommandThread::run(QSharedPointer<comm::WaveFileCopyToSdCommand> command,
                            const comm::CommandConnections& connections) {
    comm::AudioCommandWiring::connectWaveCommand(command, connections, &relays_);
    thread_->enqueue(command, comm::KeyboardCommunicator::TransferLevel);
    command.reset();
}

} // namespace zel::qmix::cli
