#pragma once

#include "midi/DeviceSearcher.h"
#include "midi/InDeviceInfoList.h"
#include "midi/OutDeviceInfoList.h"

#include <QByteArray>
#include <QObject>
#include <mutex>

namespace zel::qmix::midi {

class AbstractInDevice;
class AbstractOutDevice;

// Owns the port lists and the one open port pair, and gives the commands a
// thread-safe way to talk through it. Every operation holds the handler's
// lock for its whole duration, the search (up to 500 ms per candidate pair)
// and a waiting takeReceived(int) included.
class DeviceHandler : public QObject {
    Q_OBJECT
public:
    explicit DeviceHandler(QObject* parent = nullptr);
    ~DeviceHandler() override;

    // Searches every candidate pair for a keyboard and opens the first that answers.
    bool connectDevice();
    bool openPair(const InDeviceInfo& in, const OutDeviceInfo& out);
    // Opens the first input and output ports whose names contain the patterns,
    // without probing.
    bool openMatching(const QString& inPattern, const QString& outPattern);
    void disconnectDevice();
    bool isConnected() const;

    void send(const QByteArray& message);
    // The oldest received message, or an empty array.
    QByteArray takeReceived();
    // The same, waiting up to `timeoutMs` for one to arrive.
    QByteArray takeReceived(int timeoutMs);
    void clearReceived();

    // The ports found by the last connectDevice() or openMatching().
    InDeviceInfoList inList() const;
    OutDeviceInfoList outList() const;
    // The open pair's descriptions; default-constructed while disconnected.
    InDeviceInfo connectedIn() const;
    OutDeviceInfo connectedOut() const;

signals:
    // A message arrived on the open input. Emitted on the MIDI thread, so a
    // listener on another thread gets it through its event loop; a listener
    // that connects directly runs on the MIDI thread and must not call back
    // into the handler from there.
    void received();

private:
    InDeviceInfoList inList_;
    OutDeviceInfoList outList_;
    AbstractInDevice* in_ = nullptr;
    AbstractOutDevice* out_ = nullptr;
    DeviceSearcher searcher_;
    mutable std::recursive_mutex mutex_;
};

} // namespace zel::qmix::midi
