#include "comm/AudioCommandRelay.h"

#include "audio/WaveConverter.h"
#include "comm/FileCopyCommand.h"
#include "comm/WaveFileCopyToSdCommand.h"

namespace zel::qmix::comm {

AudioCommandRelay::AudioCommandRelay(const QWeakPointer<FileCopyCommand>& command, QObject* parent)
    : QObject(parent)
    , command_(command) {}

void AudioCommandRelay::cancel() {
    if (const QSharedPointer<FileCopyCommand> command = command_.toStrongRef())
        command->cancel();
}

void AudioCommandRelay::setSuspended(bool suspended) {
    const QSharedPointer<FileCopyCommand> command = command_.toStrongRef();
    if (!command)
        return;
    if (auto* conversion = qobject_cast<WaveFileCopyToSdCommand*>(command.data()))
        conversion->converter()->suspendChangeRequired(suspended);
    command->setSuspended(suspended);
}

} // namespace zel::qmix::comm
