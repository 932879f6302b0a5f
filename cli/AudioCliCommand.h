#pragma once

#include "cli/CliCommand.h"
#include "comm/FileCopyCommandResult.h"

#include <QSharedPointer>

namespace zel::qmix::comm {
class WaveFileCopyToSdCommand;
}

namespace zel::qmix::cli {

class Interrupt;

// A command that works on audio files and the SD card's audio folder, without
// a keyboard. Its conversions run as the desktop program runs them: as file
// commands on a communication thread, with the progress line and Ctrl-C as
// the Cancel button; a command that was interrupted ends with the interrupt
// status once its file command has ended.
class AudioCliCommand : public CliCommand {
public:
    int run(const QStringList& arguments, const GlobalOptions& options) override;

protected:
    // The words after the command's name; returns the exit status.
    virtual int runAudio(const QStringList& arguments) = 0;

    // Runs the command to its end under `title` and returns its result.
    comm::FileCopyCommandResult
    runFileCommand(QSharedPointer<comm::WaveFileCopyToSdCommand> command, const QString& title);

    // As for every command, except that a Ctrl-C is reported once, as the
    // interruption it was.
    int reportCommandError(int code, const QString& detail = QString()) const;

private:
    Interrupt* interrupt_ = nullptr;
};

} // namespace zel::qmix::cli
