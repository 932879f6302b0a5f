#include "FileImages.h"

#include "file/DrawbarDataFile.h"
#include "file/DspDataFile.h"
#include "file/SequencerDataFile.h"

#include <QtTest>

using namespace zel::qmix;

namespace {

QByteArray drawbarImage(qint32 version, const QByteArray& payload) {
    return FileImages::common("DB7F", "PRV-1200", version, payload);
}

} // namespace

class tst_FormatConversion : public QObject {
    Q_OBJECT

private slots:
    void drawbarSettingsAreRescaled_data();
    void drawbarSettingsAreRescaled();
    void drawbarConversionNeedsEightyFourBytes_data();
    void drawbarConversionNeedsEightyFourBytes();
    void drawbarConversionRunsOnlyFromZeroToOne_data();
    void drawbarConversionRunsOnlyFromZeroToOne();
    void songsAreOnlyRelabelled_data();
    void songsAreOnlyRelabelled();
    void otherFilesKeepTheirVersion();
};

void tst_FormatConversion::drawbarSettingsAreRescaled_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");

    for (int offset : {72, 76, 80}) {
        const int values[][2] = {{0, 0}, {1, 1},    {2, 4},    {3, 8},
                                 {4, 0}, {0x7f, 0}, {0x80, 0}, {0xff, 0}};
        for (const auto& value : values)
            QTest::addRow("byte %d: %d", offset, value[0]) << offset << value[0] << value[1];
    }
    QTest::newRow("byte 83: 0") << 83 << 0 << 0;
    QTest::newRow("byte 83: 1") << 83 << 1 << 2;
    QTest::newRow("byte 83: 2") << 83 << 2 << 0;
    QTest::newRow("byte 83: 0xff") << 83 << 0xff << 2;
    QTest::newRow("byte 26 cleared") << 26 << 0x5a << 0;
    QTest::newRow("byte 27 cleared") << 27 << 0xff << 0;
    // Neighbours of the converted ranges keep their values.
    QTest::newRow("byte 71 kept") << 71 << 3 << 3;
    QTest::newRow("byte 81 kept") << 81 << 3 << 3;
    QTest::newRow("byte 82 kept") << 82 << 0xff << 0xff;
    QTest::newRow("byte 25 kept") << 25 << 0x5a << 0x5a;
    QTest::newRow("byte 28 kept") << 28 << 0x5a << 0x5a;
    QTest::newRow("byte 0 kept") << 0 << 2 << 2;
}

void tst_FormatConversion::drawbarSettingsAreRescaled() {
    QFETCH(int, offset);
    QFETCH(int, before);
    QFETCH(int, after);

    QByteArray payload(84, '\x02');
    payload[offset] = static_cast<char>(before);
    file::DrawbarDataFile drawbar;
    QCOMPARE(drawbar.fromByteArray(drawbarImage(0, payload)), 0);
    QCOMPARE(drawbar.convert(1), 0);
    QCOMPARE(drawbar.formatVersion(), 1);
    const QByteArray converted = drawbar.data();
    QCOMPARE(converted.size(), 84);
    QCOMPARE(static_cast<quint8>(converted.at(offset)), static_cast<quint8>(after));
}

void tst_FormatConversion::drawbarConversionNeedsEightyFourBytes_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("expected");
    QTest::newRow("83 bytes") << 83 << 3;
    QTest::newRow("84 bytes") << 84 << 0;
    QTest::newRow("85 bytes") << 85 << 3;
    QTest::newRow("1 byte") << 1 << 3;
    QTest::newRow("168 bytes") << 168 << 3;
}

void tst_FormatConversion::drawbarConversionNeedsEightyFourBytes() {
    QFETCH(int, size);
    QFETCH(int, expected);

    const QByteArray payload = FileImages::pattern(size);
    file::DrawbarDataFile drawbar;
    QCOMPARE(drawbar.fromByteArray(drawbarImage(0, payload)), 0);
    QCOMPARE(drawbar.convert(1), expected);
    if (expected != 0) {
        QCOMPARE(drawbar.formatVersion(), 0);
        QCOMPARE(drawbar.data(), payload);
    }
}

void tst_FormatConversion::drawbarConversionRunsOnlyFromZeroToOne_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<uint>("target");

    QTest::newRow("0 to 0") << 0 << 0u;
    QTest::newRow("0 to 2") << 0 << 2u;
    QTest::newRow("1 to 1") << 1 << 1u;
    QTest::newRow("1 to 0") << 1 << 0u;
    QTest::newRow("2 to 1") << 2 << 1u;
}

void tst_FormatConversion::drawbarConversionRunsOnlyFromZeroToOne() {
    QFETCH(int, version);
    QFETCH(uint, target);

    // 85 bytes: a conversion attempt would fail, so a 0 proves none ran.
    const QByteArray payload = FileImages::pattern(85);
    file::DrawbarDataFile drawbar;
    QCOMPARE(drawbar.fromByteArray(drawbarImage(version, payload)), 0);
    QCOMPARE(drawbar.convert(target), 0);
    QCOMPARE(drawbar.formatVersion(), version);
    QCOMPARE(drawbar.data(), payload);
}

void tst_FormatConversion::songsAreOnlyRelabelled_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<uint>("target");
    QTest::addColumn<int>("result");

    QTest::newRow("0 to 1") << 0 << 1u << 1;
    QTest::newRow("0 to 0") << 0 << 0u << 0;
    QTest::newRow("0 to 2") << 0 << 2u << 0;
    QTest::newRow("1 to 0") << 1 << 0u << 1;
    QTest::newRow("1 to 1") << 1 << 1u << 1;
}

void tst_FormatConversion::songsAreOnlyRelabelled() {
    QFETCH(int, version);
    QFETCH(uint, target);
    QFETCH(int, result);

    const QByteArray payload = FileImages::pattern(817);
    file::SequencerDataFile song;
    QCOMPARE(song.fromByteArray(FileImages::common("TAV1", "PRV-3100", version, payload)), 0);
    QCOMPARE(song.convert(target), 0);
    QCOMPARE(song.formatVersion(), result);
    QCOMPARE(song.data(), payload);

    QByteArray image;
    QCOMPARE(song.toByteArray(image), 0);
    QCOMPARE(image.mid(16, 4), QByteArray::fromHex("000000") + char(result));
}

void tst_FormatConversion::otherFilesKeepTheirVersion() {
    file::DspDataFile dsp;
    QCOMPARE(dsp.fromByteArray(FileImages::common("DS7F", "PRV-1200", 0, "abc")), 0);
    QCOMPARE(dsp.convert(1), 0);
    QCOMPARE(dsp.formatVersion(), 0);
    QCOMPARE(dsp.data(), QByteArray("abc"));
}

QTEST_GUILESS_MAIN(tst_FormatConversion)
#include "tst_FormatConversion.moc"
