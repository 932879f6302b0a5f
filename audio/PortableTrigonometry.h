#pragma once

namespace zel::qmix::audio {

// Sine and cosine from additions, multiplications and divisions only, in a
// fixed order, so that the filter coefficients (and through them every output
// sample) come out the same whichever C library the program runs on. The
// results lie within a unit or two in the last place of the exact values.
class PortableTrigonometry {
public:
    static double sin(double x);
    static double cos(double x);
};

} // namespace zel::qmix::audio
