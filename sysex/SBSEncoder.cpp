#include "sysex/SBSEncoder.h"

#include "sysex/MessageType.h"
#include "sysex/SysexNumbers.h"

namespace zel::qmix::sysex {

SBSEncoder::SBSEncoder(int kind)
    : Encoder(MessageType::SBS)
    , kind_(kind) {}

void SBSEncoder::writeBody(QByteArray& msg) {
    SysexNumbers::write7(msg, quint32(kind_));
}

} // namespace zel::qmix::sysex
