#include "app/MessageDialog.h"

#include "data/KeyboardInfo.h"
#include "etc/MessageTexts.h"

#include <QApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

namespace zel::qmix::gui {

using etc::MessageTexts;

namespace {

QMutex& instanceMutex() {
    static QMutex mutex;
    return mutex;
}

std::shared_ptr<MessageDialog>& instanceStorage() {
    static std::shared_ptr<MessageDialog> dialog;
    return dialog;
}

// Held while a "Communication Error" box is on screen.
QMutex& communicationErrorMutex() {
    static QMutex mutex;
    return mutex;
}

// Only one replace question may be pending at a time: the answer is a single
// shared slot.
QMutex& replaceQuestionMutex() {
    static QMutex mutex;
    return mutex;
}

class MutexReleaser {
public:
    explicit MutexReleaser(QMutex& held)
        : mutex(held) {}
    ~MutexReleaser() { mutex.unlock(); }
    MutexReleaser(const MutexReleaser&) = delete;
    MutexReleaser& operator=(const MutexReleaser&) = delete;

private:
    QMutex& mutex;
};

QMessageBox::StandardButton pressedButton(const QMessageBox& box) {
    return box.standardButton(box.clickedButton());
}

bool isReplaceAnswer(int button) {
    return button == QMessageBox::Yes || button == QMessageBox::YesToAll ||
           button == QMessageBox::No || button == QMessageBox::NoToAll;
}

void beepBeforeQuestion() {
    QApplication::beep();
}

} // namespace

MessageDialog::MessageDialog() = default;

MessageDialog::~MessageDialog() = default;

std::shared_ptr<MessageDialog> MessageDialog::create() {
    QMutexLocker lock(&instanceMutex());
    std::shared_ptr<MessageDialog>& dialog = instanceStorage();
    if (!dialog) {
        dialog.reset(new MessageDialog());
        // Boxes belong to the GUI thread, whichever thread came first.
        QCoreApplication* app = QCoreApplication::instance();
        if (app != nullptr && app->thread() != QThread::currentThread()) {
            dialog->moveToThread(app->thread());
        }
        // Queued even within the GUI thread: a request never blocks its caller.
        connect(dialog.get(), qOverload<int>(&MessageDialog::requested), dialog.get(),
                qOverload<int>(&MessageDialog::show), Qt::QueuedConnection);
        connect(dialog.get(), qOverload<int, QVariant>(&MessageDialog::requested), dialog.get(),
                qOverload<int, QVariant>(&MessageDialog::show), Qt::QueuedConnection);
    }
    return dialog;
}

std::shared_ptr<MessageDialog> MessageDialog::instance() {
    QMutexLocker lock(&instanceMutex());
    return instanceStorage();
}

namespace {

// While the keyboard is known to have been unplugged, the failures of the
// work still under way say nothing new: they are counted, not shown.
std::atomic<bool> communicationErrorsHeld{false};
std::atomic<bool> replaceQuestionsRefused{false};
std::atomic<bool> communicationErrorHeld{false};
// The message type of "Communication Error".
constexpr int CommunicationErrorType = 1;

} // namespace

void MessageDialog::refuseReplaceQuestions(bool refuse) {
    replaceQuestionsRefused.store(refuse);
}

void MessageDialog::holdCommunicationErrors() {
    communicationErrorHeld.store(false);
    communicationErrorsHeld.store(true);
}

bool MessageDialog::releaseCommunicationErrors() {
    communicationErrorsHeld.store(false);
    return communicationErrorHeld.exchange(false);
}

void MessageDialog::request(int type, const QVariant& detail) {
    const std::shared_ptr<MessageDialog> dialog = instance();
    if (!dialog) {
        return;
    }
    if (type == CommunicationErrorType && communicationErrorsHeld.load()) {
        communicationErrorHeld.store(true);
        return;
    }
    if (detail.isNull()) {
        emit dialog->requested(type);
    } else {
        emit dialog->requested(type, detail);
    }
}

void MessageDialog::requestCommandError(comm::CommandErrorCode::T code, const QVariant& detail) {
    const int type = MessageTexts::typeForCommandError(code);
    request(type, MessageTexts::commandErrorKeepsDetail(code) ? detail : QVariant());
}

void MessageDialog::requestSendError(const comm::BulkSendCommandResult& result) {
    if (result.errorCode == comm::CommandErrorCode::NoError)
        return;
    requestCommandError(
        comm::CommandErrorCode::T(result.errorCode),
        data::KeyboardInfo::currentModel()->keyboardAreaName(result.category, result.areaNumber));
}

void MessageDialog::requestFileError(int fileError, const QVariant& detail) {
    request(MessageTexts::typeForFileError(fileError), detail);
}

void MessageDialog::show(int type) {
    show(type, QVariant());
}

void MessageDialog::show(int type, QVariant detail) {
    if (type == MessageTexts::CommunicationError) {
        showCommunicationError();
        return;
    }
    const QString text = MessageTexts::composeText(type, detail);
    if (!text.isEmpty()) {
        showError(text);
    }
}

void MessageDialog::showCommunicationError() {
    // Many commands may fail at once when the keyboard goes away; one box is
    // enough. A request arriving while the box is open (also from the box's
    // own event loop in this thread) is dropped.
    QMutex& mutex = communicationErrorMutex();
    if (!mutex.tryLock()) {
        return;
    }
    MutexReleaser release(mutex);
    showError(MessageTexts::errorText(MessageTexts::CommunicationError));
}

void MessageDialog::showError(const QString& text) {
    // No parent: a parent window deleted while the box runs its own event loop
    // would take this stack object with it.
    QMessageBox box(QMessageBox::Warning, MessageTexts::errorTitle(), text, QMessageBox::Ok);
    box.exec();
}

bool MessageDialog::confirm(const QString& text) {
    beepBeforeQuestion();
    QMessageBox box(QMessageBox::Question, MessageTexts::confirmationTitle(), text,
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.exec();
    return pressedButton(box) == QMessageBox::Yes;
}

bool MessageDialog::confirmExit() {
    return confirm(MessageTexts::exitQuestion());
}

bool MessageDialog::confirmRestore(const QString& name) {
    return confirm(MessageTexts::restoreQuestion(name));
}

bool MessageDialog::confirmSendPackage(const QString& name) {
    return confirm(MessageTexts::sendPackageQuestion(name));
}

QMessageBox::StandardButton MessageDialog::confirmSavePackage() {
    beepBeforeQuestion();
    QMessageBox box(QMessageBox::Question, MessageTexts::confirmationTitle(),
                    MessageTexts::savePackageQuestion(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    const QMessageBox::StandardButton button = pressedButton(box);
    // Closing the box any other way keeps the changes and the program open.
    return button == QMessageBox::NoButton ? QMessageBox::Cancel : button;
}

bool MessageDialog::confirmCancel(const ClosingConnector& connectClosing) {
    beepBeforeQuestion();
    QMessageBox box(QMessageBox::Question, MessageTexts::confirmationTitle(),
                    MessageTexts::cancelQuestion(), QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    QMetaObject::Connection closing;
    if (connectClosing)
        closing = connectClosing(&box);
    box.exec();
    // Safe also when the sender was destroyed meanwhile.
    disconnect(closing);
    return pressedButton(box) == QMessageBox::Yes;
}

QMessageBox::StandardButton MessageDialog::confirmReplace(const QString& name) {
    const std::shared_ptr<MessageDialog> dialog = instance();
    if (!dialog) {
        // Nobody can answer: leave the existing data alone.
        return QMessageBox::No;
    }
    if (QThread::currentThread() == dialog->thread()) {
        // Waiting here would block the very thread that has to show the box.
        return dialog->askReplace(name);
    }
    QMutexLocker lock(&replaceQuestionMutex());
    return dialog->waitForReplaceAnswer(name);
}

QMessageBox::StandardButton MessageDialog::waitForReplaceAnswer(const QString& name) {
    const QMetaObject::Connection asking = connect(this, &MessageDialog::requestedConfirmReplace,
                                                   this, &MessageDialog::confirmReplaceEntity);
    const QMetaObject::Connection answering =
        connect(this, &MessageDialog::confirmReplaceFinished, this,
                &MessageDialog::setConfirmReplaceResult);
    pendingReplaceResult.store(QMessageBox::NoButton);
    emit requestedConfirmReplace(name);
    while (pendingReplaceResult.load() == QMessageBox::NoButton) {
        if (replaceQuestionsRefused.load()) {
            pendingReplaceResult.store(QMessageBox::No);
            break;
        }
        QThread::msleep(10);
        emit waitRequired();
    }
    disconnect(asking);
    disconnect(answering);
    return QMessageBox::StandardButton(pendingReplaceResult.load());
}

void MessageDialog::confirmReplaceEntity(QString text) {
    emit confirmReplaceFinished(askReplace(text));
}

void MessageDialog::setConfirmReplaceResult(QMessageBox::StandardButton button) {
    // An answer that is not one of the four choices must still end the wait,
    // and must not overwrite anything.
    pendingReplaceResult.store(isReplaceAnswer(button) ? button : QMessageBox::No);
}

QMessageBox::StandardButton MessageDialog::askReplace(const QString& name) {
    beepBeforeQuestion();
    QMessageBox box(QMessageBox::Question, MessageTexts::confirmationTitle(),
                    MessageTexts::replaceQuestion(name),
                    QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                        QMessageBox::NoToAll);
    box.setDefaultButton(QMessageBox::No);
    box.exec();
    const QMessageBox::StandardButton button = pressedButton(box);
    return isReplaceAnswer(button) ? button : QMessageBox::No;
}

} // namespace zel::qmix::gui
