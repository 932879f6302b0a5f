#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace zel::qmix::etc {

// The zip archives under the package files. Every operation opens and closes
// the archive itself and reports failures as codes: 0 success, 2 the archive
// or an entry cannot be read (or written, for whole archives), 3 an extracted
// file cannot be written.
class ZipHandler {
public:
    // Failure codes; raised inside as exceptions and returned as results.
    struct Error {
        enum T : int {
            None = 0,
            Read = 2,
            Write = 3,
        };
    };

    // No data file of any category comes near this; a larger recorded size is
    // a forged or broken archive, not something to allocate memory for.
    static constexpr qint64 kMaxEntrySize = 16 * 1024 * 1024;

    // Reads the whole entry `entryName` into `out`.
    static int readEntry(const QString& zipPath, const QString& entryName, QByteArray& out);
    // The uncompressed sizes the archive records for `entryNames`, in order.
    static int entrySizes(const QString& zipPath, const QStringList& entryNames,
                          QList<qint64>& sizes);
    // Writes the archive's current entry (of an archive opened with the zip
    // library's unzOpen) to `filePath`.
    static int extractCurrent(void* zip, const QString& filePath);
    // Writes every entry into `dir` under its own name. Archives with an
    // entry name that is not a plain file name are refused before anything
    // is written.
    static int extractAll(const QString& zipPath, const QDir& dir);
    // A name that stays inside a folder: not empty, no separators, no drive
    // or stream colon, not "." or "..".
    static bool isPlainFileName(const QString& name);

    // Creates the archive `zipPath` (replacing a file there) holding
    // `entries` (name, content) in order, deflated at the default level
    // without time stamps. Returns 0 or 2; a failed archive is removed.
    static int writeArchive(const QString& zipPath,
                            const QList<QPair<QString, QByteArray>>& entries);
};

} // namespace zel::qmix::etc
