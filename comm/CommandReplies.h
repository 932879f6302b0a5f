#pragma once

#include "comm/AbstractCommand.h"
#include "comm/WaveFileCopyToSdCommand.h"

#include <QObject>

#include <functional>
#include <vector>

namespace zel::qmix::comm {

// The reply slots a caller gives a command, as member-function pointers, so
// that a misspelt or mistyped slot fails to compile instead of failing to
// connect at run time. Built once per registration and applied to the command
// before it is queued:
//   CommandReplies::to(view).started(&View::onStart).finished(&View::onFinish)
class CommandReplies {
public:
    template <class Receiver>
    static CommandReplies to(const Receiver* receiver,
                             Qt::ConnectionType type = Qt::AutoConnection) {
        CommandReplies replies;
        replies.receiver_ = receiver;
        replies.type_ = type;
        return replies;
    }

    // (QVariant info)
    template <class Slot> CommandReplies& started(Slot slot) {
        return add(&AbstractCommand::started, slot);
    }
    // (QVariant result)
    template <class Slot> CommandReplies& finished(Slot slot) {
        return add(qOverload<QVariant>(&AbstractCommand::finished), slot);
    }
    // (QString): the model-name query's answer.
    template <class Slot> CommandReplies& finishedText(Slot slot) {
        return add(qOverload<QString>(&AbstractCommand::finished), slot);
    }
    // (int done, int total)
    template <class Slot> CommandReplies& progress(Slot slot) {
        return add(&AbstractCommand::progress, slot);
    }
    // (int percent, int total): the overall percentage of an audio
    // conversion; connects only to the audio commands that convert.
    template <class Slot> CommandReplies& percentProgress(Slot slot) {
        return add(&WaveFileCopyToSdCommand::progress2, slot);
    }
    // () a slot or a signal of the receiver
    template <class Slot> CommandReplies& cancelDisable(Slot slot) {
        return add(&AbstractCommand::cancelDisableRequested, slot);
    }

    bool isEmpty() const { return connectors_.empty(); }
    const QObject* receiver() const { return receiver_; }
    // Connects every slot given to the matching signal of `command`.
    void connect(const AbstractCommand* command) const;

private:
    using Connector = std::function<QMetaObject::Connection(const AbstractCommand*)>;

    template <class Signal, class Slot> CommandReplies& add(Signal signal, Slot slot) {
        using Receiver = typename QtPrivate::FunctionPointer<Slot>::Object;
        using Sender = typename QtPrivate::FunctionPointer<Signal>::Object;
        auto* receiver = static_cast<const Receiver*>(receiver_);
        const Qt::ConnectionType type = type_;
        connectors_.push_back([=](const AbstractCommand* command) {
            // A command without the signal fails the connection check.
            const auto* sender = qobject_cast<const Sender*>(command);
            return sender ? QObject::connect(sender, signal, receiver, slot, type)
                          : QMetaObject::Connection();
        });
        return *this;
    }

    const QObject* receiver_ = nullptr;
    Qt::ConnectionType type_ = Qt::AutoConnection;
    std::vector<Connector> connectors_;
};

} // namespace zel::qmix::comm
