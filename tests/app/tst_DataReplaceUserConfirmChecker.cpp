#include "app/DataReplaceUserConfirmChecker.h"
#include "app/MessageDialog.h"
#include "comm/BulkSendCommandResult.h"
#include "data/KeyboardInfo.h"
#include "data/RhythmDataCategory.h"
#include "data/Zq10Info.h"

#include "ModalBoxWatcher.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <thread>

using zel::qmix::comm::BulkSendCommandResult;
using zel::qmix::gui::DataReplaceUserConfirmChecker;
using zel::qmix::gui::MessageDialog;

namespace {

QVariant rhythmArea(int keyboardArea) {
    const int rhythm = zel::qmix::data::RhythmDataCategory::instance()->id();
    return QVariant::fromValue(BulkSendCommandResult{10, rhythm, keyboardArea});
}

// Asks on another thread, as a send does, while this thread shows the box.
// A plain thread that is joined, rather than Qt's thread pool, so that the
// thread checker sees the hand-over of the answer: Qt's own locks are hidden
// from it.
bool checkFromAnotherThread(DataReplaceUserConfirmChecker& checker, const QVariant& subject) {
    std::atomic<bool> asked{false};
    bool answer = false;
    std::thread sender([&] {
        answer = checker.check(subject);
        asked.store(true);
    });
    const bool answered = QTest::qWaitFor([&] { return asked.load(); }, 10000);
    if (!answered) {
        // Nobody showed the box: let the sender go before giving up on it.
        MessageDialog::refuseReplaceQuestions(true);
    }
    sender.join();
    MessageDialog::refuseReplaceQuestions(false);
    return answered && answer;
}

} // namespace

class tst_DataReplaceUserConfirmChecker : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void answers_data();
    void answers();
    void batchEndForgetsToAllAnswers();
    void otherSubjectsAreRefusedWithoutAsking();
    void keepsTheSenderWaitingWhileAsking();
};

void tst_DataReplaceUserConfirmChecker::initTestCase() {
    MessageDialog::create();
    zel::qmix::data::KeyboardInfo::setCurrentModel(zel::qmix::data::Zq10Info::instance());
}

void tst_DataReplaceUserConfirmChecker::answers_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("first");
    QTest::addColumn<int>("questionsForThree");
    QTest::addColumn<bool>("later");
    QTest::newRow("yes asks each time") << int(QMessageBox::Yes) << true << 3 << true;
    QTest::newRow("yes to all asks once") << int(QMessageBox::YesToAll) << true << 1 << true;
    QTest::newRow("no asks each time") << int(QMessageBox::No) << false << 3 << false;
    QTest::newRow("no to all asks once") << int(QMessageBox::NoToAll) << false << 1 << false;
}

void tst_DataReplaceUserConfirmChecker::answers() {
    QFETCH(int, button);
    QFETCH(bool, first);
    QFETCH(int, questionsForThree);
    QFETCH(bool, later);
    DataReplaceUserConfirmChecker checker;
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::StandardButton(button)));

    QCOMPARE(checkFromAnotherThread(checker, rhythmArea(2)), first);
    QCOMPARE(checkFromAnotherThread(checker, rhythmArea(3)), later);
    QCOMPARE(checkFromAnotherThread(checker, rhythmArea(4)), later);
    QCOMPARE(watcher.seen().size(), questionsForThree);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("Replace Rhythm Area 3,\nSure?"));
    QCOMPARE(watcher.seen().first().buttons,
             QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll);
}

void tst_DataReplaceUserConfirmChecker::batchEndForgetsToAllAnswers() {
    DataReplaceUserConfirmChecker checker;
    {
        ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::NoToAll));
        QVERIFY(!checkFromAnotherThread(checker, rhythmArea(0)));
    }
    checker.clearLastSelected();
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Yes));
    QVERIFY(checkFromAnotherThread(checker, rhythmArea(0)));
    QCOMPARE(watcher.seen().size(), 1);
}

void tst_DataReplaceUserConfirmChecker::otherSubjectsAreRefusedWithoutAsking() {
    DataReplaceUserConfirmChecker checker;
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Yes));
    QVERIFY(!checkFromAnotherThread(checker, QVariant(QStringLiteral("Rhythm Area 1"))));
    QVERIFY(
        !checkFromAnotherThread(checker, QVariant::fromValue(BulkSendCommandResult{10, 99, 0})));
    QTest::qWait(50);
    QCOMPARE(watcher.seen().size(), 0);
}

void tst_DataReplaceUserConfirmChecker::keepsTheSenderWaitingWhileAsking() {
    DataReplaceUserConfirmChecker checker;
    QSignalSpy waits(&checker, &DataReplaceUserConfirmChecker::waitRequired);
    ModalBoxWatcher watcher([](QMessageBox* box) {
        QTest::qWait(200);
        box->button(QMessageBox::Yes)->click();
    });
    QVERIFY(checkFromAnotherThread(checker, rhythmArea(0)));
    QVERIFY(waits.count() >= 5);
}

QTEST_MAIN(tst_DataReplaceUserConfirmChecker)
#include "tst_DataReplaceUserConfirmChecker.moc"
