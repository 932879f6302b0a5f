#pragma once

// A second, deliberately plain implementation of the sampling-rate
// conversion, straight from its formulas: whole signals in memory, the
// library's sine and cosine, and the Lagrange weights as the textbook
// product over the other nodes. The converter under test computes the same
// quantities by other routes, so the two may differ by one step where a
// value lies within rounding distance of an integer, never by more.

#include <QtGlobal>

#include <cmath>
#include <vector>

namespace reference {

// Second-order low-pass, direct form I, from silence.
inline std::vector<double> lowPass(const std::vector<double>& x, double sampleRate, double cutoff) {
    const double q = 1.0 / std::sqrt(2.0);
    const double w = 2.0 * M_PI * cutoff / sampleRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double b0 = (1.0 - std::cos(w)) / 2.0;
    const double b1 = 1.0 - std::cos(w);
    const double b2 = b0;
    const double a0 = 1.0 + alpha;
    const double a1 = -2.0 * std::cos(w);
    const double a2 = 1.0 - alpha;
    std::vector<double> y(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        const double x1 = n >= 1 ? x[n - 1] : 0.0;
        const double x2 = n >= 2 ? x[n - 2] : 0.0;
        const double y1 = n >= 1 ? y[n - 1] : 0.0;
        const double y2 = n >= 2 ? y[n - 2] : 0.0;
        y[n] = (b0 * x[n] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
    }
    return y;
}

// Weight of node k (1..points) at x, nodes at k - points/2.
inline double lagrangeWeight(int points, int k, double x) {
    double weight = 1.0;
    const double nodeK = k - points / 2.0;
    for (int m = 1; m <= points; ++m) {
        if (m == k)
            continue;
        const double nodeM = m - points / 2.0;
        weight *= (x - nodeM) / (nodeK - nodeM);
    }
    return weight;
}

inline qint64 clipAndTruncate(double value) {
    if (value > 32767.0)
        return 32767;
    if (value < -32768.0)
        return -32768;
    return qint64(std::trunc(value));
}

// Interleaved 16-bit stereo in, interleaved 16-bit stereo out.
inline std::vector<qint64> resample(const std::vector<qint64>& input, int inputRate,
                                    int targetRate) {
    constexpr int kPoints = 8;
    constexpr int kHalf = kPoints / 2;
    constexpr int kSteps = 65535;
    const size_t frames = input.size() / 2;
    const double ratio = double(inputRate) / double(targetRate);
    std::vector<double> channels[2];
    for (int c = 0; c < 2; ++c) {
        for (size_t i = 0; i < frames; ++i)
            channels[c].push_back(double(input[2 * i + c]));
        if (ratio > 1.0)
            channels[c] = lowPass(channels[c], inputRate, targetRate / 2.0);
    }
    std::vector<double> padded[2];
    for (int c = 0; c < 2; ++c) {
        padded[c].assign(kHalf, 0.0);
        for (double value : channels[c])
            padded[c].push_back(double(float(value)));
        padded[c].insert(padded[c].end(), kHalf, 0.0);
    }
    std::vector<double> output[2];
    for (double position = kPoints / 2.0;; position += ratio) {
        const qint64 frame = qint64(std::floor(position));
        if (frame - kHalf >= qint64(frames))
            break;
        const int fraction = int(std::floor((position - frame) * kSteps));
        for (int c = 0; c < 2; ++c) {
            if (fraction == 0) {
                output[c].push_back(padded[c][size_t(frame)]);
                continue;
            }
            const double x = double(fraction) / kSteps;
            double sum = 0.0;
            for (int k = 1; k <= kPoints; ++k)
                sum += lagrangeWeight(kPoints, k, x) * padded[c][size_t(frame - kHalf + k)];
            output[c].push_back(sum);
        }
    }
    if (targetRate > inputRate) {
        for (auto& channel : output)
            channel = lowPass(channel, targetRate, inputRate / 2.0);
    }
    std::vector<qint64> samples;
    for (size_t i = 0; i < output[0].size(); ++i) {
        samples.push_back(clipAndTruncate(output[0][i]));
        samples.push_back(clipAndTruncate(output[1][i]));
    }
    return samples;
}

} // namespace reference
