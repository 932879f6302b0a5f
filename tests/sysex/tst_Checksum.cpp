#include "MsgErrorCode.h"

#include "sysex/Checksum.h"
#include "sysex/SysexNumbers.h"

#include <QtTest>

using namespace zel::qmix::sysex;

class tst_Checksum : public QObject {
    Q_OBJECT

private slots:
    void crc_data();
    void crc();
    void crcOfRange();
    void writtenAsNumber();
};

void tst_Checksum::crc_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("empty") << QByteArray() << quint32(0);
    QTest::newRow("abc") << QByteArray("abc") << quint32(0x352441C2);
    QTest::newRow("check string") << QByteArray("123456789") << quint32(0xCBF43926);
    QTest::newRow("HBS header of an empty block")
        << bytes("3B 2C 01 7F 05 01 02 03 00 00 00") << quint32(0xA6B70919);
}

void tst_Checksum::crc() {
    QFETCH(QByteArray, data);
    QFETCH(quint32, expected);
    QCOMPARE(Checksum::crc32(data), expected);
}

void tst_Checksum::crcOfRange() {
    const QByteArray msg = QByteArray("xxabcyy");
    QCOMPARE(Checksum::crc32(msg, 2, 3), quint32(0x352441C2));
    QCOMPARE(Checksum::crc32(msg, 7, 0), quint32(0));
}

void tst_Checksum::writtenAsNumber() {
    QByteArray msg;
    SysexNumbers::write32(msg, Checksum::crc32(QByteArray("abc")));
    QCOMPARE(msg, bytes("42 03 11 29 03"));
}

QTEST_APPLESS_MAIN(tst_Checksum)
#include "tst_Checksum.moc"
