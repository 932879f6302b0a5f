#pragma once

namespace zel::qmix::emu {

// The area the PC selected with system parameters 25 (category), 26 (mode)
// and 27 (area number); the area queries and the delete act on it.
struct AreaSelection {
    int category = 0;
    int mode = 0;
    int area = 0;
};

} // namespace zel::qmix::emu
