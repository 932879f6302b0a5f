#include "sysex/EBSEncoder.h"

#include "sysex/MessageType.h"

namespace zel::qmix::sysex {

EBSEncoder::EBSEncoder(int category, int subAddress, int blockNumber)
    : SCMEncoder(MessageType::EBS, category, subAddress, blockNumber) {}

EBSEncoder::EBSEncoder(const BlockAddress& address)
    : SCMEncoder(MessageType::EBS, address) {}

} // namespace zel::qmix::sysex
