#include "cli/KeyboardCliCommand.h"

#include "cli/CommandSession.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "cli/KeyboardLink.h"
#include "cli/TransferResults.h"
#include "comm/CommandErrorCode.h"
#include "comm/KeyboardCommunicator.h"
#include "data/KeyboardInfo.h"
#include "etc/MessageTexts.h"

namespace zel::qmix::cli {

int KeyboardCliCommand::run(const QStringList& arguments, const GlobalOptions& options) {
    const QString problem = checkArguments(arguments);
    if (!problem.isEmpty())
        return usageError(problem);

    Interrupt interrupt;
    interrupt_ = &interrupt;
    int status = ExitStatus::Success;
    {
        KeyboardLink link(options);
        if (!link.connectAndIdentify()) {
            printError(etc::MessageTexts::errorText(etc::MessageTexts::CommunicationError) +
                       QStringLiteral(": ") + link.errorText());
            status = ExitStatus::forCommandError(comm::CommandErrorCode::CommunicationError);
        } else if (!Interrupt::isRequested()) {
            status = runConnected(arguments, link);
        }
        // The link closes the ports here, after every queued command ended.
    }
    interrupt_ = nullptr;
    if (Interrupt::isRequested() && status != ExitStatus::Usage) {
        printError(QStringLiteral("interrupted"));
        return ExitStatus::Interrupted;
    }
    return status;
}

comm::BulkSendCommandResult KeyboardCliCommand::closeSeries(KeyboardLink& link, int category,
                                                            int areaNumber) {
    const comm::BulkSendCommandResult closed{comm::CommandErrorCode::NoError, category, areaNumber};
    if (!data::KeyboardInfo::currentModel()->isSecondGeneration())
        return closed;
    CommandSession session(interrupt());
    if (!link.communicator()->registerMultipleBulkSendEndCommand(category, areaNumber,
                                                                 session.resultConnections()))
        return closed;
    session.waitForResults(1);
    return TransferResults::sendResult(session.results().constFirst());
}

} // namespace zel::qmix::cli
