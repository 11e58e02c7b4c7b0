// Portable any-map: P1-P6 on read (ASCII and binary, up to 16 bits), P4, P5 or P6 on write.

#include <algorithm>
#include <cstring>
#include <utility>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"
#include "image/codecs/KxSwapRedBlue.h"

namespace {

// Header and ASCII-raster tokens: decimal numbers separated by white space and comments.
bool ReadNumber(KxFile* file, uint32_t& value) {
    int c = file->GetC();
    for (;;) {
        if (c == '#') {
            while (c >= 0 && c != '\n' && c != '\r')
                c = file->GetC();
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
            c = file->GetC();
        } else {
            break;
        }
    }
    if (c < '0' || c > '9')
        return false;
    uint64_t v = 0;
    while (c >= '0' && c <= '9') {
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > 0xFFFFFFFFull)
            return false;
        c = file->GetC();
    }
    value = static_cast<uint32_t>(v);
    // The single white-space byte after the last header number is consumed here.
    return true;
}

// ASCII bitmaps may run their digits together.
bool ReadBit(KxFile* file, uint8_t& bit) {
    for (;;) {
        const int c = file->GetC();
        if (c < 0)
            return false;
        if (c == '0' || c == '1') {
            bit = static_cast<uint8_t>(c - '0');
            return true;
        }
        if (c == '#') {
            int d = c;
            while (d >= 0 && d != '\n')
                d = file->GetC();
        } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            return false;
        }
    }
}

}  // namespace

bool KxImagePNM::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    uint8_t magic[2];
    if (!kx::ReadExact(hFile, magic, 2) || magic[0] != 'P' || magic[1] < '1' || magic[1] > '6') {
        SetError("Not a PNM file");
        return false;
    }
    const int kind = magic[1] - '0';
    uint32_t width = 0, height = 0, maxval = 1;
    if (!ReadNumber(hFile, width) || !ReadNumber(hFile, height) || width == 0 || height == 0 ||
        (kind != 1 && kind != 4 && (!ReadNumber(hFile, maxval) || maxval == 0 || maxval > 65535))) {
        SetError("Not a PNM file");
        return false;
    }
    const bool bitmap = kind == 1 || kind == 4;
    const bool grey = kind == 2 || kind == 5;
    const bool binary = kind >= 4;
    const uint32_t bpp = bitmap ? 1 : (grey ? 8 : 24);
    if (!CheckDimensions(width, height, bpp))
        return false;
    const uint32_t channels = bitmap ? 1 : (grey ? 1 : 3);
    const uint32_t sampleBytes = maxval > 255 ? 2 : 1;
    const uint64_t rowBytes = bitmap ? (width + 7ull) / 8 : 1ull * width * channels * sampleBytes;
    if (binary && kx::Remaining(hFile) < rowBytes * height) {
        SetError("PNM file is truncated");
        return false;
    }
    if (Create(width, height, bpp, KXIMAGE_FORMAT_PNM) == nullptr)
        return false;
    if (bitmap) {
        SetPaletteColor(0, 255, 255, 255);
        SetPaletteColor(1, 0, 0, 0);
    } else if (grey) {
        SetGrayPalette();
    }
    auto scale = [maxval](uint32_t v) -> uint8_t {
        if (v >= maxval)
            return 255;
        return maxval == 255 ? static_cast<uint8_t>(v)
                             : static_cast<uint8_t>((v * 255u + maxval / 2) / maxval);
    };

    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (uint32_t r = 0; r < height; ++r) {
        uint8_t* out = GetBits(height - 1 - r);
        if (binary && (bitmap || maxval == 255)) {
            // Eight-bit and bitmap rows are read straight into the picture.
            if (!kx::ReadExact(hFile, out, row.size())) {
                SetError("PNM file is truncated");
                return false;
            }
            if (!bitmap && !grey)
                kx::SwapRedBlue(out, width);
        } else if (binary) {
            if (!kx::ReadExact(hFile, row.data(), row.size())) {
                SetError("PNM file is truncated");
                return false;
            }
            if (bitmap) {
                std::memcpy(out, row.data(), row.size());
            } else if (sampleBytes == 1 && maxval == 255) {
                if (grey) {
                    std::memcpy(out, row.data(), width);
                } else {
                    const uint8_t* in = row.data();
                    for (uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
                        out[0] = in[2];
                        out[1] = in[1];
                        out[2] = in[0];
                    }
                }
            } else {
                const uint8_t* in = row.data();
                for (uint32_t x = 0; x < width; ++x) {
                    uint8_t values[3];
                    for (uint32_t c = 0; c < channels; ++c, in += sampleBytes)
                        values[c] = scale(sampleBytes == 2 ? kx::Be16(in) : *in);
                    if (grey) {
                        out[x] = values[0];
                    } else {
                        out[3 * x] = values[2];
                        out[3 * x + 1] = values[1];
                        out[3 * x + 2] = values[0];
                    }
                }
            }
        } else {
            for (uint32_t x = 0; x < width; ++x) {
                if (bitmap) {
                    uint8_t bit;
                    if (!ReadBit(hFile, bit)) {
                        SetError("PNM file is truncated");
                        return false;
                    }
                    if (bit)
                        out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
                    continue;
                }
                uint8_t values[3];
                for (uint32_t c = 0; c < channels; ++c) {
                    uint32_t v;
                    if (!ReadNumber(hFile, v)) {
                        SetError("PNM file is truncated");
                        return false;
                    }
                    values[c] = scale(v);
                }
                if (grey) {
                    out[x] = values[0];
                } else {
                    out[3 * x] = values[2];
                    out[3 * x + 1] = values[1];
                    out[3 * x + 2] = values[0];
                }
            }
        }
        if ((r & 255) == 0 && Cancelled())
            return false;
    }
    return true;
}

bool KxImagePNM::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetError("null image!!!");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight(), bpp = GetBpp();
    const bool bitmap = bpp == 1 && IsGrayScale();
    const bool grey = !bitmap && IsGrayScale();
    const char* kind = bitmap ? "P4" : (grey ? "P5" : "P6");
    char header[64];
    const int length = std::snprintf(header, sizeof(header),
                                     bitmap ? "%s\n%u %u\n" : "%s\n%u %u\n255\n", kind, w, h);
    if (!kx::WriteExact(hFile, header, static_cast<size_t>(length))) {
        SetError("Write error in PNM file");
        return false;
    }
    const size_t rowBytes = bitmap ? (w + 7) / 8 : static_cast<size_t>(w) * (grey ? 1 : 3);
    std::vector<uint8_t> row(rowBytes);
    // In a bitmap 1 means black.
    const bool invert = bitmap && GrayLevel(GetPaletteColor(1)) > GrayLevel(GetPaletteColor(0));
    for (uint32_t r = 0; r < h; ++r) {
        const uint32_t y = h - 1 - r;
        const uint8_t* in = GetBits(y);
        if (bitmap) {
            for (size_t i = 0; i < rowBytes; ++i)
                row[i] = invert ? static_cast<uint8_t>(~in[i]) : in[i];
            if (w & 7)
                row[rowBytes - 1] &= static_cast<uint8_t>(0xFF << (8 - (w & 7)));
        } else if (bpp == 24) {
            kx::CopySwapRedBlue(in, row.data(), w);
        } else {
            for (uint32_t x = 0; x < w; ++x) {
                const RGBQUAD c =
                    BlindGetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y), false);
                if (grey) {
                    row[x] = c.rgbRed;
                } else {
                    row[3 * x] = c.rgbRed;
                    row[3 * x + 1] = c.rgbGreen;
                    row[3 * x + 2] = c.rgbBlue;
                }
            }
        }
        if (!kx::WriteExact(hFile, row.data(), row.size())) {
            SetError("Write error in PNM file");
            return false;
        }
    }
    return true;
}
