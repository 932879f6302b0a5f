#include "midi/JackInDevice.h"

#include "midi/JackClient.h"
#include "midi/PortClassifier.h"

namespace zel::qmix::midi {

JackInDevice::JackInDevice(const InDeviceInfo& info, QObject* parent)
    : AbstractInDevice(info, parent) {}

JackInDevice::~JackInDevice() {
    release();
}

bool JackInDevice::open() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    release();
    std::shared_ptr<JackClient> client = JackClient::instance();
    if (!client)
        return false;
    // The port hands over whole SysEx messages only.
    port_ = client->openInput(info().name(),
                              [this](const QByteArray& message) { enqueueReceived(message); });
    if (!port_)
        return false;
    client_ = std::move(client);
    return true;
}

void JackInDevice::close() {
    release();
}

void JackInDevice::release() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    if (port_)
        client_->close(port_);
    port_.reset();
    client_.reset();
}

bool JackInDevice::isCandidate() const {
    return PortClassifier::isCandidate(info());
}

} // namespace zel::qmix::midi
