#include "file/CategoryFiles.h"

#include "data/AllDataCategory.h"
#include "data/DrawbarDataCategory.h"
#include "data/DspDataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MusicPresetDataCategory.h"
#include "data/RegistrationDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/ScaleDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "data/ToneDataCategory.h"
#include "file/AllDataFile.h"
#include "file/DrawbarDataFile.h"
#include "file/DspDataFile.h"
#include "file/MusicPresetDataFile.h"
#include "file/RegistrationDataFile.h"
#include "file/RhythmDataFile.h"
#include "file/ScaleDataFile.h"
#include "file/SequencerDataFile.h"
#include "file/ToneDataFile.h"

namespace zel::qmix::file {

namespace {

void report(int* result, int code) {
    if (result)
        *result = code;
}

} // namespace

QSharedPointer<AbstractFile> CategoryFiles::createFile(const data::DataCategory* category) {
    // Categories are singletons: identity tells them apart.
    if (category == data::RhythmDataCategory::instance())
        return QSharedPointer<RhythmDataFile>::create();
    if (category == data::SequencerDataCategory::instance())
        return QSharedPointer<SequencerDataFile>::create();
    if (category == data::ScaleDataCategory::instance())
        return QSharedPointer<ScaleDataFile>::create();
    if (category == data::RegistrationDataCategory::instance())
        return QSharedPointer<RegistrationDataFile>::create();
    if (category == data::MusicPresetDataCategory::instance())
        return QSharedPointer<MusicPresetDataFile>::create();
    if (category == data::ToneDataCategory::instance())
        return QSharedPointer<ToneDataFile>::create();
    if (category == data::DspDataCategory::instance())
        return QSharedPointer<DspDataFile>::create();
    if (category == data::DrawbarDataCategory::instance())
        return QSharedPointer<DrawbarDataFile>::create();
    if (category == data::AllDataCategory::instance())
        return QSharedPointer<AllDataFile>::create();
    return {};
}

QSharedPointer<AbstractFile> CategoryFiles::openFile(const data::DataCategory* category,
                                                     const QString& path, const QString& modelName,
                                                     int* result) {
    QSharedPointer<AbstractFile> file = createFile(category);
    if (!file) {
        report(result, FileFormatError);
        return {};
    }
    const int loaded = file->load(path);
    return check(category, file, loaded, modelName, result);
}

QSharedPointer<AbstractFile> CategoryFiles::openData(const data::DataCategory* category,
                                                     const QByteArray& bytes,
                                                     const QString& modelName, int* result) {
    QSharedPointer<AbstractFile> file = createFile(category);
    if (!file) {
        report(result, FileFormatError);
        return {};
    }
    const int loaded = file->fromByteArray(bytes);
    return check(category, file, loaded, modelName, result);
}

QSharedPointer<AbstractFile> CategoryFiles::check(const data::DataCategory* category,
                                                  QSharedPointer<AbstractFile> file, int loaded,
                                                  const QString& modelName, int* result) {
    const int code = checkedCode(category, *file, loaded, modelName);
    report(result, code);
    if (code != FileOk)
        return {};
    return file;
}

int CategoryFiles::checkedCode(const data::DataCategory* category, AbstractFile& file, int loaded,
                               const QString& modelName) {
    if (loaded != FileOk)
        return loaded;

    const data::KeyboardInfo* model = data::KeyboardInfo::find(modelName);
    // Data meant for a keyboard this program does not know belong to
    // another model as far as it can tell.
    if (!model)
        return FileOtherModel;

    auto* separated = dynamic_cast<ModelSeparatedFile*>(&file);
    if (separated && separated->formatVersion() == 0 && !separated->isCompatibleModel(modelName))
        return FileOtherModel;

    if (auto* common = dynamic_cast<CommonFormatFile*>(&file)) {
        const int targetVersion = model->formatVersion(category);
        const int converted = common->convert(static_cast<uint>(targetVersion));
        if (converted != FileOk)
            return converted;
        if (common->formatVersion() != targetVersion)
            return FileFormatError;
    }

    if (!file.isValid())
        return FileFormatError;

    const int maxSize = model->maxDataSize(category);
    if (maxSize > 0 && file.data().size() > maxSize)
        return FileTooLarge;
    return FileOk;
}

} // namespace zel::qmix::file
