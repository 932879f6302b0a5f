#include "comm/KeyboardCommunicator.h"

#include "comm/AudioCommandWiring.h"
#include "comm/FileCopyCommand.h"
#include "comm/RecordedAudioExportCommand.h"
#include "comm/WaveFileCopyToSdCommand.h"

#include <QDir>

namespace zel::qmix::comm {

void KeyboardCommunicator::registerFileCopyCommand(const QString& sourcePath,
                                                   const QString& destinationFolder,
                                                   const QString& requestedName,
                                                   const QString& extension, qint64 byteLimit,
                                                   const QString& title,
                                                   const CommandConnections& connections) {
    const auto command = QSharedPointer<FileCopyCommand>::create(
        sourcePath, QDir(destinationFolder), requestedName, extension, byteLimit);
    command->setInfo(title);
    AudioCommandWiring::connectFileCopy(command, connections, this);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

void KeyboardCommunicator::registerWaveFileCopyToSdCommand(const QString& sourcePath,
                                                           const QString& cardAudioFolder,
                                                           int replacePosition, qint64 byteLimit,
                                                           const QString& title,
                                                           const CommandConnections& connections) {
    const auto command = QSharedPointer<WaveFileCopyToSdCommand>::create(
        sourcePath, QDir(cardAudioFolder), replacePosition, byteLimit);
    command->setInfo(title);
    AudioCommandWiring::connectWaveCommand(command, connections, this);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

void KeyboardCommunicator::registerRecordedAudioExportCommand(
    const QString& sourcePath, const QString& exportName, const QString& exportFolder,
    qint64 byteLimit, const QString& title, const CommandConnections& connections) {
    const auto command = QSharedPointer<RecordedAudioExportCommand>::create(
        sourcePath, exportName, QDir(exportFolder), byteLimit);
    command->setInfo(title);
    AudioCommandWiring::connectWaveCommand(command, connections, this);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

} // namespace zel::qmix::comm
