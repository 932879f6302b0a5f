#include "midi/AbstractInDevice.h"

#include "midi/IMidiInHandler.h"

#include <mutex>

#include <chrono>

namespace zel::qmix::midi {

AbstractInDevice::AbstractInDevice(const InDeviceInfo& info, QObject* parent)
    : QObject(parent)
    , info_(info) {}

void AbstractInDevice::setHandler(IMidiInHandler* handler) {
    std::lock_guard<std::recursive_mutex> locker(handlerMutex_);
    handler_ = handler;
}

QByteArray AbstractInDevice::takeReceived() {
    std::lock_guard<std::recursive_mutex> locker(queueMutex_);
    return queue_.isEmpty() ? QByteArray() : queue_.takeFirst();
}

QByteArray AbstractInDevice::takeReceived(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        QByteArray message = takeReceived();
        if (!message.isEmpty())
            return message;
        std::unique_lock<std::mutex> lock(arrivalMutex_);
        // Checked again under the wake-up lock, so an arrival between the take
        // above and this wait is not slept through.
        {
            std::lock_guard<std::recursive_mutex> queueLocker(queueMutex_);
            if (!queue_.isEmpty())
                continue;
        }
        if (arrival_.wait_until(lock, deadline) == std::cv_status::timeout)
            return takeReceived();
    }
}

void AbstractInDevice::clearReceived() {
    std::lock_guard<std::recursive_mutex> locker(queueMutex_);
    queue_.clear();
}

void AbstractInDevice::enqueueReceived(const QByteArray& message) {
    if (message.isEmpty())
        return;
    {
        std::lock_guard<std::recursive_mutex> locker(queueMutex_);
        queue_.append(message);
    }
    // The handler runs without the queue lock: it takes its message through
    // takeReceived() itself, and a handler that makes the far end answer at
    // once would otherwise take the queue lock again under its own.
    notifyReceived();
    std::lock_guard<std::mutex> lock(arrivalMutex_);
    arrival_.notify_all();
}

void AbstractInDevice::notifyReceived() {
    {
        std::lock_guard<std::recursive_mutex> locker(handlerMutex_);
        if (handler_)
            handler_->midiInCallback();
    }
    emit received();
}

} // namespace zel::qmix::midi
