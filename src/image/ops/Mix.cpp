// Mixing one picture onto another with the raster operations of ImageOpType.

#include <algorithm>

#include "image/ops/KxImageOps.h"
#include "image/ops/OpsInternal.h"

namespace kxops {

using namespace detail;

namespace {

// One channel value of the mix; `alpha` is the source's opacity for the blend.
inline uint8_t MixValue(ImageOpType op, int d, int s, int alpha, bool sourceBlack) {
    switch (op) {
        case OpAdd:
            return Clamp8(d + s);
        case OpAnd:
            return static_cast<uint8_t>(d & s);
        case OpXor:
            return static_cast<uint8_t>(d ^ s);
        case OpOr:
            return static_cast<uint8_t>(d | s);
        case OpMask:
            // The source acts as a stencil: black parts of it blank the destination.
            return sourceBlack ? 0 : static_cast<uint8_t>(d);
        case OpSrcCopy:
            return static_cast<uint8_t>(s);
        case OpDstCopy:
            return static_cast<uint8_t>(d);
        case OpSub:
            return Clamp8(d - s);
        case OpSrcBlend:
            return static_cast<uint8_t>((s * alpha + d * (255 - alpha) + 127) / 255);
        case OpScreen:
            return static_cast<uint8_t>(255 - ((255 - d) * (255 - s) + 127) / 255);
    }
    return static_cast<uint8_t>(d);
}

}  // namespace

bool Mix(KxImage& img, const KxImage& imgsrc2, ImageOpType op, int32_t lXOffset, int32_t lYOffset,
         bool bMixAlpha) {
    if (!img.IsValid() || !imgsrc2.IsValid()) {
        SetError(img, kErrorEmpty);
        return false;
    }
    if (op < OpAdd || op > OpScreen) {
        SetError(img, kErrorParameter);
        return false;
    }
    // A colour destination takes any colour the operation makes.
    if (img.GetBpp() != 24 && !IncreaseBpp(img, 24))
        return false;
    const int64_t w = img.GetWidth(), h = img.GetHeight();
    const int64_t sw = imgsrc2.GetWidth(), sh = imgsrc2.GetHeight();
    const int64_t x0 = std::max<int64_t>(0, lXOffset), x1 = std::min<int64_t>(w, lXOffset + sw);
    const int64_t y0 = std::max<int64_t>(0, lYOffset), y1 = std::min<int64_t>(h, lYOffset + sh);
    if (bMixAlpha && imgsrc2.AlphaIsValid() && !img.AlphaIsValid() && !img.AlphaCreate())
        return false;
    const bool mixAlpha = bMixAlpha && img.AlphaIsValid();
    Progress progress(img, std::max<int64_t>(1, y1 - y0));
    for (int64_t y = y0; y < y1; ++y) {
        if (!progress.Step(y - y0))
            return false;
        uint8_t* d = Row(img, uint32_t(y));
        uint8_t* da = AlphaRow(img, uint32_t(y));
        const uint8_t* mask = SelectionRow(img, uint32_t(y));
        const int32_t sy = static_cast<int32_t>(y - lYOffset);
        for (int64_t x = x0; x < x1; ++x) {
            if (mask != nullptr && mask[x] == 0)
                continue;
            const int32_t sx = static_cast<int32_t>(x - lXOffset);
            const RGBQUAD s = imgsrc2.GetPixelColor(sx, sy, true);
            const int sa =
                imgsrc2.AlphaIsValid() ? s.rgbReserved * imgsrc2.AlphaGetMax() / 255 : 255;
            const bool black = s.rgbRed == 0 && s.rgbGreen == 0 && s.rgbBlue == 0;
            uint8_t* p = d + 3 * x;
            p[0] = MixValue(op, p[0], s.rgbBlue, sa, black);
            p[1] = MixValue(op, p[1], s.rgbGreen, sa, black);
            p[2] = MixValue(op, p[2], s.rgbRed, sa, black);
            if (mixAlpha)
                da[x] = op == OpSrcBlend ? static_cast<uint8_t>(std::max<int>(da[x], sa))
                                         : MixValue(op, da[x], sa, 255, sa == 0);
        }
    }
    progress.Finish();
    return true;
}

}  // namespace kxops
