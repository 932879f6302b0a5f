#pragma once

#include "sysex/SCMEncoder.h"

namespace zel::qmix::sysex {

// Asks the keyboard for the blocks of one element.
class HBREncoder : public SCMEncoder {
public:
    HBREncoder(int category, int subAddress, int blockNumber);
    explicit HBREncoder(const BlockAddress& address);
};

} // namespace zel::qmix::sysex
