#include "MsgErrorCode.h"

#include "sysex/SysexNumbers.h"

#include <QtTest>

using namespace zel::qmix::sysex;

class tst_SysexNumbers : public QObject {
    Q_OBJECT

private slots:
    void byteLength_data();
    void byteLength();
    void write_data();
    void write();
    void read_data();
    void read();
    void roundTrip_data();
    void roundTrip();
    void readOutsideMessage_data();
    void readOutsideMessage();
};

void tst_SysexNumbers::byteLength_data() {
    QTest::addColumn<unsigned int>("bits");
    QTest::addColumn<unsigned int>("expected");

    QTest::newRow("0 bits take no byte") << 0u << 0u;
    QTest::newRow("1") << 1u << 1u;
    QTest::newRow("7") << 7u << 1u;
    QTest::newRow("8") << 8u << 2u;
    QTest::newRow("14") << 14u << 2u;
    QTest::newRow("15") << 15u << 3u;
    QTest::newRow("16") << 16u << 3u;
    QTest::newRow("24") << 24u << 4u;
    QTest::newRow("32") << 32u << 5u;
    QTest::newRow("only the low 8 bits count: 256") << 256u << 0u;
    QTest::newRow("only the low 8 bits count: 263") << 263u << 1u;
    QTest::newRow("255") << 255u << 37u;
}

void tst_SysexNumbers::byteLength() {
    QFETCH(unsigned int, bits);
    QFETCH(unsigned int, expected);
    QCOMPARE(bit2byteLength(bits), expected);
}

void tst_SysexNumbers::write_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<unsigned int>("bits");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("14-bit maximum") << quint32(0x3FFF) << 14u << bytes("7F 7F");
    QTest::newRow("14-bit overflow is masked") << quint32(0x4000) << 14u << bytes("00 00");
    QTest::newRow("200 as 8 bits") << quint32(200) << 8u << bytes("48 01");
    QTest::newRow("8-bit value masked to 8 bits") << quint32(0x1C8) << 8u << bytes("48 01");
    QTest::newRow("7 bits") << quint32(0x7F) << 7u << bytes("7F");
    QTest::newRow("7-bit overflow is masked") << quint32(0x85) << 7u << bytes("05");
    QTest::newRow("-1 as 16 bits") << quint32(0xFFFFFFFF) << 16u << bytes("7F 7F 03");
    QTest::newRow("32 bits all set") << quint32(0xFFFFFFFF) << 32u << bytes("7F 7F 7F 7F 0F");
    QTest::newRow("32-bit pattern") << quint32(0x12345678) << 32u << bytes("78 2C 51 11 01");
    QTest::newRow("24 bits") << quint32(0xABCDEF) << 24u << bytes("6F 1B 2F 05");
    QTest::newRow("width 0 writes nothing") << quint32(0x1234) << 0u << QByteArray();
    QTest::newRow("1 bit") << quint32(3) << 1u << bytes("01");
    QTest::newRow("wider than 32 pads with zero groups")
        << quint32(0xFFFFFFFF) << 40u << bytes("7F 7F 7F 7F 0F 00");
}

void tst_SysexNumbers::write() {
    QFETCH(quint32, value);
    QFETCH(unsigned int, bits);
    QFETCH(QByteArray, expected);

    QByteArray msg = bytes("F0");
    SysexNumbers::writeNumber(msg, value, bits);
    QCOMPARE(msg, bytes("F0") + expected);
}

void tst_SysexNumbers::read_data() {
    QTest::addColumn<QByteArray>("msg");
    QTest::addColumn<int>("pos");
    QTest::addColumn<unsigned int>("bits");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("14 bits") << bytes("7F 7F") << 0 << 14u << quint32(0x3FFF);
    QTest::newRow("8 bits") << bytes("48 01") << 0 << 8u << quint32(200);
    QTest::newRow("at an offset") << bytes("F0 18 00 F7") << 1 << 14u << quint32(24);
    QTest::newRow("high bit of a byte is ignored") << bytes("FF 00") << 0 << 14u << quint32(0x7F);
    QTest::newRow("32 bits") << bytes("78 2C 51 11 01") << 0 << 32u << quint32(0x12345678);
    QTest::newRow("bits above 31 in the fifth byte drop")
        << bytes("7F 7F 7F 7F 7F") << 0 << 32u << quint32(0xFFFFFFFF);
    QTest::newRow("width 0 reads 0 and needs no byte") << bytes("F7") << 1 << 0u << quint32(0);
    QTest::newRow("8 bits are not masked on reading")
        << bytes("7F 7F") << 0 << 8u << quint32(0x3FFF);
}

void tst_SysexNumbers::read() {
    QFETCH(QByteArray, msg);
    QFETCH(int, pos);
    QFETCH(unsigned int, bits);
    QFETCH(quint32, expected);
    QCOMPARE(SysexNumbers::readNumber(msg, pos, bits), expected);
}

void tst_SysexNumbers::roundTrip_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<unsigned int>("bits");

    const unsigned int widths[] = {1, 2, 3, 4, 7, 8, 10, 14, 16, 24, 32};
    const quint32 patterns[] = {0, 1, 0x55555555, 0xAAAAAAAA, 0xFFFFFFFF, 0x80000000};
    for (unsigned int width : widths) {
        for (quint32 pattern : patterns) {
            const quint32 value = width < 32 ? pattern & ((quint32(1) << width) - 1) : pattern;
            QTest::addRow("%u bits, 0x%x", width, value) << value << width;
        }
    }
}

void tst_SysexNumbers::roundTrip() {
    QFETCH(quint32, value);
    QFETCH(unsigned int, bits);

    QByteArray msg;
    SysexNumbers::writeNumber(msg, value, bits);
    QCOMPARE(msg.size(), qsizetype(bit2byteLength(bits)));
    for (const char byte : msg)
        QVERIFY((quint8(byte) & 0x80) == 0);
    QCOMPARE(SysexNumbers::readNumber(msg, 0, bits), value);
}

void tst_SysexNumbers::readOutsideMessage_data() {
    QTest::addColumn<QByteArray>("msg");
    QTest::addColumn<int>("pos");
    QTest::addColumn<unsigned int>("bits");

    QTest::newRow("one byte short") << bytes("7F") << 0 << 14u;
    QTest::newRow("starts at the end") << bytes("7F 7F") << 2 << 7u;
    QTest::newRow("starts past the end") << bytes("7F 7F") << 5 << 7u;
    QTest::newRow("negative position") << bytes("7F 7F") << -1 << 7u;
    QTest::newRow("32 bits in four bytes") << bytes("7F 7F 7F 7F") << 0 << 32u;
    QTest::newRow("empty message") << QByteArray() << 0 << 1u;
}

void tst_SysexNumbers::readOutsideMessage() {
    QFETCH(QByteArray, msg);
    QFETCH(int, pos);
    QFETCH(unsigned int, bits);
    QCOMPARE(msgErrorCode([&] { SysexNumbers::readNumber(msg, pos, bits); }), msg_error::MALFORMED);
}

QTEST_APPLESS_MAIN(tst_SysexNumbers)
#include "tst_SysexNumbers.moc"
