// The transfers as the views queue them through the communicator: what each
// register operation builds and wires, and how queued transfers treat each
// other.
#include "CommandCaller.h"
#include "KeyboardFixture.h"
#include "ScriptCommand.h"
#include "TransferKeyboard.h"

#include "comm/AreaDeleteCommandInfo.h"
#include "comm/AreaDeleteCommandResult.h"
#include "comm/BulkDumpCommand.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommandInfo.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CommandMetaTypes.h"
#include "comm/KeyboardCommunicator.h"
#include "data/KeyboardInfo.h"
#include "etc/AlwaysYesChecker.h"
#include "midi/DeviceHandler.h"
#include "sysex/MessageType.h"

#include <QFile>
#include <QtTest>

using namespace zel::qmix;
using namespace zel::qmix::comm;
using sysex::BlockAddress;
using sysex::MessageType;
using From = TransferKeyboard::From;

namespace {

constexpr int Patience = 30000;
constexpr int Dsp = 19;

const data::KeyboardInfo* model(const QString& name) {
    return data::KeyboardInfo::find(name);
}

QByteArray resource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where a view's slots and signals would be.
using Caller = CommandCaller;

// A keyboard on the wire and a communicator connected to it, for one model
// that is also the current model.
struct Station {
    Station(const QString& name, const QString& modelName, const emu::FaultPlan& faults = {},
            const TransferKeyboard::Preparation& prepare = {})
        : keyboard(name, model(modelName), faults, prepare)
        , communicator(PortChoice::matching(name, name)) {
        data::KeyboardInfo::setCurrentModel(data::KeyboardInfo::find(modelName));
    }

    TransferKeyboard keyboard;
    KeyboardCommunicator communicator;
};

emu::FaultPlan slowReplies(int ms) {
    emu::FaultPlan faults;
    faults.replyDelayMs = ms;
    return faults;
}

int firstIndexOf(const QList<TransferKeyboard::Message>& messages, const QByteArray& bytes) {
    for (int k = 0; k < messages.size(); ++k) {
        if (messages.at(k).bytes == bytes)
            return k;
    }
    return -1;
}

// Keeps the communication thread busy until the gate opens, so commands
// registered meanwhile are all queued before the first of them runs.
std::shared_ptr<Gate> holdCommunicationThread(KeyboardCommunicator& communicator) {
    auto gate = std::make_shared<Gate>();
    auto holder = QSharedPointer<ScriptCommand>::create("hold", std::make_shared<EventLog>());
    holder->holdAt(gate);
    communicator.registerCommand(holder, 0);
    return gate;
}

int firstIndexOfType(const QList<TransferKeyboard::Message>& messages, int type) {
    for (int k = 0; k < messages.size(); ++k) {
        if (messages.at(k).from == From::Program && messages.at(k).type == type)
            return k;
    }
    return -1;
}

} // namespace

class tst_BulkRegistration : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void valueTypesAreKnownByTheirFullNames_data();
    void valueTypesAreKnownByTheirFullNames();
    void send_data();
    void send();
    void receive();
    void musicPresetSend_data();
    void musicPresetSend();
    void backupAndRestore();
    void areaDelete_data();
    void areaDelete();
    void endAndRejectCommands();
    void endCommandWaitsForTransfers();
    void failedTransferCancelsTheQueuedOnes();
    void cancelAndSuspendSourcesReachTheTransfer();
    void songSendTellsWhenItCanNoLongerBeCancelled();
};

void tst_BulkRegistration::initTestCase() {
    // Only the wire's keyboards may be found; no sound server is asked.
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
}

void tst_BulkRegistration::valueTypesAreKnownByTheirFullNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QMetaType>("type");

    QTest::newRow("send info") << "zel::qmix::comm::BulkSendCommandInfo"
                               << QMetaType::fromType<BulkSendCommandInfo>();
    QTest::newRow("send result") << "zel::qmix::comm::BulkSendCommandResult"
                                 << QMetaType::fromType<BulkSendCommandResult>();
    QTest::newRow("receive result") << "zel::qmix::comm::BulkReceiveCommandResult"
                                    << QMetaType::fromType<BulkReceiveCommandResult>();
    QTest::newRow("delete info") << "zel::qmix::comm::AreaDeleteCommandInfo"
                                 << QMetaType::fromType<AreaDeleteCommandInfo>();
    QTest::newRow("delete result") << "zel::qmix::comm::AreaDeleteCommandResult"
                                   << QMetaType::fromType<AreaDeleteCommandResult>();
    QTest::newRow("sizes") << "QList<unsigned>" << QMetaType::fromType<QList<unsigned>>();
}

void tst_BulkRegistration::valueTypesAreKnownByTheirFullNames() {
    QFETCH(QString, name);
    QFETCH(QMetaType, type);

    CommandMetaTypes::registerAll();

    const QMetaType found = QMetaType::fromName(name.toLatin1());
    QVERIFY(found.isValid());
    QCOMPARE(found.id(), type.id());
}

void tst_BulkRegistration::send_data() {
    QTest::addColumn<QString>("modelName");
    QTest::addColumn<int>("closing");
    QTest::newRow("first generation") << "PRV-1200" << int(MessageType::EBS);
    QTest::newRow("second generation") << "PRV-3200" << int(MessageType::EXI);
}

void tst_BulkRegistration::send() {
    QFETCH(QString, modelName);
    QFETCH(int, closing);

    Station station("registration-send", modelName);
    QVERIFY(station.communicator.isConnected());
    QSignalSpy heavy(&station.communicator, &KeyboardCommunicator::newHeavyCommandRegistered);
    Caller caller;
    const QByteArray data = patternData(900);

    station.communicator.registerBulkSendCommand(Dsp, 3, data, "Sending \"Hall.DS7\"", nullptr,
                                                 ExpectedArea(), caller.connections(),
                                                 ":/lcd/loading.lcd");

    QCOMPARE(heavy.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);
    QCOMPARE(caller.starts.size(), 1);
    QCOMPARE(caller.starts.first().value<BulkSendCommandInfo>(),
             (BulkSendCommandInfo{"Sending \"Hall.DS7\"", Dsp, 3}));
    QCOMPARE(caller.finishes.first().value<BulkSendCommandResult>(),
             (BulkSendCommandResult{0, Dsp, 3}));
    QCOMPARE(caller.progress.last(), qMakePair(900, 900));
    QCOMPARE(station.keyboard.areaData(Dsp, 3), data);
    QCOMPARE(station.keyboard.lcdPicture(), resource(":/lcd/loading.lcd"));
    QCOMPARE(station.keyboard.transferFromProgram().last().type, closing);
}

void tst_BulkRegistration::receive() {
    const QByteArray data = patternData(1200, 2);
    Station station("registration-receive", "PRV-3200", {},
                    [&](emu::KeyboardMemory& memory) { memory.setAreaData(Dsp, 8, data); });
    QVERIFY(station.communicator.isConnected());
    Caller caller;

    station.communicator.registerBulkReceiveCommand(Dsp, 8, "DSP 109", caller.connections());

    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);
    QCOMPARE(caller.starts, QVariantList{QVariant(QString("DSP 109"))});
    const auto result = caller.finishes.first().value<BulkReceiveCommandResult>();
    QCOMPARE(result, (BulkReceiveCommandResult{true, Dsp, 8, data, "DSP 109", 0}));
    QCOMPARE(caller.progress.last(), qMakePair(1200, 1200));
    QCOMPARE(station.keyboard.lcdPicture(), resource(":/lcd/saving.lcd"));
    QCOMPARE(station.keyboard.transferFromProgram().last().type, int(MessageType::EXI));
}

void tst_BulkRegistration::musicPresetSend_data() {
    QTest::addColumn<QString>("modelName");
    QTest::addColumn<bool>("clearsFirst");
    QTest::newRow("clearing model") << "PRV-1100" << true;
    QTest::newRow("overwriting model") << "PRV-1200" << false;
}

void tst_BulkRegistration::musicPresetSend() {
    QFETCH(QString, modelName);
    QFETCH(bool, clearsFirst);

    Station station("registration-preset", modelName, {}, [](emu::KeyboardMemory& memory) {
        memory.setAreaData(37, 2, patternData(800, 3));
    });
    QVERIFY(station.communicator.isConnected());
    Caller caller;
    etc::AlwaysYesChecker overwrite;
    const QByteArray preset = patternData(600, 4);

    station.communicator.registerBulkSendCommand(37, 2, preset, "Preset", &overwrite,
                                                 ExpectedArea(), caller.connections());

    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);
    QCOMPARE(caller.finishes.first().value<BulkSendCommandResult>(),
             (BulkSendCommandResult{0, 37, 2}));
    QCOMPARE(station.keyboard.areaData(37, 2), preset);
    const auto messages = station.keyboard.messages();
    const int clearAt = firstIndexOf(messages, parameterWrite(39, 0));
    QCOMPARE(clearAt >= 0, clearsFirst);
    if (clearsFirst)
        QVERIFY(clearAt < firstIndexOfType(messages, MessageType::SBS));
    // The clearing send ends with EBS on every model; the others by generation.
    QCOMPARE(station.keyboard.transferFromProgram().last().type, int(MessageType::EBS));
}

void tst_BulkRegistration::backupAndRestore() {
    Station station("registration-backup", "PRV-3100", {}, [](emu::KeyboardMemory& memory) {
        memory.setAreaData(Dsp, 4, patternData(500, 5));
    });
    QVERIFY(station.communicator.isConnected());
    const data::KeyboardInfo* keyboardModel = model("PRV-3100");
    const emu::KeyboardMemory original = station.keyboard.memory();
    Caller backupCaller;

    station.communicator.registerAllDataBulkReceiveCommand(backupCaller.connections());

    QTRY_COMPARE_WITH_TIMEOUT(backupCaller.finishes.size(), 1, Patience);
    QCOMPARE(backupCaller.starts, QVariantList{QVariant(QString("Receiving Backup Data"))});
    const auto backup = backupCaller.finishes.first().value<BulkReceiveCommandResult>();
    QVERIFY(backup.succeeded);
    QCOMPARE(backup.data.size(), 655336);
    const QList<QByteArray> savePictures = keyboardModel->allDataLcdPictures(true);
    QCOMPARE(station.keyboard.lcdPicture(), savePictures.at(5));

    // Changed after the backup, then restored.
    Caller changeCaller;
    etc::AlwaysYesChecker overwrite;
    station.communicator.registerBulkSendCommand(Dsp, 4, patternData(300, 6), "Other", &overwrite,
                                                 ExpectedArea(), changeCaller.connections());
    QTRY_COMPARE_WITH_TIMEOUT(changeCaller.finishes.size(), 1, Patience);
    QVERIFY(!(station.keyboard.memory() == original));
    Caller restoreCaller;

    station.communicator.registerAllDataBulkSendCommand(backup.data, "Sending \"PRV-3100.AL7\"",
                                                        restoreCaller.connections());

    QTRY_COMPARE_WITH_TIMEOUT(restoreCaller.finishes.size(), 1, Patience);
    QCOMPARE(restoreCaller.starts, QVariantList{QVariant(QString("Sending \"PRV-3100.AL7\""))});
    QCOMPARE(restoreCaller.finishes.first().value<BulkSendCommandResult>(),
             (BulkSendCommandResult{0, 31, 0}));
    QVERIFY(station.keyboard.memory() == original);
    QCOMPARE(station.keyboard.lcdPicture(), keyboardModel->allDataLcdPictures(false).last());
}

void tst_BulkRegistration::areaDelete_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<bool>("deletable");

    QTest::newRow("song") << 33 << true;
    QTest::newRow("music preset") << 37 << true;
    QTest::newRow("rhythm") << 36 << true;
    QTest::newRow("tone") << 3 << false;
    QTest::newRow("registration") << 34 << false;
    QTest::newRow("all data") << 31 << false;
    QTest::newRow("no category") << 20 << false;
}

void tst_BulkRegistration::areaDelete() {
    QFETCH(int, category);
    QFETCH(bool, deletable);

    emu::FaultPlan faults;
    faults.deleteTimeMs = 50;
    Station station("registration-delete", "PRV-1200", faults, [&](emu::KeyboardMemory& memory) {
        memory.setAreaData(category, 1, patternData(700, 7));
    });
    QVERIFY(station.communicator.isConnected());
    QSignalSpy heavy(&station.communicator, &KeyboardCommunicator::newHeavyCommandRegistered);
    Caller caller;

    const bool queued =
        station.communicator.registerAreaDeleteCommand(category, 1, "Area 2", caller.connections());

    QCOMPARE(queued, deletable);
    if (!deletable) {
        QCOMPARE(heavy.count(), 0);
        QTest::qWait(100);
        QVERIFY(caller.starts.isEmpty());
        QVERIFY(station.keyboard.messages().isEmpty());
        return;
    }
    QCOMPARE(heavy.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);
    QCOMPARE(caller.starts.first().value<AreaDeleteCommandInfo>(),
             (AreaDeleteCommandInfo{"Area 2", category, 1}));
    QCOMPARE(caller.finishes.first().value<AreaDeleteCommandResult>(),
             (AreaDeleteCommandResult{category, 1, 0}));
    QCOMPARE(caller.progress.last(), qMakePair(100, 100));
    QVERIFY(!station.keyboard.memory().isAreaUsed(category, 1));
}

void tst_BulkRegistration::endAndRejectCommands() {
    Station station("registration-end", "PRV-1200");
    QVERIFY(station.communicator.isConnected());

    QVERIFY(station.communicator.registerMultipleBulkSendEndCommand(36, 4));
    QTRY_COMPARE_WITH_TIMEOUT(station.keyboard.messages().size(), 2, Patience);
    QVERIFY(station.communicator.registerRejectCommand(37, 5));
    QTRY_COMPARE_WITH_TIMEOUT(station.keyboard.messages().size(), 4, Patience);

    const auto sent = station.keyboard.messages();
    QCOMPARE(sent.at(0).type, int(MessageType::EXI));
    QCOMPARE(sent.at(1).type, int(MessageType::EBS));
    QCOMPARE(TransferKeyboard::addressOf(sent.at(1).bytes), (BlockAddress{36, 2, 4}));
    QVERIFY(sent.at(1).atMs - sent.at(0).atMs >= 95);
    QCOMPARE(sent.at(2).type, int(MessageType::EXI));
    QCOMPARE(sent.at(3).type, int(MessageType::RJC));
    QCOMPARE(TransferKeyboard::addressOf(sent.at(3).bytes), (BlockAddress{37, 2, 5}));
    QVERIFY(sent.at(3).atMs - sent.at(2).atMs >= 95);
    // The keyboard answers neither.
    for (const auto& message : sent)
        QCOMPARE(message.from, From::Program);
}

void tst_BulkRegistration::endCommandWaitsForTransfers() {
    Station station("registration-end-waits", "PRV-1200", slowReplies(20));
    QVERIFY(station.communicator.isConnected());
    KeyboardCommunicator& communicator = station.communicator;
    Caller caller;

    // While a transfer waits in the queue.
    const std::shared_ptr<Gate> gate = holdCommunicationThread(communicator);
    QTRY_VERIFY_WITH_TIMEOUT(gate->isWaiting(), Patience);
    communicator.registerBulkSendCommand(Dsp, 0, patternData(6000), "Slow", nullptr, ExpectedArea(),
                                         caller.connections());
    QVERIFY(communicator.hasQueuedCommands(KeyboardCommunicator::TransferLevel));
    QVERIFY(!communicator.registerMultipleBulkSendEndCommand(Dsp, 0));

    // While it runs.
    gate->open();
    QTRY_VERIFY_WITH_TIMEOUT(!caller.progress.isEmpty(), Patience);
    QVERIFY(!communicator.hasQueuedCommands(KeyboardCommunicator::TransferLevel));
    QVERIFY(BulkDumpCommand::isBulkTransferRunning());
    QVERIFY(!communicator.registerMultipleBulkSendEndCommand(Dsp, 0));

    // Once it is over.
    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(!BulkDumpCommand::isBulkTransferRunning(), Patience);
    QCOMPARE(station.keyboard.count(From::Program, MessageType::EBS), 1);
    QVERIFY(communicator.registerMultipleBulkSendEndCommand(Dsp, 0));
    QTRY_COMPARE_WITH_TIMEOUT(station.keyboard.count(From::Program, MessageType::EBS), 2, Patience);
}

void tst_BulkRegistration::failedTransferCancelsTheQueuedOnes() {
    Station station("registration-chain", "PRV-1200");
    QVERIFY(station.communicator.isConnected());
    Caller first;
    Caller second;
    Caller third;
    const std::shared_ptr<Gate> gate = holdCommunicationThread(station.communicator);

    // More than a rhythm area takes.
    station.communicator.registerBulkSendCommand(36, 0, patternData(32765), "Too big", nullptr,
                                                 ExpectedArea(), first.connections());
    station.communicator.registerBulkSendCommand(Dsp, 1, patternData(100), "Next", nullptr,
                                                 ExpectedArea(), second.connections());
    station.communicator.registerBulkReceiveCommand(Dsp, 1, "Last", third.connections());
    gate->open();

    QTRY_COMPARE_WITH_TIMEOUT(third.finishes.size(), 1, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(second.finishes.size(), 1, Patience);
    QCOMPARE(first.finishes.first().value<BulkSendCommandResult>().errorCode,
             int(CommandErrorCode::MemoryFull));
    QCOMPARE(second.finishes.first().value<BulkSendCommandResult>().errorCode,
             int(CommandErrorCode::Canceled));
    QCOMPARE(third.finishes.first().value<BulkReceiveCommandResult>().errorCode,
             int(CommandErrorCode::Canceled));
    // The cancelled ones never talked to the keyboard.
    QCOMPARE(station.keyboard.count(From::Program, MessageType::SBS), 0);
    QVERIFY(station.keyboard.areaData(Dsp, 1).isEmpty());
}

void tst_BulkRegistration::cancelAndSuspendSourcesReachTheTransfer() {
    Station station("registration-sources", "PRV-1200", slowReplies(20));
    QVERIFY(station.communicator.isConnected());
    Caller caller;
    station.communicator.registerBulkSendCommand(Dsp, 6, patternData(4000), "Long", nullptr,
                                                 ExpectedArea(), caller.connections());
    QTRY_VERIFY_WITH_TIMEOUT(caller.progress.size() >= 1, Patience);

    emit caller.suspendChanged(true);
    QTRY_VERIFY_WITH_TIMEOUT(station.keyboard.count(From::Program, MessageType::EXI) >= 2,
                             Patience);
    const int blocksWhileSuspended = station.keyboard.count(From::Program, MessageType::HBS);
    QTest::qWait(600);
    QCOMPARE(station.keyboard.count(From::Program, MessageType::HBS), blocksWhileSuspended);
    emit caller.suspendChanged(false);
    QTRY_VERIFY_WITH_TIMEOUT(
        station.keyboard.count(From::Program, MessageType::HBS) > blocksWhileSuspended, Patience);
    emit caller.cancelPressed();

    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);
    QCOMPARE(caller.finishes.first().value<BulkSendCommandResult>().errorCode,
             int(CommandErrorCode::Canceled));
    QCOMPARE(station.keyboard.transferFromProgram().last().type, int(MessageType::RJC));
    QVERIFY(station.keyboard.areaData(Dsp, 6).isEmpty());
}

void tst_BulkRegistration::songSendTellsWhenItCanNoLongerBeCancelled() {
    Station station("registration-song", "PRV-1200");
    QVERIFY(station.communicator.isConnected());
    Caller caller;
    const QByteArray song = patternData(2500, 8);

    station.communicator.registerBulkSendCommand(33, 3, song, "Song", nullptr, ExpectedArea(),
                                                 caller.connections());

    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);
    QCOMPARE(caller.cancelDisables, 1);
    QCOMPARE(station.keyboard.areaData(33, 3), song);
}

QTEST_GUILESS_MAIN(tst_BulkRegistration)
#include "tst_BulkRegistration.moc"
