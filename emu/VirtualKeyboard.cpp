#include "emu/VirtualKeyboard.h"

#include "data/KeyboardInfo.h"
#include "emu/BlockMessageDecoder.h"
#include "emu/ByteMessageDecoder.h"
#include "emu/IPRDecoder.h"
#include "emu/MemoryAccounting.h"
#include "emu/MemoryImage.h"
#include "emu/ParameterAddressReader.h"
#include "emu/SystemParameters.h"
#include "sysex/ACKEncoder.h"
#include "sysex/ERREncoder.h"
#include "sysex/ESSEncoder.h"
#include "sysex/HBSDecoder.h"
#include "sysex/HBSEncoder.h"
#include "sysex/IPSDecoder.h"
#include "sysex/IPSEncoder.h"
#include "sysex/MessageFrame.h"
#include "sysex/MessageType.h"
#include "sysex/ParameterAttributeTable.h"
#include "sysex/RJCEncoder.h"
#include "sysex/SysexNumbers.h"
#include "sysex/msg_error.h"

#include <algorithm>
#include <limits>

namespace zel::qmix::emu {

namespace {

using sysex::BlockAddress;
using sysex::MessageFrame;
using sysex::MessageType;

// The sub-address byte of user data; display pictures travel with 0.
constexpr int kDataSubAddress = 2;
constexpr int kPictureSubAddress = 0;
// The display takes nothing larger; the program's pictures are 280 bytes.
constexpr qint64 kMaxPictureSize = 1024;
constexpr int kLargestElement = 0x3FFF;

QByteArray encoded(sysex::Encoder&& encoder) {
    QByteArray message;
    encoder.encode(message);
    return message;
}

bool isBlock(const QByteArray& message) {
    return message.size() > MessageFrame::TYPE_OFFSET &&
           message.at(MessageFrame::TYPE_OFFSET) == char(MessageType::HBS);
}

// Damages the checksum as a bad cable would, keeping every byte 7-bit so the
// message still looks like SysEx.
void corruptChecksum(QByteArray& block) {
    const qsizetype lastChecksumByte = block.size() - 2;
    block[lastChecksumByte] = char(block.at(lastChecksumByte) ^ 0x01);
}

} // namespace

VirtualKeyboard::VirtualKeyboard(const data::KeyboardInfo* model, const FaultPlan& faults)
    : memory_(KeyboardMemory::factoryDefault(model))
    , faults_(faults)
    , restore_(ModelLayout(model))
    , pictureParameter_(PICTURE_PARAMETER_SIZE, '\0') {
    uptime_.start();
}

void VirtualKeyboard::setMemory(const KeyboardMemory& memory) {
    memory_ = memory;
    backupImage_.clear();
}

void VirtualKeyboard::receive(const QByteArray& message) {
    // Other devices' SysEx on the same cable are none of the keyboard's business.
    if (message.size() <= MessageFrame::TYPE_OFFSET || !MessageFrame::hasKeyboardHeader(message))
        return;
    if (isBlock(message) && faults_.lostBlocks.matches(++blocksArrived_))
        return;
    if (faults_.silentAfter >= 0 && received_ >= faults_.silentAfter)
        return;
    ++received_;
    messageTime_ = now();
    const int type = quint8(message.at(MessageFrame::TYPE_OFFSET));
    droppingReplies_ =
        faults_.dropRepliesTo.matches(received_) || faults_.dropReplyTypes.contains(type);
    try {
        dispatch(type, message);
    } catch (const sysex::msg_error&) {
        // A garbled request gets no answer; the PC's time-out deals with it.
        // Only garbled blocks are answered (with ERR, in onBlock()).
    }
    droppingReplies_ = false;
}

void VirtualKeyboard::dispatch(int type, const QByteArray& message) {
    switch (type) {
    case MessageType::IPR:
        onParameterRequest(message);
        break;
    case MessageType::IPS:
        onParameterSet(message);
        break;
    case MessageType::HBR:
        onBlockRequest(message);
        break;
    case MessageType::HBS:
        onBlock(message);
        break;
    case MessageType::SBS:
        onTransferStart(message);
        break;
    case MessageType::ACK:
        BlockMessageDecoder().decode(message);
        onAcknowledge();
        break;
    case MessageType::ESS:
        onElementEnd(message);
        break;
    case MessageType::EBS:
    case MessageType::RJC:
        BlockMessageDecoder().decode(message);
        onTransferEnd();
        break;
    case MessageType::ERR:
        ByteMessageDecoder().decode(message);
        onRepeatRequest();
        break;
    default:
        // EXI only tells the keyboard to wait (or that the PC is done); a
        // transfer in progress goes on after it. Unused types are ignored.
        break;
    }
}

// ---- parameters -----------------------------------------------------------

void VirtualKeyboard::onParameterRequest(const QByteArray& message) {
    IPRDecoder request;
    request.decode(message);
    const sysex::ParameterAddress& address = request.address();
    const qint64 valueBytes =
        sysex::bit2byteLength(sysex::PsGetParameterAttrib(address.category, address.id).bitWidth);
    // The answer must stay a parameter message (below 48 bytes without F7);
    // a request that asks for more gets none.
    if (sysex::ParameterAddress::END_OFFSET + valueBytes * (address.length + 1) >=
        sysex::Encoder::IP_MESSAGE_MAX_LENGTH)
        return;

    sysex::IPSEncoder reply(address.category, address.subAddress);
    reply.setAddressNumber(address.addressNumber);
    reply.setIndexes(QVector<int>(address.indexes.cbegin(), address.indexes.cend()));
    reply.setId(address.id);
    reply.setOffset(address.offset);
    reply.setValues(parameterValues(address));
    send(encoded(std::move(reply)));
}

QVector<qint32> VirtualKeyboard::parameterValues(const sysex::ParameterAddress& address) const {
    const SystemParameters system(memory_, selection_);
    QVector<qint32> values;
    for (int k = 0; k <= address.length; ++k) {
        const int element = address.offset + k;
        std::optional<qint32> value;
        if (address.category == 0)
            value = system.value(address.id, element);
        if (!value && address.category == ModelLayout::LCD_CATEGORY && address.id == 0)
            value = element < pictureParameter_.size() ? quint8(pictureParameter_.at(element)) : 0;
        if (!value) {
            const ParameterKey key{address.category, address.subAddress, address.addressNumber,
                                   address.indexes,  address.id,         element};
            value = memory_.parameter(key);
        }
        values.append(value.value_or(0));
    }
    return values;
}

void VirtualKeyboard::onParameterSet(const QByteArray& message) {
    sysex::IPSDecoder decoder;
    decoder.decode(message);
    const sysex::ParameterAddress address = ParameterAddressReader::read(message);
    const QVector<qint32>& values = decoder.values();

    if (address.category == 0) {
        if (SystemParameters::isComputed(address.id))
            return;
        switch (address.id) {
        case SystemParameters::SELECT_CATEGORY:
        case SystemParameters::SELECT_MODE:
        case SystemParameters::SELECT_AREA:
        case SystemParameters::DELETE_AREA:
            setSystemParameter(address.id, values.first());
            return;
        default:
            break;
        }
    }
    if (address.category == ModelLayout::LCD_CATEGORY) {
        if (address.id == 0)
            setPictureBytes(address.offset, values);
        return;
    }
    storeParameters(address, values);
}

void VirtualKeyboard::setSystemParameter(int id, qint32 value) {
    switch (id) {
    case SystemParameters::SELECT_CATEGORY:
        selection_.category = value;
        break;
    case SystemParameters::SELECT_MODE:
        selection_.mode = value;
        break;
    case SystemParameters::SELECT_AREA:
        selection_.area = value;
        break;
    case SystemParameters::DELETE_AREA:
        if (value == 0)
            deleteSelectedArea();
        break;
    default:
        break;
    }
}

void VirtualKeyboard::setPictureBytes(int offset, const QVector<qint32>& values) {
    for (int k = 0; k < values.size(); ++k) {
        const int position = offset + k;
        if (position < pictureParameter_.size())
            pictureParameter_[position] = char(values.at(k));
    }
    lcdPicture_ = pictureParameter_;
}

void VirtualKeyboard::storeParameters(const sysex::ParameterAddress& address,
                                      const QVector<qint32>& values) {
    KeyboardMemory candidate = memory_;
    for (int k = 0; k < values.size(); ++k) {
        const int element = address.offset + k;
        const ParameterKey key{address.category, address.subAddress, address.addressNumber,
                               address.indexes,  address.id,         element};
        if (element > kLargestElement || !candidate.setParameter(key, values.at(k)))
            break;
    }
    adopt(candidate);
}

void VirtualKeyboard::deleteSelectedArea() {
    const int category = selection_.category;
    const int area = selection_.area;
    const ModelLayout& layout = memory_.layout();
    if (!layout.isStorageArea(category, area) || !layout.isDeletable(category))
        return;
    KeyboardMemory candidate = memory_;
    candidate.clearArea(category, area);
    if (!adopt(candidate))
        return;
    const int deleteTime =
        faults_.deleteTimeMs >= 0 ? faults_.deleteTimeMs : layout.deleteTimeMs(category);
    // Until then the keyboard answers nothing, so the PC's next question (is
    // the area still used?) is answered once the deletion is over.
    busyUntil_ = std::max(busyUntil_, messageTime_ + deleteTime);
}

// ---- bulk data ------------------------------------------------------------

void VirtualKeyboard::onTransferStart(const QByteArray& message) {
    ByteMessageDecoder().decode(message);
    abandonTransfers();
    restore_.reset();
    // The SBS names no block; its acknowledgement carries the zero address.
    if (!takeAcknowledgeTurn()) {
        refuse(BlockAddress());
        return;
    }
    acknowledge(BlockAddress());
}

void VirtualKeyboard::onTransferEnd() {
    abandonTransfers();
    restore_.reset();
}

void VirtualKeyboard::onBlock(const QByteArray& message) {
    sysex::HBSDecoder decoder;
    try {
        decoder.decode(message);
    } catch (const sysex::msg_error& error) {
        // The element stays open: the PC may send the block again.
        send(encoded(sysex::ERREncoder(error.code())));
        return;
    }
    const BlockAddress address = decoder.blockAddress();
    outgoing_.finish();
    if (!incoming_.isFor(address) && !openIncoming(address)) {
        refuse(address);
        abandonTransfers();
        return;
    }
    if (!takeAcknowledgeTurn() || !incoming_.append(decoder.data())) {
        refuse(address);
        abandonTransfers();
        return;
    }
    acknowledge(address);
}

void VirtualKeyboard::onElementEnd(const QByteArray& message) {
    BlockMessageDecoder decoder;
    decoder.decode(message);
    const BlockAddress address = decoder.address();
    // An element whose blocks never arrived (or went to another address) is
    // not stored: half an area is worse than the old contents.
    if (!incoming_.isFor(address) || incoming_.data().isEmpty() || !takeAcknowledgeTurn()) {
        refuse(address);
        abandonTransfers();
        return;
    }
    const bool stored = commitIncoming();
    incoming_.close();
    if (!stored) {
        refuse(address);
        abandonTransfers();
        return;
    }
    acknowledge(address);
}

VirtualKeyboard::Target VirtualKeyboard::classify(const BlockAddress& address) const {
    const ModelLayout& layout = memory_.layout();
    if (address.category == ModelLayout::LCD_CATEGORY)
        return address.subAddress == kPictureSubAddress ? Target::Picture : Target::Refused;
    if (address.subAddress != kDataSubAddress)
        return Target::Refused;
    if (address.category == ModelLayout::ALL_DATA_CATEGORY)
        return address.blockNumber < layout.areaCount(address.category) ? Target::BackupBlock
                                                                        : Target::Refused;
    if (!layout.isStorageArea(address.category, address.blockNumber))
        return Target::Refused;
    // These models overwrite a music preset only after it has been cleared.
    if (address.category == ModelLayout::MUSIC_PRESET_CATEGORY &&
        model()->usesMusicPresetSendCommand() &&
        memory_.isAreaUsed(address.category, address.blockNumber))
        return Target::Refused;
    return Target::Area;
}

qint64 VirtualKeyboard::elementLimit(Target target, const BlockAddress& address) const {
    switch (target) {
    case Target::Picture:
        return kMaxPictureSize;
    case Target::BackupBlock:
        return memory_.layout().blockSizes().at(address.blockNumber);
    case Target::Area:
        return MemoryAccounting(memory_).freeForArea(address.category, address.blockNumber);
    case Target::Refused:
        break;
    }
    return 0;
}

bool VirtualKeyboard::openIncoming(const BlockAddress& address) {
    const Target target = classify(address);
    if (target == Target::Refused)
        return false;
    incoming_.open(address, elementLimit(target, address));
    return true;
}

bool VirtualKeyboard::commitIncoming() {
    const BlockAddress& address = incoming_.address();
    switch (classify(address)) {
    case Target::Picture:
        lcdPicture_ = incoming_.data();
        return true;
    case Target::BackupBlock:
        return commitBackupBlock(address.blockNumber, incoming_.data());
    case Target::Area:
        return commitArea(address, incoming_.data());
    case Target::Refused:
        break;
    }
    return false;
}

bool VirtualKeyboard::commitArea(const BlockAddress& address, const QByteArray& data) {
    if (!MemoryAccounting(memory_).fits(address.category, address.blockNumber, data.size()))
        return false;
    KeyboardMemory candidate = memory_;
    candidate.setAreaData(address.category, address.blockNumber, data);
    return adopt(candidate);
}

// A restore takes effect as a whole when its last block has arrived, and only
// if the blocks make up an intact memory image; until then, and on failure,
// the keyboard keeps what it had.
bool VirtualKeyboard::commitBackupBlock(int block, const QByteArray& data) {
    restore_.writeBlock(block, data);
    if (!restore_.isLastBlock(block))
        return true;
    KeyboardMemory restored(model());
    const bool intact = MemoryImage::decode(restore_.image(), model(), restored);
    restore_.reset();
    return intact && adopt(restored);
}

void VirtualKeyboard::onBlockRequest(const QByteArray& message) {
    BlockMessageDecoder decoder;
    decoder.decode(message);
    const BlockAddress address = decoder.address();
    abandonTransfers();
    const QByteArray data = outgoingData(address);
    if (data.isNull()) {
        refuse(address);
        return;
    }
    outgoing_.start(address, data);
    sendNextOutgoing();
}

// Null when the keyboard has nothing to send for the address.
QByteArray VirtualKeyboard::outgoingData(const BlockAddress& address) {
    const ModelLayout& layout = memory_.layout();
    if (address.subAddress != kDataSubAddress)
        return {};
    if (address.category == ModelLayout::ALL_DATA_CATEGORY) {
        const QList<int> sizes = layout.blockSizes();
        if (address.blockNumber >= sizes.size())
            return {};
        if (backupImage_.isEmpty())
            backupImage_ = MemoryImage::backupImage(memory_);
        // Never cut an image that does not fit into a backup.
        if (backupImage_.size() > layout.imageCapacity())
            return {};
        return backupImage_.mid(qsizetype(layout.blockOffset(address.blockNumber)),
                                sizes.at(address.blockNumber));
    }
    const QByteArray data = memory_.areaData(address.category, address.blockNumber);
    return data.isEmpty() ? QByteArray() : data;
}

void VirtualKeyboard::sendNextOutgoing() {
    if (outgoing_.hasMoreBlocks()) {
        send(encoded(sysex::HBSEncoder(outgoing_.address(), outgoing_.takeBlock())));
        return;
    }
    send(encoded(sysex::ESSEncoder(outgoing_.address())));
    outgoing_.markEndSent();
}

void VirtualKeyboard::onAcknowledge() {
    if (!outgoing_.isActive())
        return;
    if (outgoing_.isEndSent()) {
        outgoing_.finish();
        return;
    }
    sendNextOutgoing();
}

void VirtualKeyboard::abandonTransfers() {
    incoming_.close();
    outgoing_.finish();
}

void VirtualKeyboard::onRepeatRequest() {
    if (!lastSent_.isEmpty())
        transmit(lastSent_);
}

// ---- memory and output ----------------------------------------------------

bool VirtualKeyboard::adopt(const KeyboardMemory& candidate) {
    if (candidate == memory_)
        return true;
    if (persistence_ && !persistence_(candidate))
        return false;
    memory_ = candidate;
    backupImage_.clear();
    return true;
}

bool VirtualKeyboard::takeAcknowledgeTurn() {
    ++acknowledgements_;
    return !faults_.rejectAcks.matches(acknowledgements_);
}

void VirtualKeyboard::acknowledge(const BlockAddress& address) {
    send(encoded(sysex::ACKEncoder(address)));
}

void VirtualKeyboard::refuse(const BlockAddress& address) {
    send(encoded(sysex::RJCEncoder(address)));
}

void VirtualKeyboard::send(const QByteArray& message) {
    lastSent_ = message;
    transmit(message);
}

void VirtualKeyboard::transmit(QByteArray message) {
    if (isBlock(message) && faults_.corruptBlocks.matches(++blocksSent_))
        corruptChecksum(message);
    if (droppingReplies_ || !output_)
        return;
    output_(message, replyDelay());
}

int VirtualKeyboard::replyDelay() const {
    const qint64 busy = std::max<qint64>(0, busyUntil_ - messageTime_);
    return int(std::min<qint64>(busy + faults_.replyDelayMs, std::numeric_limits<int>::max()));
}

qint64 VirtualKeyboard::now() const {
    return clock_ ? clock_() : uptime_.elapsed();
}

} // namespace zel::qmix::emu
