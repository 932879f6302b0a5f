#include "file/CardAudioControlFile.h"

#include "file/CardFileProtection.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>

namespace zel::qmix::file {

const char* const CardAudioControlFile::kFolderName = "MUSICDAT";
const char* const CardAudioControlFile::kFileName = "TAVROWAV.DIR";

namespace {

// Record layout.
constexpr int kBaseNameOffset = 0;
constexpr int kExtensionOffset = 8;
constexpr int kKindOffset = 11;
constexpr int kDataSizeOffset = 12;
constexpr int kSecondsOffset = 16;
constexpr int kDataNameOffset = 20;
// Trailer: 0xFF in bytes 0-11 and 22-31, zeros in 12-19, state and counter in
// 20 and 21.
constexpr int kTrailerZerosOffset = 12;
constexpr int kTrailerStateOffset = 20;
constexpr int kTrailerCounterOffset = 21;
constexpr char kFill = char(0xFF);

QByteArray trailerPattern() {
    QByteArray record(CardAudioControlFile::kRecordSize, kFill);
    record.replace(kTrailerZerosOffset, kTrailerStateOffset - kTrailerZerosOffset,
                   QByteArray(kTrailerStateOffset - kTrailerZerosOffset, '\0'));
    return record;
}

bool isTrailer(const char* record) {
    static const QByteArray pattern = trailerPattern();
    for (int i = 0; i < CardAudioControlFile::kRecordSize; ++i) {
        if (i != kTrailerStateOffset && i != kTrailerCounterOffset && record[i] != pattern[i])
            return false;
    }
    const uchar state = uchar(record[kTrailerStateOffset]);
    const uchar counter = uchar(record[kTrailerCounterOffset]);
    return (state == CardAudioControlFile::kTrailerCounted &&
            counter <= CardAudioControlFile::kMaxTrailerCounter) ||
           (state == CardAudioControlFile::kTrailerUnset && counter == 0xFF);
}

// The text of a zero-padded field: its bytes up to the first zero.
QString fieldText(const char* field, int width) {
    const char* end = std::find(field, field + width, '\0');
    return QString::fromLatin1(field, int(end - field));
}

CardAudioEntry parseEntry(const char* record) {
    CardAudioEntry entry;
    entry.baseName = fieldText(record + kBaseNameOffset, CardAudioEntry::kMaxBaseNameLength);
    entry.extension = fieldText(record + kExtensionOffset, CardAudioEntry::kMaxExtensionLength);
    entry.kind = uchar(record[kKindOffset]);
    entry.dataSize = qFromLittleEndian<qint32>(record + kDataSizeOffset);
    entry.seconds = qFromLittleEndian<qint32>(record + kSecondsOffset);
    // Trailing spaces are part of the name as the keyboard stores it.
    entry.dataName = fieldText(record + kDataNameOffset, CardAudioEntry::kMaxDataNameLength);
    return entry;
}

void putField(QByteArray& record, int offset, const QString& text, int width, char padding) {
    QByteArray bytes = text.toLatin1();
    bytes.append(QByteArray(width - bytes.size(), padding));
    record.replace(offset, width, bytes);
}

QByteArray entryRecord(const CardAudioEntry& entry) {
    QByteArray record(CardAudioControlFile::kRecordSize, '\0');
    putField(record, kBaseNameOffset, entry.baseName, CardAudioEntry::kMaxBaseNameLength, '\0');
    putField(record, kExtensionOffset, entry.extension, CardAudioEntry::kMaxExtensionLength, '\0');
    record[kKindOffset] = char(entry.kind);
    qToLittleEndian<qint32>(entry.dataSize, record.data() + kDataSizeOffset);
    qToLittleEndian<qint32>(entry.seconds, record.data() + kSecondsOffset);
    putField(record, kDataNameOffset, entry.dataName, CardAudioEntry::kMaxDataNameLength, ' ');
    return record;
}

QString withoutTrailingSpace(const QString& text) {
    int end = int(text.size());
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

} // namespace

CardAudioControlFile::CardAudioControlFile() {
    CardAudioControlFile::initialize();
}

void CardAudioControlFile::initialize() {
    entries_.clear();
    trailerState_ = kTrailerUnset;
    trailerCounter_ = 0;
}

QString CardAudioControlFile::className() const {
    return QStringLiteral("CardAudioControlFile");
}

int CardAudioControlFile::fromByteArray(const QByteArray& bytes) {
    initialize();
    if (bytes.size() % kRecordSize != 0)
        return FileFormatError;
    for (qsizetype offset = 0; offset < bytes.size(); offset += kRecordSize) {
        const char* record = bytes.constData() + offset;
        if (isTrailer(record)) {
            setTrailer(uchar(record[kTrailerStateOffset]), uchar(record[kTrailerCounterOffset]));
            // What follows the trailer is not the keyboard's.
            return FileOk;
        }
        const CardAudioEntry entry = parseEntry(record);
        if (!entry.isValid())
            return FileFormatError;
        entries_.append(entry);
    }
    return FileOk;
}

int CardAudioControlFile::toByteArray(QByteArray& out) const {
    out.clear();
    for (const CardAudioEntry& entry : entries_) {
        if (entry.isValid())
            out.append(entryRecord(entry));
    }
    QByteArray trailer = trailerPattern();
    const bool counted = trailerState_ == kTrailerCounted;
    trailer[kTrailerStateOffset] = counted ? '\0' : kFill;
    trailer[kTrailerCounterOffset] = counted ? char(trailerCounter_) : kFill;
    out.append(trailer);
    return FileOk;
}

bool CardAudioControlFile::isValid() const {
    return std::all_of(entries_.cbegin(), entries_.cend(),
                       [](const CardAudioEntry& entry) { return entry.isValid(); });
}

int CardAudioControlFile::save(const QString& path) const {
    CardFileProtection::unprotect(path);
    const int result = AbstractFile::save(path);
    CardFileProtection::protect(path);
    return result;
}

void CardAudioControlFile::setTrailer(int state, int counter) {
    const bool counted = state == kTrailerCounted;
    trailerState_ = counted ? kTrailerCounted : kTrailerUnset;
    trailerCounter_ = counted ? std::clamp(counter, 0, kMaxTrailerCounter) : 0;
}

int CardAudioControlFile::listIndexOfKind(int position, bool playOnly) const {
    if (position < 0)
        return -1;
    int seen = 0;
    for (int i = 0; i < count(); ++i) {
        const CardAudioEntry& entry = entries_.at(i);
        if ((playOnly ? entry.isPlayOnly() : entry.isRecordable()) && seen++ == position)
            return i;
    }
    return -1;
}

int CardAudioControlFile::listIndexOfPlayOnly(int position) const {
    return listIndexOfKind(position, true);
}

int CardAudioControlFile::listIndexOfRecordable(int position) const {
    return listIndexOfKind(position, false);
}

std::optional<CardAudioEntry> CardAudioControlFile::findPlayOnlyByPosition(int position) const {
    const int index = listIndexOfPlayOnly(position);
    if (index < 0)
        return std::nullopt;
    return entries_.at(index);
}

std::optional<CardAudioEntry> CardAudioControlFile::findRecordableByPosition(int position) const {
    const int index = listIndexOfRecordable(position);
    if (index < 0)
        return std::nullopt;
    return entries_.at(index);
}

void CardAudioControlFile::replaceAtPosition(int position, const CardAudioEntry& entry) {
    const int index = listIndexOfPlayOnly(position);
    if (index >= 0)
        entries_[index] = entry;
}

void CardAudioControlFile::append(const CardAudioEntry& entry) {
    entries_.append(entry);
}

void CardAudioControlFile::removeAtListIndex(int index) {
    if (index < 0 || index >= count() || entries_.at(index).baseName.isEmpty())
        return;
    entries_.removeAt(index);
}

int CardAudioControlFile::removePlayOnlyEntriesWithoutFile(const QDir& audioFolder) {
    const qsizetype before = entries_.size();
    entries_.removeIf([&audioFolder](const CardAudioEntry& entry) {
        return entry.isPlayOnly() && !entry.baseName.isEmpty() &&
               !QFileInfo::exists(audioFolder.filePath(entry.fileName()));
    });
    return int(before - entries_.size());
}

bool CardAudioControlFile::nameExists(const QString& name) const {
    const QString wanted = withoutTrailingSpace(name);
    return std::any_of(entries_.cbegin(), entries_.cend(), [&wanted](const CardAudioEntry& entry) {
        return withoutTrailingSpace(entry.dataName) == wanted;
    });
}

QString CardAudioControlFile::uniqueDataName(const QString& name) const {
    if (!nameExists(name))
        return name;
    const QString base = name.trimmed();
    // One more candidate than there are entries is always free.
    for (int i = 2;; ++i) {
        const QString suffix = QStringLiteral("(%1)").arg(i);
        QString stem = base;
        if (stem.size() + suffix.size() >= CardAudioEntry::kMaxDataNameLength)
            stem = stem.left(CardAudioEntry::kMaxDataNameLength - suffix.size());
        const QString candidate = stem + suffix;
        if (!nameExists(candidate))
            return candidate;
    }
}

} // namespace zel::qmix::file
