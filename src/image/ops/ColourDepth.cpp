// Colour depth: raising and lowering bits per pixel, dithering to black and white, and the
// octree colour quantiser that builds optimised palettes.

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

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

// The standard palettes used when no palette is given.
std::vector<RGBQUAD> StandardPalette(uint32_t bpp, bool grey) {
    std::vector<RGBQUAD> pal;
    if (bpp == 1) {
        pal = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    } else if (bpp == 4) {
        if (grey) {
            for (int i = 0; i < 16; ++i)
                pal.push_back(RGBQUAD{uint8_t(i * 17), uint8_t(i * 17), uint8_t(i * 17), 0});
        } else {
            static constexpr uint8_t kVga[16][3] = {
                {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
            for (const auto& c : kVga)
                pal.push_back(RGBQUAD{c[2], c[1], c[0], 0});
        }
    } else if (grey) {
        for (int i = 0; i < 256; ++i)
            pal.push_back(RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0});
    } else {
        // A 6 x 6 x 6 colour cube and a 40-step grey ramp.
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    pal.push_back(RGBQUAD{uint8_t(b * 51), uint8_t(g * 51), uint8_t(r * 51), 0});
        for (int i = 0; i < 40; ++i) {
            const uint8_t v = static_cast<uint8_t>((i * 255 + 19) / 39);
            pal.push_back(RGBQUAD{v, v, v, 0});
        }
    }
    return pal;
}

// Error-diffusion matrices: offsets to the right on this row, then the rows below.
struct Diffusion {
    int divisor;
    int rows;                                   // rows touched including the current one
    int span;                                   // offsets -span ... +span
    std::array<std::array<int, 7>, 3> weights;  // [row][dx + 3]
};

const Diffusion& DiffusionFor(int method) {
    static const Diffusion kMatrices[] = {
        // Floyd-Steinberg
        {16, 2, 1, {{{0, 0, 0, 0, 7, 0, 0}, {0, 0, 3, 5, 1, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}}},
        // Burkes
        {32, 2, 2, {{{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 0, 0, 0, 0, 0, 0}}}},
        // Stucki
        {42, 3, 2, {{{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}}}},
        // Jarvis-Judice-Ninke
        {48, 3, 2, {{{0, 0, 0, 0, 7, 5, 0}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}}}},
        // Sierra
        {32, 3, 2, {{{0, 0, 0, 0, 5, 3, 0}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}}}},
    };
    switch (method) {
        case 2:
            return kMatrices[1];
        case 3:
            return kMatrices[2];
        case 4:
            return kMatrices[3];
        case 5:
            return kMatrices[4];
        default:
            return kMatrices[0];
    }
}

// Grey levels of a picture, top row first is not needed: rows stay bottom-up.
std::vector<uint8_t> GreyLevels(const KxImage& img) {
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    std::vector<uint8_t> grey(size_t(w) * h);
    std::array<uint8_t, 256> pal{};
    if (bpp <= 8)
        for (uint32_t i = 0; i < img.GetNumColors(); ++i)
            pal[i] = KxImage::GrayLevel(img.GetPaletteColor(static_cast<uint8_t>(i)));
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = Row(img, y);
        uint8_t* d = &grey[size_t(y) * w];
        for (uint32_t x = 0; x < w; ++x)
            d[x] = bpp == 24 ? static_cast<uint8_t>(
                                   (601 * s[3 * x + 1] + 306 * s[3 * x + 2] + 117 * s[3 * x]) >> 10)
                             : pal[PackedIndex(s, x, bpp)];
    }
    return grey;
}

// Finishes a depth change: the new picture keeps alpha, drops an alpha palette it cannot hold.
bool Commit(KxImage& img, KxImage& out) {
    const size_t plane = size_t(img.GetWidth()) * img.GetHeight();
    if (img.AlphaIsValid() && out.AlphaCreate())
        std::memcpy(out.AlphaGetPointer(), img.AlphaGetPointer(), plane);
    if (img.SelectionIsValid() && out.SelectionCreate())
        std::memcpy(out.SelectionGetPointer(), img.SelectionGetPointer(), plane);
    if (!out.AlphaPaletteIsValid())
        out.AlphaPaletteEnable(false);
    if (!img.Transfer(out))
        return false;
    img.SetProgress(100);
    return true;
}

// ---- octree quantiser --------------------------------------------------------------

class Octree {
public:
    Octree(uint32_t maxColors, uint32_t bits)
        : bits_(std::min(bits, 8u)), leafLimit_(std::max(maxColors, 16u)) {
        rootStorage_ = NewNode(0);
        root_ = rootStorage_.get();
    }

    void Add(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        Node* node = root_;
        for (uint32_t level = 0; !node->leaf; ++level) {
            const int shift = 7 - static_cast<int>(level);
            const int index =
                (((r >> shift) & 1) << 2) | (((g >> shift) & 1) << 1) | ((b >> shift) & 1);
            if (!node->child[index])
                node->child[index] = NewNode(level + 1);
            node = node->child[index].get();
        }
        ++node->count;
        node->sum[0] += r;
        node->sum[1] += g;
        node->sum[2] += b;
        node->sum[3] += a;
        while (leaves_ > leafLimit_)
            Reduce();
    }

    std::vector<RGBQUAD> Palette(uint32_t maxColors) const {
        std::vector<const Node*> leaves;
        Collect(root_, leaves);
        std::vector<RGBQUAD> pal;
        auto average = [](uint64_t count, const uint64_t* sum) {
            if (count == 0)
                return RGBQUAD{0, 0, 0, 0};
            return RGBQUAD{uint8_t(sum[2] / count), uint8_t(sum[1] / count),
                           uint8_t(sum[0] / count), uint8_t(sum[3] / count)};
        };
        const size_t n = leaves.size();
        if (maxColors >= 16 || n <= maxColors) {
            for (const Node* leaf : leaves)
                pal.push_back(average(leaf->count, leaf->sum));
            return pal;
        }
        for (uint32_t c = 0; c < maxColors; ++c) {
            uint64_t count = 0, sum[4] = {0, 0, 0, 0};
            for (size_t i = c * n / maxColors; i <= (c + 1) * n / maxColors - 1; ++i) {
                count += leaves[i]->count;
                for (int k = 0; k < 4; ++k)
                    sum[k] += leaves[i]->sum[k];
            }
            pal.push_back(average(count, sum));
        }
        return pal;
    }

private:
    struct Node {
        bool leaf = false;
        uint64_t count = 0;
        uint64_t sum[4] = {0, 0, 0, 0};
        std::unique_ptr<Node> child[8];
    };

    std::unique_ptr<Node> NewNode(uint32_t level) {
        auto node = std::make_unique<Node>();
        if (level == bits_) {
            node->leaf = true;
            ++leaves_;
        } else {
            reducible_[level].insert(reducible_[level].begin(), node.get());
        }
        return node;
    }

    void Reduce() {
        int level = static_cast<int>(bits_) - 1;
        while (level > 0 && reducible_[level].empty())
            --level;
        if (reducible_[level].empty())
            return;
        Node* node = reducible_[level].front();
        reducible_[level].erase(reducible_[level].begin());
        int children = 0;
        for (auto& c : node->child) {
            if (!c)
                continue;
            node->count += c->count;
            for (int k = 0; k < 4; ++k)
                node->sum[k] += c->sum[k];
            c.reset();
            ++children;
        }
        node->leaf = true;
        leaves_ -= children - 1;
    }

    static void Collect(const Node* node, std::vector<const Node*>& out) {
        if (node->leaf) {
            out.push_back(node);
            return;
        }
        for (const auto& c : node->child)
            if (c)
                Collect(c.get(), out);
    }

    uint32_t bits_;
    uint32_t leafLimit_;
    uint32_t leaves_ = 0;
    std::unique_ptr<Node> rootStorage_;  // children are owned by their parents
    Node* root_ = nullptr;
    // Nodes that may still be folded, per level, newest first.
    std::array<std::vector<Node*>, 9> reducible_;
};

}  // namespace

bool OctreeQuantize(const KxImage& img, uint32_t maxColors, uint32_t colorBits,
                    std::vector<RGBQUAD>& palette) {
    palette.clear();
    if (!img.IsValid() || maxColors == 0 || colorBits == 0)
        return false;
    Octree tree(maxColors, colorBits);
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    const RGBQUAD* pal = img.GetPalette();
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = Row(img, y);
        const uint8_t* a = AlphaRow(img, y);
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t alpha = a != nullptr ? a[x] : 255;
            if (bpp == 24) {
                tree.Add(s[3 * x + 2], s[3 * x + 1], s[3 * x], alpha);
            } else {
                const RGBQUAD& c = pal[PackedIndex(s, x, bpp)];
                tree.Add(c.rgbRed, c.rgbGreen, c.rgbBlue, alpha);
            }
        }
    }
    palette = tree.Palette(maxColors);
    return !palette.empty();
}

bool IncreaseBpp(KxImage& img, uint32_t nbit) {
    if (!CheckValid(img))
        return false;
    const uint32_t bpp = img.GetBpp();
    if (nbit != 4 && nbit != 8 && nbit != 24) {
        SetError(img, "IncreaseBpp: target must be 4, 8 or 24 bits");
        return false;
    }
    if (nbit < bpp) {
        SetError(img, "IncreaseBpp: target BPP lower than source BPP");
        return false;
    }
    if (nbit == bpp) {
        img.SetProgress(100);
        return true;
    }
    KxImage out;
    if (nbit == 24) {
        if (!ExpandTo24(img, out)) {
            SetError(img, out.GetLastError());
            return false;
        }
        img.Transfer(out);
        img.SetProgress(100);
        return true;
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    if (!MakeLike(out, img, w, h, nbit)) {
        SetError(img, out.GetLastError());
        return false;
    }
    out.SetPalette(img.GetPalette(), img.GetNumColors());
    Progress progress(img, h);
    for (uint32_t y = 0; y < h; ++y) {
        if (!progress.Step(y))
            return false;
        for (uint32_t x = 0; x < w; ++x)
            SetPackedIndex(Row(out, y), x, nbit, PackedIndex(Row(img, y), x, bpp));
    }
    return Commit(img, out);
}

bool DecreaseBpp(KxImage& img, uint32_t nbit, bool errordiffusion, const RGBQUAD* ppal,
                 uint32_t clrimportant) {
    if (!CheckValid(img))
        return false;
    const uint32_t bpp = img.GetBpp();
    if (nbit != 1 && nbit != 4 && nbit != 8) {
        SetError(img, "DecreaseBpp: target must be 1, 4 or 8 bits");
        return false;
    }
    if (nbit > bpp) {
        SetError(img, "DecreaseBpp: target BPP greater than source BPP");
        return false;
    }
    const uint32_t maxEntries = 1u << nbit;
    std::vector<RGBQUAD> palette;
    if (ppal != nullptr) {
        const uint32_t n = clrimportant == 0 ? maxEntries : std::min(clrimportant, maxEntries);
        palette.assign(ppal, ppal + n);
    } else {
        palette = StandardPalette(nbit, img.IsGrayScale());
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    KxImage out;
    if (!MakeLike(out, img, w, h, nbit)) {
        SetError(img, out.GetLastError());
        return false;
    }
    std::vector<RGBQUAD> full(maxEntries, RGBQUAD{0, 0, 0, 0});
    std::copy(palette.begin(), palette.end(), full.begin());
    out.SetPalette(full.data(), maxEntries);
    out.SetTransIndex(-1);
    NearestIndex nearest(palette.data(), static_cast<uint32_t>(palette.size()));
    const RGBQUAD* srcPal = img.GetPalette();
    // Error rows (r, g, b per pixel, with a margin) for the diffusion.
    std::vector<int> errThis(size_t(w + 2) * 3, 0), errNext(size_t(w + 2) * 3, 0);
    Progress progress(img, h);
    // Diffusion runs from the top row down, as the picture is seen.
    for (uint32_t step = 0; step < h; ++step) {
        if (!progress.Step(step))
            return false;
        const uint32_t y = h - 1 - step;
        const uint8_t* s = Row(img, y);
        uint8_t* d = Row(out, y);
        for (uint32_t x = 0; x < w; ++x) {
            int r, g, b;
            if (bpp == 24) {
                b = s[3 * x];
                g = s[3 * x + 1];
                r = s[3 * x + 2];
            } else {
                const RGBQUAD& c = srcPal[PackedIndex(s, x, bpp)];
                b = c.rgbBlue;
                g = c.rgbGreen;
                r = c.rgbRed;
            }
            if (errordiffusion) {
                int* e = &errThis[size_t(x + 1) * 3];
                r = Clamp8(r + e[0] / 16);
                g = Clamp8(g + e[1] / 16);
                b = Clamp8(b + e[2] / 16);
            }
            const uint8_t index = nearest(uint8_t(r), uint8_t(g), uint8_t(b));
            SetPackedIndex(d, x, nbit, index);
            if (errordiffusion) {
                const RGBQUAD& q = palette[index];
                const int er = r - q.rgbRed, eg = g - q.rgbGreen, eb = b - q.rgbBlue;
                const int errors[3] = {er, eg, eb};
                for (int c = 0; c < 3; ++c) {
                    errThis[size_t(x + 2) * 3 + c] += errors[c] * 7;
                    errNext[size_t(x) * 3 + c] += errors[c] * 3;
                    errNext[size_t(x + 1) * 3 + c] += errors[c] * 5;
                    errNext[size_t(x + 2) * 3 + c] += errors[c] * 1;
                }
            }
        }
        if (errordiffusion) {
            std::swap(errThis, errNext);
            std::fill(errNext.begin(), errNext.end(), 0);
        }
    }
    return Commit(img, out);
}

bool Dither(KxImage& img, int32_t method) {
    if (!CheckValid(img))
        return false;
    if (method < 0 || method > 7) {
        SetError(img, kErrorParameter);
        return false;
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    const std::vector<uint8_t> grey = GreyLevels(img);
    KxImage out;
    if (!MakeLike(out, img, w, h, 1)) {
        SetError(img, out.GetLastError());
        return false;
    }
    out.SetPaletteColor(0, RGBQUAD{0, 0, 0, 0});
    out.SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
    out.SetTransIndex(-1);
    Progress progress(img, h);
    if (method == 1 || method == 7) {
        // Ordered dither with a Bayer matrix: 8 x 8 for "Ordered dither", 4 x 4 for method 7.
        static constexpr uint8_t kBayer8[8][8] = {
            {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
            {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
            {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
            {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
        static constexpr uint8_t kBayer4[4][4] = {
            {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
        for (uint32_t y = 0; y < h; ++y) {
            if (!progress.Step(y))
                return false;
            const uint32_t ty = h - 1 - y;
            for (uint32_t x = 0; x < w; ++x) {
                const int threshold = method == 1 ? (kBayer8[ty % 8][x % 8] * 4 + 2)
                                                  : (kBayer4[ty % 4][x % 4] * 16 + 8);
                SetPackedIndex(Row(out, y), x, 1, grey[size_t(y) * w + x] > threshold ? 1 : 0);
            }
        }
        return Commit(img, out);
    }
    // Error diffusion, serpentine for Stevenson-Arce which spreads over alternate pixels.
    std::vector<std::vector<int>> err(4, std::vector<int>(w + 8, 0));
    for (uint32_t step = 0; step < h; ++step) {
        if (!progress.Step(step))
            return false;
        const uint32_t y = h - 1 - step;
        for (uint32_t x = 0; x < w; ++x) {
            const int v = grey[size_t(y) * w + x] + err[0][x + 4];
            const int q = v > 127 ? 255 : 0;
            SetPackedIndex(Row(out, y), x, 1, q ? 1 : 0);
            const int e = v - q;
            if (method == 6) {
                // Stevenson-Arce (divisor 200).
                static constexpr int kRows[4][7] = {{0, 0, 0, 0, 0, 32, 0},
                                                    {12, 0, 26, 0, 30, 0, 16},
                                                    {0, 12, 0, 26, 0, 12, 0},
                                                    {5, 0, 12, 0, 12, 0, 5}};
                for (int r = 0; r < 4; ++r)
                    for (int k = 0; k < 7; ++k)
                        if (kRows[r][k] != 0 && (r != 0 || k > 3))
                            err[r][x + 4 + (k - 3)] += e * kRows[r][k] / 200;
            } else {
                const Diffusion& m = DiffusionFor(method);
                for (int r = 0; r < m.rows; ++r)
                    for (int k = 0; k < 7; ++k)
                        if (m.weights[r][k] != 0)
                            err[r][x + 4 + (k - 3)] += e * m.weights[r][k] / m.divisor;
            }
        }
        std::rotate(err.begin(), err.begin() + 1, err.end());
        std::fill(err.back().begin(), err.back().end(), 0);
    }
    return Commit(img, out);
}

}  // namespace kxops
