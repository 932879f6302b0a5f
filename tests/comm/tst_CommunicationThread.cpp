#include "ScriptCommand.h"

#include "comm/CommunicationThread.h"

#include <QtTest>

#include <memory>
#include <thread>

using namespace zel::qmix::comm;

namespace {

constexpr int Patience = 30000;

QSharedPointer<ScriptCommand> scripted(const QString& name, const std::shared_ptr<EventLog>& log) {
    return QSharedPointer<ScriptCommand>::create(name, log);
}

// A command at level 0 that holds the thread until the gate opens, so the
// test can fill the queue before anything else runs.
QSharedPointer<ScriptCommand> holdThread(CommunicationThread& thread,
                                         const std::shared_ptr<EventLog>& log,
                                         const std::shared_ptr<Gate>& gate) {
    auto holder = scripted("hold", log);
    holder->holdAt(gate);
    thread.enqueue(holder, 0);
    return holder;
}

} // namespace

class tst_CommunicationThread : public QObject {
    Q_OBJECT

private slots:
    void order_data();
    void order();
    void idleThreadTakesNewCommand();
    void clearDropsQueuedCommands();
    void commandIsReleasedAfterItRan();
    void stoppingLetsTheRunningCommandFinish();
};

void tst_CommunicationThread::order_data() {
    QTest::addColumn<QList<int>>("levels");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("levels 4, 1, 0") << QList<int>{4, 1, 0} << QStringList{"c2", "c1", "c0"};
    QTest::newRow("one level, first in first out")
        << QList<int>{3, 3, 3} << QStringList{"c0", "c1", "c2"};
    QTest::newRow("mixed") << QList<int>{4, 0, 2, 0, 4, 1}
                           << QStringList{"c1", "c3", "c5", "c2", "c0", "c4"};
}

void tst_CommunicationThread::order() {
    QFETCH(QList<int>, levels);
    QFETCH(QStringList, expected);

    auto log = std::make_shared<EventLog>();
    auto gate = std::make_shared<Gate>();
    CommunicationThread thread;
    thread.start();
    holdThread(thread, log, gate);
    QTRY_VERIFY_WITH_TIMEOUT(gate->isWaiting(), Patience);

    for (int i = 0; i < levels.size(); ++i)
        thread.enqueue(scripted(QString("c%1").arg(i), log), levels.at(i));
    gate->open();

    QTRY_COMPARE_WITH_TIMEOUT(log->eventsOf("c").count(), 5 * levels.size(), Patience);
    QStringList started;
    for (const QString& event : log->events()) {
        if (event.startsWith("c") && event.endsWith(":started"))
            started << event.section(':', 0, 0);
    }
    QCOMPARE(started, expected);
}

void tst_CommunicationThread::idleThreadTakesNewCommand() {
    auto log = std::make_shared<EventLog>();
    CommunicationThread thread;
    thread.start();
    QTest::qWait(20); // let it idle a few rounds first

    thread.enqueue(scripted("late", log), 4);

    QTRY_COMPARE_WITH_TIMEOUT(log->count("late:finished 0"), 1, Patience);
}

void tst_CommunicationThread::clearDropsQueuedCommands() {
    auto log = std::make_shared<EventLog>();
    auto gate = std::make_shared<Gate>();
    CommunicationThread thread;
    thread.start();
    holdThread(thread, log, gate);
    QTRY_VERIFY_WITH_TIMEOUT(gate->isWaiting(), Patience);
    thread.enqueue(scripted("dropped0", log), 0);
    thread.enqueue(scripted("dropped1", log), 4);
    QCOMPARE(thread.queuedCount(0), 1);
    QCOMPARE(thread.queuedCount(4), 1);

    QCOMPARE(thread.clear(), 2);
    QCOMPARE(thread.queuedCount(0), 0);
    QCOMPARE(thread.queuedCount(4), 0);
    gate->open();
    thread.enqueue(scripted("after", log), 4);

    QTRY_COMPARE_WITH_TIMEOUT(log->count("after:finished 0"), 1, Patience);
    QVERIFY(log->eventsOf("dropped").isEmpty());
    QCOMPARE(log->count("hold:finished 0"), 1);
}

void tst_CommunicationThread::commandIsReleasedAfterItRan() {
    auto log = std::make_shared<EventLog>();
    CommunicationThread thread;
    thread.start();
    QWeakPointer<ScriptCommand> weak;
    {
        auto command = scripted("once", log);
        weak = command;
        thread.enqueue(command, 2);
    }

    QTRY_VERIFY_WITH_TIMEOUT(weak.isNull(), Patience);
    QCOMPARE(log->count("once:started"), 1);
    QCOMPARE(log->count("once:finished 0"), 1);
}

void tst_CommunicationThread::stoppingLetsTheRunningCommandFinish() {
    auto log = std::make_shared<EventLog>();
    auto gate = std::make_shared<Gate>();
    std::thread opener;
    {
        CommunicationThread thread;
        thread.start();
        holdThread(thread, log, gate);
        QTRY_VERIFY_WITH_TIMEOUT(gate->isWaiting(), Patience);
        opener = std::thread([gate] {
            QThread::msleep(50);
            gate->open();
        });
        // The destructor quits and waits for the running command.
    }
    opener.join();
    QCOMPARE(log->count("hold:finished 0"), 1);
}

QTEST_GUILESS_MAIN(tst_CommunicationThread)
#include "tst_CommunicationThread.moc"
