// Targa: colour-mapped, true-colour and grey pictures, uncompressed or run-length coded.

#include <algorithm>
#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

// Pulls pixels of `bytes` each from a plain or run-length coded stream.
class TgaPixelReader {
public:
    TgaPixelReader(KxFile* file, size_t bytes, bool rle) : file_(file), bytes_(bytes), rle_(rle) {}

    bool Next(uint8_t* pixel) {
        if (!rle_)
            return file_.Read(pixel, bytes_);
        if (remaining_ == 0) {
            const int packet = file_.Get();
            if (packet < 0)
                return false;
            remaining_ = (packet & 0x7F) + 1;
            repeat_ = (packet & 0x80) != 0;
            if (repeat_ && !file_.Read(value_, bytes_))
                return false;
        }
        --remaining_;
        if (repeat_) {
            std::memcpy(pixel, value_, bytes_);
            return true;
        }
        return file_.Read(pixel, bytes_);
    }

private:
    kx::ByteReader file_;
    size_t bytes_;
    bool rle_;
    int remaining_ = 0;
    bool repeat_ = false;
    uint8_t value_[4] = {};
};

RGBQUAD Color16(const uint8_t* p) {
    const uint16_t v = kx::Le16(p);
    auto scale = [](int c) { return static_cast<uint8_t>((c << 3) | (c >> 2)); };
    return RGBQUAD{scale(v & 0x1F), scale((v >> 5) & 0x1F), scale((v >> 10) & 0x1F), 0};
}

}  // namespace

bool KxImageTGA::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    uint8_t header[18];
    if (!kx::ReadExact(hFile, header, sizeof(header))) {
        SetError("Not a TGA");
        return false;
    }
    const uint8_t idLength = header[0];
    const uint8_t mapType = header[1];
    const uint8_t imageType = header[2];
    const uint32_t mapFirst = kx::Le16(header + 3);
    const uint32_t mapLength = kx::Le16(header + 5);
    const uint32_t mapBits = header[7];
    const uint32_t width = kx::Le16(header + 12);
    const uint32_t height = kx::Le16(header + 14);
    const uint32_t depth = header[16];
    const uint8_t descriptor = header[17];
    const bool rle = imageType >= 9;
    const uint8_t kind = rle ? imageType - 8 : imageType;

    const bool mapped = kind == 1;
    const bool valid = (kind == 1 || kind == 2 || kind == 3) && mapType <= 1 &&
                       (!mapped || mapType == 1) && width > 0 && height > 0 &&
                       (descriptor & 0xC0) == 0 &&
                       ((mapped && depth == 8 &&
                         (mapBits == 15 || mapBits == 16 || mapBits == 24 || mapBits == 32) &&
                         mapLength > 0 && mapFirst + mapLength <= 256) ||
                        (kind == 2 && (depth == 15 || depth == 16 || depth == 24 || depth == 32)) ||
                        (kind == 3 && depth == 8));
    if (!valid) {
        SetError("Not a TGA");
        return false;
    }
    const uint32_t outBpp = depth == 8 ? 8 : 24;
    if (!CheckDimensions(width, height, outBpp))
        return false;
    if (idLength > 0 && !hFile->Seek(idLength, SEEK_CUR)) {
        SetError("Not a TGA");
        return false;
    }
    RGBQUAD palette[256] = {};
    if (mapType == 1) {
        const size_t entryBytes = (mapBits + 7) / 8;
        std::vector<uint8_t> map(entryBytes * mapLength);
        if (!kx::ReadExact(hFile, map.data(), map.size())) {
            SetError("Not a TGA");
            return false;
        }
        if (mapped) {
            for (uint32_t i = 0; i < mapLength; ++i) {
                const uint8_t* p = map.data() + i * entryBytes;
                palette[mapFirst + i] = entryBytes == 2 ? Color16(p) : RGBQUAD{p[0], p[1], p[2], 0};
            }
        }
    }
    // Refuse files whose pixel data cannot possibly be there, before allocating.
    const uint64_t pixelBytes = (depth + 7) / 8;
    const uint64_t remaining = kx::Remaining(hFile);
    if ((!rle && remaining < pixelBytes * width * height) ||
        (rle && remaining * 128 < static_cast<uint64_t>(width) * height)) {
        SetError("Not a TGA");
        return false;
    }
    if (Create(width, height, outBpp, KXIMAGE_FORMAT_TGA) == nullptr)
        return false;
    if (mapped)
        SetPalette(palette, 256);
    else if (kind == 3)
        SetGrayPalette();
    const bool alpha = depth == 32;
    if (alpha && !AlphaCreate())
        return false;

    const bool topDown = (descriptor & 0x20) != 0;
    const bool rightToLeft = (descriptor & 0x10) != 0;
    TgaPixelReader reader(hFile, static_cast<size_t>(pixelBytes), rle);
    std::vector<uint8_t> row(static_cast<size_t>(pixelBytes) * width);
    bool anyAlpha = false;
    for (uint32_t r = 0; r < height; ++r) {
        const uint32_t y = topDown ? height - 1 - r : r;
        if (!rle && !rightToLeft && (depth == 8 || depth == 24)) {
            if (!kx::ReadExact(hFile, GetBits(y), row.size())) {
                SetError("Not a TGA");
                return false;
            }
        } else if (!rle) {
            if (!kx::ReadExact(hFile, row.data(), row.size())) {
                SetError("Not a TGA");
                return false;
            }
        } else {
            for (uint32_t x = 0; x < width; ++x) {
                if (!reader.Next(row.data() + pixelBytes * x)) {
                    SetError("Not a TGA");
                    return false;
                }
            }
        }
        uint8_t* out = GetBits(y);
        if (!rle && !rightToLeft && (depth == 8 || depth == 24)) {
            // Read straight into our row above.
            if ((r & 127) == 0 && Cancelled())
                return false;
            continue;
        }
        uint8_t* alphaRow = alpha ? pAlpha + static_cast<size_t>(y) * width : nullptr;
        for (uint32_t i = 0; i < width; ++i) {
            const uint32_t x = rightToLeft ? width - 1 - i : i;
            const uint8_t* in = row.data() + pixelBytes * i;
            if (outBpp == 8) {
                out[x] = in[0];
            } else if (depth == 15 || depth == 16) {
                const RGBQUAD c = Color16(in);
                out[3 * x] = c.rgbBlue;
                out[3 * x + 1] = c.rgbGreen;
                out[3 * x + 2] = c.rgbRed;
            } else {
                out[3 * x] = in[0];
                out[3 * x + 1] = in[1];
                out[3 * x + 2] = in[2];
                if (alphaRow != nullptr) {
                    alphaRow[x] = in[3];
                    anyAlpha |= in[3] != 0;
                }
            }
        }
        if ((r & 127) == 0 && Cancelled())
            return false;
    }
    // Many writers leave the fourth byte at zero: that is no transparency.
    if (alpha && !anyAlpha)
        AlphaDelete();
    return true;
}

bool KxImageTGA::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetError("null image!!!");
        return false;
    }
    const uint32_t bpp = GetBpp();
    if (bpp != 8 && bpp != 24) {
        SetError("Bit depth must be 8 or 24");
        return false;
    }
    if (GetWidth() > 65535 || GetHeight() > 65535) {
        SetError("Bit depth must be 8 or 24");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight();
    const bool alpha = bpp == 24 && AlphaIsValid();
    bool greyRamp = bpp == 8;
    const RGBQUAD* palette = GetPalette();
    for (int i = 0; greyRamp && i < 256; ++i)
        greyRamp = palette[i].rgbRed == i && palette[i].rgbGreen == i && palette[i].rgbBlue == i;

    std::vector<uint8_t> out;
    out.push_back(0);
    out.push_back(bpp == 8 && !greyRamp ? 1 : 0);
    out.push_back(bpp == 24 ? 2 : (greyRamp ? 3 : 1));
    kx::PutLe16(out, 0);
    kx::PutLe16(out, bpp == 8 && !greyRamp ? 256 : 0);
    out.push_back(bpp == 8 && !greyRamp ? 24 : 0);
    kx::PutLe16(out, 0);
    kx::PutLe16(out, 0);
    kx::PutLe16(out, w);
    kx::PutLe16(out, h);
    out.push_back(static_cast<uint8_t>(bpp == 8 ? 8 : (alpha ? 32 : 24)));
    out.push_back(alpha ? 8 : 0);  // bottom-up rows, alpha bits
    if (bpp == 8 && !greyRamp)
        for (int i = 0; i < 256; ++i)
            out.insert(out.end(), {palette[i].rgbBlue, palette[i].rgbGreen, palette[i].rgbRed});
    if (!kx::WriteExact(hFile, out)) {
        SetError("Write error in TGA file");
        return false;
    }
    std::vector<uint8_t> row(static_cast<size_t>(w) * (alpha ? 4 : bpp / 8));
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* in = GetBits(y);
        if (alpha) {
            const uint8_t* a = pAlpha + static_cast<size_t>(y) * w;
            for (uint32_t x = 0; x < w; ++x) {
                row[4 * x] = in[3 * x];
                row[4 * x + 1] = in[3 * x + 1];
                row[4 * x + 2] = in[3 * x + 2];
                row[4 * x + 3] = a[x];
            }
        } else {
            std::memcpy(row.data(), in, row.size());
        }
        if (!kx::WriteExact(hFile, row.data(), row.size())) {
            SetError("Write error in TGA file");
            return false;
        }
    }
    return true;
}
