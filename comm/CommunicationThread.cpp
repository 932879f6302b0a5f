#include "comm/CommunicationThread.h"

#include "comm/AbstractCommand.h"

#include <QMutexLocker>

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
}

void CommunicationThread::enqueue(const QSharedPointer<AbstractCommand>& command, int level) {
    Q_ASSERT(level >= 0 && level < LevelCount);
    if (level < 0 || level >= LevelCount)
        level = LowestLevel;
    // The command is deleted where it ran, on this thread.
    if (command->thread() != this)
        command->moveToThread(this);
    QMutexLocker locker(&mutex_);
    queue_[size_t(level)].append(command);
}

QList<QSharedPointer<AbstractCommand>> CommunicationThread::clear() {
    QList<QSharedPointer<AbstractCommand>> dropped;
    QMutexLocker locker(&mutex_);
    for (auto& level : queue_) {
        dropped += level;
        level.clear();
    }
    return dropped;
}

int CommunicationThread::queuedCount(int level) const {
    if (level < 0 || level >= LevelCount)
        return 0;
    QMutexLocker locker(&mutex_);
    return int(queue_[size_t(level)].size());
}

void CommunicationThread::executeCommand() {
    if (QSharedPointer<AbstractCommand> command = takeNext())
        command->execute();
    else
        msleep(IdleSleepMs);
    emit proceed();
}

void CommunicationThread::run() {
    emit proceed();
    exec();
}

QSharedPointer<AbstractCommand> CommunicationThread::takeNext() {
    QMutexLocker locker(&mutex_);
    for (auto& level : queue_) {
        if (!level.isEmpty())
            return level.takeFirst();
    }
    return {};
}

} // namespace zel::qmix::comm
