#include "MsgErrorCode.h"

#include "sysex/IPREncoder.h"

#include <QtTest>

using namespace zel::qmix::sysex;

class tst_IPREncoder : public QObject {
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
};

namespace {

struct Request {
    int category = 0;
    int subAddress = 0;
    int addressNumber = 0;
    int indexes[4] = {0, 0, 0, 0};
    int id = 0;
    int offset = 0;
    int length = 0;
};

} // namespace

Q_DECLARE_METATYPE(Request)

void tst_IPREncoder::encode_data() {
    QTest::addColumn<Request>("request");
    QTest::addColumn<QByteArray>("expected");

    Request probe;
    probe.id = 24;
    QTest::newRow("presence probe (0, 24)")
        << probe
        << bytes("F0 3B 2C 01 7F 00 00 00 00 00 00 00 00 00 00 00 00 00 18 00 00 00 00 00 F7");

    Request modelName;
    modelName.length = 7;
    QTest::newRow("model name (0, 0), eight values")
        << modelName
        << bytes("F0 3B 2C 01 7F 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 07 00 F7");

    Request every;
    every.category = 0x12;
    every.subAddress = 5;
    every.addressNumber = 0x81;
    every.indexes[0] = 1;
    every.indexes[1] = 2;
    every.indexes[2] = 3;
    every.indexes[3] = 4;
    every.id = 0x3FFF;
    every.offset = 0x100;
    every.length = 2;
    QTest::newRow("every field, indexes last first")
        << every
        << bytes("F0 3B 2C 01 7F 00 12 05 01 01 04 00 03 00 02 00 01 00 7F 7F 00 02 02 00 F7");

    Request masked;
    masked.category = 0x80 + 3;
    masked.id = 0x4000 + 2;
    masked.offset = 0x4000;
    QTest::newRow("fields masked to their widths")
        << masked
        << bytes("F0 3B 2C 01 7F 00 03 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00 00 00 F7");

    // 22 one-byte values are the most a reply can carry under the limit.
    Request largest;
    largest.id = 22;
    largest.length = 21;
    QTest::newRow("largest reply of 7-bit values")
        << largest
        << bytes("F0 3B 2C 01 7F 00 00 00 00 00 00 00 00 00 00 00 00 00 16 00 00 00 15 00 F7");

    Request fourLongs;
    fourLongs.id = 31;
    fourLongs.length = 3;
    QTest::newRow("four 32-bit values")
        << fourLongs
        << bytes("F0 3B 2C 01 7F 00 00 00 00 00 00 00 00 00 00 00 00 00 1F 00 00 00 03 00 F7");
}

void tst_IPREncoder::encode() {
    QFETCH(Request, request);
    QFETCH(QByteArray, expected);

    IPREncoder encoder(request.category, request.subAddress);
    encoder.setAddressNumber(request.addressNumber);
    for (int i = 0; i < 4; ++i)
        encoder.setIndex(i, request.indexes[i]);
    encoder.setId(request.id);
    encoder.setOffset(request.offset);
    encoder.setLength(request.length);

    QByteArray msg;
    encoder.encode(msg);
    QCOMPARE(msg, expected);
}

QTEST_APPLESS_MAIN(tst_IPREncoder)
#include "tst_IPREncoder.moc"
