#pragma once

#include "midi/WireEndpoint.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <mutex>

namespace zel::qmix::midi::test {

// A wire endpoint that records what the program sends and answers through a
// replaceable responder (called on the sending thread).
class TestEndpoint : public WireEndpoint {
public:
    using Responder = std::function<void(TestEndpoint&, const QByteArray&)>;

    explicit TestEndpoint(const QString& name, Responder responder = {});
    ~TestEndpoint() override;

    void receiveFromProgram(const QByteArray& message) override;

    QList<QByteArray> received() const;
    int receivedCount() const;

    // Responders for the usual cases.
    static Responder silent() { return {}; }
    static Responder echo();
    // Answers the search's parameter request with a well-formed IPS of the
    // given parameter, and nothing else.
    static Responder answerIps(int category, int id);

private:
    mutable std::mutex mutex_;
    QList<QByteArray> received_;
    Responder responder_;
};

// A probe request as the program sends it, and a well-formed reply.
QByteArray probeRequest();
QByteArray ipsReply(int category, int id);

} // namespace zel::qmix::midi::test
