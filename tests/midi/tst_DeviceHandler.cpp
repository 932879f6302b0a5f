#include "OutputCapture.h"
#include "TestEndpoint.h"

#include "midi/DeviceHandler.h"
#include "midi/DeviceSearcher.h"
#include "midi/Wire.h"
#include "midi/WireInDevice.h"
#include "midi/WireOutDevice.h"

#include <QSignalSpy>
#include <QtTest>

#include <chrono>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace zel::qmix::midi;
using zel::qmix::midi::test::OutputCapture;
using zel::qmix::midi::test::TestEndpoint;

namespace {

const char* const SEARCH_ERROR_LINE = "error at DeviceSearcher::midiInCallback\n";

qint64 millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// Tells whether the program still holds the pair's input open: a second
// port can open it only when the program's is closed.
bool inputIsFree(const QString& name) {
    WireInDevice probe(InDeviceInfo(MidiApi::Wire, 0, name));
    const bool free = probe.open();
    probe.close();
    return free;
}

} // namespace

class tst_DeviceHandler : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void disconnectedHandlerDoesNothing();
    void searchWithoutPortsFailsAtOnce();
    void findsAnsweringEndpoint();
    void answerOfAnyParameterIsTaken_data();
    void answerOfAnyParameterIsTaken();
    void secondInputAnswers();
    void echoIsNotTaken();
    void malformedMessageDoesNotEndTheProbe();
    void silentEndpointIsNotTaken();
    void messagesPassBothWays();
    void receivedIsRelayed();
    void timedTakeThroughTheHandler();
    void disconnectClosesBoth();
    void endpointDetachedWhileConnected();
    void openMatchingIgnoresCase();
    void openMatchingFailsWithoutMatch();
    void openPairFailsForMissingPort();
};

void tst_DeviceHandler::initTestCase() {
    // Only the wire takes part: no JACK server of this machine is seen.
    qputenv("JACK_DEFAULT_SERVER", "th-no-server-" + QByteArray::number(getpid()));
}

void tst_DeviceHandler::disconnectedHandlerDoesNothing() {
    DeviceHandler handler;
    QVERIFY(!handler.isConnected());
    QVERIFY(handler.takeReceived().isEmpty());
    QVERIFY(handler.takeReceived(10).isEmpty());
    handler.send(test::probeRequest());
    handler.clearReceived();
    handler.disconnectDevice();
    QCOMPARE(handler.connectedIn(), InDeviceInfo());
    QCOMPARE(handler.connectedOut(), OutDeviceInfo());
}

void tst_DeviceHandler::searchWithoutPortsFailsAtOnce() {
    DeviceSearcher searcher;
    InDeviceInfo in;
    OutDeviceInfo out;
    const auto start = std::chrono::steady_clock::now();
    QVERIFY(!searcher.search(InDeviceInfoList(), OutDeviceInfoList(), in, out));
    QVERIFY(millisecondsSince(start) < DeviceSearcher::PROBE_TIMEOUT_MS);

    DeviceHandler handler;
    QVERIFY(!handler.connectDevice());
    QVERIFY(!handler.isConnected());
}

void tst_DeviceHandler::findsAnsweringEndpoint() {
    TestEndpoint keyboard("Keyboard", TestEndpoint::answerIps(0, 24));
    Wire::attach(&keyboard);
    DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    QVERIFY(handler.isConnected());
    QCOMPARE(handler.connectedIn(), InDeviceInfo(MidiApi::Wire, 0, "Keyboard"));
    QCOMPARE(handler.connectedOut(), OutDeviceInfo(MidiApi::Wire, 0, "Keyboard"));
    // The probe sent exactly the parameter request.
    QCOMPARE(keyboard.received(), QList<QByteArray>({test::probeRequest()}));
    // The probe's answer was taken by the search, not left for the commands.
    QVERIFY(handler.takeReceived().isEmpty());
    QVERIFY(handler.inList().infos().contains(InDeviceInfo(MidiApi::Wire, 0, "Keyboard")));
    QVERIFY(handler.outList().infos().contains(OutDeviceInfo(MidiApi::Wire, 0, "Keyboard")));
}

void tst_DeviceHandler::answerOfAnyParameterIsTaken_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("id");
    QTest::newRow("the parameter asked for") << 0 << 24;
    QTest::newRow("another id") << 0 << 1;
    QTest::newRow("another category") << 3 << 24;
    QTest::newRow("another category and id") << 0x7F << 0x3FFF;
}

void tst_DeviceHandler::answerOfAnyParameterIsTaken() {
    QFETCH(int, category);
    QFETCH(int, id);
    TestEndpoint keyboard("Keyboard", TestEndpoint::answerIps(category, id));
    Wire::attach(&keyboard);
    DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    QCOMPARE(handler.connectedIn().name(), QString("Keyboard"));
}

void tst_DeviceHandler::secondInputAnswers() {
    // One keyboard whose answers come out of another port than its own:
    // output "Silent" is probed with input "Silent" first (same client), which
    // times out, then with input "Answering", which carries the answer.
    TestEndpoint answering("Answering");
    TestEndpoint silent("Silent", [&answering](TestEndpoint&, const QByteArray&) {
        answering.sendToProgram(test::ipsReply(0, 24));
    });
    Wire::attach(&answering);
    Wire::attach(&silent);
    answering.sendToProgram(test::ipsReply(0, 24)); // before any port is open: lost

    DeviceSearcher searcher;
    InDeviceInfoList inputs(
        {InDeviceInfo(MidiApi::Wire, 0, "Answering"), InDeviceInfo(MidiApi::Wire, 1, "Silent")});
    OutDeviceInfoList outputs({OutDeviceInfo(MidiApi::Wire, 1, "Silent")});
    InDeviceInfo inFound;
    OutDeviceInfo outFound;
    const auto start = std::chrono::steady_clock::now();
    QVERIFY(searcher.search(inputs, outputs, inFound, outFound));
    const qint64 elapsed = millisecondsSince(start);
    QCOMPARE(inFound, InDeviceInfo(MidiApi::Wire, 0, "Answering"));
    QCOMPARE(outFound, OutDeviceInfo(MidiApi::Wire, 1, "Silent"));
    QCOMPARE(silent.receivedCount(), 2); // one request per probe
    QCOMPARE(answering.receivedCount(), 0);
    // The first probe waited out its whole time-out.
    QVERIFY2(elapsed >= DeviceSearcher::PROBE_TIMEOUT_MS - 10,
             qPrintable(QString::number(elapsed)));

    // The handler opens the pair that answered.
    DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    QCOMPARE(handler.connectedIn().name(), QString("Answering"));
    QCOMPARE(handler.connectedOut().name(), QString("Silent"));
}

void tst_DeviceHandler::echoIsNotTaken() {
    TestEndpoint loop("Loop", TestEndpoint::echo());
    Wire::attach(&loop);
    DeviceHandler handler;
    OutputCapture out(STDOUT_FILENO);
    const bool connected = handler.connectDevice();
    const QByteArray printed = out.finish();
    QVERIFY(!connected);
    QVERIFY(!handler.isConnected());
    QCOMPARE(printed, QByteArray(SEARCH_ERROR_LINE));
    QCOMPARE(loop.receivedCount(), 1);
}

void tst_DeviceHandler::malformedMessageDoesNotEndTheProbe() {
    // A broken message first, the good answer after it: still found.
    TestEndpoint keyboard("Keyboard", [](TestEndpoint& self, const QByteArray&) {
        QByteArray broken = test::ipsReply(0, 24);
        broken.chop(2);
        broken.append(char(0xF7));
        self.sendToProgram(broken);
        self.sendToProgram(test::ipsReply(0, 24));
    });
    Wire::attach(&keyboard);
    DeviceHandler handler;
    OutputCapture out(STDOUT_FILENO);
    const bool connected = handler.connectDevice();
    const QByteArray printed = out.finish();
    QVERIFY(connected);
    QCOMPARE(printed, QByteArray(SEARCH_ERROR_LINE));
}

void tst_DeviceHandler::silentEndpointIsNotTaken() {
    TestEndpoint mute("Mute");
    Wire::attach(&mute);
    DeviceHandler handler;
    const auto start = std::chrono::steady_clock::now();
    QVERIFY(!handler.connectDevice());
    QVERIFY(millisecondsSince(start) >= DeviceSearcher::PROBE_TIMEOUT_MS - 10);
    QVERIFY(inputIsFree("Mute")); // the probe closed its ports
    QCOMPARE(mute.receivedCount(), 1);
}

void tst_DeviceHandler::messagesPassBothWays() {
    TestEndpoint keyboard("Keyboard", TestEndpoint::answerIps(0, 24));
    Wire::attach(&keyboard);
    DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    QByteArray message(250, 0);
    message[0] = char(0xF0);
    for (int i = 1; i < 249; ++i)
        message[i] = char(i % 128);
    message[249] = char(0xF7);
    handler.send(message);
    QCOMPARE(keyboard.received().last(), message);
    keyboard.sendToProgram(message);
    keyboard.sendToProgram(test::ipsReply(1, 2));
    QCOMPARE(handler.takeReceived(), message);
    QCOMPARE(handler.takeReceived(), test::ipsReply(1, 2));
    QVERIFY(handler.takeReceived().isEmpty());
    keyboard.sendToProgram(message);
    handler.clearReceived();
    QVERIFY(handler.takeReceived().isEmpty());
}

void tst_DeviceHandler::receivedIsRelayed() {
    TestEndpoint keyboard("Keyboard", TestEndpoint::answerIps(0, 24));
    Wire::attach(&keyboard);
    DeviceHandler handler;
    // A listener living on this thread hears of each message through its
    // event loop, never on the MIDI thread.
    QObject listener;
    int heard = 0;
    const QThread* const testThread = QThread::currentThread();
    bool heardOnOwnThread = true;
    connect(&handler, &DeviceHandler::received, &listener, [&] {
        ++heard;
        heardOnOwnThread = heardOnOwnThread && QThread::currentThread() == testThread;
    });
    QVERIFY(handler.connectDevice());
    QCoreApplication::processEvents();
    QCOMPARE(heard, 0); // the probe's ports are not the handler's
    keyboard.sendToProgram(test::ipsReply(0, 1));
    keyboard.sendToProgram(test::ipsReply(0, 2));
    QTRY_COMPARE(heard, 2);
    QVERIFY(heardOnOwnThread);
    handler.disconnectDevice();
    keyboard.sendToProgram(test::ipsReply(0, 3));
    QCoreApplication::processEvents();
    QCOMPARE(heard, 2);
}

void tst_DeviceHandler::timedTakeThroughTheHandler() {
    TestEndpoint keyboard("Keyboard", TestEndpoint::answerIps(0, 24));
    Wire::attach(&keyboard);
    DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    QVERIFY(handler.takeReceived(50).isEmpty());
    std::thread sender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        keyboard.sendToProgram(test::ipsReply(0, 7));
    });
    const QByteArray got = handler.takeReceived(60000);
    sender.join();
    QCOMPARE(got, test::ipsReply(0, 7));
}

void tst_DeviceHandler::disconnectClosesBoth() {
    TestEndpoint keyboard("Keyboard", TestEndpoint::answerIps(0, 24));
    Wire::attach(&keyboard);
    DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    QVERIFY(!inputIsFree("Keyboard"));
    handler.disconnectDevice();
    QVERIFY(!handler.isConnected());
    QVERIFY(inputIsFree("Keyboard"));
    const int before = keyboard.receivedCount();
    handler.send(test::probeRequest());
    QCOMPARE(keyboard.receivedCount(), before);
    keyboard.sendToProgram(test::ipsReply(0, 1));
    QVERIFY(handler.takeReceived().isEmpty());
    handler.disconnectDevice(); // twice is harmless
    // A reconnect finds the keyboard again.
    QVERIFY(handler.connectDevice());
}

void tst_DeviceHandler::endpointDetachedWhileConnected() {
    auto keyboard = std::make_unique<TestEndpoint>("Keyboard", TestEndpoint::answerIps(0, 24));
    Wire::attach(keyboard.get());
    DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    keyboard.reset(); // unplugged
    handler.send(test::probeRequest());
    QVERIFY(handler.takeReceived().isEmpty());
    QVERIFY(handler.isConnected()); // until the owner notices and disconnects
    handler.disconnectDevice();
    QVERIFY(!handler.connectDevice());
}

void tst_DeviceHandler::openMatchingIgnoresCase() {
    TestEndpoint other("Other Synth");
    TestEndpoint keyboard("Digital Keyboard");
    Wire::attach(&other);
    Wire::attach(&keyboard);
    DeviceHandler handler;
    QVERIFY(handler.openMatching("digital", "KEYBOARD"));
    QCOMPARE(handler.connectedIn().name(), QString("Digital Keyboard"));
    QCOMPARE(handler.connectedOut().name(), QString("Digital Keyboard"));
    QCOMPARE(other.receivedCount(), 0);
    QCOMPARE(keyboard.receivedCount(), 0); // no probe
    QVERIFY(handler.openMatching("", "other"));
    QCOMPARE(handler.connectedIn().name(), QString("Other Synth"));
    QCOMPARE(handler.connectedOut().name(), QString("Other Synth"));
}

void tst_DeviceHandler::openMatchingFailsWithoutMatch() {
    TestEndpoint keyboard("Digital Keyboard");
    Wire::attach(&keyboard);
    DeviceHandler handler;
    QVERIFY(handler.openMatching("digital", "keyboard"));
    QVERIFY(!handler.openMatching("digital", "absent"));
    QVERIFY(!handler.isConnected()); // the earlier pair was closed
}

void tst_DeviceHandler::openPairFailsForMissingPort() {
    TestEndpoint keyboard("Keyboard");
    Wire::attach(&keyboard);
    DeviceHandler handler;
    QVERIFY(!handler.openPair(InDeviceInfo(MidiApi::Wire, 0, "Keyboard"),
                              OutDeviceInfo(MidiApi::Wire, 0, "Gone")));
    QVERIFY(!handler.isConnected());
    QVERIFY(inputIsFree("Keyboard")); // the input that did open was closed again
    QVERIFY(handler.openPair(InDeviceInfo(MidiApi::Wire, 0, "Keyboard"),
                             OutDeviceInfo(MidiApi::Wire, 0, "Keyboard")));
}

QTEST_GUILESS_MAIN(tst_DeviceHandler)
#include "tst_DeviceHandler.moc"
