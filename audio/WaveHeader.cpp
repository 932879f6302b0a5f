#include "audio/WaveHeader.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>

namespace zel::qmix::audio {

namespace {

constexpr quint16 kPcmFormatTag = 1;
constexpr int kChunkHeaderSize = 8;
constexpr quint32 kPlainFmtSize = 16;
constexpr quint32 kFmtSizeWithExtension = 18;
// Positions are stored as 32-bit numbers.
constexpr qint64 kPositionLimit = qint64(1) << 32;

// Sequential little-endian reads that fail when the file ends early.
class ChunkReader {
public:
    explicit ChunkReader(QIODevice* device)
        : device_(device)
        , size_(device->size()) {}

    qint64 fileSize() const { return size_; }
    qint64 position() const { return position_; }

    bool seek(qint64 position) {
        if (position < 0 || position > size_ || !device_->seek(position))
            return false;
        position_ = position;
        return true;
    }
    bool skip(qint64 count) { return count <= size_ - position_ && seek(position_ + count); }

    bool readBytes(char* out, int count) {
        if (count > size_ - position_ || device_->read(out, count) != count)
            return false;
        position_ += count;
        return true;
    }
    bool readTag(QByteArray& tag) {
        char bytes[4];
        if (!readBytes(bytes, 4))
            return false;
        tag = QByteArray(bytes, 4);
        return true;
    }
    bool read16(quint16& value) {
        char bytes[2];
        if (!readBytes(bytes, 2))
            return false;
        value = qFromLittleEndian<quint16>(bytes);
        return true;
    }
    bool read32(quint32& value) {
        char bytes[4];
        if (!readBytes(bytes, 4))
            return false;
        value = qFromLittleEndian<quint32>(bytes);
        return true;
    }

private:
    QIODevice* device_;
    qint64 size_;
    qint64 position_ = 0;
};

bool readRiffHeader(ChunkReader& reader) {
    QByteArray tag;
    quint32 riffSize = 0;
    if (!reader.readTag(tag) || tag != "RIFF" || !reader.read32(riffSize))
        return false;
    if (qint64(riffSize) > reader.fileSize() - kChunkHeaderSize)
        return false;
    return reader.readTag(tag) && tag == "WAVE";
}

bool readFmtChunk(ChunkReader& reader, quint32 size, WaveFormatInfo& info) {
    info.fmtOffset = quint32(reader.position());
    if (size < kPlainFmtSize || size == kPlainFmtSize + 1)
        return false;
    quint16 formatTag = 0;
    quint32 byteRate = 0;
    if (!reader.read16(formatTag) || formatTag != kPcmFormatTag)
        return false;
    if (!reader.read16(info.channels) || info.channels == 0)
        return false;
    if (!reader.read32(info.sampleRate) || !reader.read32(byteRate) ||
        !reader.read16(info.blockAlign))
        return false;
    if (quint64(info.blockAlign) * info.sampleRate != byteRate)
        return false;
    if (!reader.read16(info.bitsPerSample))
        return false;
    // Without frames, a rate or sample bits every later step would divide by
    // zero or never advance.
    if (info.blockAlign == 0 || info.sampleRate == 0 || info.bitsPerSample == 0)
        return false;
    // A frame is one sample of every channel; a header claiming otherwise
    // would make every size computed from it overflow or disagree.
    if (info.blockAlign != quint32(info.channels) * ((info.bitsPerSample + 7u) / 8u))
        return false;
    if (size == kPlainFmtSize)
        return true;
    quint16 extensionSize = 0;
    if (!reader.read16(extensionSize) || size != kFmtSizeWithExtension + extensionSize)
        return false;
    return reader.skip(extensionSize);
}

bool readDataChunk(ChunkReader& reader, quint32 size, WaveFormatInfo& info) {
    const qint64 offset = reader.position();
    if (offset + qint64(size) > kPositionLimit)
        return false;
    info.dataSize = size;
    info.dataOffset = quint32(offset);
    info.dataEnd = quint32(offset + qint64(size) - 1);
    return reader.skip(size);
}

int readChunks(ChunkReader& reader, WaveFormatInfo& out) {
    WaveFormatInfo info;
    bool fmtSeen = false;
    bool dataSeen = false;
    while (!(fmtSeen && dataSeen)) {
        QByteArray id;
        quint32 size = 0;
        if (!reader.readTag(id) || !reader.read32(size) || reader.position() >= kPositionLimit)
            return WaveHeaderMalformed;
        // Odd-sized chunks have no pad byte here: the next chunk follows
        // right after `size` bytes.
        bool ok = false;
        if (id == "fmt ") {
            const qint64 contents = reader.position();
            ok = readFmtChunk(reader, size, info) && reader.seek(contents + size);
            fmtSeen = fmtSeen || ok;
        } else if (id == "data") {
            ok = readDataChunk(reader, size, info);
            dataSeen = dataSeen || ok;
        } else {
            ok = reader.skip(size);
        }
        if (!ok)
            return WaveHeaderMalformed;
    }
    out = info;
    return WaveHeaderValid;
}

} // namespace

int readWaveHeader(const QString& path, WaveFormatInfo& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return WaveHeaderCannotOpen;
    return readWaveHeader(&file, out);
}

int readWaveHeader(QIODevice* device, WaveFormatInfo& out) {
    if (!device || !device->isReadable() || device->isSequential())
        return WaveHeaderCannotOpen;
    ChunkReader reader(device);
    if (!reader.seek(0) || !readRiffHeader(reader))
        return WaveHeaderMalformed;
    return readChunks(reader, out);
}

QByteArray makeRiffHeader(quint32 totalSize) {
    QByteArray header("RIFF");
    char size[4];
    qToLittleEndian<quint32>(totalSize - kChunkHeaderSize, size);
    header.append(size, 4);
    header.append("WAVE");
    return header;
}

QByteArray makeWaveHeader(quint32 dataSize, quint32 sampleRate, int bits, int channels) {
    const quint32 sampleBytes = quint32(bytesPerSample(bits));
    const quint32 frameBytes = quint32(channels) * sampleBytes;
    QByteArray header = makeRiffHeader(dataSize + kWaveHeaderSize);
    header.resize(kWaveHeaderSize);
    char* bytes = header.data();
    memcpy(bytes + 12, "fmt ", 4);
    qToLittleEndian<quint32>(kPlainFmtSize, bytes + 16);
    qToLittleEndian<quint16>(kPcmFormatTag, bytes + 20);
    qToLittleEndian<quint16>(quint16(channels), bytes + 22);
    qToLittleEndian<quint32>(sampleRate, bytes + 24);
    qToLittleEndian<quint32>(sampleRate * frameBytes, bytes + 28);
    qToLittleEndian<quint16>(quint16(frameBytes), bytes + 32);
    qToLittleEndian<quint16>(quint16(bits), bytes + 34);
    memcpy(bytes + 36, "data", 4);
    qToLittleEndian<quint32>(dataSize, bytes + 40);
    return header;
}

QByteArray makeWaveHeader(const WaveFormatInfo& info) {
    return makeWaveHeader(info.dataSize, info.sampleRate, info.bitsPerSample, info.channels);
}

int bytesPerSample(int bits) {
    return (bits + 7) / 8;
}

quint32 wholeSeconds(const WaveFormatInfo& info) {
    if (info.blockAlign == 0 || info.sampleRate == 0)
        return 0;
    return info.dataSize / info.blockAlign / info.sampleRate;
}

bool isWithinDurationLimit(const WaveFormatInfo& info) {
    return wholeSeconds(info) < quint32(kKeyboardMaxSeconds);
}

bool isKeyboardWaveFormat(const WaveFormatInfo& info) {
    return info.bitsPerSample == 16 && info.channels == 2 && info.blockAlign == 4 &&
           waveRateClass(info) != -1 && isWithinDurationLimit(info);
}

int waveRateClass(const WaveFormatInfo& info) {
    if (info.sampleRate == quint32(kKeyboardAlternativeSampleRate))
        return 1;
    if (info.sampleRate == quint32(kKeyboardSampleRate))
        return 2;
    return -1;
}

} // namespace zel::qmix::audio
