#include "KeyboardHarness.h"

#include "data/Zq11Info.h"
#include "emu/KeyboardFactory.h"
#include "emu/KeyboardWireEndpoint.h"
#include "midi/DeviceHandler.h"
#include "midi/PortClassifier.h"
#include "midi/Wire.h"
#include "sysex/HBSDecoder.h"
#include "sysex/IPSDecoder.h"
#include "sysex/MessageType.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zel::qmix;
using sysex::BlockAddress;
using sysex::MessageType;

namespace {

// Generous: the machine may be busy, and nothing here should take long.
constexpr int kWaitMs = 30000;

std::unique_ptr<emu::KeyboardWireEndpoint> attachedKeyboard(const emu::FaultPlan& faults = {},
                                                            const QString& stateDir = {}) {
    emu::KeyboardSetup setup;
    setup.model = data::Zq11Info::instance();
    setup.faults = faults;
    setup.stateDirectory = stateDir;
    auto endpoint =
        std::make_unique<emu::KeyboardWireEndpoint>(emu::KeyboardFactory::create(setup));
    midi::Wire::attach(endpoint.get());
    return endpoint;
}

QVector<qint32> askFor(midi::DeviceHandler& handler, const QByteArray& request) {
    handler.send(request);
    const QByteArray reply = handler.takeReceived(kWaitMs);
    sysex::IPSDecoder decoder;
    decoder.setRequest(request);
    decoder.decode(reply);
    return decoder.values();
}

// The program's side of a one-area send, message by message.
void sendArea(midi::DeviceHandler& handler, const BlockAddress& address, const QByteArray& data) {
    handler.send(KeyboardHarness::sbs(3));
    QCOMPARE(KeyboardHarness::typeOf(handler.takeReceived(kWaitMs)), int(MessageType::ACK));
    for (qsizetype offset = 0; offset < data.size(); offset += 203) {
        handler.send(KeyboardHarness::hbs(address, data.mid(offset, 203)));
        QCOMPARE(handler.takeReceived(kWaitMs), KeyboardHarness::ack(address));
    }
    handler.send(KeyboardHarness::ess(address));
    QCOMPARE(handler.takeReceived(kWaitMs), KeyboardHarness::ack(address));
    handler.send(KeyboardHarness::ebs(address));
}

} // namespace

class tst_KeyboardWireEndpoint : public QObject {
    Q_OBJECT

private slots:
    void isFoundByTheKeyboardSearch();
    void sendAndReceiveOverTheWire();
    void repliesComeFromTheKeyboardsThread();
    void goingAwayWhileThePortsAreOpen();
    void stateOutlivesTheEndpoint();
};

void tst_KeyboardWireEndpoint::isFoundByTheKeyboardSearch() {
    auto endpoint = attachedKeyboard();
    QVERIFY(midi::Wire::portNames().contains(emu::KeyboardWireEndpoint::defaultName()));
    midi::DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    QCOMPARE(midi::PortClassifier::clientOf(handler.connectedIn()),
             emu::KeyboardWireEndpoint::defaultName());
    const QVector<qint32> name = askFor(handler, KeyboardHarness::ipr(0, 0, 7));
    QString text;
    for (const qint32 value : name)
        text.append(QChar(char16_t(value)));
    QCOMPARE(text, QStringLiteral("PRV-1200"));
    handler.disconnectDevice();
}

void tst_KeyboardWireEndpoint::sendAndReceiveOverTheWire() {
    auto endpoint = attachedKeyboard();
    midi::DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    QByteArray rhythm(1000, '\0');
    for (int i = 0; i < rhythm.size(); ++i)
        rhythm[i] = char(i % 251);
    const BlockAddress address = KeyboardHarness::dataAddress(36, 42);
    sendArea(handler, address, rhythm);

    handler.send(KeyboardHarness::sbs(2));
    QCOMPARE(KeyboardHarness::typeOf(handler.takeReceived(kWaitMs)), int(MessageType::ACK));
    handler.send(KeyboardHarness::hbr(address));
    QByteArray received;
    QByteArray message = handler.takeReceived(kWaitMs);
    while (KeyboardHarness::typeOf(message) == MessageType::HBS) {
        sysex::HBSDecoder decoder;
        decoder.decode(message);
        received += decoder.data();
        handler.send(KeyboardHarness::ack(address));
        message = handler.takeReceived(kWaitMs);
    }
    QCOMPARE(message, KeyboardHarness::ess(address));
    handler.send(KeyboardHarness::ack(address));
    QCOMPARE(received, rhythm);

    QByteArray stored;
    endpoint->inspect([&](const emu::VirtualKeyboard& k) { stored = k.memory().areaData(36, 42); });
    QCOMPARE(stored, rhythm);
    handler.disconnectDevice();
}

void tst_KeyboardWireEndpoint::repliesComeFromTheKeyboardsThread() {
    // Replies held back for ten minutes: if the keyboard answered on the
    // sending thread, send() would not return.
    emu::FaultPlan faults;
    faults.replyDelayMs = 10 * 60 * 1000;
    auto endpoint = attachedKeyboard(faults);
    midi::DeviceHandler handler;
    QVERIFY(handler.openMatching(emu::KeyboardWireEndpoint::defaultName(),
                                 emu::KeyboardWireEndpoint::defaultName()));
    handler.send(KeyboardHarness::ipr(0, 24));
    QVERIFY(handler.takeReceived().isEmpty());
    handler.disconnectDevice();
    // Shutting down does not wait for the held reply either.
    endpoint.reset();
    QVERIFY(!midi::Wire::portNames().contains(emu::KeyboardWireEndpoint::defaultName()));
}

void tst_KeyboardWireEndpoint::goingAwayWhileThePortsAreOpen() {
    auto endpoint = attachedKeyboard();
    midi::DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    for (int i = 0; i < 20; ++i)
        handler.send(KeyboardHarness::ipr(0, 24));
    endpoint.reset();
    // The cable is unplugged: sending goes nowhere, and nothing crashes.
    handler.send(KeyboardHarness::ipr(0, 24));
    handler.clearReceived();
    handler.disconnectDevice();
}

void tst_KeyboardWireEndpoint::stateOutlivesTheEndpoint() {
    QTemporaryDir dir;
    const BlockAddress address = KeyboardHarness::dataAddress(3, 120);
    {
        auto endpoint = attachedKeyboard({}, dir.path());
        midi::DeviceHandler handler;
        QVERIFY(handler.connectDevice());
        sendArea(handler, address, "drawbar settings");
        handler.disconnectDevice();
    }
    auto endpoint = attachedKeyboard({}, dir.path());
    midi::DeviceHandler handler;
    QVERIFY(handler.connectDevice());
    handler.send(KeyboardHarness::ips(0, 25, {3}));
    handler.send(KeyboardHarness::ips(0, 26, {2}));
    handler.send(KeyboardHarness::ips(0, 27, {120}));
    QCOMPARE(askFor(handler, KeyboardHarness::ipr(0, 29)), QVector<qint32>{1});
    QCOMPARE(askFor(handler, KeyboardHarness::ipr(0, 31)), QVector<qint32>{16});
    handler.disconnectDevice();
}

QTEST_GUILESS_MAIN(tst_KeyboardWireEndpoint)
#include "tst_KeyboardWireEndpoint.moc"
