#include "OutputCapture.h"
#include "TestEndpoint.h"

#include "midi/AbstractInDevice.h"
#include "midi/AbstractOutDevice.h"
#include "midi/DeviceFactory.h"
#include "midi/DeviceSearcher.h"
#include "midi/InDeviceInfoList.h"
#include "midi/OutDeviceInfoList.h"
#include "midi/PortClassifier.h"
#include "midi/RtMidiBackend.h"
#include "midi/Wire.h"

#include <QtTest>

#include <unistd.h>

using namespace zel::qmix::midi;
using zel::qmix::midi::test::OutputCapture;
using zel::qmix::midi::test::TestEndpoint;

class tst_PortLists : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void emptyWhenNoServiceRunsAndNothingIsAttached();
    void noServiceIsReportedSilently();
    void wirePortsAreListedBothWays();
    void portsOpenedThroughAStaleListStillFindTheirEndpoint();
    void clientAndCandidacy_data();
    void clientAndCandidacy();
    void devicesAgreeWithTheRule();
    void probeOrder_data();
    void probeOrder();
    void apiNames();
};

void tst_PortLists::initTestCase() {
    // A server name nobody runs: whatever JACK server the machine has, this
    // test sees none.
    qputenv("JACK_DEFAULT_SERVER", "th-no-server-" + QByteArray::number(getpid()));
}

void tst_PortLists::emptyWhenNoServiceRunsAndNothingIsAttached() {
    if (RtMidiBackend::isRunning(MidiApi::AlsaSequencer))
        QSKIP("an ALSA sequencer runs on this machine");
    QVERIFY(RtMidiBackend::runningApis().isEmpty());
    InDeviceInfoList inputs;
    OutDeviceInfoList outputs;
    inputs.append(InDeviceInfo(MidiApi::Wire, 0, "left over"));
    inputs.refresh();
    outputs.refresh();
    QVERIFY(inputs.isEmpty()); // refresh starts from scratch
    QVERIFY(outputs.isEmpty());
}

void tst_PortLists::noServiceIsReportedSilently() {
    OutputCapture err(STDERR_FILENO);
    OutputCapture out(STDOUT_FILENO);
    InDeviceInfoList inputs;
    OutDeviceInfoList outputs;
    inputs.refresh();
    outputs.refresh();
    // Opening a port of a service that does not run fails quietly too.
    auto in = DeviceFactory::createIn(InDeviceInfo(MidiApi::Jack, 0, "system:midi_capture_1"));
    auto outDevice =
        DeviceFactory::createOut(OutDeviceInfo(MidiApi::Jack, 0, "system:midi_playback_1"));
    const bool opened = in->open() || outDevice->open();
    const QByteArray printedOut = out.finish();
    const QByteArray printedErr = err.finish();
    QVERIFY(!opened);
    QCOMPARE(printedOut, QByteArray());
    QCOMPARE(printedErr, QByteArray());
}

void tst_PortLists::wirePortsAreListedBothWays() {
    TestEndpoint a("Keyboard A");
    TestEndpoint b("Keyboard B");
    Wire::attach(&a);
    Wire::attach(&b);
    InDeviceInfoList inputs;
    OutDeviceInfoList outputs;
    inputs.refresh();
    outputs.refresh();
    const QList<InDeviceInfo> wireInputs = [&] {
        QList<InDeviceInfo> found;
        for (const InDeviceInfo& info : inputs.infos()) {
            if (info.api() == MidiApi::Wire)
                found.append(info);
        }
        return found;
    }();
    QCOMPARE(wireInputs, QList<InDeviceInfo>({InDeviceInfo(MidiApi::Wire, 0, "Keyboard A"),
                                              InDeviceInfo(MidiApi::Wire, 1, "Keyboard B")}));
    QVERIFY(outputs.infos().contains(OutDeviceInfo(MidiApi::Wire, 0, "Keyboard A")));
    QVERIFY(outputs.infos().contains(OutDeviceInfo(MidiApi::Wire, 1, "Keyboard B")));

    Wire::detach(&a);
    inputs.refresh();
    QVERIFY(inputs.infos().contains(InDeviceInfo(MidiApi::Wire, 0, "Keyboard B")));
    QVERIFY(!inputs.infos().contains(InDeviceInfo(MidiApi::Wire, 0, "Keyboard A")));
}

void tst_PortLists::portsOpenedThroughAStaleListStillFindTheirEndpoint() {
    TestEndpoint a("A", TestEndpoint::echo());
    TestEndpoint b("B", TestEndpoint::echo());
    Wire::attach(&a);
    Wire::attach(&b);
    OutDeviceInfoList outputs;
    outputs.refresh();
    Wire::detach(&a); // B moves from index 1 to 0
    const OutDeviceInfo staleB = outputs.at(outputs.size() - 1);
    QCOMPARE(staleB.name(), QString("B"));
    QCOMPARE(staleB.index(), 1u);
    auto out = DeviceFactory::createOut(staleB);
    QVERIFY(out->open());
    out->send(test::probeRequest());
    QCOMPARE(b.receivedCount(), 1);
    QCOMPARE(a.receivedCount(), 0);
    out->close();
}

void tst_PortLists::clientAndCandidacy_data() {
    QTest::addColumn<MidiApi>("api");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("client");
    QTest::addColumn<bool>("own");
    QTest::addColumn<bool>("candidate");
    QTest::newRow("ALSA keyboard")
        << MidiApi::AlsaSequencer << "Digital Keyboard:Digital Keyboard MIDI 1 20:0"
        << "Digital Keyboard" << false << true;
    QTest::newRow("ALSA through port")
        << MidiApi::AlsaSequencer << "Midi Through:Midi Through Port-0 14:0"
        << "Midi Through" << false << false;
    QTest::newRow("ALSA own port") << MidiApi::AlsaSequencer << "ToneHarbour:in 128:0"
                                   << "ToneHarbour" << true << false;
    QTest::newRow("ALSA client that only starts like ours")
        << MidiApi::AlsaSequencer << "ToneHarbour Keyboard:port 129:0"
        << "ToneHarbour Keyboard" << false << true;
    QTest::newRow("JACK own port") << MidiApi::Jack << "ToneHarbour:in"
                                   << "ToneHarbour" << true << false;
    QTest::newRow("JACK own renamed client") << MidiApi::Jack << "ToneHarbour-01:out"
                                             << "ToneHarbour" << true << false;
    QTest::newRow("JACK hardware port") << MidiApi::Jack << "system:midi_capture_1"
                                        << "system" << false << true;
    QTest::newRow("JACK renamed keyboard client") << MidiApi::Jack << "Fake Keyboard-01:port"
                                                  << "Fake Keyboard" << false << true;
    QTest::newRow("JACK bridged through port")
        << MidiApi::Jack << "a2j:Midi Through [14] (capture): Midi Through Port-0"
        << "a2j" << false << false;
    QTest::newRow("wire named like us") << MidiApi::Wire << "ToneHarbour"
                                        << "ToneHarbour" << false << true;
    QTest::newRow("wire name with colon") << MidiApi::Wire << "Emu:1"
                                          << "Emu:1" << false << true;
}

void tst_PortLists::clientAndCandidacy() {
    QFETCH(MidiApi, api);
    QFETCH(QString, name);
    QFETCH(QString, client);
    QFETCH(bool, own);
    QFETCH(bool, candidate);
    const PortInfo port(api, 3, name);
    QCOMPARE(PortClassifier::clientOf(port), client);
    QCOMPARE(PortClassifier::isOwnPort(port), own);
    QCOMPARE(PortClassifier::isCandidate(port), candidate);
}

void tst_PortLists::devicesAgreeWithTheRule() {
    const QList<PortInfo> ports = {
        PortInfo(MidiApi::Jack, 0, "ToneHarbour:in"),
        PortInfo(MidiApi::AlsaSequencer, 0, "Midi Through:Midi Through Port-0 14:0"),
        PortInfo(MidiApi::Jack, 0, "system:midi_capture_1"),
        PortInfo(MidiApi::Wire, 0, "anything"),
    };
    for (const PortInfo& port : ports) {
        auto in = DeviceFactory::createIn(InDeviceInfo(port.api(), port.index(), port.name()));
        auto out = DeviceFactory::createOut(OutDeviceInfo(port.api(), port.index(), port.name()));
        QCOMPARE(in->isCandidate(), PortClassifier::isCandidate(port));
        QCOMPARE(out->isCandidate(), PortClassifier::isCandidate(port));
    }
}

void tst_PortLists::probeOrder_data() {
    QTest::addColumn<OutDeviceInfo>("out");
    QTest::addColumn<QList<InDeviceInfo>>("inputs");
    QTest::addColumn<QList<int>>("order");
    const InDeviceInfo wireA(MidiApi::Wire, 0, "A");
    const InDeviceInfo wireB(MidiApi::Wire, 1, "B");
    const InDeviceInfo wireC(MidiApi::Wire, 2, "C");
    QTest::newRow("wire: own endpoint first")
        << OutDeviceInfo(MidiApi::Wire, 1, "B") << QList<InDeviceInfo>{wireA, wireB, wireC}
        << QList<int>{1, 0, 2};
    QTest::newRow("wire: no input of that name keeps list order")
        << OutDeviceInfo(MidiApi::Wire, 0, "D") << QList<InDeviceInfo>{wireA, wireB, wireC}
        << QList<int>{0, 1, 2};
    QTest::newRow("JACK: renamed client of the same name first, other APIs after")
        << OutDeviceInfo(MidiApi::Jack, 0, "KB:port")
        << QList<InDeviceInfo>{InDeviceInfo(MidiApi::Jack, 0, "Other:x"),
                               InDeviceInfo(MidiApi::AlsaSequencer, 0, "KB:port 20:0"),
                               InDeviceInfo(MidiApi::Jack, 1, "KB-01:port"),
                               InDeviceInfo(MidiApi::Wire, 0, "KB")}
        << QList<int>{2, 0, 1, 3};
    QTest::newRow("ALSA: every port of the client first, in list order")
        << OutDeviceInfo(MidiApi::AlsaSequencer, 1, "KB:KB MIDI 2 20:1")
        << QList<InDeviceInfo>{InDeviceInfo(MidiApi::AlsaSequencer, 0, "Synth:Synth 24:0"),
                               InDeviceInfo(MidiApi::AlsaSequencer, 1, "KB:KB MIDI 1 20:0"),
                               InDeviceInfo(MidiApi::AlsaSequencer, 2, "KB:KB MIDI 2 20:1")}
        << QList<int>{1, 2, 0};
    QTest::newRow("no inputs") << OutDeviceInfo(MidiApi::Wire, 0, "A") << QList<InDeviceInfo>{}
                               << QList<int>{};
}

void tst_PortLists::probeOrder() {
    QFETCH(OutDeviceInfo, out);
    QFETCH(QList<InDeviceInfo>, inputs);
    QFETCH(QList<int>, order);
    QList<InDeviceInfo> expected;
    for (int i : order)
        expected.append(inputs.at(i));
    QCOMPARE(DeviceSearcher::probeOrder(inputs, out), expected);
}

void tst_PortLists::apiNames() {
    QCOMPARE(midiApiName(MidiApi::AlsaSequencer), QString("ALSA"));
    QCOMPARE(midiApiName(MidiApi::Jack), QString("JACK"));
    QCOMPARE(midiApiName(MidiApi::Wire), QString("Wire"));
}

QTEST_GUILESS_MAIN(tst_PortLists)
#include "tst_PortLists.moc"
