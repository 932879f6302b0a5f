#pragma once

#include <QObject>

#include <functional>

namespace zel::qmix::comm {

// Where a caller's cancel and suspend requests come from (the progress
// display), as member-function pointers to its signals, so that the
// communicator can hand them to each queued command through a relay.
class CommandControlSource {
public:
    using CancelHandler = std::function<void()>;
    using SuspendHandler = std::function<void(bool)>;

    CommandControlSource() = default;

    template <class Source>
    static CommandControlSource of(const Source* source, void (Source::*cancelSignal)(),
                                   void (Source::*suspendSignal)(bool)) {
        CommandControlSource control;
        control.source_ = source;
        control.cancel_ = [=](QObject* context, CancelHandler handler, Qt::ConnectionType type) {
            return QObject::connect(source, cancelSignal, context, std::move(handler), type);
        };
        control.suspend_ = [=](QObject* context, SuspendHandler handler, Qt::ConnectionType type) {
            return QObject::connect(source, suspendSignal, context, std::move(handler), type);
        };
        return control;
    }

    bool isValid() const { return source_ != nullptr; }
    const QObject* source() const { return source_; }

    // `handler` runs in `context`'s thread (or at once with a direct
    // connection) until `context` is destroyed.
    void connectCancel(QObject* context, CancelHandler handler,
                       Qt::ConnectionType type = Qt::AutoConnection) const;
    void connectSuspend(QObject* context, SuspendHandler handler,
                        Qt::ConnectionType type = Qt::AutoConnection) const;

private:
    using CancelConnector =
        std::function<QMetaObject::Connection(QObject*, CancelHandler, Qt::ConnectionType)>;
    using SuspendConnector =
        std::function<QMetaObject::Connection(QObject*, SuspendHandler, Qt::ConnectionType)>;

    const QObject* source_ = nullptr;
    CancelConnector cancel_;
    SuspendConnector suspend_;
};

} // namespace zel::qmix::comm
