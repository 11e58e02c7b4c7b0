#pragma once

// Interpolation kernels shared by resampling and rotation; the same family that
// KxImage::GetPixelColorInterpolated offers, so that both paths agree.

#include <cmath>

#include "image/KxImage.h"
#include "image/KxKernels.h"

namespace kxops::detail {

using kxkernels::Bicubic2Weight;
using kxkernels::BicubicWeight;
using kxkernels::BoxWeight;
using kxkernels::BSplineWeight;
using kxkernels::HammingWeight;
using kxkernels::HermiteWeight;
using kxkernels::Kernel;
using kxkernels::LanczosWeight;
using kxkernels::Sinc;
using kxkernels::TriangleWeight;

inline Kernel KernelFor(InterpolationMethod method) {
    switch (method) {
        case IM_NEAREST_NEIGHBOUR:
            return {0.5, BoxWeight};
        case IM_BILINEAR:
            return {1.0, TriangleWeight};
        case IM_BSPLINE:
            return {2.0, BSplineWeight};
        case IM_BICUBIC:
            return {2.0, BicubicWeight};
        case IM_BICUBIC2:
            return {2.0, Bicubic2Weight};
        case IM_LANCZOS:
            return {3.0, LanczosWeight};
        case IM_BOX:
            return {0.5, BoxWeight};
        case IM_HERMITE:
            return {1.0, HermiteWeight};
        case IM_HAMMING:
            return {1.0, HammingWeight};
    }
    return {1.0, TriangleWeight};
}

}  // namespace kxops::detail
