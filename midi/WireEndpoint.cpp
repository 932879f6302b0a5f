#include "midi/WireEndpoint.h"

#include "midi/Wire.h"
#include "midi/WireLink.h"

namespace zel::qmix::midi {

WireEndpoint::WireEndpoint(const QString& name)
    : name_(name) {}

WireEndpoint::~WireEndpoint() {
    Wire::detach(this);
}

void WireEndpoint::sendToProgram(const QByteArray& message) {
    if (const std::shared_ptr<WireLink> link = Wire::linkOf(this))
        link->deliverToProgram(message);
}

} // namespace zel::qmix::midi
