#include "app/MessageDialog.h"

#include "ModalBoxWatcher.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

using zel::qmix::comm::CommandErrorCode;
using zel::qmix::gui::MessageDialog;

namespace {

const QString ErrorTitle = QStringLiteral("TAVRO Tone Harbour Error");
const QString ConfirmationTitle = QStringLiteral("TAVRO Tone Harbour Confirmation");

// Runs the queued show() calls; each box blocks here until the watcher answers.
void deliverRequests() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

} // namespace

// Stands in for a running command whose end closes the "Cancel?" question.
class CommandStub : public QObject {
    Q_OBJECT

public:
    int finishedReceivers() const { return receivers(SIGNAL(finished())); }

signals:
    void finished();
};

enum class Question { Exit, Restore, SendPackage };
Q_DECLARE_METATYPE(Question)

enum class CancelAnswer { PressYes, PressNo, CommandEnds, CommandDeleted };
Q_DECLARE_METATYPE(CancelAnswer)

class tst_MessageDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void shownErrorText_data();
    void shownErrorText();
    void commandErrors_data();
    void commandErrors();
    void fileErrors_data();
    void fileErrors();
    void concurrentCommunicationErrorsGiveOneBox();
    void communicationErrorWhileItsBoxIsOpenIsDropped();
    void questions_data();
    void questions();
    void savePackage_data();
    void savePackage();
    void confirmCancel_data();
    void confirmCancel();
    void confirmReplaceFromWorker_data();
    void confirmReplaceFromWorker();
    void confirmReplaceInGuiThreadDoesNotWait();
    void replaceQuestionRefusedWhileShuttingDown();
    void heldCommunicationErrorsAreCountedNotShown();

private:
    std::shared_ptr<MessageDialog> dialog;
};

void tst_MessageDialog::initTestCase() {
    dialog = MessageDialog::create();
    QVERIFY(dialog);
    QCOMPARE(MessageDialog::create(), dialog);
    QCOMPARE(MessageDialog::instance(), dialog);
}

void tst_MessageDialog::shownErrorText_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("detail");
    QTest::addColumn<QString>("text");

    QTest::newRow("read error with name")
        << 2 << QVariant(QStringLiteral("Song1.CMS")) << "File Read Error\nSong1.CMS";
    QTest::newRow("read error, empty detail") << 2 << QVariant(QString()) << "File Read Error";
    QTest::newRow("write error ignores detail")
        << 3 << QVariant(QStringLiteral("Song1.CMS")) << "File Write Error";
    QTest::newRow("memory full") << 6 << QVariant() << "Memory Full";
    QTest::newRow("communication") << 1 << QVariant() << "Communication Error";
    QTest::newRow("type 0") << 0 << QVariant(QStringLiteral("x")) << QString();
    QTest::newRow("unknown type") << 42 << QVariant() << QString();
}

void tst_MessageDialog::shownErrorText() {
    QFETCH(int, type);
    QFETCH(QVariant, detail);
    QFETCH(QString, text);

    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    MessageDialog::request(type, detail);
    deliverRequests();

    if (text.isEmpty()) {
        QCOMPARE(watcher.seen().size(), 0);
        return;
    }
    QCOMPARE(watcher.seen().size(), 1);
    const ModalBoxWatcher::SeenBox& box = watcher.seen().first();
    QCOMPARE(box.text, text);
    QCOMPARE(box.title, ErrorTitle);
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void tst_MessageDialog::commandErrors_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    const QVariant detail = QStringLiteral("Rhythm.AC7");
    QTest::newRow("0 no error") << 0 << QString();
    QTest::newRow("1 communication") << 1 << "Communication Error";
    QTest::newRow("2 memory full") << 2 << "Memory Full";
    QTest::newRow("3 format, detail kept") << 3 << "File Format Error\nRhythm.AC7";
    QTest::newRow("4 rejected") << 4 << "Communication Error";
    QTest::newRow("5 canceled") << 5 << QString();
    QTest::newRow("6 read, detail kept") << 6 << "File Read Error\nRhythm.AC7";
    QTest::newRow("7 write") << 7 << "File Write Error";
    QTest::newRow("8 data differs") << 8 << "Keyboard Data is Different";
    QTest::newRow("9 unknown") << 9 << QString();
    QTest::newRow("10 replace question") << 10 << QString();
}

void tst_MessageDialog::commandErrors() {
    QFETCH(int, code);
    QFETCH(QString, text);

    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    MessageDialog::requestCommandError(CommandErrorCode::T(code),
                                       QVariant(QStringLiteral("Rhythm.AC7")));
    deliverRequests();

    QCOMPARE(watcher.seen().size(), text.isEmpty() ? 0 : 1);
    if (!text.isEmpty()) {
        QCOMPARE(watcher.seen().first().text, text);
    }
}

void tst_MessageDialog::fileErrors_data() {
    QTest::addColumn<int>("fileError");
    QTest::addColumn<QString>("text");

    QTest::newRow("0 success") << 0 << QString();
    QTest::newRow("1 cannot read") << 1 << "File Read Error\nTone.TN7";
    QTest::newRow("2 cannot write") << 2 << "File Write Error";
    QTest::newRow("3 format") << 3 << "File Format Error\nTone.TN7";
    QTest::newRow("4 other model") << 4 << "File Format Error\nTone.TN7";
    QTest::newRow("5 too large") << 5 << "File Too Large\nTone.TN7";
    QTest::newRow("6 unknown") << 6 << QString();
}

void tst_MessageDialog::fileErrors() {
    QFETCH(int, fileError);
    QFETCH(QString, text);

    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    MessageDialog::requestFileError(fileError, QVariant(QStringLiteral("Tone.TN7")));
    deliverRequests();

    QCOMPARE(watcher.seen().size(), text.isEmpty() ? 0 : 1);
    if (!text.isEmpty()) {
        QCOMPARE(watcher.seen().first().text, text);
    }
}

void tst_MessageDialog::concurrentCommunicationErrorsGiveOneBox() {
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    auto fail = [] { MessageDialog::requestCommandError(CommandErrorCode::CommunicationError); };
    std::unique_ptr<QThread> first(QThread::create(fail));
    std::unique_ptr<QThread> second(QThread::create(fail));
    first->start();
    second->start();
    QVERIFY(first->wait(30000));
    QVERIFY(second->wait(30000));

    deliverRequests();

    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("Communication Error"));
}

void tst_MessageDialog::communicationErrorWhileItsBoxIsOpenIsDropped() {
    {
        bool secondCallReturned = false;
        QObject context;
        ModalBoxWatcher watcher([&](QMessageBox* box) {
            QPointer<QMessageBox> open(box);
            // Outside the watcher's own timer, so that a wrongly shown second
            // box would still be seen and closed.
            QTimer::singleShot(0, &context, [&, open] {
                dialog->show(1);
                secondCallReturned = true;
                if (open) {
                    open->button(QMessageBox::Ok)->click();
                }
            });
        });
        dialog->show(1);

        QVERIFY(secondCallReturned);
        QCOMPARE(watcher.seen().size(), 1);
    }

    // Once closed, the next communication error is shown again.
    ModalBoxWatcher next(ModalBoxWatcher::press(QMessageBox::Ok));
    dialog->show(1);
    QCOMPARE(next.seen().size(), 1);
}

void tst_MessageDialog::questions_data() {
    QTest::addColumn<Question>("question");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("press");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("result");

    QTest::newRow("exit yes") << Question::Exit << QString() << int(QMessageBox::Yes) << "Exit?"
                              << true;
    QTest::newRow("exit no") << Question::Exit << QString() << int(QMessageBox::No) << "Exit?"
                             << false;
    QTest::newRow("restore yes") << Question::Restore << "PRV-1100_240101.AL7"
                                 << int(QMessageBox::Yes)
                                 << "Restore from \"PRV-1100_240101.AL7\",\nSure?" << true;
    QTest::newRow("restore no") << Question::Restore << "b.AL7" << int(QMessageBox::No)
                                << "Restore from \"b.AL7\",\nSure?" << false;
    QTest::newRow("send package yes")
        << Question::SendPackage << "Live.PK7" << int(QMessageBox::Yes)
        << "Send Package \"Live.PK7\",\nSure?" << true;
    QTest::newRow("send package no") << Question::SendPackage << "Live.PK7" << int(QMessageBox::No)
                                     << "Send Package \"Live.PK7\",\nSure?" << false;
}

void tst_MessageDialog::questions() {
    QFETCH(Question, question);
    QFETCH(QString, name);
    QFETCH(int, press);
    QFETCH(QString, text);
    QFETCH(bool, result);

    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::StandardButton(press)));
    bool answer = !result;
    switch (question) {
    case Question::Exit:
        answer = MessageDialog::confirmExit();
        break;
    case Question::Restore:
        answer = MessageDialog::confirmRestore(name);
        break;
    case Question::SendPackage:
        answer = MessageDialog::confirmSendPackage(name);
        break;
    }

    QCOMPARE(answer, result);
    QCOMPARE(watcher.seen().size(), 1);
    const ModalBoxWatcher::SeenBox& box = watcher.seen().first();
    QCOMPARE(box.text, text);
    QCOMPARE(box.title, ConfirmationTitle);
    QCOMPARE(box.icon, QMessageBox::Question);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.defaultButton, QMessageBox::No);
}

void tst_MessageDialog::savePackage_data() {
    QTest::addColumn<int>("press");
    QTest::newRow("yes") << int(QMessageBox::Yes);
    QTest::newRow("no") << int(QMessageBox::No);
    QTest::newRow("cancel") << int(QMessageBox::Cancel);
}

void tst_MessageDialog::savePackage() {
    QFETCH(int, press);

    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::StandardButton(press)));
    const QMessageBox::StandardButton answer = MessageDialog::confirmSavePackage();

    QCOMPARE(int(answer), press);
    QCOMPARE(watcher.seen().size(), 1);
    const ModalBoxWatcher::SeenBox& box = watcher.seen().first();
    QCOMPARE(box.text, QStringLiteral("Package Data has Changed.\nSave Changes?"));
    QCOMPARE(box.title, ConfirmationTitle);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(box.defaultButton, QMessageBox::Cancel);
}

void tst_MessageDialog::confirmCancel_data() {
    QTest::addColumn<CancelAnswer>("answer");
    QTest::addColumn<bool>("result");

    QTest::newRow("yes") << CancelAnswer::PressYes << true;
    QTest::newRow("no") << CancelAnswer::PressNo << false;
    QTest::newRow("command ends first") << CancelAnswer::CommandEnds << false;
    QTest::newRow("command deleted, then no") << CancelAnswer::CommandDeleted << false;
}

void tst_MessageDialog::confirmCancel() {
    QFETCH(CancelAnswer, answer);
    QFETCH(bool, result);

    QPointer<CommandStub> command(new CommandStub);
    ModalBoxWatcher watcher([&](QMessageBox* box) {
        switch (answer) {
        case CancelAnswer::PressYes:
            box->button(QMessageBox::Yes)->click();
            break;
        case CancelAnswer::PressNo:
            box->button(QMessageBox::No)->click();
            break;
        case CancelAnswer::CommandEnds:
            emit command->finished();
            // Still open means the signal did not reach the box: answer Yes so
            // that the test fails instead of waiting forever.
            if (box->isVisible()) {
                box->button(QMessageBox::Yes)->click();
            }
            break;
        case CancelAnswer::CommandDeleted:
            delete command;
            box->button(QMessageBox::No)->click();
            break;
        }
    });

    const bool confirmed = MessageDialog::confirmCancel(command.data(), &CommandStub::finished);

    QCOMPARE(confirmed, result);
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("Cancel?"));
    QCOMPARE(watcher.seen().first().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(watcher.seen().first().defaultButton, QMessageBox::No);
    if (command) {
        // The question no longer listens once it is answered.
        QCOMPARE(command->finishedReceivers(), 0);
        delete command;
    }
}

void tst_MessageDialog::confirmReplaceFromWorker_data() {
    QTest::addColumn<int>("press");
    QTest::newRow("yes") << int(QMessageBox::Yes);
    QTest::newRow("yes to all") << int(QMessageBox::YesToAll);
    QTest::newRow("no") << int(QMessageBox::No);
    QTest::newRow("no to all") << int(QMessageBox::NoToAll);
}

void tst_MessageDialog::confirmReplaceFromWorker() {
    QFETCH(int, press);

    std::atomic<int> waits{0};
    const QMetaObject::Connection counting = connect(
        dialog.get(), &MessageDialog::waitRequired, dialog.get(), [&] { ++waits; },
        Qt::DirectConnection);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::StandardButton(press)));
    // Answer only once the worker has shown that it keeps waiting.
    watcher.setReady([&] { return waits.load() > 0; });

    std::atomic<int> answer{-1};
    std::unique_ptr<QThread> worker(QThread::create(
        [&] { answer = MessageDialog::confirmReplace(QStringLiteral("Rhythm 3")); }));
    worker->start();
    // Waiting for the answer itself, not for the thread's end, shows the thread
    // checker that the worker is done with the counting slot before it goes.
    QTRY_VERIFY_WITH_TIMEOUT(answer.load() != -1, 60000);
    QVERIFY(worker->wait(10000));
    disconnect(counting);

    QCOMPARE(answer.load(), press);
    QVERIFY(waits.load() > 0);
    QCOMPARE(watcher.seen().size(), 1);
    const ModalBoxWatcher::SeenBox& box = watcher.seen().first();
    QCOMPARE(box.text, QStringLiteral("Replace Rhythm 3,\nSure?"));
    QCOMPARE(box.title, ConfirmationTitle);
    QCOMPARE(box.icon, QMessageBox::Question);
    QCOMPARE(box.buttons,
             QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll);
    QCOMPARE(box.defaultButton, QMessageBox::No);
}

void tst_MessageDialog::confirmReplaceInGuiThreadDoesNotWait() {
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::YesToAll));
    QCOMPARE(MessageDialog::confirmReplace(QStringLiteral("Song 2")), QMessageBox::YesToAll);
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("Replace Song 2,\nSure?"));
}

void tst_MessageDialog::replaceQuestionRefusedWhileShuttingDown() {
    // The GUI thread is busy ending the program and never shows the box.
    std::atomic<int> answer{QMessageBox::NoButton};
    std::unique_ptr<QThread> worker(QThread::create([&answer] {
        answer.store(MessageDialog::confirmReplace(QStringLiteral("Rhythm Area 1")));
    }));
    worker->start();
    QThread::msleep(100);
    QCOMPARE(answer.load(), int(QMessageBox::NoButton));
    MessageDialog::refuseReplaceQuestions(true);
    const bool ended = worker->wait(5000);
    MessageDialog::refuseReplaceQuestions(false);
    QVERIFY(ended);
    QCOMPARE(answer.load(), int(QMessageBox::No));
    // The question that was never shown is dropped with the queued events.
    QCoreApplication::removePostedEvents(MessageDialog::instance().get());
}

void tst_MessageDialog::heldCommunicationErrorsAreCountedNotShown() {
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    MessageDialog::holdCommunicationErrors();
    MessageDialog::requestCommandError(CommandErrorCode::CommunicationError);
    MessageDialog::requestCommandError(CommandErrorCode::FileWriteError);
    deliverRequests();
    QVERIFY(MessageDialog::releaseCommunicationErrors());
    QVERIFY(!MessageDialog::releaseCommunicationErrors());
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("File Write Error"));
    MessageDialog::requestCommandError(CommandErrorCode::CommunicationError);
    deliverRequests();
    QCOMPARE(watcher.seen().size(), 2);
    QCOMPARE(watcher.seen().last().text, QStringLiteral("Communication Error"));
}

QTEST_MAIN(tst_MessageDialog)
#include "tst_MessageDialog.moc"
