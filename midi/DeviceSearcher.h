#pragma once

#include "midi/IMidiInHandler.h"
#include "midi/InDeviceInfo.h"
#include "midi/InDeviceInfoList.h"
#include "midi/OutDeviceInfo.h"
#include "midi/OutDeviceInfoList.h"

#include <QList>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace zel::qmix::midi {

class AbstractInDevice;
class AbstractOutDevice;

// Finds the keyboard's port pair: sends a parameter request out of each
// candidate output port and listens for a well-formed answer on each
// candidate input port.
class DeviceSearcher : public IMidiInHandler {
public:
    // How long one (output, input) pair has to answer.
    static constexpr int PROBE_TIMEOUT_MS = 500;

    // Tries the pairs output by output, in list order, with the inputs of each
    // output in probeOrder(); the first pair that answers is the result.
    bool search(const InDeviceInfoList& inputs, const OutDeviceInfoList& outputs,
                InDeviceInfo& inFound, OutDeviceInfo& outFound);
    // Opens both ports, sends the request and waits up to PROBE_TIMEOUT_MS
    // for an answer; both ports are closed again in every case.
    bool probe(AbstractInDevice* in, AbstractOutDevice* out);

    // Inputs in the order they are tried with `out`: first those of the same
    // client as the output (a keyboard's two ports usually share it), then
    // the others, each group in list order.
    static QList<InDeviceInfo> probeOrder(const QList<InDeviceInfo>& inputs,
                                          const OutDeviceInfo& out);

    // Runs on the MIDI thread of the probed input, once per queued message.
    void midiInCallback() override;

private:
    bool waitForAnswer();

    // Set before the searcher becomes the port's handler and cleared after it
    // stops being it; the port's handler lock orders both against the callback.
    AbstractInDevice* probed_ = nullptr;
    std::atomic<bool> found_{false};
    // Wakes the waiting probe when an answer is found.
    std::mutex wakeMutex_;
    std::condition_variable wake_;
};

} // namespace zel::qmix::midi
