#pragma once

#include "midi/AbstractOutDevice.h"

#include <memory>
#include <mutex>

namespace zel::qmix::midi {

class JackClient;
class JackPort;

// An output port of JACK: a port of this process's one JACK client, connected
// to the device's port.
class JackOutDevice : public AbstractOutDevice {
    Q_OBJECT
public:
    explicit JackOutDevice(const OutDeviceInfo& info, QObject* parent = nullptr);
    // Closes the port, after what was sent has gone out.
    ~JackOutDevice() override;

    // False when no JACK server runs or the device's port is gone. Once it
    // returns true, the connection carries data: nothing sent is lost to a
    // connection JACK has not applied yet.
    bool open() override;
    void close() override;
    bool isCandidate() const override;

public slots:
    // The bytes are copied before it returns.
    void send(const QByteArray& message) override;

private:
    void release();

    std::recursive_mutex mutex_;
    std::shared_ptr<JackClient> client_; // guarded by mutex_
    std::shared_ptr<JackPort> port_;     // null while closed; guarded by mutex_
};

} // namespace zel::qmix::midi
