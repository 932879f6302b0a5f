#pragma once

namespace zel::qmix::midi {

class IDeviceInfoList {
public:
    virtual ~IDeviceInfoList() = default;
    // Lists the ports anew.
    virtual void refresh() = 0;
};

} // namespace zel::qmix::midi
