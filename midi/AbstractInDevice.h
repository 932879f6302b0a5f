#pragma once

#include "midi/InDeviceInfo.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <condition_variable>
#include <mutex>

namespace zel::qmix::midi {

class IMidiInHandler;

// An input port, whatever carries it: queues every complete incoming SysEx
// message for the communication thread to take.
class AbstractInDevice : public QObject {
    Q_OBJECT
public:
    explicit AbstractInDevice(const InDeviceInfo& info, QObject* parent = nullptr);

    virtual bool open() = 0;
    virtual void close() = 0;
    // Could this port be the keyboard's?
    virtual bool isCandidate() const = 0;

    const InDeviceInfo& info() const { return info_; }
    void setHandler(IMidiInHandler* handler);

    // The oldest queued message, or an empty array when there is none.
    QByteArray takeReceived();
    // The same, but waits up to `timeoutMs` for a message to arrive.
    QByteArray takeReceived(int timeoutMs);
    void clearReceived();

signals:
    void received();

protected:
    // Called by the concrete port for each complete message; ignores empty ones.
    void enqueueReceived(const QByteArray& message);

private:
    void notifyReceived();

    QList<QByteArray> queue_;
    InDeviceInfo info_;
    // Standard rather than Qt mutexes throughout this layer: the thread
    // sanitizer sees through them, and the MIDI threads cross them all.
    std::recursive_mutex queueMutex_;
    std::recursive_mutex handlerMutex_;
    IMidiInHandler* handler_ = nullptr;
    // Wakes a waiting takeReceived(int); guards nothing but the wake-up itself.
    std::mutex arrivalMutex_;
    std::condition_variable arrival_;
};

} // namespace zel::qmix::midi
