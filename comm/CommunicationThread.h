#pragma once

#include <QList>
#include <QSharedPointer>
#include <QThread>

#include <array>
#include <mutex>

namespace zel::qmix::comm {

class AbstractCommand;

// The one thread on which every command runs, one at a time, taken from a
// five-level priority queue: level 0 first, first in first out within a
// level. The queue lock is never held while a command runs. With nothing
// queued the thread sleeps in its event loop until a command is queued.
class CommunicationThread : public QThread {
    Q_OBJECT
public:
    static constexpr int LevelCount = 5;
    static constexpr int LowestLevel = LevelCount - 1;

    explicit CommunicationThread();
    ~CommunicationThread() override;

    // Queues the command; the thread runs it when its turn comes. A level
    // outside 0..4 is taken as the lowest.
    void enqueue(const QSharedPointer<AbstractCommand>& command, int level);
    // Drops every queued command unexecuted and returns how many there were.
    // They are released on this thread, where they live.
    int clear();
    // The same for one level only.
    int clear(int level);
    int queuedCount(int level) const;

signals:
    void proceed();

public slots:
    void executeCommand();

protected:
    void run() override;

private:
    QSharedPointer<AbstractCommand> takeNext();
    void wakeIfIdle();
    void releaseDropped();

    std::array<QList<QSharedPointer<AbstractCommand>>, LevelCount> queue_;
    QList<QSharedPointer<AbstractCommand>> dropped_;
    // A standard mutex, so that thread checkers see the hand-over of each
    // command from the registering thread to this one.
    mutable std::recursive_mutex mutex_;
    // Held by the thread for as long as run() lasts and taken by the
    // destructor after wait(): QThread's own end-of-run handshake goes
    // through Qt's futex locks, which thread checkers cannot see.
    std::mutex runMutex_;
    // The thread waits for enqueue() rather than for a command (guarded by mutex_).
    bool idle_ = false;
};

} // namespace zel::qmix::comm
