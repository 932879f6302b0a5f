#include "emu/MemoryImage.h"

#include "data/KeyboardInfo.h"
#include "emu/MemoryAccounting.h"
#include "sysex/Checksum.h"

#include <QtEndian>

namespace zel::qmix::emu {

namespace {

const QByteArray kMagic = QByteArrayLiteral("THKM");
constexpr int kModelNameLength = 8;

template <typename T> void append(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

// Reads little-endian fields without ever passing the end of the image.
class Cursor {
public:
    Cursor(const QByteArray& bytes, qsizetype end)
        : bytes_(bytes)
        , end_(end) {}

    bool has(qsizetype count) const { return count >= 0 && count <= end_ - pos_; }
    qsizetype position() const { return pos_; }

    template <typename T> bool read(T& value) {
        if (!has(sizeof(T)))
            return false;
        value = qFromLittleEndian<T>(bytes_.constData() + pos_);
        pos_ += sizeof(T);
        return true;
    }
    bool readBytes(qsizetype count, QByteArray& out) {
        if (!has(count))
            return false;
        out = bytes_.mid(pos_, count);
        pos_ += count;
        return true;
    }
    void skip(qsizetype count) { pos_ += count; }

private:
    const QByteArray& bytes_;
    qsizetype end_;
    qsizetype pos_ = 0;
};

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

void appendParameter(QByteArray& out, const ParameterKey& key, qint32 value) {
    append<quint8>(out, quint8(key.category));
    append<quint8>(out, quint8(key.subAddress));
    append<quint16>(out, quint16(key.addressNumber));
    for (const int index : key.indexes)
        append<quint16>(out, quint16(index));
    append<quint16>(out, quint16(key.id));
    append<quint16>(out, quint16(key.element));
    append<qint32>(out, value);
}

bool readParameter(Cursor& cursor, ParameterKey& key, qint32& value) {
    quint8 category = 0, subAddress = 0;
    quint16 addressNumber = 0, id = 0, element = 0;
    if (!cursor.read(category) || !cursor.read(subAddress) || !cursor.read(addressNumber))
        return false;
    for (int& index : key.indexes) {
        quint16 word = 0;
        if (!cursor.read(word))
            return false;
        index = word;
    }
    if (!cursor.read(id) || !cursor.read(element) || !cursor.read(value))
        return false;
    key.category = category;
    key.subAddress = subAddress;
    key.addressNumber = addressNumber;
    key.id = id;
    key.element = element;
    return true;
}

bool readAreas(Cursor& cursor, quint32 count, KeyboardMemory& memory, QString* error) {
    for (quint32 i = 0; i < count; ++i) {
        quint8 category = 0;
        quint16 area = 0;
        quint32 size = 0;
        QByteArray data;
        if (!cursor.read(category) || !cursor.read(area) || !cursor.read(size) ||
            !cursor.readBytes(qsizetype(size), data))
            return fail(error, QStringLiteral("an area record runs past the end of the image"));
        if (!memory.layout().isStorageArea(category, area))
            return fail(
                error,
                QStringLiteral("category %1 has no area %2 on this model").arg(category).arg(area));
        if (memory.areas().contains({category, area}))
            return fail(
                error,
                QStringLiteral("category %1 area %2 is stored twice").arg(category).arg(area));
        if (data.isEmpty())
            return fail(error,
                        QStringLiteral("category %1 area %2 is empty").arg(category).arg(area));
        memory.setAreaData(category, area, data);
    }
    return true;
}

bool readParameters(Cursor& cursor, quint32 count, KeyboardMemory& memory, QString* error) {
    if (count > quint32(KeyboardMemory::MAX_STORED_PARAMETERS))
        return fail(error, QStringLiteral("too many parameter records"));
    for (quint32 i = 0; i < count; ++i) {
        ParameterKey key;
        qint32 value = 0;
        if (!readParameter(cursor, key, value))
            return fail(error, QStringLiteral("a parameter record runs past the end of the image"));
        memory.setParameter(key, value);
    }
    return true;
}

bool isZeroFrom(const QByteArray& bytes, qsizetype from) {
    for (qsizetype i = from; i < bytes.size(); ++i) {
        if (bytes.at(i) != '\0')
            return false;
    }
    return true;
}

} // namespace

QByteArray MemoryImage::encode(const KeyboardMemory& memory) {
    QByteArray out;
    out.reserve(qsizetype(encodedSize(memory)));
    out.append(kMagic);
    append<quint16>(out, FORMAT_VERSION);
    out.append(memory.model()->modelName().toLatin1().leftJustified(kModelNameLength, ' ', true));
    append<quint32>(out, quint32(memory.areas().size()));
    append<quint32>(out, quint32(memory.parameters().size()));
    for (auto it = memory.areas().cbegin(); it != memory.areas().cend(); ++it) {
        append<quint8>(out, quint8(it.key().category));
        append<quint16>(out, quint16(it.key().area));
        append<quint32>(out, quint32(it.value().size()));
        out.append(it.value());
    }
    for (auto it = memory.parameters().cbegin(); it != memory.parameters().cend(); ++it)
        appendParameter(out, it.key(), it.value());
    append<quint32>(out, sysex::Checksum::crc32(out));
    return out;
}

qint64 MemoryImage::encodedSize(const KeyboardMemory& memory) {
    qint64 size = HEADER_SIZE + CHECKSUM_SIZE;
    for (const QByteArray& data : memory.areas())
        size += AREA_RECORD_HEADER_SIZE + data.size();
    size += qint64(PARAMETER_RECORD_SIZE) * memory.parameters().size();
    return size;
}

QByteArray MemoryImage::backupImage(const KeyboardMemory& memory) {
    QByteArray image = encode(memory);
    const qint64 capacity = memory.layout().imageCapacity();
    if (image.size() < capacity)
        image.append(QByteArray(qsizetype(capacity - image.size()), '\0'));
    return image;
}

bool MemoryImage::decode(const QByteArray& image, const data::KeyboardInfo* model,
                         KeyboardMemory& out, QString* error) {
    if (image.size() < HEADER_SIZE + CHECKSUM_SIZE || !image.startsWith(kMagic))
        return fail(error, QStringLiteral("not a keyboard memory image"));

    Cursor cursor(image, image.size());
    cursor.skip(kMagic.size());
    quint16 version = 0;
    quint32 areaCount = 0, parameterCount = 0;
    cursor.read(version);
    cursor.skip(kModelNameLength);
    cursor.read(areaCount);
    cursor.read(parameterCount);
    if (version != FORMAT_VERSION)
        return fail(error, QStringLiteral("memory image format %1 is not known").arg(version));

    KeyboardMemory memory(model);
    if (!readAreas(cursor, areaCount, memory, error) ||
        !readParameters(cursor, parameterCount, memory, error))
        return false;

    const qsizetype checksumAt = cursor.position();
    quint32 checksum = 0;
    if (!cursor.read(checksum) || checksum != sysex::Checksum::crc32(image.left(checksumAt)))
        return fail(error, QStringLiteral("the memory image is damaged (checksum)"));
    if (!isZeroFrom(image, cursor.position()))
        return fail(error, QStringLiteral("unexpected bytes after the memory image"));

    memory.fillEmptyTemplates();
    QString problem;
    if (!MemoryAccounting(memory).isConsistent(&problem))
        return fail(error, problem);
    out = memory;
    return true;
}

} // namespace zel::qmix::emu
