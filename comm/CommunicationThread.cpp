#include "comm/CommunicationThread.h"

#include "comm/AbstractCommand.h"

namespace zel::qmix::comm {

CommunicationThread::CommunicationThread() {
    // executeCommand() must always run on this thread, behind any events
    // already waiting there.
    moveToThread(this);
    connect(this, &CommunicationThread::proceed, this, &CommunicationThread::executeCommand,
            Qt::QueuedConnection);
}

CommunicationThread::~CommunicationThread() {
    quit();
    wait();
    const std::lock_guard<std::mutex> ended(runMutex_);
}

void CommunicationThread::enqueue(const QSharedPointer<AbstractCommand>& command, int level) {
    Q_ASSERT(level >= 0 && level < LevelCount);
    if (level < 0 || level >= LevelCount)
        level = LowestLevel;
    // The command is deleted where it ran, on this thread.
    if (command->thread() != this)
        command->moveToThread(this);
    const std::lock_guard<std::recursive_mutex> lock(mutex_);
    queue_[size_t(level)].append(command);
    wakeIfIdle();
}

void CommunicationThread::wakeIfIdle() {
    // Called with the queue locked, so the thread cannot fall idle between
    // the check and the wake-up.
    if (!idle_)
        return;
    idle_ = false;
    emit proceed();
}

int CommunicationThread::clear() {
    const std::lock_guard<std::recursive_mutex> lock(mutex_);
    int count = 0;
    for (int level = 0; level < LevelCount; ++level)
        count += clear(level);
    return count;
}

int CommunicationThread::clear(int level) {
    if (level < 0 || level >= LevelCount)
        return 0;
    const std::lock_guard<std::recursive_mutex> lock(mutex_);
    QList<QSharedPointer<AbstractCommand>>& queued = queue_[size_t(level)];
    const int count = int(queued.size());
    dropped_ += queued;
    queued.clear();
    // The dropped commands are released by the thread, which must wake for it.
    if (count > 0)
        wakeIfIdle();
    return count;
}

int CommunicationThread::queuedCount(int level) const {
    if (level < 0 || level >= LevelCount)
        return 0;
    const std::lock_guard<std::recursive_mutex> lock(mutex_);
    return int(queue_[size_t(level)].size());
}

void CommunicationThread::executeCommand() {
    releaseDropped();
    QSharedPointer<AbstractCommand> command;
    {
        const std::lock_guard<std::recursive_mutex> lock(mutex_);
        command = takeNext();
        // Nothing to do: sleep in the event loop until enqueue() wakes us,
        // instead of polling, so an idle program costs no processor time.
        if (!command) {
            idle_ = true;
            return;
        }
    }
    command->execute();
    command.reset();
    emit proceed();
}

void CommunicationThread::run() {
    const std::lock_guard<std::mutex> running(runMutex_);
    emit proceed();
    exec();
}

void CommunicationThread::releaseDropped() {
    QList<QSharedPointer<AbstractCommand>> released;
    {
        const std::lock_guard<std::recursive_mutex> lock(mutex_);
        released.swap(dropped_);
    }
    // The last references go here, outside the lock.
}

QSharedPointer<AbstractCommand> CommunicationThread::takeNext() {
    const std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (auto& level : queue_) {
        if (!level.isEmpty())
            return level.takeFirst();
    }
    return {};
}

} // namespace zel::qmix::comm
