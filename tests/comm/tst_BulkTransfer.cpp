// Sends and receives of single areas against the virtual keyboard: what goes
// over the wire, what the keyboard stores, what the commands report.
#include "KeyboardFixture.h"
#include "TransferLink.h"

#include "comm/BulkReceiveCommand.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommand.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/MusicPresetBulkSendCommand.h"
#include "data/KeyboardInfo.h"
#include "emu/AreaNaming.h"
#include "emu/ParameterKey.h"
#include "etc/AlwaysYesChecker.h"
#include "etc/GenericChecker.h"
#include "midi/DeviceHandler.h"
#include "sysex/HBSDecoder.h"
#include "sysex/IPSDecoder.h"
#include "sysex/MessageType.h"

#include <QBuffer>
#include <QFile>
#include <QtTest>

using namespace zel::qmix;
using namespace zel::qmix::comm;
using sysex::BlockAddress;
using sysex::MessageType;
using Types = QList<int>;

namespace {

constexpr int ShortReplyTimeoutMs = 300;
const QString LoadingPicture(":/lcd/loading.lcd");
const QString SavingPicture(":/lcd/saving.lcd");

QByteArray resource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const data::KeyboardInfo* model(const QString& name) {
    const data::KeyboardInfo* found = data::KeyboardInfo::find(name);
    Q_ASSERT(found);
    return found;
}

int blockCount(qsizetype bytes) {
    return int((bytes + BulkDumpCommand::BlockSize - 1) / BulkDumpCommand::BlockSize);
}

Types repeated(int type, int count) {
    return Types(count, type);
}

// The data of every HBS the program sent for one address.
QList<QByteArray> blocksSentTo(const TransferKeyboard& keyboard, const BlockAddress& address) {
    QList<QByteArray> blocks;
    for (const auto& message : keyboard.transferFromProgram()) {
        if (message.type != MessageType::HBS ||
            TransferKeyboard::addressOf(message.bytes) != address)
            continue;
        sysex::HBSDecoder decoder;
        decoder.decode(message.bytes);
        blocks.append(decoder.data());
    }
    return blocks;
}

BlockAddress dataAddress(int category, int area) {
    return BlockAddress{category, BulkDumpCommand::DataSubAddress, area};
}

// A send command with its data in a buffer, as the communicator builds it.
struct SendSetup {
    SendSetup(midi::DeviceHandler* handler, int category, int area, const QByteArray& data)
        : command(handler, category, area, nullptr) {
        auto* buffer = new QBuffer(&command);
        buffer->setData(data);
        command.setDevice(buffer);
        command.setReplyTimeoutMs(ShortReplyTimeoutMs);
    }
    BulkSendCommand command;
};

struct ReceiveSetup {
    ReceiveSetup(midi::DeviceHandler* handler, int category, int area)
        : command(handler, category, area, nullptr) {
        command.setDevice(new QBuffer(&command));
        command.setReplyTimeoutMs(ShortReplyTimeoutMs);
    }
    BulkReceiveCommand command;
};

// Answers as told and keeps the keyboard waiting twice while "asking".
class AnsweringChecker : public etc::GenericChecker {
public:
    explicit AnsweringChecker(bool answer)
        : answer_(answer) {}

    bool check(QVariant subject) override {
        subjects.append(subject);
        emit waitRequired();
        emit waitRequired();
        return answer_;
    }

    QList<QVariant> subjects;

private:
    bool answer_;
};

// Everything of a keyboard test: the keyboard and the program's open ports.
using Link = TransferLink;

} // namespace

class tst_BulkTransfer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();
    void replaceQuestion_data();
    void replaceQuestion();
    void expectedArea_data();
    void expectedArea();
    void notEnoughMemoryEndsBeforeTheTransfer();
    void emptyDataIsNeverSent();
    void emptyAreaReceiveFails();
    void toneSendWritesTheToneParametersBack();
    void musicPresetIsClearedBeforeItIsSent();
    void plainSendToAUsedPresetIsRefusedByTheseModels();
    void presetThatStaysUsedFailsTheSend();
};

void tst_BulkTransfer::initTestCase() {
    QCOMPARE(resource(LoadingPicture).size(), 280);
    QCOMPARE(resource(SavingPicture).size(), 280);
}

void tst_BulkTransfer::roundTrip_data() {
    QTest::addColumn<QString>("modelName");
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("picturePause");
    QTest::addColumn<int>("closing");

    QTest::newRow("DSP, one full block")
        << "PRV-1200" << 19 << 5 << 203 << false << int(MessageType::EBS);
    QTest::newRow("rhythm, a full block and one byte")
        << "PRV-1200" << 36 << 2 << 204 << true << int(MessageType::EBS);
    QTest::newRow("scale memory") << "QS-1" << 18 << 0 << 64 << false << int(MessageType::EBS);
    QTest::newRow("second generation closes with EXI")
        << "PRV-3200" << 19 << 7 << 1000 << false << int(MessageType::EXI);
    QTest::newRow("second generation registration")
        << "PRV-2100" << 34 << 0 << 1024 << false << int(MessageType::EXI);
    QTest::newRow("songs always close with EBS")
        << "PRV-3200" << 33 << 1 << 5000 << true << int(MessageType::EBS);
}

void tst_BulkTransfer::roundTrip() {
    QFETCH(QString, modelName);
    QFETCH(int, category);
    QFETCH(int, area);
    QFETCH(int, size);
    QFETCH(bool, picturePause);
    QFETCH(int, closing);

    const data::KeyboardInfo* keyboardModel = model(modelName);
    Link link("bulk-round-trip", keyboardModel);
    QVERIFY(link.connected);
    const QByteArray data = patternData(size, category);
    const bool exi = keyboardModel->isSecondGeneration();

    // Registration and scale memories always hold data.
    etc::AlwaysYesChecker overwrite;
    SendSetup send(&link.handler, category, area, data);
    send.command.setChecker(&overwrite);
    send.command.setEndsWithExi(exi);
    send.command.setLcdPicturePath(LoadingPicture);
    const CommandRun sent = runCommand(send.command);

    QCOMPARE(sent.errorCode, int(CommandErrorCode::NoError));
    QCOMPARE(sent.result.value<BulkSendCommandResult>(),
             (BulkSendCommandResult{0, category, area}));
    QCOMPARE(link.keyboard.areaData(category, area), data);
    QCOMPARE(link.keyboard.lcdPicture(), resource(LoadingPicture));
    const int pictureBlocks = blockCount(resource(LoadingPicture).size());
    Types expected = Types{MessageType::SBS} + repeated(MessageType::HBS, pictureBlocks) +
                     Types{MessageType::ESS};
    if (picturePause)
        expected << MessageType::EXI;
    expected += repeated(MessageType::HBS, blockCount(size)) + Types{MessageType::ESS, closing};
    QCOMPARE(link.keyboard.transferTypesFromProgram(), expected);
    const QList<QByteArray> blocks = blocksSentTo(link.keyboard, dataAddress(category, area));
    QCOMPARE(blocks.size(), blockCount(size));
    QCOMPARE(blocks.last().size(), size - (blockCount(size) - 1) * BulkDumpCommand::BlockSize);
    QCOMPARE(blocks.join(), data);
    if (closing == MessageType::EBS)
        QCOMPARE(TransferKeyboard::addressOf(link.keyboard.transferFromProgram().last().bytes),
                 dataAddress(category, area));
    QCOMPARE(sent.progress.last(), qMakePair(size, size));
    for (int k = 1; k < sent.progress.size(); ++k)
        QVERIFY(sent.progress.at(k).first >= sent.progress.at(k - 1).first);

    link.keyboard.clearLog();
    ReceiveSetup receive(&link.handler, category, area);
    receive.command.setEndsWithExi(exi);
    const CommandRun received = runCommand(receive.command);

    QCOMPARE(received.errorCode, int(CommandErrorCode::NoError));
    const auto result = received.result.value<BulkReceiveCommandResult>();
    QVERIFY(result.succeeded);
    QCOMPARE(result.data, data);
    QCOMPARE(result.category, category);
    QCOMPARE(result.areaNumber, area);
    const emu::KeyboardMemory memory = link.keyboard.memory();
    QCOMPARE(result.name, emu::AreaNaming::name(memory.layout(), category, area, data));
    QCOMPARE(link.keyboard.lcdPicture(), resource(SavingPicture));
    const Types expectedReceive = Types{MessageType::SBS} +
                                  repeated(MessageType::HBS, pictureBlocks) +
                                  Types{MessageType::ESS, MessageType::SBS, MessageType::HBR} +
                                  repeated(MessageType::ACK, blockCount(size) + 1) +
                                  Types{exi ? int(MessageType::EXI) : int(MessageType::EBS)};
    QCOMPARE(link.keyboard.transferTypesFromProgram(), expectedReceive);
    QCOMPARE(received.progress.last(), qMakePair(size, size));
}

void tst_BulkTransfer::replaceQuestion_data() {
    QTest::addColumn<int>("checkerKind"); // 0 none, 1 declines, 2 agrees
    QTest::newRow("no checker") << 0;
    QTest::newRow("declined") << 1;
    QTest::newRow("agreed") << 2;
}

void tst_BulkTransfer::replaceQuestion() {
    QFETCH(int, checkerKind);

    const QByteArray old = patternData(500, 1);
    const QByteArray fresh = patternData(700, 2);
    Link link("bulk-replace", model("PRV-1200"),
              [&](emu::KeyboardMemory& memory) { memory.setAreaData(19, 9, old); });
    QVERIFY(link.connected);
    AnsweringChecker checker(checkerKind == 2);

    SendSetup send(&link.handler, 19, 9, fresh);
    if (checkerKind != 0)
        send.command.setChecker(&checker);
    const CommandRun run = runCommand(send.command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::NoError));
    if (checkerKind != 0) {
        QCOMPARE(checker.subjects.size(), 1);
        QCOMPARE(checker.subjects.first().value<BulkSendCommandResult>(),
                 (BulkSendCommandResult{CommandErrorCode::ReplaceQuestion, 19, 9}));
        // The keyboard was kept waiting while the question was open.
        QCOMPARE(link.keyboard.transferTypesFromProgram().mid(0, 2),
                 (Types{MessageType::EXI, MessageType::EXI}));
    }
    if (checkerKind != 2) {
        QCOMPARE(link.keyboard.count(TransferKeyboard::From::Program, MessageType::SBS), 0);
        QCOMPARE(link.keyboard.count(TransferKeyboard::From::Program, MessageType::HBS), 0);
        QCOMPARE(link.keyboard.areaData(19, 9), old);
        return;
    }
    QCOMPARE(link.keyboard.areaData(19, 9), fresh);
}

void tst_BulkTransfer::expectedArea_data() {
    QTest::addColumn<bool>("used");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("expectedCode");

    // Tone 5 holds 300 bytes; the keyboard names it "Tone 5".
    QTest::newRow("as seen") << true << "Tone 5" << 300 << int(CommandErrorCode::NoError);
    QTest::newRow("was empty") << false << "" << 0 << int(CommandErrorCode::DataMismatch);
    QTest::newRow("other name") << true << "Tone 6" << 300 << int(CommandErrorCode::DataMismatch);
    QTest::newRow("other size") << true << "Tone 5" << 301 << int(CommandErrorCode::DataMismatch);
}

void tst_BulkTransfer::expectedArea() {
    QFETCH(bool, used);
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(int, expectedCode);

    const QByteArray old = patternData(300, 3);
    Link link("bulk-expected", model("PRV-1200"),
              [&](emu::KeyboardMemory& memory) { memory.setAreaData(3, 4, old); });
    QVERIFY(link.connected);
    const ExpectedArea expected{true, used, name, size};

    // A receive checks first what the caller saw.
    ReceiveSetup receive(&link.handler, 3, 4);
    receive.command.setExpectedArea(expected);
    const CommandRun received = runCommand(receive.command);

    QCOMPARE(received.errorCode, expectedCode);
    const auto result = received.result.value<BulkReceiveCommandResult>();
    QCOMPARE(result.succeeded, expectedCode == 0);
    QCOMPARE(result.data, expectedCode == 0 ? old : QByteArray());
    if (expectedCode != 0)
        QCOMPARE(link.keyboard.count(TransferKeyboard::From::Program, MessageType::SBS), 0);

    link.keyboard.clearLog();
    AnsweringChecker agree(true);
    const QByteArray fresh = patternData(400, 4);
    SendSetup send(&link.handler, 3, 4, fresh);
    send.command.setChecker(&agree);
    send.command.setExpectedArea(expected);
    const CommandRun sent = runCommand(send.command);

    QCOMPARE(sent.errorCode, expectedCode);
    QCOMPARE(sent.result.value<BulkSendCommandResult>().errorCode, expectedCode);
    QCOMPARE(link.keyboard.areaData(3, 4), expectedCode == 0 ? fresh : old);
    if (expectedCode != 0) {
        QCOMPARE(link.keyboard.count(TransferKeyboard::From::Program, MessageType::SBS), 0);
        QVERIFY(agree.subjects.isEmpty());
    }
}

void tst_BulkTransfer::notEnoughMemoryEndsBeforeTheTransfer() {
    Link link("bulk-capacity", model("PRV-1200"));
    QVERIFY(link.connected);
    // A rhythm area takes at most 32764 bytes.
    SendSetup send(&link.handler, 36, 0, patternData(32765));

    const CommandRun run = runCommand(send.command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::MemoryFull));
    QCOMPARE(run.result.value<BulkSendCommandResult>(),
             (BulkSendCommandResult{CommandErrorCode::MemoryFull, 36, 0}));
    QCOMPARE(link.keyboard.count(TransferKeyboard::From::Program, MessageType::SBS), 0);

    SendSetup fits(&link.handler, 36, 0, patternData(32764));
    QCOMPARE(runCommand(fits.command).errorCode, int(CommandErrorCode::NoError));
}

void tst_BulkTransfer::emptyDataIsNeverSent() {
    Link link("bulk-empty-data", model("PRV-1200"));
    QVERIFY(link.connected);
    SendSetup send(&link.handler, 19, 0, QByteArray());
    send.command.setLcdPicturePath(LoadingPicture);

    const CommandRun run = runCommand(send.command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::FileFormatError));
    QVERIFY(link.keyboard.messages().isEmpty());
}

void tst_BulkTransfer::emptyAreaReceiveFails() {
    Link link("bulk-empty-area", model("PRV-1200"));
    QVERIFY(link.connected);
    ReceiveSetup receive(&link.handler, 19, 12);

    const CommandRun run = runCommand(receive.command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::CommunicationError));
    const auto result = run.result.value<BulkReceiveCommandResult>();
    QCOMPARE(result, (BulkReceiveCommandResult{false, 0x31, 0, QByteArray(), QString(),
                                               CommandErrorCode::CommunicationError}));
    QCOMPARE(link.keyboard.count(TransferKeyboard::From::Program, MessageType::SBS), 0);
}

void tst_BulkTransfer::toneSendWritesTheToneParametersBack() {
    QVector<qint32> stored;
    for (int index = 0; index < 32; ++index)
        stored.append((index * 37 + 5) & 0x3FFF);
    Link link("bulk-tone", model("PRV-1200"), [&](emu::KeyboardMemory& memory) {
        for (int index = 0; index < 32; ++index) {
            emu::ParameterKey key;
            key.category = 2;
            key.indexes = {index, 0, 0, 0};
            key.id = 106;
            memory.setParameter(key, stored.at(index));
        }
    });
    QVERIFY(link.connected);
    const QByteArray tone = patternData(600, 9);
    SendSetup send(&link.handler, 3, 7, tone);

    const CommandRun run = runCommand(send.command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::NoError));
    QCOMPARE(link.keyboard.areaData(3, 7), tone);
    // After the transfer: EXI, 32 reads, EXI, 32 writes of the values read, EXI, EXI.
    QList<TransferKeyboard::Message> after;
    bool closed = false;
    for (const auto& message : link.keyboard.messages()) {
        if (message.from != TransferKeyboard::From::Program)
            continue;
        if (closed)
            after.append(message);
        closed = closed || message.type == MessageType::EBS;
    }
    QCOMPARE(after.size(), 68);
    QCOMPARE(after.at(0).type, int(MessageType::EXI));
    QCOMPARE(after.at(33).type, int(MessageType::EXI));
    QCOMPARE(after.at(66).type, int(MessageType::EXI));
    QCOMPARE(after.at(67).type, int(MessageType::EXI));
    for (int index = 0; index < 32; ++index) {
        const QByteArray& read = after.at(1 + index).bytes;
        QCOMPARE(after.at(1 + index).type, int(MessageType::IPR));
        QCOMPARE(int(read.at(6)), 2);                              // parameter category
        QCOMPARE(int(read.at(16)) | int(read.at(17)) << 7, index); // index 0
        QCOMPARE(int(read.at(18)) | int(read.at(19)) << 7, 106);
        sysex::IPSDecoder write;
        write.decode(after.at(34 + index).bytes);
        QCOMPARE(write.category(), 2);
        QCOMPARE(write.parameterId(), 106);
        QCOMPARE(int(after.at(34 + index).bytes.at(16)), index & 0x7F);
        QCOMPARE(write.values(), QVector<qint32>{stored.at(index)});
    }
    // The pause lets the keyboard settle between the last two EXI.
    QVERIFY(after.at(67).atMs - after.at(66).atMs >= 990);
}

void tst_BulkTransfer::musicPresetIsClearedBeforeItIsSent() {
    const QByteArray old = patternData(2000, 5);
    const QByteArray fresh = patternData(1500, 6);
    Link link("bulk-preset-clear", model("PRV-1100"),
              [&](emu::KeyboardMemory& memory) { memory.setAreaData(37, 3, old); });
    QVERIFY(link.connected);
    AnsweringChecker agree(true);
    MusicPresetBulkSendCommand command(&link.handler, 3, nullptr,
                                       model("PRV-1100")->musicPresetDeleteTime());
    auto* buffer = new QBuffer(&command);
    buffer->setData(fresh);
    command.setDevice(buffer);
    command.setChecker(&agree);
    command.setReplyTimeoutMs(ShortReplyTimeoutMs);

    const CommandRun run = runCommand(command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::NoError));
    QCOMPARE(link.keyboard.areaData(37, 3), fresh);
    // The clearing write comes before the transfer opens.
    int clearAt = -1;
    int openAt = -1;
    const auto messages = link.keyboard.messages();
    for (int k = 0; k < messages.size(); ++k) {
        if (messages.at(k).from != TransferKeyboard::From::Program)
            continue;
        if (messages.at(k).bytes == parameterWrite(39, 0))
            clearAt = k;
        if (messages.at(k).type == MessageType::SBS && openAt < 0)
            openAt = k;
    }
    QVERIFY(clearAt >= 0);
    QVERIFY(clearAt < openAt);
}

void tst_BulkTransfer::plainSendToAUsedPresetIsRefusedByTheseModels() {
    const QByteArray old = patternData(2000, 5);
    Link link("bulk-preset-plain", model("PRV-1100"),
              [&](emu::KeyboardMemory& memory) { memory.setAreaData(37, 3, old); });
    QVERIFY(link.connected);
    AnsweringChecker agree(true);
    SendSetup send(&link.handler, 37, 3, patternData(1500, 6));
    send.command.setChecker(&agree);

    const CommandRun run = runCommand(send.command);

    // The keyboard's RJC ends the transfer at once.
    QCOMPARE(run.errorCode, int(CommandErrorCode::CommunicationError));
    QCOMPARE(link.keyboard.count(TransferKeyboard::From::Program, MessageType::ERR), 0);
    QCOMPARE(link.keyboard.areaData(37, 3), old);
}

void tst_BulkTransfer::presetThatStaysUsedFailsTheSend() {
    KeyboardFixture fixture("bulk-preset-stays");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(29, {1});
    fixture.keyboard->setParameter(37, {100000});
    MusicPresetBulkSendCommand command(&fixture.handler, 3, nullptr, 100);
    auto* buffer = new QBuffer(&command);
    buffer->setData(patternData(100));
    command.setDevice(buffer);
    AnsweringChecker agree(true);
    command.setChecker(&agree);
    command.setReplyTimeoutMs(ShortReplyTimeoutMs);

    const CommandRun run = runCommand(command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::CommunicationError));
    QByteArrayList sent;
    for (const auto& message : fixture.keyboard->received())
        sent << message.bytes;
    QVERIFY(sent.contains(parameterWrite(39, 0)));
    QCOMPARE(fixture.keyboard->received().last().bytes, parameterRequest(29, 0, 0));
    for (const auto& message : fixture.keyboard->received())
        QVERIFY(message.type == 0 || message.type == 1 || message.type == MessageType::EXI);
}

QTEST_GUILESS_MAIN(tst_BulkTransfer)
#include "tst_BulkTransfer.moc"
