#include "cli/MemoryCommand.h"

#include "cli/AreaArgument.h"
#include "cli/CommandSession.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/KeyboardLink.h"
#include "comm/CategoryMemoryCommandInfo.h"
#include "comm/CategoryMemoryCommandResult.h"
#include "comm/CommandErrorCode.h"
#include "comm/KeyboardCommunicator.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"

#include <algorithm>

namespace zel::qmix::cli {

QString MemoryCommand::name() const {
    return QStringLiteral("memory");
}

QList<CliCommand::UsageLine> MemoryCommand::usage() const {
    return {{QStringLiteral("memory CATEGORY"),
             QStringLiteral("Memory of a category with its own memory (SEQUENCER, MUSICPRESET): "
                            "used and total bytes, less the room empty areas take, and the "
                            "percentage the memory bar shows; tab-separated")}};
}

QString MemoryCommand::checkArguments(const QStringList& arguments) const {
    return arguments.size() == 1 ? QString() : QStringLiteral("\"memory\" takes one CATEGORY");
}

MemoryCommand::Usage MemoryCommand::usageOf(int usedSize, int totalSize, int reserved) {
    Usage usage;
    usage.used = std::max(0, usedSize - reserved);
    usage.total = std::max(0, totalSize - reserved);
    if (usage.used == 0)
        usage.percent = 0;
    else if (usage.total == 0)
        usage.percent = 99;
    else
        usage.percent = int(std::clamp<qint64>(qint64(usage.used) * 100 / usage.total, 1, 99));
    return usage;
}

int MemoryCommand::runConnected(const QStringList& arguments, KeyboardLink& link) {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    QString error;
    const data::DataCategory* category =
        AreaArgument::parseCategory(arguments.first(), model, &error);
    if (!category)
        return usageError(error);
    if (!category->hasMemoryGauge())
        return usageError(QStringLiteral("%1 areas have no memory of their own to measure; "
                                         "only SEQUENCER and MUSICPRESET have")
                              .arg(category->displayName()));

    comm::CategoryMemoryCommandInfo info;
    info.areaSize = std::max(0, category->emptyDataSize());
    info.areaCount = model->areaCount(category);
    CommandSession session(interrupt());
    const comm::CommandConnections connections = session.connections();
    link.communicator()->registerCategoryMemoryCommand(category->id(), info, connections.receiver,
                                                       connections.finishedSlot);
    session.waitForResults(1);
    const auto result = session.results().constFirst().value<comm::CategoryMemoryCommandResult>();
    if (result.failed != 0)
        return reportCommandError(comm::CommandErrorCode::CommunicationError,
                                  category->displayName());

    const Usage usage = usageOf(result.usedSize, result.totalSize, info.areaSize * info.areaCount);
    Console::out() << usage.used << '\t' << usage.total << '\t' << usage.percent << "\n";
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
