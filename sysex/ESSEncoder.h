#pragma once

#include "sysex/SCMEncoder.h"

namespace zel::qmix::sysex {

// End of the blocks of one element.
class ESSEncoder : public SCMEncoder {
public:
    ESSEncoder(int category, int subAddress, int blockNumber);
    explicit ESSEncoder(const BlockAddress& address);
};

} // namespace zel::qmix::sysex
