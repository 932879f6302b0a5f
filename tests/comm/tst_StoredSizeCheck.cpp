// A block lost on its way to the keyboard is acknowledged as if it had
// arrived: the keyboard answers the program's ERR by repeating the
// acknowledgement of the block before. Sends therefore read back the size
// the keyboard stored, at once on first-generation models and when the
// series is closed on second-generation ones.
#include "TransferLink.h"

#include "comm/BulkSendCommand.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/MultipleBulkSendEndCommand.h"
#include "comm/OpenSendSeries.h"
#include "data/KeyboardInfo.h"
#include "midi/DeviceHandler.h"
#include "sysex/MessageType.h"

#include <QBuffer>
#include <QtTest>

using namespace zel::qmix;
using namespace zel::qmix::comm;
using sysex::MessageType;
using From = TransferKeyboard::From;

namespace {

constexpr int ShortReplyTimeoutMs = 300;
constexpr int Dsp = 19;
// Four blocks: 203 + 203 + 203 + 91.
constexpr int SentSize = 700;

using Link = TransferLink;

struct Send {
    Send(Link& link, int area, const QByteArray& data,
         const std::shared_ptr<OpenSendSeries>& series = {})
        : command(&link.handler, Dsp, area, nullptr) {
        auto* buffer = new QBuffer(&command);
        buffer->setData(data);
        command.setDevice(buffer);
        command.setReplyTimeoutMs(ShortReplyTimeoutMs);
        command.setChecksStoredSize(true);
        command.setEndsWithExi(series != nullptr);
        command.setOpenSeries(series);
    }
    BulkSendCommand command;
};

TransferKeyboard::Loss lose(int type, const QList<int>& occurrences) {
    return [=](int t, int occurrence) { return t == type && occurrences.contains(occurrence); };
}

// The types of the program's messages from the last one of `type` on.
QList<int> programTypesFromLast(const TransferKeyboard& keyboard, int type) {
    QList<int> types;
    for (const auto& message : keyboard.messages()) {
        if (message.from != From::Program)
            continue;
        if (message.type == type)
            types.clear();
        types.append(message.type);
    }
    return types;
}

} // namespace

class tst_StoredSizeCheck : public QObject {
    Q_OBJECT

private slots:
    void firstGenerationChecksAtOnce_data();
    void firstGenerationChecksAtOnce();
    void secondGenerationChecksWhenTheSeriesCloses_data();
    void secondGenerationChecksWhenTheSeriesCloses();
};

void tst_StoredSizeCheck::firstGenerationChecksAtOnce_data() {
    QTest::addColumn<QList<int>>("lostBlocks");
    QTest::addColumn<bool>("sizeUnanswered");
    QTest::addColumn<int>("expectedCode");
    QTest::addColumn<int>("storedSize");

    QTest::newRow("all blocks arrive") << QList<int>{} << false << 0 << SentSize;
    QTest::newRow("second block lost")
        << QList<int>{2} << false << int(CommandErrorCode::CommunicationError) << 497;
    QTest::newRow("last block lost")
        << QList<int>{4} << false << int(CommandErrorCode::CommunicationError) << 609;
    // Nothing proves the loss; the send's own result stands.
    QTest::newRow("size not answered") << QList<int>{2} << true << 0 << 497;
}

void tst_StoredSizeCheck::firstGenerationChecksAtOnce() {
    QFETCH(QList<int>, lostBlocks);
    QFETCH(bool, sizeUnanswered);
    QFETCH(int, expectedCode);
    QFETCH(int, storedSize);

    Link link("stored-size-first", data::KeyboardInfo::find(QStringLiteral("PRV-1200")));
    QVERIFY(link.connected);
    link.keyboard.loseFromProgram(lose(MessageType::HBS, lostBlocks));
    // The keyboard answers whether the area is used, its free space, then
    // the size stored.
    if (sizeUnanswered)
        link.keyboard.loseFromKeyboard(lose(MessageType::IPS, {3}));
    Send send(link, 4, patternData(SentSize, 5));

    const CommandRun run = runCommand(send.command);

    QCOMPARE(run.errorCode, expectedCode);
    QCOMPARE(run.result.value<BulkSendCommandResult>(),
             (BulkSendCommandResult{expectedCode, Dsp, 4}));
    QCOMPARE(link.keyboard.areaData(Dsp, 4).size(), storedSize);
    // The size is asked after the transfer has been closed.
    const QList<int> afterClose = programTypesFromLast(link.keyboard, MessageType::EBS);
    QVERIFY(afterClose.contains(int(MessageType::IPR)));
}

void tst_StoredSizeCheck::secondGenerationChecksWhenTheSeriesCloses_data() {
    QTest::addColumn<QList<int>>("lostBlocks");
    QTest::addColumn<bool>("silentAtClose");
    QTest::addColumn<int>("expectedCode");
    QTest::addColumn<int>("reportedArea");
    QTest::addColumn<int>("sizeQuestions");

    const int failed = int(CommandErrorCode::CommunicationError);
    // Each area takes four blocks; blocks are counted across the series.
    QTest::newRow("every area whole") << QList<int>{} << false << 0 << 8 << 2;
    QTest::newRow("first area short") << QList<int>{2} << false << failed << 7 << 1;
    QTest::newRow("last area short") << QList<int>{6} << false << failed << 8 << 2;
    QTest::newRow("both short, the first is named")
        << QList<int>{3, 7} << false << failed << 7 << 1;
    // Nothing proves the losses, and a keyboard that leaves one question
    // unanswered is not asked the next.
    QTest::newRow("silent at the close") << QList<int>{2, 6} << true << 0 << 8 << 1;
}

void tst_StoredSizeCheck::secondGenerationChecksWhenTheSeriesCloses() {
    QFETCH(QList<int>, lostBlocks);
    QFETCH(bool, silentAtClose);
    QFETCH(int, expectedCode);
    QFETCH(int, reportedArea);
    QFETCH(int, sizeQuestions);

    Link link("stored-size-second", data::KeyboardInfo::find(QStringLiteral("PRV-3200")));
    QVERIFY(link.connected);
    const auto series = std::make_shared<OpenSendSeries>();
    link.keyboard.loseFromProgram(lose(MessageType::HBS, lostBlocks));
    for (int area : {7, 8}) {
        link.keyboard.clearLog();
        Send send(link, area, patternData(SentSize, area), series);
        const CommandRun run = runCommand(send.command);
        // Within the series nothing tells the loss yet, and nothing may
        // follow the send's closing EXI.
        QCOMPARE(run.errorCode, 0);
        QCOMPARE(programTypesFromLast(link.keyboard, MessageType::EXI),
                 QList<int>{int(MessageType::EXI)});
    }

    link.keyboard.loseFromProgram({});
    if (silentAtClose)
        link.keyboard.loseFromKeyboard([](int, int) { return true; });
    link.keyboard.clearLog();
    MultipleBulkSendEndCommand close(&link.handler, Dsp, 8);
    close.setReplyTimeoutMs(ShortReplyTimeoutMs);
    close.setOpenSeries(series);
    const CommandRun closed = runCommand(close);

    QCOMPARE(closed.errorCode, expectedCode);
    QCOMPARE(closed.result.value<BulkSendCommandResult>(),
             (BulkSendCommandResult{expectedCode, Dsp, reportedArea}));
    const QList<int> afterClose = programTypesFromLast(link.keyboard, MessageType::EBS);
    QCOMPARE(afterClose.count(int(MessageType::IPR)), sizeQuestions);
    // The series is checked once: the next closing has nothing left to ask.
    QVERIFY(series->takeAll().isEmpty());
}

QTEST_GUILESS_MAIN(tst_StoredSizeCheck)
#include "tst_StoredSizeCheck.moc"
