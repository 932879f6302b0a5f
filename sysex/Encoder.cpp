#include "sysex/Encoder.h"

#include "sysex/MessageFrame.h"

namespace zel::qmix::sysex {

Encoder::~Encoder() = default;

void Encoder::encode(QByteArray& msg) {
    // Built on its own and appended whole: the HBS checksum and the IPR/IPS
    // length limits are measured from the message start, whatever msg held.
    QByteArray message;
    MessageFrame::appendHeader(message);
    message.append(char(type_ & 0x7F));
    writeBody(message);
    message.append(MessageFrame::END);
    msg.append(message);
}

void Encoder::writeBody(QByteArray&) {}

} // namespace zel::qmix::sysex
