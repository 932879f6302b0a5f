#pragma once

#include <QMetaType>

namespace zel::qmix::comm {

// How much of a category's memory is in use, as a category-memory query
// found it. The sizes include what empty areas take.
struct CategoryMemoryCommandResult {
    int failed = 1; // 0 when the sizes were read
    int usedSize = 0;
    int totalSize = 0;
    int category = 0;

    friend bool operator==(const CategoryMemoryCommandResult& a,
                           const CategoryMemoryCommandResult& b) {
        return a.failed == b.failed && a.usedSize == b.usedSize && a.totalSize == b.totalSize &&
               a.category == b.category;
    }
    friend bool operator!=(const CategoryMemoryCommandResult& a,
                           const CategoryMemoryCommandResult& b) {
        return !(a == b);
    }
};

} // namespace zel::qmix::comm

Q_DECLARE_METATYPE(zel::qmix::comm::CategoryMemoryCommandResult)
