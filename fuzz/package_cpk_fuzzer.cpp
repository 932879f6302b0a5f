// ".cpk" package lists read from arbitrary bytes. The first byte picks the
// current keyboard model (the list is checked against it); the rest is the
// file. Whatever is accepted must fit the model and survive a save and a
// second load unchanged.
#include "data/DataCategory.h"
#include "data/DataPackage.h"
#include "data/KeyboardInfo.h"

#include <QByteArray>
#include <QDir>
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || !folder().isValid())
        return 0;
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    data::KeyboardInfo* model = models.at(data[0] % models.size());
    data::KeyboardInfo::setCurrentModel(model);

    const QString input = folder().filePath(QStringLiteral("input.cpk"));
    const QString output = folder().filePath(QStringLiteral("output.cpk"));
    if (!writeFile(input, QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1))))
        return 0;

    data::DataPackage package;
    if (!package.load(input))
        return 0;
    for (const data::DataPackageElement& e : package.elements()) {
        if (!e.category || e.areaNum < 0 || e.areaNum >= model->areaCount(e.category) ||
            e.name.isEmpty() || e.name.contains(QLatin1Char(':')))
            __builtin_trap();
    }
    if (!package.save(output))
        return 0;
    data::DataPackage again;
    if (!again.load(output) || again.elements() != package.elements())
        __builtin_trap();
    return 0;
}
