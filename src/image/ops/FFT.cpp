// Two-dimensional discrete Fourier transform of grey pictures. Sizes that are powers of two
// use an iterative radix-2 transform; other sizes use Bluestein's chirp transform, so every
// size is exact and fast ("force FFT" instead resamples to powers of two first).
//
// Scaling is unitary (1/sqrt(N) both ways) so that a forward and an inverse transform give
// the picture back. Spectra are stored with 128 as zero; spatial pictures without offset.

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "image/ops/KxImageOps.h"
#include "image/ops/OpsInternal.h"

namespace kxops {

using namespace detail;

namespace {

using Complex = std::complex<float>;

inline Complex Mul(Complex a, Complex b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

bool IsPowerOfTwo(uint32_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

uint32_t NextPowerOfTwo(uint32_t n) {
    uint32_t p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

// Radix-2 transform of a fixed power-of-two length (forward sign -1) over separate real
// and imaginary arrays, with the twiddles of each stage stored contiguously so that the
// butterflies vectorise.
class Radix2 {
public:
    explicit Radix2(uint32_t n) : n_(n), reverse_(n) {
        for (uint32_t half = 1; half < n; half <<= 1)
            for (uint32_t k = 0; k < half; ++k) {
                const double a = -std::numbers::pi * k / half;
                twRe_.push_back(static_cast<float>(std::cos(a)));
                twIm_.push_back(static_cast<float>(std::sin(a)));
                twImInv_.push_back(static_cast<float>(-std::sin(a)));
            }
        uint32_t bits = 0;
        while ((1u << bits) < n)
            ++bits;
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t r = 0;
            for (uint32_t b = 0; b < bits; ++b)
                r |= ((i >> b) & 1u) << (bits - 1 - b);
            reverse_[i] = r;
        }
    }

    void Run(float* re, float* im, bool inverse) const {
        for (uint32_t i = 0; i < n_; ++i)
            if (i < reverse_[i]) {
                std::swap(re[i], re[reverse_[i]]);
                std::swap(im[i], im[reverse_[i]]);
            }
        const float* twIm = inverse ? twImInv_.data() : twIm_.data();
        for (uint32_t half = 1, offset = 0; half < n_; offset += half, half <<= 1)
            Stage(re, im, n_, half, twRe_.data() + offset, twIm + offset);
    }

    // Transforms `width` adjacent columns of rows `pitch` floats apart. Each butterfly
    // combines two row segments, so every stage runs over contiguous floats.
    void RunColumns(float* re, float* im, size_t pitch, uint32_t width, bool inverse) const {
        for (uint32_t i = 0; i < n_; ++i)
            if (i < reverse_[i]) {
                std::swap_ranges(re + i * pitch, re + i * pitch + width, re + reverse_[i] * pitch);
                std::swap_ranges(im + i * pitch, im + i * pitch + width, im + reverse_[i] * pitch);
            }
        const float* twIm = inverse ? twImInv_.data() : twIm_.data();
        uint32_t half = 1, offset = 0;
        // Two stages per pass over the strip: half the loads and stores of one at a time.
        for (; 2 * half < n_; offset += 3 * half, half <<= 2)
            for (uint32_t start = 0; start < n_; start += 4 * half)
                for (uint32_t k = 0; k < half; ++k) {
                    float* r[4];
                    float* i[4];
                    for (uint32_t q = 0; q < 4; ++q) {
                        r[q] = re + (start + k + q * half) * pitch;
                        i[q] = im + (start + k + q * half) * pitch;
                    }
                    const uint32_t next = offset + half;
                    const Twiddle first{twRe_[offset + k], twIm[offset + k]};
                    const Twiddle second[2] = {{twRe_[next + k], twIm[next + k]},
                                               {twRe_[next + k + half], twIm[next + k + half]}};
                    TwoStages(r[0], i[0], r[1], i[1], r[2], i[2], r[3], i[3], first, second[0],
                              second[1], width);
                }
        for (; half < n_; offset += half, half <<= 1)
            for (uint32_t start = 0; start < n_; start += 2 * half)
                for (uint32_t k = 0; k < half; ++k) {
                    const size_t a = (start + k) * pitch, b = (start + k + half) * pitch;
                    Butterflies(re + a, im + a, re + b, im + b, twRe_[offset + k], twIm[offset + k],
                                width);
                }
    }

private:
    struct Twiddle {
        float re, im;
    };

    // Rows a, b, c, d of a block: the first stage pairs (a, b) and (c, d), the second
    // (a, c) and (b, d).
    KX_VECTOR_CLONES static void TwoStages(float* __restrict ar, float* __restrict ai,
                                           float* __restrict br, float* __restrict bi,
                                           float* __restrict cr, float* __restrict ci,
                                           float* __restrict dr, float* __restrict di, Twiddle w1,
                                           Twiddle w2a, Twiddle w2b, uint32_t count) {
        const Twiddle w2[2] = {w2a, w2b};
        for (uint32_t x = 0; x < count; ++x) {
            const float vr = br[x] * w1.re - bi[x] * w1.im, vi = br[x] * w1.im + bi[x] * w1.re;
            const float ur = dr[x] * w1.re - di[x] * w1.im, ui = dr[x] * w1.im + di[x] * w1.re;
            const float a0r = ar[x] + vr, a0i = ai[x] + vi, b0r = ar[x] - vr, b0i = ai[x] - vi;
            const float c0r = cr[x] + ur, c0i = ci[x] + ui, d0r = cr[x] - ur, d0i = ci[x] - ui;
            const float pr = c0r * w2[0].re - c0i * w2[0].im, pi = c0r * w2[0].im + c0i * w2[0].re;
            const float qr = d0r * w2[1].re - d0i * w2[1].im, qi = d0r * w2[1].im + d0i * w2[1].re;
            ar[x] = a0r + pr;
            ai[x] = a0i + pi;
            cr[x] = a0r - pr;
            ci[x] = a0i - pi;
            br[x] = b0r + qr;
            bi[x] = b0i + qi;
            dr[x] = b0r - qr;
            di[x] = b0i - qi;
        }
    }

    KX_VECTOR_CLONES static void Butterflies(float* __restrict ar, float* __restrict ai,
                                             float* __restrict br, float* __restrict bi, float wr,
                                             float wi, uint32_t count) {
        for (uint32_t x = 0; x < count; ++x) {
            const float vr = br[x] * wr - bi[x] * wi;
            const float vi = br[x] * wi + bi[x] * wr;
            br[x] = ar[x] - vr;
            bi[x] = ai[x] - vi;
            ar[x] = ar[x] + vr;
            ai[x] = ai[x] + vi;
        }
    }

    // One stage of butterflies over the whole array.
    KX_VECTOR_CLONES static void Stage(float* re, float* im, uint32_t n, uint32_t half,
                                       const float* wr, const float* wi) {
        if (half == 1) {
            for (uint32_t s = 0; s < n; s += 2) {
                const float ar = re[s], ai = im[s], br = re[s + 1], bi = im[s + 1];
                re[s] = ar + br;
                im[s] = ai + bi;
                re[s + 1] = ar - br;
                im[s + 1] = ai - bi;
            }
            return;
        }
        for (uint32_t start = 0; start < n; start += 2 * half) {
            float* __restrict ar = re + start;
            float* __restrict ai = im + start;
            float* __restrict br = re + start + half;
            float* __restrict bi = im + start + half;
            for (uint32_t k = 0; k < half; ++k) {
                const float vr = br[k] * wr[k] - bi[k] * wi[k];
                const float vi = br[k] * wi[k] + bi[k] * wr[k];
                br[k] = ar[k] - vr;
                bi[k] = ai[k] - vi;
                ar[k] = ar[k] + vr;
                ai[k] = ai[k] + vi;
            }
        }
    }

    uint32_t n_;
    std::vector<float> twRe_, twIm_, twImInv_;
    std::vector<uint32_t> reverse_;
};

// Discrete transform of any length (unscaled); other lengths use Bluestein's method.
class Transform1D {
public:
    explicit Transform1D(uint32_t n)
        : n_(n), m_(IsPowerOfTwo(n) ? n : NextPowerOfTwo(2 * n - 1)), fft_(m_) {
        if (IsPowerOfTwo(n))
            return;
        chirp_.resize(n);
        for (uint32_t k = 0; k < n; ++k) {
            // k^2 mod 2n keeps the angle accurate for long rows.
            const uint64_t k2 = (uint64_t(k) * k) % (2ull * n);
            const double a = std::numbers::pi * static_cast<double>(k2) / n;
            chirp_[k] = Complex(static_cast<float>(std::cos(a)), static_cast<float>(-std::sin(a)));
        }
        std::vector<float> kr(m_, 0.0f), ki(m_, 0.0f);
        kr[0] = chirp_[0].real();
        ki[0] = -chirp_[0].imag();
        for (uint32_t k = 1; k < n; ++k) {
            kr[k] = kr[m_ - k] = chirp_[k].real();
            ki[k] = ki[m_ - k] = -chirp_[k].imag();
        }
        fft_.Run(kr.data(), ki.data(), false);
        kernel_.resize(m_);
        for (uint32_t k = 0; k < m_; ++k)
            kernel_[k] = Complex(kr[k], ki[k]);
        workRe_.resize(m_);
        workIm_.resize(m_);
    }

    void Run(float* re, float* im, bool inverse) {
        if (m_ == n_) {
            fft_.Run(re, im, inverse);
            return;
        }
        std::fill(workRe_.begin(), workRe_.end(), 0.0f);
        std::fill(workIm_.begin(), workIm_.end(), 0.0f);
        for (uint32_t k = 0; k < n_; ++k) {
            const Complex c = inverse ? std::conj(chirp_[k]) : chirp_[k];
            const Complex v = Mul(Complex(re[k], im[k]), c);
            workRe_[k] = v.real();
            workIm_[k] = v.imag();
        }
        fft_.Run(workRe_.data(), workIm_.data(), false);
        for (uint32_t k = 0; k < m_; ++k) {
            const Complex f = inverse ? std::conj(kernel_[(m_ - k) % m_]) : kernel_[k];
            const Complex v = Mul(Complex(workRe_[k], workIm_[k]), f);
            workRe_[k] = v.real();
            workIm_[k] = v.imag();
        }
        fft_.Run(workRe_.data(), workIm_.data(), true);
        const float scale = 1.0f / m_;
        for (uint32_t k = 0; k < n_; ++k) {
            const Complex c = inverse ? std::conj(chirp_[k]) : chirp_[k];
            const Complex v = Mul(Complex(workRe_[k], workIm_[k]), c) * scale;
            re[k] = v.real();
            im[k] = v.imag();
        }
    }

private:
    uint32_t n_, m_;
    Radix2 fft_;
    std::vector<Complex> chirp_, kernel_;
    std::vector<float> workRe_, workIm_;
};

// Transforms every column of an array of `h` rows `pitch` floats apart. Power-of-two
// heights run in strips of adjacent columns that stay in cache through all stages; other
// heights gather strips of columns into contiguous scratch rows for the chirp transform.
bool TransformColumns(float* re, float* im, uint32_t w, uint32_t h, size_t pitch, bool inverse,
                      Progress& progress) {
    constexpr uint32_t kStrip = 64;
    if (IsPowerOfTwo(h)) {
        const Radix2 plan(h);
        for (uint32_t x = 0; x < w; x += kStrip) {
            if (!progress.Step(int64_t(h) + x))
                return false;
            plan.RunColumns(re + x, im + x, pitch, std::min(kStrip, w - x), inverse);
        }
        return true;
    }
    Transform1D columns(h);
    std::vector<float> sr(size_t(kStrip) * h), si(size_t(kStrip) * h);
    for (uint32_t x0 = 0; x0 < w; x0 += kStrip) {
        if (!progress.Step(int64_t(h) + x0))
            return false;
        const uint32_t n = std::min(kStrip, w - x0);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t c = 0; c < n; ++c) {
                sr[size_t(c) * h + y] = re[y * pitch + x0 + c];
                si[size_t(c) * h + y] = im[y * pitch + x0 + c];
            }
        for (uint32_t c = 0; c < n; ++c)
            columns.Run(&sr[size_t(c) * h], &si[size_t(c) * h], inverse);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t c = 0; c < n; ++c) {
                re[y * pitch + x0 + c] = sr[size_t(c) * h + y];
                im[y * pitch + x0 + c] = si[size_t(c) * h + y];
            }
    }
    return true;
}

// Spectrum or picture values of one row as grey levels (NaN becomes 0).
KX_VECTOR_CLONES void LevelsRow(const float* v, uint8_t* out, uint32_t n, float scale,
                                float offset) {
    for (uint32_t x = 0; x < n; ++x)
        out[x] = static_cast<uint8_t>(
            static_cast<int>(std::min(255.0f, std::max(0.0f, v[x] * scale + offset)) + 0.5f));
}

std::vector<uint8_t> Levels(const KxImage& img) {
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    std::vector<uint8_t> v(size_t(w) * h);
    const bool ramp = IsGreyRamp(img);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = Row(img, y);
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t g;
            if (ramp)
                g = s[x];
            else if (bpp == 24)
                g = static_cast<uint8_t>(
                    (601 * s[3 * x + 1] + 306 * s[3 * x + 2] + 117 * s[3 * x]) >> 10);
            else
                g = KxImage::GrayLevel(img.GetPaletteColor(PackedIndex(s, x, bpp)));
            v[size_t(y) * w + x] = g;
        }
    }
    return v;
}

}  // namespace

bool FFT2(KxImage& img, KxImage* srcReal, KxImage* srcImag, KxImage* dstReal, KxImage* dstImag,
          int32_t direction, bool bForceFFT, bool bMagnitude) {
    const bool haveReal = srcReal != nullptr && srcReal->IsValid();
    const bool haveImag = srcImag != nullptr && srcImag->IsValid();
    if (!haveReal && !haveImag) {
        SetError(img, kErrorEmpty);
        return false;
    }
    if (direction != 1 && direction != -1) {
        SetError(img, kErrorParameter);
        return false;
    }
    const KxImage& first = haveReal ? *srcReal : *srcImag;
    uint32_t w = first.GetWidth(), h = first.GetHeight();
    if (haveReal && haveImag && (srcImag->GetWidth() != w || srcImag->GetHeight() != h)) {
        SetError(img, kErrorSizeMismatch);
        return false;
    }
    const bool inverse = direction == -1;
    // Force FFT: resample the inputs to powers of two.
    KxImage resizedReal, resizedImag;
    const KxImage* inReal = haveReal ? srcReal : nullptr;
    const KxImage* inImag = haveImag ? srcImag : nullptr;
    if (bForceFFT && (!IsPowerOfTwo(w) || !IsPowerOfTwo(h))) {
        const uint32_t pw = NextPowerOfTwo(w), ph = NextPowerOfTwo(h);
        if (inReal != nullptr) {
            resizedReal.Copy(*inReal);
            if (!Resample2(resizedReal, pw, ph, IM_BILINEAR, OM_REPEAT, nullptr, false)) {
                SetError(img, resizedReal.GetLastError());
                return false;
            }
            inReal = &resizedReal;
        }
        if (inImag != nullptr) {
            resizedImag.Copy(*inImag);
            if (!Resample2(resizedImag, pw, ph, IM_BILINEAR, OM_REPEAT, nullptr, false)) {
                SetError(img, resizedImag.GetLastError());
                return false;
            }
            inImag = &resizedImag;
        }
        w = pw;
        h = ph;
    }
    const size_t count = size_t(w) * h;
    if (count * sizeof(float) * 4 > 4ull * KXIMAGE_MAX_MEMORY) {
        SetError(img, "KXIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    // Rows `pitch` floats apart: off the powers of two, so the rows a column pass visits do
    // not crowd into the same cache sets.
    const size_t pitch = size_t(w) + 16;
    std::vector<float> re(pitch * h, 0.0f), im(pitch * h, 0.0f);
    {
        const float offset = inverse ? 128.0f : 0.0f;
        for (auto [in, out] : {std::pair{inReal, &re}, std::pair{inImag, &im}}) {
            if (in == nullptr)
                continue;
            const std::vector<uint8_t> v = Levels(*in);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    (*out)[y * pitch + x] = v[size_t(y) * w + x] - offset;
        }
    }
    Progress progress(img, int64_t(w) + h + 2);
    Transform1D rows(w);
    if (!inverse && inImag == nullptr && h % 2 == 0) {
        // Real rows: two at a time as the real and imaginary parts of one transform, then
        // separated through the symmetry of real spectra.
        std::vector<float> xr(w), xi(w), yr(w), yi(w);
        for (uint32_t y = 0; y < h; y += 2) {
            if ((y & 63) == 0 && !progress.Step(y))
                return false;
            float* r0 = &re[y * pitch];
            float* i0 = &im[y * pitch];
            float* r1 = &re[(y + 1) * pitch];
            float* i1 = &im[(y + 1) * pitch];
            std::copy(r1, r1 + w, i0);
            rows.Run(r0, i0, false);
            for (uint32_t k = 0; k < w; ++k) {
                const uint32_t m = k == 0 ? 0 : w - k;
                const float ar = r0[k], ai = i0[k], br = r0[m], bi = -i0[m];
                xr[k] = 0.5f * (ar + br);
                xi[k] = 0.5f * (ai + bi);
                yr[k] = 0.5f * (ai - bi);
                yi[k] = -0.5f * (ar - br);
            }
            std::copy(xr.begin(), xr.end(), r0);
            std::copy(xi.begin(), xi.end(), i0);
            std::copy(yr.begin(), yr.end(), r1);
            std::copy(yi.begin(), yi.end(), i1);
        }
    } else {
        for (uint32_t y = 0; y < h; ++y) {
            if ((y & 63) == 0 && !progress.Step(y))
                return false;
            rows.Run(&re[y * pitch], &im[y * pitch], inverse);
        }
    }
    if (!TransformColumns(re.data(), im.data(), w, h, pitch, inverse, progress))
        return false;
    const float scale = 1.0f / std::sqrt(static_cast<float>(count));
    const float outOffset = inverse ? 0.0f : 128.0f;
    KxImage outReal, outImag;
    MakeGrey(outReal, first, w, h, NewPixels::Overwritten);
    MakeGrey(outImag, first, w, h, NewPixels::Overwritten);
    if (!outReal.IsValid() || !outImag.IsValid()) {
        SetError(img, outReal.GetLastError());
        return false;
    }
    for (uint32_t y = 0; y < h; ++y) {
        const float* zr = &re[y * pitch];
        const float* zi = &im[y * pitch];
        uint8_t* r = Row(outReal, y);
        uint8_t* i = Row(outImag, y);
        if (!bMagnitude) {
            LevelsRow(zr, r, w, scale, outOffset);
            LevelsRow(zi, i, w, scale, outOffset);
            continue;
        }
        for (uint32_t x = 0; x < w; ++x) {
            const float a = zr[x] * scale, b = zi[x] * scale;
            r[x] = Clamp8f(std::sqrt(a * a + b * b));
            const float phase = std::atan2(b, a);
            i[x] = Clamp8f(
                (phase + std::numbers::pi_v<float>)*(255.0f / (2.0f * std::numbers::pi_v<float>)));
        }
    }
    KxImage* targetReal = dstReal != nullptr ? dstReal : (dstImag == nullptr ? srcReal : nullptr);
    KxImage* targetImag = dstImag != nullptr ? dstImag : (dstReal == nullptr ? srcImag : nullptr);
    if (targetReal != nullptr)
        targetReal->Transfer(outReal);
    if (targetImag != nullptr)
        targetImag->Transfer(outImag);
    progress.Finish();
    return true;
}

}  // namespace kxops
