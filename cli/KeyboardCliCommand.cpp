#include "cli/KeyboardCliCommand.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "cli/KeyboardLink.h"
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

void KeyboardCliCommand::closeSeries(KeyboardLink& link, int category, int areaNumber) {
    if (!data::KeyboardInfo::currentModel()->isSecondGeneration())
        return;
    comm::KeyboardCommunicator* communicator = link.communicator();
    if (!communicator->registerMultipleBulkSendEndCommand(category, areaNumber))
        return;
    // The closing command has no receiver; a query queued behind it answers
    // only after it ran, so the ports stay open until then.
    communicator->modelName();
}

} // namespace zel::qmix::cli
