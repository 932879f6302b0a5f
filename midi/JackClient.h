#pragma once

#include "midi/JackPort.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <jack/jack.h>
#include <semaphore.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zel::qmix::midi {

// This process's one client of the JACK server, made when first needed and
// kept until the process exits: every open JACK port of the program is a port
// of it, registered when a device opens and unregistered when it closes.
// Opening and closing a client is slow, each client is woken every period
// even when idle, and closing one was seen to crash inside libjack now and
// then; a port costs none of that.
//
// One process callback serves every port (see JackPort). Ports are registered,
// connected and unregistered on the caller's thread, never in the callback.
// The callback reads the ports through an immutable list published by an
// atomic pointer; a closing port is first taken out of the list, and is
// unregistered and freed only once no callback can still be using it.
class JackClient {
public:
    // The client on the server that JACK_DEFAULT_SERVER names now; null when
    // no server runs there. A client whose server went away, or that serves
    // another server than the one now named, is replaced by a new one: the
    // old one lives on untouched with the ports still open on it.
    static std::shared_ptr<JackClient> instance();

    // Only a client that never started is ever destroyed.
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    // The name JACK gave the client ("ToneHarbour", or "ToneHarbour-01" when
    // another program of ours runs).
    QString name() const;
    bool isAlive() const { return alive_.load(); }

    // Full names of the server's MIDI ports with these JackPortFlags.
    QStringList portNames(unsigned long flags) const;

    // A new input connected from `source`, whose messages go to `receiver`;
    // null when the port cannot be made or connected.
    std::shared_ptr<JackPort> openInput(const QString& source, JackPort::Receiver receiver);
    // A new output connected to `target` (and the connection in use); null
    // when the port cannot be made or connected.
    std::shared_ptr<JackPort> openOutput(const QString& target);
    // Sends what the port still holds, then unregisters it. Once it returns,
    // neither the process callback nor the delivery thread touch the port.
    void close(const std::shared_ptr<JackPort>& port);

    // Waits until JACK runs the connection between `target` and our port
    // `ownPort` (full names): JACK applies a new connection from a later
    // period on, and a message sent before that would be lost.
    bool awaitConnection(const QString& target, const QString& ownPort) const;

private:
    explicit JackClient(jack_client_t* client);
    static std::shared_ptr<JackClient> open();
    static void closeAllAtExit();

    static int onProcess(jack_nframes_t frames, void* self);
    static void onShutdown(jack_status_t code, const char* reason, void* self);
    static void onLatency(jack_latency_callback_mode_t mode, void* self);
    static int onGraphOrder(void* self);
    static void onPortRegistration(jack_port_id_t port, int registered, void* self);
    static void onConnection(jack_port_id_t a, jack_port_id_t b, int connected, void* self);

    bool start();
    void stop();
    std::shared_ptr<JackPort> registerPort(const QString& base, JackPort::Direction direction);
    bool publish();
    bool waitForCallbackOutside() const;
    void markGraphChange();
    void settle();
    void unregister(const std::shared_ptr<JackPort>& port);
    void deliverLoop();

    jack_client_t* const client_;
    // Open and close, one at a time.
    std::mutex operationMutex_;
    // The open ports; short holds only (the delivery thread takes it too).
    mutable std::mutex portsMutex_;
    std::vector<std::shared_ptr<JackPort>> ports_;
    // What the process callback sees: a snapshot of ports_, replaced whole.
    std::atomic<const std::vector<JackPort*>*> active_{nullptr};
    // Odd while the process callback runs, even between its runs.
    std::atomic<std::uint64_t> cycles_{0};
    std::atomic<bool> alive_{true};
    // Counted on libjack's notification thread (see settle()).
    std::atomic<std::uint64_t> reorders_{0};
    std::atomic<std::uint64_t> notices_{0};
    std::uint64_t reordersAtChange_ = 0; // guarded by operationMutex_
    // Posted by the process callback when inputs took bytes.
    sem_t arrivals_;
    std::atomic<bool> stopping_{false};
    std::thread delivery_;
};

} // namespace zel::qmix::midi
