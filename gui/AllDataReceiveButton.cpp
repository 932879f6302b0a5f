#include "gui/AllDataReceiveButton.h"

#include "app/MessageDialog.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/CommandConnections.h"
#include "comm/CommandReplies.h"
#include "comm/KeyboardCommunicator.h"
#include "data/AllDataCategory.h"
#include "data/KeyboardInfo.h"
#include "etc/Settings.h"
#include "file/AbstractFile.h"
#include "file/CategoryFiles.h"
#include "file/FileNaming.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace zel::qmix::gui {

namespace {

QDir mainDataFolder() {
    const QString path = etc::Settings::instance()->mainDataDirectory();
    etc::Settings::ensureDirectory(path);
    return QDir(path);
}

} // namespace

AllDataReceiveButton::AllDataReceiveButton(QWidget* parent)
    : AbstractCommandButton(parent) {
    setText(tr("Receive from Keyboard"));
    setAccessibleName(tr("Receive from Keyboard"));
    connect(this, &QToolButton::clicked, this, &AllDataReceiveButton::beginAllDataReceive);
}

void AllDataReceiveButton::beginAllDataReceive() {
    if (!communicator())
        return;
    // Better told now than after minutes of receiving.
    if (!file::FileNaming::canCreateFileIn(mainDataFolder())) {
        MessageDialog::requestCommandError(comm::CommandErrorCode::FileWriteError);
        return;
    }
    comm::CommandConnections connections;
    connections.replies = comm::CommandReplies::to(this)
                              .started(&AbstractCommandButton::emitCommandTitle)
                              .finished(&AllDataReceiveButton::onFinishAllDataReceive)
                              .progress(&AbstractCommandButton::emitCommandProgress);
    connections.controls = commandControlSource();
    communicator()->registerAllDataBulkReceiveCommand(connections);
    emit newCommandRegistered();
}

void AllDataReceiveButton::onFinishAllDataReceive(QVariant result) {
    const auto received = result.canConvert<comm::BulkReceiveCommandResult>()
                              ? result.value<comm::BulkReceiveCommandResult>()
                              : comm::BulkReceiveCommandResult();
    // A cancelled or failed backup leaves no file behind.
    if (received.succeeded)
        saveBackup(received.data);
    else
        MessageDialog::requestCommandError(comm::CommandErrorCode::T(received.errorCode));
    emit commandFinished(result);
}

void AllDataReceiveButton::saveBackup(const QByteArray& bytes) {
    const QString path = file::FileNaming::backupPath(
        mainDataFolder(), data::KeyboardInfo::currentModel(), QDate::currentDate());
    const QSharedPointer<file::AbstractFile> backup =
        file::CategoryFiles::createFile(data::AllDataCategory::instance());
    backup->setData(bytes);
    // The save replaces nothing and leaves no partial file when it fails.
    const int saved = backup->save(path);
    if (saved != file::FileOk)
        MessageDialog::requestFileError(saved, QFileInfo(path).fileName());
}

} // namespace zel::qmix::gui
