// Writes seed corpora for the package fuzz targets:
//   make_package_seeds OUTPUT_DIR
// makes OUTPUT_DIR/<target>/ with valid ".cpk" lists (behind the model
// selector byte), package indexes and package archives (behind the model
// selector byte), built through the program's own writers.
#include "SeedWriter.h"

#include "data/DataCategory.h"
#include "data/DataPackage.h"
#include "data/KeyboardInfo.h"
#include "etc/ZipHandler.h"
#include "file/CategoryFiles.h"
#include "file/PackageFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>

using namespace zel::qmix;

namespace {

SeedWriter seeds("make_package_seeds");

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray selector(int value) {
    return QByteArray(1, static_cast<char>(value));
}

QByteArray pattern(int size, int seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed) & 0xFF);
    return bytes;
}

// A small item of `category` as it is stored on disk for the current model.
QByteArray dataFile(const data::DataCategory* category, int seed) {
    const QString key = category->keyWord();
    if (key == QLatin1String("RHYTHM")) {
        QByteArray rhythm = pattern(40, seed);
        rhythm.replace(0, 4, "AC07");
        qToLittleEndian<qint32>(rhythm.size(), rhythm.data() + 4);
        return rhythm;
    }
    if (key == QLatin1String("MUSICPRESET")) {
        QByteArray preset = pattern(20, seed);
        preset.replace(0, 4, "CMPS");
        return preset;
    }
    const QSharedPointer<file::AbstractFile> item = file::CategoryFiles::createFile(category);
    item->setData(pattern(category->keyWord() == QLatin1String("DRAWBAR") ? 84 : 30, seed));
    QByteArray image;
    item->toByteArray(image);
    return image;
}

void writeCpkSeeds(const QString& scratch) {
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    for (int m = 0; m < models.size(); ++m) {
        data::KeyboardInfo* model = models.at(m);
        data::KeyboardInfo::setCurrentModel(model);
        data::DataPackage package;
        int area = 0;
        for (const data::CategoryDescriptor& descriptor : model->descriptors()) {
            package.append(data::DataPackageElement(descriptor.category,
                                                    area % descriptor.areaCount,
                                                    descriptor.category->displayName()));
            ++area;
        }
        const QString path = QDir(scratch).filePath(QStringLiteral("seed.cpk"));
        if (!package.save(path)) {
            seeds.noteFailure();
            continue;
        }
        seeds.write("fuzz_package_cpk", model->modelName().trimmed(), selector(m) + readFile(path));
    }
}

// A package for `model` with one item in a few areas of every category.
file::PackageFile packageFor(data::KeyboardInfo* model, const QString& scratch) {
    data::KeyboardInfo::setCurrentModel(model);
    file::PackageFile package(model->modelName());
    int seed = 0;
    for (const data::CategoryDescriptor& descriptor : model->descriptors()) {
        if (descriptor.category->keyWord() == QLatin1String("ALL"))
            continue;
        for (int area : {0, descriptor.areaCount - 1}) {
            const QString path = QDir(scratch).filePath(
                QStringLiteral("item%1%2").arg(++seed).arg(descriptor.category->extension()));
            if (!writeFile(path, dataFile(descriptor.category, seed)))
                seeds.noteFailure();
            package.setFile(descriptor.category->keyWord(), area, path);
        }
    }
    return package;
}

void writePackageSeeds(const QString& scratch) {
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    for (int m = 0; m < models.size(); ++m) {
        data::KeyboardInfo* model = models.at(m);
        const file::PackageFile package = packageFor(model, scratch);
        const QString name = model->modelName().trimmed();
        const QString archive = QDir(scratch).filePath(QStringLiteral("seed.PK7"));
        if (!package.save(archive)) {
            seeds.noteFailure();
            continue;
        }
        seeds.write("fuzz_package_archive", name, selector(m) + readFile(archive));
        file::PackageFile loaded;
        if (!loaded.load(archive)) {
            seeds.noteFailure();
            continue;
        }
        seeds.write("fuzz_package_index", name, loaded.indexText());
    }
    // Archives of a few plain entries, for extraction.
    const QString archive = QDir(scratch).filePath(QStringLiteral("plain.zip"));
    if (etc::ZipHandler::writeArchive(archive, {{QStringLiteral("a.bin"), pattern(300, 1)},
                                                {QStringLiteral("b"), QByteArray()}}) == 0)
        seeds.write("fuzz_package_archive", QStringLiteral("plain"),
                    selector(0) + readFile(archive));
    else
        seeds.noteFailure();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_package_seeds OUTPUT_DIR\n");
        return 2;
    }
    seeds.setOutputRoot(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "make_package_seeds: no temporary folder\n");
        return 1;
    }
    writeCpkSeeds(scratch.path());
    writePackageSeeds(scratch.path());
    std::printf("make_package_seeds: %d seeds in %s\n", seeds.written(), argv[1]);
    return seeds.failed() ? 1 : 0;
}
