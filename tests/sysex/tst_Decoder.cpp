#include "MsgErrorCode.h"

#include "sysex/Decoder.h"

#include <QtTest>

using namespace zel::qmix::sysex;

namespace {

// Records which steps decode() reached.
class ProbeDecoder : public Decoder {
public:
    int validateCalls = 0;
    int parseCalls = 0;
    bool failValidation = false;

protected:
    void validate(const QByteArray&) override {
        ++validateCalls;
        if (failValidation)
            throw msg_error(msg_error::CHECKSUM_MISMATCH);
    }
    void parse(const QByteArray&) override { ++parseCalls; }
};

} // namespace

class tst_Decoder : public QObject {
    Q_OBJECT

private slots:
    void decodeSteps_data();
    void decodeSteps();
    void validationFailureStopsBeforeParse();
    void messageType_data();
    void messageType();
    void messageTypeRejects_data();
    void messageTypeRejects();
};

void tst_Decoder::decodeSteps_data() {
    QTest::addColumn<QByteArray>("msg");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("validateCalls");
    QTest::addColumn<int>("parseCalls");

    QTest::newRow("well framed") << bytes("F0 3B 2C 01 7F 09 F7") << 0 << 1 << 1;
    QTest::newRow("empty") << QByteArray() << 1 << 0 << 0;
    QTest::newRow("4 bytes") << bytes("F0 3B 2C 01") << 1 << 0 << 0;
    QTest::newRow("first byte not F0") << bytes("F1 3B 2C 01 7F 09 F7") << 1 << 0 << 0;
    QTest::newRow("second byte not 3B") << bytes("F0 3C 2C 01 7F 09 F7") << 1 << 0 << 0;
    QTest::newRow("third byte not 2C") << bytes("F0 3B 2D 01 7F 09 F7") << 1 << 0 << 0;
    QTest::newRow("fourth byte not 01") << bytes("F0 3B 2C 02 7F 09 F7") << 1 << 0 << 0;
    QTest::newRow("device byte not 7F") << bytes("F0 3B 2C 01 00 09 F7") << 1 << 0 << 0;
    QTest::newRow("last byte not F7") << bytes("F0 3B 2C 01 7F 09 00") << 1 << 1 << 0;
    QTest::newRow("header only, ends in 7F") << bytes("F0 3B 2C 01 7F") << 1 << 1 << 0;
}

void tst_Decoder::decodeSteps() {
    QFETCH(QByteArray, msg);
    QFETCH(int, code);
    QFETCH(int, validateCalls);
    QFETCH(int, parseCalls);

    ProbeDecoder decoder;
    QCOMPARE(msgErrorCode([&] { decoder.decode(msg); }), code);
    QCOMPARE(decoder.validateCalls, validateCalls);
    QCOMPARE(decoder.parseCalls, parseCalls);
}

void tst_Decoder::validationFailureStopsBeforeParse() {
    ProbeDecoder decoder;
    decoder.failValidation = true;
    QCOMPARE(msgErrorCode([&] { decoder.decode(bytes("F0 3B 2C 01 7F 05 F7")); }),
             msg_error::CHECKSUM_MISMATCH);
    QCOMPARE(decoder.validateCalls, 1);
    QCOMPARE(decoder.parseCalls, 0);
}

void tst_Decoder::messageType_data() {
    QTest::addColumn<QByteArray>("msg");
    QTest::addColumn<int>("type");

    QTest::newRow("ACK") << bytes("F0 3B 2C 01 7F 0A 00 00 00 00 F7") << 10;
    QTest::newRow("IPS") << bytes("F0 3B 2C 01 7F 01 F7") << 1;
    QTest::newRow("type byte only") << bytes("F0 3B 2C 01 7F 0F") << 15;
    QTest::newRow("end byte where the type belongs is negative")
        << bytes("F0 3B 2C 01 7F F7") << -9;
}

void tst_Decoder::messageType() {
    QFETCH(QByteArray, msg);
    QFETCH(int, type);
    QCOMPARE(int(Decoder::messageType(msg)), type);
}

void tst_Decoder::messageTypeRejects_data() {
    QTest::addColumn<QByteArray>("msg");

    QTest::newRow("5 bytes") << bytes("F0 3B 2C 01 7F");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("another maker's message") << bytes("F0 41 10 42 12 0A F7");
    QTest::newRow("another device number") << bytes("F0 3B 2C 01 10 0A F7");
}

void tst_Decoder::messageTypeRejects() {
    QFETCH(QByteArray, msg);
    QCOMPARE(msgErrorCode([&] { Decoder::messageType(msg); }), msg_error::MALFORMED);
}

QTEST_APPLESS_MAIN(tst_Decoder)
#include "tst_Decoder.moc"
