// PGX, the one-component test format of JPEG 2000: "PG ML +8 w h" and raw samples.

#include <algorithm>
#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

bool KxImagePGX::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    char header[80] = {};
    size_t n = 0;
    for (; n + 1 < sizeof(header); ++n) {
        const int c = hFile->GetC();
        if (c < 0)
            break;
        if (c == '\n') {
            header[n] = '\0';
            break;
        }
        header[n] = static_cast<char>(c);
    }
    char order[3] = {};
    char sign = '+';
    unsigned depth = 0, width = 0, height = 0;
    bool parsed = false;
    if (std::strncmp(header, "PG", 2) == 0) {
        const char* p = header + 2;
        while (*p == ' ')
            ++p;
        if ((p[0] == 'M' && p[1] == 'L') || (p[0] == 'L' && p[1] == 'M')) {
            order[0] = p[0];
            order[1] = p[1];
            p += 2;
            while (*p == ' ')
                ++p;
            if (*p == '+' || *p == '-')
                sign = *p++;
            while (*p == ' ')
                ++p;
            parsed = std::sscanf(p, "%u %u %u", &depth, &width, &height) == 3;
        }
    }
    if (!parsed || depth < 1 || depth > 16 || width == 0 || height == 0) {
        SetError("Not a PGX file");
        return false;
    }
    const uint32_t sampleBytes = depth > 8 ? 2 : 1;
    const uint64_t rowBytes = static_cast<uint64_t>(width) * sampleBytes;
    if (!CheckDimensions(width, height, 8))
        return false;
    if (kx::Remaining(hFile) < rowBytes * height) {
        SetError("PGX file is truncated");
        return false;
    }
    if (Create(width, height, 8, KXIMAGE_FORMAT_PGX) == nullptr)
        return false;
    SetGrayPalette();
    const bool bigEndian = order[0] == 'M';
    const bool isSigned = sign == '-';
    const uint32_t maxValue = (1u << depth) - 1;
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (uint32_t r = 0; r < height; ++r) {
        if (!kx::ReadExact(hFile, row.data(), row.size())) {
            SetError("PGX file is truncated");
            return false;
        }
        uint8_t* out = GetBits(height - 1 - r);
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t v = sampleBytes == 2
                             ? (bigEndian ? kx::Be16(&row[2 * x]) : kx::Le16(&row[2 * x]))
                             : row[x];
            v &= maxValue;
            if (isSigned)
                v = (v + (1u << (depth - 1))) & maxValue;  // shift signed samples to 0..max
            out[x] = depth == 8 ? static_cast<uint8_t>(v)
                                : static_cast<uint8_t>((v * 255u + maxValue / 2) / maxValue);
        }
    }
    return true;
}

bool KxImagePGX::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid() || !IsGrayScale()) {
        SetError("PGX can save only GrayScale images");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight();
    char header[64];
    const int length = std::snprintf(header, sizeof(header), "PG ML +8 %u %u\n", w, h);
    if (!kx::WriteExact(hFile, header, static_cast<size_t>(length))) {
        SetError("Write error in PGX file");
        return false;
    }
    std::vector<uint8_t> row(w);
    for (uint32_t r = 0; r < h; ++r) {
        const int32_t y = static_cast<int32_t>(h - 1 - r);
        for (uint32_t x = 0; x < w; ++x)
            row[x] = BlindGetPixelColor(static_cast<int32_t>(x), y, false).rgbRed;
        if (!kx::WriteExact(hFile, row.data(), row.size())) {
            SetError("Write error in PGX file");
            return false;
        }
    }
    return true;
}
