// Alpha plane operations beyond plain storage: inverting, flattening into the pixels, and
// exchanging the plane with grey pictures.

#include <cstring>

#include "image/ops/KxImageOps.h"
#include "image/ops/OpsInternal.h"

namespace kxops {

using namespace detail;

bool AlphaInvert(KxImage& img) {
    if (!img.AlphaIsValid()) {
        SetError(img, "No alpha channel");
        return false;
    }
    uint8_t* a = img.AlphaGetPointer();
    const size_t n = size_t(img.GetWidth()) * img.GetHeight();
    for (size_t i = 0; i < n; ++i)
        a[i] = static_cast<uint8_t>(255 - a[i]);
    img.SetProgress(100);
    return true;
}

bool AlphaStrip(KxImage& img) {
    if (!img.IsValid()) {
        SetError(img, kErrorEmpty);
        return false;
    }
    // The transparent colour of the info record, whatever the depth.
    KxImage record;
    record.CopyInfo(img);
    record.SetTransIndex(-1);
    const RGBQUAD bg = record.GetTransColor();
    const int maxAlpha = img.AlphaGetMax();
    const bool palette =
        img.GetBpp() <= 8 && img.AlphaPaletteIsEnabled() && img.AlphaPaletteIsValid();
    auto blend = [](int c, int back, int a) {
        return static_cast<uint8_t>((c * a + back * (255 - a) + 127) / 255);
    };
    if (!img.AlphaIsValid()) {
        if (palette) {
            for (uint32_t i = 0; i < img.GetNumColors(); ++i) {
                RGBQUAD c = img.GetPaletteColor(static_cast<uint8_t>(i));
                const int a = c.rgbReserved * maxAlpha / 255;
                c = RGBQUAD{blend(c.rgbBlue, bg.rgbBlue, a), blend(c.rgbGreen, bg.rgbGreen, a),
                            blend(c.rgbRed, bg.rgbRed, a), 0};
                img.SetPaletteColor(static_cast<uint8_t>(i), c);
            }
        }
        img.AlphaPaletteEnable(false);
        img.AlphaSetMax(255);
        img.SetProgress(100);
        return true;
    }
    // ExpandTo24 folds an enabled alpha palette into the plane only without a plane, so
    // combine both here.
    KxImage work;
    if (!ExpandTo24(img, work)) {
        SetError(img, work.GetLastError());
        return false;
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    const RGBQUAD* pal = img.GetPalette();
    Progress progress(img, h);
    for (uint32_t y = 0; y < h; ++y) {
        if (!progress.Step(y))
            return false;
        uint8_t* p = Row(work, y);
        const uint8_t* plane = AlphaRow(img, y);
        const uint8_t* src = Row(img, y);
        for (uint32_t x = 0; x < w; ++x, p += 3) {
            int a = plane[x] * maxAlpha / 255;
            if (palette)
                a = a * pal[PackedIndex(src, x, bpp)].rgbReserved / 255;
            p[0] = blend(p[0], bg.rgbBlue, a);
            p[1] = blend(p[1], bg.rgbGreen, a);
            p[2] = blend(p[2], bg.rgbRed, a);
        }
    }
    work.AlphaDelete();
    work.AlphaPaletteEnable(false);
    work.AlphaSetMax(255);
    img.Transfer(work);
    img.SetProgress(100);
    return true;
}

bool AlphaSplit(const KxImage& img, KxImage* dest) {
    if (dest == nullptr || !img.AlphaIsValid())
        return false;
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    KxImage out;
    MakeGrey(out, img, w, h);
    if (!out.IsValid())
        return false;
    for (uint32_t y = 0; y < h; ++y)
        std::memcpy(Row(out, y), AlphaRow(img, y), w);
    return dest->Transfer(out);
}

bool AlphaSet(KxImage& img, const KxImage& from) {
    if (!img.IsValid() || !from.IsValid()) {
        SetError(img, kErrorEmpty);
        return false;
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = from.GetBpp();
    if (from.GetWidth() != w || from.GetHeight() != h) {
        SetError(img, kErrorSizeMismatch);
        return false;
    }
    if (!img.AlphaCreate())
        return false;
    uint8_t greyOf[256] = {};
    for (uint32_t i = 0; i < from.GetNumColors(); ++i)
        greyOf[i] = KxImage::GrayLevel(from.GetPaletteColor(static_cast<uint8_t>(i)));
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = Row(from, y);
        uint8_t* a = AlphaRow(img, y);
        for (uint32_t x = 0; x < w; ++x)
            a[x] = bpp == 24 ? static_cast<uint8_t>(
                                   (601 * s[3 * x + 1] + 306 * s[3 * x + 2] + 117 * s[3 * x]) >> 10)
                             : greyOf[PackedIndex(s, x, bpp)];
    }
    img.SetProgress(100);
    return true;
}

}  // namespace kxops
