#include "sysex/Decoder.h"

#include "sysex/MessageFrame.h"
#include "sysex/msg_error.h"

namespace zel::qmix::sysex {

Decoder::~Decoder() = default;

void Decoder::decode(const QByteArray& msg) {
    if (!MessageFrame::hasKeyboardHeader(msg))
        throw msg_error(msg_error::MALFORMED);
    validate(msg);
    if (msg.back() != MessageFrame::END)
        throw msg_error(msg_error::MALFORMED);
    parse(msg);
}

qint8 Decoder::messageType(const QByteArray& msg) {
    // Another device's SysEx must not pass for one of the keyboard's replies.
    if (msg.size() <= MessageFrame::TYPE_OFFSET || !MessageFrame::hasKeyboardHeader(msg))
        throw msg_error(msg_error::MALFORMED);
    return qint8(msg.at(MessageFrame::TYPE_OFFSET));
}

} // namespace zel::qmix::sysex
