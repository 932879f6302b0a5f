#pragma once

#include "midi/SysExAssembler.h"

#include <QByteArray>
#include <QString>

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

namespace zel::qmix::midi {

// One port of this process's JACK client (see JackClient), with the lock-free
// ring buffer between JACK's process thread and the rest of the program:
//  - an input's process() copies every incoming event into the ring and
//    returns; the client's delivery thread later rebuilds whole SysEx messages
//    from the ring and hands them to the receiver;
//  - an output's send() puts a message into the ring; process() moves queued
//    bytes into the period's events, splitting a message that does not fit
//    the period's buffer across events and periods.
// Each ring has exactly one writer and one reader, as jack_ringbuffer needs.
class JackPort {
public:
    enum class Direction { In, Out };
    // Called on the client's delivery thread with each complete SysEx message.
    using Receiver = std::function<void(const QByteArray&)>;

    JackPort(jack_port_t* port, Direction direction);
    ~JackPort();

    JackPort(const JackPort&) = delete;
    JackPort& operator=(const JackPort&) = delete;

    jack_port_t* handle() const { return port_; }
    Direction direction() const { return direction_; }
    // "client:port".
    QString fullName() const;

    // JACK's process thread, once per period; never blocks nor allocates.
    // True when an input took bytes that wait for delivery.
    bool process(jack_nframes_t frames) noexcept;

    // Output: queues one whole message, waiting up to `timeout` for room;
    // false when it never fits.
    bool send(const QByteArray& message, std::chrono::milliseconds timeout);
    // Output: nothing queued is left to go out.
    bool isDrained() const;

    // Input: the receiver of complete messages. Once detach() returns, the
    // receiver is neither running (on another thread) nor called again.
    void setReceiver(Receiver receiver);
    void detach();
    // Input, delivery thread only: passes on what the ring holds.
    void deliverPending();

private:
    bool takeIncoming(jack_nframes_t frames) noexcept;
    void putOutgoing(jack_nframes_t frames) noexcept;

    jack_port_t* const port_;
    const Direction direction_;
    jack_ringbuffer_t* const ring_;

    // Process thread only: an input event was dropped for want of room, so
    // the message it belonged to is broken.
    bool dropped_ = false;
    // Written by the process thread only: bytes of the current outgoing
    // message still in the ring.
    std::atomic<std::uint32_t> unsent_{0};

    SysExAssembler assembler_; // delivery thread only
    // Recursive: a receiver may close its own port.
    std::recursive_mutex receiverMutex_;
    Receiver receiver_; // guarded by receiverMutex_
};

} // namespace zel::qmix::midi
