#include "cli/KeyboardCliCommand.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/KeyboardLink.h"
#include "comm/CommandErrorCode.h"
#include "etc/MessageTexts.h"

namespace zel::qmix::cli {

int KeyboardCliCommand::run(const QStringList& arguments, const GlobalOptions& options) {
    const QString problem = checkArguments(arguments);
    if (!problem.isEmpty())
        return usageError(problem);

    KeyboardLink link(options);
    if (!link.connectAndIdentify()) {
        Console::err() << "toneharbour-cli: "
                       << etc::MessageTexts::errorText(etc::MessageTexts::CommunicationError)
                       << ": " << link.errorText() << "\n";
        return ExitStatus::CommandErrorBase + comm::CommandErrorCode::CommunicationError;
    }
    return runConnected(arguments, link);
}

} // namespace zel::qmix::cli
