#include "comm/KeyboardCommunicator.h"

#include "comm/AbstractCommand.h"
#include "comm/CommandRelay.h"
#include "comm/CommunicationThread.h"
#include "comm/KeyboardCommunicatorSupporter.h"
#include "comm/ModelNameCommand.h"

#include "midi/DeviceHandler.h"

#include <QtDebug>

namespace zel::qmix::comm {

KeyboardCommunicator::KeyboardCommunicator(QObject* parent)
    : KeyboardCommunicator(PortChoice::search(), parent) {}

KeyboardCommunicator::KeyboardCommunicator(const PortChoice& ports, QObject* parent)
    : QObject(parent)
    , handler_(std::make_unique<midi::DeviceHandler>())
    , ports_(ports) {
    connected_.store(connectKeyboard());
    connect(this, &KeyboardCommunicator::cancelRequestedFromCommand, this,
            &KeyboardCommunicator::cancelHeavyCommands, Qt::DirectConnection);
    start();
}

KeyboardCommunicator::~KeyboardCommunicator() {
    // A running command completes first; queued ones are dropped with the thread.
    thread_->quit();
    thread_->wait();
    thread_.reset();
    handler_->disconnectDevice();
    handler_.reset();
}

bool KeyboardCommunicator::isConnected() const {
    return connected_.load();
}

void KeyboardCommunicator::disconnectKeyboard() {
    handler_->disconnectDevice();
    connected_.store(false);
}

bool KeyboardCommunicator::reconnect() {
    // The dropped commands never run and emit nothing.
    thread_->clear();
    connected_.store(connectKeyboard());
    return connected_.load();
}

void KeyboardCommunicator::registerModelNameCommand(const QObject* receiver, const char* slot,
                                                    Qt::ConnectionType type) {
    queueModelNameCommand(receiver, slot, type);
}

QString KeyboardCommunicator::modelName() {
    KeyboardCommunicatorSupporter supporter(this);
    supporter.clearDone();
    const QWeakPointer<AbstractCommand> command =
        queueModelNameCommand(&supporter, SLOT(stringSlot(QString)), Qt::DirectConnection);
    // A command that is gone without answering (dropped, or the thread
    // stopped) will never answer; waiting on would hang the caller.
    const bool answered =
        supporter.waitForAnswer([&] { return !command.isNull() && thread_->isRunning(); });
    return answered ? supporter.receivedString() : QString("");
}

void KeyboardCommunicator::registerCommand(const QSharedPointer<AbstractCommand>& command,
                                           int level, Weight weight) {
    if (weight == Weight::Heavy) {
        connect(command.data(), &AbstractCommand::cancelRequested, this,
                &KeyboardCommunicator::cancelRequestedFromCommand, Qt::DirectConnection);
        const std::lock_guard<std::mutex> lock(heavyMutex_);
        heavyCommands_.removeIf([](const QWeakPointer<AbstractCommand>& c) { return c.isNull(); });
        heavyCommands_.append(command);
    }
    thread_->enqueue(command, level);
    if (weight == Weight::Heavy)
        emit newHeavyCommandRegistered();
}

bool KeyboardCommunicator::connectChecked(const QObject* sender, const char* signal,
                                          const QObject* receiver, const char* method,
                                          Qt::ConnectionType type) {
    // A caller that passes no receiver or no method wants no connection.
    if (!receiver || !method)
        return true;
    const bool connected = bool(QObject::connect(sender, signal, receiver, method, type));
    if (!connected)
        qWarning("KeyboardCommunicator: cannot connect %s to %s", signal, method);
    Q_ASSERT_X(connected, "KeyboardCommunicator::connectChecked", "connection failed");
    return connected;
}

void KeyboardCommunicator::connectCancelSource(const QSharedPointer<AbstractCommand>& command,
                                               const QObject* source, const char* signal) {
    if (!source || !signal)
        return;
    auto* relay = new CommandRelay(command, this);
    connect(command.data(), &QObject::destroyed, relay, &QObject::deleteLater);
    connectChecked(source, signal, relay, SLOT(cancel()));
}

void KeyboardCommunicator::connectSuspendSource(const QSharedPointer<AbstractCommand>& command,
                                                const QObject* source, const char* signal) {
    if (!source || !signal)
        return;
    auto* relay = new CommandRelay(command, this);
    connect(command.data(), &QObject::destroyed, relay, &QObject::deleteLater);
    connectChecked(source, signal, relay, SLOT(setSuspended(bool)));
}

void KeyboardCommunicator::start() {
    thread_ = std::make_unique<CommunicationThread>();
    thread_->start();
}

bool KeyboardCommunicator::connectKeyboard() {
    if (ports_.searches())
        return handler_->connectDevice();
    handler_->disconnectDevice();
    return handler_->openMatching(ports_.inPattern, ports_.outPattern);
}

void KeyboardCommunicator::cancelHeavyCommands() {
    QList<QSharedPointer<AbstractCommand>> alive;
    {
        const std::lock_guard<std::mutex> lock(heavyMutex_);
        for (const QWeakPointer<AbstractCommand>& weak : heavyCommands_) {
            if (QSharedPointer<AbstractCommand> command = weak.toStrongRef())
                alive.append(command);
        }
    }
    for (const QSharedPointer<AbstractCommand>& command : alive)
        command->cancel();
}

QWeakPointer<AbstractCommand> KeyboardCommunicator::queueModelNameCommand(const QObject* receiver,
                                                                          const char* slot,
                                                                          Qt::ConnectionType type) {
    const auto command = QSharedPointer<ModelNameCommand>::create(handler_.get());
    connectChecked(command.data(), SIGNAL(finished(QString)), receiver, slot, type);
    registerCommand(command, QueryLevel);
    return command;
}

} // namespace zel::qmix::comm
