#include "sysex/HBSEncoder.h"

#include "sysex/Checksum.h"
#include "sysex/MessageType.h"
#include "sysex/Packing.h"
#include "sysex/SysexNumbers.h"

#include <QtGlobal>

namespace zel::qmix::sysex {

namespace {

// Block address, data length, checksum and the frame around them.
constexpr int FIXED_LENGTH = 6 + BlockAddress::LENGTH + 2 + 5 + 1;

} // namespace

HBSEncoder::HBSEncoder(const BlockAddress& address, const QByteArray& data)
    : Encoder(MessageType::HBS)
    , address_(address)
    , data_(data) {}

qsizetype HBSEncoder::messageLength(qsizetype dataLength) {
    return FIXED_LENGTH + Packing::packedLength(dataLength);
}

void HBSEncoder::writeBody(QByteArray& msg) {
    // A longer block would be announced with a wrapped length and its data
    // taken for something else; callers split data into small blocks.
    Q_ASSERT_X(data_.size() <= MAX_DATA_LENGTH, "HBSEncoder::writeBody",
               "block data longer than the 14-bit length field");

    address_.write(msg);
    SysexNumbers::write14(msg, quint32(data_.size()));
    Packing::pack(msg, data_);
    // Everything after F0 is covered.
    SysexNumbers::write32(msg, Checksum::crc32(msg, 1, msg.size() - 1));
}

} // namespace zel::qmix::sysex
