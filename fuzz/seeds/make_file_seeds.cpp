// Writes seed corpora of valid data files for the file fuzz targets:
//   make_file_seeds OUTPUT_DIR
// makes OUTPUT_DIR/<target>/ with one file image (behind the target's
// selector bytes) per file.
#include "SeedWriter.h"

#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "file/CategoryFiles.h"
#include "file/CommonFormatFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cstdio>

using namespace zel::qmix;

namespace {

// Class order of the common-format fuzz target.
const char* const kCommonKeyWords[] = {"DSP",       "TONE",         "SCALE", "DRAWBAR",
                                       "SEQUENCER", "REGISTRATION", "ALL"};
constexpr int kCommonClassCount = 7;

SeedWriter seeds("make_file_seeds");

QByteArray pattern(int size, int seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed) & 0xFF);
    return bytes;
}

QByteArray nativeRhythm(int size) {
    QByteArray bytes = pattern(size, 1);
    bytes.replace(0, 4, "AC07");
    qToLittleEndian<qint32>(size, bytes.data() + 4);
    return bytes;
}

QByteArray rawRhythm(int size) {
    QByteArray bytes = pattern(size, 2);
    qToLittleEndian<quint16>(static_cast<quint16>(size), bytes.data());
    return bytes;
}

QByteArray libraryRhythm(const QByteArray& inner) {
    QByteArray header(64, '\0');
    header.replace(0, 15, "TAVRO Music Lib");
    qToBigEndian<quint16>(static_cast<quint16>(inner.size()), header.data() + 18);
    qToBigEndian<quint16>(11, header.data() + 22);
    return header + inner;
}

QByteArray musicPreset(int size) {
    QByteArray bytes = pattern(size, 3);
    bytes.replace(0, 4, "CMPS");
    return bytes;
}

// The payload a valid item of `category` carries on `model`.
QByteArray payloadFor(const data::DataCategory* category, const data::KeyboardInfo* model) {
    const QString key = category->keyWord();
    if (key == QLatin1String("TONE")) {
        QByteArray tone = pattern(120, 4);
        tone[4] = model->acceptsToneType1() ? 0x04 : 0x00;
        return tone;
    }
    if (key == QLatin1String("DRAWBAR")) {
        QByteArray drawbar = pattern(84, 5);
        for (int offset = 72; offset <= 80; ++offset)
            drawbar[offset] = static_cast<char>(offset % 4);
        return drawbar;
    }
    if (key == QLatin1String("ALL")) {
        qint64 total = 0;
        for (int block : model->allDataBlockSizes())
            total += block;
        return pattern(static_cast<int>(total), 6);
    }
    if (key == QLatin1String("SEQUENCER"))
        return pattern(817, 7);
    if (key == QLatin1String("RHYTHM"))
        return nativeRhythm(116);
    if (key == QLatin1String("MUSICPRESET"))
        return musicPreset(43);
    return pattern(200, 8);
}

QByteArray fileImage(const data::DataCategory* category, data::KeyboardInfo* model,
                     const QByteArray& payload) {
    data::KeyboardInfo::setCurrentModel(model);
    const QSharedPointer<file::AbstractFile> item = file::CategoryFiles::createFile(category);
    item->setData(payload);
    QByteArray image;
    item->toByteArray(image);
    return image;
}

QByteArray selector(int value) {
    return QByteArray(1, static_cast<char>(value));
}

QString seedName(const data::DataCategory* category, const data::KeyboardInfo* model,
                 const char* variant = "") {
    return QStringLiteral("%1_%2%3").arg(category->keyWord().toLower(),
                                         model->modelName().trimmed(), QLatin1String(variant));
}

// The largest backups make slow inputs; a few models cover every table shape.
bool isSmallBackupModel(const data::KeyboardInfo* model) {
    return model->allDataBlockSizes().size() <= 10;
}

void writeCommonSeeds() {
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    for (int index = 0; index < kCommonClassCount; ++index) {
        const data::DataCategory* category =
            data::DataCategory::fromKeyWord(QLatin1String(kCommonKeyWords[index]));
        for (int m = 0; m < models.size(); ++m) {
            data::KeyboardInfo* model = models.at(m);
            if (category->keyWord() == QLatin1String("ALL") && !isSmallBackupModel(model))
                continue;
            const QByteArray image = fileImage(category, model, payloadFor(category, model));
            seeds.write("fuzz_file_common", seedName(category, model),
                        selector(index + kCommonClassCount * m) + image);
        }
    }
}

void writeRhythmSeeds() {
    const QByteArray raw = rawRhythm(100);
    QByteArray wrapped(276, '\0');
    wrapped.replace(0, 12, "ACZFPRV-1200");
    qToLittleEndian<quint16>(static_cast<quint16>(raw.size()), wrapped.data() + 12);
    seeds.write("fuzz_file_rhythm", QStringLiteral("native"), nativeRhythm(116));
    seeds.write("fuzz_file_rhythm", QStringLiteral("native_small"), nativeRhythm(8));
    seeds.write("fuzz_file_rhythm", QStringLiteral("raw"), raw);
    seeds.write("fuzz_file_rhythm", QStringLiteral("raw_19"), rawRhythm(19));
    seeds.write("fuzz_file_rhythm", QStringLiteral("wrapped"), wrapped + raw);
    seeds.write("fuzz_file_rhythm", QStringLiteral("library_native"),
                libraryRhythm(nativeRhythm(116)));
    seeds.write("fuzz_file_rhythm", QStringLiteral("library_raw"), libraryRhythm(raw));
}

void writeMusicPresetSeeds() {
    seeds.write("fuzz_file_music_preset", QStringLiteral("preset_43"), musicPreset(43));
    seeds.write("fuzz_file_music_preset", QStringLiteral("preset_11"), musicPreset(11));
    seeds.write("fuzz_file_music_preset", QStringLiteral("preset_500"), musicPreset(500));
}

void writeBackupSeeds() {
    const data::DataCategory* all = data::DataCategory::fromKeyWord(QStringLiteral("ALL"));
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    for (int m = 0; m < models.size(); ++m) {
        data::KeyboardInfo* model = models.at(m);
        // Every model's table with a one-byte payload: small inputs that
        // reach the table comparison.
        seeds.write("fuzz_file_all_data", seedName(all, model, "_table"),
                    selector(m) + fileImage(all, model, QByteArray(1, 'x')));
        if (isSmallBackupModel(model))
            seeds.write("fuzz_file_all_data", seedName(all, model),
                        selector(m) + fileImage(all, model, payloadFor(all, model)));
    }
}

void writeOpenDataSeeds() {
    const QList<data::DataCategory*> categories = data::DataCategory::all();
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    for (int c = 0; c < categories.size(); ++c) {
        const data::DataCategory* category = categories.at(c);
        for (int m = 0; m < models.size(); ++m) {
            data::KeyboardInfo* model = models.at(m);
            if (category->keyWord() == QLatin1String("ALL") && !isSmallBackupModel(model))
                continue;
            const QByteArray payload = payloadFor(category, model);
            const QByteArray image = category->keyWord() == QLatin1String("RHYTHM") ||
                                             category->keyWord() == QLatin1String("MUSICPRESET")
                                         ? payload
                                         : fileImage(category, model, payload);
            seeds.write("fuzz_file_open_data", seedName(category, model),
                        selector(c) + selector(m) + image);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_file_seeds OUTPUT_DIR\n");
        return 2;
    }
    seeds.setOutputRoot(QString::fromLocal8Bit(argv[1]));
    writeCommonSeeds();
    writeRhythmSeeds();
    writeMusicPresetSeeds();
    writeBackupSeeds();
    writeOpenDataSeeds();
    std::printf("make_file_seeds: %d seeds in %s\n", seeds.written(), argv[1]);
    return seeds.failed() ? 1 : 0;
}
