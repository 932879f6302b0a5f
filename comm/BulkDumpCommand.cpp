#include "comm/BulkDumpCommand.h"

#include "midi/DeviceHandler.h"
#include "sysex/Decoder.h"
#include "sysex/ERREncoder.h"
#include "sysex/EXIEncoder.h"
#include "sysex/MessageType.h"
#include "sysex/RJCEncoder.h"
#include "sysex/msg_error.h"

#include <QFile>
#include <QIODevice>
#include <QThread>

#include <algorithm>
#include <mutex>

namespace zel::qmix::comm {

namespace {

// A reply wait never sits in one call for longer than this, so that a
// disconnect made meanwhile is noticed and the port lock is released often.
constexpr int ReplyWaitSliceMs = 50;

std::mutex activityMutex;
qint64 activityCount = 0;

} // namespace

BulkDumpCommand::BulkDumpCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                                 QIODevice* device, QObject* parent)
    : SystemParameterCommand(handler, parent)
    , category(category)
    , areaNumber(areaNumber)
    , device(device) {}

BulkDumpCommand::~BulkDumpCommand() {
    // A command dropped after begin() but before end() must not leave the
    // series looking busy for ever.
    if (counted_) {
        const std::lock_guard<std::mutex> lock(activityMutex);
        if (activityCount > 0)
            --activityCount;
    }
}

bool BulkDumpCommand::isAborted() {
    if (!isCancelable())
        return false;
    bool waited = false;
    // A cancel ends the pause too: the user need not resume to stop.
    while (isSuspended() && !isCanceled()) {
        sendExiDirectly();
        QThread::msleep(SuspendedKeepAliveMs);
        waited = true;
    }
    if (waited)
        QThread::msleep(ResumeSettleMs);
    return isCanceled();
}

void BulkDumpCommand::begin() {
    const std::lock_guard<std::mutex> lock(activityMutex);
    ++activityCount;
    counted_ = true;
}

void BulkDumpCommand::end() {
    if (device && device->isOpen())
        device->close();
    const std::lock_guard<std::mutex> lock(activityMutex);
    if (counted_ && activityCount > 0)
        --activityCount;
    counted_ = false;
}

void BulkDumpCommand::setLcdPictures(const QList<QByteArray>& pictures) {
    lcdPictures = pictures;
}

bool BulkDumpCommand::isBulkTransferRunning() {
    const std::lock_guard<std::mutex> lock(activityMutex);
    return activityCount != 0;
}

void BulkDumpCommand::setState(int newState) {
    if (!stateLocked)
        state = newState;
    replyTimer.restart();
    retryCount = 0;
}

void BulkDumpCommand::sendMessage(sysex::Encoder& encoder) {
    if (stateLocked)
        return;
    if (isCancelable() && isAborted()) {
        sysex::RJCEncoder refusal(currentAddress());
        sendDirectly(refusal);
        setErrorCode(CommandErrorCode::Canceled);
        setState(Abort);
        stateLocked = true;
        return;
    }
    sendDirectly(encoder);
}

void BulkDumpCommand::sendDirectly(sysex::Encoder& encoder) {
    QByteArray message;
    encoder.encode(message);
    if (midi::DeviceHandler* handler = deviceHandler())
        handler->send(message);
}

void BulkDumpCommand::sendExiDirectly() {
    sysex::EXIEncoder exi;
    sendDirectly(exi);
}

QByteArray BulkDumpCommand::receiveMessage() {
    midi::DeviceHandler* handler = deviceHandler();
    for (;;) {
        const qint64 remainingMs = replyTimeoutMs() - replyTimer.elapsed();
        // Without ports nothing can arrive; waiting out the time-out would
        // only delay the end.
        if (remainingMs <= 0 || !handler || !handler->isConnected()) {
            notePendingError(sysex::ERREncoder::NO_MESSAGE);
            return {};
        }
        QByteArray message =
            handler->takeReceived(int(std::min<qint64>(remainingMs, ReplyWaitSliceMs)));
        if (!message.isEmpty())
            return message;
    }
}

QByteArray BulkDumpCommand::awaitMessage(int type) {
    int matched = -1;
    return awaitAnyOf({type}, &matched);
}

QByteArray BulkDumpCommand::awaitAnyOf(const QList<int>& types, int* matched) {
    for (;;) {
        QByteArray message = receiveMessage();
        if (message.isEmpty())
            return message;
        int type = -1;
        try {
            type = sysex::Decoder::messageType(message);
        } catch (const sysex::msg_error&) {
            continue; // another device's SysEx, not the keyboard's reply
        }
        if (types.contains(type) || type == sysex::MessageType::RJC) {
            if (matched)
                *matched = type;
            return message;
        }
    }
}

bool BulkDumpCommand::checkReply(const QByteArray& message) {
    if (!errorPending) {
        bool refused = false;
        try {
            refused = !message.isEmpty() &&
                      sysex::Decoder::messageType(message) == sysex::MessageType::RJC;
        } catch (const sysex::msg_error&) {
            refused = false;
        }
        if (!refused)
            return false;
        // The keyboard has left the transfer; nothing more is said to it.
        setErrorCode(CommandErrorCode::CommunicationError);
        setState(Abort);
        return true;
    }
    if (retryCount < MaxRetries) {
        ++retryCount;
        sysex::ERREncoder repeat(pendingErrorCode);
        sendMessage(repeat);
        errorPending = false;
        replyTimer.restart();
        return true;
    }
    errorPending = false;
    sysex::RJCEncoder refusal(currentAddress());
    sendMessage(refusal);
    if (!stateLocked)
        setErrorCode(CommandErrorCode::Rejected);
    setState(Abort);
    return true;
}

void BulkDumpCommand::notePendingError(int code) {
    errorPending = true;
    pendingErrorCode = code;
}

QList<QByteArray> BulkDumpCommand::splitBlocks(const QByteArray& data) {
    QList<QByteArray> pieces;
    for (qsizetype offset = 0; offset < data.size(); offset += BlockSize)
        pieces.append(data.mid(offset, BlockSize));
    return pieces;
}

int BulkDumpCommand::nextActiveElement(int from) const {
    int index = std::max(from, 0);
    while (index < elements.size() && !isElementActive(elements.at(index)))
        ++index;
    return int(std::min<qsizetype>(index, elements.size()));
}

bool BulkDumpCommand::hasCurrentElement() const {
    return current >= 0 && current < elements.size();
}

sysex::BlockAddress BulkDumpCommand::currentAddress() const {
    sysex::BlockAddress address;
    if (hasCurrentElement()) {
        const BulkElement& element = elements.at(current);
        address.category = element.category;
        address.subAddress = element.subAddress;
        address.blockNumber = element.blockNumber;
    } else {
        address.category = category;
        address.subAddress = DataSubAddress;
        address.blockNumber = areaNumber;
    }
    return address;
}

std::optional<int> BulkDumpCommand::storedSize(int category, int areaNumber) {
    selectArea(category, areaNumber);
    const std::optional<QVector<int>> size = askParameter(0, AreaSize);
    if (!size || size->size() != 1)
        return std::nullopt;
    return size->first();
}

QByteArray BulkDumpCommand::readPicture(const QString& path) {
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace zel::qmix::comm
