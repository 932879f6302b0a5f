#include "cli/BackupCommand.h"

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
#include "data/AllDataCategory.h"
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

QString BackupCommand::name() const {
    return QStringLiteral("backup");
}

QList<CliCommand::UsageLine> BackupCommand::usage() const {
    return {{QStringLiteral("backup [-d DIR]"),
             QStringLiteral("Save the whole keyboard as MODEL_yyMMdd.AL7 in DIR (default: the "
                            "main data folder); prints the file written")}};
}

QString BackupCommand::checkArguments(const QStringList& arguments) const {
    const ArgumentList parsed = parse(arguments);
    if (!parsed.error().isEmpty())
        return parsed.error();
    return parsed.positional().isEmpty()
               ? QString()
               : QStringLiteral("\"backup\" takes no arguments but -d DIR");
}

int BackupCommand::runConnected(const QStringList& arguments, KeyboardLink& link) {
    const ArgumentList parsed = parse(arguments);
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    const DataFolder folder(parsed.value(QStringLiteral("-d")));
    if (!folder.prepare())
        return reportCommandError(comm::CommandErrorCode::FileWriteError, folder.path());

    CommandSession session(interrupt());
    link.communicator()->registerAllDataBulkReceiveCommand(session.connections());
    session.waitForResults(1);
    const comm::BulkReceiveCommandResult result =
        TransferResults::receiveResult(session.results().constFirst());
    if (!result.succeeded)
        return reportCommandError(result.errorCode);
    if (Interrupt::isRequested())
        return ExitStatus::Interrupted;

    const QString path = file::FileNaming::backupPath(folder.dir(), model, QDate::currentDate());
    QSharedPointer<file::AbstractFile> backup =
        file::CategoryFiles::createFile(data::AllDataCategory::instance());
    backup->setData(result.data);
    const int saved = backup->save(path);
    if (saved != 0)
        return reportFileError(saved, path);
    Console::out() << path << "\n";
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
