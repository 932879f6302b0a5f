#pragma once

#include <QByteArray>
#include <QList>

// File images built byte by byte from the documented layouts, independent of
// the writers under test.
class FileImages {
public:
    // A common-format image: identifier and model name as raw bytes, the
    // payload length little-endian (or `declaredLength` when given), the
    // format version big-endian, the table little-endian padded to 64 entries.
    static QByteArray common(const QByteArray& identifier, const QByteArray& modelName,
                             qint32 formatVersion, const QByteArray& payload,
                             const QList<qint32>& table = {}, qint64 declaredLength = -1);

    // `size` bytes that differ from position to position, so that shifted or
    // truncated copies do not compare equal.
    static QByteArray pattern(int size, int seed = 0);

    // "AC07", total length as LE int32 at offset 4, then filler.
    static QByteArray nativeRhythm(int size);
    // Total length as LE uint16 at offset 0, then filler.
    static QByteArray rawRhythm(int size);
    // "ACZF" header of 276 bytes (model name at 4, LE uint16 length at 12)
    // in front of `raw`.
    static QByteArray wrappedRhythm(const QByteArray& raw, const QByteArray& modelName);
    // "TAVRO Music Lib" header of 64 bytes: BE uint16 length of `inner` at
    // offset 18 and BE uint16 `kind` at offset 22.
    static QByteArray libraryRhythm(const QByteArray& inner, quint16 kind = 11);

    // "CMPS" followed by filler, `size` bytes in all.
    static QByteArray musicPreset(int size);

    // A backup image whose table lists `blockSizes` and whose payload is
    // their sum plus `payloadAdjust` bytes long.
    static QByteArray backup(const QByteArray& modelName, qint32 formatVersion,
                             const QList<int>& blockSizes, int payloadAdjust = 0);
};
