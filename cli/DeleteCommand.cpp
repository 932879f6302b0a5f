#include "cli/DeleteCommand.h"

#include "cli/AreaArgument.h"
#include "cli/CommandSession.h"
#include "cli/ExitStatus.h"
#include "cli/KeyboardLink.h"
#include "cli/TransferResults.h"
#include "comm/ExpectedArea.h"
#include "comm/KeyboardCommunicator.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "etc/AlwaysYesChecker.h"

namespace zel::qmix::cli {

QString DeleteCommand::name() const {
    return QStringLiteral("delete");
}

QList<CliCommand::UsageLine> DeleteCommand::usage() const {
    return {
        {QStringLiteral("delete CATEGORY AREA"),
         QStringLiteral("Clear AREA (RHYTHM, SEQUENCER and MUSICPRESET areas can be cleared)")}};
}

QString DeleteCommand::checkArguments(const QStringList& arguments) const {
    return arguments.size() == 2 ? QString()
                                 : QStringLiteral("\"delete\" takes a CATEGORY and an AREA");
}

int DeleteCommand::runConnected(const QStringList& arguments, KeyboardLink& link) {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    QString error;
    AreaArgument area;
    area.category = AreaArgument::parseCategory(arguments.at(0), model, &error);
    if (!area.category ||
        !AreaArgument::parseArea(area.category, arguments.at(1), model, &area, &error))
        return usageError(error);
    if (!area.category->isDeletable())
        return usageError(QStringLiteral("%1 areas cannot be cleared; RHYTHM, SEQUENCER and "
                                         "MUSICPRESET areas can")
                              .arg(area.category->displayName()));

    const QString title = QStringLiteral("Deleting ") + area.name();
    CommandSession session(interrupt());
    comm::KeyboardCommunicator* communicator = link.communicator();
    const QByteArray empty = model->emptyData(area.category->id(), area.keyboardArea);
    // A cleared area holds the empty item; writing it is what clears.
    etc::AlwaysYesChecker checker;
    if (model->clearsWithEmptyData() && !empty.isEmpty())
        communicator->registerBulkSendCommand(area.category->id(), area.keyboardArea, empty, title,
                                              &checker, comm::ExpectedArea(), session.connections(),
                                              QStringLiteral(":/lcd/deleting.lcd"));
    else
        communicator->registerAreaDeleteCommand(area.category->id(), area.keyboardArea, title,
                                                session.connections());
    session.waitForResults(1);
    const comm::BulkSendCommandResult result =
        TransferResults::sendResult(session.results().constFirst());
    if (result.errorCode != 0)
        return reportCommandError(result.errorCode, area.name());
    closeSeries(link, area.category->id(), area.keyboardArea);
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
