#include "midi/DeviceSearcher.h"

#include "midi/AbstractInDevice.h"
#include "midi/AbstractOutDevice.h"
#include "midi/DeviceFactory.h"
#include "midi/PortClassifier.h"
#include "sysex/IPREncoder.h"
#include "sysex/IPSDecoder.h"
#include "sysex/msg_error.h"

#include <chrono>
#include <iostream>
#include <memory>

namespace zel::qmix::midi {

namespace {

// Any parameter would do; this one every model answers.
constexpr int PROBE_PARAMETER_ID = 24;

QByteArray probeRequest() {
    sysex::IPREncoder encoder(0, 0);
    encoder.setId(PROBE_PARAMETER_ID);
    encoder.setLength(0);
    QByteArray message;
    encoder.encode(message);
    return message;
}

} // namespace

bool DeviceSearcher::search(const InDeviceInfoList& inputs, const OutDeviceInfoList& outputs,
                            InDeviceInfo& inFound, OutDeviceInfo& outFound) {
    for (const OutDeviceInfo& outInfo : outputs.infos()) {
        std::unique_ptr<AbstractOutDevice> out = DeviceFactory::createOut(outInfo);
        if (!out->isCandidate())
            continue;
        for (const InDeviceInfo& inInfo : probeOrder(inputs.infos(), outInfo)) {
            std::unique_ptr<AbstractInDevice> in = DeviceFactory::createIn(inInfo);
            if (in->isCandidate() && probe(in.get(), out.get())) {
                inFound = inInfo;
                outFound = outInfo;
                return true;
            }
        }
    }
    return false;
}

QList<InDeviceInfo> DeviceSearcher::probeOrder(const QList<InDeviceInfo>& inputs,
                                               const OutDeviceInfo& out) {
    QList<InDeviceInfo> sameClient;
    QList<InDeviceInfo> others;
    for (const InDeviceInfo& in : inputs)
        (PortClassifier::sameClient(in, out) ? sameClient : others).append(in);
    return sameClient + others;
}

bool DeviceSearcher::probe(AbstractInDevice* in, AbstractOutDevice* out) {
    bool answered = false;
    try {
        if (in->open() && out->open()) {
            found_ = false;
            probed_ = in;
            in->setHandler(this);
            out->send(probeRequest());
            answered = waitForAnswer();
        }
    } catch (...) {
        // Whatever went wrong, this pair is not the keyboard; the search goes on.
        answered = false;
    }
    in->setHandler(nullptr);
    probed_ = nullptr;
    in->close();
    out->close();
    return answered;
}

bool DeviceSearcher::waitForAnswer() {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(PROBE_TIMEOUT_MS);
    std::unique_lock<std::mutex> lock(wakeMutex_);
    return wake_.wait_until(lock, deadline, [this] { return found_.load(); });
}

void DeviceSearcher::midiInCallback() {
    if (!probed_)
        return;
    const QByteArray message = probed_->takeReceived();
    if (message.isEmpty())
        return;
    try {
        // No request set: any well-formed parameter answer shows a keyboard,
        // whatever parameter it carries.
        sysex::IPSDecoder decoder;
        decoder.decode(message);
        if (decoder.values().isEmpty())
            return;
        {
            std::lock_guard<std::mutex> lock(wakeMutex_);
            found_ = true;
        }
        wake_.notify_all();
    } catch (...) {
        // Not an answer (an echo of the request, a stray message): the probe
        // keeps waiting for a good one. Nothing may leave the MIDI thread.
        std::cout << "error at DeviceSearcher::midiInCallback" << std::endl;
    }
}

} // namespace zel::qmix::midi
