#include "sysex/ERREncoder.h"

#include "sysex/MessageType.h"
#include "sysex/SysexNumbers.h"

namespace zel::qmix::sysex {

ERREncoder::ERREncoder(int code)
    : Encoder(MessageType::ERR)
    , code_(code) {}

void ERREncoder::writeBody(QByteArray& msg) {
    SysexNumbers::write7(msg, quint32(code_));
}

} // namespace zel::qmix::sysex
