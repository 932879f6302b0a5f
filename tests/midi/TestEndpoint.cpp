#include "TestEndpoint.h"

#include "midi/Wire.h"
#include "sysex/IPREncoder.h"
#include "sysex/IPSEncoder.h"

namespace zel::qmix::midi::test {

TestEndpoint::TestEndpoint(const QString& name, Responder responder)
    : WireEndpoint(name)
    , responder_(std::move(responder)) {}

TestEndpoint::~TestEndpoint() {
    Wire::detach(this);
}

void TestEndpoint::receiveFromProgram(const QByteArray& message) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        received_.append(message);
    }
    if (responder_)
        responder_(*this, message);
}

QList<QByteArray> TestEndpoint::received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

int TestEndpoint::receivedCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return int(received_.size());
}

TestEndpoint::Responder TestEndpoint::echo() {
    return [](TestEndpoint& self, const QByteArray& message) { self.sendToProgram(message); };
}

TestEndpoint::Responder TestEndpoint::answerIps(int category, int id) {
    return [category, id](TestEndpoint& self, const QByteArray& message) {
        if (message == probeRequest())
            self.sendToProgram(ipsReply(category, id));
    };
}

QByteArray probeRequest() {
    sysex::IPREncoder encoder(0, 0);
    encoder.setId(24);
    QByteArray message;
    encoder.encode(message);
    return message;
}

QByteArray ipsReply(int category, int id) {
    sysex::IPSEncoder encoder(category, 0);
    encoder.setId(id);
    encoder.setValues({1});
    QByteArray message;
    encoder.encode(message);
    return message;
}

} // namespace zel::qmix::midi::test
