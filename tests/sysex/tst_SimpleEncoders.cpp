#include "MsgErrorCode.h"

#include "sysex/ACKEncoder.h"
#include "sysex/EBSEncoder.h"
#include "sysex/ERREncoder.h"
#include "sysex/ESSEncoder.h"
#include "sysex/EXIEncoder.h"
#include "sysex/HBREncoder.h"
#include "sysex/RJCEncoder.h"
#include "sysex/SBSEncoder.h"
#include "sysex/SCMEncoder.h"

#include <QtTest>

#include <functional>

using namespace zel::qmix::sysex;

Q_DECLARE_METATYPE(std::function<QByteArray()>)

namespace {

QByteArray encoded(Encoder&& encoder) {
    QByteArray msg;
    encoder.encode(msg);
    return msg;
}

} // namespace

class tst_SimpleEncoders : public QObject {
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void encodeAppends();
    void scmSetters();
};

void tst_SimpleEncoders::encode_data() {
    QTest::addColumn<std::function<QByteArray()>>("make");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("ACK") << std::function<QByteArray()>([] {
        return encoded(ACKEncoder(3, 1, 0x81));
    }) << bytes("F0 3B 2C 01 7F 0A 03 01 01 01 F7");
    QTest::newRow("RJC") << std::function<QByteArray()>([] {
        return encoded(RJCEncoder(3, 1, 0x81));
    }) << bytes("F0 3B 2C 01 7F 0B 03 01 01 01 F7");
    QTest::newRow("ESS") << std::function<QByteArray()>([] {
        return encoded(ESSEncoder(3, 1, 0x81));
    }) << bytes("F0 3B 2C 01 7F 0D 03 01 01 01 F7");
    QTest::newRow("EBS") << std::function<QByteArray()>([] {
        return encoded(EBSEncoder(3, 1, 0x81));
    }) << bytes("F0 3B 2C 01 7F 0E 03 01 01 01 F7");
    QTest::newRow("HBR") << std::function<QByteArray()>([] {
        return encoded(HBREncoder(3, 1, 0x81));
    }) << bytes("F0 3B 2C 01 7F 04 03 01 01 01 F7");
    QTest::newRow("ACK from a block address") << std::function<QByteArray()>([] {
        return encoded(ACKEncoder(BlockAddress{5, 0, 0x3FFF}));
    }) << bytes("F0 3B 2C 01 7F 0A 05 00 7F 7F F7");
    QTest::newRow("block address fields are masked to their widths")
        << std::function<QByteArray()>([] { return encoded(ACKEncoder(0x85, 0xFF, 0x4001)); })
        << bytes("F0 3B 2C 01 7F 0A 05 7F 01 00 F7");
    QTest::newRow("SBS") << std::function<QByteArray()>([] { return encoded(SBSEncoder(5)); })
                         << bytes("F0 3B 2C 01 7F 08 05 F7");
    QTest::newRow("EXI") << std::function<QByteArray()>([] { return encoded(EXIEncoder()); })
                         << bytes("F0 3B 2C 01 7F 09 F7");
    QTest::newRow("ERR checksum") << std::function<QByteArray()>([] {
        return encoded(ERREncoder(ERREncoder::CHECKSUM_MISMATCH));
    }) << bytes("F0 3B 2C 01 7F 0F 02 F7");
    QTest::newRow("ERR no message")
        << std::function<QByteArray()>([] { return encoded(ERREncoder()); })
        << bytes("F0 3B 2C 01 7F 0F 00 F7");
}

void tst_SimpleEncoders::encode() {
    QFETCH(std::function<QByteArray()>, make);
    QFETCH(QByteArray, expected);
    QCOMPARE(make(), expected);
}

void tst_SimpleEncoders::encodeAppends() {
    QByteArray msg = bytes("12 34");
    EXIEncoder().encode(msg);
    QCOMPARE(msg, bytes("12 34 F0 3B 2C 01 7F 09 F7"));
}

void tst_SimpleEncoders::scmSetters() {
    SCMEncoder encoder(0);
    encoder.setType(11);
    encoder.setCategory(7);
    encoder.setSubAddress(2);
    encoder.setBlockNumber(300);
    QCOMPARE(encoded(std::move(encoder)), bytes("F0 3B 2C 01 7F 0B 07 02 2C 02 F7"));
}

QTEST_APPLESS_MAIN(tst_SimpleEncoders)
#include "tst_SimpleEncoders.moc"
