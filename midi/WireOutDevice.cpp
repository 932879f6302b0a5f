#include "midi/WireOutDevice.h"

#include "midi/Wire.h"
#include "midi/WireLink.h"

#include <mutex>

namespace zel::qmix::midi {

WireOutDevice::WireOutDevice(const OutDeviceInfo& info, QObject* parent)
    : AbstractOutDevice(info, parent) {}

bool WireOutDevice::open() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    link_.reset();
    std::shared_ptr<WireLink> link = Wire::linkFor(info().name(), info().index());
    if (!link || link->isCut())
        return false;
    link_ = std::move(link);
    return true;
}

void WireOutDevice::close() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    link_.reset();
}

void WireOutDevice::send(const QByteArray& message) {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    if (link_)
        link_->deliverToEndpoint(message);
}

} // namespace zel::qmix::midi
