// The bit-depth, channel and level conversions on arbitrary files: every one
// ends (no division by zero, no endless loop on a degenerate header) with one
// of its results, and what it writes is a canonical WAV file of the promised
// format and length.
#include "audio/ConversionError.h"
#include "audio/WaveConverter.h"
#include "audio/WaveHeader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace zel::qmix::audio;

namespace {

// A folder of this process's own, removed when it ends.
QString workFolder() {
    return QDir::tempPath() + QStringLiteral("/fuzz-audio-%1").arg(qint64(getpid()));
}

QString workFile(const char* name) {
    static const bool made = [] {
        std::atexit([] { QDir(workFolder()).removeRecursively(); });
        return QDir().mkpath(workFolder());
    }();
    Q_UNUSED(made);
    return workFolder() + QLatin1Char('/') + QLatin1String(name);
}

// Checks a conversion's output against the input's header and the format
// asked for.
void checkOutput(const QString& output, const WaveFormatInfo& input, int bits, int channels,
                 qint64 dataSize) {
    WaveFormatInfo written;
    if (readWaveHeader(output, written) != WaveHeaderValid)
        __builtin_trap();
    if (written.dataOffset != 44 || written.bitsPerSample != bits || written.channels != channels ||
        written.sampleRate != input.sampleRate || qint64(written.dataSize) != dataSize ||
        QFile(output).size() != 44 + dataSize)
        __builtin_trap();
}

// The length of a file of the input's frames in another format.
qint64 framesIn(const WaveFormatInfo& input, int bits, int channels) {
    return qint64(input.dataSize / input.blockAlign) * channels * bytesPerSample(bits);
}

template <typename Conversion> int runConversion(Conversion conversion) {
    try {
        return conversion();
    } catch (const ConversionError& error) {
        // Only a full disk may stop these; the fuzzer's disk is not full.
        if (error.code != ConversionError::WriteFailed)
            __builtin_trap();
        return -1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 15)
        return 0;
    const QString input = workFile("in.wav");
    const QString output = workFile("out.wav");
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    WaveFormatInfo info;
    const int header = readWaveHeader(input, info);
    // Widening multiplies the data by up to 4 and mono doubles it: keep the
    // outputs small.
    if (header == WaveHeaderValid && info.dataSize / info.blockAlign * info.channels > (1 << 16))
        return 0;

    WaveConverter converter;
    converter.seedDither(1);
    for (int bits : {8, 16}) {
        QFile::remove(output);
        const int result =
            runConversion([&] { return converter.convertBitDepth(input, output, bits); });
        if (result < 0 || result > 6 || (result == 0 && header != WaveHeaderValid))
            __builtin_trap();
        if (result == 0)
            checkOutput(output, info, bits, info.channels, framesIn(info, bits, info.channels));
    }
    QFile::remove(output);
    const int stereo = runConversion([&] { return converter.convertToStereo(input, output); });
    if (stereo < 0 || stereo > 6)
        __builtin_trap();
    if (stereo == 0)
        checkOutput(output, info, info.bitsPerSample, 2, framesIn(info, info.bitsPerSample, 2));
    QFile::remove(output);
    const int normalized = runConversion([&] { return converter.normalize(input, output); });
    if (normalized < 0 || normalized > 6)
        __builtin_trap();
    if (normalized == 0)
        // The level changes, the layout and length stay.
        checkOutput(output, info, info.bitsPerSample, info.channels, info.dataSize);
    return 0;
}
