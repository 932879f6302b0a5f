#include "FileImages.h"

#include <QDataStream>
#include <QIODevice>

#include <numeric>

QByteArray FileImages::common(const QByteArray& identifier, const QByteArray& modelName,
                              qint32 formatVersion, const QByteArray& payload,
                              const QList<qint32>& table, qint64 declaredLength) {
    QByteArray image;
    QDataStream out(&image, QIODevice::WriteOnly);
    out.writeRawData(identifier.constData(), identifier.size());
    out.writeRawData(modelName.constData(), modelName.size());
    out.setByteOrder(QDataStream::LittleEndian);
    out << static_cast<quint32>(declaredLength < 0 ? payload.size() : declaredLength);
    out.setByteOrder(QDataStream::BigEndian);
    out << formatVersion;
    out.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < 64; ++i)
        out << (i < table.size() ? table.at(i) : qint32(0));
    out.writeRawData(payload.constData(), payload.size());
    return image;
}

QByteArray FileImages::pattern(int size, int seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + seed * 13 + i / 251) & 0xFF);
    return bytes;
}

QByteArray FileImages::nativeRhythm(int size) {
    QByteArray image = pattern(size, 1);
    QDataStream out(&image, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("AC07", 4);
    out << qint32(size);
    return image;
}

QByteArray FileImages::rawRhythm(int size) {
    QByteArray image = pattern(size, 2);
    QDataStream out(&image, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(size);
    return image;
}

QByteArray FileImages::wrappedRhythm(const QByteArray& raw, const QByteArray& modelName) {
    QByteArray header(276, '\0');
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("ACZF", 4);
    out.writeRawData(modelName.constData(), modelName.size());
    out.device()->seek(12);
    out << quint16(raw.size());
    return header + raw;
}

QByteArray FileImages::libraryRhythm(const QByteArray& inner, quint16 kind) {
    QByteArray header(64, '\0');
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::BigEndian);
    out.writeRawData("TAVRO Music Lib", 15);
    out.device()->seek(18);
    out << quint16(inner.size());
    out.device()->seek(22);
    out << kind;
    return header + inner;
}

QByteArray FileImages::musicPreset(int size) {
    QByteArray image = pattern(size, 3);
    image.replace(0, 4, "CMPS");
    return image;
}

QByteArray FileImages::backup(const QByteArray& modelName, qint32 formatVersion,
                              const QList<int>& blockSizes, int payloadAdjust) {
    const int total = std::accumulate(blockSizes.begin(), blockSizes.end(), 0);
    return common("AL7F", modelName, formatVersion, pattern(total + payloadAdjust, 4),
                  QList<qint32>(blockSizes.begin(), blockSizes.end()));
}
