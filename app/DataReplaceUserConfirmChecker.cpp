#include "app/DataReplaceUserConfirmChecker.h"

#include "app/MessageDialog.h"
#include "comm/BulkSendCommandResult.h"
#include "data/KeyboardInfo.h"

#include <QMutexLocker>

namespace zel::qmix::gui {

DataReplaceUserConfirmChecker::DataReplaceUserConfirmChecker(QObject* parent)
    : GenericChecker(parent) {}

bool DataReplaceUserConfirmChecker::check(QVariant subject) {
    int batch = 0;
    {
        QMutexLocker lock(&mutex_);
        if (lastSelected_ == QMessageBox::YesToAll)
            return true;
        if (lastSelected_ == QMessageBox::NoToAll)
            return false;
        batch = batch_;
    }
    // Anything but a send naming its area is no permission to overwrite.
    if (subject.metaType() != QMetaType::fromType<comm::BulkSendCommandResult>())
        return false;
    const auto area = subject.value<comm::BulkSendCommandResult>();
    const QString name =
        data::KeyboardInfo::currentModel()->keyboardAreaName(area.category, area.areaNumber);
    if (name.isEmpty())
        return false;

    // The lock is not held while the user thinks: the GUI thread may clear
    // the answer meanwhile, and must never wait for this thread.
    const QMessageBox::StandardButton answer = ask(name);
    {
        QMutexLocker lock(&mutex_);
        // A batch that ended while the question was open takes no "to All"
        // answer into the next one.
        if (batch == batch_)
            lastSelected_ = answer;
    }
    return answer == QMessageBox::Yes || answer == QMessageBox::YesToAll;
}

void DataReplaceUserConfirmChecker::clearLastSelected() {
    QMutexLocker lock(&mutex_);
    lastSelected_ = QMessageBox::NoButton;
    ++batch_;
}

QMessageBox::StandardButton DataReplaceUserConfirmChecker::ask(const QString& areaName) {
    // The send keeps the keyboard waiting for as long as the question is open.
    QMetaObject::Connection relay;
    if (const std::shared_ptr<MessageDialog> dialog = MessageDialog::instance())
        relay = connect(dialog.get(), &MessageDialog::waitRequired, this,
                        &GenericChecker::waitRequired, Qt::DirectConnection);
    const QMessageBox::StandardButton answer = MessageDialog::confirmReplace(areaName);
    disconnect(relay);
    return answer;
}

} // namespace zel::qmix::gui
