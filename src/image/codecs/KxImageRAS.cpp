// Sun raster: 1, 8, 24 and 32 bits, standard, byte-encoded (RLE) and RGB-order files.

#include <algorithm>
#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

constexpr uint32_t kMagic = 0x59A66A95;
constexpr uint32_t kTypeStandard = 1, kTypeEncoded = 2, kTypeRgb = 3;

// Byte-encoded data: 0x80 n v repeats v n+1 times, 0x80 0 is a literal 0x80.
class RasRunReader {
public:
    explicit RasRunReader(KxFile* file) : file_(file) {}
    bool Read(uint8_t* out, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            if (count_ == 0) {
                const int c = file_.Get();
                if (c < 0)
                    return false;
                if (c == 0x80) {
                    const int n = file_.Get();
                    if (n < 0)
                        return false;
                    if (n == 0) {
                        value_ = 0x80;
                        count_ = 1;
                    } else {
                        const int v = file_.Get();
                        if (v < 0)
                            return false;
                        value_ = static_cast<uint8_t>(v);
                        count_ = n + 1;
                    }
                } else {
                    value_ = static_cast<uint8_t>(c);
                    count_ = 1;
                }
            }
            out[i] = value_;
            --count_;
        }
        return true;
    }

private:
    kx::ByteReader file_;
    int count_ = 0;
    uint8_t value_ = 0;
};

}  // namespace

bool KxImageRAS::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    uint8_t header[32];
    if (!kx::ReadExact(hFile, header, sizeof(header)) || kx::Be32(header) != kMagic) {
        SetError("Not a Sun raster file");
        return false;
    }
    const uint32_t width = kx::Be32(header + 4);
    const uint32_t height = kx::Be32(header + 8);
    const uint32_t depth = kx::Be32(header + 12);
    const uint32_t type = kx::Be32(header + 20);
    const uint32_t mapType = kx::Be32(header + 24);
    const uint32_t mapLength = kx::Be32(header + 28);
    if (width == 0 || height == 0 || (depth != 1 && depth != 8 && depth != 24 && depth != 32) ||
        type > kTypeRgb || mapType > 1 || mapLength > 768 || (mapType == 1 && mapLength % 3 != 0)) {
        SetError("Not a Sun raster file");
        return false;
    }
    const uint32_t outBpp = depth <= 8 ? depth : 24;
    if (!CheckDimensions(width, height, outBpp))
        return false;
    uint8_t map[768] = {};
    if (mapLength > 0 && !kx::ReadExact(hFile, map, mapLength)) {
        SetError("Not a Sun raster file");
        return false;
    }
    const uint64_t rowBytes = ((static_cast<uint64_t>(width) * depth + 15) / 16) * 2;
    if (type != kTypeEncoded && kx::Remaining(hFile) < rowBytes * height) {
        SetError("Sun raster file is truncated");
        return false;
    }
    if (Create(width, height, outBpp, KXIMAGE_FORMAT_RAS) == nullptr)
        return false;
    if (depth == 1) {
        // Without a map, set bits are black.
        SetPaletteColor(0, 255, 255, 255);
        SetPaletteColor(1, 0, 0, 0);
    }
    if (depth <= 8 && mapType == 1 && mapLength > 0) {
        const uint32_t entries = mapLength / 3;
        for (uint32_t i = 0; i < entries && i < GetNumColors(); ++i)
            SetPaletteColor(static_cast<uint8_t>(i), map[i], map[entries + i],
                            map[2 * entries + i]);
    } else if (depth == 8) {
        SetGrayPalette();
    }
    const bool rgbOrder = type == kTypeRgb;
    RasRunReader runs(hFile);
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (uint32_t r = 0; r < height; ++r) {
        uint8_t* out = GetBits(height - 1 - r);
        // Plain BGR rows, and packed rows of up to 8 bits, have our layout already (our
        // rows are at least as long as the 16-bit padded ones).
        const bool direct = type != kTypeEncoded && (depth <= 8 || (depth == 24 && !rgbOrder));
        const bool ok = direct ? kx::ReadExact(hFile, out, static_cast<size_t>(rowBytes))
                        : type == kTypeEncoded ? runs.Read(row.data(), row.size())
                                               : kx::ReadExact(hFile, row.data(), row.size());
        if (!ok) {
            SetError("Sun raster file is truncated");
            return false;
        }
        if (direct) {
            // already in place
        } else if (depth <= 8) {
            std::memcpy(out, row.data(), (static_cast<size_t>(width) * depth + 7) / 8);
        } else {
            const uint32_t step = depth / 8;
            const uint8_t* in = row.data() + (depth == 32 ? 1 : 0);
            for (uint32_t x = 0; x < width; ++x, in += step, out += 3) {
                out[0] = rgbOrder ? in[2] : in[0];
                out[1] = in[1];
                out[2] = rgbOrder ? in[0] : in[2];
            }
        }
        if ((r & 255) == 0 && Cancelled())
            return false;
    }
    return true;
}

bool KxImageRAS::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetError("null image!!!");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight();
    const uint32_t depth = GetBpp() == 24 ? 24 : (GetBpp() == 1 ? 1 : 8);
    const uint32_t rowBytes = ((w * depth + 15) / 16) * 2;
    const bool withMap = depth <= 8;
    const uint32_t mapEntries = withMap ? GetNumColors() : 0;
    std::vector<uint8_t> out;
    kx::PutBe32(out, kMagic);
    kx::PutBe32(out, w);
    kx::PutBe32(out, h);
    kx::PutBe32(out, depth);
    kx::PutBe32(out, rowBytes * h);
    kx::PutBe32(out, kTypeStandard);
    kx::PutBe32(out, withMap ? 1 : 0);
    kx::PutBe32(out, mapEntries * 3);
    for (int channel = 0; channel < 3; ++channel)
        for (uint32_t i = 0; i < mapEntries; ++i) {
            const RGBQUAD c = GetPaletteColor(static_cast<uint8_t>(i));
            out.push_back(channel == 0 ? c.rgbRed : (channel == 1 ? c.rgbGreen : c.rgbBlue));
        }
    std::vector<uint8_t> row(rowBytes);
    for (uint32_t r = 0; r < h; ++r) {
        const uint32_t y = h - 1 - r;
        std::fill(row.begin(), row.end(), 0);
        if (GetBpp() == 4) {
            for (uint32_t x = 0; x < w; ++x)
                row[x] = BlindGetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y));
        } else {
            std::memcpy(row.data(), GetBits(y), (static_cast<size_t>(w) * depth + 7) / 8);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    if (!kx::WriteExact(hFile, out)) {
        SetError("Write error in Sun raster file");
        return false;
    }
    return true;
}
