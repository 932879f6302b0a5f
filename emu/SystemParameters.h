#pragma once

#include "emu/AreaSelection.h"
#include "emu/KeyboardMemory.h"

#include <QtGlobal>

#include <optional>

namespace zel::qmix::emu {

// The system parameters (category 0) whose values the keyboard works out
// from its state: model name, presence, selection and the area and memory
// queries. Any other parameter is a stored value.
class SystemParameters {
public:
    enum Id : int {
        MODEL_NAME = 0,
        PRESENCE = 24,
        SELECT_CATEGORY = 25,
        SELECT_MODE = 26,
        SELECT_AREA = 27,
        AREA_USED = 29,
        AREA_SIZE = 31,
        AREA_NAME = 33,
        AREA_COUNT = 35,
        TOTAL_MEMORY = 36,
        FREE_FOR_AREA = 37,
        FREE_MEMORY = 38,
        DELETE_AREA = 39,
    };

    SystemParameters(const KeyboardMemory& memory, const AreaSelection& selection);

    // The value of one element, or nothing when `id` is not worked out.
    std::optional<qint32> value(int id, int element) const;
    // Parameters whose values are worked out cannot be set by the PC.
    static bool isComputed(int id);

private:
    qint32 character(const QString& text, int element) const;
    qint32 areaUsed() const;
    qint32 areaSize() const;
    QString areaName() const;

    const KeyboardMemory& memory_;
    AreaSelection selection_;
};

} // namespace zel::qmix::emu
