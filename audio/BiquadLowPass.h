#pragma once

#include "audio/FileBackedArray.h"

namespace zel::qmix::audio {

// The standard second-order low-pass, run once forward in direct form I from
// a silent state.
class BiquadLowPass {
public:
    void design(double sampleRate, double cutoff, double q);
    // y[n] for n < count from x[n]; returns count.
    qint64 filter(FileBackedArray<double>& input, FileBackedArray<double>& output, qint64 count);

    double a0() const { return a0_; }
    double a1() const { return a1_; }
    double a2() const { return a2_; }
    double b0() const { return b0_; }
    double b1() const { return b1_; }
    double b2() const { return b2_; }

private:
    double a0_ = 0.0;
    double a1_ = 0.0;
    double a2_ = 0.0;
    double b0_ = 0.0;
    double b1_ = 0.0;
    double b2_ = 0.0;
};

} // namespace zel::qmix::audio
