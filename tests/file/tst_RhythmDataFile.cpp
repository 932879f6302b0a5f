#include "FileImages.h"
#include "ModelScope.h"

#include "data/Zq12Info.h"
#include "data/Zq21BInfo.h"
#include "file/RhythmDataFile.h"

#include <QtTest>

using namespace zel::qmix;
using file::RhythmDataFile;

namespace {

QByteArray withLittleEndian32At(QByteArray bytes, int offset, quint32 value) {
    qToLittleEndian<quint32>(value, bytes.data() + offset);
    return bytes;
}

} // namespace

class tst_RhythmDataFile : public QObject {
    Q_OBJECT

private slots:
    void formIsRecognised_data();
    void formIsRecognised();
    void fromByteArrayKeepsTheRhythm_data();
    void fromByteArrayKeepsTheRhythm();
    void toByteArrayWritesNativeAsIsAndWrapsRaw_data();
    void toByteArrayWritesNativeAsIsAndWrapsRaw();
    void wrappedFileReadBackGivesTheSameRhythm();
    void formIsThatOfTheRhythmHeld();
};

void tst_RhythmDataFile::formIsRecognised_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("form");

    const QByteArray raw19 = FileImages::rawRhythm(19);
    QTest::newRow("native, 116 bytes") << FileImages::nativeRhythm(116) << 0;
    QTest::newRow("native, 8 bytes") << FileImages::nativeRhythm(8) << 0;
    QTest::newRow("native, length one short")
        << withLittleEndian32At(FileImages::nativeRhythm(116), 4, 115) << 4;
    QTest::newRow("native, length one long")
        << withLittleEndian32At(FileImages::nativeRhythm(116), 4, 117) << 4;
    QTest::newRow("native, length 4 GB")
        << withLittleEndian32At(FileImages::nativeRhythm(116), 4, 0xFFFFFFFF) << 4;
    QTest::newRow("AC07 alone") << QByteArray("AC07") << 4;
    QTest::newRow("AC07, 7 bytes") << QByteArray("AC07\x07\0\0", 7) << 4;
    QTest::newRow("wrapped") << FileImages::wrappedRhythm(raw19, "QS-1") << 1;
    QTest::newRow("ACZF alone") << QByteArray("ACZF") << 1;
    QTest::newRow("library") << FileImages::libraryRhythm(FileImages::nativeRhythm(100)) << 2;
    QTest::newRow("library, empty inside") << FileImages::libraryRhythm({}) << 2;
    QTest::newRow("library, kind 10") << FileImages::libraryRhythm(raw19, 10) << 4;
    QTest::newRow("library, kind 0x0b00") << FileImages::libraryRhythm(raw19, 0x0b00) << 4;
    QTest::newRow("library, one byte missing") << FileImages::libraryRhythm(raw19).chopped(1) << 4;
    QTest::newRow("library, one byte extra")
        << FileImages::libraryRhythm(raw19) + QByteArray(1, '\0') << 4;
    QTest::newRow("library tag only") << QByteArray("TAVRO Music Lib") << 4;
    QTest::newRow("library, cut before the kind") << FileImages::libraryRhythm(raw19).left(23) << 4;
    QTest::newRow("raw, 19 bytes 13 00") << raw19 << 3;
    QTest::newRow("raw-like, 18 bytes 13 00") << raw19.left(18) << 4;
    QTest::newRow("raw-like, 18 bytes 12 00") << FileImages::rawRhythm(18) << 4;
    QTest::newRow("raw, 20 bytes") << FileImages::rawRhythm(20) << 3;
    QTest::newRow("raw, 65535 bytes") << FileImages::rawRhythm(65535) << 3;
    QTest::newRow("raw-like, length one off") << raw19 + QByteArray(1, '\0') << 4;
    QTest::newRow("empty") << QByteArray() << 4;
    QTest::newRow("one byte") << QByteArray(1, '\x01') << 4;
    QTest::newRow("AC0 and a zero") << QByteArray("AC0\0\x08\0\0\0", 8) << 4;
}

void tst_RhythmDataFile::formIsRecognised() {
    QFETCH(QByteArray, image);
    QFETCH(int, form);
    QCOMPARE(int(RhythmDataFile::rhythmForm(image)), form);
}

void tst_RhythmDataFile::fromByteArrayKeepsTheRhythm_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("valid");

    const QByteArray native = FileImages::nativeRhythm(116);
    const QByteArray raw = FileImages::rawRhythm(300);
    QTest::newRow("native") << native << 0 << native << true;
    QTest::newRow("raw") << raw << 0 << raw << true;
    QTest::newRow("wrapped") << FileImages::wrappedRhythm(raw, "PRV-1200") << 0 << raw << true;
    QTest::newRow("library around native")
        << FileImages::libraryRhythm(native) << 0 << native << true;
    QTest::newRow("library around raw") << FileImages::libraryRhythm(raw) << 0 << raw << true;
    // What is sent is the payload, which must itself be a rhythm.
    QTest::newRow("wrapped, junk inside")
        << FileImages::wrappedRhythm(QByteArray(100, '\x7f'), "PRV-1200") << 0
        << QByteArray(100, '\x7f') << false;
    QTest::newRow("library, junk inside") << FileImages::libraryRhythm(QByteArray(100, '\x7f')) << 0
                                          << QByteArray(100, '\x7f') << false;
    QTest::newRow("wrapped, wrapped inside")
        << FileImages::wrappedRhythm(FileImages::wrappedRhythm(raw, "QS-1"), "QS-1") << 0
        << FileImages::wrappedRhythm(raw, "QS-1") << false;
    QTest::newRow("wrapped, header only")
        << FileImages::wrappedRhythm({}, "PRV-1200") << 0 << QByteArray() << false;
    QTest::newRow("wrapped, header cut short") << QByteArray("ACZF") << 0 << QByteArray() << false;
    QTest::newRow("library, header only")
        << FileImages::libraryRhythm({}) << 0 << QByteArray() << false;
    QTest::newRow("invalid") << raw.left(18) << 3 << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << 3 << QByteArray() << false;
}

void tst_RhythmDataFile::fromByteArrayKeepsTheRhythm() {
    QFETCH(QByteArray, image);
    QFETCH(int, result);
    QFETCH(QByteArray, payload);
    QFETCH(bool, valid);

    RhythmDataFile rhythm;
    QCOMPARE(rhythm.fromByteArray(image), result);
    QCOMPARE(rhythm.data(), payload);
    QCOMPARE(rhythm.isValid(), valid);
    QCOMPARE(rhythm.headerSize(), -1);
}

void tst_RhythmDataFile::toByteArrayWritesNativeAsIsAndWrapsRaw_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("image");

    const QByteArray native = FileImages::nativeRhythm(116);
    const QByteArray raw = FileImages::rawRhythm(19);
    QTest::newRow("native") << native << 0 << native;
    // The wrapper carries the current model's trimmed name.
    QTest::newRow("raw") << raw << 0 << FileImages::wrappedRhythm(raw, "QS-1");
    QTest::newRow("invalid") << raw.left(18) << 3 << raw.left(18);
    QTest::newRow("empty") << QByteArray() << 3 << QByteArray();
    QTest::newRow("a wrapped image as payload")
        << FileImages::wrappedRhythm(raw, "QS-1") << 3 << FileImages::wrappedRhythm(raw, "QS-1");
}

void tst_RhythmDataFile::toByteArrayWritesNativeAsIsAndWrapsRaw() {
    QFETCH(QByteArray, payload);
    QFETCH(int, result);
    QFETCH(QByteArray, image);

    ModelScope scope(data::Zq12Info::instance());
    RhythmDataFile rhythm;
    rhythm.setData(payload);
    QByteArray out("stale");
    QCOMPARE(rhythm.toByteArray(out), result);
    QCOMPARE(out, image);
}

void tst_RhythmDataFile::wrappedFileReadBackGivesTheSameRhythm() {
    ModelScope scope(data::Zq21BInfo::instance());
    const QByteArray raw = FileImages::rawRhythm(500);
    RhythmDataFile received;
    received.setData(raw);
    QByteArray image;
    QCOMPARE(received.toByteArray(image), 0);
    QCOMPARE(image.size(), 276 + 500);
    QCOMPARE(image.left(12), QByteArray("ACZFPRV-3200"));
    QCOMPARE(image.mid(12, 4), QByteArray::fromHex("f4010000"));
    QCOMPARE(image.mid(16, 260), QByteArray(260, '\0'));

    RhythmDataFile reread;
    QCOMPARE(reread.fromByteArray(image), 0);
    QCOMPARE(reread.form(), RhythmDataFile::RawForm);
    QCOMPARE(reread.data(), raw);
}

void tst_RhythmDataFile::formIsThatOfTheRhythmHeld() {
    const QByteArray native = FileImages::nativeRhythm(64);
    const QByteArray raw = FileImages::rawRhythm(30);
    RhythmDataFile rhythm;
    QCOMPARE(rhythm.form(), RhythmDataFile::InvalidForm);
    QVERIFY(!rhythm.isValid());

    QCOMPARE(rhythm.fromByteArray(FileImages::libraryRhythm(native)), 0);
    QCOMPARE(rhythm.form(), RhythmDataFile::NativeForm);
    QCOMPARE(rhythm.fromByteArray(FileImages::wrappedRhythm(raw, "QS-1")), 0);
    QCOMPARE(rhythm.form(), RhythmDataFile::RawForm);
    QVERIFY(rhythm.isValid());

    // A failed read leaves nothing that could pass for the earlier rhythm.
    QCOMPARE(rhythm.fromByteArray("junk"), 3);
    QVERIFY(rhythm.data().isEmpty());
    QVERIFY(!rhythm.isValid());

    rhythm.setData(native);
    QCOMPARE(rhythm.form(), RhythmDataFile::NativeForm);
    rhythm.setData(QByteArray(18, '\x12'));
    QCOMPARE(rhythm.form(), RhythmDataFile::InvalidForm);
    QVERIFY(!rhythm.isValid());
}

QTEST_GUILESS_MAIN(tst_RhythmDataFile)
#include "tst_RhythmDataFile.moc"
