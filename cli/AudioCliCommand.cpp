#include "cli/AudioCliCommand.h"

#include "audio/SamplingFormatConverter.h"
#include "cli/CommandSession.h"
#include "cli/ExitStatus.h"
#include "cli/FileCommandThread.h"
#include "cli/Interrupt.h"
#include "comm/CommandErrorCode.h"
#include "comm/WaveFileCopyToSdCommand.h"

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

int AudioCliCommand::reportCommandError(int code, const QString& detail) const {
    if (code == comm::CommandErrorCode::Canceled && Interrupt::isRequested())
        return ExitStatus::Interrupted;
    return CliCommand::reportCommandError(code, detail);
}

} // namespace zel::qmix::cli
