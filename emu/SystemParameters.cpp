#include "emu/SystemParameters.h"

#include "data/KeyboardInfo.h"
#include "emu/AreaNaming.h"
#include "emu/MemoryAccounting.h"

#include <algorithm>
#include <limits>

namespace zel::qmix::emu {

namespace {

// The presence probe only needs a well-formed answer; the keyboard says "on".
constexpr qint32 kPresent = 1;

qint32 clamped(qint64 value) {
    return qint32(std::clamp<qint64>(value, 0, std::numeric_limits<qint32>::max()));
}

} // namespace

SystemParameters::SystemParameters(const KeyboardMemory& memory, const AreaSelection& selection)
    : memory_(memory)
    , selection_(selection) {}

bool SystemParameters::isComputed(int id) {
    switch (id) {
    case MODEL_NAME:
    case PRESENCE:
    case AREA_USED:
    case AREA_SIZE:
    case AREA_NAME:
    case AREA_COUNT:
    case TOTAL_MEMORY:
    case FREE_FOR_AREA:
    case FREE_MEMORY:
        return true;
    default:
        return false;
    }
}

std::optional<qint32> SystemParameters::value(int id, int element) const {
    const MemoryAccounting accounting(memory_);
    switch (id) {
    case MODEL_NAME:
        return character(memory_.model()->modelName(), element);
    case PRESENCE:
        return kPresent;
    case SELECT_CATEGORY:
        return selection_.category;
    case SELECT_MODE:
        return selection_.mode;
    case SELECT_AREA:
        return selection_.area;
    case AREA_USED:
        return areaUsed();
    case AREA_SIZE:
        return areaSize();
    case AREA_NAME:
        return character(areaName(), element);
    case AREA_COUNT:
        return memory_.layout().areaCount(selection_.category);
    case TOTAL_MEMORY:
        return clamped(accounting.totalMemory(selection_.category));
    case FREE_FOR_AREA:
        return clamped(accounting.freeForArea(selection_.category, selection_.area));
    case FREE_MEMORY:
        return clamped(accounting.freeMemory(selection_.category));
    default:
        return std::nullopt;
    }
}

qint32 SystemParameters::character(const QString& text, int element) const {
    return element >= 0 && element < text.size() ? qint32(text.at(element).unicode()) : 0;
}

qint32 SystemParameters::areaUsed() const {
    const ModelLayout& layout = memory_.layout();
    if (selection_.category == ModelLayout::ALL_DATA_CATEGORY)
        return selection_.area < layout.areaCount(selection_.category) ? 1 : 0;
    return memory_.isAreaUsed(selection_.category, selection_.area) ? 1 : 0;
}

qint32 SystemParameters::areaSize() const {
    const ModelLayout& layout = memory_.layout();
    if (selection_.category == ModelLayout::ALL_DATA_CATEGORY) {
        const QList<int> sizes = layout.blockSizes();
        return selection_.area < sizes.size() ? sizes.at(selection_.area) : 0;
    }
    return qint32(memory_.areaData(selection_.category, selection_.area).size());
}

QString SystemParameters::areaName() const {
    if (areaUsed() == 0)
        return {};
    return AreaNaming::name(memory_.layout(), selection_.category, selection_.area,
                            memory_.areaData(selection_.category, selection_.area))
        .left(AreaNaming::NAME_LENGTH);
}

} // namespace zel::qmix::emu
