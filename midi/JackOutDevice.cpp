#include "midi/JackOutDevice.h"

#include "midi/JackClient.h"
#include "midi/PortClassifier.h"

namespace zel::qmix::midi {

namespace {

// Room in the port's queue comes back every period; only a server that has
// stopped running the client makes a message wait this long.
constexpr std::chrono::milliseconds SEND_TIMEOUT(2000);

} // namespace

JackOutDevice::JackOutDevice(const OutDeviceInfo& info, QObject* parent)
    : AbstractOutDevice(info, parent) {}

JackOutDevice::~JackOutDevice() {
    release();
}

bool JackOutDevice::open() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    release();
    std::shared_ptr<JackClient> client = JackClient::instance();
    if (!client)
        return false;
    // The input of a pair is opened first: once this connection carries
    // data, so does that one.
    port_ = client->openOutput(info().name());
    if (!port_)
        return false;
    client_ = std::move(client);
    return true;
}

void JackOutDevice::close() {
    release();
}

void JackOutDevice::release() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    if (port_)
        client_->close(port_);
    port_.reset();
    client_.reset();
}

bool JackOutDevice::isCandidate() const {
    return PortClassifier::isCandidate(info());
}

void JackOutDevice::send(const QByteArray& message) {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    if (port_ && !message.isEmpty())
        port_->send(message, SEND_TIMEOUT);
}

} // namespace zel::qmix::midi
