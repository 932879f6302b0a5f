#pragma once

namespace zel::qmix::sysex {

// The type byte (offset 5) of every message. Values 2, 3, 6, 7 and 12 are unused.
struct MessageType {
    enum T : int {
        IPR = 0,
        IPS = 1,
        HBR = 4,
        HBS = 5,
        SBS = 8,
        EXI = 9,
        ACK = 10,
        RJC = 11,
        ESS = 13,
        EBS = 14,
        ERR = 15
    };
};

} // namespace zel::qmix::sysex
