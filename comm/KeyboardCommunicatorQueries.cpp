#include "comm/KeyboardCommunicator.h"

#include "comm/AreaDataCommand.h"
#include "comm/CategoryMemoryCommand.h"
#include "comm/CommunicationThread.h"
#include "comm/DataSizesGetCommand.h"
#include "comm/KeyboardCommunicatorSupporter.h"

#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"

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

} // namespace

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

} // namespace zel::qmix::comm
