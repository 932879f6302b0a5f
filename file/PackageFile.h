#pragma once

#include "file/PackageArea.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>

namespace zel::qmix::data {
class DataCategory;
}

namespace zel::qmix::file {

// A package (".PK7"): the data of several categories and areas for one
// keyboard model in one zip archive. The archive holds the index
// "package.dat" and one entry per filled area; this object is the editable
// form: per category key word, per area, where its data come from.
class PackageFile {
public:
    // Area lists by category key word; iteration is in key-word order.
    using AreaMap = QMap<QString, QList<PackageArea>>;

    // Results of read().
    enum ReadResult : int {
        ReadOk = 0,
        // The area holds no data (or does not exist).
        ReadNoData = 1,
        // The area holds data that cannot be read (broken archive entry,
        // unreadable PC file).
        ReadFailed = 2,
    };

    static const char* const kIndexEntryName; // "package.dat"
    static const char* const kIndexHeader;    // first line of the index
    // The index of the largest model is a few kilobytes; anything far larger
    // is not an index and would only make the parser build huge lists.
    static constexpr qint64 kMaxIndexSize = 1024 * 1024;

    // A package without model and areas.
    PackageFile() = default;
    // A new package for `modelName` (trimmed): one list of empty areas per
    // category of the model; no lists if the model is unknown.
    explicit PackageFile(const QString& modelName);

    // The archive the package was loaded from; empty for a new package.
    QString path() const { return path_; }
    QString modelName() const { return modelName_; }
    const AreaMap& areas() const { return areas_; }
    QList<PackageArea> areasOf(const QString& keyWord) const { return areas_.value(keyWord); }
    // The record of one area; an empty record if there is none.
    PackageArea area(const QString& keyWord, int area) const;

    // The data of one area: the archive entry, or the PC file's bytes.
    int read(const QString& keyWord, int area, QByteArray& out) const;
    // The archive area's data name, or the PC file's path.
    QString dataName(const QString& keyWord, int area) const;
    // Size of an area for the memory gauges: the payload length of its data,
    // or the category's empty-area size when they cannot be read.
    int areaSize(const QString& keyWord, int area) const;

    // Stores `record`, adding empty areas (and the category) as needed.
    void setArea(const QString& keyWord, int area, const PackageArea& record);
    // Fills the area from the PC file at `path`; an empty path, or a path
    // where no file is, empties the area.
    void setFile(const QString& keyWord, int area, const QString& path);
    // Empties the PC-file areas whose file has gone.
    void dropMissingFiles();

    // Both models are known and are the same or an interchangeable pair.
    bool isModelCompatible(const QString& name) const;
    // No area has a known size.
    bool hasNoData() const;
    // Records the uncompressed size of every archive area's entry; false if
    // the archive cannot be opened or an entry is missing.
    bool readSizes();

    // Writes the package as an archive to `path`, replacing an existing file
    // only once the new one is complete; false on any failure (the file at
    // `path` is then untouched).
    bool save(const QString& path) const;
    // Reads the package from the archive at `path`; false (and nothing
    // changed) if the archive or its index cannot be read or the index is
    // not a valid package index.
    bool load(const QString& path);

    // The index text for this package with the areas as they are.
    QByteArray indexText() const;
    // Takes model name and areas from an index text; false (nothing changed)
    // unless the text is a valid index.
    bool fromIndexText(const QByteArray& text);

    // Lets packages travel in QVariants under "zel::qmix::file::PackageFile".
    static void registerMetaType();

    bool operator==(const PackageFile& other) const {
        return path_ == other.path_ && modelName_ == other.modelName_ && areas_ == other.areas_;
    }
    bool operator!=(const PackageFile& other) const { return !(*this == other); }

private:
    static QByteArray indexText(const QString& modelName, const AreaMap& areas);
    const PackageArea* record(const QString& keyWord, int area) const;

    QString path_;
    QString modelName_;
    AreaMap areas_;
};

} // namespace zel::qmix::file

Q_DECLARE_METATYPE(zel::qmix::file::PackageFile)
