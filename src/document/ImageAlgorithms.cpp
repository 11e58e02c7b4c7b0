#include "document/ImageAlgorithms.h"

#include "image/ops/KxImageOps.h"
#include "res/ids.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace korvel::document {

using namespace korvel::res;

namespace {

// Interpolation list of the Rotate dialog, by position.
constexpr InterpolationMethod kRotateInterpolation[] = {
    IM_NEAREST_NEIGHBOUR, IM_BILINEAR, IM_BICUBIC, IM_BICUBIC2, IM_BSPLINE, IM_LANCZOS, IM_HERMITE};

// Interpolation list of the Resample dialog from position 2 on.
constexpr InterpolationMethod kResampleInterpolation[] = {IM_BILINEAR, IM_BICUBIC, IM_BICUBIC2,
                                                          IM_BSPLINE,  IM_LANCZOS, IM_HERMITE};

template <std::size_t N>
InterpolationMethod pick(const InterpolationMethod (&list)[N], int position) {
    return list[std::clamp<std::size_t>(static_cast<std::size_t>(std::max(position, 0)), 0, N - 1)];
}

constexpr FilterKernel kKernels[] = {
    {ID_FILTER_EMBOSS, 3, {0, 0, -1, 0, 0, 0, 1, 0, 0}, 0, 127},
    {ID_FILTER_BLUR, 3, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, 0},
    {ID_FILTER_SOFTEN, 3, {1, 1, 1, 1, 8, 1, 1, 1, 1}, 16, 0},
    {ID_FILTER_SHARPEN, 3, {-1, -1, -1, -1, 15, -1, -1, -1, -1}, 7, 0},
    {ID_FILTER_EDGE_LINEAR, 3, {-1, -1, -1, -1, 8, -1, -1, -1, -1}, -1, 255},
    {ID_FILTER_GAUSSIAN_3X3, 3, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16, 0},
    {ID_FILTER_GAUSSIAN_5X5,
     5,
     {0, 1, 2, 1, 0, 1, 3, 4, 3, 1, 2, 4, 8, 4, 2, 1, 3, 4, 3, 1, 0, 1, 2, 1, 0},
     52,
     0},
};

}  // namespace

bool rotatePicture(KxImage& picture, const OperationParameters& p) {
    const float angle = static_cast<float>(p[0]) / 1000.0f;
    const InterpolationMethod interpolation = pick(kRotateInterpolation, p[1]);
    RGBQUAD colour{0, 0, 0, 0};
    RGBQUAD* replacement = nullptr;
    OverflowMethod overflow = OM_BACKGROUND;
    switch (p[2]) {
        case 0:
            colour = picture.GetPixelColor(0, 0, true);
            replacement = &colour;
            break;
        case 1:
            replacement = &colour;  // black
            break;
        case 2:
            break;
        case 3:
            overflow = OM_WRAP;
            break;
        case 4:
            overflow = OM_REPEAT;
            break;
        case 5:
            overflow = OM_MIRROR;
            break;
        default:
            overflow = OM_TRANSPARENT;
            break;
    }
    return picture.Rotate2(angle, nullptr, interpolation, overflow, replacement, true, p[3] != 0);
}

bool resamplePicture(KxImage& picture, const OperationParameters& p) {
    switch (p[2]) {
        case 0:
            return picture.Resample(p[0], p[1], 1);
        case 1:
            return picture.Resample(p[0], p[1], 0);
        default:
            return picture.Resample2(p[0], p[1], pick(kResampleInterpolation, p[2] - 2), OM_REPEAT,
                                     nullptr, false);
    }
}

bool decreaseBpp(KxImage& picture, const OperationParameters& p) {
    const auto bpp = static_cast<uint32_t>(p[0]);
    const bool optimized = p[1] != 0;
    const bool diffusion = p[2] != 0;
    const auto colours = static_cast<uint32_t>(std::clamp(p[3], 2, 256));
    bool ok = false;
    if (!optimized || bpp == 1) {
        ok = picture.DecreaseBpp(bpp, diffusion, nullptr, optimized ? colours : 0);
    } else {
        const uint32_t entries = bpp == 4 ? 16 : 256;
        const uint32_t bits = bpp == 4 || colours <= 16 ? 8 : 7;
        std::vector<RGBQUAD> palette;
        kxops::OctreeQuantize(picture, colours, bits, palette);
        palette.resize(entries, RGBQUAD{0, 0, 0, 0});
        ok = picture.DecreaseBpp(bpp, diffusion, palette.data(), colours);
    }
    if (!picture.AlphaPaletteIsValid()) {
        picture.AlphaPaletteEnable(false);
    }
    return ok;
}

bool ellipseTransform(KxImage& picture) {
    if (!picture.IsValid()) {
        return false;
    }
    // Same size, depth and palette, with the source's alpha plane.
    KxImage target(picture, false, false, true);
    if (!target.IsValid()) {
        return false;
    }
    const int width = static_cast<int>(picture.GetWidth());
    const int height = static_cast<int>(picture.GetHeight());
    const float k = static_cast<float>(height) / static_cast<float>(width);
    for (int i = 0; i < height; ++i) {
        for (int j = 0; j < width; ++j) {
            float x = static_cast<float>(j - width / 2) * k;
            float y = static_cast<float>(i - height / 2);
            if (x != 0.0f || y != 0.0f) {
                const float r = std::sqrt(x * x + y * y);
                const float s = std::fabs(y) >= std::fabs(x) ? std::fabs(r / y) : std::fabs(r / x);
                x *= s;
                y *= s;
            }
            const RGBQUAD c = picture.GetPixelColorInterpolated(
                x / k + static_cast<float>(width / 2), y + static_cast<float>(height / 2),
                IM_BILINEAR, OM_BACKGROUND, nullptr);
            target.SetPixelColor(j, i, c, false);
        }
    }
    return picture.Transfer(target);
}

TurnedRectangle turnedRectangle(const std::vector<QPoint>& outline) {
    TurnedRectangle r;
    if (outline.size() < 5) {
        return r;
    }
    int corner = 0;
    for (int i = 1; i < 4; ++i) {
        const QPoint& p = outline[std::size_t(i)];
        const QPoint& best = outline[std::size_t(corner)];
        if (p.y() < best.y() || (p.y() == best.y() && p.x() < best.x())) {
            corner = i;
        }
    }
    const QPoint a = outline[std::size_t(corner)];
    const QPoint next = outline[std::size_t(corner + 1)];
    const QPoint previous = outline[std::size_t(corner == 0 ? 3 : corner - 1)];
    r.x = a.x();
    r.y = a.y();
    r.width = static_cast<int>(std::hypot(double(next.x() - a.x()), double(next.y() - a.y())));
    r.height =
        static_cast<int>(std::hypot(double(previous.x() - a.x()), double(previous.y() - a.y())));
    r.angle = static_cast<float>(std::atan2(double(next.y() - a.y()), double(next.x() - a.x())));
    return r;
}

bool cropToSelection(KxImage& picture, const std::vector<QPoint>& outline, bool rectangle) {
    if (rectangle && outline.size() == 5) {
        const TurnedRectangle r = turnedRectangle(outline);
        return picture.CropRotatedRectangle(r.x, r.y, r.width, r.height, r.angle);
    }
    RECT box{};
    if (!picture.SelectionGetBox(box)) {
        return false;
    }
    // The box already counts rows from the bottom, as Crop does.
    return picture.Crop(box);
}

double previewScale(const KxImage& picture, int longest) {
    const int side = static_cast<int>(std::max(picture.GetWidth(), picture.GetHeight()));
    return side > 0 ? std::min(double(longest) / side, 1.0) : 1.0;
}

KxImage previewCopy(const KxImage& picture, int longest) {
    KxImage copy(picture, true, false, true);
    const double scale = previewScale(picture, longest);
    if (scale < 1.0 && copy.IsValid()) {
        copy.Resample(std::max(1, static_cast<int>(picture.GetWidth() * scale)),
                      std::max(1, static_cast<int>(picture.GetHeight() * scale)), 1);
    }
    return copy;
}

KxImage mixPreview(const KxImage& destination, const KxImage& source, const MixSettings& s) {
    const double scale = previewScale(destination);
    KxImage dst(destination, true, false, true);
    KxImage src(source, true, false, true);
    if (scale < 1.0) {
        dst.Resample(std::max(1, int(destination.GetWidth() * scale)),
                     std::max(1, int(destination.GetHeight() * scale)), 1);
        src.Resample(std::max(1, int(source.GetWidth() * scale)),
                     std::max(1, int(source.GetHeight() * scale)), 1);
    }
    const int position = std::clamp(s.operationPosition, 0, 9);
    dst.Mix(src, MixSettings::operations()[std::size_t(position)],
            static_cast<int>(s.xOffset * scale), static_cast<int>(s.yOffset * scale), s.mixAlpha);
    if (s.mixAlpha) {
        dst.SetTransColor(RGBQUAD{255, 255, 255, 0});
        dst.AlphaStrip();
    }
    return dst;
}

std::span<const FilterKernel> filterKernels() {
    return kKernels;
}

const FilterKernel* filterKernel(int command) {
    for (const FilterKernel& k : kKernels) {
        if (k.command == command) {
            return &k;
        }
    }
    return nullptr;
}

}  // namespace korvel::document
