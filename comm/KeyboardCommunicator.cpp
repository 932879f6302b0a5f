#include "comm/KeyboardCommunicator.h"

#include "comm/AbstractCommand.h"
#include "comm/AllDataBulkReceiveCommand.h"
#include "comm/AllDataBulkSendCommand.h"
#include "comm/AreaDataCommand.h"
#include "comm/AreaDeleteCommand.h"
#include "comm/AreaDeleteCommandInfo.h"
#include "comm/AudioCommandWiring.h"
#include "comm/BulkReceiveCommand.h"
#include "comm/BulkSendCommand.h"
#include "comm/BulkSendCommandInfo.h"
#include "comm/CategoryMemoryCommand.h"
#include "comm/CommandRelay.h"
#include "comm/CommunicationThread.h"
#include "comm/DataSizesGetCommand.h"
#include "comm/FileCopyCommand.h"
#include "comm/KeyboardCommunicatorSupporter.h"
#include "comm/ModelNameCommand.h"
#include "comm/MultipleBulkSendEndCommand.h"
#include "comm/MusicPresetBulkSendCommand.h"
#include "comm/RecordedAudioExportCommand.h"
#include "comm/RejectCommand.h"
#include "comm/WaveFileCopyToSdCommand.h"

#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "midi/DeviceHandler.h"

#include <QBuffer>
#include <QDir>
#include <QThread>
#include <QtDebug>

namespace zel::qmix::comm {

namespace {

// The data-sizes query over every area of the category on the current
// model; null for a code that names no category. A category the model lacks
// gives an empty range, so the caller is still answered.
QSharedPointer<DataSizesGetCommand> dataSizesCommand(midi::DeviceHandler* handler, int category) {
    const data::DataCategory* named = data::categoryFromId(category, 0);
    if (!named)
        return {};
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    const int first = model->areaOffset(named);
    const int count = model->areaCount(named);
    const unsigned firstArea = count > 0 ? unsigned(first) : 1u;
    const unsigned lastArea = count > 0 ? unsigned(first + count - 1) : 0u;
    return QSharedPointer<DataSizesGetCommand>::create(handler, category, firstArea, lastArea);
}

const char* const BackupTitle = "Receiving Backup Data";

// Where a transfer reports to and listens to; the cancel-disable request
// only where a command can make it.
enum class CancelDisable { Skip, Connect };

void connectTransfer(KeyboardCommunicator& communicator,
                     const QSharedPointer<AbstractCommand>& command,
                     const CommandConnections& connections, CancelDisable cancelDisable) {
    AbstractCommand* sender = command.data();
    if (!connections.replies.isEmpty()) {
        connections.replies.connect(sender);
    } else {
        const QObject* receiver = connections.receiver;
        KeyboardCommunicator::connectChecked(sender, SIGNAL(started(QVariant)), receiver,
                                             connections.startedSlot);
        KeyboardCommunicator::connectChecked(sender, SIGNAL(finished(QVariant)), receiver,
                                             connections.finishedSlot);
        KeyboardCommunicator::connectChecked(sender, SIGNAL(progress(int, int)), receiver,
                                             connections.progressSlot);
        if (cancelDisable == CancelDisable::Connect)
            KeyboardCommunicator::connectChecked(sender, SIGNAL(cancelDisableRequested()), receiver,
                                                 connections.cancelDisableSlot);
    }
    if (connections.controls.isValid()) {
        communicator.connectControlSource(command, connections.controls);
        return;
    }
    communicator.connectCancelSource(command, connections.cancelSource, connections.cancelSignal);
    communicator.connectSuspendSource(command, connections.suspendSource,
                                      connections.suspendSignal);
}

// The transfer's data travel in a buffer that goes with the command.
QBuffer* bufferOf(QObject* command, const QByteArray& data = QByteArray()) {
    auto* buffer = new QBuffer(command);
    buffer->setData(data);
    return buffer;
}

} // namespace

KeyboardCommunicator::KeyboardCommunicator(QObject* parent)
    : KeyboardCommunicator(PortChoice::search(), parent) {}

KeyboardCommunicator::KeyboardCommunicator(const PortChoice& ports, QObject* parent)
    : QObject(parent)
    , handler_(std::make_unique<midi::DeviceHandler>())
    , openSeries_(std::make_shared<OpenSendSeries>())
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

void KeyboardCommunicator::clearQueuedCommands() {
    thread_->clear();
}

bool KeyboardCommunicator::reconnect() {
    // The dropped commands never run and emit nothing.
    thread_->clear();
    // A series of the keyboard that was connected ends with its link.
    openSeries_->clear();
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

void KeyboardCommunicator::registerBulkSendCommand(int category, int areaNumber,
                                                   const QByteArray& data, const QString& title,
                                                   etc::GenericChecker* checker,
                                                   const ExpectedArea& expected,
                                                   const CommandConnections& connections,
                                                   const QString& lcdPicturePath) {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    QSharedPointer<BulkSendCommand> command;
    if (category == MusicPresetBulkSendCommand::MusicPresetCategory &&
        model->usesMusicPresetSendCommand()) {
        command = QSharedPointer<MusicPresetBulkSendCommand>::create(
            handler_.get(), areaNumber, nullptr, model->musicPresetDeleteTime());
    } else {
        command =
            QSharedPointer<BulkSendCommand>::create(handler_.get(), category, areaNumber, nullptr);
        command->setEndsWithExi(model->isSecondGeneration());
    }
    // The keyboard takes its empty item as the order to clear the area.
    const bool clearing =
        model->clearsWithEmptyData() && data == model->emptyData(category, areaNumber);
    command->setChecksStoredSize(!clearing);
    command->setOpenSeries(openSeries_);
    command->setDevice(bufferOf(command.data(), data));
    command->setExpectedArea(expected);
    command->setChecker(checker);
    if (!lcdPicturePath.isEmpty())
        command->setLcdPicturePath(lcdPicturePath);
    command->setInfo(QVariant::fromValue(BulkSendCommandInfo{title, category, areaNumber}));
    connectTransfer(*this, command, connections, CancelDisable::Connect);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

void KeyboardCommunicator::registerBulkReceiveCommand(int category, int areaNumber,
                                                      const QString& title,
                                                      const CommandConnections& connections,
                                                      const ExpectedArea& expected) {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    const auto command =
        QSharedPointer<BulkReceiveCommand>::create(handler_.get(), category, areaNumber, nullptr);
    command->setDevice(bufferOf(command.data()));
    command->setExpectedArea(expected);
    command->setEndsWithExi(model->isSecondGeneration());
    command->setInfo(title);
    connectTransfer(*this, command, connections, CancelDisable::Skip);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

void KeyboardCommunicator::registerAllDataBulkReceiveCommand(
    const CommandConnections& connections) {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    const auto command = QSharedPointer<AllDataBulkReceiveCommand>::create(handler_.get(), nullptr);
    command->setDevice(bufferOf(command.data()));
    command->setExpectedSizes(model->allDataBlockSizes());
    command->setLcdPictures(model->allDataLcdPictures(true));
    command->setEndsWithExi(model->isSecondGeneration());
    command->setInfo(QString::fromLatin1(BackupTitle));
    connectTransfer(*this, command, connections, CancelDisable::Skip);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

void KeyboardCommunicator::registerAllDataBulkSendCommand(const QByteArray& backup,
                                                          const QString& title,
                                                          const CommandConnections& connections) {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    const auto command = QSharedPointer<AllDataBulkSendCommand>::create(handler_.get(), nullptr);
    command->setDevice(bufferOf(command.data(), backup));
    command->setExpectedSizes(model->allDataBlockSizes());
    command->setLcdPictures(model->allDataLcdPictures(false));
    command->setEndsWithExi(model->isSecondGeneration());
    command->setInfo(title);
    connectTransfer(*this, command, connections, CancelDisable::Skip);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

bool KeyboardCommunicator::registerAreaDeleteCommand(int category, int areaNumber,
                                                     const QString& title,
                                                     const CommandConnections& connections) {
    const data::DataCategory* deleted = data::categoryFromId(category, 0);
    if (!deleted || !deleted->isDeletable())
        return false;
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    const auto command = QSharedPointer<AreaDeleteCommand>::create(
        handler_.get(), category, areaNumber, model->deleteTime(category));
    command->setInfo(QVariant::fromValue(AreaDeleteCommandInfo{title, category, areaNumber}));
    connectTransfer(*this, command, connections, CancelDisable::Skip);
    registerCommand(command, TransferLevel, Weight::Heavy);
    return true;
}

bool KeyboardCommunicator::registerMultipleBulkSendEndCommand(
    int category, int areaNumber, const CommandConnections& connections) {
    // Ending the series while a transfer waits or runs would cut it off.
    if (hasQueuedCommands(TransferLevel) || BulkDumpCommand::isBulkTransferRunning())
        return false;
    const auto command =
        QSharedPointer<MultipleBulkSendEndCommand>::create(handler_.get(), category, areaNumber);
    command->setOpenSeries(openSeries_);
    connectTransfer(*this, command, connections, CancelDisable::Skip);
    registerCommand(command, ControlLevel);
    return true;
}

bool KeyboardCommunicator::registerMultipleBulkSendEndCommand(int category, int areaNumber,
                                                              const CommandReplies& replies) {
    CommandConnections connections;
    connections.replies = replies;
    return registerMultipleBulkSendEndCommand(category, areaNumber, connections);
}

bool KeyboardCommunicator::registerRejectCommand(int category, int areaNumber) {
    registerCommand(QSharedPointer<RejectCommand>::create(handler_.get(), category, areaNumber),
                    ControlLevel);
    return true;
}

bool KeyboardCommunicator::hasQueuedCommands(int level) const {
    return thread_->queuedCount(level) > 0;
}

int KeyboardCommunicator::dropQueuedCommands(int level) {
    return thread_->clear(level);
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

void KeyboardCommunicator::connectControlSource(const QSharedPointer<AbstractCommand>& command,
                                                const CommandControlSource& controls) {
    auto* relay = new CommandRelay(command, this);
    connect(command.data(), &QObject::destroyed, relay, &QObject::deleteLater);
    controls.connectCancel(relay, [relay] { relay->cancel(); });
    controls.connectSuspend(relay, [relay](bool suspended) { relay->setSuspended(suspended); });
}

void KeyboardCommunicator::registerAreaDataCommand(int category, int areaNumber, int level,
                                                   const CommandReplies& replies) {
    const auto command =
        QSharedPointer<AreaDataCommand>::create(handler_.get(), category, areaNumber);
    replies.connect(command.data());
    registerCommand(command, level);
}

void KeyboardCommunicator::registerCategoryMemoryCommand(int category,
                                                         const CategoryMemoryCommandInfo& info,
                                                         const CommandReplies& replies) {
    const auto command = QSharedPointer<CategoryMemoryCommand>::create(handler_.get(), category);
    command->setInfo(QVariant::fromValue(info));
    replies.connect(command.data());
    registerCommand(command, MemoryLevel);
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

void KeyboardCommunicator::registerAreaDataCommand(int category, int areaNumber, int level,
                                                   const QObject* receiver, const char* slot) {
    const auto command =
        QSharedPointer<AreaDataCommand>::create(handler_.get(), category, areaNumber);
    connectChecked(command.data(), SIGNAL(finished(QVariant)), receiver, slot,
                   Qt::QueuedConnection);
    registerCommand(command, level);
}

void KeyboardCommunicator::registerCategoryMemoryCommand(int category,
                                                         const CategoryMemoryCommandInfo& info,
                                                         const QObject* receiver,
                                                         const char* slot) {
    const auto command = QSharedPointer<CategoryMemoryCommand>::create(handler_.get(), category);
    command->setInfo(QVariant::fromValue(info));
    connectChecked(command.data(), SIGNAL(finished(QVariant)), receiver, slot);
    registerCommand(command, MemoryLevel);
}

bool KeyboardCommunicator::registerDataSizesGetCommand(int category, const QObject* receiver,
                                                       const char* slot, Qt::ConnectionType type) {
    const QSharedPointer<DataSizesGetCommand> command = dataSizesCommand(handler_.get(), category);
    if (!command)
        return false;
    connectChecked(command.data(), SIGNAL(finished(QVariant)), receiver, slot, type);
    registerCommand(command, MemoryLevel);
    return true;
}

QList<unsigned> KeyboardCommunicator::dataSizes(int category) {
    // On the communication thread the query could never run while we wait.
    if (QThread::currentThread() == thread_.get()) {
        qWarning("KeyboardCommunicator::dataSizes: called on the communication thread");
        return {};
    }
    KeyboardCommunicatorSupporter supporter(this);
    supporter.clearDone();
    QWeakPointer<AbstractCommand> pending;
    {
        const QSharedPointer<DataSizesGetCommand> command =
            dataSizesCommand(handler_.get(), category);
        if (!command)
            return {};
        connectChecked(command.data(), SIGNAL(finished(QVariant)), &supporter,
                       SLOT(IntListSlot(QVariant)), Qt::DirectConnection);
        registerCommand(command, MemoryLevel);
        pending = command;
    }
    // A command that is gone without answering (dropped, or the thread
    // stopped) will never answer; waiting on would hang the caller.
    const bool answered =
        supporter.waitForAnswer([&] { return !pending.isNull() && thread_->isRunning(); });
    return answered ? supporter.receivedList() : QList<unsigned>();
}

void KeyboardCommunicator::registerFileCopyCommand(const QString& sourcePath,
                                                   const QString& destinationFolder,
                                                   const QString& requestedName,
                                                   const QString& extension, qint64 byteLimit,
                                                   const QString& title,
                                                   const CommandConnections& connections) {
    const auto command = QSharedPointer<FileCopyCommand>::create(
        sourcePath, QDir(destinationFolder), requestedName, extension, byteLimit);
    command->setInfo(title);
    AudioCommandWiring::connectFileCopy(command, connections, this);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

void KeyboardCommunicator::registerWaveFileCopyToSdCommand(const QString& sourcePath,
                                                           const QString& cardAudioFolder,
                                                           int replacePosition, qint64 byteLimit,
                                                           const QString& title,
                                                           const CommandConnections& connections) {
    const auto command = QSharedPointer<WaveFileCopyToSdCommand>::create(
        sourcePath, QDir(cardAudioFolder), replacePosition, byteLimit);
    command->setInfo(title);
    AudioCommandWiring::connectWaveCommand(command, connections, this);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

void KeyboardCommunicator::registerRecordedAudioExportCommand(
    const QString& sourcePath, const QString& exportName, const QString& exportFolder,
    qint64 byteLimit, const QString& title, const CommandConnections& connections) {
    const auto command = QSharedPointer<RecordedAudioExportCommand>::create(
        sourcePath, exportName, QDir(exportFolder), byteLimit);
    command->setInfo(title);
    AudioCommandWiring::connectWaveCommand(command, connections, this);
    registerCommand(command, TransferLevel, Weight::Heavy);
}

} // namespace zel::qmix::comm
