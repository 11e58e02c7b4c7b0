// Geometric operations: flips, right-angle and free rotation, resampling, cropping,
// skewing and the circular distortions.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "image/ops/Kernels.h"
#include "image/ops/KxImageOps.h"
#include "image/ops/OpsInternal.h"

namespace kxops {

using namespace detail;

namespace {

bool CheckValid(KxImage& img) {
    if (!img.IsValid()) {
        SetError(img, kErrorEmpty);
        return false;
    }
    return true;
}

// Hands a finished result to the destination (or to the picture itself).
bool Deliver(KxImage& img, KxImage& result, KxImage* iDst) {
    KxImage& target = (iDst != nullptr && iDst != &img) ? *iDst : img;
    if (!target.Transfer(result)) {
        SetError(img, target.GetLastError());
        return false;
    }
    target.SetProgress(100);
    img.SetProgress(100);
    return true;
}

// ---- flips and right angles ----------------------------------------------------------

void SwapRows(uint8_t* a, uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        std::swap(a[i], b[i]);
}

void FlipPlane(uint8_t* base, size_t stride, uint32_t h) {
    for (uint32_t y = 0; y < h / 2; ++y)
        SwapRows(base + y * stride, base + (h - 1 - y) * stride, stride);
}

void MirrorRow(uint8_t* row, uint32_t w, uint32_t bpp, std::vector<uint8_t>& copy) {
    if (bpp == 8) {
        std::reverse(row, row + w);
    } else if (bpp == 24) {
        // Through a copy of the row, moving four bytes per pixel: each store's extra byte is
        // overwritten by the next pixel; the last pixel is moved alone.
        copy.resize(size_t(w) * 3 + 1);
        std::memcpy(copy.data(), row, size_t(w) * 3);
        const uint8_t* src = copy.data() + size_t(w - 1) * 3;
        for (uint32_t x = 0; x + 1 < w; ++x, src -= 3) {
            uint32_t v;
            std::memcpy(&v, src, 4);
            std::memcpy(row + size_t(x) * 3, &v, 4);
        }
        std::memcpy(row + size_t(w - 1) * 3, copy.data(), 3);
    } else {
        for (uint32_t x = 0; x < w / 2; ++x) {
            const uint8_t a = PackedIndex(row, x, bpp), b = PackedIndex(row, w - 1 - x, bpp);
            SetPackedIndex(row, x, bpp, b);
            SetPackedIndex(row, w - 1 - x, bpp, a);
        }
    }
}

// dst is h x w; left turns counter-clockwise as shown.
template <int B>
void RotateBytes(const uint8_t* src, size_t sstride, uint32_t w, uint32_t h, uint8_t* dst,
                 size_t dstride, bool left, uint32_t yb, uint32_t ye) {
    constexpr uint32_t kBlock = 32;
    for (uint32_t by = yb; by < ye; by += kBlock) {
        const uint32_t ey = std::min(ye, by + kBlock);
        for (uint32_t bx = 0; bx < h; bx += kBlock) {
            const uint32_t ex = std::min(h, bx + kBlock);
            for (uint32_t y = by; y < ey; ++y) {
                uint8_t* d = dst + y * dstride;
                for (uint32_t x = bx; x < ex; ++x) {
                    const uint8_t* s = left ? src + (h - 1 - x) * sstride + size_t(y) * B
                                            : src + x * sstride + size_t(w - 1 - y) * B;
                    std::memcpy(d + size_t(x) * B, s, B);
                }
            }
        }
    }
}

bool Rotate90(KxImage& img, KxImage* iDst, bool left) {
    if (!CheckValid(img))
        return false;
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    KxImage out;
    if (!MakeLike(out, img, h, w, bpp, NewPixels::Overwritten)) {
        SetError(img, out.GetLastError());
        return false;
    }
    const bool ok =
        ForRows(img, w, ThreadsFor(uint64_t(w) * h), [&](uint32_t b, uint32_t e, RowGate& gate) {
            for (uint32_t y = b; y < e; y += 32) {
                if (!gate.Pass(y))
                    return false;
                const uint32_t ye = std::min(e, y + 32);
                if (bpp == 24) {
                    RotateBytes<3>(Row(img, 0), img.GetEffWidth(), w, h, Row(out, 0),
                                   out.GetEffWidth(), left, y, ye);
                } else if (bpp == 8) {
                    RotateBytes<1>(Row(img, 0), img.GetEffWidth(), w, h, Row(out, 0),
                                   out.GetEffWidth(), left, y, ye);
                } else {
                    for (uint32_t yy = y; yy < ye; ++yy)
                        for (uint32_t x = 0; x < h; ++x) {
                            const uint32_t sx = left ? yy : w - 1 - yy, sy = left ? h - 1 - x : x;
                            SetPackedIndex(Row(out, yy), x, bpp,
                                           PackedIndex(Row(img, sy), sx, bpp));
                        }
                }
            }
            return true;
        });
    if (!ok)
        return false;
    if (img.AlphaIsValid() && out.AlphaCreate())
        RotateBytes<1>(img.AlphaGetPointer(), w, w, h, out.AlphaGetPointer(), h, left, 0, w);
    if (img.SelectionIsValid() && out.SelectionCreate())
        RotateBytes<1>(img.SelectionGetPointer(), w, w, h, out.SelectionGetPointer(), h, left, 0,
                       w);
    return Deliver(img, out, iDst);
}

// ---- sampling at real coordinates ------------------------------------------------------

// Colour a sample takes where it falls outside the picture.
RGBQUAD FillColour(const KxImage& src, OverflowMethod om, const RGBQUAD* repl) {
    if (repl != nullptr && (om == OM_COLOR || om == OM_BACKGROUND))
        return *repl;
    if (om == OM_COLOR)
        return RGBQUAD{255, 255, 255, 0};
    RGBQUAD c = src.GetTransColor();
    c.rgbReserved = 0;
    return c;
}

bool Outfills(OverflowMethod om) {
    return om == OM_COLOR || om == OM_BACKGROUND || om == OM_TRANSPARENT;
}

// Inverse mapping of a destination pixel (X, Y) to source coordinates.
struct Affine {
    double ox, xx, xy;  // sx = ox + xx X + xy Y
    double oy, yx, yy;  // sy = oy + yx X + yy Y
};

// Samples `src` into `out` (already created) at the points given by `map`. `out` has the
// same layout as `src` (24 bits, grey ramp, or the same palette for nearest sampling).
class Warper {
public:
    Warper(const KxImage& src, KxImage& out, InterpolationMethod im, OverflowMethod om,
           const RGBQUAD* repl)
        : src_(src),
          out_(out),
          im_(im),
          om_(om),
          fill_(FillColour(src, om, repl)),
          effOm_((om == OM_BACKGROUND && repl != nullptr) ? OM_COLOR : om),
          repl_(repl != nullptr ? *repl : fill_),
          channels_(DirectChannels(src)),
          kernel_(KernelFor(im)),
          w_(static_cast<int32_t>(src.GetWidth())),
          h_(static_cast<int32_t>(src.GetHeight())),
          srcBase_(Row(src, 0)),
          srcStride_(src.GetEffWidth()),
          outBase_(Row(out, 0)),
          outStride_(out.GetEffWidth()),
          srcAlpha_(src.AlphaGetPointer()),
          outAlpha_(out.AlphaGetPointer()),
          outWidth_(out.GetWidth()) {
        if (channels_ == 3) {
            fillBytes_[0] = fill_.rgbBlue;
            fillBytes_[1] = fill_.rgbGreen;
            fillBytes_[2] = fill_.rgbRed;
        } else {
            fillBytes_[0] = KxImage::GrayLevel(fill_);
        }
    }

    void Pixel(int32_t X, int32_t Y, double sx, double sy) {
        uint8_t* alpha = OutAlpha(Y);
        if (Outfills(om_) && (sx < -1.0 || sy < -1.0 || sx > w_ || sy > h_)) {
            Put(X, Y, fill_, alpha);
            return;
        }
        if (channels_ != 0) {
            if (im_ == IM_NEAREST_NEIGHBOUR) {
                const int32_t ix = static_cast<int32_t>(std::floor(sx + 0.5));
                const int32_t iy = static_cast<int32_t>(std::floor(sy + 0.5));
                if (ix >= 0 && iy >= 0 && ix < w_ && iy < h_) {
                    CopyPixel(X, Y, ix, iy, alpha);
                    return;
                }
            } else if (im_ == IM_BILINEAR) {
                if (sx >= 0 && sy >= 0 && sx < w_ - 1 && sy < h_ - 1) {
                    Bilinear(X, Y, sx, sy, alpha);
                    return;
                }
            } else if (KernelInside(sx, sy)) {
                KernelSample(X, Y, sx, sy, alpha);
                return;
            }
        }
        Put(X, Y,
            src_.GetPixelColorInterpolated(static_cast<float>(sx), static_cast<float>(sy), im_,
                                           effOm_, &repl_),
            alpha);
    }

    void Rows(const Affine& m, uint32_t yb, uint32_t ye) {
        if (im_ == IM_BILINEAR && channels_ == 3)
            return FastBilinear<3>(m, yb, ye);
        if (im_ == IM_BILINEAR && channels_ == 1)
            return FastBilinear<1>(m, yb, ye);
        const int32_t ow = static_cast<int32_t>(out_.GetWidth());
        for (uint32_t Y = yb; Y < ye; ++Y) {
            const double sx0 = m.ox + m.xy * Y, sy0 = m.oy + m.yy * Y;
            for (int32_t X = 0; X < ow; ++X)
                Pixel(X, static_cast<int32_t>(Y), sx0 + m.xx * X, sy0 + m.yx * X);
        }
    }

private:
    const uint8_t* SrcRow(int32_t y) const { return srcBase_ + size_t(y) * srcStride_; }
    uint8_t* OutRow(int32_t y) const { return outBase_ + size_t(y) * outStride_; }
    const uint8_t* SrcAlpha(int32_t y) const {
        return srcAlpha_ == nullptr ? nullptr : srcAlpha_ + size_t(y) * w_;
    }
    uint8_t* OutAlpha(int32_t y) const {
        return outAlpha_ == nullptr ? nullptr : outAlpha_ + size_t(y) * outWidth_;
    }

    // Bilinear sampling. Along each row the span whose samples fall inside the picture is
    // found first and run in 16.16 fixed point without tests; the rest takes Pixel.
    template <int CH>
    void FastBilinear(const Affine& m, uint32_t yb, uint32_t ye) {
        const int32_t ow = static_cast<int32_t>(outWidth_);
        const int64_t stepX = std::llround(m.xx * 65536.0), stepY = std::llround(m.yx * 65536.0);
        struct Span {
            int64_t baseX, baseY;
            int32_t xa, xb;
        };
        std::vector<Span> spans;
        for (uint32_t Y = yb; Y < ye; ++Y) {
            const double sx0 = m.ox + m.xy * Y, sy0 = m.oy + m.yy * Y;
            Span span{std::llround(sx0 * 65536.0), std::llround(sy0 * 65536.0), 0, 0};
            auto inside = [&](int64_t X) {
                const int64_t fx = span.baseX + X * stepX, fy = span.baseY + X * stepY;
                return fx >= 0 && fy >= 0 && (fx >> 16) < w_ - 1 && (fy >> 16) < h_ - 1;
            };
            // The inside samples form one interval of X; bound it from the real line, then
            // settle its ends on the fixed-point test.
            double lo = 0, hi = ow;
            auto clip = [&](double start, double step, double limit) {
                if (step == 0) {
                    if (start < 0 || start >= limit)
                        hi = lo;
                    return;
                }
                double a = (0 - start) / step, b = (limit - start) / step;
                if (a > b)
                    std::swap(a, b);
                lo = std::max(lo, std::floor(a) - 1);
                hi = std::min(hi, std::ceil(b) + 1);
            };
            clip(sx0, m.xx, w_ - 1);
            clip(sy0, m.yx, h_ - 1);
            span.xa = static_cast<int32_t>(std::clamp(lo, 0.0, double(ow)));
            span.xb = static_cast<int32_t>(std::clamp(hi, 0.0, double(ow)));
            while (span.xa < span.xb && !inside(span.xa))
                ++span.xa;
            while (span.xb > span.xa && !inside(span.xb - 1))
                --span.xb;
            auto edge = [&](int32_t X) {
                const double sx = sx0 + m.xx * X, sy = sy0 + m.yx * X;
                if (!Outfills(om_) || (sx >= -1.0 && sy >= -1.0 && sx <= w_ && sy <= h_)) {
                    Pixel(X, static_cast<int32_t>(Y), sx, sy);
                    return;
                }
                // Far outside: the fill colour.
                std::memcpy(OutRow(Y) + size_t(X) * CH, fillBytes_, CH);
                if (uint8_t* a = OutAlpha(Y))
                    a[X] = fill_.rgbReserved;
            };
            for (int32_t X = 0; X < span.xa; ++X)
                edge(X);
            for (int32_t X = span.xb; X < ow; ++X)
                edge(X);
            spans.push_back(span);
        }
        // The inside spans in tiles, so that the source rows a tile reads stay in cache.
        constexpr int32_t kTile = 128;
        const uint8_t* base = srcBase_;
        const size_t stride = srcStride_;
        for (int32_t tx = 0; tx < ow; tx += kTile)
            for (uint32_t Y = yb; Y < ye; ++Y) {
                const Span& span = spans[Y - yb];
                const int32_t xa = std::max(span.xa, tx), xb = std::min(span.xb, tx + kTile);
                uint8_t* d = OutRow(Y) + size_t(std::max(xa, 0)) * CH;
                uint8_t* alpha = OutAlpha(Y);
                for (int32_t X = xa; X < xb; ++X, d += CH) {
                    const int64_t fxp = span.baseX + X * stepX, fyp = span.baseY + X * stepY;
                    const int32_t x0 = static_cast<int32_t>(fxp >> 16),
                                  y0 = static_cast<int32_t>(fyp >> 16);
                    const int fx = static_cast<int>((fxp >> 8) & 255),
                              fy = static_cast<int>((fyp >> 8) & 255);
                    const int w00 = (256 - fx) * (256 - fy), w10 = fx * (256 - fy),
                              w01 = (256 - fx) * fy, w11 = fx * fy;
                    const uint8_t* r0 = base + size_t(y0) * stride + size_t(x0) * CH;
                    const uint8_t* r1 = r0 + stride;
                    for (int c = 0; c < CH; ++c)
                        d[c] = static_cast<uint8_t>((r0[c] * w00 + r0[c + CH] * w10 + r1[c] * w01 +
                                                     r1[c + CH] * w11 + 32768) >>
                                                    16);
                    if (alpha != nullptr) {
                        const uint8_t* a0 = SrcAlpha(y0);
                        alpha[X] = a0 == nullptr
                                       ? 255
                                       : static_cast<uint8_t>((a0[x0] * w00 + a0[x0 + 1] * w10 +
                                                               a0[x0 + w_] * w01 +
                                                               a0[x0 + w_ + 1] * w11 + 32768) >>
                                                              16);
                    }
                }
            }
    }

    void Put(int32_t X, int32_t Y, RGBQUAD c, uint8_t* alpha) {
        if (channels_ == 3) {
            uint8_t* d = OutRow(Y) + X * 3;
            d[0] = c.rgbBlue;
            d[1] = c.rgbGreen;
            d[2] = c.rgbRed;
        } else if (channels_ == 1) {
            OutRow(Y)[X] = KxImage::GrayLevel(c);
        } else {
            out_.SetPixelColor(X, Y, c, false);
        }
        if (alpha != nullptr)
            alpha[X] = c.rgbReserved;
    }
    void CopyPixel(int32_t X, int32_t Y, int32_t ix, int32_t iy, uint8_t* alpha) {
        std::memcpy(OutRow(Y) + X * channels_, SrcRow(iy) + ix * channels_, channels_);
        if (alpha != nullptr)
            alpha[X] = SourceAlpha(ix, iy);
    }
    uint8_t SourceAlpha(int32_t x, int32_t y) const {
        const uint8_t* a = SrcAlpha(y);
        return a != nullptr ? a[x] : 255;
    }
    void Bilinear(int32_t X, int32_t Y, double sx, double sy, uint8_t* alpha) {
        const int32_t x0 = static_cast<int32_t>(sx), y0 = static_cast<int32_t>(sy);
        const int fx = static_cast<int>((sx - x0) * 256.0 + 0.5);
        const int fy = static_cast<int>((sy - y0) * 256.0 + 0.5);
        const int w00 = (256 - fx) * (256 - fy), w10 = fx * (256 - fy), w01 = (256 - fx) * fy,
                  w11 = fx * fy;
        const uint8_t* r0 = SrcRow(y0) + x0 * channels_;
        const uint8_t* r1 = SrcRow(y0 + 1) + x0 * channels_;
        uint8_t* d = OutRow(Y) + X * channels_;
        for (int c = 0; c < channels_; ++c)
            d[c] = static_cast<uint8_t>((r0[c] * w00 + r0[c + channels_] * w10 + r1[c] * w01 +
                                         r1[c + channels_] * w11 + 32768) >>
                                        16);
        if (alpha != nullptr) {
            const uint8_t* a0 = SrcAlpha(y0);
            const uint8_t* a1 = SrcAlpha(y0 + 1);
            alpha[X] = a0 == nullptr
                           ? 255
                           : static_cast<uint8_t>((a0[x0] * w00 + a0[x0 + 1] * w10 + a1[x0] * w01 +
                                                   a1[x0 + 1] * w11 + 32768) >>
                                                  16);
        }
    }
    bool KernelInside(double sx, double sy) const {
        const int r = static_cast<int>(std::ceil(kernel_.radius));
        return sx >= r && sy >= r && sx < w_ - r - 1 && sy < h_ - r - 1;
    }
    void KernelSample(int32_t X, int32_t Y, double sx, double sy, uint8_t* alpha) {
        const int r = static_cast<int>(std::ceil(kernel_.radius));
        const int32_t cx = static_cast<int32_t>(std::floor(sx)),
                      cy = static_cast<int32_t>(std::floor(sy));
        double wx[8], wy[8];
        double sumx = 0, sumy = 0;
        for (int k = 0; k < 2 * r; ++k) {
            wx[k] = kernel_.weight(sx - (cx - r + 1 + k));
            wy[k] = kernel_.weight(sy - (cy - r + 1 + k));
            sumx += wx[k];
            sumy += wy[k];
        }
        const double norm = (sumx != 0 && sumy != 0) ? 1.0 / (sumx * sumy) : 0.0;
        double acc[4] = {0, 0, 0, 0};
        for (int j = 0; j < 2 * r; ++j) {
            const int32_t yy = cy - r + 1 + j;
            const uint8_t* row = SrcRow(yy);
            const uint8_t* arow = SrcAlpha(yy);
            for (int i = 0; i < 2 * r; ++i) {
                const int32_t xx = cx - r + 1 + i;
                const double wgt = wx[i] * wy[j];
                for (int c = 0; c < channels_; ++c)
                    acc[c] += wgt * row[xx * channels_ + c];
                acc[3] += wgt * (arow != nullptr ? arow[xx] : 255);
            }
        }
        uint8_t* d = OutRow(Y) + X * channels_;
        for (int c = 0; c < channels_; ++c)
            d[c] = Clamp8f(static_cast<float>(acc[c] * norm));
        if (alpha != nullptr)
            alpha[X] = Clamp8f(static_cast<float>(acc[3] * norm));
    }

    const KxImage& src_;
    KxImage& out_;
    InterpolationMethod im_;
    OverflowMethod om_;
    RGBQUAD fill_;
    OverflowMethod effOm_;
    RGBQUAD repl_;
    int channels_;
    Kernel kernel_;
    int32_t w_, h_;
    const uint8_t* srcBase_;
    size_t srcStride_;
    uint8_t* outBase_;
    size_t outStride_;
    const uint8_t* srcAlpha_;
    uint8_t* outAlpha_;
    uint32_t outWidth_;
    uint8_t fillBytes_[3] = {0, 0, 0};
};

// Prepares the source (a 24-bit copy when a palette picture is to be interpolated; an alpha
// plane when the overflow is transparent) and an output of the chosen size.
bool PrepareWarp(KxImage& img, KxImage& work, const KxImage*& src, KxImage& out, uint32_t ow,
                 uint32_t oh, InterpolationMethod im, OverflowMethod om) {
    src = &img;
    const bool expand = DirectChannels(img) == 0 && im != IM_NEAREST_NEIGHBOUR;
    if (expand || om == OM_TRANSPARENT) {
        const bool ok = expand ? ExpandTo24(img, work) : (work.Copy(img), work.IsValid());
        if (!ok || (om == OM_TRANSPARENT && !work.AlphaCreate())) {
            SetError(img, work.GetLastError());
            return false;
        }
        src = &work;
    }
    // The warp writes every output pixel, inside the source or fill.
    if (!MakeLike(out, *src, ow, oh, src->GetBpp(), NewPixels::Overwritten) ||
        (src->AlphaIsValid() && !out.AlphaCreate())) {
        SetError(img, out.GetLastError());
        return false;
    }
    return true;
}

bool RunAffine(KxImage& img, const KxImage& src, KxImage& out, const Affine& m,
               InterpolationMethod im, OverflowMethod om, const RGBQUAD* repl) {
    const uint32_t oh = out.GetHeight();
    return ForRows(img, oh, ThreadsFor(uint64_t(out.GetWidth()) * oh),
                   [&](uint32_t b, uint32_t e, RowGate& gate) {
                       Warper warper(src, out, im, om, repl);
                       constexpr uint32_t kBand = 32;
                       for (uint32_t y = b; y < e; y += kBand) {
                           if (!gate.Pass(y))
                               return false;
                           warper.Rows(m, y, std::min(e, y + kBand));
                       }
                       return true;
                   });
}

// ---- separable resampling --------------------------------------------------------------

// For every output coordinate, `count` source indices and Q14 weights summing to 16384;
// taps of zero weight are dropped, shorter lists are padded with zero weights.
struct Taps {
    int count = 0;
    std::vector<int32_t> index;
    std::vector<int16_t> weight;
};

int32_t MapIndex(int32_t i, int32_t n, OverflowMethod om) {
    if (i >= 0 && i < n)
        return i;
    if (om == OM_WRAP) {
        i %= n;
        return i < 0 ? i + n : i;
    }
    if (om == OM_MIRROR) {
        const int32_t period = 2 * n;
        i %= period;
        if (i < 0)
            i += period;
        return i < n ? i : period - 1 - i;
    }
    if (om == OM_REPEAT)
        return std::clamp(i, 0, n - 1);
    return -1;  // outside: the tap is dropped and the others renormalised
}

Taps MakeTaps(int32_t srcSize, int32_t dstSize, const Kernel& kernel, bool averaging, bool centred,
              OverflowMethod om) {
    const double scale = static_cast<double>(srcSize) / dstSize;
    const double stretch = (averaging && scale > 1.0) ? scale : 1.0;
    const double support = kernel.radius * stretch;
    const int span = static_cast<int>(std::ceil(2.0 * support)) + 1;
    std::vector<std::vector<std::pair<int32_t, int16_t>>> lists(dstSize);
    std::vector<double> w(span);
    int count = 1;
    for (int32_t o = 0; o < dstSize; ++o) {
        const double s = centred ? (o + 0.5) * scale - 0.5 : o * scale;
        const int32_t first = static_cast<int32_t>(std::floor(s - support)) + 1;
        double total = 0;
        for (int k = 0; k < span; ++k) {
            const int32_t i = MapIndex(first + k, srcSize, om);
            w[k] = i < 0 ? 0.0 : kernel.weight((first + k - s) / stretch);
            total += w[k];
        }
        auto& list = lists[o];
        if (total == 0.0) {
            list.emplace_back(std::clamp(static_cast<int32_t>(std::floor(s + 0.5)), 0, srcSize - 1),
                              int16_t(16384));
            continue;
        }
        int sum = 0;
        size_t largest = 0;
        for (int k = 0; k < span; ++k) {
            const int16_t q = static_cast<int16_t>(std::lround(w[k] / total * 16384.0));
            if (q == 0)
                continue;
            // Taps that land on the same source pixel (edges) are merged.
            const int32_t i = MapIndex(first + k, srcSize, om);
            auto same =
                std::find_if(list.begin(), list.end(), [i](auto& t) { return t.first == i; });
            if (same != list.end())
                same->second = static_cast<int16_t>(same->second + q);
            else
                list.emplace_back(i, q);
            sum += q;
        }
        if (list.empty()) {
            list.emplace_back(std::clamp(static_cast<int32_t>(std::floor(s + 0.5)), 0, srcSize - 1),
                              int16_t(16384));
            continue;
        }
        for (size_t k = 0; k < list.size(); ++k)
            if (std::abs(list[k].second) > std::abs(list[largest].second))
                largest = k;
        list[largest].second = static_cast<int16_t>(list[largest].second + 16384 - sum);
        count = std::max(count, static_cast<int>(list.size()));
    }
    Taps taps;
    taps.count = count;
    taps.index.assign(size_t(dstSize) * count, 0);
    taps.weight.assign(size_t(dstSize) * count, 0);
    for (int32_t o = 0; o < dstSize; ++o)
        for (size_t k = 0; k < size_t(count); ++k) {
            const auto& list = lists[o];
            taps.index[size_t(o) * count + k] = k < list.size() ? list[k].first : list[0].first;
            taps.weight[size_t(o) * count + k] = k < list.size() ? list[k].second : int16_t(0);
        }
    return taps;
}

// Horizontal pass of one source row into Q6 values; N taps known at compile time when > 0.
template <int CH, int N>
void ResampleRowN(const uint8_t* src, int16_t* dst, int32_t dw, const Taps& tx) {
    const int n = N > 0 ? N : tx.count;
    const int32_t* idx = tx.index.data();
    const int16_t* wt = tx.weight.data();
    for (int32_t o = 0; o < dw; ++o, idx += n, wt += n) {
        int32_t acc[CH] = {};
        for (int k = 0; k < n; ++k) {
            const uint8_t* p = src + size_t(idx[k]) * CH;
            for (int c = 0; c < CH; ++c)
                acc[c] += wt[k] * p[c];
        }
        for (int c = 0; c < CH; ++c)
            dst[o * CH + c] = static_cast<int16_t>((acc[c] + 128) >> 8);
    }
}

template <int CH>
void ResampleRow(const uint8_t* src, int16_t* dst, int32_t dw, const Taps& tx) {
    switch (tx.count) {
        case 1:
            return ResampleRowN<CH, 1>(src, dst, dw, tx);
        case 2:
            return ResampleRowN<CH, 2>(src, dst, dw, tx);
        case 3:
            return ResampleRowN<CH, 3>(src, dst, dw, tx);
        case 4:
            return ResampleRowN<CH, 4>(src, dst, dw, tx);
        case 6:
            return ResampleRowN<CH, 6>(src, dst, dw, tx);
        default:
            return ResampleRowN<CH, 0>(src, dst, dw, tx);
    }
}

inline uint8_t FromQ20(int32_t acc) {
    acc = (acc + (1 << 19)) >> 20;
    return static_cast<uint8_t>(acc < 0 ? 0 : (acc > 255 ? 255 : acc));
}

KX_VECTOR_CLONES void VerticalPass1(const int16_t* r0, uint8_t* dst, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const int32_t v = (r0[i] + 32) >> 6;
        dst[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
}

KX_VECTOR_CLONES void VerticalPass2(const int16_t* r0, const int16_t* r1, int w0, int w1,
                                    uint8_t* dst, size_t count) {
    for (size_t i = 0; i < count; ++i)
        dst[i] = FromQ20(w0 * r0[i] + w1 * r1[i]);
}

KX_VECTOR_CLONES void VerticalPass4(const int16_t* r0, const int16_t* r1, const int16_t* r2,
                                    const int16_t* r3, int w0, int w1, int w2, int w3, uint8_t* dst,
                                    size_t count) {
    for (size_t i = 0; i < count; ++i)
        dst[i] = FromQ20(w0 * r0[i] + w1 * r1[i] + w2 * r2[i] + w3 * r3[i]);
}

KX_VECTOR_CLONES void AccumulateRow(int32_t* acc, const int16_t* row, int w, size_t count) {
    for (size_t i = 0; i < count; ++i)
        acc[i] += w * row[i];
}

KX_VECTOR_CLONES void FinishRow(const int32_t* acc, uint8_t* dst, size_t count) {
    for (size_t i = 0; i < count; ++i)
        dst[i] = FromQ20(acc[i]);
}

struct Plane {
    const uint8_t* base;
    size_t stride;
    int32_t width, height;
};

bool ResamplePlane(KxImage& img, const Plane& src, uint8_t* dst, size_t dstride, int32_t dw,
                   int32_t dh, int ch, const Taps& tx, const Taps& ty, unsigned threads) {
    return ForRows(img, dh, threads, [&](uint32_t b, uint32_t e, RowGate& gate) {
        const int n = ty.count;
        const int slots = n + 1;
        const size_t rowLen = size_t(dw) * ch;
        std::vector<int16_t> cache(rowLen * slots);
        std::vector<int32_t> keys(slots, -1), acc;
        std::vector<const int16_t*> rows(n);
        std::vector<int> weights(n);
        std::vector<char> busy(slots);
        for (uint32_t o = b; o < e; ++o) {
            if (!gate.Pass(o))
                return false;
            const int32_t* idx = &ty.index[size_t(o) * n];
            const int16_t* wt = &ty.weight[size_t(o) * n];
            std::fill(busy.begin(), busy.end(), 0);
            for (int k = 0; k < n; ++k)
                for (int s = 0; s < slots; ++s)
                    if (keys[s] == idx[k] && wt[k] != 0)
                        busy[s] = 1;
            int live = 0;
            for (int k = 0; k < n; ++k) {
                if (wt[k] == 0)
                    continue;
                int slot = -1;
                for (int s = 0; s < slots && slot < 0; ++s)
                    if (keys[s] == idx[k])
                        slot = s;
                if (slot < 0) {
                    for (int s = 0; s < slots && slot < 0; ++s)
                        if (!busy[s])
                            slot = s;
                    busy[slot] = 1;
                    keys[slot] = idx[k];
                    const uint8_t* srow = src.base + size_t(idx[k]) * src.stride;
                    int16_t* out = &cache[size_t(slot) * rowLen];
                    if (ch == 3)
                        ResampleRow<3>(srow, out, dw, tx);
                    else
                        ResampleRow<1>(srow, out, dw, tx);
                }
                rows[live] = &cache[size_t(slot) * rowLen];
                weights[live++] = wt[k];
            }
            uint8_t* drow = dst + size_t(o) * dstride;
            if (live == 1 && weights[0] == 16384) {
                VerticalPass1(rows[0], drow, rowLen);
            } else if (live == 2) {
                VerticalPass2(rows[0], rows[1], weights[0], weights[1], drow, rowLen);
            } else if (live == 4) {
                VerticalPass4(rows[0], rows[1], rows[2], rows[3], weights[0], weights[1],
                              weights[2], weights[3], drow, rowLen);
            } else {
                acc.assign(rowLen, 0);
                for (int k = 0; k < live; ++k)
                    AccumulateRow(acc.data(), rows[k], weights[k], rowLen);
                FinishRow(acc.data(), drow, rowLen);
            }
        }
        return true;
    });
}

// d[x] = s[index[x]] for n three-byte pixels. Four-byte moves are cheaper than three-byte
// ones: each writes one byte too many, which the next pixel overwrites, and reads one byte
// past its pixel, which stays inside the row unless the pixel is the row's last.
template <class Index>
void GatherPixels24(const uint8_t* s, uint8_t* d, const Index* index, int32_t n,
                    uint32_t srcWidth) {
    for (int32_t x = 0; x + 1 < n; ++x) {
        const size_t from = size_t(index[x]) * 3;
        if (uint32_t(index[x]) + 1 < srcWidth) {
            uint32_t v;
            std::memcpy(&v, s + from, 4);
            std::memcpy(d + size_t(x) * 3, &v, 4);
        } else {
            std::memcpy(d + size_t(x) * 3, s + from, 3);
        }
    }
    if (n > 0)
        std::memcpy(d + size_t(n - 1) * 3, s + size_t(index[n - 1]) * 3, 3);
}

bool ResampleNearest(KxImage& img, int32_t nw, int32_t nh, KxImage* iDst) {
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    KxImage out;
    if (!MakeLike(out, img, nw, nh, bpp, NewPixels::Overwritten)) {
        SetError(img, out.GetLastError());
        return false;
    }
    std::vector<uint32_t> xmap(nw);
    for (int32_t x = 0; x < nw; ++x)
        xmap[x] = std::min<uint32_t>(w - 1, uint32_t((uint64_t(2 * x + 1) * w) / (2ull * nw)));
    auto ymapOf = [&](uint32_t y) {
        return std::min<uint32_t>(h - 1, uint32_t((uint64_t(2 * y + 1) * h) / (2ull * nh)));
    };
    const bool alpha = img.AlphaIsValid() && out.AlphaCreate();
    const bool ok =
        ForRows(img, nh, ThreadsFor(uint64_t(nw) * nh), [&](uint32_t b, uint32_t e, RowGate& gate) {
            for (uint32_t y = b; y < e; ++y) {
                if (!gate.Pass(y))
                    return false;
                const uint32_t sy = ymapOf(y);
                const uint8_t* s = Row(img, sy);
                uint8_t* d = Row(out, y);
                if (bpp == 24) {
                    GatherPixels24(s, d, xmap.data(), nw, w);
                } else if (bpp == 8) {
                    for (int32_t x = 0; x < nw; ++x)
                        d[x] = s[xmap[x]];
                } else {
                    for (int32_t x = 0; x < nw; ++x)
                        SetPackedIndex(d, x, bpp, PackedIndex(s, xmap[x], bpp));
                }
                if (alpha) {
                    const uint8_t* sa = AlphaRow(img, sy);
                    uint8_t* da = AlphaRow(out, y);
                    for (int32_t x = 0; x < nw; ++x)
                        da[x] = sa[xmap[x]];
                }
            }
            return true;
        });
    return ok && Deliver(img, out, iDst);
}

bool ResampleSeparable(KxImage& img, int32_t nw, int32_t nh, const Kernel& kernel, bool averaging,
                       bool centred, OverflowMethod om, KxImage* iDst) {
    KxImage work;
    const KxImage* src = &img;
    if (DirectChannels(img) == 0) {
        if (!ExpandTo24(img, work)) {
            SetError(img, work.GetLastError());
            return false;
        }
        src = &work;
    }
    const int ch = DirectChannels(*src);
    const int32_t w = src->GetWidth(), h = src->GetHeight();
    KxImage out;
    if (!MakeLike(out, *src, nw, nh, src->GetBpp(), NewPixels::Overwritten)) {
        SetError(img, out.GetLastError());
        return false;
    }
    const Taps tx = MakeTaps(w, nw, kernel, averaging, centred, om);
    const Taps ty = MakeTaps(h, nh, kernel, averaging, centred, om);
    const unsigned threads = ThreadsFor(uint64_t(nw) * nh);
    if (tx.count == 1 && ty.count == 1) {
        // Every output falls on a source pixel (integer steps in corner mapping): copy.
        const bool alpha = src->AlphaIsValid() && out.AlphaCreate();
        const bool ok = ForRows(img, nh, threads, [&](uint32_t b, uint32_t e, RowGate& gate) {
            for (uint32_t y = b; y < e; ++y) {
                if (!gate.Pass(y))
                    return false;
                const uint8_t* s = Row(*src, ty.index[y]);
                uint8_t* d = Row(out, y);
                if (ch == 3)
                    GatherPixels24(s, d, tx.index.data(), nw, uint32_t(w));
                else
                    for (int32_t x = 0; x < nw; ++x)
                        d[x] = s[tx.index[x]];
                if (alpha) {
                    const uint8_t* sa = AlphaRow(*src, ty.index[y]);
                    uint8_t* da = AlphaRow(out, y);
                    for (int32_t x = 0; x < nw; ++x)
                        da[x] = sa[tx.index[x]];
                }
            }
            return true;
        });
        return ok && Deliver(img, out, iDst);
    }
    if (!ResamplePlane(img, Plane{Row(*src, 0), src->GetEffWidth(), w, h}, Row(out, 0),
                       out.GetEffWidth(), nw, nh, ch, tx, ty, threads))
        return false;
    if (src->AlphaIsValid() && out.AlphaCreate() &&
        !ResamplePlane(img, Plane{src->AlphaGetPointer(), size_t(w), w, h}, out.AlphaGetPointer(),
                       nw, nw, nh, 1, tx, ty, threads))
        return false;
    return Deliver(img, out, iDst);
}

bool CheckNewSize(KxImage& img, int32_t nw, int32_t nh) {
    if (!CheckValid(img))
        return false;
    if (nw <= 0 || nh <= 0) {
        SetError(img, "KxImage::Create : width and height must be greater than zero");
        return false;
    }
    if (uint64_t(nw) * uint64_t(nh) * 3 > KXIMAGE_MAX_MEMORY) {
        SetError(img, "KXIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    return true;
}

}  // namespace

bool Flip(KxImage& img) {
    if (!CheckValid(img))
        return false;
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    Progress progress(img, 1);
    if (img.GetEscape() != 0)
        return progress.Step(0);
    FlipPlane(Row(img, 0), img.GetEffWidth(), h);
    if (img.AlphaIsValid())
        FlipPlane(img.AlphaGetPointer(), w, h);
    if (img.SelectionIsValid())
        FlipPlane(img.SelectionGetPointer(), w, h);
    progress.Finish();
    return true;
}

bool Mirror(KxImage& img) {
    if (!CheckValid(img))
        return false;
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    // Rows are mirrored one by one, so a cancelled run leaves whole rows only; it is undone
    // so that the picture is not half mirrored.
    Progress progress(img, h);
    std::vector<uint8_t> scratch;
    for (uint32_t y = 0; y < h; ++y) {
        if (!progress.Step(y)) {
            for (uint32_t u = 0; u < y; ++u)
                MirrorRow(Row(img, u), w, bpp, scratch);
            return false;
        }
        MirrorRow(Row(img, y), w, bpp, scratch);
    }
    for (uint32_t y = 0; y < h; ++y) {
        if (uint8_t* a = AlphaRow(img, y))
            std::reverse(a, a + w);
        if (uint8_t* s = SelectionRow(img, y))
            std::reverse(s, s + w);
    }
    progress.Finish();
    return true;
}

bool RotateLeft(KxImage& img, KxImage* iDst) {
    return Rotate90(img, iDst, true);
}

bool RotateRight(KxImage& img, KxImage* iDst) {
    return Rotate90(img, iDst, false);
}

bool Rotate2(KxImage& img, float angle, KxImage* iDst, InterpolationMethod inMethod,
             OverflowMethod ofMethod, RGBQUAD* replColor, bool optimizeRightAngles,
             bool bKeepOriginalSize) {
    if (!CheckValid(img))
        return false;
    if (!std::isfinite(angle)) {
        SetError(img, kErrorParameter);
        return false;
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    double turns = std::fmod(static_cast<double>(angle), 360.0);
    if (turns < 0)
        turns += 360.0;
    if (optimizeRightAngles) {
        const double quarter = std::round(turns / 90.0);
        if (std::fabs(turns - quarter * 90.0) < 1e-4 &&
            (!bKeepOriginalSize || w == h || int(quarter) % 2 == 0)) {
            switch (static_cast<int>(quarter) % 4) {
                case 1:
                    return RotateRight(img, iDst);
                case 3:
                    return RotateLeft(img, iDst);
                case 2: {
                    KxImage copy(img);
                    if (!Flip(copy) || !Mirror(copy)) {
                        SetError(img, copy.GetLastError());
                        return false;
                    }
                    return Deliver(img, copy, iDst);
                }
                default: {
                    if (iDst == nullptr || iDst == &img) {
                        img.SetProgress(100);
                        return true;
                    }
                    KxImage copy(img);
                    return Deliver(img, copy, iDst);
                }
            }
        }
    }
    const double rad = turns * std::numbers::pi / 180.0;
    const double c = std::cos(rad), s = std::sin(rad);
    uint32_t ow = w, oh = h;
    if (!bKeepOriginalSize) {
        const double fw = std::fabs(w * c) + std::fabs(h * s);
        const double fh = std::fabs(w * s) + std::fabs(h * c);
        ow = static_cast<uint32_t>(std::max(1.0, std::ceil(fw - 1e-6)));
        oh = static_cast<uint32_t>(std::max(1.0, std::ceil(fh - 1e-6)));
    }
    if (!CheckNewSize(img, static_cast<int32_t>(std::min<uint32_t>(ow, 0x7FFFFFFF)),
                      static_cast<int32_t>(std::min<uint32_t>(oh, 0x7FFFFFFF))))
        return false;
    KxImage work, out;
    const KxImage* src = nullptr;
    if (!PrepareWarp(img, work, src, out, ow, oh, inMethod, ofMethod))
        return false;
    // Clockwise as shown (y up): the inverse turns the output point counter-clockwise.
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const double ocx = (ow - 1) / 2.0, ocy = (oh - 1) / 2.0;
    Affine m;
    m.xx = c;
    m.xy = -s;
    m.ox = cx - c * ocx + s * ocy;
    m.yx = s;
    m.yy = c;
    m.oy = cy - s * ocx - c * ocy;
    if (!RunAffine(img, *src, out, m, inMethod, ofMethod, replColor))
        return false;
    return Deliver(img, out, iDst);
}

bool Resample(KxImage& img, int32_t newx, int32_t newy, int32_t mode, KxImage* iDst) {
    if (!CheckNewSize(img, newx, newy))
        return false;
    if (mode == 1)
        return ResampleNearest(img, newx, newy, iDst);
    if (mode != 0) {
        SetError(img, kErrorParameter);
        return false;
    }
    return ResampleSeparable(img, newx, newy, KernelFor(IM_BILINEAR), false, false, OM_REPEAT,
                             iDst);
}

bool Resample2(KxImage& img, int32_t newx, int32_t newy, InterpolationMethod inMethod,
               OverflowMethod ofMethod, KxImage* iDst, bool disableAveraging) {
    if (!CheckNewSize(img, newx, newy))
        return false;
    if (inMethod == IM_NEAREST_NEIGHBOUR)
        return ResampleNearest(img, newx, newy, iDst);
    return ResampleSeparable(img, newx, newy, KernelFor(inMethod), !disableAveraging, true,
                             ofMethod, iDst);
}

bool Crop(KxImage& img, RECT rect, KxImage* iDst) {
    if (!CheckValid(img))
        return false;
    const int32_t w = img.GetWidth(), h = img.GetHeight();
    const int32_t left = std::clamp(std::min(rect.left, rect.right), 0, w);
    const int32_t right = std::clamp(std::max(rect.left, rect.right), 0, w);
    const int32_t bottom = std::clamp(std::min(rect.top, rect.bottom), 0, h);
    const int32_t top = std::clamp(std::max(rect.top, rect.bottom), 0, h);
    if (right <= left || top <= bottom) {
        SetError(img, "Crop: the rectangle holds no pixel of the image");
        return false;
    }
    const uint32_t nw = right - left, nh = top - bottom, bpp = img.GetBpp();
    KxImage out;
    if (!MakeLike(out, img, nw, nh, bpp)) {
        SetError(img, out.GetLastError());
        return false;
    }
    Progress progress(img, nh);
    const bool alpha = img.AlphaIsValid() && out.AlphaCreate();
    const bool selection = img.SelectionIsValid() && out.SelectionCreate();
    for (uint32_t y = 0; y < nh; ++y) {
        if (!progress.Step(y))
            return false;
        const uint8_t* s = Row(img, y + bottom);
        uint8_t* d = Row(out, y);
        if (bpp >= 8)
            std::memcpy(d, s + size_t(left) * (bpp / 8), size_t(nw) * (bpp / 8));
        else
            for (uint32_t x = 0; x < nw; ++x)
                SetPackedIndex(d, x, bpp, PackedIndex(s, x + left, bpp));
        if (alpha)
            std::memcpy(AlphaRow(out, y), AlphaRow(img, y + bottom) + left, nw);
        if (selection)
            std::memcpy(SelectionRow(out, y), SelectionRow(img, y + bottom) + left, nw);
    }
    return Deliver(img, out, iDst);
}

bool CropRotatedRectangle(KxImage& img, int32_t topx, int32_t topy, int32_t width, int32_t height,
                          float angle, KxImage* iDst) {
    if (!CheckValid(img))
        return false;
    if (width <= 0 || height <= 0 || !std::isfinite(angle)) {
        SetError(img, kErrorParameter);
        return false;
    }
    if (!CheckNewSize(img, width, height))
        return false;
    // Along the width from the corner, then across it on the side below (y down).
    const double ux = std::cos(angle), uy = std::sin(angle);
    double vx = -uy, vy = ux;
    if (vy < 0) {
        vx = -vx;
        vy = -vy;
    }
    const double H = img.GetHeight();
    KxImage work, out;
    const KxImage* src = nullptr;
    if (!PrepareWarp(img, work, src, out, width, height, IM_BILINEAR, OM_BACKGROUND))
        return false;
    Affine m;
    m.xx = ux;
    m.xy = -vx;
    m.ox = topx + (height - 1) * vx;
    m.yx = -uy;
    m.yy = vy;
    m.oy = H - 1 - topy - (height - 1) * vy;
    if (!RunAffine(img, *src, out, m, IM_BILINEAR, OM_BACKGROUND, nullptr))
        return false;
    return Deliver(img, out, iDst);
}

bool Skew(KxImage& img, float xgain, float ygain, int32_t xpivot, int32_t ypivot,
          bool bEnableInterpolation) {
    if (!CheckValid(img))
        return false;
    if (!std::isfinite(xgain) || !std::isfinite(ygain)) {
        SetError(img, kErrorParameter);
        return false;
    }
    const InterpolationMethod im = bEnableInterpolation ? IM_BILINEAR : IM_NEAREST_NEIGHBOUR;
    KxImage work, out;
    const KxImage* src = nullptr;
    if (!PrepareWarp(img, work, src, out, img.GetWidth(), img.GetHeight(), im, OM_BACKGROUND))
        return false;
    Affine m;
    m.xx = 1.0;
    m.xy = xgain;
    m.ox = -static_cast<double>(xgain) * ypivot;
    m.yx = ygain;
    m.yy = 1.0;
    m.oy = -static_cast<double>(ygain) * xpivot;
    if (!RunAffine(img, *src, out, m, im, OM_BACKGROUND, nullptr))
        return false;
    return Deliver(img, out, nullptr);
}

bool CircleTransform(KxImage& img, int32_t type, int32_t rmax, float Koeff) {
    if (!CheckValid(img))
        return false;
    if (type < 0 || type > 4 || rmax < 0 || !std::isfinite(Koeff)) {
        SetError(img, kErrorParameter);
        return false;
    }
    const double w = img.GetWidth(), h = img.GetHeight();
    const double xmid = std::floor(w / 2), ymid = std::floor(h / 2);
    const double radiusMax = rmax > 0 ? rmax : std::sqrt(xmid * xmid + ymid * ymid);
    const double k = Koeff == 0.0f ? 1.0 : Koeff;
    KxImage work, out;
    const KxImage* src = nullptr;
    const InterpolationMethod im = type == 4 ? IM_NEAREST_NEIGHBOUR : IM_BILINEAR;
    if (!PrepareWarp(img, work, src, out, img.GetWidth(), img.GetHeight(), im, OM_REPEAT))
        return false;
    return ForRows(img, out.GetHeight(), ThreadsFor(uint64_t(w) * h),
                   [&](uint32_t b, uint32_t e, RowGate& gate) {
                       Warper warper(*src, out, im, OM_REPEAT, nullptr);
                       for (uint32_t y = b; y < e; ++y) {
                           if (!gate.Pass(y))
                               return false;
                           for (int32_t x = 0; x < static_cast<int32_t>(w); ++x) {
                               const double nx = xmid - x, ny = ymid - y;
                               const double r = std::sqrt(nx * nx + ny * ny);
                               double sx = x, sy = y;
                               if (r < radiusMax) {
                                   double a = std::atan2(ny, nx);
                                   double rn = r;
                                   switch (type) {
                                       case 0:  // punch: the centre bulges out
                                           rn = r * r / radiusMax;
                                           break;
                                       case 1:  // pinch: the centre is drawn in
                                           rn = std::sqrt(r * radiusMax);
                                           break;
                                       case 2:
                                           a += r / k;
                                           break;
                                       default:
                                           break;
                                   }
                                   if (type <= 2) {
                                       sx = xmid - rn * std::cos(a);
                                       sy = ymid - rn * std::sin(a);
                                   } else if (type == 3) {
                                       sx = std::fabs(a * (w - 1) / (2 * std::numbers::pi));
                                       sy = std::fabs(r * (h - 1) / radiusMax);
                                   } else {
                                       sx = x + ((x % 32) - 16) * k;
                                   }
                                   if (sx < 0 || sy < 0 || sx > w - 1 || sy > h - 1) {
                                       sx = x;
                                       sy = y;
                                   }
                               }
                               warper.Pixel(x, static_cast<int32_t>(y), sx, sy);
                           }
                       }
                       return true;
                   }) &&
           Deliver(img, out, nullptr);
}

}  // namespace kxops
