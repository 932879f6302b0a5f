// The sampling-rate converter against a plain reference implementation, and
// its temporary files, failures, progress, suspension and cancellation.
#include "ReferenceResampler.h"
#include "WaveImages.h"

#include "audio/ConversionError.h"
#include "audio/SamplingFormatConverter.h"
#include "file/FreeSpace.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <optional>
#include <thread>

using namespace zel::qmix;
using audio::ConversionError;
using audio::SamplingFormatConverter;
using namespace wave_images;

namespace {

// Interleaved stereo: two tones, a sweep and noise, at `amplitude` (values
// beyond 16 bits are clipped, as a loud recording would be).
std::vector<qint64> testSignal(int frames, int rate, double amplitude, quint32 seed = 1) {
    std::vector<qint64> samples;
    quint32 noise = seed;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        noise = noise * 1664525u + 1013904223u;
        const double hiss = (double(noise >> 16) / 32768.0 - 1.0) * 0.05;
        const double left = std::sin(2 * M_PI * 440 * t) * 0.6 +
                            std::sin(2 * M_PI * (1000 + 4000 * t) * t) * 0.3 + hiss;
        const double right = std::sin(2 * M_PI * 3000 * t + 1.0) * 0.7 +
                             std::sin(2 * M_PI * 0.45 * rate * t) * 0.2 - hiss;
        for (double value : {left, right})
            samples.push_back(std::clamp<qint64>(qint64(value * amplitude), -32768, 32767));
    }
    return samples;
}

Format stereo16At(int rate) {
    Format format;
    format.rate = quint32(rate);
    return format;
}

// Full-scale square waves: interpolation overshoots them.
std::vector<qint64> squareWave(int frames, int period) {
    std::vector<qint64> samples;
    for (int i = 0; i < frames; ++i) {
        const qint64 value = (i / period) % 2 ? -32768 : 32767;
        samples.push_back(value);
        samples.push_back(-value - 1);
    }
    return samples;
}

struct Outcome {
    int result = -1;
    std::optional<int> thrown;
};

Outcome convert(SamplingFormatConverter& converter, const QString& input, const QString& output,
                int rate) {
    Outcome outcome;
    try {
        outcome.result = converter.convert(input, output, 8, rate);
    } catch (const ConversionError& error) {
        outcome.thrown = error.code;
    }
    return outcome;
}

} // namespace

class TestSamplingFormatConverter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void matchesReference_data();
    void matchesReference();
    void equalRatesKeepTheSamples();
    void zeroFramesGiveAnEmptyFile();
    void clipsOvershootInsteadOfWrapping();
    void convertsOnlyTheDataChunk();
    void readsWriteProtectedInput();
    void reportsInputAndOutputFailures();
    void refusesUnusableTargets();
    void weightsAreLagrangeWeights();
    void progressRunsFromZeroToOne();
    void progressIsThrottledAndMapped();
    void cancelBeforeStartRemovesEverything();
    void cancelWhileSuspendedWaitsForResume();
    void tooLittleTemporaryRoomIsAWriteError();
    void temporaryFileThatCannotGrowIsAWriteError();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString writeInput(const QString& name, const QByteArray& image) {
        const QString file = path(name);
        if (!writeFile(file, image))
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }
    QStringList leftovers() const { return leftoverTemporaries(tempRoot_.path()); }

    QTemporaryDir tempRoot_;
    QTemporaryDir dir_;
};

void TestSamplingFormatConverter::initTestCase() {
    QVERIFY(tempRoot_.isValid());
    QVERIFY(dir_.isValid());
    // The converter's temporary files go here, where the tests can see them.
    qputenv("TMPDIR", QFile::encodeName(tempRoot_.path()));
    QCOMPARE(QDir::tempPath(), QDir(tempRoot_.path()).canonicalPath());
    SamplingFormatConverter::setTraceEnabled(false);
}

void TestSamplingFormatConverter::cleanup() {
    file::FreeSpace::clearOverride();
    QDir work(dir_.path());
    for (const QString& name : work.entryList(QDir::Files))
        work.remove(name);
    QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(QLatin1Char(' '))));
}

void TestSamplingFormatConverter::matchesReference_data() {
    QTest::addColumn<int>("inputRate");
    QTest::addColumn<int>("targetRate");
    QTest::addColumn<int>("frames");
    QTest::addColumn<double>("amplitude");

    QTest::newRow("48000 to 44100") << 48000 << 44100 << 5000 << 20000.0;
    QTest::newRow("44100 to 42819, band limit only") << 44100 << 42819 << 4000 << 20000.0;
    QTest::newRow("42819 to 44100, low-pass after only") << 42819 << 44100 << 4000 << 20000.0;
    QTest::newRow("22050 to 44100") << 22050 << 44100 << 3000 << 25000.0;
    QTest::newRow("96000 to 44100") << 96000 << 44100 << 6000 << 25000.0;
    QTest::newRow("8000 to 44100") << 8000 << 44100 << 1500 << 25000.0;
    QTest::newRow("loud 48000 to 44100, clipping") << 48000 << 44100 << 4000 << 60000.0;
    QTest::newRow("loud 32000 to 44100, clipping") << 32000 << 44100 << 3000 << 60000.0;
    QTest::newRow("one frame") << 48000 << 44100 << 1 << 20000.0;
}

void TestSamplingFormatConverter::matchesReference() {
    QFETCH(int, inputRate);
    QFETCH(int, targetRate);
    QFETCH(int, frames);
    QFETCH(double, amplitude);

    const std::vector<qint64> samples = testSignal(frames, inputRate, amplitude);
    const QString input = writeInput("in.wav", pcmFile(stereo16At(inputRate), samples));
    SamplingFormatConverter converter;
    QCOMPARE(converter.convert(input, path("out.wav"), 8, targetRate), 0);

    const Canonical output = readCanonical(path("out.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.rate, quint32(targetRate));
    QCOMPARE(output.channels, quint16(2));
    QCOMPARE(output.bits, quint16(16));
    const std::vector<qint64> expected = reference::resample(samples, inputRate, targetRate);
    QCOMPARE(output.samples.size(), expected.size());
    int differing = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const qint64 difference = std::abs(output.samples[i] - expected[i]);
        QVERIFY2(difference <= 1, qPrintable(QStringLiteral("sample %1: %2 instead of %3")
                                                 .arg(i)
                                                 .arg(output.samples[i])
                                                 .arg(expected[i])));
        differing += difference != 0;
    }
    // Rounding may tip a truncation now and then, not as a rule.
    QVERIFY2(differing * 100 <= int(expected.size()), qPrintable(QString::number(differing)));
}

void TestSamplingFormatConverter::equalRatesKeepTheSamples() {
    const std::vector<qint64> samples = testSignal(3000, 44100, 30000.0);
    const QString input = writeInput("in.wav", pcmFile(stereo16At(44100), samples));
    SamplingFormatConverter converter;
    QCOMPARE(converter.convert(input, path("out.wav"), 8, 44100), 0);
    const Canonical output = readCanonical(path("out.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.samples, samples);
}

void TestSamplingFormatConverter::zeroFramesGiveAnEmptyFile() {
    const QString input = writeInput("in.wav", pcmFile(stereo16At(48000), {}));
    SamplingFormatConverter converter;
    QCOMPARE(converter.convert(input, path("out.wav"), 8, 44100), 0);
    const Canonical output = readCanonical(path("out.wav"));
    QVERIFY(output.ok);
    QCOMPARE(output.dataSize, 0u);
    QCOMPARE(output.rate, 44100u);
    QCOMPARE(QFileInfo(path("out.wav")).size(), 44);
}

void TestSamplingFormatConverter::clipsOvershootInsteadOfWrapping() {
    for (const auto& [from, to] : {std::pair{48000, 44100}, std::pair{22050, 44100}}) {
        const std::vector<qint64> samples = squareWave(2000, 37);
        const QString input = writeInput("square.wav", pcmFile(stereo16At(from), samples));
        SamplingFormatConverter converter;
        QCOMPARE(converter.convert(input, path("out.wav"), 8, to), 0);
        const Canonical output = readCanonical(path("out.wav"));
        QVERIFY(output.ok);
        const std::vector<qint64> expected = reference::resample(samples, from, to);
        QCOMPARE(output.samples.size(), expected.size());
        int clippedHigh = 0;
        int clippedLow = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            QVERIFY(std::abs(output.samples[i] - expected[i]) <= 1);
            clippedHigh += output.samples[i] == 32767;
            clippedLow += output.samples[i] == -32768;
        }
        // The square waves' overshoot really reached the limits.
        QVERIFY(clippedHigh > 10);
        QVERIFY(clippedLow > 10);
    }
}

void TestSamplingFormatConverter::convertsOnlyTheDataChunk() {
    const std::vector<qint64> samples = testSignal(2000, 48000, 20000.0);
    const QByteArray data = chunk("data", sampleBytes(samples, 16));
    const QString plain = writeInput("plain.wav", riff(fmtChunk(stereo16At(48000)) + data));
    const QString trailing =
        writeInput("trailing.wav", riff(fmtChunk(stereo16At(48000)) + data +
                                        chunk("LIST", QByteArray(4000, char(0x7F)))));
    SamplingFormatConverter first;
    QCOMPARE(first.convert(plain, path("plain-out.wav"), 8, 44100), 0);
    SamplingFormatConverter second;
    QCOMPARE(second.convert(trailing, path("trailing-out.wav"), 8, 44100), 0);
    QCOMPARE(readFile(path("trailing-out.wav")), readFile(path("plain-out.wav")));
}

void TestSamplingFormatConverter::readsWriteProtectedInput() {
    const std::vector<qint64> samples = testSignal(1000, 48000, 20000.0);
    const QString input = writeInput("protected.wav", pcmFile(stereo16At(48000), samples));
    ReadOnlyFile protection(input);
    if (!protection.isEffective())
        QSKIP("cannot write-protect a file here");
    SamplingFormatConverter converter;
    QCOMPARE(converter.convert(input, path("out.wav"), 8, 44100), 0);
    QCOMPARE(readCanonical(path("out.wav")).samples, reference::resample(samples, 48000, 44100));
}

void TestSamplingFormatConverter::reportsInputAndOutputFailures() {
    const QString good =
        writeInput("good.wav", pcmFile(stereo16At(48000), testSignal(100, 48000, 1000)));
    const QString bad = writeInput("bad.wav", QByteArray("RIFF....WAVEjunk"));
    SamplingFormatConverter converter;
    QCOMPARE(converter.convert(bad, path("out.wav"), 8, 44100), 3);
    QCOMPARE(converter.convert(path("missing.wav"), path("out.wav"), 8, 44100), 4);
    QCOMPARE(converter.convert(good, path("no/such/folder/out.wav"), 8, 44100), 5);
    QVERIFY(!QFileInfo::exists(path("out.wav")));
}

void TestSamplingFormatConverter::refusesUnusableTargets() {
    const QString good =
        writeInput("good.wav", pcmFile(stereo16At(48000), testSignal(100, 48000, 1000)));
    SamplingFormatConverter converter;
    QCOMPARE(converter.convert(good, path("out.wav"), 8, 0), 6);
    QCOMPARE(converter.convert(good, path("out.wav"), 0, 44100), 6);
    QCOMPARE(
        converter.convert(good, path("out.wav"), SamplingFormatConverter::kMaxPoints + 1, 44100),
        6);
}

void TestSamplingFormatConverter::weightsAreLagrangeWeights() {
    for (int points : {2, 4, 8}) {
        for (int fraction : {1, 1000, 32767, 32768, 65534}) {
            SamplingFormatConverter::lagrangeCoefficients(points, 65535, fraction);
            const double* weights = SamplingFormatConverter::coefficients();
            const double x = double(fraction) / 65535;
            double sum = 0.0;
            for (int k = 1; k <= points; ++k) {
                QVERIFY(std::abs(weights[k - 1] - reference::lagrangeWeight(points, k, x)) < 1e-13);
                sum += weights[k - 1];
            }
            // Interpolating a constant gives that constant.
            QVERIFY(std::abs(sum - 1.0) < 1e-13);
        }
    }
}

void TestSamplingFormatConverter::progressRunsFromZeroToOne() {
    const QString input =
        writeInput("in.wav", pcmFile(stereo16At(42819), testSignal(3000, 42819, 9000)));
    SamplingFormatConverter converter;
    QList<double> values;
    connect(&converter, &SamplingFormatConverter::progress, this,
            [&values](double value) { values.append(value); });
    QCOMPARE(converter.convert(input, path("out.wav"), 8, 44100), 0);
    QVERIFY(values.size() >= 7);
    QCOMPARE(values.first(), 0.05);
    QCOMPARE(values.last(), 1.0);
    for (int i = 1; i < values.size(); ++i)
        QVERIFY(values.at(i) >= values.at(i - 1));
}

void TestSamplingFormatConverter::progressIsThrottledAndMapped() {
    SamplingFormatConverter converter;
    QSignalSpy spy(&converter, &SamplingFormatConverter::progress);
    converter.emitProgress(3, 0.5, 65535);
    converter.emitProgress(7, 0.5, 0);
    converter.emitProgress(-1, 0.5, 0);
    QCOMPARE(spy.count(), 0);
    converter.emitProgress(3, 0.5, 131072);
    converter.emitProgress(6, 1.0, 0);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toDouble(), 0.325);
    QCOMPARE(spy.at(1).at(0).toDouble(), 1.0);
}

void TestSamplingFormatConverter::cancelBeforeStartRemovesEverything() {
    const QString input =
        writeInput("in.wav", pcmFile(stereo16At(48000), testSignal(3000, 48000, 9000)));
    SamplingFormatConverter converter;
    converter.cancel();
    const Outcome outcome = convert(converter, input, path("out.wav"), 44100);
    QCOMPARE(outcome.thrown, std::optional<int>(ConversionError::Canceled));
    QVERIFY(!QFileInfo::exists(path("out.wav")));
}

void TestSamplingFormatConverter::cancelWhileSuspendedWaitsForResume() {
    const QString input =
        writeInput("in.wav", pcmFile(stereo16At(48000), testSignal(3000, 48000, 9000)));
    SamplingFormatConverter converter;
    std::atomic<int> reports{0};
    connect(
        &converter, &SamplingFormatConverter::progress, this, [&reports](double) { ++reports; },
        Qt::DirectConnection);
    converter.suspendChangeRequired(true);
    Outcome outcome;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        outcome = convert(converter, input, path("out.wav"), 44100);
        finished = true;
    });
    QTRY_VERIFY(reports.load() > 0);
    converter.cancel();
    QTest::qWait(300);
    // Suspended: neither going on nor giving up yet.
    QCOMPARE(reports.load(), 1);
    QVERIFY(!finished.load());
    converter.suspendChangeRequired(false);
    worker.join();
    QCOMPARE(outcome.thrown, std::optional<int>(ConversionError::Canceled));
    QCOMPARE(reports.load(), 1);
}

void TestSamplingFormatConverter::tooLittleTemporaryRoomIsAWriteError() {
    const int frames = 3000;
    const QString input =
        writeInput("in.wav", pcmFile(stereo16At(48000), testSignal(frames, 48000, 9000)));
    const qint64 needed = SamplingFormatConverter::temporaryBytesNeeded(frames, 48000, 44100);
    // The temporary files hold a 16-bit copy of the input and five double
    // arrays of about its length.
    QVERIFY(needed >= frames * 44);

    file::FreeSpace::setOverride(needed - 1);
    SamplingFormatConverter refused;
    QCOMPARE(convert(refused, input, path("out.wav"), 44100).thrown,
             std::optional<int>(ConversionError::WriteFailed));
    QVERIFY(!QFileInfo::exists(path("out.wav")));

    file::FreeSpace::setOverride(needed);
    SamplingFormatConverter accepted;
    QCOMPARE(convert(accepted, input, path("out.wav"), 44100).result, 0);
}

void TestSamplingFormatConverter::temporaryFileThatCannotGrowIsAWriteError() {
    const QString input =
        writeInput("in.wav", pcmFile(stereo16At(48000), testSignal(3000, 48000, 9000)));
    Outcome outcome;
    {
        // Room for the 16-bit copy, not for the first double array: the
        // conversion must stop, not go on over missing data.
        FileSizeLimit limit(3000 * 4 + 100);
        if (!limit.isActive())
            QSKIP("cannot limit file sizes here");
        SamplingFormatConverter converter;
        outcome = convert(converter, input, path("out.wav"), 44100);
    }
    QCOMPARE(outcome.thrown, std::optional<int>(ConversionError::WriteFailed));
    QVERIFY(!QFileInfo::exists(path("out.wav")));
}

QTEST_GUILESS_MAIN(TestSamplingFormatConverter)
#include "tst_SamplingFormatConverter.moc"
