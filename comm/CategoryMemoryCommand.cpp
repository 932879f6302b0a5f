#include "comm/CategoryMemoryCommand.h"

#include <algorithm>

namespace zel::qmix::comm {

CategoryMemoryCommand::CategoryMemoryCommand(midi::DeviceHandler* handler, int category,
                                             QObject* parent)
    : SystemParameterCommand(handler, parent)
    , category_(category)
    , resultCategory_(category) {}

void CategoryMemoryCommand::proceed() {
    if (!checkConnection())
        return;
    resultCategory_ = category_;
    setUnknown();
    selectMode(AreaMode);
    selectCategory(category_);
    const QVector<int> total = requestParameter(0, CategoryTotalMemory);
    if (!total.isEmpty()) {
        totalSize_ = total.first();
        readUsedSize(categoryInfo());
    }
    // A damaged reply fails the command even when a good one followed; the
    // gauge must then not show what it was told.
    if (errorCode() != CommandErrorCode::NoError)
        failed_ = 1;
    if (!isDone())
        fail();
}

QVariant CategoryMemoryCommand::result() const {
    return QVariant::fromValue(
        CategoryMemoryCommandResult{failed_, usedSize_, totalSize_, resultCategory_});
}

CategoryMemoryCommandInfo CategoryMemoryCommand::categoryInfo() const {
    const QVariant given = info();
    // Without the caller's figures no area is looked at.
    return given.metaType() == QMetaType::fromType<CategoryMemoryCommandInfo>()
               ? given.value<CategoryMemoryCommandInfo>()
               : CategoryMemoryCommandInfo{};
}

void CategoryMemoryCommand::readUsedSize(const CategoryMemoryCommandInfo& info) {
    switch (category_) {
    case SongCategory:
        sumAreaSizes(info.areaCount);
        break;
    case MusicPresetCategory:
        measureMusicPresets(info.areaSize, info.areaCount);
        break;
    default:
        subtractFreeMemory();
        break;
    }
}

void CategoryMemoryCommand::sumAreaSizes(int areaCount) {
    int used = 0;
    for (int area = 0; area < areaCount; ++area) {
        selectAreaNumber(area);
        const QVector<int> size = requestParameter(0, AreaSize);
        if (size.isEmpty()) {
            setUnknown();
            return;
        }
        used += size.first();
    }
    setUsed(used);
}

// The keyboard's free memory of music presets leaves out the room of one
// empty preset, so it is added back; the areas' own sizes are not asked.
// With any preset stored the gauge must show more than the empty areas take,
// however the keyboard counted.
void CategoryMemoryCommand::measureMusicPresets(int areaSize, int areaCount) {
    const int emptyAreas = areaCount * areaSize;
    for (int area = 0; area < areaCount; ++area) {
        selectAreaNumber(area);
        const QVector<int> used = requestParameter(0, AreaUsed);
        if (used.isEmpty()) {
            setUnknown();
            return;
        }
        if (used.first() != 1)
            continue;
        const QVector<int> free = requestParameter(0, CategoryFreeMemory);
        if (free.isEmpty()) {
            setUnknown();
            return;
        }
        setUsed(std::max(std::max(0, totalSize_ + areaSize - free.first()), emptyAreas + 1));
        return;
    }
    setUsed(emptyAreas);
}

void CategoryMemoryCommand::subtractFreeMemory() {
    const QVector<int> free = requestParameter(0, CategoryFreeMemory);
    if (free.isEmpty())
        setUnknown();
    else
        setUsed(totalSize_ - free.first());
}

void CategoryMemoryCommand::setUsed(int usedSize) {
    usedSize_ = usedSize;
    failed_ = 0;
}

void CategoryMemoryCommand::setUnknown() {
    usedSize_ = 0;
    failed_ = 1;
}

} // namespace zel::qmix::comm
