#pragma once

#include "midi/AbstractOutDevice.h"

#include <mutex>

#include <memory>

namespace zel::qmix::midi {

class WireLink;

// The program's output port of an in-process pair: hands every message to the
// endpoint's receiveFromProgram() on the sending thread.
class WireOutDevice : public AbstractOutDevice {
    Q_OBJECT
public:
    explicit WireOutDevice(const OutDeviceInfo& info, QObject* parent = nullptr);

    // Fails when no endpoint of that name is attached.
    bool open() override;
    void close() override;
    bool isCandidate() const override { return true; }

public slots:
    void send(const QByteArray& message) override;

private:
    std::recursive_mutex mutex_;
    std::shared_ptr<WireLink> link_; // null while closed; guarded by mutex_
};

} // namespace zel::qmix::midi
