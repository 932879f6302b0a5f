#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace zel::qmix::midi {

class WireLink;

// The far end of an in-process port pair, as the device on the other side of
// a cable would see it. Nothing reaches it until it is attached to the wire
// (Wire::attach).
//
// A subclass must call Wire::detach(this) in its own destructor: the base
// destructor detaches too, but by then the subclass part is gone, and a
// message sent meanwhile would reach a half-destroyed object.
class WireEndpoint {
public:
    explicit WireEndpoint(const QString& name);
    virtual ~WireEndpoint();

    WireEndpoint(const WireEndpoint&) = delete;
    WireEndpoint& operator=(const WireEndpoint&) = delete;

    QString name() const { return name_; }

    // Every message the program sends out of its output port on this pair;
    // called on the sending thread. It may answer at once with
    // sendToProgram(), or later from any thread.
    virtual void receiveFromProgram(const QByteArray& message) = 0;

    // Delivers a message to the program's input port of this pair; dropped
    // while that port is closed or the endpoint is detached, as on a real
    // cable. Thread-safe.
    void sendToProgram(const QByteArray& message);

private:
    friend class Wire;

    QString name_;
    // Present while attached; guarded by the wire's registry lock.
    std::shared_ptr<WireLink> link_;
};

} // namespace zel::qmix::midi
