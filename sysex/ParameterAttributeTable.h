#pragma once

#include "sysex/ParameterAttribute.h"

namespace zel::qmix::sysex {

// The attributes of every parameter, by parameter category (0..48) and id.
class ParameterAttributeTable {
public:
    static constexpr int CATEGORY_COUNT = 49;

    // Categories without a table, unknown categories and ids beyond a table all
    // get the all-zero record, so a reply naming a parameter we do not know can
    // never make us read outside the table.
    static const ParameterAttribute& attribute(int category, int id);
    // Number of ids the category's table holds (0 without a table).
    static int parameterCount(int category);
};

// The lookup under the name the parameter code has always used.
const ParameterAttribute& PsGetParameterAttrib(int cat_, int id_);

} // namespace zel::qmix::sysex
