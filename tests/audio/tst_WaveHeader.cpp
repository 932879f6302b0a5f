// The WAV header reader and writer and the keyboard-format tests, on files
// built byte by byte and on files made by sox.
#include "WaveImages.h"

#include "audio/WaveHeader.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace zel::qmix::audio;
using namespace wave_images;

namespace {

const std::vector<qint64> kFourSamples = {1, -1, 300, -300};

Format stereo16() {
    return Format{};
}

QByteArray stereoData() {
    return chunk("data", sampleBytes(kFourSamples, 16));
}

QByteArray fmtOfSize(const QByteArray& extra) {
    return chunk("fmt ", fmtBody(stereo16()) + extra);
}

Format degenerate(quint16 blockAlign, quint32 rate, quint32 byteRate, quint16 bits) {
    Format format;
    format.exactRates = true;
    format.blockAlign = blockAlign;
    format.rate = rate;
    format.byteRate = byteRate;
    format.bits = bits;
    return format;
}

} // namespace

class TestWaveHeader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void readsHeader_data();
    void readsHeader();
    void reportsOffsets();
    void unreadableFileCannotBeOpened();
    void closedDeviceCannotBeOpened();
    void buildsCanonicalHeader_data();
    void buildsCanonicalHeader();
    void writtenHeaderReadsBack();
    void judgesKeyboardFormat_data();
    void judgesKeyboardFormat();
    void classifiesRates();
    void readsSoxFiles_data();
    void readsSoxFiles();

private:
    QString write(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("f%1.wav").arg(++files_));
        if (!writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QTemporaryDir dir_;
    int files_ = 0;
};

void TestWaveHeader::readsHeader_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("result");

    const QByteArray fmt = fmtChunk(stereo16());
    const QByteArray data = stereoData();
    QTest::newRow("canonical") << riff(fmt + data) << 0;
    QTest::newRow("other chunk of odd size between, no pad byte")
        << riff(fmt + chunk("LIST", "abcde") + data) << 0;
    QTest::newRow("data before fmt") << riff(data + fmt) << 0;
    QTest::newRow("other chunk first")
        << riff(chunk("JUNK", QByteArray(12, 'j')) + fmt + data) << 0;
    QTest::newRow("chunks after the data") << riff(fmt + data + chunk("LIST", "xy")) << 0;
    QTest::newRow("fmt of 18 bytes, empty extension") << riff(fmtOfSize(le16(0)) + data) << 0;
    QTest::newRow("fmt of 20 bytes, 2-byte extension")
        << riff(fmtOfSize(le16(2) + "zz") + data) << 0;
    QTest::newRow("RIFF size below the file's") << riff(fmt + data, 20) << 0;
    QTest::newRow("empty data chunk") << riff(fmt + chunk("data", {})) << 0;

    QTest::newRow("fmt of 17 bytes") << riff(fmtOfSize("x") + data) << 1;
    QTest::newRow("fmt of 14 bytes")
        << riff(chunk("fmt ", fmtBody(stereo16()).left(14)) + data) << 1;
    QTest::newRow("fmt of 18 bytes, extension size 4") << riff(fmtOfSize(le16(4)) + data) << 1;
    QTest::newRow("fmt extension beyond the file")
        << riff(data + chunk("fmt ", fmtBody(stereo16()) + le16(8), 26)) << 1;
    Format extensible;
    extensible.tag = 0xFFFE;
    QTest::newRow("extensible format")
        << riff(chunk("fmt ", fmtBody(extensible) + le16(22) + QByteArray(22, '\0')) + data) << 1;
    Format floating;
    floating.tag = 3;
    floating.bits = 32;
    QTest::newRow("floating point") << riff(fmtChunk(floating) + data) << 1;
    Format noChannels;
    noChannels.channels = 0;
    QTest::newRow("no channels") << riff(fmtChunk(noChannels) + data) << 1;
    QTest::newRow("byte rate off by one")
        << riff(fmtChunk(degenerate(4, 44100, 176401, 16)) + data) << 1;
    QTest::newRow("block align 0") << riff(fmtChunk(degenerate(0, 44100, 0, 16)) + data) << 1;
    QTest::newRow("sample rate 0") << riff(fmtChunk(degenerate(4, 0, 0, 16)) + data) << 1;
    QTest::newRow("bits 0") << riff(fmtChunk(degenerate(4, 44100, 176400, 0)) + data) << 1;
    Format manyChannels = degenerate(1, 22050, 22050, 8);
    manyChannels.channels = 32769;
    QTest::newRow("block align below channels x sample bytes")
        << riff(fmtChunk(manyChannels) + data) << 1;
    QTest::newRow("block align above channels x sample bytes")
        << riff(fmtChunk(degenerate(8, 44100, 352800, 16)) + data) << 1;
    Format mono24 = degenerate(3, 8000, 24000, 24);
    mono24.channels = 1;
    QTest::newRow("24-bit mono, 3-byte frames") << riff(fmtChunk(mono24) + data) << 0;
    QTest::newRow("RIFF size beyond the file") << riff(fmt + data, 4 + 24 + 16 + 1) << 1;
    QTest::newRow("data cut short") << riff(fmt + chunk("data", QByteArray(8, 'd'), 100)) << 1;
    QTest::newRow("other chunk cut short") << riff(fmt + chunk("LIST", "ab", 40)) << 1;
    QTest::newRow("no data chunk") << riff(fmt + chunk("LIST", "abcd")) << 1;
    QTest::newRow("no fmt chunk") << riff(data) << 1;
    QTest::newRow("RIFX") << QByteArray("RIFX") + riff(fmt + data).mid(4) << 1;
    QTest::newRow("not WAVE") << riff(fmt + data).replace(8, 4, "AVI ") << 1;
    QTest::newRow("empty file") << QByteArray() << 1;
    QTest::newRow("RIFF header only") << QByteArray("RIFF") + le32(4) + "WAVE" << 1;
    QTest::newRow("chunk header cut") << riff(fmt + "dat") << 1;
}

void TestWaveHeader::readsHeader() {
    QFETCH(QByteArray, image);
    QFETCH(int, result);
    WaveFormatInfo info;
    QCOMPARE(readWaveHeader(write(image), info), result);

    QBuffer buffer(&image);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    WaveFormatInfo fromDevice;
    QCOMPARE(readWaveHeader(&buffer, fromDevice), result);
}

void TestWaveHeader::reportsOffsets() {
    Format mono8;
    mono8.channels = 1;
    mono8.bits = 8;
    mono8.rate = 22050;
    // LIST of 5 bytes, then data of 3 samples, then fmt.
    const QByteArray image =
        riff(chunk("LIST", "abcde") + chunk("data", sampleBytes({0, 5, -5}, 8)) +
             chunk("fmt ", fmtBody(mono8) + le16(0)));
    WaveFormatInfo info;
    QCOMPARE(readWaveHeader(write(image), info), 0);
    QCOMPARE(info.dataOffset, 12u + 8 + 5 + 8);
    QCOMPARE(info.dataSize, 3u);
    QCOMPARE(info.dataEnd, info.dataOffset + 2);
    QCOMPARE(info.fmtOffset, info.dataOffset + 3 + 8);
    QCOMPARE(info.sampleRate, 22050u);
    QCOMPARE(info.channels, quint16(1));
    QCOMPARE(info.bitsPerSample, quint16(8));
    QCOMPARE(info.blockAlign, quint16(1));
}

void TestWaveHeader::unreadableFileCannotBeOpened() {
    WaveFormatInfo info;
    QCOMPARE(readWaveHeader(dir_.filePath(QStringLiteral("missing.wav")), info), 2);
}

void TestWaveHeader::closedDeviceCannotBeOpened() {
    QByteArray image = riff(fmtChunk(stereo16()) + stereoData());
    QBuffer buffer(&image);
    WaveFormatInfo info;
    QCOMPARE(readWaveHeader(&buffer, info), 2);
}

void TestWaveHeader::buildsCanonicalHeader_data() {
    QTest::addColumn<quint32>("dataSize");
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("sampleBytes");

    QTest::newRow("16-bit stereo") << 1000u << 44100u << 16 << 2 << 2;
    QTest::newRow("8-bit mono") << 7u << 8000u << 8 << 1 << 1;
    QTest::newRow("24-bit, 4 channels") << 0u << 96000u << 24 << 4 << 3;
    QTest::newRow("12-bit in two bytes") << 4u << 42819u << 12 << 2 << 2;
}

void TestWaveHeader::buildsCanonicalHeader() {
    QFETCH(quint32, dataSize);
    QFETCH(quint32, rate);
    QFETCH(int, bits);
    QFETCH(int, channels);
    QFETCH(int, sampleBytes);

    const QByteArray expected = QByteArray("RIFF") + le32(dataSize + 36) + "WAVE" + "fmt " +
                                le32(16) + le16(1) + le16(channels) + le32(rate) +
                                le32(rate * channels * sampleBytes) + le16(channels * sampleBytes) +
                                le16(bits) + "data" + le32(dataSize);
    QCOMPARE(makeWaveHeader(dataSize, rate, bits, channels), expected);

    WaveFormatInfo info;
    info.dataSize = dataSize;
    info.sampleRate = rate;
    info.bitsPerSample = quint16(bits);
    info.channels = quint16(channels);
    QCOMPARE(makeWaveHeader(info), expected);
    QCOMPARE(makeRiffHeader(dataSize + 44), expected.left(12));
}

void TestWaveHeader::writtenHeaderReadsBack() {
    const QByteArray samples = sampleBytes({1, 2, 3, 4, 5, 6}, 16);
    const QByteArray image = makeWaveHeader(quint32(samples.size()), 42819, 16, 2) + samples;
    WaveFormatInfo info;
    QCOMPARE(readWaveHeader(write(image), info), 0);
    QCOMPARE(info.dataOffset, 44u);
    QCOMPARE(info.dataSize, quint32(samples.size()));
    QCOMPARE(info.fmtOffset, 20u);
    QCOMPARE(info.blockAlign, quint16(4));
    QCOMPARE(info.sampleRate, 42819u);
}

void TestWaveHeader::judgesKeyboardFormat_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("blockAlign");
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("keyboard");
    QTest::addColumn<bool>("shortEnough");

    QTest::newRow("44100 Hz") << 16 << 2 << 4 << 44100u << 10.0 << true << true;
    QTest::newRow("42819 Hz") << 16 << 2 << 4 << 42819u << 10.0 << true << true;
    QTest::newRow("48000 Hz") << 16 << 2 << 4 << 48000u << 10.0 << false << true;
    QTest::newRow("mono") << 16 << 1 << 2 << 44100u << 10.0 << false << true;
    QTest::newRow("24-bit") << 24 << 2 << 6 << 44100u << 10.0 << false << true;
    QTest::newRow("padded frames") << 16 << 2 << 8 << 44100u << 10.0 << false << true;
    QTest::newRow("5999.9 s") << 16 << 2 << 4 << 44100u << 5999.9 << true << true;
    QTest::newRow("6000 s") << 16 << 2 << 4 << 44100u << 6000.0 << false << false;
}

void TestWaveHeader::judgesKeyboardFormat() {
    QFETCH(int, bits);
    QFETCH(int, channels);
    QFETCH(int, blockAlign);
    QFETCH(quint32, rate);
    QFETCH(double, seconds);
    QFETCH(bool, keyboard);
    QFETCH(bool, shortEnough);

    WaveFormatInfo info;
    info.bitsPerSample = quint16(bits);
    info.channels = quint16(channels);
    info.blockAlign = quint16(blockAlign);
    info.sampleRate = rate;
    info.dataSize = quint32(qint64(seconds * rate) * blockAlign);
    QCOMPARE(isKeyboardWaveFormat(info), keyboard);
    QCOMPARE(isWithinDurationLimit(info), shortEnough);
    QCOMPARE(wholeSeconds(info), quint32(seconds));
}

void TestWaveHeader::classifiesRates() {
    WaveFormatInfo info;
    info.sampleRate = 42819;
    QCOMPARE(waveRateClass(info), 1);
    info.sampleRate = 44100;
    QCOMPARE(waveRateClass(info), 2);
    info.sampleRate = 48000;
    QCOMPARE(waveRateClass(info), -1);
    // A header without a rate or frames has no length, rather than a crash.
    WaveFormatInfo empty;
    QCOMPARE(wholeSeconds(empty), 0u);
}

void TestWaveHeader::readsSoxFiles_data() {
    QTest::addColumn<QStringList>("format");
    QTest::addColumn<int>("result");

    QTest::newRow("16-bit stereo") << QStringList{"-b", "16", "-c", "2", "-r", "48000"} << 0;
    QTest::newRow("8-bit mono") << QStringList{"-b", "8", "-c", "1", "-r", "22050"} << 0;
    QTest::newRow("24-bit stereo, plain PCM")
        << QStringList{"-t", "wavpcm", "-b", "24", "-c", "2", "-r", "44100"} << 0;
    QTest::newRow("4 channels, plain PCM")
        << QStringList{"-t", "wavpcm", "-b", "16", "-c", "4", "-r", "32000"} << 0;
    QTest::newRow("32-bit mono, plain PCM")
        << QStringList{"-t", "wavpcm", "-b", "32", "-c", "1", "-r", "8000"} << 0;
    QTest::newRow("24-bit extensible") << QStringList{"-b", "24", "-c", "2"} << 1;
    QTest::newRow("4 channels extensible") << QStringList{"-b", "16", "-c", "4"} << 1;
    QTest::newRow("floating point") << QStringList{"-e", "floating-point", "-b", "32"} << 1;
    QTest::newRow("A-law") << QStringList{"-e", "a-law"} << 1;
    QTest::newRow("MS ADPCM") << QStringList{"-e", "ms-adpcm"} << 1;
}

void TestWaveHeader::readsSoxFiles() {
    QFETCH(QStringList, format);
    QFETCH(int, result);
    const QString sox = soxProgram();
    if (sox.isEmpty())
        QSKIP("sox is not installed");
    const QString path = dir_.filePath(QStringLiteral("sox%1.wav").arg(++files_));
    const QStringList arguments = QStringList{"-n"} + format +
                                  QStringList{path, "synth", "0.05", "sine", "440", "vol", "0.5"};
    QCOMPARE(QProcess::execute(sox, arguments), 0);

    WaveFormatInfo info;
    QCOMPARE(readWaveHeader(path, info), result);
    if (result != 0)
        return;
    // sox's own account of the file.
    auto soxInfo = [&](const char* option) {
        QProcess soxi;
        soxi.start(sox, {"--i", QString::fromLatin1(option), path});
        soxi.waitForFinished();
        return soxi.readAllStandardOutput().trimmed().toLongLong();
    };
    QCOMPARE(qlonglong(info.sampleRate), soxInfo("-r"));
    QCOMPARE(qlonglong(info.channels), soxInfo("-c"));
    QCOMPARE(qlonglong(info.bitsPerSample), soxInfo("-b"));
    QCOMPARE(qlonglong(info.dataSize / info.blockAlign), soxInfo("-s"));
    // sox ends the file with the data chunk and its pad byte, if any.
    QCOMPARE(qint64(info.dataEnd) + 1 + info.dataSize % 2, QFileInfo(path).size());
}

QTEST_GUILESS_MAIN(TestWaveHeader)
#include "tst_WaveHeader.moc"
