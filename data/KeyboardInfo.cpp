#include "data/KeyboardInfo.h"

#include "data/DataCategory.h"
#include "data/MusicPresetDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"
#include "data/Zq13Info.h"
#include "data/Zq14Info.h"
#include "data/Zq15Info.h"
#include "data/Zq20BInfo.h"
#include "data/Zq20CInfo.h"
#include "data/Zq21BInfo.h"
#include "data/Zq21CInfo.h"
#include "data/Zq25Info.h"
#include "data/Zq26Info.h"

#include <QFile>

#include <atomic>
#include <numeric>

namespace zel::qmix::data {

namespace {

constexpr int kMaxRhythmSize = 32764;
constexpr int kMaxMusicPresetSize = 8200;
// Song memory the keyboard keeps for itself beyond the largest song.
constexpr int kSongMemoryOverhead = 3292;
// Each area, and the pool itself, costs a 4-byte entry in the memory directory.
constexpr int kDirectoryEntrySize = 4;
constexpr int kBackupProgressEnd = 70;

constexpr int kSongNameDigitOffset = 20;
constexpr int kSongMarkerOffset = 30;
constexpr int kSongVariantOffset = 357;

std::atomic<KeyboardInfo*> currentModelPointer{nullptr};

} // namespace

int KeyboardInfo::songMemoryCapacity() const {
    return songMemorySize() -
           kDirectoryEntrySize * (areaCount(SequencerDataCategory::instance()) + 1);
}

int KeyboardInfo::musicPresetMemoryCapacity() const {
    return musicPresetMemorySize() -
           kDirectoryEntrySize * (areaCount(MusicPresetDataCategory::instance()) + 1) -
           MusicPresetDataCategory::instance()->emptyDataSize();
}

int KeyboardInfo::maxSongSize() const {
    return songMemorySize() - kSongMemoryOverhead;
}

bool KeyboardInfo::clearsWithEmptyData() const {
    return true;
}

QByteArray KeyboardInfo::emptyData(int categoryId, int area) const {
    if (categoryId == RhythmDataCategory::instance()->id())
        return resource(QStringLiteral(":/empty_data/empty_ac7.dat"));
    if (categoryId == MusicPresetDataCategory::instance()->id())
        return resource(QStringLiteral(":/empty_data/empty_mps.dat"));
    if (categoryId == SequencerDataCategory::instance()->id())
        return emptySong(area);
    return {};
}

QByteArray KeyboardInfo::emptySong(int area) const {
    QByteArray song = resource(QStringLiteral(":/empty_data/empty_cms.dat"));
    if (song.size() <= kSongVariantOffset)
        return song;
    // The song is named "User Song N" after the area it empties.
    song[kSongNameDigitOffset] = static_cast<char>('1' + area);
    song[kSongMarkerOffset] = emptySongMarker();
    const int variant = emptySongVariant();
    if (variant >= 0)
        song[kSongVariantOffset] = static_cast<char>(variant);
    return song;
}

char KeyboardInfo::emptySongMarker() const {
    return isSecondGeneration() ? 2 : 0;
}

int KeyboardInfo::emptySongVariant() const {
    return -1;
}

bool KeyboardInfo::usesMusicPresetSendCommand() const {
    return false;
}

bool KeyboardInfo::isSecondGeneration() const {
    return false;
}

bool KeyboardInfo::skipsSongFollowUp() const {
    return true;
}

QString KeyboardInfo::largePicture() const {
    return isSecondGeneration() ? QStringLiteral(":/images/kbdbig074high.png")
                                : QStringLiteral(":/images/kbdbig.png");
}

QString KeyboardInfo::smallPicture() const {
    return isSecondGeneration() ? QStringLiteral(":/images/keyboard074high.png")
                                : QStringLiteral(":/images/keyboard.png");
}

CategoryDescriptor KeyboardInfo::descriptor(const DataCategory* category) const {
    for (const CategoryDescriptor& d : descriptors_) {
        if (d.category == category && category)
            return d;
    }
    return {};
}

int KeyboardInfo::areaCount(const DataCategory* category) const {
    return descriptor(category).areaCount;
}

int KeyboardInfo::areaOffset(const DataCategory* category) const {
    return descriptor(category).areaOffset;
}

int KeyboardInfo::lastArea(const DataCategory* category) const {
    const CategoryDescriptor d = descriptor(category);
    return d.areaOffset + d.areaCount - 1;
}

int KeyboardInfo::firstNumber(const DataCategory* category) const {
    return descriptor(category).firstNumber;
}

int KeyboardInfo::shownAreaNumber(const DataCategory* category, int keyboardArea) const {
    return firstNumber(category) + keyboardArea - areaOffset(category);
}

QString KeyboardInfo::areaName(const DataCategory* category, int shownNumber) {
    return category->displayName() + QStringLiteral(" Area ") + QString::number(shownNumber);
}

QString KeyboardInfo::keyboardAreaName(int categoryCode, int keyboardArea) const {
    const DataCategory* category = categoryFromId(categoryCode, keyboardArea);
    return category ? areaName(category, shownAreaNumber(category, keyboardArea)) : QString();
}

int KeyboardInfo::formatVersion(const DataCategory* category) const {
    return descriptor(category).formatVersion;
}

QList<QPair<QString, int>> KeyboardInfo::keyWordAreaCounts() const {
    QList<QPair<QString, int>> counts;
    for (const CategoryDescriptor& d : descriptors_)
        counts.append({d.category->keyWord(), d.areaCount});
    return counts;
}

int KeyboardInfo::maxDataSize(const DataCategory* category) const {
    if (!category || !category->isVariableSize())
        return -1;
    if (category == RhythmDataCategory::instance())
        return kMaxRhythmSize;
    if (category == MusicPresetDataCategory::instance())
        return kMaxMusicPresetSize;
    if (category == SequencerDataCategory::instance())
        return maxSongSize();
    return -1;
}

int KeyboardInfo::deleteTime(int categoryId) const {
    if (categoryId == SequencerDataCategory::instance()->id())
        return songDeleteTime();
    if (categoryId == MusicPresetDataCategory::instance()->id())
        return musicPresetDeleteTime();
    if (categoryId == RhythmDataCategory::instance()->id())
        return rhythmDeleteTime();
    return 0;
}

int KeyboardInfo::memoryGaugePercent(const DataCategory* category, int used) const {
    int capacity = 0;
    if (category == SequencerDataCategory::instance())
        capacity = songMemoryCapacity();
    else if (category == MusicPresetDataCategory::instance())
        capacity = musicPresetMemoryCapacity();
    else
        return 0;
    const int reserved = areaCount(category) * category->emptyDataSize();
    if (capacity <= reserved)
        return 0;
    const int percent = static_cast<int>((qint64(used) - reserved) * 100 / (capacity - reserved));
    if (percent == 0 && used != reserved)
        return 1;
    return percent;
}

QList<int> KeyboardInfo::allDataProgressSteps() const {
    const QList<int> sizes = allDataBlockSizes();
    const double total = std::accumulate(sizes.begin(), sizes.end(), 0.0);
    QList<int> steps;
    double done = 0.0;
    for (int size : sizes) {
        steps.append(static_cast<int>(done / total * kBackupProgressEnd + 0.5));
        done += size;
    }
    steps.append(kBackupProgressEnd);
    return steps;
}

QStringList KeyboardInfo::allDataLcdNames(bool save) const {
    const QString kind = save ? QStringLiteral("save") : QStringLiteral("load");
    QStringList names;
    for (int step : allDataProgressSteps())
        names.append(QStringLiteral(":/lcd/all_%1_%2.lcd").arg(kind).arg(step));
    return names;
}

QList<QByteArray> KeyboardInfo::allDataLcdPictures(bool save) const {
    QList<QByteArray> pictures;
    for (const QString& name : allDataLcdNames(save))
        pictures.append(resource(name));
    return pictures;
}

QList<KeyboardInfo*> KeyboardInfo::list() {
    static const QList<KeyboardInfo*> models{
        Zq10Info::instance(),  Zq11Info::instance(),  Zq12Info::instance(),  Zq13Info::instance(),
        Zq14Info::instance(),  Zq15Info::instance(),  Zq20BInfo::instance(), Zq20CInfo::instance(),
        Zq21BInfo::instance(), Zq21CInfo::instance(), Zq25Info::instance(),  Zq26Info::instance()};
    return models;
}

KeyboardInfo* KeyboardInfo::find(QString& name) {
    name = name.trimmed();
    for (KeyboardInfo* model : list()) {
        if (model->modelName().trimmed() == name)
            return model;
    }
    return nullptr;
}

KeyboardInfo* KeyboardInfo::find(const QString& name) {
    QString trimmed = name;
    return find(trimmed);
}

KeyboardInfo* KeyboardInfo::currentModel() {
    KeyboardInfo* model = currentModelPointer.load();
    return model ? model : Zq21BInfo::instance();
}

void KeyboardInfo::setCurrentModel(KeyboardInfo* model) {
    if (model)
        currentModelPointer.store(model);
}

void KeyboardInfo::addDescriptor(DataCategory* category, int areaOffset, int areaCount,
                                 int firstNumber) {
    descriptors_.append({category, areaOffset, areaCount, firstNumber, 0});
}

void KeyboardInfo::setFormatVersion(const DataCategory* category, int formatVersion) {
    for (CategoryDescriptor& d : descriptors_) {
        if (d.category == category)
            d.formatVersion = formatVersion;
    }
}

QList<int> KeyboardInfo::repeated(int size, int count) {
    QList<int> sizes;
    sizes.reserve(count);
    for (int i = 0; i < count; ++i)
        sizes.append(size);
    return sizes;
}

QByteArray KeyboardInfo::resource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace zel::qmix::data
