#include "cli/RestoreCommand.h"

#include "cli/ArgumentList.h"
#include "cli/CommandSession.h"
#include "cli/ExitStatus.h"
#include "cli/KeyboardLink.h"
#include "cli/TerminalQuestion.h"
#include "cli/TransferResults.h"
#include "comm/KeyboardCommunicator.h"
#include "data/AllDataCategory.h"
#include "data/KeyboardInfo.h"
#include "etc/MessageTexts.h"
#include "file/CategoryFiles.h"

#include <QFileInfo>

namespace zel::qmix::cli {

namespace {

ArgumentList parse(const QStringList& arguments) {
    return ArgumentList(arguments, {QStringLiteral("--yes")}, {});
}

} // namespace

QString RestoreCommand::name() const {
    return QStringLiteral("restore");
}

QList<CliCommand::UsageLine> RestoreCommand::usage() const {
    return {{QStringLiteral("restore FILE.AL7 [--yes]"),
             QStringLiteral("Write a backup back into the keyboard after asking (--yes agrees; "
                            "without a terminal the answer is No)")}};
}

QString RestoreCommand::checkArguments(const QStringList& arguments) const {
    const ArgumentList parsed = parse(arguments);
    if (!parsed.error().isEmpty())
        return parsed.error();
    return parsed.positional().size() == 1 ? QString()
                                           : QStringLiteral("\"restore\" takes one backup FILE");
}

int RestoreCommand::runConnected(const QStringList& arguments, KeyboardLink& link) {
    const ArgumentList parsed = parse(arguments);
    const QString path = parsed.positional().at(0);
    const QString fileName = QFileInfo(path).fileName();
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();

    // A backup of another model is refused before the question.
    int opened = 0;
    const QSharedPointer<file::AbstractFile> backup = file::CategoryFiles::openFile(
        data::AllDataCategory::instance(), path, model->modelName().trimmed(), &opened);
    if (!backup)
        return reportFileError(opened, fileName);

    const TerminalQuestion question(parsed.isSet(QStringLiteral("--yes"))
                                        ? TerminalQuestion::Mode::AssumeYes
                                        : TerminalQuestion::Mode::Ask);
    if (!question.ask(etc::MessageTexts::restoreQuestion(fileName))) {
        printError(QStringLiteral("nothing restored"));
        return ExitStatus::Failure;
    }

    CommandSession session(interrupt());
    link.communicator()->registerAllDataBulkSendCommand(
        backup->data(), QStringLiteral("Sending \"%1\"").arg(fileName), session.connections());
    session.waitForResults(1);
    const comm::BulkSendCommandResult result =
        TransferResults::sendResult(session.results().constFirst());
    return reportCommandError(result.errorCode);
}

} // namespace zel::qmix::cli
