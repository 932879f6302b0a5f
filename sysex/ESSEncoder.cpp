#include "sysex/ESSEncoder.h"

#include "sysex/MessageType.h"

namespace zel::qmix::sysex {

ESSEncoder::ESSEncoder(int category, int subAddress, int blockNumber)
    : SCMEncoder(MessageType::ESS, category, subAddress, blockNumber) {}

ESSEncoder::ESSEncoder(const BlockAddress& address)
    : SCMEncoder(MessageType::ESS, address) {}

} // namespace zel::qmix::sysex
