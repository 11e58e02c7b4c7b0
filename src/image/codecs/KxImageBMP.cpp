// Windows bitmap: 1/4/8/16/24/32-bit, RLE4/RLE8, bit fields, OS/2 core headers, top-down
// rows; also the packed DIBs of the clipboard.

#include <algorithm>
#include <bit>
#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

constexpr uint32_t kBiAlphaBitfields = 6;
constexpr uint32_t kV4HeaderSize = 108;

// Extracts one channel of a bit-field pixel scaled to 8 bits.
struct ChannelMask {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit ChannelMask(uint32_t m = 0) : mask(m) {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint8_t operator()(uint32_t pixel) const {
        if (max == 0)
            return 0;
        const uint32_t v = (pixel & mask) >> shift;
        if (max == 255)
            return static_cast<uint8_t>(v);
        return static_cast<uint8_t>((static_cast<uint64_t>(v) * 255 + max / 2) / max);
    }
};

}  // namespace

bool KxImageBMP::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    const int64_t start = hFile->Tell();
    uint8_t fileHeader[14];
    if (!kx::ReadExact(hFile, fileHeader, sizeof(fileHeader)) || fileHeader[0] != 'B' ||
        fileHeader[1] != 'M') {
        SetError("Not a BMP");
        return false;
    }
    return DecodeDib(hFile, start, kx::Le32(fileHeader + 10));
}

bool KxImageBMP::DecodeDib(KxFile* hFile, int64_t fileStart, uint32_t bitsOffset) {
    uint8_t header[124] = {};
    if (!kx::ReadExact(hFile, header, 4)) {
        SetError("Not a BMP");
        return false;
    }
    const uint32_t headerSize = kx::Le32(header);
    if (headerSize != 12 && (headerSize < 40 || headerSize > 4096)) {
        SetError("Not a BMP");
        return false;
    }
    const uint32_t stored = std::min<uint32_t>(headerSize, sizeof(header));
    if (!kx::ReadExact(hFile, header + 4, stored - 4) ||
        (headerSize > stored && !hFile->Seek(headerSize - stored, SEEK_CUR))) {
        SetError("Not a BMP");
        return false;
    }

    int64_t width, height;
    uint32_t bpp, compression = BI_RGB, colorsUsed = 0;
    int32_t xppm = 0, yppm = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    size_t paletteEntry = 4;
    if (headerSize == 12) {
        width = kx::Le16(header + 4);
        height = static_cast<int16_t>(kx::Le16(header + 6));
        bpp = kx::Le16(header + 10);
        paletteEntry = 3;
    } else {
        width = static_cast<int32_t>(kx::Le32(header + 4));
        height = static_cast<int32_t>(kx::Le32(header + 8));
        bpp = kx::Le16(header + 14);
        compression = kx::Le32(header + 16);
        xppm = static_cast<int32_t>(kx::Le32(header + 24));
        yppm = static_cast<int32_t>(kx::Le32(header + 28));
        colorsUsed = kx::Le32(header + 32);
        if (headerSize >= 52)
            for (int i = 0; i < 3; ++i)
                masks[i] = kx::Le32(header + 40 + 4 * i);
        if (headerSize >= 56)
            masks[3] = kx::Le32(header + 52);
        if (headerSize == 40 && (compression == BI_BITFIELDS || compression == kBiAlphaBitfields)) {
            const size_t count = compression == BI_BITFIELDS ? 3 : 4;
            uint8_t bytes[16];
            if (!kx::ReadExact(hFile, bytes, count * 4)) {
                SetError("Not a BMP");
                return false;
            }
            for (size_t i = 0; i < count; ++i)
                masks[i] = kx::Le32(bytes + 4 * i);
        }
    }

    const bool topDown = height < 0;
    height = topDown ? -height : height;
    const bool validDepth = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    const bool validCompression =
        compression == BI_RGB || (compression == BI_RLE8 && bpp == 8) ||
        (compression == BI_RLE4 && bpp == 4) ||
        ((compression == BI_BITFIELDS || compression == kBiAlphaBitfields) &&
         (bpp == 16 || bpp == 32));
    if (width <= 0 || height <= 0 || !validDepth || !validCompression ||
        (topDown && (compression == BI_RLE8 || compression == BI_RLE4))) {
        SetError("Not a BMP");
        return false;
    }
    if (!CheckDimensions(static_cast<uint64_t>(width), static_cast<uint64_t>(height), bpp))
        return false;

    // Palette.
    RGBQUAD palette[256] = {};
    uint32_t paletteCount = 0;
    if (bpp <= 8) {
        paletteCount = colorsUsed != 0 ? colorsUsed : (1u << bpp);
        if (paletteCount > 256) {
            SetError("Not a BMP");
            return false;
        }
        uint8_t bytes[256 * 4];
        if (!kx::ReadExact(hFile, bytes, paletteCount * paletteEntry)) {
            SetError("Not a BMP");
            return false;
        }
        for (uint32_t i = 0; i < paletteCount; ++i) {
            const uint8_t* p = bytes + i * paletteEntry;
            palette[i] = RGBQUAD{p[0], p[1], p[2], 0};
        }
    }
    // A packed DIB of 16 or 32 bits may carry an optimisation colour table before its pixels.
    if (bitsOffset == 0 && bpp > 8 && colorsUsed != 0 &&
        (colorsUsed > 4096 || !hFile->Seek(4ll * colorsUsed, SEEK_CUR))) {
        SetError("Not a BMP");
        return false;
    }
    if (bitsOffset != 0 && !hFile->Seek(fileStart + bitsOffset, SEEK_SET)) {
        SetError("Not a BMP");
        return false;
    }

    const uint32_t w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    const uint32_t outBpp = bpp <= 8 ? bpp : 24;
    if (Create(w, h, outBpp, KXIMAGE_FORMAT_BMP) == nullptr)
        return false;
    SetPalette(palette, std::min(paletteCount, 1u << std::min(bpp, 8u)));
    SetXDPI(kx::DpiFromPelsPerMeter(xppm));
    SetYDPI(kx::DpiFromPelsPerMeter(yppm));

    const uint32_t srcStride =
        static_cast<uint32_t>(((static_cast<uint64_t>(w) * bpp + 31) / 32) * 4);
    auto targetRow = [&](uint32_t r) { return GetBits(topDown ? h - 1 - r : r); };

    if (compression == BI_RLE8 || compression == BI_RLE4) {
        std::vector<uint8_t> data;
        if (!kx::ReadAll(hFile, data, 4ull * KXIMAGE_MAX_MEMORY)) {
            SetError("Not a BMP");
            return false;
        }
        const bool rle4 = compression == BI_RLE4;
        size_t pos = 0;
        uint32_t x = 0, y = 0;
        auto put = [&](uint8_t value) {
            if (x < w && y < h)
                BlindSetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y), value);
            ++x;
        };
        while (pos + 1 < data.size() && y < h) {
            const uint8_t count = data[pos++];
            const uint8_t code = data[pos++];
            if (count > 0) {
                for (uint32_t i = 0; i < count; ++i)
                    put(rle4 ? ((i & 1) ? (code & 0x0F) : (code >> 4)) : code);
            } else if (code == 0) {
                x = 0;
                ++y;
                if ((y & 63) == 0 && Cancelled())
                    return false;
            } else if (code == 1) {
                break;
            } else if (code == 2) {
                if (pos + 2 > data.size())
                    break;
                x += data[pos];
                y += data[pos + 1];
                pos += 2;
            } else {
                const size_t bytes = rle4 ? (code + 1u) / 2 : code;
                if (pos + bytes > data.size())
                    break;
                for (uint32_t i = 0; i < code; ++i) {
                    const uint8_t b = data[pos + (rle4 ? i / 2 : i)];
                    put(rle4 ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
                }
                pos += (bytes + 1) & ~size_t{1};
            }
        }
        return true;
    }

    if (bpp <= 8 || bpp == 24) {
        // Stored rows have the same layout as ours: read them straight in.
        const uint64_t total = static_cast<uint64_t>(srcStride) * h;
        if (!topDown) {
            const size_t got = hFile->Read(info.pImage, 1, static_cast<size_t>(total));
            // Some writers drop the padding of the last row; anything shorter is damage.
            if (got + srcStride < total) {
                SetError("BMP file is truncated");
                return false;
            }
        } else {
            for (uint32_t r = 0; r < h; ++r) {
                const size_t got = hFile->Read(targetRow(r), 1, srcStride);
                if (got < srcStride && r + 1 < h) {
                    SetError("BMP file is truncated");
                    return false;
                }
            }
        }
        return true;
    }

    // 16 and 32 bits per pixel: bit fields.
    if (compression == BI_RGB) {
        if (bpp == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else {
            masks[0] = 0x00FF0000;
            masks[1] = 0x0000FF00;
            masks[2] = 0x000000FF;
        }
        masks[3] = 0;
    }
    const ChannelMask red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    const bool hasAlpha = masks[3] != 0 && bpp == 32;
    if (hasAlpha && !AlphaCreate())
        return false;
    const bool standard32 = bpp == 32 && masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 &&
                            masks[2] == 0x000000FF && (masks[3] == 0 || masks[3] == 0xFF000000);
    std::vector<uint8_t> row(srcStride);
    bool anyAlpha = false;
    for (uint32_t r = 0; r < h; ++r) {
        if (hFile->Read(row.data(), 1, srcStride) != srcStride && r + 1 < h) {
            SetError("BMP file is truncated");
            return false;
        }
        const uint32_t y = topDown ? h - 1 - r : r;
        uint8_t* out = GetBits(y);
        uint8_t* alphaRow = hasAlpha ? pAlpha + static_cast<size_t>(y) * w : nullptr;
        const uint8_t* in = row.data();
        if (standard32) {
            for (uint32_t x = 0; x < w; ++x, in += 4, out += 3) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
                if (alphaRow != nullptr) {
                    alphaRow[x] = in[3];
                    anyAlpha |= in[3] != 0;
                }
            }
        } else {
            for (uint32_t x = 0; x < w; ++x, out += 3) {
                uint32_t pixel;
                if (bpp == 16) {
                    pixel = kx::Le16(in);
                    in += 2;
                } else {
                    pixel = kx::Le32(in);
                    in += 4;
                }
                out[0] = blue(pixel);
                out[1] = green(pixel);
                out[2] = red(pixel);
                if (alphaRow != nullptr) {
                    alphaRow[x] = alpha(pixel);
                    anyAlpha |= alphaRow[x] != 0;
                }
            }
        }
        if ((r & 255) == 0) {
            SetProgress(static_cast<int32_t>(100ull * r / h));
            if (Cancelled())
                return false;
        }
    }
    // An alpha channel that is zero everywhere was never meant as transparency.
    if (hasAlpha && !anyAlpha)
        AlphaDelete();
    return true;
}

bool KxImageBMP::Encode(KxFile* hFile) {
    return EncodeDib(hFile, true);
}

bool KxImageBMP::EncodeDib(KxFile* hFile, bool withFileHeader) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetError("null image!!!");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight();
    const bool withAlpha = AlphaIsValid();
    std::vector<uint8_t> out;

    if (!withAlpha) {
        const uint32_t paletteBytes = head.biClrUsed * 4;
        const uint32_t offBits = 14 + 40 + paletteBytes;
        if (withFileHeader) {
            out.push_back('B');
            out.push_back('M');
            kx::PutLe32(out, offBits + head.biSizeImage);
            kx::PutLe32(out, 0);
            kx::PutLe32(out, offBits);
        }
        BITMAPINFOHEADER header = head;
        header.biSize = 40;
        header.biCompression = BI_RGB;
        header.biClrImportant = 0;
        const auto* raw = reinterpret_cast<const uint8_t*>(&header);
        out.insert(out.end(), raw, raw + 40);
        if (paletteBytes != 0) {
            const auto* palette = reinterpret_cast<const uint8_t*>(GetPalette());
            out.insert(out.end(), palette, palette + paletteBytes);
        }
        if (!kx::WriteExact(hFile, out) || !kx::WriteExact(hFile, info.pImage, head.biSizeImage)) {
            SetError("Error saving BMP file");
            return false;
        }
        return true;
    }

    // With an alpha plane: 32-bit bit fields in a version-4 header.
    const uint64_t pixelBytes = 4ull * w * h;
    const uint32_t offBits = 14 + kV4HeaderSize;
    if (withFileHeader) {
        out.push_back('B');
        out.push_back('M');
        kx::PutLe32(out, static_cast<uint32_t>(offBits + pixelBytes));
        kx::PutLe32(out, 0);
        kx::PutLe32(out, offBits);
    }
    kx::PutLe32(out, kV4HeaderSize);
    kx::PutLe32(out, w);
    kx::PutLe32(out, h);
    kx::PutLe16(out, 1);
    kx::PutLe16(out, 32);
    kx::PutLe32(out, BI_BITFIELDS);
    kx::PutLe32(out, static_cast<uint32_t>(pixelBytes));
    kx::PutLe32(out, static_cast<uint32_t>(head.biXPelsPerMeter));
    kx::PutLe32(out, static_cast<uint32_t>(head.biYPelsPerMeter));
    kx::PutLe32(out, 0);
    kx::PutLe32(out, 0);
    kx::PutLe32(out, 0x00FF0000);
    kx::PutLe32(out, 0x0000FF00);
    kx::PutLe32(out, 0x000000FF);
    kx::PutLe32(out, 0xFF000000);
    kx::PutLe32(out, 0x73524742);    // 'sRGB'
    out.resize(out.size() + 48, 0);  // endpoints and gamma, unused with sRGB
    if (!kx::WriteExact(hFile, out)) {
        SetError("Error saving BMP file");
        return false;
    }
    std::vector<uint8_t> row(4ull * w);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* alpha = pAlpha + static_cast<size_t>(y) * w;
        uint8_t* p = row.data();
        if (head.biBitCount == 24) {
            const uint8_t* in = GetBits(y);
            for (uint32_t x = 0; x < w; ++x, in += 3, p += 4) {
                p[0] = in[0];
                p[1] = in[1];
                p[2] = in[2];
                p[3] = alpha[x];
            }
        } else {
            for (uint32_t x = 0; x < w; ++x, p += 4) {
                const RGBQUAD c =
                    BlindGetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y), false);
                p[0] = c.rgbBlue;
                p[1] = c.rgbGreen;
                p[2] = c.rgbRed;
                p[3] = alpha[x];
            }
        }
        if (!kx::WriteExact(hFile, row.data(), row.size())) {
            SetError("Error saving BMP file");
            return false;
        }
    }
    return true;
}

bool KxImage::CreateFromHANDLE(std::span<const uint8_t> hMem) {
    if (hMem.empty()) {
        SetError("null image!!!");
        return false;
    }
    KxMemFile file(hMem.data(), hMem.size());
    KxImageBMP codec;
    codec.CopyInfo(*this);
    if (!codec.DecodeDib(&file, 0, 0)) {
        SetError(codec.GetLastError());
        return false;
    }
    const uint32_t type = GetType();
    if (!Transfer(codec))
        return false;
    info.dwType = type;
    return true;
}
