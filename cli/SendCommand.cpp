#include "cli/SendCommand.h"

#include "cli/AreaArgument.h"
#include "cli/ArgumentList.h"
#include "cli/CommandSession.h"
#include "cli/ExitStatus.h"
#include "cli/KeyboardLink.h"
#include "cli/ReplaceChecker.h"
#include "cli/TransferResults.h"
#include "comm/ExpectedArea.h"
#include "comm/KeyboardCommunicator.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "file/CategoryFiles.h"

#include <QFileInfo>

namespace zel::qmix::cli {

namespace {

ArgumentList parse(const QStringList& arguments) {
    return ArgumentList(arguments, {QStringLiteral("--yes")}, {});
}

} // namespace

QString SendCommand::name() const {
    return QStringLiteral("send");
}

QList<CliCommand::UsageLine> SendCommand::usage() const {
    return {{QStringLiteral("send FILE AREA [--yes]"),
             QStringLiteral("Write FILE into AREA of the category its extension names; an area "
                            "in use is replaced only if you agree (--yes agrees; without a "
                            "terminal the answer is No)")}};
}

QString SendCommand::checkArguments(const QStringList& arguments) const {
    const ArgumentList parsed = parse(arguments);
    if (!parsed.error().isEmpty())
        return parsed.error();
    return parsed.positional().size() == 2 ? QString()
                                           : QStringLiteral("\"send\" takes a FILE and an AREA");
}

int SendCommand::runConnected(const QStringList& arguments, KeyboardLink& link) {
    const ArgumentList parsed = parse(arguments);
    const QString path = parsed.positional().at(0);
    const QString fileName = QFileInfo(path).fileName();
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();

    const data::DataCategory* category = data::DataCategory::fromFileName(path);
    if (!category)
        return reportFileError(file::FileFormatError,
                               fileName + QStringLiteral(" (not a keyboard data file)"));
    QString error;
    AreaArgument area;
    if (!AreaArgument::parseCategory(category->keyWord(), model, &error) ||
        !AreaArgument::parseArea(category, parsed.positional().at(1), model, &area, &error))
        return usageError(error);

    int opened = 0;
    const QSharedPointer<file::AbstractFile> item =
        file::CategoryFiles::openFile(category, path, model->modelName().trimmed(), &opened);
    if (!item)
        return reportFileError(opened, fileName);

    ReplaceChecker checker(parsed.isSet(QStringLiteral("--yes")) ? TerminalQuestion::Mode::AssumeYes
                                                                 : TerminalQuestion::Mode::Ask);
    CommandSession session(interrupt());
    link.communicator()->registerBulkSendCommand(
        category->id(), area.keyboardArea, item->data(),
        QStringLiteral("Sending \"%1\"").arg(fileName), &checker, comm::ExpectedArea(),
        session.connections(), QStringLiteral(":/lcd/loading.lcd"));
    session.waitForResults(1);
    const comm::BulkSendCommandResult result =
        TransferResults::sendResult(session.results().constFirst());
    if (result.errorCode != 0)
        return reportCommandError(result.errorCode, area.name());
    if (checker.declined()) {
        printError(QStringLiteral("%1 left as it was").arg(area.name()));
        return ExitStatus::Failure;
    }
    const comm::BulkSendCommandResult closed =
        closeSeries(link, result.category, result.areaNumber);
    if (closed.errorCode != 0)
        return reportCommandError(closed.errorCode, area.name());
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
