#include "audio/BiquadLowPass.h"

#include "audio/PortableTrigonometry.h"

namespace zel::qmix::audio {

namespace {

constexpr double kTwoPi = 6.283185307179586;

} // namespace

void BiquadLowPass::design(double sampleRate, double cutoff, double q) {
    const double w = kTwoPi * cutoff / sampleRate;
    // The library's sin and cos may differ in the last bit from one C
    // library to the next; these do not.
    const double cosW = PortableTrigonometry::cos(w);
    const double alpha = PortableTrigonometry::sin(w) / (2.0 * q);
    b0_ = (1.0 - cosW) * 0.5;
    b1_ = 1.0 - cosW;
    b2_ = (1.0 - cosW) * 0.5;
    a0_ = 1.0 + alpha;
    a1_ = -2.0 * cosW;
    a2_ = 1.0 - alpha;
}

qint64 BiquadLowPass::filter(FileBackedArray<double>& input, FileBackedArray<double>& output,
                             qint64 count) {
    const double c0 = b0_ / a0_;
    const double c1 = b1_ / a0_;
    const double c2 = b2_ / a0_;
    const double d1 = a1_ / a0_;
    const double d2 = a2_ / a0_;
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;
    for (qint64 n = 0; n < count; ++n) {
        const double x0 = input.value(n);
        // Direct form I, summed left to right as the terms are written; the
        // audio layer is built without fused multiply-adds, so every
        // compiler rounds each product and each sum the same way.
        const double y0 = c0 * x0 + c1 * x1 + c2 * x2 - d1 * y1 - d2 * y2;
        output.set(n, y0);
        x2 = x1;
        x1 = x0;
        y2 = y1;
        y1 = y0;
    }
    return count;
}

} // namespace zel::qmix::audio
