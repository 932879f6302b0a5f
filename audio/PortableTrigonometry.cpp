#include "audio/PortableTrigonometry.h"

#include <cmath>

namespace zel::qmix::audio {

namespace {

// pi/2 in two parts: the first has its low bits zero, so that k times it is
// exact for the small k the reduction meets.
constexpr double kHalfPiHigh = 1.57079632673412561417e+00;
constexpr double kHalfPiLow = 6.07710050650619224932e-11;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;

constexpr double factorial(int n) {
    double product = 1.0;
    for (int i = 2; i <= n; ++i)
        product *= i;
    return product;
}

// Taylor coefficients (-1)^n / (2n+1)! and (-1)^n / (2n)!, n = 1..9. On the
// reduced range |y| <= pi/4 the first omitted terms are below 1e-20.
constexpr int kTerms = 9;

constexpr double sineCoefficient(int n) {
    return (n % 2 ? -1.0 : 1.0) / factorial(2 * n + 1);
}
constexpr double cosineCoefficient(int n) {
    return (n % 2 ? -1.0 : 1.0) / factorial(2 * n);
}

double sineKernel(double y) {
    const double z = y * y;
    double sum = sineCoefficient(kTerms);
    for (int n = kTerms - 1; n >= 1; --n)
        sum = sineCoefficient(n) + z * sum;
    return y + y * (z * sum);
}

double cosineKernel(double y) {
    const double z = y * y;
    double sum = cosineCoefficient(kTerms);
    for (int n = kTerms - 1; n >= 1; --n)
        sum = cosineCoefficient(n) + z * sum;
    return 1.0 + z * sum;
}

// x = k * pi/2 + y with |y| <= pi/4 (a little more for large x); returns k
// modulo 4.
int reduce(double x, double& y) {
    const double k = std::floor(x * kTwoOverPi + 0.5);
    y = (x - k * kHalfPiHigh) - k * kHalfPiLow;
    return int(std::fmod(k, 4.0) + 4.0) % 4;
}

} // namespace

double PortableTrigonometry::sin(double x) {
    double y = 0.0;
    switch (reduce(x, y)) {
    case 0:
        return sineKernel(y);
    case 1:
        return cosineKernel(y);
    case 2:
        return -sineKernel(y);
    default:
        return -cosineKernel(y);
    }
}

double PortableTrigonometry::cos(double x) {
    double y = 0.0;
    switch (reduce(x, y)) {
    case 0:
        return cosineKernel(y);
    case 1:
        return -sineKernel(y);
    case 2:
        return -cosineKernel(y);
    default:
        return sineKernel(y);
    }
}

} // namespace zel::qmix::audio
