// Channel operations: splitting a picture into grey channel pictures of a colour space and
// combining channel pictures back into a colour picture.

#include <algorithm>
#include <cstring>

#include "image/ops/ColourSpaces.h"
#include "image/ops/KxImageOps.h"
#include "image/ops/OpsInternal.h"
#include "image/ops/PixelRows.h"

namespace kxops {

using namespace detail;

namespace {

void SplitRow(const uint8_t* s, uint8_t* b, uint8_t* g, uint8_t* r, uint32_t w) {
    SplitBgrRow(s, b, g, r, w);
}

// Splits into up to four grey pictures; `convert` gives the channel values of one colour.
template <class Convert>
bool SplitInto(KxImage& img, KxImage* const* dest, int count, Convert convert) {
    if (!img.IsValid()) {
        SetError(img, kErrorEmpty);
        return false;
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    KxImage planes[4];
    for (int k = 0; k < count; ++k) {
        if (dest[k] == nullptr)
            continue;
        MakeGrey(planes[k], img, w, h, NewPixels::Overwritten);
        if (!planes[k].IsValid()) {
            SetError(img, planes[k].GetLastError());
            return false;
        }
    }
    const RGBQUAD* pal = img.GetPalette();
    std::vector<uint8_t> scratch(size_t(w) * 4);
    Progress progress(img, h);
    for (uint32_t y = 0; y < h; ++y) {
        if (!progress.Step(y))
            return false;
        const uint8_t* s = Row(img, y);
        uint8_t* out[4];
        for (int k = 0; k < 4; ++k)
            out[k] =
                (k < count && dest[k] != nullptr) ? Row(planes[k], y) : &scratch[size_t(k) * w];
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t r, g, b;
            if (bpp == 24) {
                b = s[3 * x];
                g = s[3 * x + 1];
                r = s[3 * x + 2];
            } else {
                const RGBQUAD& c = pal[PackedIndex(s, x, bpp)];
                b = c.rgbBlue;
                g = c.rgbGreen;
                r = c.rgbRed;
            }
            uint8_t v[4] = {0, 0, 0, 0};
            convert(r, g, b, v);
            for (int k = 0; k < count; ++k)
                out[k][x] = v[k];
        }
    }
    for (int k = 0; k < count; ++k)
        if (dest[k] != nullptr) {
            dest[k]->Transfer(planes[k]);
            dest[k]->SetProgress(100);
        }
    progress.Finish();
    return true;
}

bool SplitSpace(KxImage& img, KxImage* a, KxImage* b, KxImage* c, int space) {
    KxImage* dest[3] = {a, b, c};
    return SplitInto(img, dest, 3, [space](uint8_t r, uint8_t g, uint8_t bl, uint8_t* v) {
        const Triple t = ToSpace(space, r, g, bl);
        v[0] = t.a;
        v[1] = t.b;
        v[2] = t.c;
    });
}

// Grey levels of a channel picture: the bytes themselves for a grey ramp, else the grey
// level of each pixel's colour.
std::vector<uint8_t> ChannelLevels(const KxImage& img) {
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    std::vector<uint8_t> levels(size_t(w) * h);
    const bool ramp = IsGreyRamp(img);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = Row(img, y);
        uint8_t* d = &levels[size_t(y) * w];
        if (ramp) {
            std::memcpy(d, s, w);
            continue;
        }
        for (uint32_t x = 0; x < w; ++x)
            d[x] = bpp == 24 ? static_cast<uint8_t>(
                                   (601 * s[3 * x + 1] + 306 * s[3 * x + 2] + 117 * s[3 * x]) >> 10)
                             : KxImage::GrayLevel(img.GetPaletteColor(PackedIndex(s, x, bpp)));
    }
    return levels;
}

}  // namespace

bool SplitRGB(KxImage& img, KxImage* r, KxImage* g, KxImage* b) {
    if (img.IsValid() && img.GetBpp() == 24) {
        // Plain byte shuffling, the common case.
        const uint32_t w = img.GetWidth(), h = img.GetHeight();
        KxImage planes[3];
        KxImage* dest[3] = {b, g, r};
        for (auto& p : planes) {
            MakeGrey(p, img, w, h, NewPixels::Overwritten);
            if (!p.IsValid()) {
                SetError(img, p.GetLastError());
                return false;
            }
        }
        const bool ok = ForRows(img, h, ThreadsFor(uint64_t(w) * h),
                                [&](uint32_t b0, uint32_t e, RowGate& gate) {
                                    for (uint32_t y = b0; y < e; ++y) {
                                        if (!gate.Pass(y))
                                            return false;
                                        SplitRow(Row(img, y), Row(planes[0], y), Row(planes[1], y),
                                                 Row(planes[2], y), w);
                                    }
                                    return true;
                                });
        if (!ok)
            return false;
        for (int k = 0; k < 3; ++k)
            if (dest[k] != nullptr) {
                dest[k]->Transfer(planes[k]);
                dest[k]->SetProgress(100);
            }
        return true;
    }
    return SplitSpace(img, r, g, b, KX_SPACE_RGB);
}

bool SplitYUV(KxImage& img, KxImage* y, KxImage* u, KxImage* v) {
    return SplitSpace(img, y, u, v, KX_SPACE_YUV);
}

bool SplitYIQ(KxImage& img, KxImage* y, KxImage* i, KxImage* q) {
    return SplitSpace(img, y, i, q, KX_SPACE_YIQ);
}

bool SplitXYZ(KxImage& img, KxImage* x, KxImage* y, KxImage* z) {
    return SplitSpace(img, x, y, z, KX_SPACE_XYZ);
}

bool SplitHSL(KxImage& img, KxImage* h, KxImage* s, KxImage* l) {
    return SplitSpace(img, h, s, l, KX_SPACE_HSL);
}

bool SplitCMYK(KxImage& img, KxImage* c, KxImage* m, KxImage* y, KxImage* k) {
    KxImage* dest[4] = {c, m, y, k};
    return SplitInto(img, dest, 4, [](uint8_t r, uint8_t g, uint8_t b, uint8_t* v) {
        const uint8_t cc = 255 - r, mm = 255 - g, yy = 255 - b;
        const uint8_t kk = std::min({cc, mm, yy});
        v[0] = static_cast<uint8_t>(cc - kk);
        v[1] = static_cast<uint8_t>(mm - kk);
        v[2] = static_cast<uint8_t>(yy - kk);
        v[3] = kk;
    });
}

bool Combine(KxImage& img, const KxImage* r, const KxImage* g, const KxImage* b, const KxImage* a,
             int32_t colorspace) {
    if (r == nullptr || g == nullptr || b == nullptr || !r->IsValid() || !g->IsValid() ||
        !b->IsValid() || (a != nullptr && !a->IsValid())) {
        SetError(img, kErrorEmpty);
        return false;
    }
    if (colorspace < 0 || colorspace > 4) {
        SetError(img, kErrorParameter);
        return false;
    }
    const uint32_t w = r->GetWidth(), h = r->GetHeight();
    for (const KxImage* p : {g, b, a})
        if (p != nullptr && (p->GetWidth() != w || p->GetHeight() != h)) {
            SetError(img, kErrorSizeMismatch);
            return false;
        }
    const std::vector<uint8_t> c1 = ChannelLevels(*r), c2 = ChannelLevels(*g),
                               c3 = ChannelLevels(*b);
    KxImage out;
    out.CopyInfo(*r);
    if (out.Create(w, h, 24, img.GetType()) == nullptr) {
        SetError(img, out.GetLastError());
        return false;
    }
    out.SetTransIndex(-1);
    Progress progress(img, h);
    for (uint32_t y = 0; y < h; ++y) {
        if (!progress.Step(y))
            return false;
        uint8_t* d = Row(out, y);
        const size_t base = size_t(y) * w;
        for (uint32_t x = 0; x < w; ++x) {
            const Triple t = FromSpace(colorspace, c1[base + x], c2[base + x], c3[base + x]);
            d[3 * x] = t.c;
            d[3 * x + 1] = t.b;
            d[3 * x + 2] = t.a;
        }
    }
    if (a != nullptr) {
        const std::vector<uint8_t> alpha = ChannelLevels(*a);
        if (out.AlphaCreate())
            std::memcpy(out.AlphaGetPointer(), alpha.data(), alpha.size());
    }
    if (!img.Transfer(out))
        return false;
    img.SetProgress(100);
    return true;
}

}  // namespace kxops
