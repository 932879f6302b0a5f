#include "ScriptCommand.h"

#include <QElapsedTimer>
#include <QThread>

using namespace zel::qmix::comm;

void EventLog::add(const QString& event) {
    const std::lock_guard<std::mutex> lock(mutex_);
    events_.append(event);
}

QStringList EventLog::events() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    // A list of its own: one that shared its buffer with the log would let the
    // reader's copy and the writer's append meet in the same block.
    QStringList copy;
    copy.reserve(events_.size());
    for (const QString& event : events_)
        copy.append(event);
    return copy;
}

QStringList EventLog::eventsOf(const QString& prefix) const {
    QStringList matching;
    const QStringList all = events();
    for (const QString& event : all) {
        if (event.startsWith(prefix))
            matching.append(event);
    }
    return matching;
}

int EventLog::count(const QString& event) const {
    return int(events().count(event));
}

bool Gate::waitOpen() const {
    waiting_.store(true);
    QElapsedTimer waited;
    waited.start();
    while (!open_.load()) {
        if (waited.elapsed() > 30000)
            return false;
        QThread::msleep(1);
    }
    return true;
}

ScriptCommand::ScriptCommand(const QString& name, std::shared_ptr<EventLog> log)
    : AbstractCommand(nullptr)
    , name_(name)
    , log_(std::move(log)) {
    const QString prefix = name_ + ":";
    std::shared_ptr<EventLog> sink = log_;
    connect(
        this, &AbstractCommand::started, this, [sink, prefix] { sink->add(prefix + "started"); },
        Qt::DirectConnection);
    connect(
        this, qOverload<QVariant>(&AbstractCommand::finished), this,
        [sink, prefix](const QVariant& result) {
            sink->add(prefix + "finished " + result.toString());
        },
        Qt::DirectConnection);
}

void ScriptCommand::failAt(int step, CommandErrorCode::T code) {
    failStep_ = step;
    failCode_ = code;
}

void ScriptCommand::begin() {
    log_->add(name_ + ":begin");
}

void ScriptCommand::end() {
    log_->add(name_ + ":end");
}

void ScriptCommand::proceed() {
    const int step = ++stepsTaken_;
    log_->add(name_ + ":step");
    if (step == 1 && gate_ && !gate_->waitOpen()) {
        setErrorCode(CommandErrorCode::CommunicationError);
        fail();
        return;
    }
    if (isAborted()) {
        fail();
        return;
    }
    if (step == failStep_) {
        setErrorCode(failCode_);
        fail();
        return;
    }
    if (step >= steps_)
        fail();
}

QVariant ScriptCommand::result() const {
    return result_.isValid() ? result_ : QVariant(int(errorCode()));
}
