#pragma once

#include <QByteArray>
#include <QList>

#include <cstddef>

namespace zel::qmix::midi {

// Rebuilds whole SysEx messages from a MIDI byte stream that arrives in
// pieces of any size: JACK hands a long message over as several events,
// possibly in different periods. Real-time bytes may sit anywhere, even inside
// a message, and are skipped; any other status byte inside a message means its
// end was lost, so the broken message is dropped rather than passed on.
class SysExAssembler {
public:
    // Stops a message that never ends from eating memory.
    static constexpr qsizetype MaxMessageSize = 1 << 20;

    // The messages that the bytes complete, in order.
    QList<QByteArray> feed(const char* bytes, std::size_t count);
    // Forgets a message begun but not ended.
    void reset();

private:
    void take(unsigned char byte, QList<QByteArray>& complete);

    QByteArray partial_;
    bool inside_ = false;
};

} // namespace zel::qmix::midi
