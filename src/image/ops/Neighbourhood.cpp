// Neighbourhood filters. They run in place over a ring of copies of the source rows still
// needed, so memory stays small and a cancelled run leaves whole filtered rows only. Rows
// are split over two threads; the rows each band borrows from the other are copied first,
// so the result does not depend on the number of threads.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/ops/ColourSpaces.h"
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

// Computes one output row from rows[0 .. below+above] (source rows y-below ... y+above, each
// pointing at pixel 0 of a row padded by `pad` replicated pixels on both sides).
using RowKernel =
    std::function<void(const uint8_t* const* rows, uint8_t* out, uint32_t w, uint32_t y)>;

struct Window {
    int below, above, pad;
};

// Each worker thread makes its own kernel, so kernels may keep scratch buffers.
using KernelFactory = std::function<RowKernel(int channels)>;

bool RunWindow(KxImage& img, const Window& win, const KernelFactory& makeKernel) {
    const int ch = DirectChannels(img);
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    const size_t rowBytes = size_t(w) * ch, padded = size_t(w + 2 * win.pad) * ch;
    const unsigned threads = ThreadsFor(uint64_t(w) * h);
    const uint32_t split = threads > 1 ? h / 2 : h;

    // Rows a band reads but the other band writes.
    auto clampRow = [&](int64_t r) {
        return static_cast<uint32_t>(std::clamp<int64_t>(r, 0, h - 1));
    };
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> halo;
    if (threads > 1) {
        for (int64_t r = int64_t(split) - win.below; r < int64_t(split) + win.above; ++r) {
            const uint32_t cr = clampRow(r);
            halo.emplace_back(cr, std::vector<uint8_t>(Row(img, cr), Row(img, cr) + rowBytes));
        }
    }
    auto fill = [&](uint8_t* dst, const uint8_t* src) {
        std::memcpy(dst + size_t(win.pad) * ch, src, rowBytes);
        for (int p = 0; p < win.pad; ++p) {
            std::memcpy(dst + size_t(p) * ch, src, ch);
            std::memcpy(dst + size_t(win.pad + w + p) * ch, src + rowBytes - ch, ch);
        }
    };
    return ForRows(img, h, threads, [&](uint32_t b, uint32_t e, RowGate& gate) {
        const RowKernel kernel = makeKernel(ch);
        const int n = win.below + win.above + 1;
        std::vector<uint8_t> ring(padded * n);
        std::vector<int64_t> keys(n, -1);
        std::vector<const uint8_t*> rows(n);
        std::vector<uint8_t> out(rowBytes);
        auto load = [&](uint32_t r) -> const uint8_t* {
            const int slot = static_cast<int>(r % n);
            uint8_t* dst = &ring[padded * slot];
            if (keys[slot] != r) {
                const uint8_t* src = Row(img, r);
                if (r < b || r >= e)
                    for (auto& [row, bytes] : halo)
                        if (row == r)
                            src = bytes.data();
                fill(dst, src);
                keys[slot] = r;
            }
            return dst + size_t(win.pad) * ch;
        };
        // Rows are loaded from the top of the window down so that a slot is never reused
        // while the current row still needs it.
        for (uint32_t y = b; y < e; ++y) {
            if (!gate.Pass(y))
                return false;
            for (int i = n - 1; i >= 0; --i)
                rows[i] = load(clampRow(int64_t(y) - win.below + i));
            // The window holds copies, so the row itself can take the result.
            uint8_t* dst = Row(img, y);
            const uint8_t* mask = SelectionRow(img, y);
            kernel(rows.data(), mask == nullptr ? dst : out.data(), w, y);
            if (mask != nullptr) {
                for (uint32_t x = 0; x < w; ++x)
                    if (mask[x] != 0)
                        std::memcpy(dst + size_t(x) * ch, &out[size_t(x) * ch], ch);
            }
        }
        return true;
    });
}

// One pass of a windowed filter over any picture (palette pictures via 24 bits).
bool Windowed(KxImage& img, const Window& win, const KernelFactory& makeKernel) {
    if (!CheckValid(img))
        return false;
    return OnDirectPixels(img, [&](KxImage& work) { return RunWindow(work, win, makeKernel); });
}

KX_VECTOR_CLONES void AccumulateTap(int32_t* acc, const uint8_t* src, int32_t weight, size_t n) {
    for (size_t i = 0; i < n; ++i)
        acc[i] += weight * src[i];
}

KX_VECTOR_CLONES void FinishFilter(const int32_t* acc, uint8_t* out, size_t n, float inv, float eps,
                                   int32_t offset) {
    for (size_t i = 0; i < n; ++i) {
        const float t = acc[i] * inv;
        const int32_t q = static_cast<int32_t>(t + (t >= 0 ? eps : -eps)) + offset;
        out[i] = static_cast<uint8_t>(q < 0 ? 0 : (q > 255 ? 255 : q));
    }
}

KX_VECTOR_CLONES void MinRows(uint8_t* acc, const uint8_t* src, size_t n, bool takeMax) {
    if (takeMax)
        for (size_t i = 0; i < n; ++i)
            acc[i] = std::max(acc[i], src[i]);
    else
        for (size_t i = 0; i < n; ++i)
            acc[i] = std::min(acc[i], src[i]);
}

KX_VECTOR_CLONES void Extreme3(const uint8_t* a, const uint8_t* b, const uint8_t* c, uint8_t* out,
                               size_t n, bool takeMax) {
    if (takeMax)
        for (size_t i = 0; i < n; ++i)
            out[i] = std::max(std::max(a[i], b[i]), c[i]);
    else
        for (size_t i = 0; i < n; ++i)
            out[i] = std::min(std::min(a[i], b[i]), c[i]);
}

// Min or max over the window: vertical over the rows (including the padding), then
// horizontal over the shifted row.
void Extremum(const uint8_t* const* rows, int n, int pad, int ch, int left, int right, uint32_t w,
              bool takeMax, uint8_t* scratch, uint8_t* out) {
    const size_t padded = size_t(w + 2 * pad) * ch;
    if (n == 3 && left == -1 && right == 1) {
        Extreme3(rows[0] - size_t(pad) * ch, rows[1] - size_t(pad) * ch, rows[2] - size_t(pad) * ch,
                 scratch, padded, takeMax);
        const uint8_t* centre = scratch + size_t(pad) * ch;
        Extreme3(centre - ch, centre, centre + ch, out, size_t(w) * ch, takeMax);
        return;
    }
    std::memcpy(scratch, rows[0] - size_t(pad) * ch, padded);
    for (int i = 1; i < n; ++i)
        MinRows(scratch, rows[i] - size_t(pad) * ch, padded, takeMax);
    const uint8_t* centre = scratch + size_t(pad) * ch;
    std::memcpy(out, centre + ptrdiff_t(left) * ch, size_t(w) * ch);
    for (int dx = left + 1; dx <= right; ++dx)
        MinRows(out, centre + ptrdiff_t(dx) * ch, size_t(w) * ch, takeMax);
}

bool Morphology(KxImage& img, int32_t ksize, int mode /*0 erode, 1 dilate, 2 edge, 3 contour*/) {
    if (!CheckValid(img))
        return false;
    if (ksize < 1 || ksize > 255) {
        SetError(img, kErrorParameter);
        return false;
    }
    const int k2 = ksize / 2, right = ksize - k2 - 1;
    const Window win{k2, right, std::max(k2, right)};
    return Windowed(img, win, [=](int ch) -> RowKernel {
        auto scratch = std::make_shared<std::vector<uint8_t>>();
        auto other = std::make_shared<std::vector<uint8_t>>();
        return [=](const uint8_t* const* rows, uint8_t* out, uint32_t w, uint32_t) {
            scratch->resize(size_t(w + 2 * win.pad) * ch);
            const int n = win.below + win.above + 1;
            if (mode < 2) {
                Extremum(rows, n, win.pad, ch, -k2, right, w, mode == 1, scratch->data(), out);
                return;
            }
            other->resize(size_t(w) * ch);
            Extremum(rows, n, win.pad, ch, -k2, right, w, true, scratch->data(), out);
            Extremum(rows, n, win.pad, ch, -k2, right, w, false, scratch->data(), other->data());
            for (size_t i = 0; i < size_t(w) * ch; ++i) {
                const int d = out[i] - (*other)[i];
                out[i] = static_cast<uint8_t>(mode == 2 ? d : 255 - d);
            }
        };
    });
}

inline void Sort2(uint8_t& a, uint8_t& b) {
    const uint8_t lo = std::min(a, b), hi = std::max(a, b);
    a = lo;
    b = hi;
}

inline uint8_t Median3(uint8_t a, uint8_t b, uint8_t c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// Median of 3 x 3 windows. Each column of three is sorted once and shared by the three
// windows that contain it; the median of nine is then the median of the largest column
// minimum, the median of the column medians and the smallest column maximum. That is
// 18 minimum/maximum steps per byte instead of the 38 of a full sorting network.
template <int CH>
KX_VECTOR_CLONES void Median9Row(const uint8_t* r0, const uint8_t* r1, const uint8_t* r2,
                                 uint8_t* __restrict out, size_t n) {
    constexpr size_t kChunk = 1024;
    uint8_t lo[kChunk + 2 * CH], mid[kChunk + 2 * CH], hi[kChunk + 2 * CH];
    for (size_t start = 0; start < n; start += kChunk) {
        const size_t len = std::min(kChunk, n - start);
        // Columns from one pixel left of the chunk to one pixel right of it (rows are padded).
        const uint8_t *a = r0 + start - CH, *b = r1 + start - CH, *c = r2 + start - CH;
        for (size_t j = 0; j < len + 2 * CH; ++j) {
            uint8_t p = a[j], q = b[j], r = c[j];
            Sort2(p, q);
            Sort2(q, r);
            Sort2(p, q);
            lo[j] = p;
            mid[j] = q;
            hi[j] = r;
        }
        uint8_t* o = out + start;
        for (size_t j = 0; j < len; ++j) {
            const uint8_t maxLo = std::max({lo[j], lo[j + CH], lo[j + 2 * CH]});
            const uint8_t minHi = std::min({hi[j], hi[j + CH], hi[j + 2 * CH]});
            const uint8_t midMid = Median3(mid[j], mid[j + CH], mid[j + 2 * CH]);
            o[j] = Median3(maxLo, midMid, minHi);
        }
    }
}

}  // namespace

bool Filter(KxImage& img, const int32_t* kernel, int32_t Ksize, int32_t Kfactor, int32_t Koffset) {
    if (!CheckValid(img))
        return false;
    if (kernel == nullptr || (Ksize != 3 && Ksize != 5)) {
        SetError(img, kErrorParameter);
        return false;
    }
    struct Tap {
        int row, dx;
        int32_t weight;
    };
    const int k2 = Ksize / 2;
    std::vector<Tap> taps;
    for (int r = 0; r < Ksize; ++r)
        for (int c = 0; c < Ksize; ++c)
            if (kernel[r * Ksize + c] != 0)
                // Kernel rows run from the top; row index 0 of the window is the lowest row.
                taps.push_back({Ksize - 1 - r, c - k2, kernel[r * Ksize + c]});
    const int32_t divisor = Kfactor == 0 ? 1 : Kfactor;
    const float inv = 1.0f / divisor;
    const float eps = divisor == 1 || divisor == -1 ? 0.0f : 0.5f / std::abs(divisor);
    const Window win{k2, k2, k2};
    return Windowed(img, win, [=](int ch) -> RowKernel {
        auto acc = std::make_shared<std::vector<int32_t>>();
        return [=](const uint8_t* const* rows, uint8_t* out, uint32_t w, uint32_t) {
            const size_t n = size_t(w) * ch;
            acc->assign(n, 0);
            for (const Tap& t : taps)
                AccumulateTap(acc->data(), rows[t.row] + ptrdiff_t(t.dx) * ch, t.weight, n);
            FinishFilter(acc->data(), out, n, inv, eps, Koffset);
        };
    });
}

bool Erode(KxImage& img, int32_t Ksize) {
    return Morphology(img, Ksize, 0);
}

bool Dilate(KxImage& img, int32_t Ksize) {
    return Morphology(img, Ksize, 1);
}

bool Edge(KxImage& img, int32_t Ksize) {
    return Morphology(img, Ksize, 2);
}

bool Contour(KxImage& img) {
    return Morphology(img, 3, 3);
}

bool Median(KxImage& img, int32_t Ksize) {
    if (!CheckValid(img))
        return false;
    if (Ksize < 1 || Ksize > 255) {
        SetError(img, kErrorParameter);
        return false;
    }
    const int k2 = Ksize / 2, right = Ksize - k2 - 1;
    const Window win{k2, right, std::max(k2, right)};
    if (Ksize == 3)
        return Windowed(img, win, [](int ch) -> RowKernel {
            return [ch](const uint8_t* const* rows, uint8_t* out, uint32_t w, uint32_t) {
                if (ch == 3)
                    Median9Row<3>(rows[0], rows[1], rows[2], out, size_t(w) * 3);
                else
                    Median9Row<1>(rows[0], rows[1], rows[2], out, size_t(w));
            };
        });
    // Larger windows: a histogram per channel slides along the row.
    return Windowed(img, win, [=](int ch) -> RowKernel {
        return [=](const uint8_t* const* rows, uint8_t* out, uint32_t w, uint32_t) {
            const int n = win.below + win.above + 1;
            const int half = (n * Ksize) / 2;
            for (int c = 0; c < ch; ++c) {
                int hist[256] = {};
                for (int i = 0; i < n; ++i)
                    for (int dx = -k2; dx <= right; ++dx)
                        ++hist[rows[i][dx * ch + c]];
                for (uint32_t x = 0; x < w; ++x) {
                    if (x > 0)
                        for (int i = 0; i < n; ++i) {
                            --hist[rows[i][(int64_t(x) - 1 - k2) * ch + c]];
                            ++hist[rows[i][(int64_t(x) + right) * ch + c]];
                        }
                    int acc = 0, v = 0;
                    while (acc + hist[v] <= half)
                        acc += hist[v++];
                    out[size_t(x) * ch + c] = static_cast<uint8_t>(v);
                }
            }
        };
    });
}

bool Noise(KxImage& img, int32_t level) {
    if (!CheckValid(img))
        return false;
    if (level < 0 || level > 1024) {
        SetError(img, kErrorParameter);
        return false;
    }
    const Window win{0, 0, 0};
    return Windowed(img, win, [=](int ch) -> RowKernel {
        return [=](const uint8_t* const* rows, uint8_t* out, uint32_t w, uint32_t y) {
            Random random(y);
            for (uint32_t x = 0; x < w; ++x) {
                const int n = level == 0 ? 0 : random.Range(-level / 2, level / 2);
                for (int c = 0; c < ch; ++c)
                    out[size_t(x) * ch + c] = Clamp8(rows[0][size_t(x) * ch + c] + n);
            }
        };
    });
}

bool Jitter(KxImage& img, int32_t radius) {
    if (!CheckValid(img))
        return false;
    if (radius < 0 || radius > 255) {
        SetError(img, kErrorParameter);
        return false;
    }
    const Window win{radius, radius, radius};
    return Windowed(img, win, [=](int ch) -> RowKernel {
        return [=](const uint8_t* const* rows, uint8_t* out, uint32_t w, uint32_t y) {
            Random random(y);
            for (uint32_t x = 0; x < w; ++x) {
                const int dx = random.Range(-radius, radius), dy = random.Range(-radius, radius);
                std::memcpy(out + size_t(x) * ch, rows[radius + dy] + (int64_t(x) + dx) * ch, ch);
            }
        };
    });
}

bool Repair(KxImage& img, float radius, int32_t niterations, int32_t colorspace) {
    if (!CheckValid(img))
        return false;
    if (!std::isfinite(radius) || radius < 0 || niterations < 1 || niterations > 1000 ||
        colorspace < 0 || colorspace > 4) {
        SetError(img, kErrorParameter);
        return false;
    }
    return OnDirectPixels(img, [&](KxImage& work) {
        const int ch = DirectChannels(work);
        const uint32_t w = work.GetWidth(), h = work.GetHeight();
        const size_t plane = size_t(w) * h;
        std::vector<float> planes(plane * ch);
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* p = Row(work, y);
            for (uint32_t x = 0; x < w; ++x) {
                const size_t i = size_t(y) * w + x;
                if (ch == 1) {
                    planes[i] = p[x];
                } else {
                    const Triple t = ToSpace(colorspace, p[3 * x + 2], p[3 * x + 1], p[3 * x]);
                    planes[i] = t.a;
                    planes[plane + i] = t.b;
                    planes[2 * plane + i] = t.c;
                }
            }
        }
        Progress progress(img, int64_t(niterations) * ch * h);
        std::vector<float> next(plane);
        int64_t step = 0;
        for (int it = 0; it < niterations; ++it) {
            for (int c = 0; c < ch; ++c) {
                float* I = &planes[plane * c];
                auto at = [&](int64_t x, int64_t y) {
                    x = std::clamp<int64_t>(x, 0, w - 1);
                    y = std::clamp<int64_t>(y, 0, h - 1);
                    return I[size_t(y) * w + x];
                };
                for (uint32_t y = 0; y < h; ++y) {
                    if (!progress.Step(step++))
                        return false;
                    for (uint32_t x = 0; x < w; ++x) {
                        // Level-set curvature flow: smooths along edges, not across them.
                        const float v = at(x, y);
                        const float ix = (at(x + 1, y) - at(x - 1, y)) * 0.5f;
                        const float iy = (at(x, y + 1) - at(x, y - 1)) * 0.5f;
                        const float ixx = at(x + 1, y) - 2 * v + at(x - 1, y);
                        const float iyy = at(x, y + 1) - 2 * v + at(x, y - 1);
                        const float ixy = (at(x + 1, y + 1) - at(x - 1, y + 1) - at(x + 1, y - 1) +
                                           at(x - 1, y - 1)) *
                                          0.25f;
                        const float den = ix * ix + iy * iy;
                        float nv = v;
                        if (den > 1e-6f)
                            nv +=
                                radius * (ixx * iy * iy - 2 * ix * iy * ixy + iyy * ix * ix) / den;
                        next[size_t(y) * w + x] = std::clamp(nv, 0.0f, 255.0f);
                    }
                }
                std::copy(next.begin(), next.end(), I);
            }
        }
        for (uint32_t y = 0; y < h; ++y) {
            uint8_t* p = Row(work, y);
            const uint8_t* mask = SelectionRow(work, y);
            for (uint32_t x = 0; x < w; ++x) {
                if (mask != nullptr && mask[x] == 0)
                    continue;
                const size_t i = size_t(y) * w + x;
                if (ch == 1) {
                    p[x] = Clamp8f(planes[i]);
                } else {
                    const Triple t =
                        FromSpace(colorspace, Clamp8f(planes[i]), Clamp8f(planes[plane + i]),
                                  Clamp8f(planes[2 * plane + i]));
                    p[3 * x] = t.c;
                    p[3 * x + 1] = t.b;
                    p[3 * x + 2] = t.a;
                }
            }
        }
        progress.Finish();
        return true;
    });
}

}  // namespace kxops
