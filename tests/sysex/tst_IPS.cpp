#include "MsgErrorCode.h"

#include "sysex/IPREncoder.h"
#include "sysex/IPSDecoder.h"
#include "sysex/IPSEncoder.h"

#include <QtTest>

#include <limits>

using namespace zel::qmix::sysex;

using Values = QVector<qint32>;

namespace {

// Address bytes 6..23 of a request or reply for (category, id) with count values.
QByteArray address(int category, int id, int count) {
    QByteArray bytes(18, '\0');
    bytes[0] = char(category);
    bytes[12] = char(id & 0x7F);
    bytes[13] = char(id >> 7);
    bytes[16] = char((count - 1) & 0x7F);
    bytes[17] = char((count - 1) >> 7);
    return bytes;
}

const QByteArray IPR_HEAD = bytes("F0 3B 2C 01 7F 00");
const QByteArray IPS_HEAD = bytes("F0 3B 2C 01 7F 01");
const QByteArray END = bytes("F7");

QByteArray request(int category, int id, int count) {
    return IPR_HEAD + address(category, id, count) + END;
}

QByteArray reply(int category, int id, int count, const QByteArray& values) {
    return IPS_HEAD + address(category, id, count) + values + END;
}

QByteArray encodeReply(int category, int id, const Values& values) {
    IPSEncoder encoder(category, 0);
    encoder.setId(id);
    encoder.setValues(values);
    QByteArray msg;
    encoder.encode(msg);
    return msg;
}

} // namespace

class tst_IPS : public QObject {
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void indexesResized_data();
    void indexesResized();
    void decode_data();
    void decode();
    void rejects_data();
    void rejects();
    void roundTrip_data();
    void roundTrip();
    void decodeReplacesEarlierValues();
};

void tst_IPS::encode_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("id");
    QTest::addColumn<Values>("values");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("presence reply, value 1")
        << 0 << 24 << Values{1}
        << bytes("F0 3B 2C 01 7F 01 00 00 00 00 00 00 00 00 00 00 00 00 18 00 00 00 00 00 01 F7");
    QTest::newRow("width 0 carries no value bytes")
        << 0 << 40 << Values{5, 6} << reply(0, 40, 2, QByteArray());
    QTest::newRow("8-bit values take two bytes")
        << 0 << 13 << Values{200, 255} << reply(0, 13, 2, bytes("48 01 7F 01"));
    QTest::newRow("negative 32-bit value")
        << 0 << 31 << Values{-1} << reply(0, 31, 1, bytes("7F 7F 7F 7F 0F"));
    QTest::newRow("value masked to a 1-bit width")
        << 0 << 29 << Values{3} << reply(0, 29, 1, bytes("01"));
    QTest::newRow("23 one-byte values fill the limit")
        << 0 << 22 << Values(23, 0x55) << reply(0, 22, 23, QByteArray(23, char(0x55)));
}

void tst_IPS::encode() {
    QFETCH(int, category);
    QFETCH(int, id);
    QFETCH(Values, values);
    QFETCH(QByteArray, expected);

    const QByteArray msg = encodeReply(category, id, values);
    QCOMPARE(msg, expected);
    QVERIFY(msg.size() <= Encoder::IP_MESSAGE_MAX_LENGTH);
}

void tst_IPS::indexesResized_data() {
    QTest::addColumn<QVector<int>>("indexes");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("none") << QVector<int>() << bytes("00 00 00 00 00 00 00 00");
    QTest::newRow("two, the rest 0") << QVector<int>{1, 2} << bytes("00 00 00 00 02 00 01 00");
    QTest::newRow("four") << QVector<int>{1, 2, 3, 0x81} << bytes("01 01 03 00 02 00 01 00");
    QTest::newRow("five, the fifth dropped")
        << QVector<int>{1, 2, 3, 4, 5} << bytes("04 00 03 00 02 00 01 00");
}

void tst_IPS::indexesResized() {
    QFETCH(QVector<int>, indexes);
    QFETCH(QByteArray, expected);

    IPSEncoder encoder(3, 0);
    encoder.setIndexes(indexes);
    encoder.setId(0);
    encoder.setValues({1});
    QCOMPARE(encoder.indexes().size(), 4);

    QByteArray msg;
    encoder.encode(msg);
    QCOMPARE(msg.mid(10, 8), expected);
}

void tst_IPS::decode_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("msg");
    QTest::addColumn<Values>("values");

    const QByteArray presence = request(0, 24, 1);
    QTest::newRow("presence reply, request set")
        << presence << reply(0, 24, 1, bytes("01")) << Values{1};
    QTest::newRow("presence reply, no request")
        << QByteArray() << reply(0, 24, 1, bytes("01")) << Values{1};
    QTest::newRow("another id decodes without a request")
        << QByteArray() << reply(0, 25, 1, bytes("01")) << Values{1};
    QTest::newRow("a request shorter than its address checks nothing")
        << presence.left(10) << reply(0, 25, 1, bytes("01")) << Values{1};
    QTest::newRow("request given without its F7")
        << presence.left(24) << reply(0, 24, 1, bytes("01")) << Values{1};
    QTest::newRow("width 0 values decode as 0")
        << request(0, 40, 3) << reply(0, 40, 3, QByteArray()) << Values{0, 0, 0};
    QTest::newRow("unknown category decodes as width 0")
        << QByteArray() << reply(1, 0, 1, QByteArray()) << Values{0};
    QTest::newRow("model name") << request(0, 0, 8) << reply(0, 0, 8, QByteArray("CTK-7000"))
                                << Values{'C', 'T', 'K', '-', '7', '0', '0', '0'};
    QTest::newRow("32-bit values")
        << request(15, 1, 2) << reply(15, 1, 2, bytes("7F 7F 7F 7F 0F 00 00 00 00 08"))
        << Values{-1, std::numeric_limits<qint32>::min()};
    QTest::newRow("8-bit values are not masked on reading")
        << QByteArray() << reply(0, 13, 1, bytes("7F 7F")) << Values{0x3FFF};
}

void tst_IPS::decode() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, msg);
    QFETCH(Values, values);

    IPSDecoder decoder;
    decoder.setRequest(request);
    QCOMPARE(msgErrorCode([&] { decoder.decode(msg); }), 0);
    QCOMPARE(decoder.values(), values);
}

void tst_IPS::rejects_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("msg");

    const QByteArray presence = request(0, 24, 1);
    const QByteArray good = reply(0, 24, 1, bytes("01"));

    QTest::newRow("another id than requested") << presence << reply(0, 25, 1, bytes("01"));
    QTest::newRow("another category than requested") << presence << reply(2, 24, 1, bytes("01"));
    QTest::newRow("another count than requested") << presence << reply(0, 24, 2, bytes("01 01"));
    QByteArray shifted = good;
    shifted[20] = 1; // offset
    QTest::newRow("another offset than requested") << presence << shifted;
    QTest::newRow("one value byte too many, request set")
        << presence << reply(0, 24, 1, bytes("01 01"));
    QTest::newRow("one value byte too many") << QByteArray() << reply(0, 24, 1, bytes("01 01"));
    QTest::newRow("one value byte too few") << QByteArray() << reply(0, 24, 1, QByteArray());
    QTest::newRow("32-bit value one byte short")
        << QByteArray() << reply(0, 31, 1, bytes("7F 7F 7F 7F"));
    QTest::newRow("width 0 with a value byte") << QByteArray() << reply(0, 40, 1, bytes("00"));
    QTest::newRow("count beyond the message") << QByteArray() << reply(0, 24, 0x4000, bytes("01"));
    QTest::newRow("width 0 count does not excuse extra bytes")
        << QByteArray() << reply(0, 40, 0x4000, bytes("00 00"));

    QByteArray wrongType = good;
    wrongType[5] = 0;
    QTest::newRow("type 0 (an echoed request)") << QByteArray() << wrongType;
    wrongType[5] = 5;
    QTest::newRow("type 5") << presence << wrongType;

    QByteArray noEnd = good;
    noEnd[noEnd.size() - 1] = 0;
    QTest::newRow("no F7 at the end") << QByteArray() << noEnd;
    QTest::newRow("F7 missing") << QByteArray() << good.left(good.size() - 1);

    QTest::newRow("header only") << QByteArray() << bytes("F0 3B 2C 01 7F");
    QTest::newRow("type and F7 only") << QByteArray() << bytes("F0 3B 2C 01 7F 01 F7");
    QTest::newRow("address cut short") << QByteArray() << good.left(20) + END;
    QTest::newRow("address without F7") << QByteArray() << good.left(24);
    QTest::newRow("foreign header") << QByteArray() << bytes("F0 3C") + good.mid(2);
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void tst_IPS::rejects() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, msg);

    IPSDecoder decoder;
    decoder.setRequest(request);
    QCOMPARE(msgErrorCode([&] { decoder.decode(msg); }), msg_error::MALFORMED);
}

void tst_IPS::roundTrip_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("id");
    QTest::addColumn<Values>("values");

    QTest::newRow("1 bit") << 0 << 29 << Values{1, 0, 1};
    QTest::newRow("2 bits") << 3 << 30 << Values{3};
    QTest::newRow("3 bits") << 14 << 9 << Values{5};
    QTest::newRow("4 bits") << 3 << 5 << Values{15};
    QTest::newRow("7 bits") << 0 << 0 << Values{'M', 'o', 'd', 'e', 'l', ' ', ' ', ' '};
    QTest::newRow("8 bits") << 17 << 4 << Values{0, 128, 255};
    QTest::newRow("10 bits") << 2 << 0 << Values{1000};
    QTest::newRow("14 bits") << 0 << 14 << Values{0x3FFF, 0x2000};
    QTest::newRow("16 bits") << 17 << 0 << Values{0xFFFF};
    QTest::newRow("24 bits") << 14 << 7 << Values{0xABCDEF};
    QTest::newRow("32 bits") << 0 << 31
                             << Values{std::numeric_limits<qint32>::max(),
                                       std::numeric_limits<qint32>::min(), -2};
    QTest::newRow("width 0") << 0 << 47 << Values{0, 0, 0, 0};
}

void tst_IPS::roundTrip() {
    QFETCH(int, category);
    QFETCH(int, id);
    QFETCH(Values, values);

    IPREncoder requestEncoder(category, 0);
    requestEncoder.setId(id);
    requestEncoder.setLength(int(values.size()) - 1);
    QByteArray requestMsg;
    requestEncoder.encode(requestMsg);

    IPSDecoder decoder;
    decoder.setRequest(requestMsg);
    QCOMPARE(msgErrorCode([&] { decoder.decode(encodeReply(category, id, values)); }), 0);
    QCOMPARE(decoder.values(), values);
    QCOMPARE(decoder.category(), category);
    QCOMPARE(decoder.parameterId(), id);
}

void tst_IPS::decodeReplacesEarlierValues() {
    IPSDecoder decoder;
    decoder.decode(reply(0, 0, 8, QByteArray("ABCDEFGH")));
    decoder.decode(reply(0, 24, 1, bytes("00")));
    QCOMPARE(decoder.values(), Values{0});
}

QTEST_APPLESS_MAIN(tst_IPS)
#include "tst_IPS.moc"
