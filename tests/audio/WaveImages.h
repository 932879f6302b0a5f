#pragma once

// WAV files for the audio tests, built byte by byte from the RIFF layout (not
// with the writer under test), and a plain reader of the canonical files the
// conversions write.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtEndian>
#include <QtGlobal>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace wave_images {

inline QByteArray le16(quint32 value) {
    char bytes[2];
    qToLittleEndian<quint16>(quint16(value), bytes);
    return QByteArray(bytes, 2);
}

inline QByteArray le32(quint32 value) {
    char bytes[4];
    qToLittleEndian<quint32>(value, bytes);
    return QByteArray(bytes, 4);
}

// A chunk as written, without a pad byte after odd sizes; `declaredSize`
// overrides the size field.
inline QByteArray chunk(const char* id, const QByteArray& body, qint64 declaredSize = -1) {
    return QByteArray(id, 4) + le32(quint32(declaredSize < 0 ? body.size() : declaredSize)) + body;
}

struct Format {
    quint16 tag = 1;
    quint16 channels = 2;
    quint32 rate = 44100;
    quint16 bits = 16;
    // Derived from the above when left at 0 (and `exactRates` is false).
    quint16 blockAlign = 0;
    quint32 byteRate = 0;
    bool exactRates = false;
};

inline quint16 blockAlignOf(const Format& format) {
    if (format.exactRates || format.blockAlign)
        return format.blockAlign;
    return quint16(format.channels * ((format.bits + 7) / 8));
}

inline QByteArray fmtBody(const Format& format) {
    const quint16 blockAlign = blockAlignOf(format);
    const quint32 byteRate =
        format.exactRates || format.byteRate ? format.byteRate : blockAlign * format.rate;
    return le16(format.tag) + le16(format.channels) + le32(format.rate) + le32(byteRate) +
           le16(blockAlign) + le16(format.bits);
}

inline QByteArray fmtChunk(const Format& format) {
    return chunk("fmt ", fmtBody(format));
}

// "RIFF", size, "WAVE", then the chunks; the RIFF size is right unless given.
inline QByteArray riff(const QByteArray& chunks, qint64 declaredSize = -1) {
    const quint32 size = quint32(declaredSize < 0 ? chunks.size() + 4 : declaredSize);
    return QByteArray("RIFF") + le32(size) + QByteArray("WAVE") + chunks;
}

// Little-endian samples of `bits` bits (8-bit ones offset by 128).
inline QByteArray sampleBytes(const std::vector<qint64>& samples, int bits) {
    const int width = (bits + 7) / 8;
    QByteArray bytes;
    bytes.reserve(int(samples.size()) * width);
    for (qint64 sample : samples) {
        quint64 raw = quint64(bits == 8 ? sample + 128 : sample);
        for (int i = 0; i < width; ++i) {
            bytes.append(char(raw & 0xFF));
            raw >>= 8;
        }
    }
    return bytes;
}

// A plain PCM file: "fmt ", then "data".
inline QByteArray pcmFile(const Format& format, const std::vector<qint64>& samples) {
    return riff(fmtChunk(format) + chunk("data", sampleBytes(samples, format.bits)));
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// A canonical 44-byte-header file as the conversions write it.
struct Canonical {
    bool ok = false;
    quint16 channels = 0;
    quint32 rate = 0;
    quint16 bits = 0;
    quint32 dataSize = 0;
    std::vector<qint64> samples;
};

inline Canonical readCanonical(const QString& path) {
    Canonical result;
    const QByteArray bytes = readFile(path);
    if (bytes.size() < 44 || !bytes.startsWith("RIFF") || bytes.mid(8, 8) != "WAVEfmt " ||
        bytes.mid(36, 4) != "data")
        return result;
    const char* data = bytes.constData();
    if (qFromLittleEndian<quint32>(data + 4) != quint32(bytes.size() - 8) ||
        qFromLittleEndian<quint32>(data + 16) != 16 || qFromLittleEndian<quint16>(data + 20) != 1)
        return result;
    result.channels = qFromLittleEndian<quint16>(data + 22);
    result.rate = qFromLittleEndian<quint32>(data + 24);
    result.bits = qFromLittleEndian<quint16>(data + 34);
    result.dataSize = qFromLittleEndian<quint32>(data + 40);
    const int width = (result.bits + 7) / 8;
    if (width == 0 || result.dataSize != quint32(bytes.size() - 44) ||
        qFromLittleEndian<quint16>(data + 32) != result.channels * width ||
        qFromLittleEndian<quint32>(data + 28) != result.rate * result.channels * width)
        return result;
    for (qint64 at = 44; at + width <= bytes.size(); at += width) {
        quint64 raw = 0;
        for (int i = width - 1; i >= 0; --i)
            raw = (raw << 8) | uchar(data[at + i]);
        qint64 value = qint64(raw);
        if (result.bits == 8)
            value -= 128;
        else if (raw >> (result.bits - 1) & 1)
            value -= qint64(1) << result.bits;
        result.samples.push_back(value);
    }
    result.ok = true;
    return result;
}

// Any plain PCM file, read by walking its chunks: format and samples.
inline Canonical readPcm(const QString& path) {
    Canonical result;
    const QByteArray bytes = readFile(path);
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return result;
    QByteArray data;
    bool haveFormat = false;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        const QByteArray body = bytes.mid(at + 8, qsizetype(size));
        if (id == "fmt " && body.size() >= 16) {
            result.channels = qFromLittleEndian<quint16>(body.constData() + 2);
            result.rate = qFromLittleEndian<quint32>(body.constData() + 4);
            result.bits = qFromLittleEndian<quint16>(body.constData() + 14);
            haveFormat = qFromLittleEndian<quint16>(body.constData()) == 1;
        } else if (id == "data") {
            data = body;
        }
        at += 8 + qsizetype(size) + (size % 2);
    }
    if (!haveFormat || result.bits == 0)
        return result;
    const int width = (result.bits + 7) / 8;
    result.dataSize = quint32(data.size());
    for (qsizetype at = 0; at + width <= data.size(); at += width) {
        quint64 raw = 0;
        for (int i = width - 1; i >= 0; --i)
            raw = (raw << 8) | uchar(data[at + i]);
        qint64 value = qint64(raw);
        if (result.bits == 8)
            value -= 128;
        else if (raw >> (result.bits - 1) & 1)
            value -= qint64(1) << result.bits;
        result.samples.push_back(value);
    }
    result.ok = true;
    return result;
}

// The conversions' temporary storage still present in `folder`: files of
// theirs, and files this process holds open there (the system may keep
// temporary files nameless, visible only as open files).
inline QStringList leftoverTemporaries(const QString& folder) {
    QStringList found = QDir(folder).entryList({QStringLiteral("toneharbour-audio.*")},
                                               QDir::Files | QDir::Hidden | QDir::System);
    const QString canonical = QDir(folder).canonicalPath() + QLatin1Char('/');
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& descriptor : descriptors.entryList(QDir::System | QDir::Files)) {
        const QString target = QFile::symLinkTarget(descriptors.filePath(descriptor));
        if (target.startsWith(canonical))
            found.append(target);
    }
    return found;
}

inline QString soxProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("sox"));
}

} // namespace wave_images

namespace wave_images {

// Makes a file unwritable for this process, root included (which ignores
// permissions, but not the immutable attribute), for the life of the object.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path)
        : path_(path) {
        if (geteuid() == 0)
            immutable_ = QProcess::execute(QStringLiteral("chattr"), {"+i", path_}) == 0;
        else
            QFile::setPermissions(path_, QFile::ReadOwner | QFile::ReadUser);
    }
    ~ReadOnlyFile() {
        if (immutable_)
            QProcess::execute(QStringLiteral("chattr"), {"-i", path_});
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                         QFile::WriteUser);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Whether opening the file for writing really fails now.
    bool isEffective() const {
        QFile file(path_);
        return !file.open(QIODevice::ReadWrite);
    }

private:
    QString path_;
    bool immutable_ = false;
};

// Lets the process write files of at most `limit` bytes; a longer write or
// resize fails (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = limit;
        active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool isActive() const { return active_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

} // namespace wave_images
