#pragma once

#include "midi/PortInfo.h"

namespace zel::qmix::midi {

// One MIDI output port.
class OutDeviceInfo : public PortInfo {
public:
    using PortInfo::PortInfo;
};

} // namespace zel::qmix::midi
