// The portable sine and cosine, and the low-pass filter built on them.
#include "ReferenceResampler.h"

#include "audio/BiquadLowPass.h"
#include "audio/PortableTrigonometry.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace zel::qmix::audio;

namespace {

bool closeTo(double actual, double expected, double units = 2.0) {
    const double unit = std::numeric_limits<double>::epsilon() * std::max(1.0, std::abs(expected));
    return std::abs(actual - expected) <= units * unit;
}

} // namespace

class TestFilterDesign : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sineAndCosineMatchTheLibrary();
    void smallAnglesKeepTheirPrecision();
    void designMatchesTheTextbook_data();
    void designMatchesTheTextbook();
    void filterRunsDirectFormOne();

private:
    QTemporaryDir tempRoot_;
};

void TestFilterDesign::initTestCase() {
    QVERIFY(tempRoot_.isValid());
    qputenv("TMPDIR", QFile::encodeName(tempRoot_.path()));
}

void TestFilterDesign::sineAndCosineMatchTheLibrary() {
    for (double x = -20.0; x <= 20.0; x += 0.0137) {
        QVERIFY2(closeTo(PortableTrigonometry::sin(x), std::sin(x)),
                 qPrintable(QString::number(x)));
        QVERIFY2(closeTo(PortableTrigonometry::cos(x), std::cos(x)),
                 qPrintable(QString::number(x)));
    }
    // The angles the converter meets: pi times a ratio of two rates.
    for (double rate : {8000.0, 22050.0, 32000.0, 42819.0, 44100.0, 48000.0, 96000.0}) {
        const double w =
            6.283185307179586 * 0.5 * std::min(rate, 44100.0) / std::max(rate, 44100.0);
        QVERIFY(closeTo(PortableTrigonometry::sin(w), std::sin(w)));
        QVERIFY(closeTo(PortableTrigonometry::cos(w), std::cos(w)));
    }
}

void TestFilterDesign::smallAnglesKeepTheirPrecision() {
    for (double x : {1e-300, 1e-12, 1e-8, 1e-4}) {
        QVERIFY(std::abs(PortableTrigonometry::sin(x) / std::sin(x) - 1.0) < 1e-15);
        QCOMPARE(PortableTrigonometry::cos(x), std::cos(x));
    }
    QCOMPARE(PortableTrigonometry::sin(0.0), 0.0);
    QCOMPARE(PortableTrigonometry::cos(0.0), 1.0);
}

void TestFilterDesign::designMatchesTheTextbook_data() {
    QTest::addColumn<double>("sampleRate");
    QTest::addColumn<double>("cutoff");

    QTest::newRow("48000 Hz, cut at 22050") << 48000.0 << 22050.0;
    QTest::newRow("44100 Hz, cut at 21409.5") << 44100.0 << 21409.5;
    QTest::newRow("44100 Hz, cut at 4000") << 44100.0 << 4000.0;
}

void TestFilterDesign::designMatchesTheTextbook() {
    QFETCH(double, sampleRate);
    QFETCH(double, cutoff);
    BiquadLowPass filter;
    filter.design(sampleRate, cutoff, 0.7071067811865475);
    const double w = 2 * M_PI * cutoff / sampleRate;
    const double alpha = std::sin(w) / (2 * 0.7071067811865475);
    QVERIFY(closeTo(filter.b0(), (1 - std::cos(w)) / 2, 8));
    QVERIFY(closeTo(filter.b1(), 1 - std::cos(w), 8));
    QVERIFY(closeTo(filter.b2(), (1 - std::cos(w)) / 2, 8));
    QVERIFY(closeTo(filter.a0(), 1 + alpha, 4));
    QVERIFY(closeTo(filter.a1(), -2 * std::cos(w), 4));
    QVERIFY(closeTo(filter.a2(), 1 - alpha, 4));
}

void TestFilterDesign::filterRunsDirectFormOne() {
    std::vector<double> signal;
    for (int i = 0; i < 3000; ++i)
        signal.push_back(i == 0 ? 30000.0 : (i < 1500 ? 1000.0 * std::sin(i * 0.9) : 12000.0));
    FileBackedArray<double> input;
    FileBackedArray<double> output;
    input.resize(qint64(signal.size()));
    output.resize(qint64(signal.size()));
    for (size_t i = 0; i < signal.size(); ++i)
        input.set(qint64(i), signal[i]);

    BiquadLowPass filter;
    filter.design(48000.0, 22050.0, 0.7071067811865475);
    QCOMPARE(filter.filter(input, output, qint64(signal.size())), qint64(signal.size()));
    const std::vector<double> expected = reference::lowPass(signal, 48000.0, 22050.0);
    for (size_t i = 0; i < signal.size(); ++i)
        QVERIFY2(std::abs(output.value(qint64(i)) - expected[i]) < 1e-9,
                 qPrintable(QString::number(i)));
    // A low-pass passes a constant unchanged once it has settled.
    QVERIFY(std::abs(output.value(2999) - 12000.0) < 1e-6);
}

QTEST_GUILESS_MAIN(TestFilterDesign)
#include "tst_FilterDesign.moc"
