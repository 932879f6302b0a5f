#include "emu/MemoryAccounting.h"

#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "emu/MemoryImage.h"

#include <algorithm>

namespace zel::qmix::emu {

namespace {

constexpr int kDirectoryEntrySize = 4;
// Areas of categories without a variable size hold settings of a fixed kind;
// the keyboard takes up to one small backup block of them.
constexpr qint64 kFixedAreaLimit = 65532;

} // namespace

MemoryAccounting::MemoryAccounting(const KeyboardMemory& memory)
    : memory_(memory) {}

bool MemoryAccounting::hasSharedPool(int category) const {
    return (category == ModelLayout::SONG_CATEGORY ||
            category == ModelLayout::MUSIC_PRESET_CATEGORY) &&
           memory_.layout().areaCount(category) > 0;
}

qint64 MemoryAccounting::poolSize(int category) const {
    return category == ModelLayout::SONG_CATEGORY ? memory_.model()->songMemorySize()
                                                  : memory_.model()->musicPresetMemorySize();
}

qint64 MemoryAccounting::poolCapacity(int category) const {
    return category == ModelLayout::SONG_CATEGORY ? memory_.model()->songMemoryCapacity()
                                                  : memory_.model()->musicPresetMemoryCapacity();
}

qint64 MemoryAccounting::directorySize(int category) const {
    return qint64(kDirectoryEntrySize) * (memory_.layout().areaCount(category) + 1);
}

qint64 MemoryAccounting::areaLimit(int category) const {
    const data::KeyboardInfo* model = memory_.model();
    // Tone and drawbar areas share a category byte and its size rules.
    for (const data::CategoryDescriptor& candidate : model->descriptors()) {
        if (candidate.category && candidate.category->id() == category) {
            const int max = model->maxDataSize(candidate.category);
            return max > 0 ? max : kFixedAreaLimit;
        }
    }
    return 0;
}

qint64 MemoryAccounting::totalMemory(int category) const {
    if (category == ModelLayout::ALL_DATA_CATEGORY)
        return memory_.layout().imageCapacity();
    if (hasSharedPool(category))
        return poolCapacity(category);
    return areaLimit(category) * memory_.layout().areaCount(category);
}

qint64 MemoryAccounting::freeMemory(int category) const {
    if (category == ModelLayout::ALL_DATA_CATEGORY)
        return std::max<qint64>(0, imageRoom());
    const qint64 used = memory_.usedBytes(category);
    if (hasSharedPool(category))
        return std::max<qint64>(0, poolSize(category) - directorySize(category) - used);
    return std::max<qint64>(0, totalMemory(category) - used);
}

qint64 MemoryAccounting::freeForArea(int category, int area) const {
    const ModelLayout& layout = memory_.layout();
    if (category == ModelLayout::ALL_DATA_CATEGORY) {
        const QList<int> sizes = layout.blockSizes();
        return area >= 0 && area < sizes.size() ? sizes.at(area) : 0;
    }
    if (!layout.isStorageArea(category, area))
        return 0;
    const qint64 current = memory_.areaData(category, area).size();
    // A new area record costs its header; a replaced one keeps it.
    const qint64 recordHeader = current > 0 ? 0 : MemoryImage::AREA_RECORD_HEADER_SIZE;
    qint64 room = std::min(areaLimit(category), imageRoom() + current - recordHeader);
    if (hasSharedPool(category))
        room = std::min(room, poolCapacity(category) - (memory_.usedBytes(category) - current));
    return std::max<qint64>(0, room);
}

bool MemoryAccounting::fits(int category, int area, qint64 size) const {
    return size <= freeForArea(category, area);
}

qint64 MemoryAccounting::imageRoom() const {
    return memory_.layout().imageCapacity() - MemoryImage::encodedSize(memory_);
}

bool MemoryAccounting::isConsistent(QString* problem) const {
    auto report = [problem](const QString& text) {
        if (problem)
            *problem = text;
        return false;
    };
    for (auto it = memory_.areas().cbegin(); it != memory_.areas().cend(); ++it) {
        if (it.value().size() > areaLimit(it.key().category))
            return report(QStringLiteral("category %1 area %2 holds more than an area can")
                              .arg(it.key().category)
                              .arg(it.key().area));
    }
    for (const int category : {ModelLayout::SONG_CATEGORY, ModelLayout::MUSIC_PRESET_CATEGORY}) {
        if (hasSharedPool(category) && memory_.usedBytes(category) > poolCapacity(category))
            return report(QStringLiteral("category %1 holds more than its memory").arg(category));
    }
    if (imageRoom() < 0)
        return report(QStringLiteral("the memory holds more than a backup can carry"));
    return true;
}

} // namespace zel::qmix::emu
