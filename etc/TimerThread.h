#pragma once

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <mutex>

namespace zel::qmix::etc {

// A small periodic ticker on its own thread, for commands that must report
// progress while they wait: set the interval, start the thread, then start
// the stopwatch; timeout() follows every interval from then on.
class TimerThread : public QThread {
    Q_OBJECT
public:
    // Lives on its own thread, hence without a parent.
    TimerThread();
    ~TimerThread() override;

    void setInterval(int ms) { intervalMs_.store(ms); }
    int interval() const { return intervalMs_.load(); }

    // Starts, or restarts, the stopwatch; may be called from any thread.
    void startStopwatch();

signals:
    void proceed();
    void timeout();

public slots:
    void loop();

protected:
    void run() override;

private:
    static constexpr qint64 NotStarted = -1;

    std::atomic<int> intervalMs_{0};
    // The stopwatch, as the reading of a clock that runs from construction,
    // so that starting it and reading it on different threads needs no lock.
    QElapsedTimer clock_;
    std::atomic<qint64> stopwatchStart_{NotStarted};
    // Held by the thread for as long as run() lasts and taken by the
    // destructor after wait(): QThread's own end-of-run handshake goes
    // through Qt's futex locks, which thread checkers cannot see.
    std::mutex runMutex_;
};

} // namespace zel::qmix::etc
