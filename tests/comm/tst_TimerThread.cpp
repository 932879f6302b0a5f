#include "etc/TimerThread.h"

#include <QtTest>

#include <atomic>

using namespace zel::qmix::etc;

namespace {

constexpr int Patience = 30000;

} // namespace

class tst_TimerThread : public QObject {
    Q_OBJECT

private slots:
    void ticksOnceTheStopwatchRuns();
    void noTickBeforeTheStopwatchStarts();
    void stopsWhenQuit();
};

void tst_TimerThread::ticksOnceTheStopwatchRuns() {
    TimerThread timer;
    std::atomic<int> ticks{0};
    connect(
        &timer, &TimerThread::timeout, &timer, [&] { ++ticks; }, Qt::DirectConnection);
    timer.setInterval(10);
    timer.start();
    timer.startStopwatch();

    QTRY_VERIFY_WITH_TIMEOUT(ticks.load() >= 5, Patience);
}

void tst_TimerThread::noTickBeforeTheStopwatchStarts() {
    TimerThread timer;
    std::atomic<int> ticks{0};
    std::atomic<int> rounds{0};
    connect(
        &timer, &TimerThread::timeout, &timer, [&] { ++ticks; }, Qt::DirectConnection);
    connect(
        &timer, &TimerThread::proceed, &timer, [&] { ++rounds; }, Qt::DirectConnection);
    timer.setInterval(0);
    timer.start();

    QTRY_VERIFY_WITH_TIMEOUT(rounds.load() >= 20, Patience);
    QCOMPARE(ticks.load(), 0);
    timer.startStopwatch();
    QTRY_VERIFY_WITH_TIMEOUT(ticks.load() >= 1, Patience);
}

void tst_TimerThread::stopsWhenQuit() {
    TimerThread timer;
    std::atomic<int> ticks{0};
    connect(
        &timer, &TimerThread::timeout, &timer, [&] { ++ticks; }, Qt::DirectConnection);
    timer.setInterval(1);
    timer.start();
    timer.startStopwatch();
    QTRY_VERIFY_WITH_TIMEOUT(ticks.load() >= 1, Patience);

    timer.quit();
    QVERIFY(timer.wait(Patience));
    const int afterStop = ticks.load();
    QTest::qWait(20);
    QCOMPARE(ticks.load(), afterStop);
}

QTEST_GUILESS_MAIN(tst_TimerThread)
#include "tst_TimerThread.moc"
