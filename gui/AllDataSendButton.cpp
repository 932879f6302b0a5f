#include "gui/AllDataSendButton.h"

#include "app/MessageDialog.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CommandConnections.h"
#include "comm/CommandReplies.h"
#include "comm/KeyboardCommunicator.h"
#include "data/AllDataCategory.h"
#include "data/KeyboardInfo.h"
#include "file/AbstractFile.h"
#include "file/CategoryFiles.h"

#include <QFileInfo>

namespace zel::qmix::gui {

AllDataSendButton::AllDataSendButton(QWidget* parent)
    : AbstractCommandButton(parent) {
    setText(tr("Send to Keyboard"));
    setAccessibleName(tr("Send to Keyboard"));
    // Nothing is selected yet.
    setEnabled(false);
    connect(this, &QToolButton::clicked, this, qOverload<>(&AllDataSendButton::beginAllDataSend));
}

void AllDataSendButton::setSendFilePath(QStringList paths) {
    setEnabled(paths.size() == 1);
    sendFilePath_ = paths.value(0);
}

void AllDataSendButton::beginAllDataSend() {
    beginAllDataSend(sendFilePath_);
}

void AllDataSendButton::beginAllDataSend(QString path) {
    if (!communicator() || path.isEmpty())
        return;
    const QString fileName = QFileInfo(path).fileName();
    // Unreadable files and backups of other models are refused before the question.
    int opened = file::FileOk;
    const QSharedPointer<file::AbstractFile> backup = file::CategoryFiles::openFile(
        data::AllDataCategory::instance(), path,
        data::KeyboardInfo::currentModel()->modelName().trimmed(), &opened);
    if (!backup || opened != file::FileOk) {
        MessageDialog::requestFileError(opened != file::FileOk ? opened : file::FileCannotRead,
                                        fileName);
        return;
    }
    if (!MessageDialog::confirmRestore(fileName))
        return;

    comm::CommandConnections connections;
    connections.replies = comm::CommandReplies::to(this)
                              .started(&AbstractCommandButton::emitCommandTitle)
                              .finished(&AllDataSendButton::onFinishAllDataSend)
                              .progress(&AbstractCommandButton::emitCommandProgress);
    connections.controls = commandControlSource();
    communicator()->registerAllDataBulkSendCommand(backup->data(),
                                                   tr("Sending \"%1\"").arg(fileName), connections);
    emit newCommandRegistered();
}

void AllDataSendButton::onFinishAllDataSend(QVariant result) {
    const int code = result.canConvert<comm::BulkSendCommandResult>()
                         ? result.value<comm::BulkSendCommandResult>().errorCode
                         : comm::CommandErrorCode::NoError;
    MessageDialog::requestCommandError(comm::CommandErrorCode::T(code));
    emit commandFinished(result);
}

} // namespace zel::qmix::gui
