#include "emu/ByteMessageDecoder.h"

#include "sysex/msg_error.h"

namespace zel::qmix::emu {

void ByteMessageDecoder::validate(const QByteArray& msg) {
    // A body byte with bit 7 set cannot be part of a SysEx message.
    if (msg.size() != MESSAGE_LENGTH || quint8(msg.at(sysex::MessageFrame::BODY_OFFSET)) > 0x7F)
        throw sysex::msg_error(sysex::msg_error::MALFORMED);
}

void ByteMessageDecoder::parse(const QByteArray& msg) {
    value_ = quint8(msg.at(sysex::MessageFrame::BODY_OFFSET));
}

} // namespace zel::qmix::emu
