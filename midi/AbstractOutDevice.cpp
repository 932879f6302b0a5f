#include "midi/AbstractOutDevice.h"

namespace zel::qmix::midi {

AbstractOutDevice::AbstractOutDevice(const OutDeviceInfo& info, QObject* parent)
    : QObject(parent)
    , info_(info) {}

} // namespace zel::qmix::midi
