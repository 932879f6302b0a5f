#pragma once

#include "sysex/Encoder.h"

namespace zel::qmix::sysex {

// Closes a transfer; the message has no body.
class EXIEncoder : public Encoder {
public:
    EXIEncoder();
};

} // namespace zel::qmix::sysex
