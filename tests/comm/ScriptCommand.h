#pragma once

#include "comm/AbstractCommand.h"

#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>

// Everything the scripted commands of one test did, in order, from whatever
// thread they ran on.
class EventLog {
public:
    void add(const QString& event);
    QStringList events() const;
    // The events that start with `prefix`.
    QStringList eventsOf(const QString& prefix) const;
    int count(const QString& event) const;

private:
    mutable std::mutex mutex_;
    QStringList events_;
};

// Holds a running command back until the test opens it.
class Gate {
public:
    void open() { open_.store(true); }
    // Returns false if the gate stayed shut for 30 s, so a broken test ends.
    bool waitOpen() const;
    bool isWaiting() const { return waiting_.load(); }

private:
    std::atomic<bool> open_{false};
    mutable std::atomic<bool> waiting_{false};
};

// A command that talks to no keyboard: it takes a given number of steps,
// may fail at one of them, and logs begin, steps, end and its signals.
class ScriptCommand : public zel::qmix::comm::AbstractCommand {
    Q_OBJECT
public:
    ScriptCommand(const QString& name, std::shared_ptr<EventLog> log);

    void setSteps(int steps) { steps_ = steps; }
    // At step `step` (1-based) the command fails with `code`.
    void failAt(int step, zel::qmix::comm::CommandErrorCode::T code);
    // Held at its first step until the gate opens.
    void holdAt(std::shared_ptr<Gate> gate) { gate_ = std::move(gate); }
    void setResult(const QVariant& result) { result_ = result; }

    int stepsTaken() const { return stepsTaken_.load(); }

    void begin() override;
    void end() override;
    void proceed() override;
    // The given result, else the error code as an int.
    QVariant result() const override;
    bool needsConnection() const override { return false; }

    using AbstractCommand::fail;
    using AbstractCommand::setCancelable;
    using AbstractCommand::setErrorCode;

private:
    QString name_;
    std::shared_ptr<EventLog> log_;
    std::shared_ptr<Gate> gate_;
    int steps_ = 1;
    int failStep_ = 0;
    zel::qmix::comm::CommandErrorCode::T failCode_ = zel::qmix::comm::CommandErrorCode::NoError;
    QVariant result_;
    std::atomic<int> stepsTaken_{0};
};
