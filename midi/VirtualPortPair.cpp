#include "midi/VirtualPortPair.h"

#include "midi/RtMidiBackend.h"

#include <rtmidi/RtMidi.h>

namespace zel::qmix::midi {

namespace {

constexpr unsigned char SYSEX_START = 0xF0;
constexpr unsigned char SYSEX_END = 0xF7;

} // namespace

VirtualPortPair::VirtualPortPair() = default;

VirtualPortPair::~VirtualPortPair() {
    close();
}

bool VirtualPortPair::open(const QString& client, const QString& port, Receiver receiver) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    release();
    {
        std::lock_guard<std::mutex> delivery(deliveryMutex_);
        receiver_ = std::move(receiver);
    }
    for (MidiApi api : {MidiApi::AlsaSequencer, MidiApi::Jack}) {
        if (openOn(api, client, port))
            return true;
    }
    release();
    return false;
}

bool VirtualPortPair::openOn(MidiApi api, const QString& client, const QString& port) {
    std::unique_ptr<RtMidiIn> in = RtMidiBackend::createIn(api, client);
    std::unique_ptr<RtMidiOut> out = RtMidiBackend::createOut(api, client);
    if (in && out) {
        bool callbackSet = false;
        try {
            in->ignoreTypes(false, true, true);
            in->setCallback(&VirtualPortPair::onMidiMessage, this);
            callbackSet = true;
        } catch (const RtMidiError&) {
        }
        if (callbackSet && RtMidiBackend::openVirtualPort(*in, port) &&
            RtMidiBackend::openVirtualPort(*out, port)) {
            in_ = std::move(in);
            out_ = std::move(out);
            api_ = api;
            return true;
        }
    }
    RtMidiBackend::dispose(std::move(in), api);
    RtMidiBackend::dispose(std::move(out), api);
    return false;
}

void VirtualPortPair::send(const QByteArray& message) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!out_ || message.isEmpty())
        return;
    try {
        out_->sendMessage(reinterpret_cast<const unsigned char*>(message.constData()),
                          size_t(message.size()));
    } catch (const RtMidiError&) {
    }
}

void VirtualPortPair::close() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    release();
}

void VirtualPortPair::release() {
    {
        std::lock_guard<std::mutex> delivery(deliveryMutex_);
        receiver_ = nullptr;
    }
    RtMidiBackend::dispose(std::move(in_), api_);
    RtMidiBackend::dispose(std::move(out_), api_);
}

bool VirtualPortPair::isOpen() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return in_ && out_;
}

MidiApi VirtualPortPair::api() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return api_;
}

void VirtualPortPair::onMidiMessage(double, std::vector<unsigned char>* message, void* self) {
    if (message && self)
        static_cast<VirtualPortPair*>(self)->deliver(*message);
}

void VirtualPortPair::deliver(const std::vector<unsigned char>& message) {
    if (message.size() < 2 || message.front() != SYSEX_START || message.back() != SYSEX_END)
        return;
    std::lock_guard<std::mutex> lock(deliveryMutex_);
    if (receiver_)
        receiver_(
            QByteArray(reinterpret_cast<const char*>(message.data()), qsizetype(message.size())));
}

} // namespace zel::qmix::midi
