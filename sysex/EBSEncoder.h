#pragma once

#include "sysex/SCMEncoder.h"

namespace zel::qmix::sysex {

// End of the last element of a transfer.
class EBSEncoder : public SCMEncoder {
public:
    EBSEncoder(int category, int subAddress, int blockNumber);
    explicit EBSEncoder(const BlockAddress& address);
};

} // namespace zel::qmix::sysex
