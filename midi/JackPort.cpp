#include "midi/JackPort.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cstdint>
#include <thread>

namespace zel::qmix::midi {

namespace {

// An input ring holds several periods of the fullest traffic the keyboard
// sends; the delivery thread empties it within a period or two.
constexpr std::size_t IN_RING_BYTES = 256 * 1024;
// Far above any single message of the keyboard's protocol.
constexpr std::size_t OUT_RING_BYTES = 256 * 1024;
// Put in front of the bytes that follow a dropped input event: an undefined
// status byte, which ends the broken SysEx message in the assembler.
constexpr char DROP_MARK = char(0xF4);
constexpr std::chrono::microseconds SEND_POLL(200);

using Length = std::uint32_t;

} // namespace

JackPort::JackPort(jack_port_t* port, Direction direction)
    : port_(port)
    , direction_(direction)
    , ring_(jack_ringbuffer_create(direction == Direction::In ? IN_RING_BYTES : OUT_RING_BYTES)) {}

JackPort::~JackPort() {
    if (ring_)
        jack_ringbuffer_free(ring_);
}

QString JackPort::fullName() const {
    return QString::fromUtf8(jack_port_name(port_));
}

bool JackPort::process(jack_nframes_t frames) noexcept {
    if (!ring_)
        return false;
    if (direction_ == Direction::In)
        return takeIncoming(frames);
    putOutgoing(frames);
    return false;
}

bool JackPort::takeIncoming(jack_nframes_t frames) noexcept {
    void* buffer = jack_port_get_buffer(port_, frames);
    if (!buffer)
        return false;
    bool took = false;
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0)
            continue;
        const std::size_t needed = event.size + (dropped_ ? 1 : 0);
        if (jack_ringbuffer_write_space(ring_) < needed) {
            dropped_ = true;
            continue;
        }
        if (dropped_) {
            jack_ringbuffer_write(ring_, &DROP_MARK, 1);
            dropped_ = false;
        }
        jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(event.buffer), event.size);
        took = true;
    }
    return took;
}

void JackPort::putOutgoing(jack_nframes_t frames) noexcept {
    void* buffer = jack_port_get_buffer(port_, frames);
    if (!buffer)
        return;
    // Every period, even an empty one: JACK keeps an output's last events
    // and would otherwise play them again.
    jack_midi_clear_buffer(buffer);
    std::uint32_t unsent = unsent_.load(std::memory_order_relaxed);
    for (;;) {
        if (unsent == 0) {
            Length length = 0;
            if (jack_ringbuffer_read_space(ring_) < sizeof length)
                break;
            jack_ringbuffer_read(ring_, reinterpret_cast<char*>(&length), sizeof length);
            unsent = length;
            continue;
        }
        const std::size_t piece = std::min({std::size_t(unsent), jack_ringbuffer_read_space(ring_),
                                            jack_midi_max_event_size(buffer)});
        if (piece == 0)
            break; // the period's buffer is full: the rest goes next period
        jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, piece);
        if (!event)
            break;
        jack_ringbuffer_read(ring_, reinterpret_cast<char*>(event), piece);
        unsent -= std::uint32_t(piece);
    }
    unsent_.store(unsent, std::memory_order_release);
}

bool JackPort::send(const QByteArray& message, std::chrono::milliseconds timeout) {
    if (!ring_ || direction_ != Direction::Out || message.isEmpty())
        return false;
    // The whole message goes in at once, so the process thread never finds
    // half of one and takes the next message's bytes for the rest.
    const std::size_t needed = sizeof(Length) + std::size_t(message.size());
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (jack_ringbuffer_write_space(ring_) < needed) {
        if (needed >= OUT_RING_BYTES || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(SEND_POLL);
    }
    // Length and bytes become visible to the process thread together.
    const Length length = Length(message.size());
    QByteArray framed(reinterpret_cast<const char*>(&length), sizeof length);
    framed.append(message);
    jack_ringbuffer_data_t parts[2];
    jack_ringbuffer_get_write_vector(ring_, parts);
    const std::size_t first = std::min(parts[0].len, needed);
    std::copy_n(framed.constData(), first, parts[0].buf);
    std::copy_n(framed.constData() + first, needed - first, parts[1].buf);
    jack_ringbuffer_write_advance(ring_, needed);
    return true;
}

bool JackPort::isDrained() const {
    return !ring_ ||
           (jack_ringbuffer_read_space(ring_) == 0 && unsent_.load(std::memory_order_acquire) == 0);
}

void JackPort::setReceiver(Receiver receiver) {
    std::lock_guard<std::recursive_mutex> lock(receiverMutex_);
    receiver_ = std::move(receiver);
}

void JackPort::detach() {
    setReceiver(nullptr);
}

void JackPort::deliverPending() {
    if (!ring_ || direction_ != Direction::In)
        return;
    jack_ringbuffer_data_t parts[2];
    jack_ringbuffer_get_read_vector(ring_, parts);
    QList<QByteArray> complete;
    std::size_t taken = 0;
    for (const jack_ringbuffer_data_t& part : parts) {
        complete += assembler_.feed(part.buf, part.len);
        taken += part.len;
    }
    jack_ringbuffer_read_advance(ring_, taken);
    std::lock_guard<std::recursive_mutex> lock(receiverMutex_);
    for (const QByteArray& message : complete) {
        if (receiver_)
            receiver_(message);
    }
}

} // namespace zel::qmix::midi
