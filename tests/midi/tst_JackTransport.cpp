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

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

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
