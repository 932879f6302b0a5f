#pragma once

#include "midi/PortInfo.h"

#include <QMetaType>

namespace zel::qmix::midi {

// One MIDI output port.
class OutDeviceInfo : public PortInfo {
public:
    using PortInfo::PortInfo;
};

} // namespace zel::qmix::midi

// Carried in QVariant (queued signals, data-driven tests).
Q_DECLARE_METATYPE(zel::qmix::midi::OutDeviceInfo)
