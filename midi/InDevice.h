#pragma once

#include "midi/AbstractInDevice.h"

#include <memory>
#include <mutex>
#include <vector>

class RtMidiIn;

namespace zel::qmix::midi {

// An input port of the ALSA sequencer, read through RtMidi.
class InDevice : public AbstractInDevice {
    Q_OBJECT
public:
    explicit InDevice(const InDeviceInfo& info, QObject* parent = nullptr);
    // Closes the port: RtMidi's thread must not call into a destroyed device.
    ~InDevice() override;

    // Finds the port by name in the service's current list and connects a
    // client "ToneHarbour" to it. False when the service does not run or the
    // port is gone.
    bool open() override;
    void close() override;
    bool isCandidate() const override;

private:
    static void onMidiMessage(double deltaSeconds, std::vector<unsigned char>* message, void* self);
    void deliver(const std::vector<unsigned char>& message);
    void release();

    // The device mutex: open and close.
    std::recursive_mutex mutex_;
    // Held by RtMidi's thread while it hands a message over, and by close()
    // to stop that. Separate from the device mutex because close() waits for
    // the MIDI service, and JACK (synchronous) waits for this client's
    // callback: the callback must never wait for close().
    std::mutex deliveryMutex_;
    bool accepting_ = false;         // guarded by deliveryMutex_
    std::unique_ptr<RtMidiIn> midi_; // null while closed; guarded by mutex_
};

} // namespace zel::qmix::midi
