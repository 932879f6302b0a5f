#include "midi/WireInDevice.h"

#include "midi/Wire.h"
#include "midi/WireLink.h"

#include <mutex>

namespace zel::qmix::midi {

WireInDevice::WireInDevice(const InDeviceInfo& info, QObject* parent)
    : AbstractInDevice(info, parent) {}

WireInDevice::~WireInDevice() {
    release();
}

bool WireInDevice::open() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    release();
    std::shared_ptr<WireLink> link = Wire::linkFor(info().name(), info().index());
    if (!link || !link->bindInput(this))
        return false;
    link_ = std::move(link);
    return true;
}

void WireInDevice::close() {
    release();
}

void WireInDevice::release() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    // Unbinding waits for a delivery in progress, so none reaches this
    // device once it is closed.
    if (link_)
        link_->unbindInput(this);
    link_.reset();
}

} // namespace zel::qmix::midi
