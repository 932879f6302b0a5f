#pragma once

#include "sysex/SCMEncoder.h"

namespace zel::qmix::sysex {

// A transfer refused or abandoned, by either side.
class RJCEncoder : public SCMEncoder {
public:
    RJCEncoder(int category, int subAddress, int blockNumber);
    explicit RJCEncoder(const BlockAddress& address);
};

} // namespace zel::qmix::sysex
