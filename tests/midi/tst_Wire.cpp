#include "TestEndpoint.h"

#include "midi/InDeviceInfo.h"
#include "midi/OutDeviceInfo.h"
#include "midi/Wire.h"
#include "midi/WireInDevice.h"
#include "midi/WireOutDevice.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace zel::qmix::midi;
using zel::qmix::midi::test::TestEndpoint;

namespace {

InDeviceInfo inInfo(const QString& name, unsigned int index = 0) {
    return InDeviceInfo(MidiApi::Wire, index, name);
}

OutDeviceInfo outInfo(const QString& name, unsigned int index = 0) {
    return OutDeviceInfo(MidiApi::Wire, index, name);
}

QByteArray sysexOf(int size, char fill) {
    QByteArray message(size, fill);
    message[0] = char(0xF0);
    message[size - 1] = char(0xF7);
    return message;
}

qint64 millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

} // namespace

class tst_Wire : public QObject {
    Q_OBJECT
private slots:
    void noPortsWhenNothingIsAttached();
    void portsFollowAttachAndDetach();
    void attachingTwiceListsOnce();
    void openFailsWithoutEndpoint();
    void takeReceivedOnEmptyQueueIsEmpty();
    void messagesComeOutInArrivalOrder();
    void messagesReachTheEndpointIntact_data();
    void messagesReachTheEndpointIntact();
    void endpointMayAnswerFromInsideReceive();
    void droppedWhenPortIsNotOpen_data();
    void droppedWhenPortIsNotOpen();
    void inputOfAPairOpensOnlyOnce();
    void timedTakeWakesOnArrival();
    void timedTakeTimesOutWhenSilent();
    void detachWhileOpenBehavesAsUnplugged();
    void endpointDestroyedWhileOpen();
    void closedPortIsNotReopenedByANewEndpointOfTheSameName();
    void concurrentDeliveryAndReopening();
    void concurrentSendAndDetach();
};

void tst_Wire::noPortsWhenNothingIsAttached() {
    QVERIFY(Wire::portNames().isEmpty());
    QCOMPARE(Wire::endpoint("nothing"), nullptr);
}

void tst_Wire::portsFollowAttachAndDetach() {
    TestEndpoint a("A");
    TestEndpoint b("B");
    QVERIFY(Wire::portNames().isEmpty()); // not attached by construction
    Wire::attach(&a);
    Wire::attach(&b);
    QCOMPARE(Wire::portNames(), QStringList({"A", "B"}));
    QCOMPARE(Wire::endpoint("B"), &b);
    Wire::detach(&a);
    QCOMPARE(Wire::portNames(), QStringList({"B"}));
    QCOMPARE(Wire::endpoint("A"), nullptr);
    Wire::detach(&a); // a second detach is harmless
    Wire::detach(&b);
    QVERIFY(Wire::portNames().isEmpty());
}

void tst_Wire::attachingTwiceListsOnce() {
    TestEndpoint a("A");
    Wire::attach(&a);
    Wire::attach(&a);
    QCOMPARE(Wire::portNames(), QStringList({"A"}));
}

void tst_Wire::openFailsWithoutEndpoint() {
    WireInDevice in(inInfo("absent"));
    WireOutDevice out(outInfo("absent"));
    QVERIFY(!in.open());
    QVERIFY(!out.open());
    out.send(sysexOf(4, 1)); // a failed open leaves the port closed
}

void tst_Wire::takeReceivedOnEmptyQueueIsEmpty() {
    TestEndpoint a("A");
    Wire::attach(&a);
    WireInDevice in(inInfo("A"));
    QVERIFY(in.takeReceived().isEmpty());
    QVERIFY(in.open());
    QVERIFY(in.takeReceived().isEmpty());
    QVERIFY(in.takeReceived(0).isEmpty());
    in.close();
}

void tst_Wire::messagesComeOutInArrivalOrder() {
    TestEndpoint a("A");
    Wire::attach(&a);
    WireInDevice in(inInfo("A"));
    QVERIFY(in.open());
    const QByteArray first = sysexOf(10, 1);
    const QByteArray second = sysexOf(20, 2);
    a.sendToProgram(first);
    a.sendToProgram(second);
    a.sendToProgram(QByteArray()); // an empty message is never queued
    QCOMPARE(in.takeReceived(), first);
    QCOMPARE(in.takeReceived(), second);
    QVERIFY(in.takeReceived().isEmpty());

    a.sendToProgram(first);
    in.clearReceived();
    QVERIFY(in.takeReceived().isEmpty());
    in.close();
}

void tst_Wire::messagesReachTheEndpointIntact_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("shortest") << 2;
    QTest::newRow("parameter message") << 48;
    QTest::newRow("largest bulk message") << 250;
    QTest::newRow("longer than one input buffer") << 1000;
}

void tst_Wire::messagesReachTheEndpointIntact() {
    QFETCH(int, size);
    TestEndpoint a("A", TestEndpoint::echo());
    Wire::attach(&a);
    WireInDevice in(inInfo("A"));
    WireOutDevice out(outInfo("A"));
    QVERIFY(in.open());
    QVERIFY(out.open());
    QByteArray message = sysexOf(size, 0);
    for (int i = 1; i < size - 1; ++i)
        message[i] = char(i % 128);
    out.send(message);
    QCOMPARE(a.received(), QList<QByteArray>({message}));
    QCOMPARE(in.takeReceived(), message);
    out.close();
    in.close();
}

void tst_Wire::endpointMayAnswerFromInsideReceive() {
    TestEndpoint a("A", TestEndpoint::answerIps(0, 24));
    Wire::attach(&a);
    WireInDevice in(inInfo("A"));
    WireOutDevice out(outInfo("A"));
    QVERIFY(in.open());
    QVERIFY(out.open());
    out.send(test::probeRequest());
    // The answer is queued before send() returns.
    QCOMPARE(in.takeReceived(), test::ipsReply(0, 24));
    out.close();
    in.close();
}

void tst_Wire::droppedWhenPortIsNotOpen_data() {
    QTest::addColumn<bool>("openFirst");
    QTest::newRow("never opened") << false;
    QTest::newRow("closed after open") << true;
}

void tst_Wire::droppedWhenPortIsNotOpen() {
    QFETCH(bool, openFirst);
    TestEndpoint a("A");
    Wire::attach(&a);
    WireInDevice in(inInfo("A"));
    WireOutDevice out(outInfo("A"));
    if (openFirst) {
        QVERIFY(in.open());
        QVERIFY(out.open());
        in.close();
        out.close();
    }
    out.send(sysexOf(8, 3));
    QCOMPARE(a.receivedCount(), 0);
    a.sendToProgram(sysexOf(8, 4));
    // Nothing sent while closed shows up after a later open either.
    QVERIFY(in.open());
    QVERIFY(in.takeReceived().isEmpty());
    in.close();
}

void tst_Wire::inputOfAPairOpensOnlyOnce() {
    TestEndpoint a("A");
    Wire::attach(&a);
    WireInDevice first(inInfo("A"));
    WireInDevice second(inInfo("A"));
    QVERIFY(first.open());
    QVERIFY(first.open()); // reopening the same port closes it first
    QVERIFY(!second.open());
    first.close();
    QVERIFY(second.open());
    a.sendToProgram(sysexOf(5, 1));
    QVERIFY(first.takeReceived().isEmpty());
    QCOMPARE(second.takeReceived(), sysexOf(5, 1));
    second.close();
}

void tst_Wire::timedTakeWakesOnArrival() {
    TestEndpoint a("A");
    Wire::attach(&a);
    WireInDevice in(inInfo("A"));
    QVERIFY(in.open());
    const QByteArray message = sysexOf(12, 7);
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sent = true;
        a.sendToProgram(message);
    });
    const auto start = std::chrono::steady_clock::now();
    const QByteArray got = in.takeReceived(60000);
    const qint64 waited = millisecondsSince(start);
    sender.join();
    QVERIFY(sent);
    QCOMPARE(got, message);
    // Woken by the arrival, not by the far-away deadline.
    QVERIFY2(waited < 30000, qPrintable(QString::number(waited)));
    in.close();
}

void tst_Wire::timedTakeTimesOutWhenSilent() {
    TestEndpoint a("A");
    Wire::attach(&a);
    WireInDevice in(inInfo("A"));
    QVERIFY(in.open());
    const auto start = std::chrono::steady_clock::now();
    QVERIFY(in.takeReceived(100).isEmpty());
    const qint64 waited = millisecondsSince(start);
    QVERIFY2(waited >= 90, qPrintable(QString::number(waited)));
    in.close();
}

void tst_Wire::detachWhileOpenBehavesAsUnplugged() {
    TestEndpoint a("A");
    Wire::attach(&a);
    WireInDevice in(inInfo("A"));
    WireOutDevice out(outInfo("A"));
    QVERIFY(in.open());
    QVERIFY(out.open());
    Wire::detach(&a);
    out.send(sysexOf(6, 1));
    QCOMPARE(a.receivedCount(), 0);
    a.sendToProgram(sysexOf(6, 2));
    QVERIFY(in.takeReceived().isEmpty());
    QVERIFY(Wire::portNames().isEmpty());
    // Reopening an unplugged pair fails, as for a removed device.
    QVERIFY(!in.open());
    QVERIFY(!out.open());
    in.close();
    out.close();
}

void tst_Wire::endpointDestroyedWhileOpen() {
    auto a = std::make_unique<TestEndpoint>("A");
    Wire::attach(a.get());
    WireInDevice in(inInfo("A"));
    WireOutDevice out(outInfo("A"));
    QVERIFY(in.open());
    QVERIFY(out.open());
    a.reset();
    out.send(sysexOf(6, 1)); // must not reach the destroyed endpoint
    QVERIFY(in.takeReceived().isEmpty());
    in.close();
    out.close();
}

void tst_Wire::closedPortIsNotReopenedByANewEndpointOfTheSameName() {
    auto old = std::make_unique<TestEndpoint>("A");
    Wire::attach(old.get());
    WireOutDevice out(outInfo("A"));
    QVERIFY(out.open());
    old.reset();
    TestEndpoint replugged("A");
    Wire::attach(&replugged);
    out.send(sysexOf(6, 1));
    QCOMPARE(replugged.receivedCount(), 0); // the open port was unplugged
    QVERIFY(out.open());
    out.send(sysexOf(6, 1));
    QCOMPARE(replugged.receivedCount(), 1);
    out.close();
}

void tst_Wire::concurrentDeliveryAndReopening() {
    TestEndpoint a("A");
    Wire::attach(&a);
    WireInDevice in(inInfo("A"));
    QVERIFY(in.open());
    const QByteArray message = sysexOf(16, 1);
    std::atomic<bool> stop{false};
    std::thread sender([&] {
        while (!stop)
            a.sendToProgram(message);
    });
    bool allIntact = true;
    for (int i = 0; i < 200; ++i) {
        in.close();
        QVERIFY(in.open());
        for (QByteArray got = in.takeReceived(); !got.isEmpty(); got = in.takeReceived())
            allIntact = allIntact && got == message;
    }
    stop = true;
    sender.join();
    QVERIFY(allIntact);
    // The churn left the pair working.
    in.clearReceived();
    const QByteArray last = sysexOf(9, 5);
    a.sendToProgram(last);
    QCOMPARE(in.takeReceived(), last);
    in.close();
}

void tst_Wire::concurrentSendAndDetach() {
    for (int round = 0; round < 50; ++round) {
        auto a = std::make_unique<TestEndpoint>("A", TestEndpoint::echo());
        Wire::attach(a.get());
        WireInDevice in(inInfo("A"));
        WireOutDevice out(outInfo("A"));
        QVERIFY(in.open());
        QVERIFY(out.open());
        std::atomic<bool> stop{false};
        std::thread sender([&] {
            const QByteArray message = sysexOf(16, 1);
            while (!stop)
                out.send(message);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        a.reset(); // detaches while the sender is inside receiveFromProgram
        stop = true;
        sender.join();
        QVERIFY(Wire::portNames().isEmpty());
        in.close();
        out.close();
    }
}

QTEST_GUILESS_MAIN(tst_Wire)
#include "tst_Wire.moc"
