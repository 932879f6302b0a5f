// The block handshake when things go wrong: lost and damaged messages,
// refusals, cancels, pauses and blocks that arrive twice.
#include "TransferLink.h"

#include "comm/BulkReceiveCommand.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommand.h"
#include "comm/BulkSendCommandResult.h"
#include "data/KeyboardInfo.h"
#include "midi/DeviceHandler.h"
#include "sysex/HBSEncoder.h"
#include "sysex/MessageType.h"

#include <QBuffer>
#include <QtTest>

#include <thread>

using namespace zel::qmix;
using namespace zel::qmix::comm;
using sysex::BlockAddress;
using sysex::MessageType;
using From = TransferKeyboard::From;

namespace {

constexpr int ShortReplyTimeoutMs = 300;
constexpr int Dsp = 19;

const data::KeyboardInfo* prv1200() {
    return data::KeyboardInfo::find(QStringLiteral("PRV-1200"));
}

BlockAddress dataAddress(int category, int area) {
    return BlockAddress{category, BulkDumpCommand::DataSubAddress, area};
}

struct Link : TransferLink {
    Link(const QString& name, const emu::FaultPlan& faults = {},
         const TransferKeyboard::Preparation& prepare = {})
        : TransferLink(name, prv1200(), faults, prepare) {}
};

struct Send {
    Send(midi::DeviceHandler* handler, int category, int area, const QByteArray& data)
        : command(handler, category, area, nullptr) {
        auto* buffer = new QBuffer(&command);
        buffer->setData(data);
        command.setDevice(buffer);
        command.setReplyTimeoutMs(ShortReplyTimeoutMs);
    }
    BulkSendCommand command;
};

struct Receive {
    Receive(midi::DeviceHandler* handler, int category, int area)
        : command(handler, category, area, nullptr) {
        command.setDevice(new QBuffer(&command));
        command.setReplyTimeoutMs(ShortReplyTimeoutMs);
    }
    BulkReceiveCommand command;
};

TransferKeyboard::Preparation holding(int category, int area, const QByteArray& data) {
    return [=](emu::KeyboardMemory& memory) { memory.setAreaData(category, area, data); };
}

// The codes of the ERR messages the program sent.
QList<int> errCodes(const TransferKeyboard& keyboard) {
    QList<int> codes;
    for (const auto& message : keyboard.transferFromProgram()) {
        if (message.type == MessageType::ERR)
            codes.append(message.bytes.at(6));
    }
    return codes;
}

TransferKeyboard::Loss lose(int type, const QList<int>& occurrences) {
    return [=](int t, int occurrence) { return t == type && occurrences.contains(occurrence); };
}

} // namespace

class tst_BulkReliability : public QObject {
    Q_OBJECT

private slots:
    void lostAcknowledgements_data();
    void lostAcknowledgements();
    void lostBlockIsRepeated();
    void damagedBlocks_data();
    void damagedBlocks();
    void refusalFromTheKeyboard_data();
    void refusalFromTheKeyboard();
    void cancelTurnsTheNextMessageIntoRjc_data();
    void cancelTurnsTheNextMessageIntoRjc();
    void songCannotBeCancelledOnceItsBlocksAreIn();
    void suspendedSendKeepsTheKeyboardWaiting();
    void cancelEndsASuspendedSend();
    void blockDeliveredTwiceIsNeverKept_data();
    void blockDeliveredTwiceIsNeverKept();
    void otherDevicesSysexIsPassedOver();
    void blockOfAnotherAreaIsNeverTaken();
    void silenceIsWaitedOutForFourSecondsByDefault();
    void withoutPortsEverythingFailsAtOnce();
};

void tst_BulkReliability::lostAcknowledgements_data() {
    QTest::addColumn<QList<int>>("lost");
    QTest::addColumn<int>("expectedCode");
    QTest::addColumn<QList<int>>("expectedErrs");

    // ACK 1 answers the SBS, ACK 3 the second block; after an ERR the
    // keyboard repeats its ACK, which is the next one counted.
    QTest::newRow("once") << QList<int>{3} << 0 << QList<int>{0};
    QTest::newRow("three times") << QList<int>{3, 4, 5} << 0 << QList<int>{0, 0, 0};
    QTest::newRow("four times") << QList<int>{3, 4, 5, 6} << int(CommandErrorCode::Rejected)
                                << QList<int>{0, 0, 0};
    QTest::newRow("the end's") << QList<int>{7} << 0 << QList<int>{0};
}

void tst_BulkReliability::lostAcknowledgements() {
    QFETCH(QList<int>, lost);
    QFETCH(int, expectedCode);
    QFETCH(QList<int>, expectedErrs);

    Link link("reliability-lost-ack");
    QVERIFY(link.connected);
    link.keyboard.loseFromKeyboard(lose(MessageType::ACK, lost));
    const QByteArray data = patternData(1000); // 5 blocks
    Send send(&link.handler, Dsp, 6, data);

    const CommandRun run = runCommand(send.command);

    QCOMPARE(run.errorCode, expectedCode);
    QCOMPARE(errCodes(link.keyboard), expectedErrs);
    if (expectedCode == 0) {
        QCOMPARE(link.keyboard.areaData(Dsp, 6), data);
        return;
    }
    // Given up: RJC for the element, and the keyboard keeps nothing.
    const auto last = link.keyboard.transferFromProgram().last();
    QCOMPARE(last.type, int(MessageType::RJC));
    QCOMPARE(TransferKeyboard::addressOf(last.bytes), dataAddress(Dsp, 6));
    QVERIFY(link.keyboard.areaData(Dsp, 6).isEmpty());
    QCOMPARE(run.result.value<BulkSendCommandResult>(),
             (BulkSendCommandResult{CommandErrorCode::Rejected, Dsp, 6}));
}

void tst_BulkReliability::lostBlockIsRepeated() {
    const QByteArray data = patternData(1000, 3);
    Link link("reliability-lost-block", {}, holding(Dsp, 2, data));
    QVERIFY(link.connected);
    link.keyboard.loseFromKeyboard(lose(MessageType::HBS, {2}));
    Receive receive(&link.handler, Dsp, 2);

    const CommandRun run = runCommand(receive.command);

    QCOMPARE(run.errorCode, 0);
    QCOMPARE(errCodes(link.keyboard), QList<int>{0});
    QCOMPARE(run.result.value<BulkReceiveCommandResult>().data, data);
}

void tst_BulkReliability::damagedBlocks_data() {
    QTest::addColumn<bool>("every");
    QTest::addColumn<int>("expectedCode");
    QTest::addColumn<QList<int>>("expectedErrs");

    QTest::newRow("one") << false << 0 << QList<int>{2};
    QTest::newRow("all") << true << int(CommandErrorCode::Rejected) << QList<int>{2, 2, 2};
}

void tst_BulkReliability::damagedBlocks() {
    QFETCH(bool, every);
    QFETCH(int, expectedCode);
    QFETCH(QList<int>, expectedErrs);

    const QByteArray data = patternData(1000, 4);
    emu::FaultPlan faults;
    faults.corruptBlocks = every ? emu::Occurrences::every() : emu::Occurrences::only({2});
    Link link("reliability-damaged", faults, holding(Dsp, 3, data));
    QVERIFY(link.connected);
    Receive receive(&link.handler, Dsp, 3);

    const CommandRun run = runCommand(receive.command);

    QCOMPARE(run.errorCode, expectedCode);
    QCOMPARE(errCodes(link.keyboard), expectedErrs);
    const auto result = run.result.value<BulkReceiveCommandResult>();
    QCOMPARE(result.succeeded, expectedCode == 0);
    QCOMPARE(result.data, expectedCode == 0 ? data : QByteArray());
    QCOMPARE(result.errorCode, expectedCode);
}

void tst_BulkReliability::refusalFromTheKeyboard_data() {
    QTest::addColumn<bool>("receiving");
    QTest::addColumn<int>("refusedAck");

    QTest::newRow("send, second block") << false << 3;
    QTest::newRow("send, end of the element") << false << 7;
    QTest::newRow("receive, start") << true << 1;
}

void tst_BulkReliability::refusalFromTheKeyboard() {
    QFETCH(bool, receiving);
    QFETCH(int, refusedAck);

    const QByteArray stored = patternData(1000, 5);
    emu::FaultPlan faults;
    faults.rejectAcks = emu::Occurrences::only({refusedAck});
    Link link("reliability-refusal", faults, holding(Dsp, 4, stored));
    QVERIFY(link.connected);
    Send send(&link.handler, Dsp, 8, patternData(1000, 6));
    Receive receive(&link.handler, Dsp, 4);
    BulkSendCommand& command = receiving ? receive.command : send.command;
    // The full time-out: a refusal taken for silence would show as ERRs.
    command.setReplyTimeoutMs(AbstractCommand::DefaultReplyTimeoutMs);

    const CommandRun run = runCommand(command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::CommunicationError));
    QCOMPARE(errCodes(link.keyboard), QList<int>());
    // Nothing more is said to a keyboard that has refused.
    const auto messages = link.keyboard.messages();
    QCOMPARE(messages.last().from, From::Keyboard);
    QCOMPARE(messages.last().type, int(MessageType::RJC));
    if (receiving) {
        const auto result = run.result.value<BulkReceiveCommandResult>();
        QVERIFY(!result.succeeded);
        QVERIFY(result.data.isEmpty());
        QCOMPARE(result.errorCode, int(CommandErrorCode::CommunicationError));
    } else {
        QVERIFY(link.keyboard.areaData(Dsp, 8).isEmpty());
    }
}

void tst_BulkReliability::cancelTurnsTheNextMessageIntoRjc_data() {
    QTest::addColumn<bool>("receiving");
    QTest::newRow("send") << false;
    QTest::newRow("receive") << true;
}

void tst_BulkReliability::cancelTurnsTheNextMessageIntoRjc() {
    QFETCH(bool, receiving);

    const QByteArray stored = patternData(2000, 7);
    Link link("reliability-cancel", {}, holding(Dsp, 4, stored));
    QVERIFY(link.connected);
    Send send(&link.handler, Dsp, 9, patternData(2000, 8));
    Receive receive(&link.handler, Dsp, 4);
    BulkSendCommand& command = receiving ? receive.command : send.command;
    connect(
        &command, &AbstractCommand::progress, &command,
        [&command](int done, int) {
            if (done >= 2 * BulkDumpCommand::BlockSize)
                command.cancel();
        },
        Qt::DirectConnection);

    const CommandRun run = runCommand(command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::Canceled));
    const auto transfer = link.keyboard.transferFromProgram();
    QCOMPARE(transfer.last().type, int(MessageType::RJC));
    const int area = receiving ? 4 : 9;
    QCOMPARE(TransferKeyboard::addressOf(transfer.last().bytes), dataAddress(Dsp, area));
    QCOMPARE(link.keyboard.count(From::Program, MessageType::EBS), 0);
    if (receiving) {
        QCOMPARE(link.keyboard.count(From::Program, MessageType::ACK), 1);
        const auto result = run.result.value<BulkReceiveCommandResult>();
        QVERIFY(!result.succeeded);
        QVERIFY(result.data.isEmpty());
        QCOMPARE(result.errorCode, int(CommandErrorCode::Canceled));
    } else {
        QCOMPARE(link.keyboard.count(From::Program, MessageType::HBS), 2);
        QVERIFY(link.keyboard.areaData(Dsp, 9).isEmpty());
        QCOMPARE(run.result.value<BulkSendCommandResult>().errorCode,
                 int(CommandErrorCode::Canceled));
    }
}

void tst_BulkReliability::songCannotBeCancelledOnceItsBlocksAreIn() {
    Link link("reliability-song");
    QVERIFY(link.connected);
    const QByteArray song = patternData(3000, 9);
    Send send(&link.handler, 33, 2, song);
    // The progress display asks to cancel as soon as it may no longer.
    connect(
        &send.command, &AbstractCommand::cancelDisableRequested, &send.command,
        [&] { send.command.cancel(); }, Qt::DirectConnection);

    const CommandRun run = runCommand(send.command);

    QCOMPARE(run.errorCode, 0);
    QCOMPARE(run.cancelDisableRequests, 1);
    QCOMPARE(link.keyboard.transferFromProgram().last().type, int(MessageType::EBS));
    QCOMPARE(link.keyboard.areaData(33, 2), song);
}

void tst_BulkReliability::suspendedSendKeepsTheKeyboardWaiting() {
    Link link("reliability-suspend");
    QVERIFY(link.connected);
    const QByteArray data = patternData(2000, 10);
    Send send(&link.handler, Dsp, 11, data);
    std::thread resumer;
    connect(
        &send.command, &AbstractCommand::progress, &send.command,
        [&](int done, int) {
            if (done != 3 * BulkDumpCommand::BlockSize)
                return;
            send.command.setSuspended(true);
            resumer = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(1100));
                send.command.setSuspended(false);
            });
        },
        Qt::DirectConnection);

    const CommandRun run = runCommand(send.command);
    resumer.join();

    QCOMPARE(run.errorCode, 0);
    QCOMPARE(link.keyboard.areaData(Dsp, 11), data);
    // Between the third and the fourth block only EXI went out, every 256 ms.
    const auto transfer = link.keyboard.transferFromProgram();
    QList<qint64> keepAlives;
    int blocks = 0;
    qint64 resumedAt = -1;
    for (const auto& message : transfer) {
        if (message.type == MessageType::HBS) {
            if (++blocks == 4) {
                resumedAt = message.atMs;
                break;
            }
        } else if (blocks == 3) {
            QCOMPARE(message.type, int(MessageType::EXI));
            keepAlives.append(message.atMs);
        }
    }
    QVERIFY2(keepAlives.size() >= 4, qPrintable(QString::number(keepAlives.size())));
    for (int k = 1; k < keepAlives.size(); ++k)
        QVERIFY(keepAlives.at(k) - keepAlives.at(k - 1) >= 250);
    QVERIFY(resumedAt - keepAlives.last() >= 250);
}

void tst_BulkReliability::cancelEndsASuspendedSend() {
    Link link("reliability-suspend-cancel");
    QVERIFY(link.connected);
    Send send(&link.handler, Dsp, 12, patternData(2000, 11));
    std::thread canceller;
    connect(
        &send.command, &AbstractCommand::progress, &send.command,
        [&](int done, int) {
            if (done != BulkDumpCommand::BlockSize)
                return;
            send.command.setSuspended(true);
            canceller = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(600));
                send.command.cancel();
            });
        },
        Qt::DirectConnection);

    const CommandRun run = runCommand(send.command);
    canceller.join();

    QCOMPARE(run.errorCode, int(CommandErrorCode::Canceled));
    QVERIFY(send.command.isSuspended());
    QCOMPARE(link.keyboard.count(From::Program, MessageType::HBS), 1);
    QVERIFY(link.keyboard.count(From::Program, MessageType::EXI) >= 2);
    QCOMPARE(link.keyboard.transferFromProgram().last().type, int(MessageType::RJC));
}

void tst_BulkReliability::blockDeliveredTwiceIsNeverKept_data() {
    QTest::addColumn<int>("lostAck");
    // Our ACK of a block is lost; the keyboard answers our ERR with that
    // block again.
    QTest::newRow("a middle block") << 2;
    QTest::newRow("the last block") << 5;
}

void tst_BulkReliability::blockDeliveredTwiceIsNeverKept() {
    QFETCH(int, lostAck);

    const QByteArray data = patternData(1000, 12); // 5 blocks
    Link link("reliability-twice", {}, holding(Dsp, 5, data));
    QVERIFY(link.connected);
    link.keyboard.loseFromProgram(lose(MessageType::ACK, {lostAck}));
    Receive receive(&link.handler, Dsp, 5);

    const CommandRun run = runCommand(receive.command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::CommunicationError));
    const auto result = run.result.value<BulkReceiveCommandResult>();
    QCOMPARE(result, (BulkReceiveCommandResult{false, 0x31, 0, QByteArray(), QString(),
                                               CommandErrorCode::CommunicationError}));
    QCOMPARE(errCodes(link.keyboard), QList<int>{0});
    const auto last = link.keyboard.transferFromProgram().last();
    QCOMPARE(last.type, int(MessageType::RJC));
    QCOMPARE(TransferKeyboard::addressOf(last.bytes), dataAddress(Dsp, 5));

    // The RJC took the keyboard out of the transfer: the next one works.
    link.keyboard.loseFromProgram({});
    Receive again(&link.handler, Dsp, 5);
    const CommandRun second = runCommand(again.command);
    QCOMPARE(second.errorCode, 0);
    QCOMPARE(second.result.value<BulkReceiveCommandResult>().data, data);
}

void tst_BulkReliability::otherDevicesSysexIsPassedOver() {
    const QByteArray data = patternData(700, 13);
    Link link("reliability-noise", {}, holding(Dsp, 1, data));
    QVERIFY(link.connected);
    // A universal identity request, as another device on the cable might send.
    link.keyboard.setNoise(QByteArray::fromHex("F07E7F0601F7"));

    Receive receive(&link.handler, Dsp, 1);
    const CommandRun received = runCommand(receive.command);
    Send send(&link.handler, Dsp, 13, data);
    const CommandRun sent = runCommand(send.command);

    QCOMPARE(received.errorCode, 0);
    QCOMPARE(received.result.value<BulkReceiveCommandResult>().data, data);
    QCOMPARE(sent.errorCode, 0);
    QCOMPARE(link.keyboard.areaData(Dsp, 13), data);
    QCOMPARE(errCodes(link.keyboard), QList<int>());
}

void tst_BulkReliability::blockOfAnotherAreaIsNeverTaken() {
    const QByteArray data = patternData(700, 14);
    Link link("reliability-other-area", {}, holding(Dsp, 1, data));
    QVERIFY(link.connected);
    // Just ahead of the area's second block, a sound block of another area.
    QByteArray stray;
    sysex::HBSEncoder(dataAddress(Dsp, 2), patternData(50, 15)).encode(stray);
    link.keyboard.injectBefore(MessageType::HBS, 2, stray);
    Receive receive(&link.handler, Dsp, 1);

    const CommandRun run = runCommand(receive.command);

    // The stray block is answered as a malformed one; the keyboard then
    // repeats its block, which arrives twice: the element is refused.
    QCOMPARE(errCodes(link.keyboard), QList<int>{1});
    QCOMPARE(run.errorCode, int(CommandErrorCode::CommunicationError));
    const auto result = run.result.value<BulkReceiveCommandResult>();
    QVERIFY(!result.succeeded);
    QVERIFY(result.data.isEmpty());
    QCOMPARE(link.keyboard.transferFromProgram().last().type, int(MessageType::RJC));
}

void tst_BulkReliability::silenceIsWaitedOutForFourSecondsByDefault() {
    Link link("reliability-default-wait");
    QVERIFY(link.connected);
    link.keyboard.loseFromKeyboard(lose(MessageType::ACK, {2}));
    const QByteArray data = patternData(300);
    Send send(&link.handler, Dsp, 10, data);
    send.command.setReplyTimeoutMs(AbstractCommand::DefaultReplyTimeoutMs);

    const CommandRun run = runCommand(send.command);

    QCOMPARE(run.errorCode, 0);
    QCOMPARE(link.keyboard.areaData(Dsp, 10), data);
    const auto transfer = link.keyboard.transferFromProgram();
    qint64 blockAt = -1;
    qint64 errAt = -1;
    for (const auto& message : transfer) {
        if (message.type == MessageType::HBS && blockAt < 0)
            blockAt = message.atMs;
        if (message.type == MessageType::ERR)
            errAt = message.atMs;
    }
    QVERIFY(blockAt >= 0 && errAt >= 0);
    QVERIFY2(errAt - blockAt >= AbstractCommand::DefaultReplyTimeoutMs - 10,
             qPrintable(QString::number(errAt - blockAt)));
}

void tst_BulkReliability::withoutPortsEverythingFailsAtOnce() {
    midi::DeviceHandler handler;
    Send send(&handler, Dsp, 0, patternData(100));
    Receive receive(&handler, Dsp, 0);
    send.command.setReplyTimeoutMs(AbstractCommand::DefaultReplyTimeoutMs);
    receive.command.setReplyTimeoutMs(AbstractCommand::DefaultReplyTimeoutMs);
    QElapsedTimer clock;
    clock.start();

    const CommandRun sent = runCommand(send.command);
    const CommandRun received = runCommand(receive.command);

    QCOMPARE(sent.errorCode, int(CommandErrorCode::CommunicationError));
    QCOMPARE(received.errorCode, int(CommandErrorCode::CommunicationError));
    // Even a receive that ended inside a request tells its receivers why.
    const auto result = received.result.value<BulkReceiveCommandResult>();
    QCOMPARE(received.result.metaType(), QMetaType::fromType<BulkReceiveCommandResult>());
    QVERIFY(!result.succeeded);
    QCOMPARE(result.errorCode, int(CommandErrorCode::CommunicationError));
    QVERIFY2(clock.elapsed() < AbstractCommand::DefaultReplyTimeoutMs,
             qPrintable(QString::number(clock.elapsed())));
}

QTEST_GUILESS_MAIN(tst_BulkReliability)
#include "tst_BulkReliability.moc"
