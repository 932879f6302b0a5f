#include "midi/OutDevice.h"

#include "midi/PortClassifier.h"
#include "midi/RtMidiBackend.h"

#include <mutex>

#include <rtmidi/RtMidi.h>

namespace zel::qmix::midi {

OutDevice::OutDevice(const OutDeviceInfo& info, QObject* parent)
    : AbstractOutDevice(info, parent) {}

OutDevice::~OutDevice() {
    release();
}

bool OutDevice::open() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    release();
    std::unique_ptr<RtMidiOut> midi =
        RtMidiBackend::createOut(info().api(), RtMidiBackend::clientName());
    if (!midi)
        return false;
    const int index = RtMidiBackend::findPort(*midi, info().name());
    if (index >= 0) {
        try {
            midi->openPort(unsigned(index), RtMidiBackend::outPortName().toStdString());
        } catch (const RtMidiError&) {
        }
    }
    // The input of a pair is connected first: once this connection carries
    // data, so does that one.
    if (!midi->isPortOpen() || !RtMidiBackend::awaitConnection(info().api(), info().name(),
                                                               RtMidiBackend::outPortName())) {
        RtMidiBackend::dispose(std::move(midi), info().api());
        return false;
    }
    midi_ = std::move(midi);
    return true;
}

void OutDevice::close() {
    release();
}

void OutDevice::release() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    if (midi_)
        RtMidiBackend::dispose(std::move(midi_), info().api());
}

bool OutDevice::isCandidate() const {
    return PortClassifier::isCandidate(info());
}

void OutDevice::send(const QByteArray& message) {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    if (!midi_ || message.isEmpty())
        return;
    try {
        midi_->sendMessage(reinterpret_cast<const unsigned char*>(message.constData()),
                           size_t(message.size()));
    } catch (const RtMidiError&) {
    }
}

} // namespace zel::qmix::midi
