#include "data/DataCategory.h"

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

#include <QFileInfo>

namespace zel::qmix::data {

QStringList DataCategory::extensions() const {
    return {extension()};
}

QString DataCategory::extension() const {
    return QString::fromLatin1(properties().extension);
}

QIcon DataCategory::largeIcon() const {
    return icon(24);
}

QIcon DataCategory::smallIcon() const {
    return icon(16);
}

QIcon DataCategory::icon(int size) const {
    return QIcon(QStringLiteral(":/images/%1%2.png")
                     .arg(QString::fromLatin1(properties().iconName))
                     .arg(size));
}

QString DataCategory::displayName() const {
    return tr(properties().displayName);
}

QString DataCategory::keyWord() const {
    return QString::fromLatin1(properties().keyWord);
}

int DataCategory::id() const {
    return properties().id;
}

bool DataCategory::hasMemoryGauge() const {
    return properties().memoryGauge;
}

int DataCategory::emptyDataSize() const {
    return properties().emptyDataSize;
}

bool DataCategory::isDeletable() const {
    return properties().deletable;
}

bool DataCategory::isNamedByModelAndDate() const {
    return properties().namedByModelAndDate;
}

bool DataCategory::isVariableSize() const {
    return properties().variableSize;
}

int DataCategory::sendGroup() const {
    return properties().sendGroup;
}

QList<DataCategory*> DataCategory::all() {
    return {RhythmDataCategory::instance(),      SequencerDataCategory::instance(),
            ScaleDataCategory::instance(),       RegistrationDataCategory::instance(),
            MusicPresetDataCategory::instance(), ToneDataCategory::instance(),
            DspDataCategory::instance(),         DrawbarDataCategory::instance(),
            AllDataCategory::instance()};
}

DataCategory* DataCategory::fromKeyWord(const QString& keyWord) {
    for (DataCategory* category : all()) {
        if (category->keyWord() == keyWord)
            return category;
    }
    return nullptr;
}

DataCategory* DataCategory::fromFileName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix();
    if (suffix.isEmpty())
        return nullptr;
    const QString extension = QLatin1Char('.') + suffix.toUpper();
    for (DataCategory* category : all()) {
        if (category->extensions().contains(extension))
            return category;
    }
    return nullptr;
}

void DataCategory::registerMetaTypes() {
    qRegisterMetaType<const_DataCategory*>("zel::qmix::data::const_DataCategory*");
    qRegisterMetaType<DataCategoryList>("zel::qmix::data::DataCategoryList");
}

DataCategory* categoryFromId(int id, int keyboardArea) {
    switch (id) {
    case 18:
        return ScaleDataCategory::instance();
    case 19:
        return DspDataCategory::instance();
    case 31:
        return AllDataCategory::instance();
    case 33:
        return SequencerDataCategory::instance();
    case 34:
        return RegistrationDataCategory::instance();
    case 36:
        return RhythmDataCategory::instance();
    case 37:
        return MusicPresetDataCategory::instance();
    case 3: {
        // Drawbar settings live in a range of the tone areas.
        const KeyboardInfo* model = KeyboardInfo::currentModel();
        DataCategory* drawbar = DrawbarDataCategory::instance();
        if (model->areaCount(drawbar) > 0 && keyboardArea >= model->areaOffset(drawbar))
            return drawbar;
        return ToneDataCategory::instance();
    }
    default:
        return nullptr;
    }
}

} // namespace zel::qmix::data
