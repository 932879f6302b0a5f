#include "sysex/HBSDecoder.h"

#include "sysex/Checksum.h"
#include "sysex/HBSEncoder.h"
#include "sysex/MessageFrame.h"
#include "sysex/MessageType.h"
#include "sysex/Packing.h"
#include "sysex/SysexNumbers.h"
#include "sysex/msg_error.h"

namespace zel::qmix::sysex {

namespace {

constexpr int LENGTH_OFFSET = MessageFrame::BODY_OFFSET + BlockAddress::LENGTH;
constexpr int DATA_OFFSET = LENGTH_OFFSET + 2;
// The checksum's five bytes and the F7.
constexpr int TRAILER_LENGTH = 6;

} // namespace

void HBSDecoder::validate(const QByteArray& msg) {
    // Below this there is no room for the fields the checksum range is taken from.
    if (msg.size() < HBSEncoder::messageLength(0) ||
        msg.at(MessageFrame::TYPE_OFFSET) != char(MessageType::HBS))
        throw msg_error(msg_error::MALFORMED);

    const qsizetype checksumOffset = msg.size() - TRAILER_LENGTH;
    const quint32 computed = Checksum::crc32(msg, 1, checksumOffset - 1);
    if (computed != SysexNumbers::read32(msg, checksumOffset))
        throw msg_error(msg_error::CHECKSUM_MISMATCH);
}

void HBSDecoder::parse(const QByteArray& msg) {
    data_.clear();
    const qsizetype dataLength = SysexNumbers::read14(msg, LENGTH_OFFSET);
    if (HBSEncoder::messageLength(dataLength) != msg.size())
        throw msg_error(msg_error::MALFORMED);
    address_ = BlockAddress::read(msg, MessageFrame::BODY_OFFSET);
    data_ = Packing::unpack(msg, DATA_OFFSET, dataLength);
}

} // namespace zel::qmix::sysex
