#pragma once

#include "emu/KeyboardMemory.h"

#include <QString>

namespace zel::qmix::emu {

// What the keyboard reports about its memory and whether new data fit.
//
// Songs and music presets share one memory pool per category: a directory of
// 4-byte entries (one per area and one for the pool) and the areas' data,
// where an empty area still holds its empty template. Music presets also
// keep one empty preset's worth of room for themselves. Everything together
// must fit into one complete backup of the model.
class MemoryAccounting {
public:
    explicit MemoryAccounting(const KeyboardMemory& memory);

    bool hasSharedPool(int category) const;
    // Parameter 36: the memory the category may fill.
    qint64 totalMemory(int category) const;
    // Parameter 38: the category's memory not in use.
    qint64 freeMemory(int category) const;
    // Parameter 37: the largest data the area can take now, its current
    // contents given up.
    qint64 freeForArea(int category, int area) const;
    // The largest data one area of the category can ever hold.
    qint64 areaLimit(int category) const;
    bool fits(int category, int area, qint64 size) const;

    qint64 imageRoom() const;
    // Every limit holds; the first one broken is named in `problem`.
    bool isConsistent(QString* problem = nullptr) const;

private:
    qint64 poolSize(int category) const;
    qint64 poolCapacity(int category) const;
    qint64 directorySize(int category) const;

    const KeyboardMemory& memory_;
};

} // namespace zel::qmix::emu
