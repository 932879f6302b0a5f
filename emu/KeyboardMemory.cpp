#include "emu/KeyboardMemory.h"

namespace zel::qmix::emu {

namespace {

constexpr int kRegistrationCategory = 34;
constexpr int kScaleCategory = 18;
// Registration and scale memories always exist on a keyboard; these are the
// sizes of the neutral settings a new keyboard holds in them.
constexpr int kDefaultRegistrationSize = 1024;
constexpr int kDefaultScaleSize = 64;

} // namespace

KeyboardMemory::KeyboardMemory(const data::KeyboardInfo* model)
    : layout_(model) {}

KeyboardMemory KeyboardMemory::factoryDefault(const data::KeyboardInfo* model) {
    KeyboardMemory memory(model);
    memory.fillEmptyTemplates();
    if (memory.layout_.isStorageArea(kRegistrationCategory, 0))
        memory.setAreaData(kRegistrationCategory, 0, QByteArray(kDefaultRegistrationSize, '\0'));
    if (memory.layout_.isStorageArea(kScaleCategory, 0))
        memory.setAreaData(kScaleCategory, 0, QByteArray(kDefaultScaleSize, '\0'));
    return memory;
}

QByteArray KeyboardMemory::areaData(int category, int area) const {
    return areas_.value({category, area});
}

bool KeyboardMemory::isAreaUsed(int category, int area) const {
    const QByteArray data = areaData(category, area);
    return !data.isEmpty() && data != layout_.emptyData(category, area);
}

void KeyboardMemory::setAreaData(int category, int area, const QByteArray& data) {
    if (!layout_.isStorageArea(category, area))
        return;
    if (data.isEmpty())
        areas_.remove({category, area});
    else
        areas_.insert({category, area}, data);
}

void KeyboardMemory::clearArea(int category, int area) {
    setAreaData(category, area, layout_.emptyData(category, area));
}

void KeyboardMemory::fillEmptyTemplates() {
    for (const AreaKey& key : layout_.storageAreas()) {
        if (!areas_.contains(key))
            clearArea(key.category, key.area);
    }
}

qint64 KeyboardMemory::usedBytes(int category) const {
    qint64 used = 0;
    for (auto it = areas_.cbegin(); it != areas_.cend(); ++it) {
        if (it.key().category == category)
            used += it.value().size();
    }
    return used;
}

std::optional<qint32> KeyboardMemory::parameter(const ParameterKey& key) const {
    const auto it = parameters_.constFind(key);
    if (it == parameters_.cend())
        return std::nullopt;
    return it.value();
}

bool KeyboardMemory::setParameter(const ParameterKey& key, qint32 value) {
    if (!parameters_.contains(key) && parameters_.size() >= MAX_STORED_PARAMETERS)
        return false;
    parameters_.insert(key, value);
    return true;
}

} // namespace zel::qmix::emu
