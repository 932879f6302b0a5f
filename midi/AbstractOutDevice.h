#pragma once

#include "midi/OutDeviceInfo.h"

#include <QByteArray>
#include <QObject>

namespace zel::qmix::midi {

// An output port, whatever carries it: sends complete SysEx messages.
class AbstractOutDevice : public QObject {
    Q_OBJECT
public:
    explicit AbstractOutDevice(const OutDeviceInfo& info, QObject* parent = nullptr);

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isCandidate() const = 0;

    const OutDeviceInfo& info() const { return info_; }

public slots:
    // Sends one whole message; does nothing on a closed port.
    virtual void send(const QByteArray& message) = 0;

private:
    OutDeviceInfo info_;
};

} // namespace zel::qmix::midi
