#pragma once

#include "midi/PortInfo.h"

namespace zel::qmix::midi {

// One MIDI input port.
class InDeviceInfo : public PortInfo {
public:
    using PortInfo::PortInfo;
};

} // namespace zel::qmix::midi
