// The WAV header reader on arbitrary bytes: only "valid" or "malformed"
// comes back, and what is accepted agrees with the bytes it came from.
#include "audio/WaveHeader.h"

#include <QBuffer>
#include <QByteArray>
#include <QtEndian>

#include <cstddef>
#include <cstdint>

using namespace zel::qmix::audio;

namespace {

quint32 le32At(const QByteArray& bytes, qint64 offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 le16At(const QByteArray& bytes, qint64 offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

void checkAccepted(const QByteArray& image, const WaveFormatInfo& info) {
    const qint64 size = image.size();
    if (le32At(image, 4) > size - 8)
        __builtin_trap();
    // The data chunk lies within the file, right behind its own header.
    if (info.dataOffset < 20 || qint64(info.dataOffset) + info.dataSize > size)
        __builtin_trap();
    if (image.mid(info.dataOffset - 8, 4) != "data" ||
        le32At(image, info.dataOffset - 4) != info.dataSize)
        __builtin_trap();
    if (info.dataEnd != quint32(info.dataOffset + info.dataSize - 1))
        __builtin_trap();
    // The format is plain PCM with frames, a rate and sample bits.
    if (info.fmtOffset < 20 || qint64(info.fmtOffset) + 16 > size ||
        image.mid(info.fmtOffset - 8, 4) != "fmt ")
        __builtin_trap();
    if (le16At(image, info.fmtOffset) != 1 || le16At(image, info.fmtOffset + 2) != info.channels ||
        le32At(image, info.fmtOffset + 4) != info.sampleRate ||
        le16At(image, info.fmtOffset + 12) != info.blockAlign ||
        le16At(image, info.fmtOffset + 14) != info.bitsPerSample)
        __builtin_trap();
    if (info.channels == 0 || info.blockAlign == 0 || info.sampleRate == 0 ||
        info.bitsPerSample == 0)
        __builtin_trap();
    if (quint64(info.blockAlign) * info.sampleRate != le32At(image, info.fmtOffset + 8))
        __builtin_trap();

    // The derived judgements hold together.
    if (isKeyboardWaveFormat(info) && (!isWithinDurationLimit(info) || waveRateClass(info) < 1))
        __builtin_trap();

    // A header written for the same format reads back as that format.
    QByteArray written =
        makeWaveHeader(info.dataSize, info.sampleRate, info.bitsPerSample, info.channels);
    written.append(QByteArray(qsizetype(info.dataSize), '\0'));
    QBuffer buffer(&written);
    buffer.open(QIODevice::ReadOnly);
    WaveFormatInfo reread;
    const int result = readWaveHeader(&buffer, reread);
    const bool consistent = info.blockAlign == info.channels * bytesPerSample(info.bitsPerSample);
    if (consistent && (result != WaveHeaderValid || reread.dataSize != info.dataSize ||
                       reread.sampleRate != info.sampleRate || reread.channels != info.channels ||
                       reread.bitsPerSample != info.bitsPerSample || reread.dataOffset != 44))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Accepted files get their data chunk copied once; keep that small.
    if (size > 1 << 16)
        return 0;
    QByteArray image(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&image);
    buffer.open(QIODevice::ReadOnly);
    WaveFormatInfo info;
    const int result = readWaveHeader(&buffer, info);
    if (result != WaveHeaderValid && result != WaveHeaderMalformed)
        __builtin_trap();
    if (result == WaveHeaderValid)
        checkAccepted(image, info);
    return 0;
}
