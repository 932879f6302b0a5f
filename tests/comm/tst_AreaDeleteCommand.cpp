// Deleting one keyboard area: the picture, the order, the wait with its
// progress curve, and the rewrite that follows.
#include "TransferLink.h"

#include "comm/AreaDeleteCommand.h"
#include "comm/AreaDeleteCommandResult.h"
#include "data/KeyboardInfo.h"
#include "emu/ParameterKey.h"
#include "midi/DeviceHandler.h"
#include "sysex/IPSDecoder.h"
#include "sysex/MessageType.h"

#include <QFile>
#include <QtTest>

using namespace zel::qmix;
using namespace zel::qmix::comm;
using sysex::BlockAddress;
using sysex::MessageType;
using From = TransferKeyboard::From;

namespace {

constexpr int ShortReplyTimeoutMs = 300;
constexpr int ExpectedTimeMs = 200;
// The keyboard takes one and a half times the expected time.
constexpr int KeyboardTimeMs = 300;
constexpr qint32 StoredSetting = 1;

QByteArray deletingPicture() {
    QFile file(":/lcd/deleting.lcd");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using Link = TransferLink;

emu::FaultPlan slowDeletion() {
    emu::FaultPlan faults;
    faults.deleteTimeMs = KeyboardTimeMs;
    return faults;
}

TransferKeyboard::Preparation holding(int category, int area, int size) {
    return [=](emu::KeyboardMemory& memory) {
        memory.setAreaData(category, area, patternData(size, category));
        emu::ParameterKey setting;
        setting.category = 2;
        setting.id = 4;
        memory.setParameter(setting, StoredSetting);
    };
}

struct ParameterMessage {
    int type = -1;
    int category = -1;
    int id = -1;
    int offset = -1;
    QVector<qint32> values;
};

ParameterMessage parameterOf(const TransferKeyboard::Message& message) {
    ParameterMessage parsed;
    parsed.type = message.type;
    const QByteArray& bytes = message.bytes;
    parsed.category = bytes.at(6);
    parsed.id = bytes.at(18) | bytes.at(19) << 7;
    parsed.offset = bytes.at(20) | bytes.at(21) << 7;
    if (message.type == MessageType::IPS) {
        sysex::IPSDecoder decoder;
        decoder.decode(bytes);
        parsed.values = decoder.values();
    }
    return parsed;
}

QList<TransferKeyboard::Message> fromProgram(const TransferKeyboard& keyboard) {
    QList<TransferKeyboard::Message> sent;
    for (const auto& message : keyboard.messages()) {
        if (message.from == From::Program)
            sent.append(message);
    }
    return sent;
}

// The progress the command reports on each timer tick before the end.
QList<QPair<int, int>> curveUpTo(int ticks) {
    QList<QPair<int, int>> curve;
    for (int tick = 1; tick <= ticks; ++tick)
        curve.append(qMakePair(AreaDeleteCommand::progressPercent(tick * 10, ExpectedTimeMs), 100));
    return curve;
}

} // namespace

class tst_AreaDeleteCommand : public QObject {
    Q_OBJECT

private slots:
    void progressCurve_data();
    void progressCurve();
    void deletion_data();
    void deletion();
    void areaThatStaysUsedFails();
    void silentKeyboardIsGivenAtLeastFiveSeconds();
    void cancelTakesEffectAtTheLastMessage();
};

void tst_AreaDeleteCommand::progressCurve_data() {
    QTest::addColumn<int>("elapsed");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("percent");

    QTest::newRow("start") << 0 << 1000 << 0;
    QTest::newRow("first tick") << 10 << 1000 << 0;
    QTest::newRow("half") << 500 << 1000 << 45;
    QTest::newRow("just before") << 999 << 1000 << 89;
    QTest::newRow("expected time") << 1000 << 1000 << 90;
    QTest::newRow("one and a half") << 1500 << 1000 << 93;
    QTest::newRow("just before twice") << 1999 << 1000 << 96;
    QTest::newRow("twice") << 2000 << 1000 << 97;
    QTest::newRow("two and a half") << 2500 << 1000 << 98;
    QTest::newRow("three times") << 3000 << 1000 << 99;
    QTest::newRow("long after") << 600000 << 1000 << 99;
    QTest::newRow("no expected time") << 100 << 0 << 99;
}

void tst_AreaDeleteCommand::progressCurve() {
    QFETCH(int, elapsed);
    QFETCH(int, expected);
    QFETCH(int, percent);

    QCOMPARE(AreaDeleteCommand::progressPercent(elapsed, expected), percent);
}

void tst_AreaDeleteCommand::deletion_data() {
    QTest::addColumn<QString>("modelName");
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("area");

    QTest::newRow("song") << "PRV-1200" << 33 << 2;
    QTest::newRow("music preset") << "PRV-3200" << 37 << 10;
    QTest::newRow("rhythm") << "PRV-1100" << 36 << 4;
}

void tst_AreaDeleteCommand::deletion() {
    QFETCH(QString, modelName);
    QFETCH(int, category);
    QFETCH(int, area);

    Link link("delete-area", data::KeyboardInfo::find(modelName), slowDeletion(),
              holding(category, area, 3000));
    QVERIFY(link.connected);
    QVERIFY(link.keyboard.memory().isAreaUsed(category, area));
    AreaDeleteCommand command(&link.handler, category, area, ExpectedTimeMs);
    command.setReplyTimeoutMs(ShortReplyTimeoutMs);

    const CommandRun run = runCommand(command);

    QCOMPARE(run.errorCode, 0);
    QCOMPARE(run.result.value<AreaDeleteCommandResult>(),
             (AreaDeleteCommandResult{category, area, 0}));
    QVERIFY(!link.keyboard.memory().isAreaUsed(category, area));
    QCOMPARE(command.replyTimeoutMs(), ShortReplyTimeoutMs);

    // The curve, tick by tick, then 100 once the keyboard has confirmed.
    QVERIFY(run.progress.size() >= 2);
    QCOMPARE(run.progress.last(), qMakePair(100, 100));
    QCOMPARE(run.progress.mid(0, run.progress.size() - 1), curveUpTo(int(run.progress.size()) - 1));

    const auto sent = fromProgram(link.keyboard);
    QCOMPARE(sent.size(), 31 + 4 + 1 + 2);
    const QByteArray picture = deletingPicture();
    for (int k = 0; k < 31; ++k) {
        const ParameterMessage piece = parameterOf(sent.at(k));
        QCOMPARE(piece.type, int(MessageType::IPS));
        QCOMPARE(piece.category, 48);
        QCOMPARE(piece.id, 0);
        QCOMPARE(piece.offset, 9 * k);
        QCOMPARE(piece.values.size(), 9);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(piece.values.at(i), qint32(quint8(picture.at(9 * k + i))));
    }
    QCOMPARE(link.keyboard.lcdPicture(), picture.left(279));
    const QList<QPair<int, qint32>> writes{{26, 2}, {25, category}, {27, area}, {39, 0}};
    for (int k = 0; k < writes.size(); ++k) {
        const ParameterMessage write = parameterOf(sent.at(31 + k));
        QCOMPARE(write.category, 0);
        QCOMPARE(write.id, writes.at(k).first);
        QCOMPARE(write.values, QVector<qint32>{writes.at(k).second});
    }
    const ParameterMessage asked = parameterOf(sent.at(35));
    QCOMPARE(asked.type, int(MessageType::IPR));
    QCOMPARE(asked.id, 29);
    const ParameterMessage read = parameterOf(sent.at(36));
    QCOMPARE(read.type, int(MessageType::IPR));
    QCOMPARE(read.category, 2);
    QCOMPARE(read.id, 4);
    const ParameterMessage rewrite = parameterOf(sent.at(37));
    QCOMPARE(rewrite.type, int(MessageType::IPS));
    QCOMPARE(rewrite.category, 2);
    QCOMPARE(rewrite.id, 4);
    QCOMPARE(rewrite.values, QVector<qint32>{StoredSetting});
}

void tst_AreaDeleteCommand::areaThatStaysUsedFails() {
    // The keyboard deletes no tones: the area stays in use.
    Link link("delete-stays", data::KeyboardInfo::find(QStringLiteral("PRV-1200")), slowDeletion(),
              holding(3, 5, 400));
    QVERIFY(link.connected);
    AreaDeleteCommand command(&link.handler, 3, 5, ExpectedTimeMs);
    command.setReplyTimeoutMs(ShortReplyTimeoutMs);

    const CommandRun run = runCommand(command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::CommunicationError));
    QCOMPARE(run.result.value<AreaDeleteCommandResult>(),
             (AreaDeleteCommandResult{3, 5, CommandErrorCode::CommunicationError}));
    for (const auto& report : run.progress)
        QVERIFY(report.first < 100);
    QVERIFY(link.keyboard.memory().isAreaUsed(3, 5));
    // The setting is still written back.
    QCOMPARE(parameterOf(fromProgram(link.keyboard).last()).id, 4);
}

void tst_AreaDeleteCommand::silentKeyboardIsGivenAtLeastFiveSeconds() {
    emu::FaultPlan faults = slowDeletion();
    // Takes the picture and the order, then says nothing any more.
    faults.silentAfter = 31 + 4;
    Link link("delete-silent", data::KeyboardInfo::find(QStringLiteral("PRV-1200")), faults,
              holding(33, 1, 1000));
    QVERIFY(link.connected);
    AreaDeleteCommand command(&link.handler, 33, 1, ExpectedTimeMs);
    command.setReplyTimeoutMs(ShortReplyTimeoutMs);
    QElapsedTimer clock;
    clock.start();

    const CommandRun run = runCommand(command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::CommunicationError));
    QVERIFY2(clock.elapsed() >= AreaDeleteCommand::MinReplyTimeoutMs,
             qPrintable(QString::number(clock.elapsed())));
    for (const auto& report : run.progress)
        QVERIFY(report.first < 100);
    // A keyboard that did not answer is not asked again.
    QCOMPARE(parameterOf(fromProgram(link.keyboard).last()).id, 29);
    QCOMPARE(command.replyTimeoutMs(), ShortReplyTimeoutMs);
}

void tst_AreaDeleteCommand::cancelTakesEffectAtTheLastMessage() {
    Link link("delete-cancel", data::KeyboardInfo::find(QStringLiteral("PRV-1200")), slowDeletion(),
              holding(36, 7, 2000));
    QVERIFY(link.connected);
    AreaDeleteCommand command(&link.handler, 36, 7, ExpectedTimeMs);
    command.setReplyTimeoutMs(ShortReplyTimeoutMs);
    // The progress display's cancel button, pressed while the keyboard works.
    connect(
        &command, &AbstractCommand::progress, &command, [&] { command.cancel(); },
        Qt::DirectConnection);

    const CommandRun run = runCommand(command);

    QCOMPARE(run.errorCode, int(CommandErrorCode::Canceled));
    QCOMPARE(run.result.value<AreaDeleteCommandResult>().errorCode,
             int(CommandErrorCode::Canceled));
    QVERIFY(!link.keyboard.memory().isAreaUsed(36, 7));
    const auto last = fromProgram(link.keyboard).last();
    QCOMPARE(last.type, int(MessageType::RJC));
    QCOMPARE(TransferKeyboard::addressOf(last.bytes), (BlockAddress{36, 2, 7}));
}

QTEST_GUILESS_MAIN(tst_AreaDeleteCommand)
#include "tst_AreaDeleteCommand.moc"
