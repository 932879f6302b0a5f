#pragma once

#include <QString>

namespace zel::qmix::midi {

// Description of one MIDI port.
class IDeviceInfo {
public:
    virtual ~IDeviceInfo() = default;
    virtual QString name() const = 0;
};

} // namespace zel::qmix::midi
