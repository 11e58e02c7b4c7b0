#pragma once

// Interpolation kernels: the weight of a sample at distance t. Shared by the picture's
// interpolated pixel reads and the resampling operations.

#include <cmath>

namespace kxkernels {

struct Kernel {
    double radius;
    double (*weight)(double);
};

inline double TriangleWeight(double t) {
    t = std::fabs(t);
    return t < 1.0 ? 1.0 - t : 0.0;
}
inline double BoxWeight(double t) {
    return std::fabs(t) <= 0.5 ? 1.0 : 0.0;
}
inline double HermiteWeight(double t) {
    t = std::fabs(t);
    return t < 1.0 ? (2.0 * t - 3.0) * t * t + 1.0 : 0.0;
}
inline double BSplineWeight(double t) {
    t = std::fabs(t);
    if (t < 1.0)
        return (4.0 + t * t * (3.0 * t - 6.0)) / 6.0;
    if (t < 2.0) {
        const double u = 2.0 - t;
        return u * u * u / 6.0;
    }
    return 0.0;
}
// Catmull-Rom: the "hard" bicubic.
inline double BicubicWeight(double t) {
    constexpr double a = -0.5;
    t = std::fabs(t);
    if (t < 1.0)
        return ((a + 2.0) * t - (a + 3.0)) * t * t + 1.0;
    if (t < 2.0)
        return ((a * t - 5.0 * a) * t + 8.0 * a) * t - 4.0 * a;
    return 0.0;
}
// Mitchell-Netravali (B = C = 1/3): the "soft" bicubic.
inline double Bicubic2Weight(double t) {
    constexpr double B = 1.0 / 3.0, C = 1.0 / 3.0;
    t = std::fabs(t);
    if (t < 1.0)
        return ((12 - 9 * B - 6 * C) * t * t * t + (-18 + 12 * B + 6 * C) * t * t + (6 - 2 * B)) /
               6.0;
    if (t < 2.0)
        return ((-B - 6 * C) * t * t * t + (6 * B + 30 * C) * t * t + (-12 * B - 48 * C) * t +
                (8 * B + 24 * C)) /
               6.0;
    return 0.0;
}
inline double Sinc(double t) {
    if (t == 0.0)
        return 1.0;
    const double x = M_PI * t;
    return std::sin(x) / x;
}
inline double LanczosWeight(double t) {
    return std::fabs(t) < 3.0 ? Sinc(t) * Sinc(t / 3.0) : 0.0;
}
inline double HammingWeight(double t) {
    return std::fabs(t) < 1.0 ? Sinc(t) * (0.54 + 0.46 * std::cos(M_PI * t)) : 0.0;
}

}  // namespace kxkernels
