#include "file/CommonFormatFile.h"

#include "data/KeyboardInfo.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"
#include "data/Zq13Info.h"
#include "data/Zq14Info.h"
#include "data/Zq15Info.h"

#include <QPair>
#include <QtEndian>

#include <limits>

namespace zel::qmix::file {

namespace {

constexpr int kLengthOffset = 12;
constexpr int kVersionOffset = 16;
constexpr int kTableOffset = 20;

qint32 littleEndianAt(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

qint32 bigEndianAt(const QByteArray& bytes, int offset) {
    return qFromBigEndian<qint32>(bytes.constData() + offset);
}

void appendLittleEndian(QByteArray& out, qint32 value) {
    char field[4];
    qToLittleEndian<qint32>(value, field);
    out.append(field, sizeof field);
}

void appendBigEndian(QByteArray& out, qint32 value) {
    char field[4];
    qToBigEndian<qint32>(value, field);
    out.append(field, sizeof field);
}

// Writes `text` into a field of exactly `width` bytes, so that the payload
// always starts at the same offset.
void appendFixedText(QByteArray& out, const QString& text, int width) {
    QByteArray field = text.toLatin1().left(width);
    field.append(width - field.size(), ' ');
    out.append(field);
}

bool isInterchangeablePair(const data::KeyboardInfo* a, const data::KeyboardInfo* b) {
    // Identity, not class: Zq13Info derives from Zq10Info and must still be
    // told apart from it.
    const QList<QPair<const data::KeyboardInfo*, const data::KeyboardInfo*>> pairs{
        {data::Zq10Info::instance(), data::Zq13Info::instance()},
        {data::Zq11Info::instance(), data::Zq14Info::instance()},
        {data::Zq12Info::instance(), data::Zq15Info::instance()},
    };
    for (const auto& pair : pairs) {
        if ((a == pair.first && b == pair.second) || (a == pair.second && b == pair.first))
            return true;
    }
    return false;
}

} // namespace

void CommonFormatFile::initialize() {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    identifier_ = expectedIdentifier();
    modelName_ = model->modelName();
    setTable({});
    formatVersion_ = model->formatVersion(category());
}

int CommonFormatFile::fromByteArray(const QByteArray& bytes) {
    if (bytes.size() <= kHeaderSize)
        return FileFormatError;
    readHeaderFields(bytes);
    const qint64 payloadLength = littleEndianAt(bytes, kLengthOffset);
    if (payloadLength + kHeaderSize != bytes.size())
        return FileFormatError;
    setData(bytes.mid(kHeaderSize));
    return FileOk;
}

void CommonFormatFile::readHeaderFields(const QByteArray& bytes) {
    identifier_ = QString::fromLatin1(bytes.constData(), kIdentifierLength);
    modelName_ = QString::fromLatin1(bytes.constData() + kIdentifierLength, kModelNameLength);
    formatVersion_ = bigEndianAt(bytes, kVersionOffset);
    QList<int> table;
    table.reserve(kTableEntries);
    for (int i = 0; i < kTableEntries; ++i)
        table.append(littleEndianAt(bytes, kTableOffset + 4 * i));
    table_ = table;
}

int CommonFormatFile::toByteArray(QByteArray& out) const {
    const QByteArray payload = data();
    out.clear();
    // The length field could not describe a larger payload.
    if (payload.size() > std::numeric_limits<qint32>::max() - kHeaderSize)
        return FileFormatError;
    out.reserve(kHeaderSize + payload.size());
    appendFixedText(out, identifier_, kIdentifierLength);
    appendFixedText(out, modelName_, kModelNameLength);
    appendLittleEndian(out, static_cast<qint32>(payload.size()));
    appendBigEndian(out, formatVersion_);
    for (int entry : table_)
        appendLittleEndian(out, entry);
    out.append(payload);
    return FileOk;
}

bool CommonFormatFile::isValid() const {
    return modelName_.size() == kModelNameLength && identifierMatches();
}

int CommonFormatFile::headerSize() const {
    return kHeaderSize;
}

QString CommonFormatFile::className() const {
    return QStringLiteral("CommonFormatFile");
}

bool CommonFormatFile::identifierMatches() const {
    return identifier_ == expectedIdentifier();
}

bool CommonFormatFile::isCompatibleModel(const QString& modelName) const {
    const data::KeyboardInfo* own = data::KeyboardInfo::find(modelName_);
    const data::KeyboardInfo* target = data::KeyboardInfo::find(modelName);
    if (!own || !target)
        return false;
    if (own == target)
        return true;
    if (formatVersion_ != 0)
        return false;
    return isInterchangeablePair(own, target);
}

void CommonFormatFile::setTable(const QList<int>& table) {
    table_ = table.mid(0, kTableEntries);
    while (table_.size() < kTableEntries)
        table_.append(0);
}

} // namespace zel::qmix::file
