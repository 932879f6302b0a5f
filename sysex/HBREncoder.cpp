#include "sysex/HBREncoder.h"

#include "sysex/MessageType.h"

namespace zel::qmix::sysex {

HBREncoder::HBREncoder(int category, int subAddress, int blockNumber)
    : SCMEncoder(MessageType::HBR, category, subAddress, blockNumber) {}

HBREncoder::HBREncoder(const BlockAddress& address)
    : SCMEncoder(MessageType::HBR, address) {}

} // namespace zel::qmix::sysex
