#pragma once

#include <QMetaType>

namespace zel::qmix::comm {

// What a category-memory query needs to know about the category on the
// current model, given by whoever queues it.
struct CategoryMemoryCommandInfo {
    int areaSize = 0;  // bytes an empty area still takes
    int areaCount = 0; // areas of the category on the current model

    friend bool operator==(const CategoryMemoryCommandInfo& a, const CategoryMemoryCommandInfo& b) {
        return a.areaSize == b.areaSize && a.areaCount == b.areaCount;
    }
    friend bool operator!=(const CategoryMemoryCommandInfo& a, const CategoryMemoryCommandInfo& b) {
        return !(a == b);
    }
};

} // namespace zel::qmix::comm

Q_DECLARE_METATYPE(zel::qmix::comm::CategoryMemoryCommandInfo)
