#include "comm/BulkSendCommand.h"

#include "comm/BulkSendCommandResult.h"

#include "etc/GenericChecker.h"
#include "midi/DeviceHandler.h"
#include "sysex/EBSEncoder.h"
#include "sysex/ESSEncoder.h"
#include "sysex/EXIEncoder.h"
#include "sysex/HBSEncoder.h"
#include "sysex/IPSEncoder.h"
#include "sysex/MessageType.h"
#include "sysex/SBSEncoder.h"

#include <QIODevice>
#include <QThread>

namespace zel::qmix::comm {

namespace {

// The tone parameters written back after a tone send.
constexpr int ToneParameterCategory = 2;
constexpr int ToneParameterId = 106;
constexpr int ToneParameterCount = 32;
constexpr int ToneSettleMs = 1000;

} // namespace

BulkSendCommand::BulkSendCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                                 QIODevice* device, QObject* parent)
    : BulkDumpCommand(handler, category, areaNumber, device, parent) {}

void BulkSendCommand::proceed() {
    if (!proceedLifecycle())
        proceedSending();
}

bool BulkSendCommand::proceedLifecycle() {
    switch (state) {
    case Start:
        start();
        return true;
    case Abort:
        abort();
        return true;
    case Finish:
        finish();
        return true;
    default:
        return false;
    }
}

void BulkSendCommand::proceedSending() {
    switch (state) {
    case SendBlocks:
        onBlockAck();
        return;
    case AwaitElementEndAck:
        onElementEndAck();
        return;
    default:
        failInternally();
    }
}

void BulkSendCommand::failInternally() {
    // No handler waits in this state; ending beats stepping on the spot for ever.
    setErrorCode(CommandErrorCode::CommunicationError);
    setState(Abort);
}

QVariant BulkSendCommand::result() const {
    return QVariant::fromValue(BulkSendCommandResult{errorCode(), category, areaNumber});
}

bool BulkSendCommand::isElementActive(const BulkElement& element) const {
    return !element.data.isEmpty();
}

void BulkSendCommand::sendExi() {
    sendExiDirectly();
}

void BulkSendCommand::start() {
    if (midi::DeviceHandler* handler = deviceHandler())
        handler->clearReceived();
    QByteArray data;
    if (device && device->open(QIODevice::ReadOnly)) {
        data = device->readAll();
        device->close();
    }
    // Refused before the keyboard is touched, so that an empty file never
    // passes for a completed send (the picture alone would go through).
    if (data.isEmpty()) {
        setErrorCode(CommandErrorCode::FileFormatError);
        setState(Abort);
        return;
    }
    try {
        if (targetAreaChanged())
            return;
        if (isTargetAreaUsed())
            confirmReplace();
    } catch (const TransferStopped&) {
        setState(Abort);
        return;
    }
    elements.append(BulkElement{BulkElement::FromPc, PictureCategory, 0, PictureSubAddress,
                                readPicture(lcdPicturePath), 0, BlockSize});
    if (!checkCapacity(data))
        return;
    elements.append(
        BulkElement{BulkElement::FromPc, category, areaNumber, DataSubAddress, data, 0, BlockSize});
    bytesTotal = quint64(data.size());
    current = nextActiveElement(0);
    if (!hasCurrentElement()) {
        setErrorCode(CommandErrorCode::FileFormatError);
        setState(Abort);
        return;
    }
    blocks = splitBlocks(elements.at(current).data);
    if (category == SongCategory || category == RhythmCategory)
        pictureHoldMs = PictureHoldMs;
    sysex::SBSEncoder open(SendKind);
    sendMessage(open);
    setState(SendBlocks);
}

bool BulkSendCommand::isTargetAreaUsed() {
    selectArea(category, areaNumber);
    const QVector<int> values = requestParameter(0, AreaUsed);
    if (values.size() != 1) {
        setErrorCode(CommandErrorCode::CommunicationError);
        setState(Abort);
        throw TransferStopped{};
    }
    return values.first() != 0;
}

void BulkSendCommand::confirmReplace() {
    if (!checker)
        throw TransferStopped{};
    const BulkSendCommandResult subject{CommandErrorCode::ReplaceQuestion, category, areaNumber};
    // The question may stay open for long; the keyboard is kept waiting from
    // the thread that asks, hence directly.
    const QMetaObject::Connection keepAlive =
        connect(checker, &etc::GenericChecker::waitRequired, this, &BulkSendCommand::sendExi,
                Qt::DirectConnection);
    const bool replace = checker->check(QVariant::fromValue(subject));
    disconnect(keepAlive);
    if (!replace)
        throw TransferStopped{};
}

bool BulkSendCommand::targetAreaChanged() {
    if (!expectedArea.check)
        return false;
    const AreaState seen = readAreaState();
    const bool differs = seen.used != expectedArea.used || seen.name != expectedArea.name ||
                         seen.size != expectedArea.size;
    if (errorCode() == CommandErrorCode::NoError && !isDone() && !differs)
        return false;
    if (errorCode() == CommandErrorCode::NoError)
        setErrorCode(CommandErrorCode::DataMismatch);
    setState(Abort);
    return true;
}

BulkSendCommand::AreaState BulkSendCommand::readAreaState() {
    AreaState seen;
    try {
        seen.used = isTargetAreaUsed();
    } catch (const TransferStopped&) {
        return seen;
    }
    if (!seen.used)
        return seen;
    bool named = false;
    seen.name = readAreaName(&named);
    const QVector<int> size = named ? requestParameter(0, AreaSize) : QVector<int>();
    if (!named || size.size() != 1) {
        setErrorCode(CommandErrorCode::CommunicationError);
        setState(Abort);
        return seen;
    }
    seen.size = size.first();
    return seen;
}

bool BulkSendCommand::checkCapacity(const QByteArray& data) {
    selectArea(category, areaNumber);
    const QVector<int> free = requestParameter(0, AreaFreeSpace);
    if (free.isEmpty()) {
        setErrorCode(CommandErrorCode::CommunicationError);
        setState(Abort);
        return false;
    }
    if (free.first() < data.size()) {
        setErrorCode(CommandErrorCode::MemoryFull);
        setState(Abort);
        return false;
    }
    return true;
}

void BulkSendCommand::onBlockAck() {
    const QByteArray reply = awaitMessage(sysex::MessageType::ACK);
    if (checkReply(reply))
        return;
    if (!blocks.isEmpty()) {
        sendNextBlock();
        return;
    }
    // A song whose blocks have all arrived is being stored; stopping now
    // would leave the keyboard's song memory in doubt. A cancel that came
    // before still turns the ESS into RJC.
    if (elements.at(current).category == SongCategory && !isAborted())
        setCancelable(false);
    sysex::ESSEncoder end(currentAddress());
    sendMessage(end);
    setState(AwaitElementEndAck);
}

void BulkSendCommand::sendNextBlock() {
    sysex::HBSEncoder block(currentAddress(), blocks.first());
    sendMessage(block);
    if (stateLocked)
        return;
    // Progress counts the data only, so that it ends exactly at the total;
    // pictures travel along uncounted.
    if (elements.at(current).category != PictureCategory)
        bytesDone += quint64(blocks.first().size());
    reportProgress(int(bytesDone), int(bytesTotal));
    blocks.removeFirst();
    setState(SendBlocks);
}

void BulkSendCommand::onElementEndAck() {
    const QByteArray reply = awaitMessage(sysex::MessageType::ACK);
    if (checkReply(reply))
        return;
    if (pictureHoldMs != 0 && elements.at(current).category == PictureCategory) {
        sendExiDirectly();
        QThread::msleep(pictureHoldMs);
        pictureHoldMs = 0;
    }
    const int next = nextActiveElement(current + 1);
    if (next < elements.size()) {
        current = next;
        beginElement();
        return;
    }
    current = int(elements.size()) - 1;
    if (!endsWithExi || category == SongCategory) {
        sysex::EBSEncoder close(currentAddress());
        sendMessage(close);
    } else {
        sysex::EXIEncoder close;
        sendMessage(close);
    }
    setState(Finish);
}

void BulkSendCommand::beginElement() {
    blocks = splitBlocks(elements.at(current).data);
    sendNextBlock();
}

void BulkSendCommand::abort() {
    finish();
}

void BulkSendCommand::finish() {
    if (state == Finish && errorCode() == CommandErrorCode::NoError && !isDone())
        checkStoredSize();
    if (category == ToneCategory)
        restoreToneParameters();
    fail();
}

void BulkSendCommand::checkStoredSize() {
    if (!checksStoredSize)
        return;
    const OpenSendSeries::SentArea sent{category, areaNumber, int(bytesTotal)};
    if (endsWithExi) {
        if (openSeries)
            openSeries->add(sent);
        return;
    }
    const std::optional<int> stored = storedSize(category, areaNumber);
    if (stored && *stored != sent.size)
        setErrorCode(CommandErrorCode::CommunicationError);
}

void BulkSendCommand::restoreToneParameters() {
    sendExiDirectly();
    QVector<int> values;
    for (int index = 0; index < ToneParameterCount; ++index) {
        const QVector<int> value =
            requestIndexedParameter(ToneParameterCategory, ToneParameterId, index);
        if (value.size() != 1) {
            setErrorCode(CommandErrorCode::CommunicationError);
            break;
        }
        values.append(value.first());
    }
    if (values.size() == ToneParameterCount) {
        sendExiDirectly();
        for (int index = 0; index < ToneParameterCount; ++index) {
            sysex::IPSEncoder write(ToneParameterCategory, 0);
            write.setIndexes({index});
            write.setId(ToneParameterId);
            write.setValues({values.at(index)});
            sendDirectly(write);
        }
    }
    sendExiDirectly();
    QThread::msleep(ToneSettleMs);
    sendExiDirectly();
}

} // namespace zel::qmix::comm
