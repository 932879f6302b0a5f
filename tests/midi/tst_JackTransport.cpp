#include "TestEndpoint.h"

#include "midi/AbstractInDevice.h"
#include "midi/AbstractOutDevice.h"
#include "midi/DeviceFactory.h"
#include "midi/DeviceHandler.h"
#include "midi/InDeviceInfoList.h"
#include "midi/OutDeviceInfoList.h"
#include "midi/PortClassifier.h"
#include "midi/RtMidiBackend.h"
#include "midi/VirtualPortPair.h"
#include "tests/support/JackServer.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace zel::qmix::midi;

namespace {

// A keyboard made of virtual ports: answers the search's parameter request
// and keeps everything else. The MIDI thread only hands messages over; a
// worker thread of its own answers, as a device would.
class FakeKeyboard {
public:
    ~FakeKeyboard() { close(); }

    bool open(const QString& client) {
        stopping_ = false;
        worker_ = std::thread([this] { work(); });
        return ports_.open(client, "port", [this](QByteArray message) { handOver(message); });
    }

    void close() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        arrived_.notify_all();
        if (worker_.joinable())
            worker_.join();
        ports_.close();
    }

    VirtualPortPair& ports() { return ports_; }

    // Waits until `count` messages other than requests have come.
    QList<QByteArray> waitForKept(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        kept_.wait_for(lock, std::chrono::seconds(30),
                       [&] { return keptMessages_.size() >= count; });
        return keptMessages_;
    }

    int requestCount() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

private:
    void handOver(const QByteArray& message) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            inbox_.push_back(message);
        }
        arrived_.notify_all();
    }

    void work() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            arrived_.wait(lock, [this] { return stopping_ || !inbox_.empty(); });
            if (stopping_)
                return;
            const QByteArray message = inbox_.front();
            inbox_.pop_front();
            if (message == test::probeRequest()) {
                ++requests_;
                lock.unlock();
                ports_.send(test::ipsReply(0, 24));
                lock.lock();
            } else {
                keptMessages_.append(message);
                kept_.notify_all();
            }
        }
    }

    VirtualPortPair ports_;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable kept_;
    std::deque<QByteArray> inbox_;
    QList<QByteArray> keptMessages_;
    int requests_ = 0;
    bool stopping_ = false;
};

// A JACK client of its own that plays prepared events into a port, one event
// per period, as a device whose driver splits a long SysEx message would.
class EventPlayer {
public:
    ~EventPlayer() {
        if (client_)
            jack_client_close(client_);
    }

    bool play(const QList<QByteArray>& events, const QString& target) {
        events_ = events;
        client_ = jack_client_open("Event Player", JackNoStartServer, nullptr);
        if (!client_)
            return false;
        port_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        if (!port_ || jack_set_process_callback(client_, &EventPlayer::process, this) != 0 ||
            jack_activate(client_) != 0)
            return false;
        return jack_connect(client_, jack_port_name(port_), target.toUtf8().constData()) == 0;
    }

    // Starts once the connection is surely in use.
    void start() { started_ = true; }
    bool done() const { return next_.load() >= events_.size(); }

private:
    static int process(jack_nframes_t frames, void* self) {
        auto* player = static_cast<EventPlayer*>(self);
        void* buffer = jack_port_get_buffer(player->port_, frames);
        jack_midi_clear_buffer(buffer);
        const int next = player->next_.load();
        if (player->started_.load() && next < player->events_.size()) {
            const QByteArray& event = player->events_.at(next);
            jack_midi_event_write(buffer, 0,
                                  reinterpret_cast<const jack_midi_data_t*>(event.constData()),
                                  std::size_t(event.size()));
            player->next_.store(next + 1);
        }
        return 0;
    }

    QList<QByteArray> events_;
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::atomic<bool> started_{false};
    std::atomic<int> next_{0};
};

// Our own ports of one direction, by full name.
QStringList ownPorts(unsigned long flags) {
    QStringList names;
    jack_client_t* client = jack_client_open("Port Lister", JackNoStartServer, nullptr);
    if (!client)
        return names;
    if (const char** ports =
            jack_get_ports(client, "^ToneHarbour", JACK_DEFAULT_MIDI_TYPE, flags)) {
        for (const char** port = ports; *port; ++port)
            names.append(QString::fromUtf8(*port));
        jack_free(ports);
    }
    jack_client_close(client);
    return names;
}

QByteArray bulkSized(int seed) {
    QByteArray message(250, 0);
    message[0] = char(0xF0);
    for (int i = 1; i < 249; ++i)
        message[i] = char((i * 7 + seed) % 128);
    message[249] = char(0xF7);
    return message;
}

} // namespace

class tst_JackTransport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void fakeKeyboardIsFound();
    void bulkSizedMessagesPassBothWays();
    void ownPortsAreNoCandidates();
    void splitMessageArrivesWhole();
    void longMessageGoesOutWhole();
    void secondPairSharesTheClient();
    void disconnectReleasesThePorts();

private:
    zel::qmix::testsupport::JackServer server_{QStringLiteral("th-midi-test")};
    FakeKeyboard keyboard_;
    DeviceHandler handler_;
};

void tst_JackTransport::initTestCase() {
    if (!zel::qmix::testsupport::JackServer::isInstalled())
        QSKIP("jackd is not installed");
    QString error;
    QVERIFY2(server_.start(&error), qPrintable(error));
}

void tst_JackTransport::cleanupTestCase() {
    handler_.disconnectDevice();
    keyboard_.close();
    server_.stop();
}

void tst_JackTransport::fakeKeyboardIsFound() {
    QVERIFY(keyboard_.open("Fake Keyboard"));
    const MidiApi expected =
        RtMidiBackend::isRunning(MidiApi::AlsaSequencer) ? MidiApi::AlsaSequencer : MidiApi::Jack;
    QCOMPARE(keyboard_.ports().api(), expected);
    QVERIFY(handler_.connectDevice());
    QCOMPARE(handler_.connectedIn().api(), expected);
    QCOMPARE(handler_.connectedOut().api(), expected);
    QCOMPARE(PortClassifier::clientOf(handler_.connectedIn()), QString("Fake Keyboard"));
    QCOMPARE(PortClassifier::clientOf(handler_.connectedOut()), QString("Fake Keyboard"));
    QCOMPARE(keyboard_.requestCount(), 1);
}

void tst_JackTransport::bulkSizedMessagesPassBothWays() {
    QVERIFY(handler_.isConnected());
    QList<QByteArray> messages;
    for (int i = 0; i < 8; ++i)
        messages.append(bulkSized(i));
    for (const QByteArray& message : messages)
        handler_.send(message);
    QCOMPARE(keyboard_.waitForKept(int(messages.size())), messages);

    for (const QByteArray& message : messages)
        keyboard_.ports().send(message);
    for (const QByteArray& message : messages)
        QCOMPARE(handler_.takeReceived(30000), message);
    QVERIFY(handler_.takeReceived().isEmpty());
}

void tst_JackTransport::ownPortsAreNoCandidates() {
    QVERIFY(handler_.isConnected()); // so our own ports exist
    InDeviceInfoList inputs;
    OutDeviceInfoList outputs;
    inputs.refresh();
    outputs.refresh();
    int own = 0;
    int keyboard = 0;
    for (const InDeviceInfo& info : inputs.infos()) {
        const bool candidate = DeviceFactory::createIn(info)->isCandidate();
        if (PortClassifier::isOwnPort(info)) {
            ++own;
            QVERIFY2(!candidate, qPrintable(info.name()));
        } else if (PortClassifier::clientOf(info) == "Fake Keyboard") {
            ++keyboard;
            QVERIFY2(candidate, qPrintable(info.name()));
        }
    }
    for (const OutDeviceInfo& info : outputs.infos()) {
        const bool candidate = DeviceFactory::createOut(info)->isCandidate();
        if (PortClassifier::isOwnPort(info)) {
            ++own;
            QVERIFY2(!candidate, qPrintable(info.name()));
        } else if (PortClassifier::clientOf(info) == "Fake Keyboard") {
            ++keyboard;
            QVERIFY2(candidate, qPrintable(info.name()));
        }
    }
    // One port each way: our input and output, the keyboard's pair.
    QCOMPARE(own, 2);
    QCOMPARE(keyboard, 2);
}

void tst_JackTransport::splitMessageArrivesWhole() {
    QVERIFY(handler_.isConnected());
    const QStringList ourInputs = ownPorts(JackPortIsInput);
    QCOMPARE(ourInputs.size(), 1);
    const QByteArray message = bulkSized(3);
    // Pieces in separate periods, a clock tick between them, then a message
    // that starts where the first ended.
    const QList<QByteArray> events{message.left(100), QByteArray(1, char(0xF8)),
                                   message.mid(100, 100), message.mid(200), message};
    EventPlayer player;
    QVERIFY(player.play(events, ourInputs.first()));
    QVERIFY(RtMidiBackend::awaitConnection(MidiApi::Jack, "Event Player:out",
                                           ourInputs.first().section(':', 1)));
    player.start();
    QCOMPARE(handler_.takeReceived(30000), message);
    QCOMPARE(handler_.takeReceived(30000), message);
    QVERIFY(player.done());
    QVERIFY(handler_.takeReceived(100).isEmpty());
}

void tst_JackTransport::longMessageGoesOutWhole() {
    QVERIFY(handler_.isConnected());
    // Larger than a period's MIDI buffer: it leaves in pieces.
    QByteArray message(100000, 0);
    message[0] = char(0xF0);
    for (int i = 1; i < message.size() - 1; ++i)
        message[i] = char(i % 127);
    message[message.size() - 1] = char(0xF7);
    const int before = int(keyboard_.waitForKept(0).size());
    handler_.send(message);
    handler_.send(bulkSized(5));
    const QList<QByteArray> kept = keyboard_.waitForKept(before + 2);
    QCOMPARE(kept.size(), before + 2);
    QCOMPARE(kept.at(before).size(), message.size());
    QCOMPARE(kept.at(before), message);
    QCOMPARE(kept.at(before + 1), bulkSized(5));
}

void tst_JackTransport::secondPairSharesTheClient() {
    QVERIFY(handler_.isConnected());
    DeviceHandler second;
    QVERIFY(second.openPair(handler_.connectedIn(), handler_.connectedOut()));
    const QStringList inputs = ownPorts(JackPortIsInput);
    const QStringList outputs = ownPorts(JackPortIsOutput);
    QCOMPARE(inputs.size(), 2);
    QCOMPARE(outputs.size(), 2);
    // One client of this process holds them all, under distinct names.
    const QString client = inputs.first().section(':', 0, 0);
    for (const QString& port : inputs + outputs)
        QCOMPARE(port.section(':', 0, 0), client);
    QCOMPARE(inputs.first().section(':', 1), RtMidiBackend::inPortName());
    QVERIFY(inputs.at(0) != inputs.at(1));
    QVERIFY(outputs.at(0) != outputs.at(1));

    // Both pairs carry data: the keyboard's answer reaches both inputs.
    const int requests = keyboard_.requestCount();
    second.send(test::probeRequest());
    QCOMPARE(second.takeReceived(30000), test::ipsReply(0, 24));
    QCOMPARE(handler_.takeReceived(30000), test::ipsReply(0, 24));
    QCOMPARE(keyboard_.requestCount(), requests + 1);

    second.disconnectDevice();
    QCOMPARE(ownPorts(JackPortIsInput).size(), 1);
    QCOMPARE(ownPorts(JackPortIsOutput).size(), 1);
}

void tst_JackTransport::disconnectReleasesThePorts() {
    handler_.disconnectDevice();
    QVERIFY(!handler_.isConnected());
    InDeviceInfoList inputs;
    OutDeviceInfoList outputs;
    inputs.refresh();
    outputs.refresh();
    for (const InDeviceInfo& info : inputs.infos())
        QVERIFY2(!PortClassifier::isOwnPort(info), qPrintable(info.name()));
    for (const OutDeviceInfo& info : outputs.infos())
        QVERIFY2(!PortClassifier::isOwnPort(info), qPrintable(info.name()));
    // And the keyboard is found again.
    QVERIFY(handler_.connectDevice());
    handler_.disconnectDevice();
}

QTEST_GUILESS_MAIN(tst_JackTransport)
#include "tst_JackTransport.moc"
