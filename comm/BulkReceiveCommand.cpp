#include "comm/BulkReceiveCommand.h"

#include "comm/BulkReceiveCommandResult.h"

#include "midi/DeviceHandler.h"
#include "sysex/ACKEncoder.h"
#include "sysex/EBSEncoder.h"
#include "sysex/EXIEncoder.h"
#include "sysex/HBREncoder.h"
#include "sysex/HBSDecoder.h"
#include "sysex/MessageType.h"
#include "sysex/RJCEncoder.h"
#include "sysex/SBSEncoder.h"
#include "sysex/msg_error.h"

#include <QIODevice>

namespace zel::qmix::comm {

BulkReceiveCommand::BulkReceiveCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                                       QIODevice* device, QObject* parent)
    : BulkSendCommand(handler, category, areaNumber, device, parent) {
    lcdPicturePath = QStringLiteral(":/lcd/saving.lcd");
}

void BulkReceiveCommand::proceed() {
    if (proceedLifecycle())
        return;
    const int direction = hasCurrentElement() ? elements.at(current).direction : -1;
    if (direction == BulkElement::FromPc) {
        proceedSending();
    } else if (direction == BulkElement::FromKeyboard && state == AwaitStartAck) {
        onStartAck();
    } else if (direction == BulkElement::FromKeyboard && state == ReceiveBlocks) {
        onBlockOrEnd();
    } else {
        failInternally();
    }
}

QVariant BulkReceiveCommand::result() const {
    // A command that ended inside a parameter request has stored nothing;
    // its receivers still get a result that tells why.
    if (resultValue.isValid())
        return resultValue;
    return QVariant::fromValue(failureResult());
}

bool BulkReceiveCommand::isElementActive(const BulkElement& element) const {
    switch (element.direction) {
    case BulkElement::FromPc:
        return !element.data.isEmpty();
    case BulkElement::FromKeyboard:
        return element.expectedSize != 0;
    default:
        return false;
    }
}

void BulkReceiveCommand::start() {
    if (midi::DeviceHandler* handler = deviceHandler())
        handler->clearReceived();
    if (!device || !device->open(QIODevice::ReadWrite)) {
        setErrorCode(CommandErrorCode::FileWriteError);
        setState(Abort);
        return;
    }
    device->seek(0);
    try {
        if (targetAreaChanged())
            return;
    } catch (const TransferStopped&) {
        setState(Abort);
        return;
    }
    selectArea(category, areaNumber);
    const QVector<int> used = requestParameter(0, AreaUsed);
    if (used.size() != 1 || used.first() == 0) {
        setErrorCode(CommandErrorCode::CommunicationError);
        setState(Abort);
        return;
    }
    const QVector<int> size = requestParameter(0, AreaSize);
    if (size.size() != 1) {
        setErrorCode(CommandErrorCode::CommunicationError);
        setState(Abort);
        return;
    }
    bytesTotal = quint64(size.first());
    const QList<int> sizes = readAreaSizes(category, areaNumber);
    if (sizes.isEmpty()) {
        setErrorCode(CommandErrorCode::CommunicationError);
        setState(Abort);
        return;
    }
    elements.append(BulkElement{BulkElement::FromPc, PictureCategory, 0, PictureSubAddress,
                                readPicture(lcdPicturePath), 0, BlockSize});
    elements.append(BulkElement{BulkElement::FromKeyboard, category, areaNumber, DataSubAddress,
                                QByteArray(), sizes.first(), BlockSize});
    openTransfer();
}

void BulkReceiveCommand::openTransfer() {
    current = nextActiveElement(0);
    if (!hasCurrentElement()) {
        setErrorCode(CommandErrorCode::FileFormatError);
        setState(Abort);
        return;
    }
    const BulkElement& first = elements.at(current);
    currentDirection = first.direction;
    blocks = splitBlocks(first.data);
    const bool fromPc = first.direction == BulkElement::FromPc;
    sysex::SBSEncoder open(fromPc ? SendKind : ReceiveKind);
    sendMessage(open);
    elementBytes = 0;
    setState(fromPc ? SendBlocks : AwaitStartAck);
}

void BulkReceiveCommand::beginElement() {
    const BulkElement& element = elements.at(current);
    const bool fromPc = element.direction == BulkElement::FromPc;
    if (element.direction != currentDirection) {
        sysex::SBSEncoder open(fromPc ? SendKind : ReceiveKind);
        sendMessage(open);
        currentDirection = element.direction;
        blocks = splitBlocks(element.data);
        elementBytes = 0;
        setState(fromPc ? SendBlocks : AwaitStartAck);
        return;
    }
    // Without an SBS no ACK is on its way: the element starts at once.
    if (fromPc) {
        BulkSendCommand::beginElement();
        return;
    }
    sysex::HBREncoder request(currentAddress());
    sendMessage(request);
    elementBytes = 0;
    setState(ReceiveBlocks);
}

void BulkReceiveCommand::onStartAck() {
    const QByteArray reply = awaitMessage(sysex::MessageType::ACK);
    if (checkReply(reply))
        return;
    sysex::HBREncoder request(currentAddress());
    sendMessage(request);
    elementBytes = 0;
    setState(ReceiveBlocks);
}

void BulkReceiveCommand::onBlockOrEnd() {
    int matched = -1;
    const QByteArray reply =
        awaitAnyOf({sysex::MessageType::HBS, sysex::MessageType::ESS}, &matched);
    if (checkReply(reply))
        return;
    if (matched == sysex::MessageType::HBS)
        receiveBlock(reply);
    else
        endElement();
}

void BulkReceiveCommand::receiveBlock(const QByteArray& message) {
    sysex::HBSDecoder decoder;
    try {
        decoder.decode(message);
        // A block of another element is as unusable as a garbled one.
        if (decoder.blockAddress() != currentAddress())
            throw sysex::msg_error(sysex::msg_error::MALFORMED);
    } catch (const sysex::msg_error& error) {
        notePendingError(error.code());
    }
    if (checkReply(message))
        return;
    const QByteArray& data = decoder.data();
    if (elementBytes + data.size() > elements.at(current).expectedSize) {
        refuseElement();
        return;
    }
    device->write(data);
    elementBytes += data.size();
    bytesDone += quint64(data.size());
    reportProgress(int(bytesDone), int(bytesTotal));
    sysex::ACKEncoder accept(currentAddress());
    sendMessage(accept);
    setState(state);
}

void BulkReceiveCommand::endElement() {
    if (elementBytes != elements.at(current).expectedSize) {
        refuseElement();
        return;
    }
    sysex::ACKEncoder accept(currentAddress());
    sendMessage(accept);
    if (stateLocked)
        return;
    const int next = nextActiveElement(current + 1);
    if (next < elements.size()) {
        current = next;
        beginElement();
        return;
    }
    current = int(elements.size()) - 1;
    if (endsWithExi) {
        sysex::EXIEncoder close;
        sendMessage(close);
    } else {
        sysex::EBSEncoder close(currentAddress());
        sendMessage(close);
    }
    setState(Finish);
}

void BulkReceiveCommand::refuseElement() {
    sysex::RJCEncoder refusal(currentAddress());
    sendMessage(refusal);
    if (!stateLocked)
        setErrorCode(CommandErrorCode::CommunicationError);
    setState(Abort);
}

qint64 BulkReceiveCommand::announcedBytes() const {
    qint64 total = 0;
    for (const BulkElement& element : elements) {
        if (element.direction == BulkElement::FromKeyboard)
            total += element.expectedSize;
    }
    return total;
}

void BulkReceiveCommand::abort() {
    resultValue = QVariant::fromValue(failureResult());
    if (device)
        device->close();
    fail();
}

void BulkReceiveCommand::finish() {
    device->seek(0);
    const QByteArray data = device->readAll();
    device->close();
    // Every element was checked on its own; this guards the whole.
    if (data.size() != announcedBytes()) {
        setErrorCode(CommandErrorCode::CommunicationError);
        abort();
        return;
    }
    const QString name = readSelectedAreaName(category, areaNumber);
    resultValue = QVariant::fromValue(
        BulkReceiveCommandResult{true, category, areaNumber, data, name, errorCode()});
    fail();
}

BulkReceiveCommandResult BulkReceiveCommand::failureResult() const {
    BulkReceiveCommandResult failure;
    failure.errorCode = errorCode();
    return failure;
}

} // namespace zel::qmix::comm
