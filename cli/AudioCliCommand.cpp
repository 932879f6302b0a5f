#include "cli/AudioCliCommand.h"

#include "audio/SamplingFormatConverter.h"
#include "cli/CommandSession.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/FileCommandThread.h"
#include "cli/Interrupt.h"
#include "comm/CommandErrorCode.h"
#include "comm/WaveFileCopyToSdCommand.h"
#include "etc/MessageTexts.h"

namespace zel::qmix::cli {

int AudioCliCommand::run(const QStringList& arguments, const GlobalOptions&) {
    // The converter's trace would mix with what scripts read.
    audio::SamplingFormatConverter::setTraceEnabled(false);
    Interrupt interrupt;
    interrupt_ = &interrupt;
    const int status = runAudio(arguments);
    interrupt_ = nullptr;
    if (Interrupt::isRequested() && status != ExitStatus::Usage) {
        printError(QStringLiteral("interrupted"));
        return ExitStatus::Interrupted;
    }
    return status;
}

comm::FileCopyCommandResult
AudioCliCommand::runFileCommand(QSharedPointer<comm::WaveFileCopyToSdCommand> command,
                                const QString& title) {
    CommandSession session(*interrupt_);
    {
        FileCommandThread thread;
        command->setInfo(title);
        thread.run(std::move(command), session.connections());
        session.waitForResults(1);
        // The thread ends here, after the command it ran is gone.
    }
    return session.results().constFirst().value<comm::FileCopyCommandResult>();
}

void AudioCliCommand::printError(const QString& text) const {
    Console::printErr(QStringLiteral("toneharbour-cli %1: %2\n").arg(name(), text));
}

int AudioCliCommand::reportCommandError(int code, const QString& detail) const {
    if (code == comm::CommandErrorCode::NoError)
        return ExitStatus::Success;
    // Ctrl-C is reported once, as the interruption it was.
    if (code == comm::CommandErrorCode::Canceled && Interrupt::isRequested())
        return ExitStatus::Interrupted;
    QString text = etc::MessageTexts::errorText(etc::MessageTexts::typeForCommandError(code));
    if (text.isEmpty())
        text = code == comm::CommandErrorCode::Canceled ? QStringLiteral("Canceled")
                                                        : QStringLiteral("Error %1").arg(code);
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    printError(text);
    return ExitStatus::forCommandError(code);
}

int AudioCliCommand::reportFileError(int fileResult, const QString& detail) const {
    if (fileResult == 0)
        return ExitStatus::Success;
    QString text = etc::MessageTexts::errorText(etc::MessageTexts::typeForFileError(fileResult));
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    printError(text);
    return ExitStatus::forFileResult(fileResult);
}

} // namespace zel::qmix::cli
