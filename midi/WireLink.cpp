#include "midi/WireLink.h"

#include "midi/WireEndpoint.h"
#include "midi/WireInDevice.h"

namespace zel::qmix::midi {

WireLink::WireLink(WireEndpoint* endpoint)
    : endpoint_(endpoint) {}

void WireLink::deliverToEndpoint(const QByteArray& message) {
    std::lock_guard<std::recursive_mutex> lock(toEndpointMutex_);
    if (endpoint_)
        endpoint_->receiveFromProgram(message);
}

void WireLink::deliverToProgram(const QByteArray& message) {
    std::lock_guard<std::recursive_mutex> lock(toProgramMutex_);
    if (input_)
        input_->deliver(message);
}

bool WireLink::bindInput(WireInDevice* input) {
    std::lock_guard<std::recursive_mutex> lock(toProgramMutex_);
    if (!endpoint_ || (input_ && input_ != input))
        return false;
    input_ = input;
    return true;
}

void WireLink::unbindInput(const WireInDevice* input) {
    std::lock_guard<std::recursive_mutex> lock(toProgramMutex_);
    if (input_ == input)
        input_ = nullptr;
}

bool WireLink::isCut() const {
    std::lock_guard<std::recursive_mutex> lock(toProgramMutex_);
    return endpoint_ == nullptr;
}

void WireLink::cut() {
    std::lock_guard<std::recursive_mutex> endpointLock(toEndpointMutex_);
    std::lock_guard<std::recursive_mutex> programLock(toProgramMutex_);
    endpoint_ = nullptr;
    input_ = nullptr;
}

} // namespace zel::qmix::midi
