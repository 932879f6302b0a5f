#pragma once

#include <tuple>

namespace zel::qmix::emu {

// One memory area as the protocol names it: the category byte and the area
// number within that byte's numbering.
struct AreaKey {
    int category = 0;
    int area = 0;

    friend bool operator<(const AreaKey& a, const AreaKey& b) {
        return std::tie(a.category, a.area) < std::tie(b.category, b.area);
    }
    friend bool operator==(const AreaKey& a, const AreaKey& b) {
        return a.category == b.category && a.area == b.area;
    }
    friend bool operator!=(const AreaKey& a, const AreaKey& b) { return !(a == b); }
};

} // namespace zel::qmix::emu
