#include "MsgErrorCode.h"

#include "sysex/HBSDecoder.h"
#include "sysex/HBSEncoder.h"

#include <QRandomGenerator>
#include <QtTest>

#include <zlib.h>

using namespace zel::qmix::sysex;

Q_DECLARE_METATYPE(BlockAddress)

namespace {

QByteArray encodeBlock(const BlockAddress& address, const QByteArray& data) {
    QByteArray msg;
    HBSEncoder(address, data).encode(msg);
    return msg;
}

QByteArray randomData(int length, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray data(length, Qt::Uninitialized);
    for (char& byte : data)
        byte = char(random.bounded(256));
    return data;
}

// Rewrites the checksum of an edited message, so that only the edit itself is
// left for the decoder to find. Computed with zlib directly and written by hand.
QByteArray resealed(QByteArray msg) {
    const qsizetype checksumAt = msg.size() - 6;
    const uLong crc =
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(msg.constData() + 1),
              uInt(checksumAt - 1));
    for (int i = 0; i < 5; ++i)
        msg[checksumAt + i] = char((crc >> (7 * i)) & 0x7F);
    return msg;
}

} // namespace

class tst_HBS : public QObject {
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void messageLength_data();
    void messageLength();
    void roundTrip_data();
    void roundTrip();
    void rejects_data();
    void rejects();
};

void tst_HBS::encode_data() {
    QTest::addColumn<BlockAddress>("address");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty block") << BlockAddress{1, 2, 3} << QByteArray()
                                 << bytes("F0 3B 2C 01 7F 05 01 02 03 00 00 00 19 12 5C 35 0A F7");
    QTest::newRow("two bytes")
        << BlockAddress{0x11, 0, 5} << bytes("01 02")
        << bytes("F0 3B 2C 01 7F 05 11 00 05 00 02 00 01 04 00 48 20 29 51 0F F7");
}

void tst_HBS::encode() {
    QFETCH(BlockAddress, address);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, expected);
    QCOMPARE(encodeBlock(address, data), expected);
}

void tst_HBS::messageLength_data() {
    QTest::addColumn<int>("dataLength");
    QTest::addColumn<int>("messageLength");

    QTest::newRow("0 bytes") << 0 << 18;
    QTest::newRow("1 byte") << 1 << 20;
    QTest::newRow("7 bytes") << 7 << 26;
    QTest::newRow("8 bytes") << 8 << 28;
    QTest::newRow("203 bytes, the bulk-send block") << 203 << 250;
}

void tst_HBS::messageLength() {
    QFETCH(int, dataLength);
    QFETCH(int, messageLength);

    const QByteArray msg = encodeBlock(BlockAddress{}, QByteArray(dataLength, 'x'));
    QCOMPARE(msg.size(), messageLength);
    QCOMPARE(HBSEncoder::messageLength(dataLength), messageLength);
}

void tst_HBS::roundTrip_data() {
    QTest::addColumn<BlockAddress>("address");
    QTest::addColumn<QByteArray>("data");

    const int lengths[] = {0, 1, 6, 7, 8, 13, 14, 15, 100, 203};
    for (int length : lengths) {
        QTest::addRow("%d bytes", length)
            << BlockAddress{length % 128, 1, length * 3} << randomData(length, quint32(length));
    }
    QTest::newRow("all bits set") << BlockAddress{0x7F, 0x7F, 0x3FFF}
                                  << QByteArray(203, char(0xFF));
    QTest::newRow("largest length field")
        << BlockAddress{2, 0, 1} << randomData(HBSEncoder::MAX_DATA_LENGTH, 77);
}

void tst_HBS::roundTrip() {
    QFETCH(BlockAddress, address);
    QFETCH(QByteArray, data);

    HBSDecoder decoder;
    QCOMPARE(msgErrorCode([&] { decoder.decode(encodeBlock(address, data)); }), 0);
    QCOMPARE(decoder.data(), data);
    QVERIFY(decoder.blockAddress() == address);
}

void tst_HBS::rejects_data() {
    QTest::addColumn<QByteArray>("msg");
    QTest::addColumn<int>("code");

    const QByteArray block = encodeBlock(BlockAddress{4, 0, 9}, randomData(203, 5));
    const QByteArray empty = encodeBlock(BlockAddress{4, 0, 9}, QByteArray());
    const QByteArray fourteen = encodeBlock(BlockAddress{4, 0, 9}, randomData(14, 6));

    QByteArray flipped = block;
    flipped[12 + 100] = char(flipped[12 + 100] ^ 0x01);
    QTest::newRow("one data byte flipped") << flipped << 2;
    flipped = block;
    flipped[12] = char(flipped[12] ^ 0x40);
    QTest::newRow("first packed byte flipped") << flipped << 2;
    flipped = block;
    flipped[block.size() - 3] = char(flipped[block.size() - 3] ^ 0x01);
    QTest::newRow("checksum byte flipped") << flipped << 2;
    flipped = block;
    flipped[7] = char(flipped[7] ^ 0x01);
    QTest::newRow("block address flipped") << flipped << 2;
    flipped = block;
    flipped[10] = char(flipped[10] ^ 0x01);
    QTest::newRow("length field flipped") << flipped << 2;

    QByteArray resealedLength = empty;
    resealedLength[10] = 0x7F;
    resealedLength[11] = 0x7F;
    QTest::newRow("length field beyond the message, checksum matching")
        << resealed(resealedLength) << 1;
    resealedLength = fourteen;
    resealedLength[10] = 7;
    QTest::newRow("length field short of the message, checksum matching")
        << resealed(resealedLength) << 1;
    QByteArray dropped = fourteen;
    dropped.remove(12, 1);
    QTest::newRow("packed byte missing, checksum matching") << resealed(dropped) << 1;

    QByteArray wrongType = block;
    wrongType[5] = 1;
    QTest::newRow("IPS type byte") << wrongType << 1;
    QTest::newRow("IPS type byte, checksum matching") << resealed(wrongType) << 1;
    QTest::newRow("an IPS message")
        << bytes("F0 3B 2C 01 7F 01 00 00 00 00 00 00 00 00 00 00 00 00 18 00 00 00 00 00 01 F7")
        << 1;

    QByteArray noEnd = block;
    noEnd[noEnd.size() - 1] = 0;
    QTest::newRow("no F7 at the end") << noEnd << 1;
    QTest::newRow("17 bytes") << empty.left(16) + bytes("F7") << 1;
    QTest::newRow("type and F7 only") << bytes("F0 3B 2C 01 7F 05 F7") << 1;
    QTest::newRow("header only") << bytes("F0 3B 2C 01 7F") << 1;
    QTest::newRow("empty") << QByteArray() << 1;
    QTest::newRow("foreign header") << bytes("F0 3C") + block.mid(2) << 1;
}

void tst_HBS::rejects() {
    QFETCH(QByteArray, msg);
    QFETCH(int, code);

    HBSDecoder decoder;
    QCOMPARE(msgErrorCode([&] { decoder.decode(msg); }), code);
}

QTEST_APPLESS_MAIN(tst_HBS)
#include "tst_HBS.moc"
