#include "etc/TimerThread.h"

namespace zel::qmix::etc {

TimerThread::TimerThread() {
    clock_.start();
    // loop() must run on this thread, behind whatever else is waiting there.
    moveToThread(this);
    connect(this, &TimerThread::proceed, this, &TimerThread::loop, Qt::QueuedConnection);
}

TimerThread::~TimerThread() {
    quit();
    wait();
    const std::lock_guard<std::mutex> ended(runMutex_);
}

void TimerThread::startStopwatch() {
    stopwatchStart_.store(clock_.elapsed());
}

void TimerThread::loop() {
    const qint64 start = stopwatchStart_.load();
    // Until the stopwatch runs there is nothing to measure.
    if (start == NotStarted || clock_.elapsed() - start < intervalMs_.load()) {
        msleep(1);
    } else {
        emit timeout();
        stopwatchStart_.store(clock_.elapsed());
    }
    emit proceed();
}

void TimerThread::run() {
    const std::lock_guard<std::mutex> running(runMutex_);
    emit proceed();
    exec();
}

} // namespace zel::qmix::etc
