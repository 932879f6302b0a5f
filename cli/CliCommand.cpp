#include "cli/CliCommand.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "comm/CommandErrorCode.h"
#include "etc/MessageTexts.h"

namespace zel::qmix::cli {

int CliCommand::usageError(const QString& message) const {
    Console::err() << "toneharbour-cli " << name() << ": " << message << "\n";
    for (const UsageLine& line : usage())
        Console::err() << "usage: toneharbour-cli " << line.synopsis << "\n";
    Console::err().flush();
    return ExitStatus::Usage;
}

void CliCommand::printError(const QString& text) const {
    Console::printErr(QStringLiteral("toneharbour-cli %1: %2\n").arg(name(), text));
}

int CliCommand::reportCommandError(int code, const QString& detail) const {
    if (code == comm::CommandErrorCode::NoError)
        return ExitStatus::Success;
    QString text = etc::MessageTexts::errorText(etc::MessageTexts::typeForCommandError(code));
    if (text.isEmpty())
        text = code == comm::CommandErrorCode::Canceled ? QStringLiteral("Canceled")
                                                        : QStringLiteral("Error %1").arg(code);
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    printError(text);
    return ExitStatus::forCommandError(code);
}

int CliCommand::reportFileError(int fileResult, const QString& detail) const {
    if (fileResult == 0)
        return ExitStatus::Success;
    QString text = etc::MessageTexts::errorText(etc::MessageTexts::typeForFileError(fileResult));
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    printError(text);
    return ExitStatus::forFileResult(fileResult);
}

} // namespace zel::qmix::cli
