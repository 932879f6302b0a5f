#pragma once

#include "midi/MidiApi.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class RtMidiIn;
class RtMidiOut;

namespace zel::qmix::midi {

// A pair of virtual MIDI ports that other programs connect to, as they would
// to a device: how a stand-alone virtual keyboard shows itself to the system.
// Uses the ALSA sequencer when it runs, else JACK. Under JACK the input and
// the output are two clients, the second renamed "<client>-01" by JACK.
class VirtualPortPair {
public:
    // Called on the MIDI thread with each complete incoming SysEx message.
    using Receiver = std::function<void(QByteArray)>;

    VirtualPortPair();
    ~VirtualPortPair();

    VirtualPortPair(const VirtualPortPair&) = delete;
    VirtualPortPair& operator=(const VirtualPortPair&) = delete;

    // Opens both ports under `client`:`port`; false when no MIDI service runs
    // or the ports cannot be made. Reopening closes the previous ports first.
    bool open(const QString& client, const QString& port, Receiver receiver);
    // Sends one whole message; nothing while closed.
    void send(const QByteArray& message);
    // Once it returns, the receiver is no longer called.
    void close();

    bool isOpen() const;
    // The service the ports live on; meaningful while open.
    MidiApi api() const;

private:
    static void onMidiMessage(double deltaSeconds, std::vector<unsigned char>* message, void* self);
    void deliver(const std::vector<unsigned char>& message);
    bool openOn(MidiApi api, const QString& client, const QString& port);
    void release();

    mutable std::recursive_mutex mutex_; // open, close, send
    // Held by the MIDI thread while it hands a message over, and by close()
    // to stop that; never held while waiting for the MIDI service.
    std::mutex deliveryMutex_;
    Receiver receiver_; // guarded by deliveryMutex_; empty while closed
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
    MidiApi api_ = MidiApi::AlsaSequencer;
};

} // namespace zel::qmix::midi
