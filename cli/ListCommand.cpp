#include "cli/ListCommand.h"

#include "cli/AreaArgument.h"
#include "cli/CommandSession.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "cli/KeyboardLink.h"
#include "comm/AreaData.h"
#include "comm/CommandErrorCode.h"
#include "comm/KeyboardCommunicator.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"

namespace zel::qmix::cli {

QString ListCommand::name() const {
    return QStringLiteral("list");
}

QList<CliCommand::UsageLine> ListCommand::usage() const {
    return {{QStringLiteral("list CATEGORY"),
             QStringLiteral("One line per area of CATEGORY (RHYTHM, SEQUENCER, ... in any case): "
                            "number, used (0/1), size in bytes, name; tab-separated")}};
}

QString ListCommand::checkArguments(const QStringList& arguments) const {
    return arguments.size() == 1 ? QString() : QStringLiteral("\"list\" takes one CATEGORY");
}

int ListCommand::runConnected(const QStringList& arguments, KeyboardLink& link) {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    QString error;
    const data::DataCategory* category =
        AreaArgument::parseCategory(arguments.first(), model, &error);
    if (!category)
        return usageError(error);

    CommandSession session(interrupt());
    const comm::CommandConnections connections = session.connections();
    const int count = model->areaCount(category);
    const int offset = model->areaOffset(category);
    // One area after the other: a keyboard that fails to answer one would
    // make every further query wait for its time-out as well.
    for (int index = 0; index < count && !Interrupt::isRequested(); ++index) {
        link.communicator()->registerAreaDataCommand(
            category->id(), offset + index, comm::KeyboardCommunicator::MemoryLevel,
            connections.receiver, connections.finishedSlot);
        session.waitForResults(index + 1);
        const comm::AreaData area = session.results().constLast().value<comm::AreaData>();
        if (area.failed != 0 || area.areaNumber != offset + index)
            return reportCommandError(
                comm::CommandErrorCode::CommunicationError,
                AreaArgument::name(category, model->firstNumber(category) + index));
        Console::out() << (model->firstNumber(category) + index) << '\t' << (area.used ? 1 : 0)
                       << '\t' << area.size << '\t' << area.name << "\n";
        Console::out().flush();
    }
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
