#pragma once

#include <QDate>
#include <QDir>
#include <QString>

namespace zel::qmix::data {
class DataCategory;
class KeyboardInfo;
} // namespace zel::qmix::data

namespace zel::qmix::file {

// How items taken from the keyboard are named on the PC. Shared by every
// front end, so that a rhythm received by drag and drop and one received from
// the command line end up under the same name.
class FileNaming {
public:
    // A base name (without extension) that every file system accepts: empty
    // names, the reserved device names and the characters that file systems
    // refuse or treat as path syntax are replaced.
    static QString safeFileName(const QString& baseName);

    // The first of base + extension, base + "(2)" + extension, base + "(3)" +
    // extension, ... that does not exist in `folder`; the full path.
    static QString freePath(const QDir& folder, const QString& baseName, const QString& extension);

    // model name (trimmed) + "_" + the date as yyMMdd: the name of items
    // that carry no name of their own, and of backups.
    static QString modelAndDateName(const data::KeyboardInfo* model, const QDate& date);

    // The base name of an item received from the keyboard, before it is made
    // safe: by model and date where the category asks for it, otherwise the
    // data name the keyboard reported, trimmed.
    static QString receivedBaseName(const data::DataCategory* category, const QString& dataName,
                                    const data::KeyboardInfo* model, const QDate& date);

    // Where a received item is saved in `folder`: its safe base name, free,
    // with the category's extension.
    static QString receivedItemPath(const QDir& folder, const data::DataCategory* category,
                                    const QString& dataName, const data::KeyboardInfo* model,
                                    const QDate& date);

    // Where a complete backup is saved in `folder`.
    static QString backupPath(const QDir& folder, const data::KeyboardInfo* model,
                              const QDate& date);

    // Whether a new file can be created in `folder`: creates one under a free
    // name derived from "dummy" and removes it again.
    static bool canCreateFileIn(const QDir& folder);
};

} // namespace zel::qmix::file
