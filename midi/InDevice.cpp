#include "midi/InDevice.h"

#include "midi/PortClassifier.h"
#include "midi/RtMidiBackend.h"

#include <mutex>

#include <rtmidi/RtMidi.h>

namespace zel::qmix::midi {

namespace {

constexpr unsigned char SYSEX_START = 0xF0;

} // namespace

InDevice::InDevice(const InDeviceInfo& info, QObject* parent)
    : AbstractInDevice(info, parent) {}

InDevice::~InDevice() {
    release();
}

bool InDevice::open() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    release();
    std::unique_ptr<RtMidiIn> midi =
        RtMidiBackend::createIn(info().api(), RtMidiBackend::clientName());
    if (!midi)
        return false;
    const int index = RtMidiBackend::findPort(*midi, info().name());
    if (index < 0) {
        RtMidiBackend::dispose(std::move(midi), info().api());
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(deliveryMutex_);
        accepting_ = true;
    }
    try {
        // SysEx is what the keyboard speaks; timing and active-sensing
        // bytes are of no use here.
        midi->ignoreTypes(false, true, true);
        midi->setCallback(&InDevice::onMidiMessage, this);
        midi->openPort(unsigned(index), RtMidiBackend::inPortName().toStdString());
    } catch (const RtMidiError&) {
    }
    if (!midi->isPortOpen()) {
        {
            std::lock_guard<std::mutex> lock(deliveryMutex_);
            accepting_ = false;
        }
        RtMidiBackend::dispose(std::move(midi), info().api());
        return false;
    }
    midi_ = std::move(midi);
    return true;
}

void InDevice::close() {
    release();
}

void InDevice::release() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    {
        std::lock_guard<std::mutex> lock(deliveryMutex_);
        accepting_ = false;
    }
    if (midi_)
        RtMidiBackend::dispose(std::move(midi_), info().api());
}

bool InDevice::isCandidate() const {
    return PortClassifier::isCandidate(info());
}

void InDevice::onMidiMessage(double, std::vector<unsigned char>* message, void* self) {
    if (message && self)
        static_cast<InDevice*>(self)->deliver(*message);
}

void InDevice::deliver(const std::vector<unsigned char>& message) {
    // Channel messages are not part of the keyboard's protocol.
    if (message.empty() || message.front() != SYSEX_START)
        return;
    std::lock_guard<std::mutex> lock(deliveryMutex_);
    if (!accepting_)
        return;
    enqueueReceived(
        QByteArray(reinterpret_cast<const char*>(message.data()), qsizetype(message.size())));
}

} // namespace zel::qmix::midi
