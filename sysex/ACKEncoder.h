#pragma once

#include "sysex/SCMEncoder.h"

namespace zel::qmix::sysex {

// A block or element accepted, by either side.
class ACKEncoder : public SCMEncoder {
public:
    ACKEncoder(int category, int subAddress, int blockNumber);
    explicit ACKEncoder(const BlockAddress& address);
};

} // namespace zel::qmix::sysex
