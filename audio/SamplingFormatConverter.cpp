#include "audio/SamplingFormatConverter.h"

#include "audio/BiquadLowPass.h"
#include "audio/ConversionError.h"
#include "audio/FileBackedArray.h"
#include "audio/WaveHeader.h"
#include "file/FreeSpace.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

namespace zel::qmix::audio {

namespace {

// Commands run one after another, so one conversion at a time uses the table.
double sharedCoefficients[SamplingFormatConverter::kMaxPoints] = {};

std::atomic<bool> traceEnabled{true};

// Longer outputs than this are refused as not fitting anywhere.
constexpr double kMaxFrames = double(qint64(1) << 48);

constexpr qint64 kProgressInterval = 65536;
constexpr int kSuspendPollMs = 100;
constexpr quint32 kMaxWaveDataSize = std::numeric_limits<quint32>::max() - kWaveHeaderSize;

struct PhaseSpan {
    int base;
    int span;
};
constexpr PhaseSpan kPhaseSpans[] = {{0, 5},   {5, 5},   {10, 10}, {20, 25},
                                     {45, 40}, {85, 10}, {95, 5}};

void trace(const char* text) {
    if (traceEnabled.load())
        std::fputs(text, stdout);
}

void traceCount(const char* label, qint64 count) {
    if (traceEnabled.load())
        std::fprintf(stdout, "%s%lld\n", label, static_cast<long long>(count));
}

// trunc(frames / ratio + 0.5): the output frames the interpolation will
// make, give or take one.
double expectedFrames(qint64 frames, double ratio) {
    return std::trunc(double(frames) / ratio + 0.5);
}

qint64 capacityFor(qint64 frames, double ratio) {
    return std::max(qint64(expectedFrames(frames, ratio)) + 1, frames);
}

qint16 clipAndTruncate(double value) {
    if (value > 32767.0)
        return 32767;
    if (value < -32768.0)
        return -32768;
    return qint16(value);
}

} // namespace

// The temporary files of one conversion; destroying it removes them.
struct SamplingFormatConverter::Storage {
    Storage(qint64 inputFrames, int interpolationPoints, qint64 capacity)
        : frames(inputFrames)
        , points(interpolationPoints)
        , half(interpolationPoints / 2) {
        pcm.resize(2 * capacity);
        work.resize(capacity);
        leftPadded.resize(capacity + points);
        rightPadded.resize(capacity + points);
        right.resize(capacity);
        left.resize(capacity);
    }

    // Makes room for `count` elements in `array`, which the interpolation
    // can overrun by a few frames on very long files, where the running
    // position sum drifts from frames / ratio.
    template <typename T> static void reserve(FileBackedArray<T>& array, qint64 count) {
        if (count > array.size())
            array.resize(count + FileBackedArray<T>::kWindowSize);
    }

    const qint64 frames;
    const int points;
    const int half;
    FileBackedArray<qint16> pcm;
    FileBackedArray<double> work;
    FileBackedArray<double> leftPadded;
    FileBackedArray<double> rightPadded;
    FileBackedArray<double> right;
    FileBackedArray<double> left;
};

SamplingFormatConverter::SamplingFormatConverter()
    : buffer_(kBlockSize) {}

SamplingFormatConverter::~SamplingFormatConverter() = default;

void SamplingFormatConverter::setTraceEnabled(bool enabled) {
    traceEnabled.store(enabled);
}

void SamplingFormatConverter::cancel() {
    canceled_.store(true);
}

void SamplingFormatConverter::suspendChangeRequired(bool suspended) {
    suspended_.store(suspended);
}

const double* SamplingFormatConverter::coefficients() {
    return sharedCoefficients;
}

void SamplingFormatConverter::lagrangeCoefficients(int points, int denominator, int numerator) {
    Q_ASSERT(points >= 1 && points <= kMaxPoints);
    // All in IEEE double: long double differs between platforms, and the
    // weights decide which way many truncated samples fall. Every step below
    // is one rounded operation in a fixed order, so every machine computes
    // the same weights.
    const double x = double(numerator) / double(denominator);
    const double halfPoints = double(points) / 2.0;
    double product = 1.0;
    for (int m = 1; m <= points; ++m)
        product *= x - (double(m) - halfPoints);
    // The factorials are exact in a double for these few points.
    double factorials[kMaxPoints + 1];
    factorials[0] = 1.0;
    for (int i = 1; i <= points; ++i)
        factorials[i] = factorials[i - 1] * double(i);
    for (int k = 1; k <= points; ++k) {
        const double node = double(k) - halfPoints;
        const double divisor = factorials[points - k] * factorials[k - 1] * (x - node);
        const double weight = product / divisor;
        sharedCoefficients[k - 1] = (points - k) % 2 ? -weight : weight;
    }
}

qint64 SamplingFormatConverter::temporaryBytesNeeded(qint64 frames, double inputRate,
                                                     double targetRate, int points) {
    const double ratio = inputRate / targetRate;
    if (!(expectedFrames(frames, ratio) < kMaxFrames))
        return std::numeric_limits<qint64>::max();
    const qint64 capacity = capacityFor(frames, ratio);
    // 16-bit stereo samples, three double arrays of the capacity and two
    // delay lines with their padding.
    return capacity * 4 + 3 * capacity * 8 + 2 * (capacity + points) * 8;
}

void SamplingFormatConverter::emitProgress(int phase, double fraction, qint64 counter) {
    if (counter % kProgressInterval != 0)
        return;
    if (phase < 0 || phase >= int(std::size(kPhaseSpans))) {
        qDebug("ineffective phase: SamplingFormatConverter::emitProgress");
        return;
    }
    const PhaseSpan& span = kPhaseSpans[phase];
    emit progress((span.base + fraction * span.span) / 100.0);
    while (suspended_.load())
        QThread::msleep(kSuspendPollMs);
    if (canceled_.load())
        throw ConversionError{ConversionError::Canceled};
}

int SamplingFormatConverter::convert(const QString& inputPath, const QString& outputPath,
                                     int points, int targetRate) {
    trace("\n (1)read input wav file \n");
    WaveFormatInfo info;
    const int header = readWaveHeader(inputPath, info);
    if (header == WaveHeaderMalformed)
        return InputMalformed;
    if (header != WaveHeaderValid)
        return InputUnreadable;
    if (points < 2 || points > kMaxPoints || targetRate < 1)
        return Unsupported;

    const qint64 frames = info.dataSize / info.blockAlign;
    const double ratio = double(info.sampleRate) / double(targetRate);
    const double expected = expectedFrames(frames, ratio);
    // A temporary folder never holds 2^48 frames; refusing here also keeps
    // the counts below within 64 bits.
    if (!(expected < kMaxFrames))
        throw ConversionError{ConversionError::WriteFailed};
    traceCount("   expected output sample number = ", qint64(expected) + 1);

    // Better refused now than after minutes of work on a filling disk.
    const qint64 needed =
        temporaryBytesNeeded(frames, double(info.sampleRate), double(targetRate), points);
    if (!file::FreeSpace::isEnough(QDir::tempPath(), needed))
        throw ConversionError{ConversionError::WriteFailed};
    auto storage = std::make_unique<Storage>(frames, points, capacityFor(frames, ratio));
    emitProgress(0, 1.0, 0);

    trace(" (2)Data read & Band limit \n");
    if (copyInput(*storage, inputPath, info.dataOffset) != Converted)
        return InputUnreadable;
    splitChannels(*storage, ratio, info.sampleRate, targetRate);
    fillDelayLines(*storage);

    trace(" (3)Interpolation \n");
    const qint64 outputFrames = interpolate(*storage, ratio);
    traceCount("   output sample number = ", outputFrames);
    emitProgress(4, 1.0, 0);

    trace(" (3.5)lpf 2 \n");
    lowPassAfter(*storage, outputFrames, info.sampleRate, targetRate);

    trace(" (4)Outputfile write \n");
    quantize(*storage, outputFrames);
    return writeOutput(*storage, outputFrames, targetRate, outputPath);
}

int SamplingFormatConverter::copyInput(Storage& storage, const QString& inputPath,
                                       quint32 dataOffset) {
    // Read-only: a write-protected file (on read-only media, say) converts
    // as well as any other.
    QFile input(inputPath);
    if (!input.open(QIODevice::ReadOnly) || !input.seek(dataOffset))
        return InputUnreadable;
    // Only what the sample array can hold is ever used; chunks after the
    // data need not be copied.
    const qint64 limit = std::min(input.size() - input.pos(), storage.pcm.store().size());
    qint64 copied = 0;
    for (;;) {
        const qint64 wanted = std::min<qint64>(kBlockSize, limit - copied);
        const qint64 got = wanted > 0 ? input.read(buffer_.data(), wanted) : 0;
        if (got < 0)
            return InputUnreadable;
        storage.pcm.store().write(copied, buffer_.data(), got);
        if (got < kBlockSize)
            break;
        copied += got;
        emitProgress(1, std::min(1.0, double(copied) / double(limit)), 0);
    }
    storage.pcm.invalidate();
    emitProgress(1, 1.0, 0);
    return Converted;
}

void SamplingFormatConverter::splitChannels(Storage& storage, double ratio, quint32 inputRate,
                                            int targetRate) {
    const qint64 frames = storage.frames;
    const double count = double(frames);
    FileBackedArray<double>* channels[] = {&storage.left, &storage.right};
    // Going down in rate, the band above the new Nyquist frequency goes first.
    const bool bandLimit = ratio > 1.0;
    BiquadLowPass lowPass;
    if (bandLimit)
        lowPass.design(double(inputRate), double(targetRate) * 0.5, kFilterQ);
    for (int channel = 0; channel < 2; ++channel) {
        FileBackedArray<double>& target = bandLimit ? storage.work : *channels[channel];
        for (qint64 i = 0; i < frames; ++i) {
            target.set(i, double(storage.pcm.value(2 * i + channel)));
            emitProgress(2, 0.5 * channel + double(i) / count * 0.5, i);
        }
        if (bandLimit) {
            lowPass.filter(storage.work, *channels[channel], frames);
            storage.work.discard();
        }
    }
    storage.pcm.discard();
    emitProgress(2, 1.0, 0);
}

void SamplingFormatConverter::fillDelayLines(Storage& storage) {
    const qint64 frames = storage.frames;
    const int half = storage.half;
    for (int j = 0; j < half; ++j) {
        storage.leftPadded.set(j, 0.0);
        storage.rightPadded.set(j, 0.0);
    }
    for (qint64 j = 0; j < frames; ++j) {
        // The delay lines hold single-precision values.
        storage.leftPadded.set(half + j, double(float(storage.left.value(j))));
        storage.rightPadded.set(half + j, double(float(storage.right.value(j))));
        emitProgress(3, double(j) / double(frames), j);
    }
    for (qint64 j = half + frames; j < 2 * half + frames; ++j) {
        storage.leftPadded.set(j, 0.0);
        storage.rightPadded.set(j, 0.0);
    }
    // Both arrays take the output frames next.
    storage.left.discard();
    storage.right.discard();
    emitProgress(3, 1.0, 0);
}

qint64 SamplingFormatConverter::interpolate(Storage& storage, double ratio) {
    const qint64 frames = storage.frames;
    const int points = storage.points;
    const int half = storage.half;
    // The weights depend on the fraction alone, and a long file meets each
    // fraction many times: each set is computed once, by the same function,
    // so the values are the same as if computed anew.
    std::vector<double> weightTable(size_t(kFractionSteps) * size_t(points));
    std::vector<bool> known(size_t(kFractionSteps), false);
    auto weightsFor = [&](int fraction) {
        double* weights = weightTable.data() + size_t(fraction) * size_t(points);
        if (!known[size_t(fraction)]) {
            lagrangeCoefficients(points, kFractionSteps, fraction);
            std::copy(sharedCoefficients, sharedCoefficients + points, weights);
            known[size_t(fraction)] = true;
        }
        return static_cast<const double*>(weights);
    };
    // The position is a running sum, not n * ratio: its rounding decides
    // which fraction, and so which weights, each output frame gets.
    double position = double(points) * 0.5;
    qint64 n = 0;
    for (;;) {
        const qint64 frame = qint64(std::trunc(position));
        if (frame - half >= frames)
            break;
        Storage::reserve(storage.left, n + 1);
        Storage::reserve(storage.right, n + 1);
        const int fraction = int(std::trunc((position - double(frame)) * kFractionSteps));
        if (fraction != 0) {
            const double* weights = weightsFor(fraction);
            const qint64 first = frame - half + 1;
            // Summed in double from the first tap on.
            double left = 0.0;
            double right = 0.0;
            for (int i = 0; i < points; ++i) {
                left += weights[i] * storage.leftPadded.value(first + i);
                right += weights[i] * storage.rightPadded.value(first + i);
            }
            storage.left.set(n, left);
            storage.right.set(n, right);
        } else {
            // On an input frame (at 1/65535 resolution) that frame is the output.
            storage.left.set(n, storage.leftPadded.value(frame));
            storage.right.set(n, storage.rightPadded.value(frame));
        }
        position += ratio;
        ++n;
        emitProgress(4, (position - half) / double(frames), n);
    }
    storage.leftPadded.discard();
    storage.rightPadded.discard();
    return n;
}

void SamplingFormatConverter::lowPassAfter(Storage& storage, qint64 frames, quint32 inputRate,
                                           int targetRate) {
    // Going up in rate, the images above the old Nyquist frequency go.
    if (quint32(targetRate) > inputRate) {
        BiquadLowPass lowPass;
        lowPass.design(double(targetRate), double(inputRate) * 0.5, kFilterQ);
        Storage::reserve(storage.work, frames);
        FileBackedArray<double>* channels[] = {&storage.left, &storage.right};
        for (int channel = 0; channel < 2; ++channel) {
            FileBackedArray<double>& samples = *channels[channel];
            for (qint64 i = 0; i < frames; ++i) {
                storage.work.set(i, samples.value(i));
                emitProgress(5, 0.5 * channel + double(i) / double(frames) * 0.5, i);
            }
            lowPass.filter(storage.work, samples, frames);
            storage.work.discard();
        }
    }
    emitProgress(5, 1.0, 0);
}

void SamplingFormatConverter::quantize(Storage& storage, qint64 frames) {
    Storage::reserve(storage.pcm, 2 * frames);
    for (qint64 i = 0; i < frames; ++i) {
        storage.pcm.set(2 * i, clipAndTruncate(storage.left.value(i)));
        storage.pcm.set(2 * i + 1, clipAndTruncate(storage.right.value(i)));
        emitProgress(6, double(i) / double(frames) * 0.5, i);
    }
    storage.left.discard();
    storage.right.discard();
}

int SamplingFormatConverter::writeOutput(Storage& storage, qint64 frames, int targetRate,
                                         const QString& outputPath) {
    const qint64 total = 4 * frames;
    // A WAV file counts its data in 32 bits.
    if (total > qint64(kMaxWaveDataSize))
        return OutputUnwritable;
    QFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return OutputUnwritable;
    if (!output.resize(kWaveHeaderSize + total))
        return OutputUnwritable;
    const QByteArray header = makeWaveHeader(quint32(total), quint32(targetRate), 16, 2);
    if (!output.seek(0) || output.write(header) != header.size())
        throw ConversionError{ConversionError::WriteFailed};
    storage.pcm.flush();
    qint64 copied = 0;
    for (;;) {
        const qint64 block = std::min<qint64>(kBlockSize, total - copied);
        if (storage.pcm.store().read(copied, buffer_.data(), block) != block)
            throw ConversionError{ConversionError::WriteFailed};
        if (output.write(buffer_.data(), block) != block)
            throw ConversionError{ConversionError::WriteFailed};
        if (block != kBlockSize)
            break;
        copied += block;
        emitProgress(6, 0.5 + 0.5 * double(copied) / double(total), 0);
    }
    emitProgress(6, 1.0, 0);
    output.close();
    return Converted;
}

} // namespace zel::qmix::audio
