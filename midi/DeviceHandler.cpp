#include "midi/DeviceHandler.h"

#include "midi/AbstractInDevice.h"
#include "midi/AbstractOutDevice.h"
#include "midi/DeviceFactory.h"
#include "midi/PortClassifier.h"

#include <mutex>

namespace zel::qmix::midi {

namespace {

template <typename Info>
const Info* firstMatching(const QList<Info>& infos, const QString& pattern) {
    for (const Info& info : infos) {
        // Our own ports would only connect the program to itself.
        if (!PortClassifier::isOwnPort(info) && info.name().contains(pattern, Qt::CaseInsensitive))
            return &info;
    }
    return nullptr;
}

} // namespace

DeviceHandler::DeviceHandler(QObject* parent)
    : QObject(parent) {}

DeviceHandler::~DeviceHandler() {
    disconnectDevice();
}

bool DeviceHandler::connectDevice() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    disconnectDevice();
    inList_.refresh();
    outList_.refresh();
    InDeviceInfo inFound;
    OutDeviceInfo outFound;
    if (!searcher_.search(inList_, outList_, inFound, outFound))
        return false;
    return openPair(inFound, outFound);
}

bool DeviceHandler::openPair(const InDeviceInfo& in, const OutDeviceInfo& out) {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    disconnectDevice();
    in_ = DeviceFactory::createIn(in, this).release();
    out_ = DeviceFactory::createOut(out, this).release();
    if (in_->open() && out_->open()) {
        // Re-emitted on the MIDI thread: a listener still gets the signal
        // through its own event loop, and with no listener nothing is posted
        // (a full backup would otherwise pile thousands of events onto the
        // owner's thread while it is busy waiting).
        connect(in_, &AbstractInDevice::received, this, &DeviceHandler::received,
                Qt::DirectConnection);
        return true;
    }
    disconnectDevice();
    return false;
}

bool DeviceHandler::openMatching(const QString& inPattern, const QString& outPattern) {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    disconnectDevice();
    inList_.refresh();
    outList_.refresh();
    const InDeviceInfo* in = firstMatching(inList_.infos(), inPattern);
    const OutDeviceInfo* out = firstMatching(outList_.infos(), outPattern);
    if (!in || !out)
        return false;
    return openPair(*in, *out);
}

void DeviceHandler::disconnectDevice() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    if (in_) {
        in_->close();
        disconnect(in_, &AbstractInDevice::received, this, &DeviceHandler::received);
        delete in_;
        in_ = nullptr;
    }
    if (out_) {
        out_->close();
        delete out_;
        out_ = nullptr;
    }
}

bool DeviceHandler::isConnected() const {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    return in_ && out_;
}

void DeviceHandler::send(const QByteArray& message) {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    if (out_)
        out_->send(message);
}

QByteArray DeviceHandler::takeReceived() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    return in_ ? in_->takeReceived() : QByteArray();
}

QByteArray DeviceHandler::takeReceived(int timeoutMs) {
    // The lock is held through the wait: a reconnect must not delete the port
    // under it, and waits for it to end as for any other port operation.
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    return in_ ? in_->takeReceived(timeoutMs) : QByteArray();
}

void DeviceHandler::clearReceived() {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    if (in_)
        in_->clearReceived();
}

InDeviceInfoList DeviceHandler::inList() const {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    return inList_;
}

OutDeviceInfoList DeviceHandler::outList() const {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    return outList_;
}

InDeviceInfo DeviceHandler::connectedIn() const {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    return in_ ? in_->info() : InDeviceInfo();
}

OutDeviceInfo DeviceHandler::connectedOut() const {
    std::lock_guard<std::recursive_mutex> locker(mutex_);
    return out_ ? out_->info() : OutDeviceInfo();
}

} // namespace zel::qmix::midi
