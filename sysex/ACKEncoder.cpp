#include "sysex/ACKEncoder.h"

#include "sysex/MessageType.h"

namespace zel::qmix::sysex {

ACKEncoder::ACKEncoder(int category, int subAddress, int blockNumber)
    : SCMEncoder(MessageType::ACK, category, subAddress, blockNumber) {}

ACKEncoder::ACKEncoder(const BlockAddress& address)
    : SCMEncoder(MessageType::ACK, address) {}

} // namespace zel::qmix::sysex
