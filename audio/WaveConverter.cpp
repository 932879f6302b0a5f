#include "audio/WaveConverter.h"

#include "audio/ConversionError.h"
#include "audio/FileBackedArray.h"
#include "audio/PcmSampleCodec.h"
#include "audio/SamplingFormatConverter.h"
#include "audio/WaveFormatInfo.h"
#include "audio/WaveHeader.h"

#include <QFile>
#include <QThread>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace zel::qmix::audio {

namespace {

constexpr qint64 kCheckInterval = 1048576;
constexpr int kSuspendPollMs = 100;
constexpr double kMaxGain = 3.5;
// The dither draws 0 to 32767, as the C library's rand() of the platforms
// this conversion was first made for.
constexpr quint32 kDitherValues = 32768;
constexpr double kDitherTop = 32767.0;
constexpr qint64 kMaxWaveDataSize = qint64(std::numeric_limits<quint32>::max()) - kWaveHeaderSize;

int readInputHeader(const QString& path, WaveFormatInfo& info) {
    switch (readWaveHeader(path, info)) {
    case WaveHeaderValid:
        return WaveConverter::Converted;
    case WaveHeaderMalformed:
        return WaveConverter::InputMalformed;
    default:
        return WaveConverter::InputUnreadable;
    }
}

bool isSupportedDepth(int bits) {
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// floor(value / 2^bits): an arithmetic right shift that does not depend on
// how the compiler shifts negative numbers.
qint64 shiftRightArithmetic(qint64 value, int bits) {
    return value >= 0 ? value >> bits : ~(~value >> bits);
}

// Input and output of one conversion, each reached through a byte array.
class ConversionFiles {
public:
    ConversionFiles(const QString& input, const QString& output)
        : input_(input)
        , output_(output) {}

    int open() {
        if (!input_.open(QIODevice::ReadOnly))
            return WaveConverter::InputUnreadable;
        if (!output_.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
            input_.close();
            return WaveConverter::OutputUnwritable;
        }
        in_ = std::make_unique<FileBackedArray<quint8>>(&input_, ConversionError::ReadFailed);
        return WaveConverter::Converted;
    }

    // Sizes the output for `dataSize` bytes after `header` and writes the
    // header.
    void startOutput(const QByteArray& header, qint64 dataSize) {
        out_ = std::make_unique<FileBackedArray<quint8>>(&output_, ConversionError::WriteFailed);
        out_->resize(header.size() + dataSize);
        out_->store().write(0, header.constData(), header.size());
    }

    qint64 readSample(qint64 position, int width, int bits) {
        uchar bytes[PcmSampleCodec::kMaxWidth];
        for (int i = 0; i < width; ++i)
            bytes[i] = in_->value(position + i);
        return PcmSampleCodec::decode(bytes, width, bits);
    }

    void writeSample(qint64 position, double value, int width, int bits) {
        uchar bytes[PcmSampleCodec::kMaxWidth];
        PcmSampleCodec::encode(value, bytes, width, bits);
        for (int i = 0; i < width; ++i)
            out_->set(position + i, bytes[i]);
    }

    void copyBytes(qint64 from, qint64 to, int count) {
        for (int i = 0; i < count; ++i)
            out_->set(to + i, in_->value(from + i));
    }

    // Everything written is on disk, or this throws.
    void finish() { out_->flush(); }

private:
    // Declared before the arrays, which write into them when destroyed.
    QFile input_;
    QFile output_;
    std::unique_ptr<FileBackedArray<quint8>> in_;
    std::unique_ptr<FileBackedArray<quint8>> out_;
};

// Samples of `width` bytes from the data offset up to the data end, the last
// one possibly cut by the end of the chunk.
qint64 samplesInData(const WaveFormatInfo& info, int width) {
    return (qint64(info.dataSize) + width - 1) / width;
}

double fractionAt(qint64 position, const WaveFormatInfo& info) {
    return double(position) / (double(info.dataEnd) + 1.0);
}

} // namespace

// Registers the sampling-rate converter at work for the length of a scope.
class WaveConverter::ActiveRateConversion {
public:
    ActiveRateConversion(WaveConverter& owner, SamplingFormatConverter* converter)
        : owner_(owner) {
        std::lock_guard<std::mutex> lock(owner_.rateConverterMutex_);
        owner_.rateConverter_ = converter;
        converter->suspendChangeRequired(owner_.suspended_.load());
        if (owner_.canceled_.load())
            converter->cancel();
    }
    ~ActiveRateConversion() {
        std::lock_guard<std::mutex> lock(owner_.rateConverterMutex_);
        owner_.rateConverter_ = nullptr;
    }
    ActiveRateConversion(const ActiveRateConversion&) = delete;
    ActiveRateConversion& operator=(const ActiveRateConversion&) = delete;

private:
    WaveConverter& owner_;
};

WaveConverter::WaveConverter(QObject* parent)
    : QObject(parent)
    , random_(quint32(QTime::currentTime().msec())) {}

WaveConverter::~WaveConverter() = default;

void WaveConverter::cancel() {
    std::lock_guard<std::mutex> lock(rateConverterMutex_);
    canceled_.store(true);
    if (rateConverter_)
        rateConverter_->cancel();
}

void WaveConverter::suspendChangeRequired(bool suspended) {
    std::lock_guard<std::mutex> lock(rateConverterMutex_);
    suspended_.store(suspended);
    if (rateConverter_)
        rateConverter_->suspendChangeRequired(suspended);
}

void WaveConverter::setCancelSource(QObject* sender, const char* signal) {
    cancelSender_ = sender;
    cancelSignal_ = signal;
}

void WaveConverter::setSuspendSource(QObject* sender, const char* signal) {
    suspendSender_ = sender;
    suspendSignal_ = signal;
}

void WaveConverter::seedDither(quint32 seed) {
    random_.seed(seed);
}

bool WaveConverter::checkpoint(qint64 dataPosition, double fraction) {
    // Counted from the data chunk, so that samples of any width meet the
    // MiB marks wherever the chunk starts.
    if (dataPosition % kCheckInterval != 0)
        return true;
    emit progress(fraction);
    while (suspended_.load())
        QThread::msleep(kSuspendPollMs);
    return !canceled_.load();
}

double WaveConverter::ditherOffset() {
    return double(random_.bounded(kDitherValues)) / kDitherTop - 0.5;
}

int WaveConverter::convertBitDepth(const QString& input, const QString& output, int targetBits) {
    WaveFormatInfo info;
    if (const int header = readInputHeader(input, info); header != Converted)
        return header;
    const int sourceBits = info.bitsPerSample;
    if (targetBits == sourceBits)
        return NothingToDo;
    if (!isSupportedDepth(sourceBits) || !isSupportedDepth(targetBits))
        return Unsupported;

    ConversionFiles files(input, output);
    if (const int opened = files.open(); opened != Converted)
        return opened;
    const int sourceWidth = bytesPerSample(sourceBits);
    const int targetWidth = bytesPerSample(targetBits);
    const qint64 frames = info.dataSize / info.blockAlign;
    const qint64 samples = frames * info.channels;
    const qint64 dataSize = samples * targetWidth;
    if (dataSize > kMaxWaveDataSize)
        return OutputUnwritable;
    files.startOutput(makeWaveHeader(quint32(dataSize), info.sampleRate, targetBits, info.channels),
                      dataSize);

    // Clipped to what the target width holds: a full-scale sample that draws
    // the top dither value must stay full scale, not wrap to the other end.
    const double highest = std::ldexp(1.0, targetBits - 1) - 1.0;
    const double lowest = -std::ldexp(1.0, targetBits - 1);
    const bool widening = targetBits > sourceBits;
    const int shift = std::abs(targetBits - sourceBits);
    const double scale = std::ldexp(1.0, shift);
    const qint64 count = std::min(samples, samplesInData(info, sourceWidth));
    for (qint64 i = 0; i < count; ++i) {
        const qint64 position = info.dataOffset + i * sourceWidth;
        const qint64 sample = files.readSample(position, sourceWidth, sourceBits);
        double value = widening ? double(sample) * scale
                                : double(shiftRightArithmetic(sample, shift)) + ditherOffset();
        value = std::clamp(value + 0.5, lowest, highest);
        files.writeSample(kWaveHeaderSize + i * targetWidth, value, targetWidth, targetBits);
        if (!checkpoint(i * sourceWidth, fractionAt(position, info)))
            return Canceled;
    }
    files.finish();
    emit progress(1.0);
    return Converted;
}

int WaveConverter::normalize(const QString& input, const QString& output) {
    WaveFormatInfo info;
    if (const int header = readInputHeader(input, info); header != Converted)
        return header;
    const int bits = info.bitsPerSample;
    // Wider samples do not fit the 64-bit arithmetic of the level scan.
    if (bits > PcmSampleCodec::kMaxBits)
        return Unsupported;

    ConversionFiles files(input, output);
    if (const int opened = files.open(); opened != Converted)
        return opened;
    files.startOutput(makeWaveHeader(info), info.dataSize);
    const qint64 full = (qint64(1) << (bits - 1)) - 1;
    if (info.dataSize == 0)
        return NothingToDo;

    const int width = bytesPerSample(bits);
    const qint64 count = samplesInData(info, width);
    qint64 peak = 0;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 position = info.dataOffset + i * width;
        const qint64 magnitude = std::abs(files.readSample(position, width, bits));
        // Only the most negative value exceeds full scale; scaling it would
        // overflow, so such a file is left as it is.
        if (magnitude > full)
            return NothingToDo;
        peak = std::max(peak, magnitude);
        if (!checkpoint(i * width, 0.5 * fractionAt(position, info)))
            return Canceled;
    }
    if (peak == 0)
        return NothingToDo;

    const double gain = std::min(double(full) / double(peak), kMaxGain);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 position = info.dataOffset + i * width;
        const double sample = double(files.readSample(position, width, bits));
        files.writeSample(kWaveHeaderSize + i * width, sample * gain, width, bits);
        if (!checkpoint(i * width, 0.5 + 0.5 * fractionAt(position, info)))
            return Canceled;
    }
    files.finish();
    emit progress(1.0);
    return Converted;
}

int WaveConverter::convertToStereo(const QString& input, const QString& output) {
    WaveFormatInfo info;
    if (const int header = readInputHeader(input, info); header != Converted)
        return header;
    if (info.channels == 0)
        return Unsupported;
    if (info.channels == 2)
        return NothingToDo;

    ConversionFiles files(input, output);
    if (const int opened = files.open(); opened != Converted)
        return opened;
    const int width = bytesPerSample(info.bitsPerSample);
    const qint64 frames = info.dataSize / info.blockAlign;
    const qint64 outputSamples = frames * 2;
    const qint64 dataSize = outputSamples * width;
    if (dataSize > kMaxWaveDataSize)
        return OutputUnwritable;
    files.startOutput(makeWaveHeader(quint32(dataSize), info.sampleRate, info.bitsPerSample, 2),
                      dataSize);

    // Samples are copied byte for byte: mono ones twice (left, then right),
    // of wider frames the first two channels.
    const bool mono = info.channels == 1;
    const qint64 count = samplesInData(info, width);
    qint64 written = 0;
    for (qint64 i = 0; i < count && written < outputSamples; ++i) {
        const qint64 position = info.dataOffset + i * width;
        if (mono) {
            files.copyBytes(position, kWaveHeaderSize + written * width, width);
            files.copyBytes(position, kWaveHeaderSize + (written + 1) * width, width);
            written += 2;
        } else if (i % info.channels < 2) {
            files.copyBytes(position, kWaveHeaderSize + written * width, width);
            ++written;
        }
        if (!checkpoint(i * width, fractionAt(position, info)))
            return Canceled;
    }
    files.finish();
    emit progress(1.0);
    return Converted;
}

int WaveConverter::convertSamplingRate(const QString& input, const QString& output,
                                       int targetRate) {
    WaveFormatInfo info;
    if (const int header = readInputHeader(input, info); header != Converted)
        return header;
    if (quint32(targetRate) == info.sampleRate)
        return NothingToDo;

    // Deleted however the conversion ends, its exceptions passing on.
    auto converter = std::make_unique<SamplingFormatConverter>();
    connect(converter.get(), &SamplingFormatConverter::progress, this, &WaveConverter::progress,
            Qt::DirectConnection);
    if (cancelSender_)
        connect(cancelSender_, cancelSignal_.constData(), converter.get(), SLOT(cancel()),
                Qt::DirectConnection);
    if (suspendSender_)
        connect(suspendSender_, suspendSignal_.constData(), converter.get(),
                SLOT(suspendChangeRequired(bool)), Qt::DirectConnection);
    ActiveRateConversion active(*this, converter.get());
    return converter->convert(input, output, SamplingFormatConverter::kDefaultPoints, targetRate);
}

} // namespace zel::qmix::audio
