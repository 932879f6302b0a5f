#include "midi/WireOutDevice.h"

#include "midi/Wire.h"
#include "midi/WireLink.h"

#include <QMutexLocker>

namespace zel::qmix::midi {

WireOutDevice::WireOutDevice(const OutDeviceInfo& info, QObject* parent)
    : AbstractOutDevice(info, parent) {}

bool WireOutDevice::open() {
    QMutexLocker locker(&mutex_);
    link_.reset();
    std::shared_ptr<WireLink> link = Wire::linkFor(info().name(), info().index());
    if (!link || link->isCut())
        return false;
    link_ = std::move(link);
    return true;
}

void WireOutDevice::close() {
    QMutexLocker locker(&mutex_);
    link_.reset();
}

void WireOutDevice::send(const QByteArray& message) {
    QMutexLocker locker(&mutex_);
    if (link_)
        link_->deliverToEndpoint(message);
}

} // namespace zel::qmix::midi
