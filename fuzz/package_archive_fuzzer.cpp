// Whole package archives read from arbitrary bytes: the package is loaded,
// its sizes and every area read, and the archive is extracted. Only the
// documented result codes may come back, nothing may be written outside the
// extraction folder, and no entry may be larger than the handler's limit.
#include "data/KeyboardInfo.h"
#include "etc/ZipHandler.h"
#include "file/PackageFile.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace zel::qmix;

namespace {

// Files are written and synced on every run: a memory file system, where
// there is one, keeps the disk out of the loop.
QTemporaryDir& folder() {
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/toneharbour-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/toneharbour-fuzz-XXXXXX"));
    return dir;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Everything below `root`, as paths relative to it.
QStringList contentsOf(const QString& root) {
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(root).relativeFilePath(it.next()));
    return found;
}

void readEveryArea(const file::PackageFile& package) {
    for (auto list = package.areas().cbegin(); list != package.areas().cend(); ++list) {
        for (int area = 0; area < list->size(); ++area) {
            QByteArray bytes;
            const int read = package.read(list.key(), area, bytes);
            if (read < 0 || read > 2 || bytes.size() > etc::ZipHandler::kMaxEntrySize)
                __builtin_trap();
            package.areaSize(list.key(), area);
            package.dataName(list.key(), area);
        }
    }
}

void extractEverything(const QString& archive) {
    const QString root = folder().filePath(QStringLiteral("root"));
    const QString target = QDir(root).filePath(QStringLiteral("out"));
    QDir(root).removeRecursively();
    QDir().mkpath(target);
    const int extracted = etc::ZipHandler::extractAll(archive, QDir(target));
    if (extracted != 0 && extracted != 2 && extracted != 3)
        __builtin_trap();
    // Only plain files directly inside the target folder.
    for (const QString& path : contentsOf(root)) {
        if (path == QLatin1String("out"))
            continue;
        if (!path.startsWith(QLatin1String("out/")) || path.count(QLatin1Char('/')) != 1 ||
            !QFileInfo(QDir(root).filePath(path)).isFile())
            __builtin_trap();
    }
    QDir(root).removeRecursively();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || !folder().isValid())
        return 0;
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    data::KeyboardInfo::setCurrentModel(models.at(data[0] % models.size()));
    const QString archive = folder().filePath(QStringLiteral("input.PK7"));
    if (!writeFile(archive,
                   QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1))))
        return 0;

    file::PackageFile package;
    if (package.load(archive)) {
        if (package.path() != archive)
            __builtin_trap();
        package.readSizes();
        readEveryArea(package);
        package.hasNoData();
    }
    QByteArray index;
    const int read = etc::ZipHandler::readEntry(
        archive, QString::fromLatin1(file::PackageFile::kIndexEntryName), index);
    if ((read != 0 && read != 2) || index.size() > etc::ZipHandler::kMaxEntrySize)
        __builtin_trap();
    extractEverything(archive);
    return 0;
}
