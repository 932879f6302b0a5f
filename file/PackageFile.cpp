#include "file/PackageFile.h"

#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"
#include "data/Zq13Info.h"
#include "data/Zq14Info.h"
#include "data/Zq15Info.h"
#include "data/Zq20CInfo.h"
#include "data/Zq21CInfo.h"
#include "data/Zq25Info.h"
#include "data/Zq26Info.h"
#include "etc/ZipHandler.h"
#include "file/CategoryFiles.h"
#include "file/FreeSpace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>

namespace zel::qmix::file {

const char* const PackageFile::kIndexEntryName = "package.dat";
const char* const PackageFile::kIndexHeader = "TAVRO ZEL TONEHARBOUR PACKAGE FILE";

namespace {

const char kSeparator = ':';
const char kLineEnd = '\n';
const char* const kVersionKey = "VERSION";
const char* const kVersion = "1";
const char* const kModelNameKey = "MODELNAME";
// Packages are built under this name in the temporary folder before they
// go to their place.
const char* const kTemporaryTemplate = "bc21f100-7d89-44a9-93ea-12da4a2b6b52";

bool areInterchangeable(const data::KeyboardInfo* a, const data::KeyboardInfo* b) {
    const QList<QPair<const data::KeyboardInfo*, const data::KeyboardInfo*>> pairs = {
        {data::Zq10Info::instance(), data::Zq13Info::instance()},
        {data::Zq11Info::instance(), data::Zq14Info::instance()},
        {data::Zq12Info::instance(), data::Zq15Info::instance()},
        {data::Zq20CInfo::instance(), data::Zq25Info::instance()},
        {data::Zq21CInfo::instance(), data::Zq26Info::instance()},
    };
    for (const auto& pair : pairs) {
        if ((pair.first == a && pair.second == b) || (pair.first == b && pair.second == a))
            return true;
    }
    return false;
}

QByteArray readFile(const QString& path, bool* ok) {
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    if (!*ok)
        return {};
    const QByteArray bytes = file.readAll();
    *ok = file.error() == QFileDevice::NoError;
    return bytes;
}

// The part of a file or entry name after its last dot.
QString suffixOf(const QString& name) {
    return QFileInfo(name).suffix();
}

// "<area>.<suffix>", made unique within the archive: two categories may
// both hold files with the same (or no) extension in the same area, and the
// archive's name lookup would then hand out the first entry for both.
QString entryNameFor(int area, const QString& suffix, QSet<QString>& taken) {
    const QString base = QString::number(area);
    QString name = base + QLatin1Char('.') + suffix;
    for (int n = 2; taken.contains(name.toLower()); ++n)
        name = base + QLatin1Char('_') + QString::number(n) + QLatin1Char('.') + suffix;
    taken.insert(name.toLower());
    return name;
}

} // namespace

PackageFile::PackageFile(const QString& modelName)
    : modelName_(modelName.trimmed()) {
    const data::KeyboardInfo* model = data::KeyboardInfo::find(modelName_);
    if (!model)
        return;
    for (const auto& keyWordCount : model->keyWordAreaCounts())
        areas_.insert(keyWordCount.first, QList<PackageArea>(keyWordCount.second));
}

const PackageArea* PackageFile::record(const QString& keyWord, int area) const {
    const auto list = areas_.constFind(keyWord);
    if (list == areas_.constEnd() || area < 0 || area >= list->size())
        return nullptr;
    return &list->at(area);
}

PackageArea PackageFile::area(const QString& keyWord, int area) const {
    const PackageArea* found = record(keyWord, area);
    return found ? *found : PackageArea();
}

int PackageFile::read(const QString& keyWord, int area, QByteArray& out) const {
    const PackageArea* found = record(keyWord, area);
    if (!found || !found->hasData())
        return ReadNoData;
    if (found->inArchive) {
        if (path_.isEmpty())
            return ReadFailed;
        return etc::ZipHandler::readEntry(path_, found->entryName, out) == 0 ? ReadOk : ReadFailed;
    }
    // A PC file that has become unreadable is a failure to report, not data
    // of length zero.
    bool ok = false;
    const QByteArray bytes = readFile(found->sourcePath, &ok);
    if (!ok)
        return ReadFailed;
    out = bytes;
    return ReadOk;
}

QString PackageFile::dataName(const QString& keyWord, int area) const {
    const PackageArea* found = record(keyWord, area);
    if (!found)
        return {};
    return found->inArchive ? found->dataName : found->sourcePath;
}

int PackageFile::areaSize(const QString& keyWord, int area) const {
    const data::DataCategory* category = data::DataCategory::fromKeyWord(keyWord);
    if (!category)
        return -1;
    QByteArray bytes;
    if (read(keyWord, area, bytes) == ReadOk) {
        const QSharedPointer<AbstractFile> parsed = CategoryFiles::createFile(category);
        if (parsed && parsed->fromByteArray(bytes) == FileOk)
            return static_cast<int>(parsed->data().size());
    }
    return category->emptyDataSize();
}

void PackageFile::setArea(const QString& keyWord, int area, const PackageArea& record) {
    if (area < 0)
        return;
    QList<PackageArea>& list = areas_[keyWord];
    while (list.size() <= area)
        list.append(PackageArea());
    list[area] = record;
}

void PackageFile::setFile(const QString& keyWord, int area, const QString& path) {
    PackageArea record;
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isFile()) {
        record.sourcePath = path;
        record.inArchive = false;
        record.dataName = info.fileName();
        record.size = static_cast<qint32>(qMin<qint64>(info.size(), INT32_MAX));
    }
    setArea(keyWord, area, record);
}

void PackageFile::dropMissingFiles() {
    for (auto list = areas_.begin(); list != areas_.end(); ++list) {
        for (int i = 0; i < list->size(); ++i) {
            const PackageArea& record = list->at(i);
            if (!record.inArchive && !QFileInfo(record.sourcePath).isFile())
                setFile(list.key(), i, QString());
        }
    }
}

bool PackageFile::isModelCompatible(const QString& name) const {
    const data::KeyboardInfo* own = data::KeyboardInfo::find(modelName_);
    const data::KeyboardInfo* other = data::KeyboardInfo::find(name);
    if (!own || !other)
        return false;
    return own == other || areInterchangeable(own, other);
}

bool PackageFile::hasNoData() const {
    for (const QList<PackageArea>& list : areas_) {
        for (const PackageArea& record : list) {
            if (record.size >= 0)
                return false;
        }
    }
    return true;
}

bool PackageFile::readSizes() {
    // Only archive areas that name an entry have a size to look up: empty
    // areas have no entry, and PC-file areas know theirs from the file.
    QStringList names;
    QList<QPair<QString, int>> where;
    for (auto list = areas_.cbegin(); list != areas_.cend(); ++list) {
        for (int i = 0; i < list->size(); ++i) {
            const PackageArea& record = list->at(i);
            if (record.inArchive && !record.entryName.isEmpty()) {
                names.append(record.entryName);
                where.append({list.key(), i});
            }
        }
    }
    if (path_.isEmpty())
        return names.isEmpty();
    QList<qint64> sizes;
    if (etc::ZipHandler::entrySizes(path_, names, sizes) != 0)
        return false;
    for (int n = 0; n < where.size(); ++n)
        areas_[where.at(n).first][where.at(n).second].size =
            static_cast<qint32>(qMin<qint64>(sizes.at(n), INT32_MAX));
    return true;
}

QByteArray PackageFile::indexText() const {
    return indexText(modelName_, areas_);
}

QByteArray PackageFile::indexText(const QString& modelName, const AreaMap& areas) {
    QByteArray text;
    text += kIndexHeader;
    text += kLineEnd;
    text += kVersionKey;
    text += kSeparator;
    text += kVersion;
    text += kLineEnd;
    text += kModelNameKey;
    text += kSeparator;
    text += modelName.toLocal8Bit();
    text += kLineEnd;
    for (auto list = areas.cbegin(); list != areas.cend(); ++list) {
        text += list.key().toLocal8Bit();
        for (const PackageArea& record : *list) {
            text += kSeparator;
            text += record.entryName.toLocal8Bit();
            text += kSeparator;
            text += record.dataName.toUtf8().toHex();
        }
        text += kLineEnd;
    }
    return text;
}

bool PackageFile::fromIndexText(const QByteArray& text) {
    if (text.size() > kMaxIndexSize)
        return false;
    QList<QByteArray> lines = text.split(kLineEnd);
    // The index ends at its first empty line.
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).isEmpty()) {
            lines.erase(lines.begin() + i, lines.end());
            break;
        }
    }
    if (lines.size() < 3 || lines.at(0) != kIndexHeader)
        return false;
    const QList<QByteArray> version = lines.at(1).split(kSeparator);
    if (version.size() != 2 || version.at(0) != kVersionKey || version.at(1) != kVersion)
        return false;
    const QList<QByteArray> model = lines.at(2).split(kSeparator);
    if (model.size() != 2 || model.at(0) != kModelNameKey)
        return false;

    AreaMap areas;
    for (int i = 3; i < lines.size(); ++i) {
        const QList<QByteArray> parts = lines.at(i).split(kSeparator);
        if (parts.size() % 2 == 0)
            continue;
        QList<PackageArea> list;
        list.reserve(parts.size() / 2);
        for (int p = 1; p + 1 < parts.size(); p += 2) {
            PackageArea record;
            record.entryName = QString::fromLocal8Bit(parts.at(p));
            record.dataName = QString::fromUtf8(QByteArray::fromHex(parts.at(p + 1)));
            list.append(record);
        }
        areas.insert(QString::fromLocal8Bit(parts.at(0)), list);
    }
    modelName_ = QString::fromLocal8Bit(model.at(1));
    areas_ = areas;
    return true;
}

bool PackageFile::load(const QString& path) {
    QByteArray index;
    if (etc::ZipHandler::readEntry(path, QLatin1String(kIndexEntryName), index) != 0)
        return false;
    PackageFile loaded;
    if (!loaded.fromIndexText(index))
        return false;
    loaded.path_ = path;
    *this = loaded;
    return true;
}

bool PackageFile::save(const QString& path) const {
    // Collect every entry first: a record that cannot deliver its data fails
    // the save before anything is written.
    QList<QPair<QString, QByteArray>> entries;
    entries.append({QLatin1String(kIndexEntryName), QByteArray()});
    AreaMap written;
    QSet<QString> taken{QString::fromLatin1(kIndexEntryName)};
    for (auto list = areas_.cbegin(); list != areas_.cend(); ++list) {
        QList<PackageArea>& records = written[list.key()];
        for (int i = 0; i < list->size(); ++i) {
            const PackageArea& source = list->at(i);
            PackageArea record;
            if (source.hasData()) {
                QByteArray bytes;
                if (read(list.key(), i, bytes) != ReadOk)
                    return false;
                const QString suffix =
                    suffixOf(source.inArchive ? source.entryName : source.sourcePath);
                record.entryName = entryNameFor(i, suffix, taken);
                record.dataName = source.dataName;
                entries.append({record.entryName, bytes});
            }
            records.append(record);
        }
    }
    entries.first().second = indexText(modelName_, written);
    // A model name or file suffix with a separator or line break in it
    // would write an index that reads back as another package, or not at
    // all: such a package is not saved.
    PackageFile check;
    if (!check.fromIndexText(entries.first().second) || check.modelName_ != modelName_ ||
        check.areas_ != written)
        return false;

    QTemporaryFile archive(QDir(QDir::tempPath()).filePath(QLatin1String(kTemporaryTemplate)));
    if (!archive.open())
        return false;
    archive.close();
    if (etc::ZipHandler::writeArchive(archive.fileName(), entries) != 0)
        return false;
    bool ok = false;
    const QByteArray bytes = readFile(archive.fileName(), &ok);
    if (!ok)
        return false;

    // The old package is replaced only by a complete new one: the archive
    // goes to a temporary file beside the target and is renamed over it.
    const QFileInfo target(path);
    if (!FreeSpace::isEnough(target.absolutePath(), bytes.size()))
        return false;
    QSaveFile file(target.absoluteFilePath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // A full disk can cut the last buffered write short without commit() noticing.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void PackageFile::registerMetaType() {
    qRegisterMetaType<PackageFile>("zel::qmix::file::PackageFile");
}

} // namespace zel::qmix::file
