#include "emu/ParameterAddressReader.h"

#include "sysex/MessageFrame.h"
#include "sysex/SysexNumbers.h"
#include "sysex/msg_error.h"

namespace zel::qmix::emu {

namespace {

constexpr int kSubAddressOffset = sysex::MessageFrame::BODY_OFFSET + 1;
constexpr int kAddressNumberOffset = sysex::MessageFrame::BODY_OFFSET + 2;
constexpr int kIndexesOffset = sysex::MessageFrame::BODY_OFFSET + 4;
constexpr int kOffsetOffset = sysex::ParameterAddress::ID_OFFSET + 2;
constexpr int kIndexCount = 4;

} // namespace

sysex::ParameterAddress ParameterAddressReader::read(const QByteArray& msg) {
    using sysex::SysexNumbers;
    if (msg.size() < sysex::ParameterAddress::END_OFFSET)
        throw sysex::msg_error(sysex::msg_error::MALFORMED);

    sysex::ParameterAddress address;
    address.category = int(SysexNumbers::readNumber(msg, sysex::MessageFrame::BODY_OFFSET, 7));
    address.subAddress = int(SysexNumbers::readNumber(msg, kSubAddressOffset, 7));
    address.addressNumber = int(SysexNumbers::read14(msg, kAddressNumberOffset));
    // The wire carries the last index first.
    for (int i = 0; i < kIndexCount; ++i)
        address.indexes[kIndexCount - 1 - i] =
            int(SysexNumbers::read14(msg, kIndexesOffset + 2 * i));
    address.id = int(SysexNumbers::read14(msg, sysex::ParameterAddress::ID_OFFSET));
    address.offset = int(SysexNumbers::read14(msg, kOffsetOffset));
    address.length = int(SysexNumbers::read14(msg, sysex::ParameterAddress::LENGTH_OFFSET));
    return address;
}

} // namespace zel::qmix::emu
