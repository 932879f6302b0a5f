#pragma once

#include "comm/BulkSendCommandResult.h"
#include "comm/CommandErrorCode.h"

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>

namespace zel::qmix::gui {

// Every error box and yes/no question of the program. Errors may be requested
// from any thread and are shown later by the GUI thread; the replace question
// may be asked from the communication thread, which then waits for the answer.
// The texts themselves come from etc::MessageTexts.
class MessageDialog : public QObject {
    Q_OBJECT

public:
    // Creates the process-wide instance in the calling (GUI) thread, or returns
    // the existing one.
    static std::shared_ptr<MessageDialog> create();
    // The instance, or null before create().
    static std::shared_ptr<MessageDialog> instance();

    static void request(int type, const QVariant& detail = QVariant());
    static void requestCommandError(comm::CommandErrorCode::T code,
                                    const QVariant& detail = QVariant());
    static void requestFileError(int fileError, const QVariant& detail = QVariant());
    // A failed send, named by its keyboard area; nothing for a success.
    static void requestSendError(const comm::BulkSendCommandResult& result);

    // From the unplugging of the keyboard until the check that follows it,
    // "Communication Error" requests are not shown; release tells whether
    // any came meanwhile.
    static void holdCommunicationErrors();
    static bool releaseCommunicationErrors();

    // GUI thread only.
    static bool confirm(const QString& text);
    static bool confirmExit();
    static bool confirmRestore(const QString& name);
    static bool confirmSendPackage(const QString& name);
    static QMessageBox::StandardButton confirmSavePackage();
    // The question closes by itself, counting as No, when `closingSignal` of
    // `sender` fires while it is open (the work ended first).
    template <class Sender>
    static bool confirmCancel(Sender* sender, void (Sender::*closingSignal)()) {
        return confirmCancel([=](QMessageBox* box) {
            return sender ? QObject::connect(sender, closingSignal, box, &QMessageBox::reject)
                          : QMetaObject::Connection();
        });
    }
    using ClosingConnector = std::function<QMetaObject::Connection(QMessageBox*)>;
    static bool confirmCancel(const ClosingConnector& connectClosing);

    // From a thread other than the GUI thread: asks in the GUI thread and waits,
    // emitting waitRequired() every 10 ms. Returns Yes, YesToAll, No or NoToAll.
    static QMessageBox::StandardButton confirmReplace(const QString& name);
    // While the program shuts down, a replace question waiting for an answer
    // (or asked later) is answered No: nobody will answer it.
    static void refuseReplaceQuestions(bool refuse);

    ~MessageDialog() override;

signals:
    void requested(int type);
    void requested(int type, QVariant detail);
    void requestedConfirmReplace(QString text);
    void confirmReplaceFinished(QMessageBox::StandardButton button);
    void waitRequired();

public slots:
    void show(int type);
    void show(int type, QVariant detail);
    void confirmReplaceEntity(QString text);
    void setConfirmReplaceResult(QMessageBox::StandardButton button);

private:
    MessageDialog();
    void showCommunicationError();
    void showError(const QString& text);
    QMessageBox::StandardButton askReplace(const QString& name);
    QMessageBox::StandardButton waitForReplaceAnswer(const QString& name);

    std::atomic<int> pendingReplaceResult{QMessageBox::NoButton};
};

} // namespace zel::qmix::gui
