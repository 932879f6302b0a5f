#include "emu/ModelLayout.h"

#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"

#include <algorithm>
#include <numeric>

namespace zel::qmix::emu {

ModelLayout::ModelLayout(const data::KeyboardInfo* model)
    : model_(model) {}

data::CategoryDescriptor ModelLayout::descriptorFor(int category, int area) const {
    for (const data::CategoryDescriptor& descriptor : model_->descriptors()) {
        if (descriptor.category && descriptor.category->id() == category &&
            area >= descriptor.areaOffset && area < descriptor.areaOffset + descriptor.areaCount)
            return descriptor;
    }
    return {};
}

bool ModelLayout::isStorageArea(int category, int area) const {
    return category != ALL_DATA_CATEGORY && descriptorFor(category, area).category != nullptr;
}

int ModelLayout::areaCount(int category) const {
    if (category == ALL_DATA_CATEGORY)
        return int(blockSizes().size());
    int count = 0;
    for (const data::CategoryDescriptor& descriptor : model_->descriptors()) {
        if (descriptor.category && descriptor.category->id() == category)
            count = std::max(count, descriptor.areaOffset + descriptor.areaCount);
    }
    return count;
}

QList<AreaKey> ModelLayout::storageAreas() const {
    QList<AreaKey> areas;
    for (const data::CategoryDescriptor& descriptor : model_->descriptors()) {
        if (!descriptor.category || descriptor.category->id() == ALL_DATA_CATEGORY)
            continue;
        for (int i = 0; i < descriptor.areaCount; ++i)
            areas.append({descriptor.category->id(), descriptor.areaOffset + i});
    }
    std::sort(areas.begin(), areas.end());
    return areas;
}

bool ModelLayout::isDeletable(int category) const {
    for (const data::CategoryDescriptor& descriptor : model_->descriptors()) {
        if (descriptor.category && descriptor.category->id() == category &&
            descriptor.areaCount > 0 && descriptor.category->isDeletable())
            return true;
    }
    return false;
}

QByteArray ModelLayout::emptyData(int category, int area) const {
    return model_->emptyData(category, area);
}

int ModelLayout::shownNumber(int category, int area) const {
    const data::CategoryDescriptor descriptor = descriptorFor(category, area);
    return descriptor.firstNumber + area - descriptor.areaOffset;
}

QString ModelLayout::displayName(int category, int area) const {
    const data::CategoryDescriptor descriptor = descriptorFor(category, area);
    return descriptor.category ? descriptor.category->displayName() : QString();
}

int ModelLayout::deleteTimeMs(int category) const {
    return model_->deleteTime(category);
}

QList<int> ModelLayout::blockSizes() const {
    return model_->allDataBlockSizes();
}

qint64 ModelLayout::blockOffset(int block) const {
    const QList<int> sizes = blockSizes();
    const int end = std::clamp(block, 0, int(sizes.size()));
    return std::accumulate(sizes.cbegin(), sizes.cbegin() + end, qint64(0));
}

qint64 ModelLayout::imageCapacity() const {
    return blockOffset(int(blockSizes().size()));
}

} // namespace zel::qmix::emu
