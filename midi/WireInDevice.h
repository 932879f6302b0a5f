#pragma once

#include "midi/AbstractInDevice.h"

#include <mutex>

#include <memory>

namespace zel::qmix::midi {

class WireLink;

// The program's input port of an in-process pair: receives what the endpoint
// sends with sendToProgram().
class WireInDevice : public AbstractInDevice {
    Q_OBJECT
public:
    explicit WireInDevice(const InDeviceInfo& info, QObject* parent = nullptr);
    // Closes the port, so the wire never keeps a pointer to a destroyed device.
    ~WireInDevice() override;

    // Fails when no endpoint of that name is attached, or when another port
    // already has this pair's input open.
    bool open() override;
    void close() override;
    // An in-process endpoint is always worth a probe.
    bool isCandidate() const override { return true; }

private:
    friend class WireLink;
    void deliver(const QByteArray& message) { enqueueReceived(message); }
    void release();

    std::recursive_mutex mutex_;
    std::shared_ptr<WireLink> link_; // null while closed; guarded by mutex_
};

} // namespace zel::qmix::midi
