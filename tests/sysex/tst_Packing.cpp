#include "MsgErrorCode.h"

#include "sysex/Packing.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace zel::qmix::sysex;

class tst_Packing : public QObject {
    Q_OBJECT

private slots:
    void pack_data();
    void pack();
    void roundTrip_data();
    void roundTrip();
    void unpackStopsAtLength();
    void unpackIgnoresHighBit();
    void unpackShortInput_data();
    void unpackShortInput();
};

void tst_Packing::pack_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("packed");

    QTest::newRow("nothing") << QByteArray() << QByteArray();
    QTest::newRow("seven FF") << bytes("FF FF FF FF FF FF FF") << bytes("7F 7F 7F 7F 7F 7F 7F 7F");
    QTest::newRow("single 80") << bytes("80") << bytes("00 01");
    QTest::newRow("single 7F") << bytes("7F") << bytes("7F 00");
    QTest::newRow("01 02") << bytes("01 02") << bytes("01 04 00");
    QTest::newRow("eight FF") << bytes("FF FF FF FF FF FF FF FF")
                              << bytes("7F 7F 7F 7F 7F 7F 7F 7F 7F 01");
    QTest::newRow("seven 80") << bytes("80 80 80 80 80 80 80") << bytes("00 01 02 04 08 10 20 40");
}

void tst_Packing::pack() {
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, packed);

    QByteArray msg = bytes("F0");
    Packing::pack(msg, data);
    QCOMPARE(msg, bytes("F0") + packed);
    QCOMPARE(Packing::packedLength(data.size()), packed.size());
}

void tst_Packing::roundTrip_data() {
    QTest::addColumn<QByteArray>("data");

    QRandomGenerator random(20240607);
    for (int length = 0; length <= 30; ++length) {
        QByteArray data(length, Qt::Uninitialized);
        for (char& byte : data)
            byte = char(random.bounded(256));
        QTest::addRow("%d random bytes", length) << data;
    }
    QTest::newRow("203 bytes of FF") << QByteArray(203, char(0xFF));
    QTest::newRow("203 zero bytes") << QByteArray(203, '\0');
}

void tst_Packing::roundTrip() {
    QFETCH(QByteArray, data);

    QByteArray msg;
    Packing::pack(msg, data);
    QCOMPARE(msg.size(), data.size() + (data.size() + 6) / 7);
    for (const char byte : msg)
        QVERIFY((quint8(byte) & 0x80) == 0);
    QCOMPARE(Packing::unpack(msg, 0, data.size()), data);
}

void tst_Packing::unpackStopsAtLength() {
    // Seven bytes packed, then whatever follows (a checksum, F7) must stay unread.
    const QByteArray msg = bytes("F0 7F 7F 7F 7F 7F 7F 7F 7F 12 34 F7");
    QCOMPARE(Packing::unpack(msg, 1, 7), bytes("FF FF FF FF FF FF FF"));
    QCOMPARE(Packing::unpack(msg, 1, 3), bytes("FF FF FF"));
    QCOMPARE(Packing::unpack(msg, 1, 0), QByteArray());
}

void tst_Packing::unpackIgnoresHighBit() {
    QCOMPARE(Packing::unpack(bytes("80 81"), 0, 1), bytes("80"));
}

void tst_Packing::unpackShortInput_data() {
    QTest::addColumn<QByteArray>("msg");
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("length");

    QTest::newRow("one packed byte missing") << bytes("7F 7F 7F 7F 7F 7F 7F") << 0 << 7;
    QTest::newRow("final partial group missing") << bytes("00") << 0 << 1;
    QTest::newRow("empty message") << QByteArray() << 0 << 1;
    QTest::newRow("position past the end") << bytes("00 01") << 3 << 0;
    QTest::newRow("negative position") << bytes("00 01") << -1 << 1;
    QTest::newRow("negative length") << bytes("00 01") << 0 << -1;
    QTest::newRow("largest 14-bit length in a short message") << bytes("00 01 F7") << 0 << 0x3FFF;
}

void tst_Packing::unpackShortInput() {
    QFETCH(QByteArray, msg);
    QFETCH(int, pos);
    QFETCH(int, length);
    QCOMPARE(msgErrorCode([&] { Packing::unpack(msg, pos, length); }), msg_error::MALFORMED);
}

QTEST_APPLESS_MAIN(tst_Packing)
#include "tst_Packing.moc"
