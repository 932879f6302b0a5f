#pragma once

#include <QByteArray>

#include <mutex>

namespace zel::qmix::midi {

class WireEndpoint;
class WireInDevice;

// One attachment of an endpoint to the wire: what the program's ports of that
// pair reach. Shared by the endpoint and the ports, so a port still open after
// a detach finds a cut link instead of a dangling endpoint.
//
// Two locks, one per direction, so that an endpoint may answer from inside
// receiveFromProgram() (the program's thread holds the first, then takes the
// second) while its own thread delivers to the program (second only). Where
// both are taken, the order is: to-endpoint, then to-program.
class WireLink {
public:
    explicit WireLink(WireEndpoint* endpoint);

    // Calls the endpoint's receiveFromProgram(); nothing once cut.
    void deliverToEndpoint(const QByteArray& message);
    // Queues the message on the bound input port; nothing when none is bound.
    void deliverToProgram(const QByteArray& message);

    // Makes `input` the port that receives this pair's messages. Fails once
    // cut, or while another port holds the input, as an input port opened
    // twice would.
    bool bindInput(WireInDevice* input);
    // Releases the input if `input` holds it.
    void unbindInput(const WireInDevice* input);

    bool isCut() const;
    // Detaches: waits for deliveries in progress on other threads, then makes
    // every later delivery a no-op.
    void cut();

private:
    mutable std::recursive_mutex toEndpointMutex_;
    mutable std::recursive_mutex toProgramMutex_;
    // Written with both locks held, read with either.
    WireEndpoint* endpoint_;
    WireInDevice* input_ = nullptr; // guarded by toProgramMutex_
};

} // namespace zel::qmix::midi
