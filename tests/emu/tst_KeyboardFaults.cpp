#include "KeyboardHarness.h"

#include "data/Zq10Info.h"
#include "sysex/HBSDecoder.h"
#include "sysex/MessageType.h"
#include "sysex/msg_error.h"

#include <QtTest>

using namespace zel::qmix;
using sysex::BlockAddress;
using sysex::MessageType;

namespace {

const data::KeyboardInfo* prv1100() {
    return data::Zq10Info::instance();
}

QByteArray pattern(int size) {
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(i * 13 + 1);
    return data;
}

// The msg_error code an HBS decoder throws for `message`, 0 if it decodes.
int blockError(const QByteArray& message) {
    sysex::HBSDecoder decoder;
    try {
        decoder.decode(message);
    } catch (const sysex::msg_error& error) {
        return error.code();
    }
    return 0;
}

// A keyboard with 500 bytes in tone area 2, to be read back in three blocks.
std::unique_ptr<emu::VirtualKeyboard> keyboardWithTone(const emu::FaultPlan& faults) {
    auto keyboard = std::make_unique<emu::VirtualKeyboard>(prv1100(), faults);
    emu::KeyboardMemory memory = keyboard->memory();
    memory.setAreaData(3, 2, pattern(500));
    keyboard->setMemory(memory);
    return keyboard;
}

} // namespace

class tst_KeyboardFaults : public QObject {
    Q_OBJECT

private slots:
    void droppedReplyToTheNthMessage();
    void droppedRepliesToAType();
    void corruptedBlocks_data();
    void corruptedBlocks();
    void rejectedAcknowledgements_data();
    void rejectedAcknowledgements();
    void silentAfterSomeMessages();
    void delayedReplies();
    void deleteTime_data();
    void deleteTime();
};

void tst_KeyboardFaults::droppedReplyToTheNthMessage() {
    emu::FaultPlan faults;
    faults.dropRepliesTo = emu::Occurrences::only({2});
    KeyboardHarness harness(prv1100(), faults);
    QCOMPARE(harness.exchange(KeyboardHarness::ipr(0, 24)).size(), 1);
    QVERIFY(harness.exchange(KeyboardHarness::ipr(0, 0, 7)).isEmpty());
    // The keyboard believes it answered: asked again, it repeats the answer.
    const QByteArray repeated = harness.reply(KeyboardHarness::err(0));
    QCOMPARE(repeated.mid(18, 2), QByteArray::fromHex("0000"));
    QCOMPARE(repeated.mid(24, 8), QByteArray("PRV-1100"));
    QCOMPARE(harness.exchange(KeyboardHarness::ipr(0, 24)).size(), 1);
}

void tst_KeyboardFaults::droppedRepliesToAType() {
    emu::FaultPlan faults;
    faults.dropReplyTypes = {MessageType::HBS};
    KeyboardHarness harness(prv1100(), faults);
    const BlockAddress address = KeyboardHarness::dataAddress(3, 1);
    QCOMPARE(harness.reply(KeyboardHarness::sbs(3)), KeyboardHarness::ack(BlockAddress()));
    for (int block = 0; block < 2; ++block) {
        QVERIFY(harness.exchange(KeyboardHarness::hbs(address, pattern(100))).isEmpty());
        // The PC's time-out and ERR bring the acknowledgement after all.
        QCOMPARE(harness.reply(KeyboardHarness::err(0)), KeyboardHarness::ack(address));
    }
    QCOMPARE(harness.reply(KeyboardHarness::ess(address)), KeyboardHarness::ack(address));
    QCOMPARE(harness.keyboard().memory().areaData(3, 1), pattern(100) + pattern(100));
}

void tst_KeyboardFaults::corruptedBlocks_data() {
    QTest::addColumn<QString>("blocks");
    QTest::addColumn<QList<int>>("firstTries");
    QTest::addColumn<QList<int>>("repeats");
    // Three blocks, each answered with ERR when it arrives damaged; -1 where
    // no repeat was asked for. A repeat counts as a block sent, too.
    QTest::newRow("the second") << "2" << QList<int>{0, 2, 0} << QList<int>{-1, 0, -1};
    QTest::newRow("the first and third") << "1,3" << QList<int>{2, 2, 0} << QList<int>{0, 0, -1};
    QTest::newRow("all") << "all" << QList<int>{2, 2, 2} << QList<int>{2, 2, 2};
}

void tst_KeyboardFaults::corruptedBlocks() {
    QFETCH(QString, blocks);
    emu::FaultPlan faults;
    QVERIFY(emu::Occurrences::parse(blocks, faults.corruptBlocks));
    KeyboardHarness harness(keyboardWithTone(faults));
    const BlockAddress address = KeyboardHarness::dataAddress(3, 2);

    harness.exchange(KeyboardHarness::sbs(2));
    QByteArray message = harness.reply(KeyboardHarness::hbr(address));
    QList<int> firstTries, repeats;
    QByteArray received;
    while (KeyboardHarness::typeOf(message) == MessageType::HBS) {
        firstTries.append(blockError(message));
        if (firstTries.constLast() != 0) {
            message = harness.reply(KeyboardHarness::err(firstTries.constLast()));
            repeats.append(blockError(message));
        } else {
            repeats.append(-1);
        }
        sysex::HBSDecoder decoder;
        if (blockError(message) == 0) {
            decoder.decode(message);
            received += decoder.data();
        }
        message = harness.reply(KeyboardHarness::ack(address));
    }
    QTEST(firstTries, "firstTries");
    QTEST(repeats, "repeats");
    QCOMPARE(message, KeyboardHarness::ess(address));
    // The copy kept for repeats is always the intact one.
    if (!repeats.contains(2))
        QCOMPARE(received, pattern(500));
}

void tst_KeyboardFaults::rejectedAcknowledgements_data() {
    QTest::addColumn<QString>("acknowledgements");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<bool>("stored");
    // SBS, two blocks, ESS: four acknowledgements when nothing goes wrong.
    const int ack = MessageType::ACK;
    const int rjc = MessageType::RJC;
    QTest::newRow("none") << QString() << QList<int>{ack, ack, ack, ack} << true;
    QTest::newRow("the SBS") << "1" << QList<int>{rjc, ack, ack, ack} << true;
    // After an RJC the element is over: the next block starts a new one,
    // which then holds that block alone.
    QTest::newRow("the first block") << "2" << QList<int>{ack, rjc, ack, ack} << false;
    QTest::newRow("the ESS") << "4" << QList<int>{ack, ack, ack, rjc} << false;
    QTest::newRow("all") << "all" << QList<int>{rjc, rjc, rjc, rjc} << false;
}

void tst_KeyboardFaults::rejectedAcknowledgements() {
    QFETCH(QString, acknowledgements);
    QFETCH(bool, stored);
    emu::FaultPlan faults;
    if (!acknowledgements.isEmpty())
        QVERIFY(emu::Occurrences::parse(acknowledgements, faults.rejectAcks));
    KeyboardHarness harness(prv1100(), faults);
    const BlockAddress address = KeyboardHarness::dataAddress(3, 5);
    const QByteArray data = pattern(300);

    QList<int> answers;
    answers.append(KeyboardHarness::typeOf(harness.reply(KeyboardHarness::sbs(3))));
    answers.append(
        KeyboardHarness::typeOf(harness.reply(KeyboardHarness::hbs(address, data.left(203)))));
    answers.append(
        KeyboardHarness::typeOf(harness.reply(KeyboardHarness::hbs(address, data.mid(203)))));
    answers.append(KeyboardHarness::typeOf(harness.reply(KeyboardHarness::ess(address))));
    QTEST(answers, "answers");
    // An element refused part-way is never stored in part.
    const QByteArray area = harness.keyboard().memory().areaData(3, 5);
    QCOMPARE(area == data, stored);
    QVERIFY(area.isEmpty() || area == data || area == data.mid(203));
}

void tst_KeyboardFaults::silentAfterSomeMessages() {
    emu::FaultPlan faults;
    faults.silentAfter = 3;
    KeyboardHarness harness(prv1100(), faults);
    const BlockAddress address = KeyboardHarness::dataAddress(3, 0);
    QCOMPARE(harness.exchange(KeyboardHarness::ipr(0, 24)).size(), 1);
    QCOMPARE(harness.exchange(KeyboardHarness::sbs(3)).size(), 1);
    QCOMPARE(harness.exchange(KeyboardHarness::hbs(address, "abc")).size(), 1);
    QVERIFY(harness.exchange(KeyboardHarness::ess(address)).isEmpty());
    QVERIFY(harness.exchange(KeyboardHarness::err(0)).isEmpty());
    QVERIFY(harness.exchange(KeyboardHarness::ipr(0, 24)).isEmpty());
    // A silent keyboard takes nothing in either.
    QVERIFY(!harness.keyboard().memory().isAreaUsed(3, 0));
    QCOMPARE(harness.keyboard().receivedCount(), 3);
}

void tst_KeyboardFaults::delayedReplies() {
    emu::FaultPlan faults;
    faults.replyDelayMs = 150;
    KeyboardHarness harness(prv1100(), faults);
    const QList<QByteArray> questions = {
        KeyboardHarness::ipr(0, 24), KeyboardHarness::sbs(3),
        KeyboardHarness::hbs(KeyboardHarness::dataAddress(36, 0), "x"), KeyboardHarness::err(0)};
    for (const QByteArray& question : questions) {
        const QList<KeyboardHarness::Reply> answers = harness.exchange(question);
        QCOMPARE(answers.size(), 1);
        QCOMPARE(answers.first().delayMs, 150);
    }
    // A deletion adds its own time.
    harness.select(36, 0);
    harness.exchange(KeyboardHarness::ips(0, 39, {0}));
    const QList<KeyboardHarness::Reply> answers = harness.exchange(KeyboardHarness::ipr(0, 29));
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers.first().delayMs, 800 + 150);
}

void tst_KeyboardFaults::deleteTime_data() {
    QTest::addColumn<int>("deleteTimeMs");
    QTest::addColumn<int>("expectedDelayMs");
    QTest::newRow("the model's") << -1 << 800;
    QTest::newRow("longer") << 12345 << 12345;
    QTest::newRow("instant") << 0 << 0;
}

void tst_KeyboardFaults::deleteTime() {
    QFETCH(int, deleteTimeMs);
    emu::FaultPlan faults;
    faults.deleteTimeMs = deleteTimeMs;
    KeyboardHarness harness(prv1100(), faults);
    QVERIFY(harness.sendArea(37, 3, "CMPS preset"));
    harness.select(37, 3);
    harness.exchange(KeyboardHarness::ips(0, 39, {0}));
    const QList<KeyboardHarness::Reply> answers = harness.exchange(KeyboardHarness::ipr(0, 29));
    QCOMPARE(answers.size(), 1);
    QTEST(answers.first().delayMs, "expectedDelayMs");
}

QTEST_GUILESS_MAIN(tst_KeyboardFaults)
#include "tst_KeyboardFaults.moc"
