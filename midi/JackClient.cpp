#include "midi/JackClient.h"

#include "midi/RtMidiBackend.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>

namespace zel::qmix::midi {

namespace {

// A busy JACK server turns clients away now and then, in short bursts while
// other clients come and go; such a refusal is tried again for a while.
constexpr int CONNECT_ATTEMPTS = 25;
constexpr std::chrono::milliseconds RETRY_DELAY(10);
// How long a new or removed connection may take to reach the running graph;
// far more than the period or two it takes on a busy machine.
constexpr std::chrono::milliseconds CONNECTION_TIMEOUT(2000);
constexpr std::chrono::milliseconds CONNECTION_POLL(1);
// How long queued output may take to go out before its port closes.
constexpr std::chrono::milliseconds DRAIN_TIMEOUT(1000);
// The process callback never blocks, so it leaves within microseconds; this
// only bounds a wait that something outside this program has broken.
constexpr std::chrono::milliseconds CALLBACK_EXIT_TIMEOUT(1000);
constexpr std::chrono::microseconds CALLBACK_EXIT_POLL(20);
// See settle(): how long the server may take to tell of a graph change, and
// how long its notifications must have stopped.
constexpr std::chrono::milliseconds REORDER_TIMEOUT(100);
constexpr std::chrono::milliseconds NOTICE_QUIET(3);
constexpr std::chrono::milliseconds QUIET_TIMEOUT(100);
// "in", "in-2", ... when another device of this process holds "in".
constexpr int PORT_NAME_ATTEMPTS = 64;

void ignoreJackMessage(const char*) {}

// Every client this process made, never destroyed: the process callback of a
// client and its ports stay valid memory whatever happens to the rest.
struct Registry {
    std::mutex mutex;
    std::shared_ptr<JackClient> current;
    QByteArray server;
    std::vector<std::shared_ptr<JackClient>> all;
    bool exitHookSet = false;
};

Registry& registry() {
    static Registry* const instance = new Registry;
    return *instance;
}

template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout,
               std::chrono::microseconds poll) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(poll);
    }
    return true;
}

} // namespace

JackClient::JackClient(jack_client_t* client)
    : client_(client) {
    sem_init(&arrivals_, 0, 0);
}

JackClient::~JackClient() {
    stop();
    sem_destroy(&arrivals_);
}

std::shared_ptr<JackClient> JackClient::instance() {
    Registry& known = registry();
    std::lock_guard<std::mutex> lock(known.mutex);
    const QByteArray server = qgetenv("JACK_DEFAULT_SERVER");
    if (known.current && known.current->isAlive() && known.server == server)
        return known.current;
    known.current.reset();
    std::shared_ptr<JackClient> fresh = open();
    if (!fresh)
        return nullptr;
    known.current = fresh;
    known.server = server;
    known.all.push_back(fresh);
    if (!known.exitHookSet) {
        // Registered after libjack and Qt set themselves up, so it runs
        // before they are torn down.
        std::atexit(&JackClient::closeAllAtExit);
        known.exitHookSet = true;
    }
    return fresh;
}

std::shared_ptr<JackClient> JackClient::open() {
    static std::once_flag silenced;
    // JACK prints its complaints about a missing server itself; this program
    // reports such a server as having no ports instead.
    std::call_once(silenced, [] {
        jack_set_error_function(&ignoreJackMessage);
        jack_set_info_function(&ignoreJackMessage);
    });
    const QByteArray name = RtMidiBackend::clientName().toUtf8();
    for (int attempt = 1;; ++attempt) {
        jack_status_t status = jack_status_t(0);
        if (jack_client_t* handle =
                jack_client_open(name.constData(), JackNoStartServer, &status)) {
            std::shared_ptr<JackClient> client(new JackClient(handle));
            if (client->start())
                return client;
            jack_client_close(handle);
            return nullptr;
        }
        // No server at all is a final answer.
        if (!(status & JackServerError) || attempt == CONNECT_ATTEMPTS)
            return nullptr;
        std::this_thread::sleep_for(RETRY_DELAY);
    }
}

bool JackClient::start() {
    if (jack_set_process_callback(client_, &JackClient::onProcess, this) != 0)
        return false;
    jack_on_info_shutdown(client_, &JackClient::onShutdown, this);
    if (jack_set_latency_callback(client_, &JackClient::onLatency, this) != 0 ||
        jack_set_graph_order_callback(client_, &JackClient::onGraphOrder, this) != 0 ||
        jack_set_port_registration_callback(client_, &JackClient::onPortRegistration, this) != 0 ||
        jack_set_port_connect_callback(client_, &JackClient::onConnection, this) != 0)
        return false;
    delivery_ = std::thread([this] { deliverLoop(); });
    if (jack_activate(client_) == 0)
        return true;
    stop();
    return false;
}

void JackClient::stop() {
    stopping_ = true;
    sem_post(&arrivals_);
    if (delivery_.joinable())
        delivery_.join();
}

// At exit, in this order: no more deliveries into the program, then the
// client leaves the server (which unregisters what ports are still open)
// cleanly instead of vanishing mid-period, which a synchronous server would
// have to wait out. Nothing the process callback reads is ever freed, so a
// last period running meanwhile is harmless.
void JackClient::closeAllAtExit() {
    Registry& known = registry();
    std::lock_guard<std::mutex> lock(known.mutex);
    for (const std::shared_ptr<JackClient>& client : known.all) {
        client->stop();
        if (client->isAlive())
            jack_client_close(client->client_);
    }
    known.current.reset();
}

QString JackClient::name() const {
    return QString::fromUtf8(jack_get_client_name(client_));
}

QStringList JackClient::portNames(unsigned long flags) const {
    QStringList names;
    const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    if (!ports)
        return names;
    for (const char** port = ports; *port; ++port)
        names.append(QString::fromUtf8(*port));
    jack_free(ports);
    return names;
}

std::shared_ptr<JackPort> JackClient::openInput(const QString& source,
                                                JackPort::Receiver receiver) {
    std::lock_guard<std::mutex> lock(operationMutex_);
    std::shared_ptr<JackPort> port =
        registerPort(RtMidiBackend::inPortName(), JackPort::Direction::In);
    if (!port)
        return nullptr;
    port->setReceiver(std::move(receiver));
    // In the callback's list before the connection, so nothing that arrives
    // through it is missed.
    if (!publish()) {
        unregister(port);
        return nullptr;
    }
    markGraphChange();
    if (jack_connect(client_, source.toUtf8().constData(), port->fullName().toUtf8().constData()) !=
        0) {
        unregister(port);
        return nullptr;
    }
    return port;
}

std::shared_ptr<JackPort> JackClient::openOutput(const QString& target) {
    std::lock_guard<std::mutex> lock(operationMutex_);
    std::shared_ptr<JackPort> port =
        registerPort(RtMidiBackend::outPortName(), JackPort::Direction::Out);
    if (!port)
        return nullptr;
    const QString own = port->fullName();
    if (!publish()) {
        unregister(port);
        return nullptr;
    }
    markGraphChange();
    if (jack_connect(client_, own.toUtf8().constData(), target.toUtf8().constData()) != 0 ||
        !awaitConnection(target, own)) {
        unregister(port);
        return nullptr;
    }
    return port;
}

void JackClient::close(const std::shared_ptr<JackPort>& port) {
    if (!port)
        return;
    std::lock_guard<std::mutex> lock(operationMutex_);
    if (port->direction() == JackPort::Direction::Out && isAlive()) {
        // What was sent before the close still goes out. The port stays in
        // the callback's list until nothing reads it any more, so its buffer
        // is cleared every period and no old event is played twice.
        waitUntil([&] { return port->isDrained() || !isAlive(); }, DRAIN_TIMEOUT,
                  CALLBACK_EXIT_POLL);
        markGraphChange();
        jack_port_disconnect(client_, port->handle());
        waitUntil([&] { return jack_port_connected(port->handle()) == 0 || !isAlive(); },
                  CONNECTION_TIMEOUT, CONNECTION_POLL);
    }
    unregister(port);
}

bool JackClient::awaitConnection(const QString& target, const QString& ownPort) const {
    const QByteArray targetName = target.toUtf8();
    const QByteArray ownName = ownPort.toUtf8();
    const auto live = [&] {
        jack_port_t* port = jack_port_by_name(client_, targetName.constData());
        if (!port)
            return false;
        const char** connections = jack_port_get_all_connections(client_, port);
        if (!connections)
            return false;
        bool found = false;
        for (const char** name = connections; *name && !found; ++name)
            found = ownName == *name;
        jack_free(connections);
        return found;
    };
    return waitUntil([&] { return !isAlive() || live(); }, CONNECTION_TIMEOUT, CONNECTION_POLL) &&
           isAlive();
}

std::shared_ptr<JackPort> JackClient::registerPort(const QString& base,
                                                   JackPort::Direction direction) {
    if (!isAlive())
        return nullptr;
    const unsigned long flags =
        direction == JackPort::Direction::In ? JackPortIsInput : JackPortIsOutput;
    for (int attempt = 1; attempt <= PORT_NAME_ATTEMPTS; ++attempt) {
        settle();
        markGraphChange();
        const QString shortName =
            attempt == 1 ? base : QStringLiteral("%1-%2").arg(base).arg(attempt);
        if (jack_port_t* handle = jack_port_register(client_, shortName.toUtf8().constData(),
                                                     JACK_DEFAULT_MIDI_TYPE, flags, 0)) {
            auto port = std::make_shared<JackPort>(handle, direction);
            std::lock_guard<std::mutex> lock(portsMutex_);
            ports_.push_back(port);
            return port;
        }
        // Only a name in use is worth another try.
        const QString full = name() + QLatin1Char(':') + shortName;
        if (!jack_port_by_name(client_, full.toUtf8().constData()))
            return nullptr;
    }
    return nullptr;
}

// The callback takes the list once per period, between two steps of
// cycles_. After the list is replaced, a callback that starts later sees the
// new one (both atomics are sequentially consistent); one that is running may
// still hold the old list, so the old list, and any port left out of the new
// one, stay untouched until that run ends. The wait is for one run of our own
// short callback, not for a period.
bool JackClient::publish() {
    auto* fresh = new std::vector<JackPort*>;
    {
        std::lock_guard<std::mutex> lock(portsMutex_);
        for (const std::shared_ptr<JackPort>& port : ports_)
            fresh->push_back(port.get());
    }
    const std::vector<JackPort*>* old = active_.exchange(fresh);
    if (!waitForCallbackOutside())
        return false; // the old list is left for good rather than freed under the callback
    delete old;
    return true;
}

bool JackClient::waitForCallbackOutside() const {
    const std::uint64_t seen = cycles_.load();
    if (seen % 2 == 0)
        return true;
    return waitUntil([&] { return cycles_.load() != seen; }, CALLBACK_EXIT_TIMEOUT,
                     CALLBACK_EXIT_POLL);
}

void JackClient::unregister(const std::shared_ptr<JackPort>& port) {
    port->detach();
    {
        std::lock_guard<std::mutex> lock(portsMutex_);
        ports_.erase(std::remove(ports_.begin(), ports_.end(), port), ports_.end());
    }
    if (!publish()) {
        // Never expected: the callback may still hold the port, so it is
        // kept, registered, for the rest of the process.
        std::lock_guard<std::mutex> lock(portsMutex_);
        static std::vector<std::shared_ptr<JackPort>>* const kept =
            new std::vector<std::shared_ptr<JackPort>>;
        kept->push_back(port);
        return;
    }
    if (isAlive()) {
        settle();
        markGraphChange();
        jack_port_unregister(client_, port->handle());
    }
}

int JackClient::onProcess(jack_nframes_t frames, void* self) {
    auto* client = static_cast<JackClient*>(self);
    client->cycles_.fetch_add(1);
    bool arrived = false;
    if (const std::vector<JackPort*>* ports = client->active_.load()) {
        for (JackPort* port : *ports)
            arrived = port->process(frames) || arrived;
    }
    client->cycles_.fetch_add(1);
    if (arrived)
        sem_post(&client->arrivals_); // wakes the delivery thread; never blocks
    return 0;
}

// libjack keeps the client's own ports in a plain list, changed by
// jack_port_register() and jack_port_unregister() on the caller's thread, and
// walked by libjack's notification thread each time the server recomputes
// latencies: a period or two after every change of the graph, ours included,
// and for every client. The two meeting crashed the program now and then
// (about once in 1,800 reopens). So the list is changed only once the server
// has told of our last change (the graph-order notice closes its latency
// notices) and its notices have stopped for a couple of periods. A graph
// change by another program at that very moment is not covered; it is far
// rarer than our own, which came with every open and close.
void JackClient::markGraphChange() {
    reordersAtChange_ = reorders_.load();
}

void JackClient::settle() {
    waitUntil([&] { return reorders_.load() > reordersAtChange_ || !isAlive(); }, REORDER_TIMEOUT,
              CALLBACK_EXIT_POLL);
    std::uint64_t seen = notices_.load();
    auto quietSince = std::chrono::steady_clock::now();
    waitUntil(
        [&] {
            const std::uint64_t now = notices_.load();
            if (now != seen) {
                seen = now;
                quietSince = std::chrono::steady_clock::now();
            }
            return std::chrono::steady_clock::now() - quietSince >= NOTICE_QUIET || !isAlive();
        },
        QUIET_TIMEOUT, CALLBACK_EXIT_POLL);
}

void JackClient::onLatency(jack_latency_callback_mode_t, void* self) {
    // Port latencies mean nothing to SysEx; setting this callback only spares
    // libjack its default walk over our ports.
    ++static_cast<JackClient*>(self)->notices_;
}

int JackClient::onGraphOrder(void* self) {
    auto* client = static_cast<JackClient*>(self);
    ++client->notices_;
    ++client->reorders_;
    return 0;
}

void JackClient::onPortRegistration(jack_port_id_t, int, void* self) {
    ++static_cast<JackClient*>(self)->notices_;
}

void JackClient::onConnection(jack_port_id_t, jack_port_id_t, int, void* self) {
    ++static_cast<JackClient*>(self)->notices_;
}

void JackClient::onShutdown(jack_status_t, const char*, void* self) {
    static_cast<JackClient*>(self)->alive_ = false;
}

void JackClient::deliverLoop() {
    for (;;) {
        while (sem_wait(&arrivals_) != 0 && errno == EINTR) {
        }
        if (stopping_.load())
            return;
        std::vector<std::shared_ptr<JackPort>> inputs;
        {
            std::lock_guard<std::mutex> lock(portsMutex_);
            for (const std::shared_ptr<JackPort>& port : ports_) {
                if (port->direction() == JackPort::Direction::In)
                    inputs.push_back(port);
            }
        }
        for (const std::shared_ptr<JackPort>& port : inputs)
            port->deliverPending();
    }
}

} // namespace zel::qmix::midi
