// Sample values in the data chunk: widths, signs and the 8-bit offset.
#include "audio/PcmSampleCodec.h"

#include <QtTest>

using zel::qmix::audio::PcmSampleCodec;

class TestPcmSampleCodec : public QObject {
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
    void encodesTruncatingTowardZero_data();
    void encodesTruncatingTowardZero();
};

void TestPcmSampleCodec::decodes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("bits");
    QTest::addColumn<qint64>("value");

    QTest::newRow("8-bit byte 0") << QByteArray("\x00", 1) << 8 << qint64(-128);
    QTest::newRow("8-bit byte 128") << QByteArray("\x80", 1) << 8 << qint64(0);
    QTest::newRow("8-bit byte 255") << QByteArray("\xFF", 1) << 8 << qint64(127);
    QTest::newRow("16-bit -1") << QByteArray("\xFF\xFF", 2) << 16 << qint64(-1);
    QTest::newRow("16-bit 0x7FFF") << QByteArray("\xFF\x7F", 2) << 16 << qint64(32767);
    QTest::newRow("16-bit 0x8000") << QByteArray("\x00\x80", 2) << 16 << qint64(-32768);
    QTest::newRow("24-bit top bit only")
        << QByteArray("\x00\x00\x80", 3) << 24 << -(qint64(1) << 23);
    QTest::newRow("24-bit 0x123456") << QByteArray("\x56\x34\x12", 3) << 24 << qint64(0x123456);
    QTest::newRow("32-bit top bit set")
        << QByteArray("\x01\x00\x00\x80", 4) << 32 << qint64(0x80000001) - (qint64(1) << 32);
    QTest::newRow("32-bit largest")
        << QByteArray("\xFF\xFF\xFF\x7F", 4) << 32 << qint64(2147483647);
    QTest::newRow("12 bits in two bytes, bit 11 set")
        << QByteArray("\x00\x08", 2) << 12 << qint64(-2048);
}

void TestPcmSampleCodec::decodes() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, bits);
    QFETCH(qint64, value);
    QCOMPARE(PcmSampleCodec::decode(reinterpret_cast<const uchar*>(bytes.constData()),
                                    int(bytes.size()), bits),
             value);
}

void TestPcmSampleCodec::encodesTruncatingTowardZero_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("bits");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("-1.7 at 16 bits") << -1.7 << 16 << QByteArray("\xFF\xFF", 2);
    QTest::newRow("1.7 at 16 bits") << 1.7 << 16 << QByteArray("\x01\x00", 2);
    QTest::newRow("-32768 at 16 bits") << -32768.0 << 16 << QByteArray("\x00\x80", 2);
    QTest::newRow("-128.9 at 8 bits") << -128.9 << 8 << QByteArray("\x00", 1);
    QTest::newRow("127.9 at 8 bits") << 127.9 << 8 << QByteArray("\xFF", 1);
    QTest::newRow("-8388608 at 24 bits") << -8388608.0 << 24 << QByteArray("\x00\x00\x80", 3);
    QTest::newRow("2147483647 at 32 bits")
        << 2147483647.0 << 32 << QByteArray("\xFF\xFF\xFF\x7F", 4);
}

void TestPcmSampleCodec::encodesTruncatingTowardZero() {
    QFETCH(double, value);
    QFETCH(int, bits);
    QFETCH(QByteArray, bytes);
    QByteArray out(int(bytes.size()), '?');
    PcmSampleCodec::encode(value, reinterpret_cast<uchar*>(out.data()), int(out.size()), bits);
    QCOMPARE(out, bytes);
}

QTEST_GUILESS_MAIN(TestPcmSampleCodec)
#include "tst_PcmSampleCodec.moc"
