#include "sysex/RJCEncoder.h"

#include "sysex/MessageType.h"

namespace zel::qmix::sysex {

RJCEncoder::RJCEncoder(int category, int subAddress, int blockNumber)
    : SCMEncoder(MessageType::RJC, category, subAddress, blockNumber) {}

RJCEncoder::RJCEncoder(const BlockAddress& address)
    : SCMEncoder(MessageType::RJC, address) {}

} // namespace zel::qmix::sysex
