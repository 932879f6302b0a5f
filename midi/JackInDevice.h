#pragma once

#include "midi/AbstractInDevice.h"

#include <memory>
#include <mutex>

namespace zel::qmix::midi {

class JackClient;
class JackPort;

// An input port of JACK: a port of this process's one JACK client, connected
// from the device's port. Messages reach the queue on the client's delivery
// thread, never on JACK's process thread.
class JackInDevice : public AbstractInDevice {
    Q_OBJECT
public:
    explicit JackInDevice(const InDeviceInfo& info, QObject* parent = nullptr);
    // Closes the port: no message is delivered into a destroyed device.
    ~JackInDevice() override;

    // False when no JACK server runs or the device's port is gone.
    bool open() override;
    void close() override;
    bool isCandidate() const override;

private:
    void release();

    std::recursive_mutex mutex_;
    std::shared_ptr<JackClient> client_; // guarded by mutex_
    std::shared_ptr<JackPort> port_;     // null while closed; guarded by mutex_
};

} // namespace zel::qmix::midi
