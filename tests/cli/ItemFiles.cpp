#include "ItemFiles.h"

#include "FileImages.h"

#include <QFile>

namespace {

QByteArray padded(const QByteArray& text, int length) {
    return text.leftJustified(length, ' ', true);
}

} // namespace

QByteArray ItemFiles::rhythm(const QByteArray& name, int size, int seed) {
    QByteArray image = FileImages::nativeRhythm(size);
    const QByteArray filler = FileImages::pattern(size, seed + 5);
    image.replace(8, size - 8, filler.mid(8));
    image.replace(10, 12, padded(name, 12));
    return image;
}

QByteArray ItemFiles::song(const QByteArray& modelName, int formatVersion, const QByteArray& name,
                           int payloadSize, int seed) {
    QByteArray payload = FileImages::pattern(payloadSize, seed + 7);
    payload.replace(10, 12, padded(name, 12));
    return FileImages::common("TAV1", padded(modelName, 8), formatVersion, payload);
}

QByteArray ItemFiles::musicPreset(const QByteArray& name, int size, int seed) {
    QByteArray image = FileImages::pattern(size, seed + 11);
    image.replace(0, 4, "CMPS");
    image.replace(9, 16, padded(name, 16));
    return image;
}

QByteArray ItemFiles::common(const QByteArray& identifier, const QByteArray& modelName,
                             int formatVersion, int payloadSize, int seed) {
    QByteArray payload = FileImages::pattern(payloadSize, seed + 13);
    // Tone type 0 (bits 2..5 of byte 4), valid on every model; the other
    // categories do not look at it.
    payload[4] = char(payload.at(4) & ~0x3C);
    return FileImages::common(identifier, padded(modelName, 8), formatVersion, payload);
}

bool ItemFiles::write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ItemFiles::read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
