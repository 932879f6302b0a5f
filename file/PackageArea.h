#pragma once

#include <QString>
#include <QtGlobal>

namespace zel::qmix::file {

// Where the data of one package area come from. An area filled while editing
// points at a data file on the PC; an area of a loaded package names an entry
// of the package's own archive. An empty area has neither.
struct PackageArea {
    // Path of a data file on the PC (areas filled while editing).
    QString sourcePath;
    // The data are an entry of the package's own archive.
    bool inArchive = true;
    QString entryName;
    // The name shown for the area.
    QString dataName;
    // Uncompressed size of the data once known, -1 otherwise.
    qint32 size = -1;

    bool hasData() const { return inArchive ? !entryName.isEmpty() : !sourcePath.isEmpty(); }

    bool operator==(const PackageArea& other) const {
        return sourcePath == other.sourcePath && inArchive == other.inArchive &&
               entryName == other.entryName && dataName == other.dataName && size == other.size;
    }
    bool operator!=(const PackageArea& other) const { return !(*this == other); }
};

} // namespace zel::qmix::file
