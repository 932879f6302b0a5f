#include "etc/ZipHandler.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <exception>

namespace zel::qmix::etc {

namespace {

using Error = ZipHandler::Error;

constexpr int kReadChunk = 64 * 1024;
// unzLocateFile's "whatever the platform does" case rule.
constexpr int kPlatformCaseRule = 0;

[[noreturn]] void fail(Error::T code) {
    throw code;
}

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(QFileInfo(path).absoluteFilePath());
}

// Entry names travel in the local 8-bit code page. A name with a NUL
// character would be cut short by the library and name another entry.
QByteArray nativeEntryName(const QString& name) {
    if (name.contains(QChar(0)))
        fail(Error::Read);
    return name.toLocal8Bit();
}

// Runs `operation` and turns whatever it raises into a result code.
template <typename Operation> int guarded(Operation operation) {
    try {
        operation();
        return Error::None;
    } catch (Error::T code) {
        return code;
    } catch (const std::exception&) {
        return Error::Read;
    } catch (...) {
        return Error::Read;
    }
}

// An archive open for reading, closed when it goes out of scope. close()
// reports the library's verdict; the destructor only cleans up after a
// failure.
class ReadArchive {
public:
    explicit ReadArchive(const QString& path)
        : zip_(unzOpen(nativePath(path).constData())) {
        if (!zip_)
            fail(Error::Read);
    }
    ~ReadArchive() {
        if (zip_)
            unzClose(zip_);
    }
    ReadArchive(const ReadArchive&) = delete;
    ReadArchive& operator=(const ReadArchive&) = delete;

    unzFile get() const { return zip_; }

    void locate(const QString& entryName) {
        if (unzLocateFile(zip_, nativeEntryName(entryName).constData(), kPlatformCaseRule) !=
            UNZ_OK)
            fail(Error::Read);
    }

    void close() {
        const int closed = unzClose(zip_);
        zip_ = nullptr;
        if (closed != UNZ_OK)
            fail(Error::Read);
    }

private:
    unzFile zip_;
};

unz_file_info currentInfo(unzFile zip) {
    unz_file_info info{};
    if (unzGetCurrentFileInfo(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        fail(Error::Read);
    return info;
}

QString currentName(unzFile zip) {
    const unz_file_info info = currentInfo(zip);
    QByteArray name(static_cast<qsizetype>(info.size_filename) + 1, '\0');
    // The library writes the file information whether it is wanted or not.
    unz_file_info again{};
    if (unzGetCurrentFileInfo(zip, &again, name.data(), static_cast<uLong>(name.size()), nullptr, 0,
                              nullptr, 0) != UNZ_OK)
        fail(Error::Read);
    name.truncate(static_cast<qsizetype>(info.size_filename));
    // A name with a NUL inside is not the name the archive claims.
    if (name.contains('\0'))
        fail(Error::Read);
    return QString::fromLocal8Bit(name);
}

// Reads the current entry whole. The size the archive records is only a
// claim: it bounds the allocation (together with kMaxEntrySize), and an entry
// that delivers a different number of bytes, or fails its checksum, is a
// read error.
QByteArray readCurrent(unzFile zip) {
    const unz_file_info info = currentInfo(zip);
    if (static_cast<quint64>(info.uncompressed_size) >
        static_cast<quint64>(ZipHandler::kMaxEntrySize))
        fail(Error::Read);
    const qsizetype expected = static_cast<qsizetype>(info.uncompressed_size);

    if (unzOpenCurrentFile(zip) != UNZ_OK)
        fail(Error::Read);
    QByteArray out;
    out.reserve(expected);
    char chunk[kReadChunk];
    bool failed = false;
    for (;;) {
        const int count = unzReadCurrentFile(zip, chunk, kReadChunk);
        if (count < 0) {
            failed = true;
            break;
        }
        if (count == 0)
            break;
        if (out.size() + count > expected) {
            failed = true;
            break;
        }
        out.append(chunk, count);
    }
    const int closed = unzCloseCurrentFile(zip);
    if (failed || closed != UNZ_OK || out.size() != expected)
        fail(Error::Read);
    return out;
}

void writeFile(const QString& filePath, const QByteArray& bytes) {
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        fail(Error::Write);
    // A full disk can cut the last buffered write short without commit() noticing.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        fail(Error::Write);
    }
    if (!file.commit())
        fail(Error::Write);
}

// The entry names of the archive in archive order.
QStringList entryNames(unzFile zip) {
    QStringList names;
    int step = unzGoToFirstFile(zip);
    while (step == UNZ_OK) {
        names.append(currentName(zip));
        step = unzGoToNextFile(zip);
    }
    if (step != UNZ_END_OF_LIST_OF_FILE)
        fail(Error::Read);
    return names;
}

// An archive open for writing; removed again unless finish() succeeded.
class WriteArchive {
public:
    explicit WriteArchive(const QString& path)
        : path_(QFileInfo(path).absoluteFilePath())
        , zip_(zipOpen(QFile::encodeName(path_).constData(), APPEND_STATUS_CREATE)) {
        if (!zip_)
            fail(Error::Read);
    }
    ~WriteArchive() {
        if (zip_) {
            zipClose(zip_, nullptr);
            QFile::remove(path_);
        }
    }
    WriteArchive(const WriteArchive&) = delete;
    WriteArchive& operator=(const WriteArchive&) = delete;

    void add(const QString& name, const QByteArray& content) {
        if (!ZipHandler::isPlainFileName(name))
            fail(Error::Read);
        // Zero time stamps: the same package content gives the same archive.
        zip_fileinfo info{};
        if (zipOpenNewFileInZip(zip_, nativeEntryName(name).constData(), &info, nullptr, 0, nullptr,
                                0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION) != ZIP_OK)
            fail(Error::Read);
        const bool written = content.isEmpty() ||
                             zipWriteInFileInZip(zip_, content.constData(),
                                                 static_cast<unsigned>(content.size())) == ZIP_OK;
        const bool closed = zipCloseFileInZip(zip_) == ZIP_OK;
        if (!written || !closed)
            fail(Error::Read);
    }

    void finish() {
        const int closed = zipClose(zip_, nullptr);
        zip_ = nullptr;
        if (closed != ZIP_OK) {
            QFile::remove(path_);
            fail(Error::Read);
        }
    }

private:
    QString path_;
    zipFile zip_;
};

} // namespace

int ZipHandler::readEntry(const QString& zipPath, const QString& entryName, QByteArray& out) {
    return guarded([&] {
        ReadArchive archive(zipPath);
        archive.locate(entryName);
        QByteArray bytes = readCurrent(archive.get());
        archive.close();
        out = bytes;
    });
}

int ZipHandler::entrySizes(const QString& zipPath, const QStringList& entryNames,
                           QList<qint64>& sizes) {
    return guarded([&] {
        ReadArchive archive(zipPath);
        QList<qint64> found;
        for (const QString& name : entryNames) {
            archive.locate(name);
            found.append(static_cast<qint64>(currentInfo(archive.get()).uncompressed_size));
        }
        archive.close();
        sizes = found;
    });
}

int ZipHandler::extractCurrent(void* zip, const QString& filePath) {
    return guarded([&] {
        if (!zip)
            fail(Error::Read);
        writeFile(filePath, readCurrent(static_cast<unzFile>(zip)));
    });
}

int ZipHandler::extractAll(const QString& zipPath, const QDir& dir) {
    return guarded([&] {
        ReadArchive archive(zipPath);
        // Every name is checked before the first byte is written, so a
        // hostile archive leaves no partial extraction behind either.
        const QStringList names = entryNames(archive.get());
        for (const QString& name : names) {
            if (!isPlainFileName(name))
                fail(Error::Read);
        }
        int step = unzGoToFirstFile(archive.get());
        for (const QString& name : names) {
            if (step != UNZ_OK)
                fail(Error::Read);
            const int extracted = extractCurrent(archive.get(), dir.filePath(name));
            if (extracted != Error::None)
                fail(static_cast<Error::T>(extracted));
            step = unzGoToNextFile(archive.get());
        }
        archive.close();
    });
}

bool ZipHandler::isPlainFileName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
            c == QChar(0))
            return false;
    }
    return true;
}

int ZipHandler::writeArchive(const QString& zipPath,
                             const QList<QPair<QString, QByteArray>>& entries) {
    return guarded([&] {
        WriteArchive archive(zipPath);
        for (const auto& entry : entries)
            archive.add(entry.first, entry.second);
        archive.finish();
    });
}

} // namespace zel::qmix::etc
