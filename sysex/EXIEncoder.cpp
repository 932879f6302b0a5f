#include "sysex/EXIEncoder.h"

#include "sysex/MessageType.h"

namespace zel::qmix::sysex {

EXIEncoder::EXIEncoder()
    : Encoder(MessageType::EXI) {}

} // namespace zel::qmix::sysex
