#include "KeyboardHarness.h"

#include "data/KeyboardInfo.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"

#include <QtTest>

using namespace zel::qmix;

Q_DECLARE_METATYPE(const data::KeyboardInfo*)

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

// The answer the keyboard owes a request: its 24 address bytes with the
// type turned into IPS, then the value bytes and F7.
QByteArray answerTo(const QByteArray& request, const QByteArray& valueBytes) {
    QByteArray answer = request.left(24);
    answer[5] = 0x01;
    return answer + valueBytes + hex("F7");
}

void addModelRows() {
    QTest::addColumn<const data::KeyboardInfo*>("model");
    for (const data::KeyboardInfo* model : data::KeyboardInfo::list())
        QTest::newRow(qPrintable(model->modelName().trimmed())) << model;
}

QByteArray songNamed(const data::KeyboardInfo* model, const QByteArray& name12) {
    QByteArray song = model->emptyData(33, 0);
    song.replace(10, 12, name12);
    return song;
}

} // namespace

class tst_VirtualKeyboardParameters : public QObject {
    Q_OBJECT

private slots:
    void presenceProbe_data();
    void presenceProbe();
    void modelName_data();
    void modelName();
    void modelNameFromAnOffset();
    void areaQueriesOfANewKeyboard_data();
    void areaQueriesOfANewKeyboard();
    void areaNames_data();
    void areaNames();
    void selectionReadsBack();
    void storedParametersEchoTheirAddress();
    void widthsFollowTheAttributeTable_data();
    void widthsFollowTheAttributeTable();
    void unanswerableRequests_data();
    void unanswerableRequests();
    void computedParametersCannotBeSet();
    void pictureByParameters();
};

void tst_VirtualKeyboardParameters::presenceProbe_data() {
    addModelRows();
}

void tst_VirtualKeyboardParameters::presenceProbe() {
    QFETCH(const data::KeyboardInfo*, model);
    KeyboardHarness harness(model);
    const QByteArray probe =
        hex("F0 3B 2C 01 7F 00 00 00 00 00 00 00 00 00 00 00 00 00 18 00 00 00 00 00 F7");
    QCOMPARE(KeyboardHarness::ipr(0, 24), probe);
    QCOMPARE(harness.reply(probe),
             hex("F0 3B 2C 01 7F 01 00 00 00 00 00 00 00 00 00 00 00 00 18 00 00 00 00 00 01 F7"));
}

void tst_VirtualKeyboardParameters::modelName_data() {
    addModelRows();
}

void tst_VirtualKeyboardParameters::modelName() {
    QFETCH(const data::KeyboardInfo*, model);
    KeyboardHarness harness(model);
    const QByteArray request = KeyboardHarness::ipr(0, 0, 7);
    const QByteArray name = model->modelName().toLatin1();
    QCOMPARE(name.size(), 8);
    QCOMPARE(harness.reply(request), answerTo(request, name));
}

void tst_VirtualKeyboardParameters::modelNameFromAnOffset() {
    KeyboardHarness harness(data::Zq10Info::instance());
    // "PRV-1100": from the fifth character on, and past the end as zeros.
    const QByteArray request = KeyboardHarness::ipr(0, 0, 5, 4);
    QCOMPARE(harness.reply(request), answerTo(request, QByteArray("1100") + hex("00 00")));
}

void tst_VirtualKeyboardParameters::areaQueriesOfANewKeyboard_data() {
    QTest::addColumn<const data::KeyboardInfo*>("model");
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("area");
    QTest::addColumn<qint64>("used");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("freeForArea");
    QTest::addColumn<qint64>("freeMemory");

    const data::KeyboardInfo* prv1100 = data::Zq10Info::instance();
    const data::KeyboardInfo* prv1200 = data::Zq11Info::instance();
    // Songs: 65532 bytes less five 4-byte entries and one for the pool; every
    // area holds its 817-byte empty song. The largest song is 62240 bytes.
    QTest::newRow("PRV-1100 song")
        << prv1100 << 33 << 2 << 0LL << 817LL << 5LL << 65508LL << 62240LL << 61423LL;
    // Music presets: 65532 less 51 entries and one empty preset kept free;
    // fifty 43-byte empty presets; one preset takes at most 8200 bytes.
    QTest::newRow("PRV-1100 preset")
        << prv1100 << 37 << 49 << 0LL << 43LL << 50LL << 65285LL << 8200LL << 63178LL;
    QTest::newRow("PRV-1200 preset")
        << prv1200 << 37 << 0 << 0LL << 43LL << 100LL << 130621LL << 8200LL << 126364LL;
    // Rhythms have no shared pool: ten areas of up to 32764 bytes each.
    QTest::newRow("PRV-1100 rhythm")
        << prv1100 << 36 << 0 << 0LL << 116LL << 10LL << 327640LL << 32764LL << 326480LL;
    QTest::newRow("PRV-1100 tone")
        << prv1100 << 3 << 9 << 0LL << 0LL << 10LL << 655320LL << 65532LL << 655320LL;
    // Tones and drawbar settings share the category byte.
    QTest::newRow("PRV-1200 drawbar")
        << prv1200 << 3 << 149 << 0LL << 0LL << 150LL << 9829800LL << 65532LL << 9829800LL;
    QTest::newRow("PRV-1100 registration")
        << prv1100 << 34 << 0 << 1LL << 1024LL << 1LL << 65532LL << 65532LL << 64508LL;
    QTest::newRow("PRV-1100 area past the end")
        << prv1100 << 33 << 5 << 0LL << 0LL << 5LL << 65508LL << 0LL << 61423LL;
    QTest::newRow("unknown category")
        << prv1100 << 20 << 0 << 0LL << 0LL << 0LL << 0LL << 0LL << 0LL;
    // The backup's "areas" are its blocks.
    QTest::newRow("PRV-1100 backup block")
        << prv1100 << 31 << 9 << 1LL << 8188LL << 10LL << 483288LL << 8188LL << 474381LL;
}

void tst_VirtualKeyboardParameters::areaQueriesOfANewKeyboard() {
    QFETCH(const data::KeyboardInfo*, model);
    QFETCH(int, category);
    QFETCH(int, area);
    KeyboardHarness harness(model);
    harness.select(category, area);
    QTEST(harness.system(29), "used");
    QTEST(harness.system(31), "size");
    QTEST(harness.system(35), "count");
    QTEST(harness.system(36), "total");
    QTEST(harness.system(37), "freeForArea");
    QTEST(harness.system(38), "freeMemory");
}

void tst_VirtualKeyboardParameters::areaNames_data() {
    QTest::addColumn<const data::KeyboardInfo*>("model");
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("area");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("name");

    const data::KeyboardInfo* prv1100 = data::Zq10Info::instance();
    const data::KeyboardInfo* prv1200 = data::Zq11Info::instance();
    QTest::newRow("song name, blanks cut")
        << prv1100 << 33 << 1 << songNamed(prv1100, "Moonlight   ") << "Moonlight";
    QTest::newRow("song name, zero ends it")
        << prv1100 << 33 << 1 << songNamed(prv1100, QByteArray("Ab\0cdefghijk", 12)) << "Ab";
    QTest::newRow("song name, unprintable byte")
        << prv1100 << 33 << 1 << songNamed(prv1100, "Caf\xE9        ") << "Caf?";
    QByteArray preset = prv1100->emptyData(37, 0);
    preset.replace(9, 16, "ABCDEFGHIJKLMNOP");
    QTest::newRow("preset, all sixteen characters")
        << prv1200 << 37 << 3 << preset << "ABCDEFGHIJKLMNOP";
    QByteArray rhythm = prv1100->emptyData(36, 0);
    rhythm.replace(10, 12, "Bossa Nova  ");
    QTest::newRow("native rhythm") << prv1100 << 36 << 0 << rhythm << "Bossa Nova";
    QTest::newRow("raw rhythm is named by its area")
        << prv1100 << 36 << 4 << QByteArray("\x14\0rawrhythmdatabytes", 20) << "Rhythm 5";
    QTest::newRow("tone") << prv1100 << 3 << 2 << QByteArray(40, 'x') << "Tone 3";
    QTest::newRow("DSP counts from 101") << prv1100 << 19 << 0 << QByteArray(20, 'x') << "DSP 101";
    QTest::newRow("drawbar") << prv1200 << 3 << 100 << QByteArray(84, 'x') << "Drawbar Organ 51";
}

void tst_VirtualKeyboardParameters::areaNames() {
    QFETCH(const data::KeyboardInfo*, model);
    QFETCH(int, category);
    QFETCH(int, area);
    QFETCH(QByteArray, data);
    KeyboardHarness harness(model);
    QVERIFY(harness.sendArea(category, area, data));
    harness.select(category, area);
    QCOMPARE(harness.system(29), 1);
    QTEST(harness.areaName(), "name");
}

void tst_VirtualKeyboardParameters::selectionReadsBack() {
    KeyboardHarness harness(data::Zq10Info::instance());
    harness.select(36, 7);
    QCOMPARE(harness.system(25), 36);
    QCOMPARE(harness.system(26), 2);
    QCOMPARE(harness.system(27), 7);
    // An empty area has no name.
    QCOMPARE(harness.areaName(), QString());
}

void tst_VirtualKeyboardParameters::storedParametersEchoTheirAddress() {
    KeyboardHarness harness(data::Zq10Info::instance());
    for (int i = 0; i < 32; ++i)
        QVERIFY(harness.exchange(KeyboardHarness::ips(2, 106, {1000 + i}, 0, i)).isEmpty());
    harness.exchange(KeyboardHarness::ips(2, 4, {1}));

    // Index 0 = 5 is written last-index-first at bytes 16 and 17; the value
    // 1005 is a 14-bit number, low 7 bits first.
    const QByteArray request = KeyboardHarness::ipr(2, 106, 0, 0, 5);
    QCOMPARE(request.mid(16, 2), hex("05 00"));
    QCOMPARE(harness.reply(request), answerTo(request, hex("6D 07")));
    QCOMPARE(harness.request(2, 106, 0, 0, 31), QVector<qint32>{1031});
    QCOMPARE(harness.request(2, 4), QVector<qint32>{1});
    // Never set: zero.
    QCOMPARE(harness.request(2, 107), QVector<qint32>{0});
}

void tst_VirtualKeyboardParameters::widthsFollowTheAttributeTable_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("id");
    QTest::addColumn<QVector<qint32>>("values");
    QTest::addColumn<QByteArray>("valueBytes");

    QTest::newRow("7-bit, several elements")
        << 3 << 6 << QVector<qint32>{1, 2, 127} << hex("01 02 7F");
    QTest::newRow("16-bit") << 4 << 3 << QVector<qint32>{0xFFFF} << hex("7F 7F 03");
    QTest::newRow("32-bit") << 15 << 1 << QVector<qint32>{-1} << hex("7F 7F 7F 7F 0F");
    QTest::newRow("1-bit") << 2 << 4 << QVector<qint32>{1} << hex("01");
    QTest::newRow("no width: no value bytes") << 0 << 40 << QVector<qint32>{0} << QByteArray();
    QTest::newRow("category without a table") << 20 << 3 << QVector<qint32>{0, 0} << QByteArray();
}

void tst_VirtualKeyboardParameters::widthsFollowTheAttributeTable() {
    QFETCH(int, category);
    QFETCH(int, id);
    QFETCH(QVector<qint32>, values);
    QFETCH(QByteArray, valueBytes);
    KeyboardHarness harness(data::Zq12Info::instance());
    harness.exchange(KeyboardHarness::ips(category, id, values, 2));
    const QByteArray request = KeyboardHarness::ipr(category, id, int(values.size()) - 1, 2);
    QCOMPARE(harness.reply(request), answerTo(request, valueBytes));
}

void tst_VirtualKeyboardParameters::unanswerableRequests_data() {
    QTest::addColumn<QByteArray>("message");

    // Sixteen 8-bit values take 32 bytes: the answer would pass 48 bytes.
    QByteArray tooMany = KeyboardHarness::ipr(0, 33, 0);
    tooMany[22] = 15;
    QTest::newRow("answer longer than a parameter message") << tooMany;
    QTest::newRow("IPR one byte short") << KeyboardHarness::ipr(0, 24).remove(10, 1);
    QByteArray noEnd = KeyboardHarness::ipr(0, 24);
    noEnd[24] = 0x00;
    QTest::newRow("IPR without F7") << noEnd;
    QByteArray otherMaker = KeyboardHarness::ipr(0, 24);
    otherMaker[1] = 0x41;
    QTest::newRow("another maker's SysEx") << otherMaker;
    QTest::newRow("just F0 F7") << hex("F0 F7");
    QTest::newRow("unused type 12") << hex("F0 3B 2C 01 7F 0C F7");
}

void tst_VirtualKeyboardParameters::unanswerableRequests() {
    QFETCH(QByteArray, message);
    KeyboardHarness harness(data::Zq10Info::instance());
    QVERIFY(harness.exchange(message).isEmpty());
    // The keyboard is still there afterwards.
    QCOMPARE(harness.system(24), 1);
}

void tst_VirtualKeyboardParameters::computedParametersCannotBeSet() {
    KeyboardHarness harness(data::Zq10Info::instance());
    harness.exchange(KeyboardHarness::ips(0, 24, {0}));
    harness.select(33, 0);
    harness.exchange(KeyboardHarness::ips(0, 31, {5}));
    QCOMPARE(harness.system(24), 1);
    QCOMPARE(harness.system(31), 817);
}

void tst_VirtualKeyboardParameters::pictureByParameters() {
    KeyboardHarness harness(data::Zq10Info::instance());
    QByteArray picture(279, '\0');
    for (int i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7);
    // As the delete command sends it: 31 messages of 9 bytes.
    for (int k = 0; k < 31; ++k) {
        QVector<qint32> values;
        for (int i = 0; i < 9; ++i)
            values.append(quint8(picture.at(9 * k + i)));
        QVERIFY(harness.exchange(KeyboardHarness::ips(48, 0, values, 9 * k)).isEmpty());
    }
    QCOMPARE(harness.keyboard().lcdPicture(), picture);
}

QTEST_GUILESS_MAIN(tst_VirtualKeyboardParameters)
#include "tst_VirtualKeyboardParameters.moc"
