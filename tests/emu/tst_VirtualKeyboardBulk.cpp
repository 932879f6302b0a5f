#include "KeyboardHarness.h"

#include "data/KeyboardInfo.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"
#include "data/Zq20BInfo.h"
#include "data/Zq21BInfo.h"
#include "sysex/Checksum.h"
#include "sysex/HBSDecoder.h"
#include "sysex/MessageType.h"
#include "sysex/SysexNumbers.h"

#include <QtTest>

using namespace zel::qmix;
using sysex::BlockAddress;
using sysex::MessageType;

Q_DECLARE_METATYPE(const data::KeyboardInfo*)

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

QByteArray pattern(int size, int seed) {
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 31 + seed * 7 + (i >> 8)) & 0xFF);
    return data;
}

// Writes a fresh checksum over an edited block, so only the edit is wrong.
QByteArray resealed(QByteArray block) {
    const qsizetype checksumAt = block.size() - 6;
    QByteArray checksum;
    sysex::SysexNumbers::write32(checksum, sysex::Checksum::crc32(block, 1, checksumAt - 1));
    block.replace(checksumAt, 5, checksum);
    return block;
}

const data::KeyboardInfo* prv1100() {
    return data::Zq10Info::instance();
}

} // namespace

class tst_VirtualKeyboardBulk : public QObject {
    Q_OBJECT

private slots:
    void sendStoresTheDataAndUpdatesMemory_data();
    void sendStoresTheDataAndUpdatesMemory();
    void badChecksumGetsErr2AndTheResendIsTaken();
    void malformedBlocksGetErr1_data();
    void malformedBlocksGetErr1();
    void lostAcknowledgementIsRepeatedOnErr();
    void refusedTargets_data();
    void refusedTargets();
    void elementEndWithoutItsBlocksIsRefused();
    void abandonedTransferStoresNothing_data();
    void abandonedTransferStoresNothing();
    void memoryFullIsRefused();
    void pictureThenDataAsTheProgramSendsThem();
    void receiveDeliversBlocksOnAcknowledgement_data();
    void receiveDeliversBlocksOnAcknowledgement();
    void receiveRepeatsTheLastBlockOnErr();
    void receiveOfAnEmptyAreaIsRefused();
    void deleteFreesTheArea_data();
    void deleteFreesTheArea();
    void deleteLeavesOtherCategoriesAlone();
    void musicPresetOverwrite_data();
    void musicPresetOverwrite();
    void backupBlockSizes_data();
    void backupBlockSizes();
    void backupAndRestoreRoundTrip_data();
    void backupAndRestoreRoundTrip();
    void damagedRestoreChangesNothing();
};

void tst_VirtualKeyboardBulk::sendStoresTheDataAndUpdatesMemory_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<qint64>("freeMemoryAfter");

    // A fresh PRV-1100 has 61423 bytes of song memory free; an area's empty
    // song (817 bytes) is given up for the new one.
    QTest::newRow("song, one byte") << 33 << 2 << 1 << 1 << 61423LL + 816;
    QTest::newRow("song, exactly one block") << 33 << 2 << 203 << 1 << 61423LL + 817 - 203;
    QTest::newRow("song, one byte more") << 33 << 4 << 204 << 2 << 61423LL + 817 - 204;
    QTest::newRow("song, several blocks") << 33 << 0 << 5000 << 25 << 61423LL + 817 - 5000;
    QTest::newRow("music preset") << 37 << 49 << 300 << 2 << 63178LL + 43 - 300;
    QTest::newRow("rhythm") << 36 << 9 << 2000 << 10 << 326480LL + 116 - 2000;
    QTest::newRow("tone") << 3 << 0 << 150 << 1 << 655320LL - 150;
}

void tst_VirtualKeyboardBulk::sendStoresTheDataAndUpdatesMemory() {
    QFETCH(int, category);
    QFETCH(int, area);
    QFETCH(int, size);
    QFETCH(int, blocks);
    KeyboardHarness harness(prv1100());
    const QByteArray data = pattern(size, area);
    const BlockAddress address = KeyboardHarness::dataAddress(category, area);

    QCOMPARE(harness.reply(KeyboardHarness::sbs(3)), hex("F0 3B 2C 01 7F 0A 00 00 00 00 F7"));
    // Every block is acknowledged with the block's own address.
    QByteArray expectedAck = hex("F0 3B 2C 01 7F 0A");
    expectedAck += char(category);
    expectedAck += char(2);
    expectedAck += char(area);
    expectedAck += hex("00 F7");
    int sentBlocks = 0;
    for (int offset = 0; offset < size; offset += 203, ++sentBlocks)
        QCOMPARE(harness.reply(KeyboardHarness::hbs(address, data.mid(offset, 203))), expectedAck);
    QCOMPARE(sentBlocks, blocks);
    QCOMPARE(harness.reply(KeyboardHarness::ess(address)), expectedAck);
    QVERIFY(harness.exchange(KeyboardHarness::ebs(address)).isEmpty());

    QCOMPARE(harness.keyboard().memory().areaData(category, area), data);
    harness.select(category, area);
    QCOMPARE(harness.system(29), 1);
    QCOMPARE(harness.system(31), size);
    QTEST(harness.system(38), "freeMemoryAfter");
}

void tst_VirtualKeyboardBulk::badChecksumGetsErr2AndTheResendIsTaken() {
    KeyboardHarness harness(prv1100());
    const BlockAddress address = KeyboardHarness::dataAddress(36, 1);
    const QByteArray data = pattern(300, 1);
    harness.exchange(KeyboardHarness::sbs(3));

    QByteArray damaged = KeyboardHarness::hbs(address, data.left(203));
    damaged[20] = char(damaged.at(20) ^ 0x10);
    QCOMPARE(harness.reply(damaged), hex("F0 3B 2C 01 7F 0F 02 F7"));
    QCOMPARE(harness.reply(KeyboardHarness::hbs(address, data.left(203))),
             KeyboardHarness::ack(address));
    QCOMPARE(harness.reply(KeyboardHarness::hbs(address, data.mid(203))),
             KeyboardHarness::ack(address));
    QCOMPARE(harness.reply(KeyboardHarness::ess(address)), KeyboardHarness::ack(address));
    // The damaged block left no trace.
    QCOMPARE(harness.keyboard().memory().areaData(36, 1), data);
}

void tst_VirtualKeyboardBulk::malformedBlocksGetErr1_data() {
    QTest::addColumn<QByteArray>("block");

    const QByteArray good = KeyboardHarness::hbs(KeyboardHarness::dataAddress(36, 1), "abcdefgh");
    QByteArray lengthTooLarge = good;
    lengthTooLarge[10] = 9;
    QTest::newRow("length field larger than the data") << resealed(lengthTooLarge);
    QByteArray lengthTooSmall = good;
    lengthTooSmall[10] = 7;
    QTest::newRow("length field smaller than the data") << resealed(lengthTooSmall);
    QTest::newRow("shorter than any block") << hex("F0 3B 2C 01 7F 05 24 02 01 00 F7");
    QByteArray noEnd = good;
    noEnd[noEnd.size() - 1] = 0x00;
    QTest::newRow("no F7") << noEnd;
}

void tst_VirtualKeyboardBulk::malformedBlocksGetErr1() {
    QFETCH(QByteArray, block);
    KeyboardHarness harness(prv1100());
    harness.exchange(KeyboardHarness::sbs(3));
    QCOMPARE(harness.reply(block), hex("F0 3B 2C 01 7F 0F 01 F7"));
    QVERIFY(!harness.keyboard().memory().isAreaUsed(36, 1));
}

void tst_VirtualKeyboardBulk::lostAcknowledgementIsRepeatedOnErr() {
    KeyboardHarness harness(prv1100());
    const BlockAddress address = KeyboardHarness::dataAddress(3, 4);
    harness.exchange(KeyboardHarness::sbs(3));
    const QByteArray ack = harness.reply(KeyboardHarness::hbs(address, "tone"));
    QCOMPARE(ack, KeyboardHarness::ack(address));
    // The PC heard nothing in time and asks again (ERR 0).
    QCOMPARE(harness.reply(KeyboardHarness::err(0)), ack);
    QCOMPARE(harness.reply(KeyboardHarness::ess(address)), ack);
    QCOMPARE(harness.keyboard().memory().areaData(3, 4), QByteArray("tone"));
}

void tst_VirtualKeyboardBulk::refusedTargets_data() {
    QTest::addColumn<const data::KeyboardInfo*>("model");
    QTest::addColumn<BlockAddress>("address");

    QTest::newRow("tone area past the last") << prv1100() << BlockAddress{3, 2, 10};
    QTest::newRow("drawbar area on a model without drawbars")
        << prv1100() << BlockAddress{3, 2, 100};
    QTest::newRow("scale memory on a model without it") << prv1100() << BlockAddress{18, 2, 0};
    QTest::newRow("user data with sub-address 0") << prv1100() << BlockAddress{33, 0, 0};
    QTest::newRow("picture with sub-address 2") << prv1100() << BlockAddress{48, 2, 0};
    QTest::newRow("backup block past the last") << prv1100() << BlockAddress{31, 2, 10};
    QTest::newRow("unknown category") << prv1100() << BlockAddress{20, 2, 0};
}

void tst_VirtualKeyboardBulk::refusedTargets() {
    QFETCH(const data::KeyboardInfo*, model);
    QFETCH(BlockAddress, address);
    KeyboardHarness harness(model);
    const emu::KeyboardMemory before = harness.keyboard().memory();
    harness.exchange(KeyboardHarness::sbs(3));
    QCOMPARE(harness.reply(KeyboardHarness::hbs(address, "data")), KeyboardHarness::rjc(address));
    QCOMPARE(harness.reply(KeyboardHarness::ess(address)), KeyboardHarness::rjc(address));
    QVERIFY(harness.keyboard().memory() == before);
}

void tst_VirtualKeyboardBulk::elementEndWithoutItsBlocksIsRefused() {
    KeyboardHarness harness(prv1100());
    const BlockAddress area1 = KeyboardHarness::dataAddress(3, 1);
    const BlockAddress area2 = KeyboardHarness::dataAddress(3, 2);
    harness.exchange(KeyboardHarness::sbs(3));
    QCOMPARE(harness.reply(KeyboardHarness::ess(area1)), KeyboardHarness::rjc(area1));
    // Blocks for one area, end for another: neither is written.
    QCOMPARE(harness.reply(KeyboardHarness::hbs(area1, "data")), KeyboardHarness::ack(area1));
    QCOMPARE(harness.reply(KeyboardHarness::ess(area2)), KeyboardHarness::rjc(area2));
    QCOMPARE(harness.reply(KeyboardHarness::ess(area1)), KeyboardHarness::rjc(area1));
    QVERIFY(!harness.keyboard().memory().isAreaUsed(3, 1));
    QVERIFY(!harness.keyboard().memory().isAreaUsed(3, 2));
}

void tst_VirtualKeyboardBulk::abandonedTransferStoresNothing_data() {
    QTest::addColumn<QByteArray>("interruption");
    const BlockAddress address = KeyboardHarness::dataAddress(33, 0);
    QTest::newRow("RJC from the PC") << KeyboardHarness::rjc(address);
    QTest::newRow("EBS before ESS") << KeyboardHarness::ebs(address);
    QTest::newRow("a new SBS") << KeyboardHarness::sbs(3);
}

void tst_VirtualKeyboardBulk::abandonedTransferStoresNothing() {
    QFETCH(QByteArray, interruption);
    KeyboardHarness harness(prv1100());
    const BlockAddress address = KeyboardHarness::dataAddress(33, 0);
    const QByteArray song = pattern(406, 3);
    harness.exchange(KeyboardHarness::sbs(3));
    QCOMPARE(harness.reply(KeyboardHarness::hbs(address, song.left(203))),
             KeyboardHarness::ack(address));
    harness.exchange(interruption);
    QCOMPARE(harness.reply(KeyboardHarness::hbs(address, song.mid(203))),
             KeyboardHarness::ack(address));
    // The blocks before the interruption are gone: the next block starts a
    // new element, and only that is stored when the PC ends it.
    QCOMPARE(harness.reply(KeyboardHarness::ess(address)), KeyboardHarness::ack(address));
    QCOMPARE(harness.keyboard().memory().areaData(33, 0), song.mid(203));
}

void tst_VirtualKeyboardBulk::memoryFullIsRefused() {
    KeyboardHarness harness(prv1100());
    // The largest song fills the song memory but for area 1's empty song.
    QVERIFY(harness.sendArea(33, 0, pattern(62240, 1)));
    harness.select(33, 1);
    QCOMPARE(harness.system(37), 817);
    QCOMPARE(harness.system(38), 0);

    const BlockAddress address = KeyboardHarness::dataAddress(33, 1);
    const QByteArray tooLarge = pattern(818, 2);
    harness.exchange(KeyboardHarness::sbs(3));
    for (int offset = 0; offset < 4 * 203; offset += 203)
        QCOMPARE(harness.reply(KeyboardHarness::hbs(address, tooLarge.mid(offset, 203))),
                 KeyboardHarness::ack(address));
    QCOMPARE(harness.reply(KeyboardHarness::hbs(address, tooLarge.mid(4 * 203))),
             KeyboardHarness::rjc(address));
    QCOMPARE(harness.keyboard().memory().areaData(33, 1), prv1100()->emptyData(33, 1));

    // Exactly the free space fits.
    QVERIFY(harness.sendArea(33, 1, tooLarge.left(817)));
}

void tst_VirtualKeyboardBulk::pictureThenDataAsTheProgramSendsThem() {
    KeyboardHarness harness(data::Zq20BInfo::instance());
    const BlockAddress picture{48, 0, 0};
    const BlockAddress song = KeyboardHarness::dataAddress(33, 3);
    const QByteArray lcd = pattern(280, 9);
    const QByteArray data = pattern(1234, 4);

    // Parameter traffic first: select, used?, free space.
    harness.select(33, 3);
    QCOMPARE(harness.system(29), 0);
    QVERIFY(harness.system(37) >= data.size());
    QCOMPARE(KeyboardHarness::typeOf(harness.reply(KeyboardHarness::sbs(3))),
             int(MessageType::ACK));
    QVERIFY(harness.sendElement(picture, lcd));
    // The picture pause: EXI, then the data follow without a new SBS.
    QVERIFY(harness.exchange(KeyboardHarness::exi()).isEmpty());
    QVERIFY(harness.sendElement(song, data));
    QVERIFY(harness.exchange(KeyboardHarness::ebs(song)).isEmpty());

    QCOMPARE(harness.keyboard().lcdPicture(), lcd);
    QCOMPARE(harness.keyboard().memory().areaData(33, 3), data);
    harness.select(33, 3);
    QCOMPARE(harness.system(29), 1);
    QCOMPARE(harness.system(31), 1234);
}

void tst_VirtualKeyboardBulk::receiveDeliversBlocksOnAcknowledgement_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("blocks");
    QTest::newRow("one byte") << 1 << QList<int>{1};
    QTest::newRow("one full block") << 203 << QList<int>{203};
    QTest::newRow("one byte more") << 204 << QList<int>{203, 1};
    QTest::newRow("several") << 500 << QList<int>{203, 203, 94};
}

void tst_VirtualKeyboardBulk::receiveDeliversBlocksOnAcknowledgement() {
    QFETCH(int, size);
    QFETCH(QList<int>, blocks);
    KeyboardHarness harness(prv1100());
    const QByteArray data = pattern(size, 5);
    QVERIFY(harness.sendArea(3, 6, data));
    const BlockAddress address = KeyboardHarness::dataAddress(3, 6);

    QCOMPARE(harness.reply(KeyboardHarness::sbs(2)), KeyboardHarness::ack(BlockAddress()));
    QByteArray received;
    QByteArray message = harness.reply(KeyboardHarness::hbr(address));
    for (const int blockSize : blocks) {
        QCOMPARE(KeyboardHarness::typeOf(message), int(MessageType::HBS));
        QVERIFY(message.size() <= 250);
        sysex::HBSDecoder decoder;
        decoder.decode(message);
        QCOMPARE(decoder.blockAddress(), address);
        QCOMPARE(int(decoder.data().size()), blockSize);
        received += decoder.data();
        // Nothing more comes until the PC acknowledges.
        QVERIFY(harness.exchange(KeyboardHarness::exi()).isEmpty());
        message = harness.reply(KeyboardHarness::ack(address));
    }
    QCOMPARE(received, data);
    QCOMPARE(message, hex("F0 3B 2C 01 7F 0D 03 02 06 00 F7"));
    QVERIFY(harness.exchange(KeyboardHarness::ack(address)).isEmpty());
    QVERIFY(harness.exchange(KeyboardHarness::ebs(address)).isEmpty());
}

void tst_VirtualKeyboardBulk::receiveRepeatsTheLastBlockOnErr() {
    KeyboardHarness harness(prv1100());
    const QByteArray data = pattern(450, 6);
    QVERIFY(harness.sendArea(36, 2, data));
    const BlockAddress address = KeyboardHarness::dataAddress(36, 2);

    harness.exchange(KeyboardHarness::sbs(2));
    const QByteArray first = harness.reply(KeyboardHarness::hbr(address));
    // Checksum error, malformed, nothing in time: the same block each time.
    for (const int code : {2, 1, 0})
        QCOMPARE(harness.reply(KeyboardHarness::err(code)), first);
    const QByteArray second = harness.reply(KeyboardHarness::ack(address));
    QVERIFY(second != first);
    QCOMPARE(harness.reply(KeyboardHarness::err(2)), second);
    harness.exchange(KeyboardHarness::ack(address));
    const QByteArray end = harness.reply(KeyboardHarness::ack(address));
    QCOMPARE(end, KeyboardHarness::ess(address));
    QCOMPARE(harness.reply(KeyboardHarness::err(0)), end);
}

void tst_VirtualKeyboardBulk::receiveOfAnEmptyAreaIsRefused() {
    KeyboardHarness harness(prv1100());
    const BlockAddress address = KeyboardHarness::dataAddress(3, 0);
    harness.exchange(KeyboardHarness::sbs(2));
    QCOMPARE(harness.reply(KeyboardHarness::hbr(address)), hex("F0 3B 2C 01 7F 0B 03 02 00 00 F7"));
}

void tst_VirtualKeyboardBulk::deleteFreesTheArea_data() {
    QTest::addColumn<const data::KeyboardInfo*>("model");
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("deleteTimeMs");

    QTest::newRow("PRV-1100 song") << prv1100() << 33 << 800;
    QTest::newRow("PRV-1100 rhythm") << prv1100() << 36 << 800;
    QTest::newRow("PRV-1200 song")
        << static_cast<const data::KeyboardInfo*>(data::Zq11Info::instance()) << 33 << 2500;
    QTest::newRow("PRV-1200 music preset")
        << static_cast<const data::KeyboardInfo*>(data::Zq11Info::instance()) << 37 << 1600;
    QTest::newRow("PRV-3200 music preset")
        << static_cast<const data::KeyboardInfo*>(data::Zq21BInfo::instance()) << 37 << 1000;
}

void tst_VirtualKeyboardBulk::deleteFreesTheArea() {
    QFETCH(const data::KeyboardInfo*, model);
    QFETCH(int, category);
    QFETCH(int, deleteTimeMs);
    KeyboardHarness harness(model);
    harness.select(category, 1);
    const qint64 freeBefore = harness.system(38);
    QVERIFY(harness.sendArea(category, 1, pattern(1200, 7)));
    harness.select(category, 1);
    QVERIFY(harness.system(38) < freeBefore);

    QVERIFY(harness.exchange(KeyboardHarness::ips(0, 39, {0})).isEmpty());
    // The answer to "still used?" waits until the deletion is over.
    const QList<KeyboardHarness::Reply> answer = harness.exchange(KeyboardHarness::ipr(0, 29));
    QCOMPARE(answer.size(), 1);
    QCOMPARE(answer.first().delayMs, deleteTimeMs);
    QCOMPARE(answer.first().message.at(24), char(0));
    // Later questions are not held up once the time has passed.
    harness.advanceClock(deleteTimeMs);
    const QList<KeyboardHarness::Reply> later = harness.exchange(KeyboardHarness::ipr(0, 38));
    QCOMPARE(later.size(), 1);
    QCOMPARE(later.first().delayMs, 0);
    QCOMPARE(harness.system(38), freeBefore);
    QCOMPARE(harness.keyboard().memory().areaData(category, 1), model->emptyData(category, 1));
}

void tst_VirtualKeyboardBulk::deleteLeavesOtherCategoriesAlone() {
    KeyboardHarness harness(prv1100());
    QVERIFY(harness.sendArea(3, 1, "tone"));
    harness.select(3, 1);
    harness.exchange(KeyboardHarness::ips(0, 39, {0}));
    const QList<KeyboardHarness::Reply> answer = harness.exchange(KeyboardHarness::ipr(0, 29));
    QCOMPARE(answer.size(), 1);
    QCOMPARE(answer.first().delayMs, 0);
    QCOMPARE(harness.system(29), 1);
    // Only the value 0 deletes.
    QVERIFY(harness.sendArea(36, 1, "rhythm"));
    harness.select(36, 1);
    harness.exchange(KeyboardHarness::ips(0, 39, {1}));
    QCOMPARE(harness.system(29), 1);
}

void tst_VirtualKeyboardBulk::musicPresetOverwrite_data() {
    QTest::addColumn<const data::KeyboardInfo*>("model");
    QTest::addColumn<bool>("mustClearFirst");
    QTest::newRow("PRV-1100 clears first") << prv1100() << true;
    QTest::newRow("PRV-1200 overwrites")
        << static_cast<const data::KeyboardInfo*>(data::Zq11Info::instance()) << false;
}

void tst_VirtualKeyboardBulk::musicPresetOverwrite() {
    QFETCH(const data::KeyboardInfo*, model);
    QFETCH(bool, mustClearFirst);
    KeyboardHarness harness(model);
    const QByteArray first = "CMPS first preset";
    const QByteArray second = "CMPS second preset";
    QVERIFY(harness.sendArea(37, 5, first));
    QCOMPARE(harness.sendArea(37, 5, second), !mustClearFirst);
    if (!mustClearFirst) {
        QCOMPARE(harness.keyboard().memory().areaData(37, 5), second);
        return;
    }
    QCOMPARE(harness.keyboard().memory().areaData(37, 5), first);
    // What the music-preset send does: clear, wait for "not used", then send.
    harness.select(37, 5);
    harness.exchange(KeyboardHarness::ips(0, 39, {0}));
    QCOMPARE(harness.system(29), 0);
    QVERIFY(harness.sendArea(37, 5, second));
    QCOMPARE(harness.keyboard().memory().areaData(37, 5), second);
}

void tst_VirtualKeyboardBulk::backupBlockSizes_data() {
    QTest::addColumn<const data::KeyboardInfo*>("model");
    for (const data::KeyboardInfo* model : data::KeyboardInfo::list())
        QTest::newRow(qPrintable(model->modelName().trimmed())) << model;
}

void tst_VirtualKeyboardBulk::backupBlockSizes() {
    QFETCH(const data::KeyboardInfo*, model);
    KeyboardHarness harness(model);
    const QList<int> expected = model->allDataBlockSizes();
    // As the backup reads them: category, mode, count, then each block's size.
    harness.exchange(KeyboardHarness::ips(0, 25, {31}));
    harness.exchange(KeyboardHarness::ips(0, 26, {2}));
    QCOMPARE(harness.system(35), expected.size());
    QList<int> sizes;
    for (int i = 0; i < expected.size(); ++i) {
        harness.exchange(KeyboardHarness::ips(0, 27, {i}));
        sizes.append(int(harness.system(31)));
    }
    QCOMPARE(sizes, expected);

    const int last = int(expected.size()) - 1;
    QList<int> blocks;
    harness.exchange(KeyboardHarness::sbs(2));
    const QByteArray block =
        harness.receiveElement(KeyboardHarness::dataAddress(31, last), &blocks);
    QCOMPARE(block.size(), expected.at(last));
    QVERIFY(*std::max_element(blocks.cbegin(), blocks.cend()) <= 203);
}

void tst_VirtualKeyboardBulk::backupAndRestoreRoundTrip_data() {
    QTest::addColumn<const data::KeyboardInfo*>("model");
    QTest::newRow("PRV-1100") << prv1100();
    QTest::newRow("PRV-3100") << static_cast<const data::KeyboardInfo*>(
        data::Zq20BInfo::instance());
    QTest::newRow("QS-1") << static_cast<const data::KeyboardInfo*>(data::Zq12Info::instance());
}

void tst_VirtualKeyboardBulk::backupAndRestoreRoundTrip() {
    QFETCH(const data::KeyboardInfo*, model);
    KeyboardHarness harness(model);
    QVERIFY(harness.sendArea(33, 1, pattern(3000, 1)));
    QVERIFY(harness.sendArea(36, 0, pattern(4000, 2)));
    QVERIFY(harness.sendArea(3, 3, pattern(120, 3)));
    harness.exchange(KeyboardHarness::ips(2, 106, {77}, 0, 3));
    const emu::KeyboardMemory saved = harness.keyboard().memory();

    const QByteArray backup = harness.receiveBackup();
    const QList<int> sizes = model->allDataBlockSizes();
    QCOMPARE(backup.size(), std::accumulate(sizes.cbegin(), sizes.cend(), 0));

    harness.select(33, 1);
    harness.exchange(KeyboardHarness::ips(0, 39, {0}));
    QVERIFY(harness.sendArea(3, 4, pattern(50, 4)));
    harness.exchange(KeyboardHarness::ips(2, 106, {5}, 0, 3));
    QVERIFY(harness.keyboard().memory() != saved);

    QVERIFY(harness.sendBackup(backup));
    QVERIFY(harness.keyboard().memory() == saved);
    QCOMPARE(harness.request(2, 106, 0, 0, 3), QVector<qint32>{77});
    // A second backup reads the same bytes.
    QCOMPARE(harness.receiveBackup(), backup);
}

void tst_VirtualKeyboardBulk::damagedRestoreChangesNothing() {
    KeyboardHarness harness(prv1100());
    QVERIFY(harness.sendArea(33, 1, pattern(3000, 1)));
    QByteArray backup = harness.receiveBackup();
    QVERIFY(harness.sendArea(33, 2, pattern(100, 2)));
    const emu::KeyboardMemory current = harness.keyboard().memory();

    backup[1000] = char(backup.at(1000) ^ 0x01);
    QVERIFY(!harness.sendBackup(backup));
    QVERIFY(harness.keyboard().memory() == current);
    // Nor does a backup cut short, whose last block never comes.
    QVERIFY(!harness.sendBackup(backup.left(1000)));
    QVERIFY(harness.keyboard().memory() == current);
}

QTEST_GUILESS_MAIN(tst_VirtualKeyboardBulk)
#include "tst_VirtualKeyboardBulk.moc"
