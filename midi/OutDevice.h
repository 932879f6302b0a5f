#pragma once

#include "midi/AbstractOutDevice.h"

#include <mutex>

#include <memory>

class RtMidiOut;

namespace zel::qmix::midi {

// An output port of the ALSA sequencer, written through RtMidi.
class OutDevice : public AbstractOutDevice {
    Q_OBJECT
public:
    explicit OutDevice(const OutDeviceInfo& info, QObject* parent = nullptr);
    ~OutDevice() override;

    // Finds the port by name in the service's current list and connects a
    // client "ToneHarbour" to it. False when the service does not run or the
    // port is gone.
    bool open() override;
    void close() override;
    bool isCandidate() const override;

public slots:
    // RtMidi copies the bytes before it returns, so nothing has to outlive
    // the call.
    void send(const QByteArray& message) override;

private:
    void release();

    std::recursive_mutex mutex_;
    std::unique_ptr<RtMidiOut> midi_; // null while closed; guarded by mutex_
};

} // namespace zel::qmix::midi
