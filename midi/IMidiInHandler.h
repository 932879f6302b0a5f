#pragma once

namespace zel::qmix::midi {

// Told about every complete message queued on an input port. Runs on the MIDI
// callback thread with the port's locks held: it must be short and must not
// open or close the port.
class IMidiInHandler {
public:
    virtual ~IMidiInHandler() = default;
    virtual void midiInCallback() = 0;
};

} // namespace zel::qmix::midi
