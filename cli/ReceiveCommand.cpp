#include "cli/ReceiveCommand.h"

#include "cli/AreaArgument.h"
#include "cli/ArgumentList.h"
#include "cli/CommandSession.h"
#include "cli/Console.h"
#include "cli/DataFolder.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "cli/KeyboardLink.h"
#include "cli/TransferResults.h"
#include "comm/CommandErrorCode.h"
#include "comm/KeyboardCommunicator.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "file/CategoryFiles.h"
#include "file/FileNaming.h"

#include <QDate>

namespace zel::qmix::cli {

namespace {

ArgumentList parse(const QStringList& arguments) {
    return ArgumentList(arguments, {}, {QStringLiteral("-d")});
}

} // namespace

QString ReceiveCommand::name() const {
    return QStringLiteral("receive");
}

QList<CliCommand::UsageLine> ReceiveCommand::usage() const {
    return {
        {QStringLiteral("receive CATEGORY AREA [-d DIR]"),
         QStringLiteral("Save the item in AREA (the number the keyboard shows) in DIR (default: "
                        "the main data folder); prints the file written")}};
}

QString ReceiveCommand::checkArguments(const QStringList& arguments) const {
    const ArgumentList parsed = parse(arguments);
    if (!parsed.error().isEmpty())
        return parsed.error();
    return parsed.positional().size() == 2
               ? QString()
               : QStringLiteral("\"receive\" takes a CATEGORY and an AREA");
}

int ReceiveCommand::runConnected(const QStringList& arguments, KeyboardLink& link) {
    const ArgumentList parsed = parse(arguments);
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    QString error;
    AreaArgument area;
    area.category = AreaArgument::parseCategory(parsed.positional().at(0), model, &error);
    if (!area.category ||
        !AreaArgument::parseArea(area.category, parsed.positional().at(1), model, &area, &error))
        return usageError(error);

    // An unwritable folder is reported before the keyboard is touched.
    const DataFolder folder(parsed.value(QStringLiteral("-d")));
    if (!folder.prepare())
        return reportCommandError(comm::CommandErrorCode::FileWriteError, folder.path());

    CommandSession session(interrupt());
    link.communicator()->registerBulkReceiveCommand(area.category->id(), area.keyboardArea,
                                                    QStringLiteral("Receiving from ") + area.name(),
                                                    session.connections());
    session.waitForResults(1);
    const comm::BulkReceiveCommandResult result =
        TransferResults::receiveResult(session.results().constFirst());
    if (!result.succeeded)
        return reportCommandError(result.errorCode, area.name());
    // Cancelled too late to stop the transfer: the user still asked for
    // nothing to be kept.
    if (Interrupt::isRequested())
        return ExitStatus::Interrupted;
    closeSeries(link, result.category, result.areaNumber);
    if (Interrupt::isRequested())
        return ExitStatus::Interrupted;

    const data::DataCategory* received = data::categoryFromId(result.category, result.areaNumber);
    if (!received)
        received = area.category;
    const QString path = file::FileNaming::receivedItemPath(folder.dir(), received, result.name,
                                                            model, QDate::currentDate());
    QSharedPointer<file::AbstractFile> item = file::CategoryFiles::createFile(received);
    item->setData(result.data);
    const int saved = item->save(path);
    if (saved != 0)
        return reportFileError(saved, path);
    Console::out() << path << "\n";
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
