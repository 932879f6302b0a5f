#include "ScriptCommand.h"

#include <QtTest>

#include <memory>
#include <thread>

using namespace zel::qmix::comm;

class tst_AbstractCommand : public QObject {
    Q_OBJECT

private slots:
    void canceledBeforeRunTakesNoStep();
    void finishedSignals_data();
    void finishedSignals();
    void cancel_data();
    void cancel();
    void failureKeepsItsCodeAgainstRelayedCancel();
    void successEmitsNoCancelRequest();
    void cancelDisableIsAnnouncedOnlyWhenCleared();
    void cancelFromAnotherThreadStopsRunningCommand();
    void defaults();
};

void tst_AbstractCommand::canceledBeforeRunTakesNoStep() {
    auto log = std::make_shared<EventLog>();
    ScriptCommand command("c", log);
    command.setSteps(3);
    command.cancel();

    command.execute();

    QCOMPARE(command.stepsTaken(), 0);
    QCOMPARE(command.errorCode(), CommandErrorCode::Canceled);
    QCOMPARE(log->events(), QStringList({"c:started", "c:begin", "c:end", "c:finished 5"}));
}

void tst_AbstractCommand::finishedSignals_data() {
    QTest::addColumn<QVariant>("result");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("string") << QVariant(QString("PRV-1100"))
                            << QStringList({"string PRV-1100", "variant PRV-1100"});
    QTest::newRow("empty string") << QVariant(QString("")) << QStringList({"string ", "variant "});
    QTest::newRow("int") << QVariant(7) << QStringList({"variant 7"});
    QTest::newRow("bytes are no string")
        << QVariant(QByteArray("ab")) << QStringList({"variant ab"});
}

void tst_AbstractCommand::finishedSignals() {
    QFETCH(QVariant, result);
    QFETCH(QStringList, expected);

    ScriptCommand command("c", std::make_shared<EventLog>());
    command.setResult(result);
    QStringList seen;
    connect(&command, qOverload<QString>(&AbstractCommand::finished), this,
            [&](const QString& text) { seen << "string " + text; });
    connect(&command, qOverload<QVariant>(&AbstractCommand::finished), this,
            [&](const QVariant& value) { seen << "variant " + value.toString(); });

    command.execute();

    QCOMPARE(seen, expected);
}

void tst_AbstractCommand::cancel_data() {
    QTest::addColumn<bool>("cancelable");
    QTest::addColumn<int>("codeBefore");
    QTest::addColumn<bool>("canceledBefore");
    QTest::addColumn<int>("codeAfter");
    QTest::addColumn<bool>("canceledAfter");

    QTest::newRow("cancelable") << true << 0 << false << 5 << true;
    QTest::newRow("cancelable with an error") << true << 1 << false << 5 << true;
    QTest::newRow("already canceled") << true << 5 << true << 5 << true;
    QTest::newRow("not cancelable") << false << 0 << false << 0 << false;
    QTest::newRow("not cancelable with an error") << false << 1 << false << 1 << false;
}

void tst_AbstractCommand::cancel() {
    QFETCH(bool, cancelable);
    QFETCH(int, codeBefore);
    QFETCH(bool, canceledBefore);
    QFETCH(int, codeAfter);
    QFETCH(bool, canceledAfter);

    ScriptCommand command("c", std::make_shared<EventLog>());
    if (canceledBefore)
        command.cancel();
    command.setErrorCode(CommandErrorCode::T(codeBefore));
    command.setCancelable(cancelable);

    command.cancel();

    QCOMPARE(int(command.errorCode()), codeAfter);
    QCOMPARE(command.isCanceled(), canceledAfter);
}

void tst_AbstractCommand::failureKeepsItsCodeAgainstRelayedCancel() {
    ScriptCommand command("c", std::make_shared<EventLog>());
    command.setSteps(5);
    command.failAt(2, CommandErrorCode::CommunicationError);
    // The communicator relays every cancel request back to all commands,
    // the failing one included.
    connect(&command, &AbstractCommand::cancelRequested, &command, &AbstractCommand::cancel,
            Qt::DirectConnection);
    QSignalSpy cancelRequests(&command, &AbstractCommand::cancelRequested);

    command.execute();

    QCOMPARE(cancelRequests.count(), 1);
    QCOMPARE(command.stepsTaken(), 2);
    QCOMPARE(command.errorCode(), CommandErrorCode::CommunicationError);
    QVERIFY(!command.isCanceled());
}

void tst_AbstractCommand::successEmitsNoCancelRequest() {
    auto log = std::make_shared<EventLog>();
    ScriptCommand command("c", log);
    command.setSteps(3);
    QSignalSpy cancelRequests(&command, &AbstractCommand::cancelRequested);

    command.execute();

    QCOMPARE(cancelRequests.count(), 0);
    QCOMPARE(command.stepsTaken(), 3);
    QCOMPARE(log->events(), QStringList({"c:started", "c:begin", "c:step", "c:step", "c:step",
                                         "c:end", "c:finished 0"}));
}

void tst_AbstractCommand::cancelDisableIsAnnouncedOnlyWhenCleared() {
    ScriptCommand command("c", std::make_shared<EventLog>());
    QSignalSpy disabled(&command, &AbstractCommand::cancelDisableRequested);

    command.setCancelable(true);
    QCOMPARE(disabled.count(), 0);
    command.setCancelable(false);
    QCOMPARE(disabled.count(), 1);
    QVERIFY(!command.isCancelable());
}

void tst_AbstractCommand::cancelFromAnotherThreadStopsRunningCommand() {
    auto gate = std::make_shared<Gate>();
    ScriptCommand command("c", std::make_shared<EventLog>());
    command.setSteps(1000);
    command.holdAt(gate);

    std::thread runner([&] { command.execute(); });
    QTRY_VERIFY_WITH_TIMEOUT(gate->isWaiting(), 30000);
    command.cancel();
    gate->open();
    runner.join();

    QCOMPARE(command.stepsTaken(), 1);
    QCOMPARE(command.errorCode(), CommandErrorCode::Canceled);
}

void tst_AbstractCommand::defaults() {
    ScriptCommand command("c", std::make_shared<EventLog>());
    QCOMPARE(command.replyTimeoutMs(), 4000);
    QCOMPARE(command.errorCode(), CommandErrorCode::NoError);
    QVERIFY(command.isCancelable());
    QVERIFY(!command.isCanceled());
    QVERIFY(!command.isSuspended());
    QVERIFY(!command.info().isValid());
    command.setSuspended(true);
    QVERIFY(command.isSuspended());
}

QTEST_GUILESS_MAIN(tst_AbstractCommand)
#include "tst_AbstractCommand.moc"
