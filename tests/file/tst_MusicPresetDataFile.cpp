#include "FileImages.h"

#include "file/MusicPresetDataFile.h"

#include <QtTest>

using namespace zel::qmix;

class tst_MusicPresetDataFile : public QObject {
    Q_OBJECT

private slots:
    void readAndValidity_data();
    void readAndValidity();
    void emptyPresetIsNotWritten();
};

void tst_MusicPresetDataFile::readAndValidity_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("valid");

    QTest::newRow("43 bytes") << FileImages::musicPreset(43) << 0 << true;
    QTest::newRow("11 bytes") << FileImages::musicPreset(11) << 0 << true;
    QTest::newRow("10 bytes") << FileImages::musicPreset(10) << 0 << false;
    QTest::newRow("8200 bytes") << FileImages::musicPreset(8200) << 0 << true;
    QTest::newRow("CMPS alone") << QByteArray("CMPS") << 0 << false;
    QTest::newRow("lower case tag")
        << QByteArray("cmps").append(FileImages::pattern(40)) << 0 << false;
    QTest::newRow("CMP and a zero")
        << QByteArray("CMP\0", 4).append(FileImages::pattern(40)) << 0 << false;
    QTest::newRow("a common file")
        << QByteArray("TN7F").append(FileImages::pattern(300)) << 0 << false;
    QTest::newRow("one byte") << QByteArray("C") << 0 << false;
    QTest::newRow("empty") << QByteArray() << 3 << false;
}

void tst_MusicPresetDataFile::readAndValidity() {
    QFETCH(QByteArray, image);
    QFETCH(int, result);
    QFETCH(bool, valid);

    file::MusicPresetDataFile preset;
    QCOMPARE(preset.fromByteArray(image), result);
    QCOMPARE(preset.data(), image);
    QCOMPARE(preset.isValid(), valid);
    QByteArray out("stale");
    QCOMPARE(preset.toByteArray(out), result);
    QCOMPARE(out, image);
}

void tst_MusicPresetDataFile::emptyPresetIsNotWritten() {
    file::MusicPresetDataFile preset;
    QCOMPARE(preset.headerSize(), -1);
    QByteArray out;
    QCOMPARE(preset.toByteArray(out), 3);
    QVERIFY(out.isEmpty());
}

QTEST_GUILESS_MAIN(tst_MusicPresetDataFile)
#include "tst_MusicPresetDataFile.moc"
