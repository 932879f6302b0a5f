#include "emu/BlockMessageDecoder.h"

#include "sysex/msg_error.h"

namespace zel::qmix::emu {

void BlockMessageDecoder::validate(const QByteArray& msg) {
    if (msg.size() != MESSAGE_LENGTH)
        throw sysex::msg_error(sysex::msg_error::MALFORMED);
}

void BlockMessageDecoder::parse(const QByteArray& msg) {
    address_ = sysex::BlockAddress::read(msg, sysex::MessageFrame::BODY_OFFSET);
}

} // namespace zel::qmix::emu
