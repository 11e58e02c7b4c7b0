#include "image/ops/OpsInternal.h"

#include <cstdlib>
#include <cstring>
#include <thread>

namespace kxops::detail {

namespace {

// The last-error field is written through KxImage's protected SetError; naming the member
// through a derived class is the one access path the class leaves to helpers.
struct ErrorWriter : KxImage {
    static void Write(KxImage& img, const char* text) { (img.*(&ErrorWriter::SetError))(text); }
};

}  // namespace

void SetError(KxImage& img, const char* text) {
    // The text may be the picture's own last error (or another's that is about to change).
    const std::string copy = text != nullptr ? text : "";
    ErrorWriter::Write(img, copy.c_str());
}

Progress::Progress(KxImage& img, int64_t total, int32_t from, int32_t to)
    : img_(img), total_(std::max<int64_t>(total, 1)), from_(from), to_(to) {
    img_.SetProgress(from_);
}

bool Progress::Step(int64_t done) {
    if (img_.GetEscape() != 0) {
        SetError(img_, kErrorCancelled);
        return false;
    }
    const int32_t p = from_ + static_cast<int32_t>((to_ - from_) * std::min(done, total_) / total_);
    if (p != last_) {
        last_ = p;
        img_.SetProgress(p);
    }
    return true;
}

bool RowGate::Pass(uint32_t y) {
    if (img_.GetEscape() != 0)
        return false;
    if (reports_) {
        const int32_t p = static_cast<int32_t>(100ull * (y - begin_) / std::max(1u, end_ - begin_));
        if (p != last_) {
            last_ = p;
            img_.SetProgress(p);
        }
    }
    return true;
}

unsigned ThreadsFor(uint64_t pixels) {
    if (pixels < (1u << 18))
        return 1;
    unsigned wanted = 2;
    if (const char* env = std::getenv("KORVEL_IMAGE_THREADS"); env != nullptr) {
        const int v = std::atoi(env);
        wanted = v < 1 ? 1 : static_cast<unsigned>(v);
    }
    const unsigned hw = std::max(1u, std::thread::hardware_concurrency());
    return std::min({wanted, hw, 2u});
}

bool ForRows(KxImage& progressImg, uint32_t rows, unsigned threads, const RowJob& job) {
    progressImg.SetProgress(0);
    threads = std::max(1u, std::min(threads, rows));
    bool ok = true;
    if (threads == 1) {
        RowGate gate(progressImg, 0, rows, true);
        ok = job(0, rows, gate);
    } else {
        const uint32_t split = rows / 2;
        bool second = true;
        std::thread helper([&] {
            RowGate gate(progressImg, split, rows, false);
            second = job(split, rows, gate);
        });
        RowGate gate(progressImg, 0, split, true);
        ok = job(0, split, gate);
        helper.join();
        ok = ok && second;
    }
    if (!ok) {
        SetError(progressImg, kErrorCancelled);
        return false;
    }
    progressImg.SetProgress(100);
    return true;
}

bool IsGreyRamp(const KxImage& img) {
    if (!img.IsValid() || img.GetBpp() != 8)
        return false;
    const RGBQUAD* pal = img.GetPalette();
    for (int i = 0; i < 256; ++i)
        if (pal[i].rgbRed != i || pal[i].rgbGreen != i || pal[i].rgbBlue != i)
            return false;
    return true;
}

int DirectChannels(const KxImage& img) {
    if (!img.IsValid())
        return 0;
    if (img.GetBpp() == 24)
        return 3;
    return IsGreyRamp(img) ? 1 : 0;
}

bool MakeLike(KxImage& dst, const KxImage& src, uint32_t width, uint32_t height, uint32_t bpp,
              NewPixels pixels) {
    if (!dst.Destroy())
        return false;
    dst.CopyInfo(src);
    uint8_t* const block = pixels == NewPixels::Cleared
                               ? dst.Create(width, height, bpp, src.GetType())
                               : dst.CreateForOverwrite(width, height, bpp, src.GetType());
    if (block == nullptr)
        return false;
    if (bpp == src.GetBpp() && bpp <= 8)
        dst.SetPalette(src.GetPalette(), src.GetNumColors());
    dst.SetProgress(0);
    dst.SetEscape(0);
    return true;
}

void MakeGrey(KxImage& dst, const KxImage& like, uint32_t width, uint32_t height,
              NewPixels pixels) {
    if (MakeLike(dst, like, width, height, 8, pixels))
        dst.SetGrayPalette();
    dst.SetTransIndex(-1);
}

bool ExpandTo24(const KxImage& src, KxImage& dst) {
    if (!src.IsValid())
        return false;
    const uint32_t w = src.GetWidth(), h = src.GetHeight(), bpp = src.GetBpp();
    if (!MakeLike(dst, src, w, h, 24, NewPixels::Overwritten))
        return false;
    dst.SetTransIndex(-1);
    if (bpp == 24) {
        for (uint32_t y = 0; y < h; ++y)
            std::memcpy(Row(dst, y), Row(src, y), static_cast<size_t>(w) * 3);
    } else {
        const RGBQUAD* pal = src.GetPalette();
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* s = Row(src, y);
            uint8_t* d = Row(dst, y);
            for (uint32_t x = 0; x < w; ++x, d += 3) {
                const RGBQUAD& c = pal[PackedIndex(s, x, bpp)];
                d[0] = c.rgbBlue;
                d[1] = c.rgbGreen;
                d[2] = c.rgbRed;
            }
        }
    }
    const size_t plane = static_cast<size_t>(w) * h;
    if (src.SelectionIsValid() && dst.SelectionCreate())
        std::memcpy(dst.SelectionGetPointer(), src.SelectionGetPointer(), plane);
    if (src.AlphaIsValid()) {
        if (dst.AlphaCreate())
            std::memcpy(dst.AlphaGetPointer(), src.AlphaGetPointer(), plane);
    } else if (bpp <= 8 && src.AlphaPaletteIsEnabled() && src.AlphaPaletteIsValid() &&
               dst.AlphaCreate()) {
        const RGBQUAD* pal = src.GetPalette();
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* s = Row(src, y);
            uint8_t* a = AlphaRow(dst, y);
            for (uint32_t x = 0; x < w; ++x)
                a[x] = pal[PackedIndex(s, x, bpp)].rgbReserved;
        }
    }
    dst.AlphaPaletteEnable(false);
    return true;
}

NearestIndex::NearestIndex(const RGBQUAD* palette, uint32_t count)
    : palette_(palette, palette + std::max(1u, count)), keys_(1u << 15, 0), values_(1u << 15, 0) {}

uint8_t NearestIndex::Search(int r, int g, int b) const {
    int best = 0;
    int bestDistance = 0x7FFFFFFF;
    for (size_t i = 0; i < palette_.size(); ++i) {
        const int dr = palette_[i].rgbRed - r, dg = palette_[i].rgbGreen - g,
                  db = palette_[i].rgbBlue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
            if (d == 0)
                break;
        }
    }
    return static_cast<uint8_t>(best);
}

uint8_t NearestIndex::operator()(uint8_t r, uint8_t g, uint8_t b) {
    const uint32_t colour = (static_cast<uint32_t>(r) << 16) | (g << 8) | b;
    const uint32_t slot = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    if (keys_[slot] == colour + 1)
        return values_[slot];
    const uint8_t i = Search(r, g, b);
    keys_[slot] = colour + 1;
    values_[slot] = i;
    return i;
}

bool MapToPalette(const KxImage& src24, KxImage& dst, uint32_t bpp, const RGBQUAD* palette,
                  uint32_t count) {
    const uint32_t w = src24.GetWidth(), h = src24.GetHeight();
    KxImage out;
    if (!MakeLike(out, src24, w, h, bpp))
        return false;
    out.SetPalette(palette, count);
    NearestIndex nearest(palette, count);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = Row(src24, y);
        uint8_t* d = Row(out, y);
        for (uint32_t x = 0; x < w; ++x, s += 3)
            SetPackedIndex(d, x, bpp, nearest(s[2], s[1], s[0]));
    }
    const size_t plane = static_cast<size_t>(w) * h;
    if (src24.SelectionIsValid() && out.SelectionCreate())
        std::memcpy(out.SelectionGetPointer(), src24.SelectionGetPointer(), plane);
    if (src24.AlphaIsValid() && out.AlphaCreate())
        std::memcpy(out.AlphaGetPointer(), src24.AlphaGetPointer(), plane);
    return dst.Transfer(out);
}

bool OnDirectPixels(KxImage& img, const std::function<bool(KxImage&)>& op) {
    if (!img.IsValid()) {
        SetError(img, kErrorEmpty);
        return false;
    }
    if (DirectChannels(img) != 0)
        return op(img);
    KxImage work;
    if (!ExpandTo24(img, work)) {
        SetError(img, work.GetLastError());
        return false;
    }
    const bool ok = op(work);
    if (!ok)
        SetError(img, work.GetLastError());
    // Even a cancelled run leaves a consistent picture: map whatever was finished back.
    std::vector<RGBQUAD> palette(img.GetPalette(), img.GetPalette() + img.GetNumColors());
    const bool alphaPalette = img.AlphaPaletteIsEnabled();
    const int32_t trans = img.GetTransIndex();
    KxImage mapped;
    if (!MapToPalette(work, mapped, img.GetBpp(), palette.data(),
                      static_cast<uint32_t>(palette.size())))
        return false;
    if (!img.AlphaIsValid())
        mapped.AlphaDelete();
    mapped.AlphaPaletteEnable(alphaPalette);
    mapped.SetTransIndex(trans);
    const std::string error = img.GetLastError();
    img.Transfer(mapped);
    SetError(img, error.c_str());
    img.SetProgress(ok ? 100 : img.GetProgress());
    return ok;
}

}  // namespace kxops::detail
