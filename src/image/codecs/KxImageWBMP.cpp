// Wireless bitmap (type 0): one bit per pixel, 1 = white, rows top-down.

#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

// Multi-byte integers: seven bits per byte, high bit set on all but the last.
bool ReadMultiByte(KxFile* file, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        const int c = file->GetC();
        if (c < 0)
            return false;
        value = (value << 7) | (c & 0x7F);
        if ((c & 0x80) == 0)
            return true;
    }
    return false;
}

void PutMultiByte(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[5];
    int n = 0;
    do {
        bytes[n++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 0) {
        --n;
        out.push_back(static_cast<uint8_t>(bytes[n] | (n > 0 ? 0x80 : 0)));
    }
}

}  // namespace

bool KxImageWBMP::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    uint32_t type = 0, width = 0, height = 0;
    const int fixHeader = [&] {
        if (!ReadMultiByte(hFile, type))
            return -1;
        return hFile->GetC();
    }();
    if (type != 0 || fixHeader != 0 || !ReadMultiByte(hFile, width) ||
        !ReadMultiByte(hFile, height) || width == 0 || height == 0) {
        SetError("Not a WBMP");
        return false;
    }
    const uint64_t rowBytes = (static_cast<uint64_t>(width) + 7) / 8;
    // The format has no signature: insist that the pixel data is all there.
    if (kx::Remaining(hFile) < rowBytes * height) {
        SetError("Not a WBMP");
        return false;
    }
    if (Create(width, height, 1, KXIMAGE_FORMAT_WBMP) == nullptr)
        return false;
    SetPaletteColor(0, 0, 0, 0);
    SetPaletteColor(1, 255, 255, 255);
    for (uint32_t r = 0; r < height; ++r) {
        if (!kx::ReadExact(hFile, GetBits(height - 1 - r), static_cast<size_t>(rowBytes))) {
            SetError("Not a WBMP");
            return false;
        }
    }
    return true;
}

bool KxImageWBMP::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid() || GetBpp() != 1) {
        SetError("Can't save this image as WBMP");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight();
    std::vector<uint8_t> out;
    PutMultiByte(out, 0);
    out.push_back(0);
    PutMultiByte(out, w);
    PutMultiByte(out, h);
    // Bits must mean white; invert when index 0 is the lighter entry.
    const bool invert = GrayLevel(GetPaletteColor(0)) > GrayLevel(GetPaletteColor(1));
    const size_t rowBytes = (w + 7) / 8;
    for (uint32_t r = 0; r < h; ++r) {
        const uint8_t* in = GetBits(h - 1 - r);
        for (size_t i = 0; i < rowBytes; ++i) {
            uint8_t b = invert ? static_cast<uint8_t>(~in[i]) : in[i];
            if (i + 1 == rowBytes && (w & 7) != 0)
                b &= static_cast<uint8_t>(0xFF << (8 - (w & 7)));
            out.push_back(b);
        }
    }
    if (!kx::WriteExact(hFile, out)) {
        SetError("Can't save this image as WBMP");
        return false;
    }
    return true;
}
