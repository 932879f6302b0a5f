#include "KeyboardHarness.h"

#include "emu/KeyboardOptions.h"
#include "midi/DeviceHandler.h"
#include "midi/PortClassifier.h"
#include "midi/RtMidiBackend.h"
#include "sysex/IPSDecoder.h"
#include "sysex/MessageType.h"
#include "tests/support/JackServer.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

using namespace zel::qmix;
using sysex::BlockAddress;

namespace {

// Generous: JACK, the program and the test share a busy 2-core machine.
constexpr int kWaitMs = 60000;

QVector<qint32> askFor(midi::DeviceHandler& handler, const QByteArray& request) {
    handler.send(request);
    sysex::IPSDecoder decoder;
    decoder.setRequest(request);
    decoder.decode(handler.takeReceived(kWaitMs));
    return decoder.values();
}

// The search gives each port pair 500 ms to answer; on a loaded machine the
// first try may miss a keyboard that is there, so try a few times.
bool connectToKeyboard(midi::DeviceHandler& handler) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (handler.connectDevice())
            return true;
    }
    return false;
}

} // namespace

// The stand-alone keyboard on JACK, driven through the program's own device
// handler. Starts a private JACK server; run alone with `ctest -L jack`.
class tst_KeyboardProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void withoutAMidiServiceItSaysSo();
    void isFoundAndAnswersAsItsModel();
    void secondRunSeesTheStoredState();
    void interruptEndsItCleanly();

private:
    bool startKeyboard(QProcess& keyboard, const QStringList& arguments);
    bool stopKeyboard(QProcess& keyboard, int signalNumber);

    testsupport::JackServer server_{QStringLiteral("th-emu-test")};
    QTemporaryDir stateDir_;
};

void tst_KeyboardProgram::initTestCase() {
    if (!testsupport::JackServer::isInstalled())
        QSKIP("jackd is not installed");
    QString error;
    QVERIFY2(server_.start(&error), qPrintable(error));
}

void tst_KeyboardProgram::cleanupTestCase() {
    server_.stop();
}

bool tst_KeyboardProgram::startKeyboard(QProcess& keyboard, const QStringList& arguments) {
    keyboard.setReadChannel(QProcess::StandardOutput);
    keyboard.start(QStringLiteral(TH_KEYBOARD_PROGRAM), arguments);
    bool ready = keyboard.waitForStarted(kWaitMs);
    while (ready && !keyboard.canReadLine())
        ready = keyboard.waitForReadyRead(kWaitMs);
    ready = ready && keyboard.readLine() == "READY\n";
    if (!ready) {
        keyboard.waitForFinished(kWaitMs);
        qWarning("the keyboard did not start (exit code %d): %s", keyboard.exitCode(),
                 keyboard.readAllStandardError().constData());
    }
    return ready;
}

bool tst_KeyboardProgram::stopKeyboard(QProcess& keyboard, int signalNumber) {
    ::kill(pid_t(keyboard.processId()), signalNumber);
    const bool clean = keyboard.waitForFinished(kWaitMs) &&
                       keyboard.exitStatus() == QProcess::NormalExit && keyboard.exitCode() == 0;
    if (!clean)
        qWarning("the keyboard did not end cleanly (exit code %d): %s", keyboard.exitCode(),
                 keyboard.readAllStandardError().constData());
    return clean;
}

void tst_KeyboardProgram::withoutAMidiServiceItSaysSo() {
    QProcess keyboard;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("JACK_DEFAULT_SERVER", server_.name() + "-absent");
    keyboard.setProcessEnvironment(environment);
    keyboard.start(QStringLiteral(TH_KEYBOARD_PROGRAM), {"--model", "QS-1"});
    QVERIFY(keyboard.waitForFinished(kWaitMs));
    QCOMPARE(keyboard.exitCode(), 1);
    QVERIFY(keyboard.readAllStandardOutput().isEmpty());
    QVERIFY(keyboard.readAllStandardError().contains("cannot open virtual MIDI ports"));
}

void tst_KeyboardProgram::isFoundAndAnswersAsItsModel() {
    QProcess keyboard;
    QVERIFY(startKeyboard(keyboard, {"--model", "LM-4200", "--state", stateDir_.path()}));
    {
        midi::DeviceHandler handler;
        QVERIFY(connectToKeyboard(handler));
        QCOMPARE(midi::PortClassifier::clientOf(handler.connectedIn()),
                 emu::KeyboardOptions::defaultPortName());
        QCOMPARE(askFor(handler, KeyboardHarness::ipr(0, 0, 7)),
                 (QVector<qint32>{'L', 'M', '-', '4', '2', '0', '0', ' '}));

        const BlockAddress address = KeyboardHarness::dataAddress(3, 17);
        handler.send(KeyboardHarness::sbs(3));
        QCOMPARE(KeyboardHarness::typeOf(handler.takeReceived(kWaitMs)),
                 int(sysex::MessageType::ACK));
        handler.send(KeyboardHarness::hbs(address, QByteArray(300, 't').left(203)));
        QCOMPARE(handler.takeReceived(kWaitMs), KeyboardHarness::ack(address));
        handler.send(KeyboardHarness::hbs(address, QByteArray(97, 't')));
        QCOMPARE(handler.takeReceived(kWaitMs), KeyboardHarness::ack(address));
        handler.send(KeyboardHarness::ess(address));
        QCOMPARE(handler.takeReceived(kWaitMs), KeyboardHarness::ack(address));
        handler.send(KeyboardHarness::ebs(address));
        handler.disconnectDevice();
    }
    QVERIFY(stopKeyboard(keyboard, SIGTERM));
}

void tst_KeyboardProgram::secondRunSeesTheStoredState() {
    QProcess keyboard;
    // Another name than the first run's: JACK may still be letting go of it.
    QVERIFY(startKeyboard(
        keyboard, {"--model", "LM-4200", "--state", stateDir_.path(), "--name", "Second Run"}));
    {
        midi::DeviceHandler handler;
        QVERIFY(connectToKeyboard(handler));
        QCOMPARE(midi::PortClassifier::clientOf(handler.connectedIn()),
                 QStringLiteral("Second Run"));
        handler.send(KeyboardHarness::ips(0, 25, {3}));
        handler.send(KeyboardHarness::ips(0, 26, {2}));
        handler.send(KeyboardHarness::ips(0, 27, {17}));
        QCOMPARE(askFor(handler, KeyboardHarness::ipr(0, 29)), QVector<qint32>{1});
        QCOMPARE(askFor(handler, KeyboardHarness::ipr(0, 31)), QVector<qint32>{300});
        handler.disconnectDevice();
    }
    QVERIFY(stopKeyboard(keyboard, SIGTERM));
}

void tst_KeyboardProgram::interruptEndsItCleanly() {
    QProcess keyboard;
    QVERIFY(
        startKeyboard(keyboard, {"--model", "PRV-3200", "--delay", "5", "--name", "Third Run"}));
    {
        midi::DeviceHandler handler;
        QVERIFY(connectToKeyboard(handler));
        // Leave requests in flight when the interrupt comes.
        for (int i = 0; i < 50; ++i)
            handler.send(KeyboardHarness::ipr(0, 24));
        handler.disconnectDevice();
    }
    QVERIFY(stopKeyboard(keyboard, SIGINT));
}

QTEST_GUILESS_MAIN(tst_KeyboardProgram)
#include "tst_KeyboardProgram.moc"
