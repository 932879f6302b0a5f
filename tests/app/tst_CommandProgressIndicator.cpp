#include "app/CommandProgressIndicator.h"
#include "app/MessageDialog.h"

#include "ModalBoxWatcher.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using zel::qmix::gui::CommandProgressIndicator;
using zel::qmix::gui::MessageDialog;

class tst_CommandProgressIndicator : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { MessageDialog::create(); }

    void progressValue_data();
    void progressValue();
    void batchCountsAndHidesHalfASecondAfterTheLast();
    void startWithinTheDelayKeepsTheStrip();
    void registeringWithinTheDelayDoesNotKeepTheStrip();
    void titleWithPercentSignIsShownAsIs();
    void cancelQuestion_data();
    void cancelQuestion();
    void cancelQuestionClosedByTheWorkEndingCountsAsNo();
};

void tst_CommandProgressIndicator::progressValue_data() {
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("expected");
    QTest::newRow("no total") << 5 << 0 << 0;
    QTest::newRow("done") << 7 << 7 << 100;
    QTest::newRow("past the end") << 9 << 7 << 100;
    QTest::newRow("negative") << -1 << 10 << 0;
    QTest::newRow("third") << 1 << 3 << 33;
    QTest::newRow("large byte counts") << 2000000000 << 2100000000 << 95;
}

void tst_CommandProgressIndicator::progressValue() {
    QFETCH(int, current);
    QFETCH(int, max);
    QFETCH(int, expected);
    CommandProgressIndicator indicator;
    indicator.setProgressValue(current, max);
    QCOMPARE(indicator.progressValue(), expected);
}

void tst_CommandProgressIndicator::batchCountsAndHidesHalfASecondAfterTheLast() {
    CommandProgressIndicator indicator;
    QSignalSpy hided(&indicator, &CommandProgressIndicator::hided);
    for (int i = 0; i < 3; ++i)
        indicator.incrementCommandCountMax();
    QStringList totals;
    for (int i = 0; i < 3; ++i) {
        indicator.start(QVariant(QStringLiteral("Sending")));
        indicator.incrementCommandCountCurrent();
        totals << indicator.totalText();
    }
    QCOMPARE(totals, QStringList({"1/3", "2/3", "3/3"}));
    QVERIFY(indicator.isVisible());
    QTest::qWait(CommandProgressIndicator::HideDelayMs / 2);
    QVERIFY(indicator.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!indicator.isVisible(), 2000);
    QCOMPARE(hided.count(), 1);
    // A new batch counts from zero.
    QCOMPARE(indicator.totalText(), QStringLiteral("0/0"));
}

void tst_CommandProgressIndicator::startWithinTheDelayKeepsTheStrip() {
    CommandProgressIndicator indicator;
    indicator.incrementCommandCountMax();
    indicator.start(QStringLiteral("First"));
    indicator.incrementCommandCountCurrent();
    QTest::qWait(100);
    indicator.incrementCommandCountMax();
    indicator.start(QStringLiteral("Second"));
    QTest::qWait(CommandProgressIndicator::HideDelayMs + 200);
    QVERIFY(indicator.isVisible());
    QCOMPARE(indicator.totalText(), QStringLiteral("1/2"));
}

void tst_CommandProgressIndicator::registeringWithinTheDelayDoesNotKeepTheStrip() {
    CommandProgressIndicator indicator;
    for (int i = 0; i < 3; ++i)
        indicator.incrementCommandCountMax();
    indicator.start(QStringLiteral("Work"));
    for (int i = 0; i < 3; ++i)
        indicator.incrementCommandCountCurrent();
    indicator.incrementCommandCountMax();
    QCOMPARE(indicator.totalText(), QStringLiteral("3/4"));
    QTRY_VERIFY_WITH_TIMEOUT(!indicator.isVisible(), 2000);
}

void tst_CommandProgressIndicator::titleWithPercentSignIsShownAsIs() {
    CommandProgressIndicator indicator;
    indicator.start(QStringLiteral("Sending \"100%p.AC7\""));
    indicator.setProgressValue(50);
    QString shown = indicator.currentText();
    shown.remove(QChar(0x200B));
    QCOMPARE(shown, QStringLiteral("Sending \"100%p.AC7\"    (50%)"));
}

void tst_CommandProgressIndicator::cancelQuestion_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("cancels");
    QTest::newRow("yes") << int(QMessageBox::Yes) << 1;
    QTest::newRow("no") << int(QMessageBox::No) << 0;
}

void tst_CommandProgressIndicator::cancelQuestion() {
    QFETCH(int, button);
    QFETCH(int, cancels);
    CommandProgressIndicator indicator;
    QSignalSpy cancel(&indicator, &CommandProgressIndicator::cancelRequested);
    QSignalSpy suspend(&indicator, &CommandProgressIndicator::suspendChangeRequested);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::StandardButton(button)));
    indicator.requestCancel();
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("Cancel?"));
    QCOMPARE(cancel.count(), cancels);
    QCOMPARE(suspend.count(), 2);
    QCOMPARE(suspend.at(0).at(0).toBool(), true);
    QCOMPARE(suspend.at(1).at(0).toBool(), false);
}

void tst_CommandProgressIndicator::cancelQuestionClosedByTheWorkEndingCountsAsNo() {
    CommandProgressIndicator indicator;
    indicator.incrementCommandCountMax();
    indicator.start(QStringLiteral("Receiving"));
    QSignalSpy cancel(&indicator, &CommandProgressIndicator::cancelRequested);
    // The command ends while the question is open; the strip hides on its own.
    ModalBoxWatcher watcher([&](QMessageBox* box) {
        indicator.incrementCommandCountCurrent();
        QTest::qWait(CommandProgressIndicator::HideDelayMs + 300);
        if (box->isVisible())
            box->button(QMessageBox::Yes)->click();
    });
    indicator.requestCancel();
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(cancel.count(), 0);
    QVERIFY(!indicator.isVisible());
}

QTEST_MAIN(tst_CommandProgressIndicator)
#include "tst_CommandProgressIndicator.moc"
