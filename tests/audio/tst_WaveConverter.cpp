// The four wave conversions: bit depth with dither, normalisation, to
// stereo and sampling rate, their results, failures and cancellation, and
// the import chain they form.
#include "ReferenceResampler.h"
#include "WaveImages.h"

#include "audio/ConversionError.h"
#include "audio/SamplingFormatConverter.h"
#include "audio/WaveConverter.h"
#include "audio/WaveHeader.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <functional>
#include <optional>
#include <thread>

using namespace zel::qmix;
using audio::ConversionError;
using audio::WaveConverter;
using namespace wave_images;

namespace {

using Conversion = std::function<int(WaveConverter&, const QString&, const QString&)>;

Format formatOf(int bits, int channels, int rate = 44100) {
    Format format;
    format.bits = quint16(bits);
    format.channels = quint16(channels);
    format.rate = quint32(rate);
    return format;
}

qint64 lowest(int bits) {
    return -(qint64(1) << (bits - 1));
}

qint64 highest(int bits) {
    return (qint64(1) << (bits - 1)) - 1;
}

// Evenly spread values over the whole range of `bits`, both ends included.
std::vector<qint64> spread(int bits, int count, quint32 seed = 7) {
    QRandomGenerator random(seed);
    std::vector<qint64> samples = {lowest(bits), highest(bits), 0, -1, 1};
    while (int(samples.size()) < count)
        samples.push_back(lowest(bits) +
                          qint64(random.bounded(double(highest(bits) - lowest(bits)))));
    return samples;
}

// floor(value / 2^shift)
qint64 floorShift(qint64 value, int shift) {
    return qint64(std::floor(double(value) / std::ldexp(1.0, shift)));
}

// A seed whose first dither draw is the top value, 32767.
quint32 seedDrawingTopFirst() {
    for (quint32 seed = 0;; ++seed) {
        QRandomGenerator random(seed);
        if (random.bounded(32768u) == 32767u)
            return seed;
    }
}

struct Outcome {
    int result = -1;
    std::optional<int> thrown;
};

Outcome run(const Conversion& conversion, WaveConverter& converter, const QString& input,
            const QString& output) {
    Outcome outcome;
    try {
        outcome.result = conversion(converter, input, output);
    } catch (const ConversionError& error) {
        outcome.thrown = error.code;
    }
    return outcome;
}

Conversion toBits(int bits) {
    return [bits](WaveConverter& converter, const QString& in, const QString& out) {
        return converter.convertBitDepth(in, out, bits);
    };
}

const Conversion normalizing = [](WaveConverter& converter, const QString& in, const QString& out) {
    return converter.normalize(in, out);
};
const Conversion toStereo = [](WaveConverter& converter, const QString& in, const QString& out) {
    return converter.convertToStereo(in, out);
};
Conversion toRate(int rate) {
    return [rate](WaveConverter& converter, const QString& in, const QString& out) {
        return converter.convertSamplingRate(in, out, rate);
    };
}

} // namespace

Q_DECLARE_METATYPE(Conversion)

class SignalSource : public QObject {
    Q_OBJECT
signals:
    void cancelRequested();
    void suspendRequested(bool suspended);
};

class TestWaveConverter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void widensExactly_data();
    void widensExactly();
    void narrowsWithDitherOfAtMostOneStep_data();
    void narrowsWithDitherOfAtMostOneStep();
    void narrowingKeepsFullScale_data();
    void narrowingKeepsFullScale();
    void ditherFollowsItsSeed();
    void sameDepthIsNothingToDo();
    void unsupportedDepthsAreRefused();
    void normalizes_data();
    void normalizes();
    void normalizingLeavesUnscalableFilesAlone_data();
    void normalizingLeavesUnscalableFilesAlone();
    void makesStereo_data();
    void makesStereo();
    void stereoStaysAsItIs();
    void convertsRateThroughTheConverter();
    void equalRateIsNothingToDo();
    void readsWriteProtectedInputs_data();
    void readsWriteProtectedInputs();
    void reportsOpenFailures_data();
    void reportsOpenFailures();
    void outputThatCannotBeSizedThrows_data();
    void outputThatCannotBeSizedThrows();
    void cancelStopsEveryConversion_data();
    void cancelStopsEveryConversion();
    void cancelReachesARunningRateConversion();
    void cancelAndSuspendSourcesReachTheRateConverter();
    void importChainMakesTheKeyboardFormat();
    void importChainTakesSoxFiles_data();
    void importChainTakesSoxFiles();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString writeInput(const QString& name, const QByteArray& image) {
        const QString file = path(name);
        if (!writeFile(file, image))
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }

    QTemporaryDir tempRoot_;
    QTemporaryDir dir_;
};

void TestWaveConverter::initTestCase() {
    QVERIFY(tempRoot_.isValid());
    QVERIFY(dir_.isValid());
    qputenv("TMPDIR", QFile::encodeName(tempRoot_.path()));
    audio::SamplingFormatConverter::setTraceEnabled(false);
}

void TestWaveConverter::cleanup() {
    QDir work(dir_.path());
    for (const QString& name : work.entryList(QDir::Files))
        work.remove(name);
    QVERIFY(leftoverTemporaries(tempRoot_.path()).isEmpty());
}

void TestWaveConverter::widensExactly_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("channels");

    QTest::newRow("8 to 16, mono") << 8 << 16 << 1;
    QTest::newRow("16 to 24, stereo") << 16 << 24 << 2;
    QTest::newRow("24 to 32, stereo") << 24 << 32 << 2;
    QTest::newRow("8 to 32, 3 channels") << 8 << 32 << 3;
}

void TestWaveConverter::widensExactly() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, channels);
    const std::vector<qint64> samples = spread(from, 300 * channels);
    const QString input = writeInput("in.wav", pcmFile(formatOf(from, channels, 22050), samples));
    WaveConverter converter;
    QCOMPARE(converter.convertBitDepth(input, path("out.wav"), to), 0);
    const Canonical output = readCanonical(path("out.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.bits, quint16(to));
    QCOMPARE(output.channels, quint16(channels));
    QCOMPARE(output.rate, 22050u);
    QCOMPARE(output.samples.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        // Scaled up, then +0.5 and truncated toward zero, which lifts
        // negative values by one step.
        const qint64 scaled = samples[i] * (qint64(1) << (to - from));
        QCOMPARE(output.samples[i], scaled < 0 ? scaled + 1 : scaled);
    }
}

void TestWaveConverter::narrowsWithDitherOfAtMostOneStep_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");

    QTest::newRow("24 to 16") << 24 << 16;
    QTest::newRow("32 to 16") << 32 << 16;
    QTest::newRow("16 to 8") << 16 << 8;
    QTest::newRow("32 to 24") << 32 << 24;
}

void TestWaveConverter::narrowsWithDitherOfAtMostOneStep() {
    QFETCH(int, from);
    QFETCH(int, to);
    const std::vector<qint64> samples = spread(from, 4000);
    const QString input = writeInput("in.wav", pcmFile(formatOf(from, 2), samples));
    WaveConverter converter;
    QCOMPARE(converter.convertBitDepth(input, path("out.wav"), to), 0);
    const Canonical output = readCanonical(path("out.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.bits, quint16(to));
    QCOMPARE(output.samples.size(), samples.size());
    int raised = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const qint64 shifted = floorShift(samples[i], from - to);
        const qint64 step = output.samples[i] - shifted;
        QVERIFY2(step == 0 || (step == 1 && shifted < highest(to)),
                 qPrintable(QStringLiteral("%1 became %2").arg(samples[i]).arg(output.samples[i])));
        raised += step;
    }
    // +0.5 and truncation toward zero: negative values nearly always go one
    // step up, positive ones nearly never.
    QVERIFY(raised > 0);
}

void TestWaveConverter::narrowingKeepsFullScale_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");

    QTest::newRow("24 to 16") << 24 << 16;
    QTest::newRow("32 to 16") << 32 << 16;
    QTest::newRow("16 to 8") << 16 << 8;
}

void TestWaveConverter::narrowingKeepsFullScale() {
    QFETCH(int, from);
    QFETCH(int, to);
    // The top dither value takes a full-scale sample one step beyond the
    // target's range: it must stay at full scale, not wrap to the bottom.
    const QString input = writeInput("in.wav", pcmFile(formatOf(from, 1), {highest(from)}));
    WaveConverter converter;
    converter.seedDither(seedDrawingTopFirst());
    QCOMPARE(converter.convertBitDepth(input, path("out.wav"), to), 0);
    const Canonical output = readCanonical(path("out.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.samples, std::vector<qint64>{highest(to)});
}

void TestWaveConverter::ditherFollowsItsSeed() {
    // Only the extreme draws move a sample: the top one lifts a positive
    // value by a step.
    const qint64 sample = 1000 * 256 + 17;
    const QString input = writeInput("in.wav", pcmFile(formatOf(24, 1), {sample, sample}));
    auto convertWithSeed = [&](quint32 seed, const QString& name) {
        WaveConverter converter;
        converter.seedDither(seed);
        if (converter.convertBitDepth(input, path(name), 16) != 0)
            return std::vector<qint64>();
        return readCanonical(path(name)).samples;
    };
    const quint32 topFirst = seedDrawingTopFirst();
    QVERIFY(QRandomGenerator(topFirst + 1).bounded(32768u) != 32767u);
    const std::vector<qint64> lifted = convertWithSeed(topFirst, "a.wav");
    QCOMPARE(lifted.size(), size_t(2));
    QCOMPARE(lifted.front(), qint64(1001));
    QCOMPARE(convertWithSeed(topFirst, "b.wav"), lifted);
    QCOMPARE(convertWithSeed(topFirst + 1, "c.wav").front(), qint64(1000));
}

void TestWaveConverter::sameDepthIsNothingToDo() {
    const QString input = writeInput("in.wav", pcmFile(formatOf(16, 2), spread(16, 10)));
    WaveConverter converter;
    QCOMPARE(converter.convertBitDepth(input, path("out.wav"), 16), 1);
    QVERIFY(!QFileInfo::exists(path("out.wav")));
}

void TestWaveConverter::unsupportedDepthsAreRefused() {
    Format twelve = formatOf(12, 2);
    const QString input = writeInput("in12.wav", pcmFile(twelve, spread(12, 10)));
    const QString sixteen = writeInput("in16.wav", pcmFile(formatOf(16, 2), spread(16, 10)));
    WaveConverter converter;
    QCOMPARE(converter.convertBitDepth(input, path("out.wav"), 16), 6);
    QCOMPARE(converter.convertBitDepth(sixteen, path("out.wav"), 20), 6);
    QCOMPARE(converter.convertBitDepth(sixteen, path("out.wav"), 0), 6);
    QVERIFY(!QFileInfo::exists(path("out.wav")));
}

void TestWaveConverter::normalizes_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<qint64>("peak");
    QTest::addColumn<double>("gain");

    QTest::newRow("16-bit, peak 1000: gain capped at 3.5") << 16 << qint64(1000) << 3.5;
    QTest::newRow("16-bit, peak -20000") << 16 << qint64(-20000) << 32767.0 / 20000;
    QTest::newRow("16-bit at full scale: unchanged") << 16 << qint64(32767) << 1.0;
    QTest::newRow("8-bit, peak 50") << 8 << qint64(50) << 127.0 / 50;
    QTest::newRow("24-bit, peak 3000000") << 24 << qint64(3000000) << 8388607.0 / 3000000;
}

void TestWaveConverter::normalizes() {
    QFETCH(int, bits);
    QFETCH(qint64, peak);
    QFETCH(double, gain);
    std::vector<qint64> samples = {peak, 0, -1, 1};
    for (int i = 1; i < 500; ++i)
        samples.push_back((peak * (i % 97)) / 97 * (i % 2 ? 1 : -1));
    const QString input = writeInput("in.wav", pcmFile(formatOf(bits, 2, 32000), samples));
    WaveConverter converter;
    QCOMPARE(converter.normalize(input, path("out.wav")), 0);
    const Canonical output = readCanonical(path("out.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.bits, quint16(bits));
    QCOMPARE(output.rate, 32000u);
    QCOMPARE(output.samples.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        QCOMPARE(output.samples[i], qint64(std::trunc(double(samples[i]) * gain)));
}

void TestWaveConverter::normalizingLeavesUnscalableFilesAlone_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<std::vector<qint64>>("samples");

    QTest::newRow("16-bit holding -32768") << 16 << std::vector<qint64>{100, -32768, 5};
    QTest::newRow("8-bit holding byte 0") << 8 << std::vector<qint64>{3, -128};
    QTest::newRow("silence") << 16 << std::vector<qint64>(100, 0);
    QTest::newRow("no samples") << 16 << std::vector<qint64>{};
}

void TestWaveConverter::normalizingLeavesUnscalableFilesAlone() {
    QFETCH(int, bits);
    QFETCH(std::vector<qint64>, samples);
    const QString input = writeInput("in.wav", pcmFile(formatOf(bits, 1), samples));
    WaveConverter converter;
    QCOMPARE(converter.normalize(input, path("out.wav")), 1);
}

void TestWaveConverter::makesStereo_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");

    QTest::newRow("8-bit mono") << 8 << 1;
    QTest::newRow("16-bit mono") << 16 << 1;
    QTest::newRow("24-bit mono") << 24 << 1;
    QTest::newRow("16-bit, 3 channels") << 16 << 3;
    QTest::newRow("16-bit, 4 channels") << 16 << 4;
    QTest::newRow("32-bit, 6 channels") << 32 << 6;
}

void TestWaveConverter::makesStereo() {
    QFETCH(int, bits);
    QFETCH(int, channels);
    const int frames = 700;
    const std::vector<qint64> samples = spread(bits, frames * channels);
    const QString input = writeInput("in.wav", pcmFile(formatOf(bits, channels, 11025), samples));
    WaveConverter converter;
    QCOMPARE(converter.convertToStereo(input, path("out.wav")), 0);
    const Canonical output = readCanonical(path("out.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.channels, quint16(2));
    QCOMPARE(output.bits, quint16(bits));
    QCOMPARE(output.rate, 11025u);
    std::vector<qint64> expected;
    for (int frame = 0; frame < frames; ++frame) {
        expected.push_back(samples[size_t(frame * channels)]);
        expected.push_back(samples[size_t(frame * channels + (channels == 1 ? 0 : 1))]);
    }
    QCOMPARE(output.samples, expected);
}

void TestWaveConverter::stereoStaysAsItIs() {
    const QString input = writeInput("in.wav", pcmFile(formatOf(16, 2), spread(16, 10)));
    WaveConverter converter;
    QCOMPARE(converter.convertToStereo(input, path("out.wav")), 1);
    QVERIFY(!QFileInfo::exists(path("out.wav")));
}

void TestWaveConverter::convertsRateThroughTheConverter() {
    const std::vector<qint64> samples = spread(16, 2 * 1500);
    const QString input = writeInput("in.wav", pcmFile(formatOf(16, 2, 48000), samples));
    WaveConverter converter;
    QSignalSpy progress(&converter, &WaveConverter::progress);
    QCOMPARE(converter.convertSamplingRate(input, path("out.wav"), 44100), 0);
    const Canonical output = readCanonical(path("out.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.rate, 44100u);
    QCOMPARE(output.samples.size(), reference::resample(samples, 48000, 44100).size());
    // The converter's reports come through as this object's.
    QVERIFY(progress.count() >= 7);
    QCOMPARE(progress.last().at(0).toDouble(), 1.0);
}

void TestWaveConverter::equalRateIsNothingToDo() {
    const QString input = writeInput("in.wav", pcmFile(formatOf(16, 2, 44100), spread(16, 10)));
    WaveConverter converter;
    QCOMPARE(converter.convertSamplingRate(input, path("out.wav"), 44100), 1);
    QVERIFY(!QFileInfo::exists(path("out.wav")));
}

void TestWaveConverter::readsWriteProtectedInputs_data() {
    QTest::addColumn<Conversion>("conversion");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");

    QTest::newRow("bit depth") << toBits(16) << 24 << 2;
    QTest::newRow("normalisation") << normalizing << 16 << 2;
    QTest::newRow("to stereo") << toStereo << 16 << 1;
    QTest::newRow("sampling rate") << toRate(44100) << 16 << 2;
}

void TestWaveConverter::readsWriteProtectedInputs() {
    QFETCH(Conversion, conversion);
    QFETCH(int, bits);
    QFETCH(int, channels);
    std::vector<qint64> samples = spread(bits, 200 * channels);
    samples[0] = 0; // no full-scale negative value, so normalising has work
    const QString input =
        writeInput("protected.wav", pcmFile(formatOf(bits, channels, 48000), samples));
    ReadOnlyFile protection(input);
    if (!protection.isEffective())
        QSKIP("cannot write-protect a file here");
    WaveConverter converter;
    QCOMPARE(run(conversion, converter, input, path("out.wav")).result, 0);
    QVERIFY(readCanonical(path("out.wav")).ok);
}

void TestWaveConverter::reportsOpenFailures_data() {
    QTest::addColumn<Conversion>("conversion");

    QTest::newRow("bit depth") << toBits(24);
    QTest::newRow("normalisation") << normalizing;
    QTest::newRow("to stereo") << toStereo;
    QTest::newRow("sampling rate") << toRate(22050);
}

void TestWaveConverter::reportsOpenFailures() {
    QFETCH(Conversion, conversion);
    const QString mono = writeInput("mono.wav", pcmFile(formatOf(16, 1), {5, -5, 7}));
    const QString bad = writeInput("bad.wav", riff(fmtChunk(formatOf(16, 1))));
    WaveConverter converter;
    QCOMPARE(run(conversion, converter, bad, path("out.wav")).result, 3);
    QCOMPARE(run(conversion, converter, path("missing.wav"), path("out.wav")).result, 4);
    QCOMPARE(run(conversion, converter, mono, path("none/out.wav")).result, 5);
}

void TestWaveConverter::outputThatCannotBeSizedThrows_data() {
    QTest::addColumn<Conversion>("conversion");

    QTest::newRow("bit depth") << toBits(24);
    QTest::newRow("normalisation") << normalizing;
    QTest::newRow("to stereo") << toStereo;
}

void TestWaveConverter::outputThatCannotBeSizedThrows() {
    QFETCH(Conversion, conversion);
    const QString input = writeInput("in.wav", pcmFile(formatOf(16, 1), spread(16, 20000)));
    Outcome outcome;
    {
        FileSizeLimit limit(30000);
        if (!limit.isActive())
            QSKIP("cannot limit file sizes here");
        WaveConverter converter;
        outcome = run(conversion, converter, input, path("out.wav"));
    }
    QCOMPARE(outcome.thrown, std::optional<int>(ConversionError::WriteFailed));
}

void TestWaveConverter::cancelStopsEveryConversion_data() {
    QTest::addColumn<Conversion>("conversion");
    QTest::addColumn<int>("result");
    QTest::addColumn<std::optional<int>>("thrown");

    QTest::newRow("bit depth") << toBits(8) << 2 << std::optional<int>();
    QTest::newRow("normalisation") << normalizing << 2 << std::optional<int>();
    QTest::newRow("to stereo") << toStereo << 2 << std::optional<int>();
    QTest::newRow("sampling rate")
        << toRate(22050) << -1 << std::optional<int>(ConversionError::Canceled);
}

void TestWaveConverter::cancelStopsEveryConversion() {
    QFETCH(Conversion, conversion);
    QFETCH(int, result);
    QFETCH(std::optional<int>, thrown);
    std::vector<qint64> samples = spread(16, 2000);
    samples[0] = 0;
    const QString input = writeInput("in.wav", pcmFile(formatOf(16, 1), samples));
    WaveConverter converter;
    converter.cancel();
    QVERIFY(converter.isCanceled());
    const Outcome outcome = run(conversion, converter, input, path("out.wav"));
    QCOMPARE(outcome.result, result);
    QCOMPARE(outcome.thrown, thrown);
}

void TestWaveConverter::cancelReachesARunningRateConversion() {
    const QString input = writeInput("in.wav", pcmFile(formatOf(16, 2, 48000), spread(16, 4000)));
    WaveConverter converter;
    std::atomic<int> reports{0};
    connect(
        &converter, &WaveConverter::progress, this, [&reports](double) { ++reports; },
        Qt::DirectConnection);
    converter.suspendChangeRequired(true);
    Outcome outcome;
    std::thread worker([&] { outcome = run(toRate(44100), converter, input, path("out.wav")); });
    QTRY_VERIFY(reports.load() > 0);
    converter.cancel();
    converter.suspendChangeRequired(false);
    worker.join();
    QCOMPARE(outcome.thrown, std::optional<int>(ConversionError::Canceled));
    QCOMPARE(reports.load(), 1);
}

void TestWaveConverter::cancelAndSuspendSourcesReachTheRateConverter() {
    const QString input = writeInput("in.wav", pcmFile(formatOf(16, 2, 48000), spread(16, 4000)));
    SignalSource source;
    WaveConverter converter;
    converter.setCancelSource(&source, SIGNAL(cancelRequested()));
    converter.setSuspendSource(&source, SIGNAL(suspendRequested(bool)));
    std::atomic<int> reports{0};
    std::atomic<bool> suspendedOnce{false};
    connect(
        &converter, &WaveConverter::progress, this,
        [&](double) {
            // Suspends itself at its first report, through the source.
            if (++reports == 1 && !suspendedOnce.exchange(true))
                emit source.suspendRequested(true);
        },
        Qt::DirectConnection);
    Outcome outcome;
    std::thread worker([&] { outcome = run(toRate(44100), converter, input, path("out.wav")); });
    QTRY_VERIFY(suspendedOnce.load());
    QTest::qWait(150);
    QCOMPARE(reports.load(), 1);
    emit source.cancelRequested();
    emit source.suspendRequested(false);
    worker.join();
    QCOMPARE(outcome.thrown, std::optional<int>(ConversionError::Canceled));
    // The source reached the converter, not this object's own flag.
    QVERIFY(!converter.isCanceled());
}

void TestWaveConverter::importChainMakesTheKeyboardFormat() {
    // 48 kHz 8-bit mono through every step, in the order an import takes.
    const int frames = 2400;
    std::vector<qint64> samples;
    for (int i = 0; i < frames; ++i)
        samples.push_back(qint64(std::lround(100 * std::sin(i * 0.05) + 20 * std::sin(i * 1.3))));
    const QString input = writeInput("in.wav", pcmFile(formatOf(8, 1, 48000), samples));
    WaveConverter converter;
    QCOMPARE(converter.convertToStereo(input, path("stereo.wav")), 0);
    QCOMPARE(converter.convertBitDepth(path("stereo.wav"), path("16.wav"), 16), 0);
    QCOMPARE(converter.convertSamplingRate(path("16.wav"), path("card.wav"), 44100), 0);

    audio::WaveFormatInfo info;
    QCOMPARE(audio::readWaveHeader(path("card.wav"), info), 0);
    QVERIFY(audio::isKeyboardWaveFormat(info));
    QCOMPARE(audio::waveRateClass(info), 2);

    std::vector<qint64> widened;
    for (qint64 sample : samples) {
        const qint64 value = sample * 256 + (sample < 0 ? 1 : 0);
        widened.push_back(value);
        widened.push_back(value);
    }
    const std::vector<qint64> expected = reference::resample(widened, 48000, 44100);
    const Canonical output = readCanonical(path("card.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.samples.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        QVERIFY(std::abs(output.samples[i] - expected[i]) <= 1);
}

void TestWaveConverter::importChainTakesSoxFiles_data() {
    QTest::addColumn<QStringList>("format");

    QTest::newRow("8-bit mono, 22050 Hz") << QStringList{"-b", "8", "-c", "1", "-r", "22050"};
    QTest::newRow("24-bit stereo, 48000 Hz")
        << QStringList{"-t", "wavpcm", "-b", "24", "-c", "2", "-r", "48000"};
    QTest::newRow("16-bit, 4 channels, 32000 Hz")
        << QStringList{"-t", "wavpcm", "-b", "16", "-c", "4", "-r", "32000"};
    QTest::newRow("32-bit mono, 96000 Hz")
        << QStringList{"-t", "wavpcm", "-b", "32", "-c", "1", "-r", "96000"};
    QTest::newRow("16-bit stereo, 42819 Hz") << QStringList{"-b", "16", "-c", "2", "-r", "42819"};
}

void TestWaveConverter::importChainTakesSoxFiles() {
    QFETCH(QStringList, format);
    const QString sox = soxProgram();
    if (sox.isEmpty())
        QSKIP("sox is not installed");
    const QString input = path("sox.wav");
    QCOMPARE(QProcess::execute(sox, QStringList{"-n"} + format +
                                        QStringList{input, "synth", "0.04", "sine", "300-5000",
                                                    "sine", "700", "vol", "0.7"}),
             0);
    const Canonical source = readPcm(input);
    QVERIFY(source.ok);

    // Each step either converts or finds nothing to do; the chain goes on
    // with whichever file holds the audio.
    WaveConverter converter;
    QString current = input;
    const QList<std::pair<QString, Conversion>> steps = {
        {"stereo.wav", toStereo}, {"16.wav", toBits(16)}, {"card.wav", toRate(44100)}};
    for (const auto& [name, conversion] : steps) {
        const Outcome outcome = run(conversion, converter, current, path(name));
        QVERIFY(outcome.result == 0 || outcome.result == 1);
        if (outcome.result == 0)
            current = path(name);
    }
    audio::WaveFormatInfo info;
    QCOMPARE(audio::readWaveHeader(current, info), 0);
    QVERIFY(audio::isKeyboardWaveFormat(info));
    QCOMPARE(info.sampleRate, 44100u);

    // The same steps, from the formulas, on sox's samples.
    std::vector<qint64> stereo;
    const size_t channels = source.channels;
    for (size_t i = 0; i + channels <= source.samples.size(); i += channels) {
        stereo.push_back(source.samples[i]);
        stereo.push_back(source.samples[i + (channels == 1 ? 0 : 1)]);
    }
    const int shift = source.bits - 16;
    for (qint64& sample : stereo) {
        if (shift < 0)
            sample = sample * (qint64(1) << -shift) + (sample < 0 ? 1 : 0);
        else if (shift > 0)
            sample = floorShift(sample, shift) + (sample < 0 ? 1 : 0);
    }
    const std::vector<qint64> expected =
        source.rate == 44100 ? stereo : reference::resample(stereo, int(source.rate), 44100);
    const Canonical output = readCanonical(current);
    QVERIFY(output.ok);
    QCOMPARE(output.samples.size(), expected.size());
    // Narrowing may move a sample by a step where the dither draws an
    // extreme value, and the interpolation carries that on.
    const qint64 tolerance = shift > 0 ? 2 : 1;
    for (size_t i = 0; i < expected.size(); ++i)
        QVERIFY2(std::abs(output.samples[i] - expected[i]) <= tolerance,
                 qPrintable(QStringLiteral("sample %1: %2 instead of %3")
                                .arg(i)
                                .arg(output.samples[i])
                                .arg(expected[i])));
}

QTEST_GUILESS_MAIN(TestWaveConverter)
#include "tst_WaveConverter.moc"
