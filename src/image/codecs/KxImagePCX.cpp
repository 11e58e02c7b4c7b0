// PCX: 1-bit, 16-colour (bit planes or 4-bit), 256-colour and 24-bit (three planes), all
// run-length coded.

#include <algorithm>
#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

// The run-length coder of PCX works on whole scan lines of all planes.
class PcxRunReader {
public:
    explicit PcxRunReader(KxFile* file) : file_(file) {}
    // Whatever the run decoder read ahead: the 256-colour table follows the pixels.
    kx::ByteReader& reader() { return file_; }

    bool Line(uint8_t* out, size_t size) {
        size_t i = 0;
        while (i < size) {
            if (count_ == 0) {
                const int c = file_.Get();
                if (c < 0)
                    return false;
                if ((c & 0xC0) == 0xC0) {
                    count_ = c & 0x3F;
                    const int v = file_.Get();
                    if (v < 0)
                        return false;
                    value_ = static_cast<uint8_t>(v);
                } else {
                    count_ = 1;
                    value_ = static_cast<uint8_t>(c);
                }
            }
            // Runs may cross line ends; they carry over.
            const size_t n = std::min<size_t>(count_, size - i);
            std::memset(out + i, value_, n);
            i += n;
            count_ -= static_cast<int>(n);
        }
        return true;
    }

private:
    kx::ByteReader file_;
    int count_ = 0;
    uint8_t value_ = 0;
};

void PutRunLength(std::vector<uint8_t>& out, const uint8_t* data, size_t size) {
    size_t i = 0;
    while (i < size) {
        const uint8_t v = data[i];
        size_t run = 1;
        while (i + run < size && data[i + run] == v && run < 63)
            ++run;
        if (run > 1 || (v & 0xC0) == 0xC0)
            out.push_back(static_cast<uint8_t>(0xC0 | run));
        out.push_back(v);
        i += run;
    }
}

}  // namespace

bool KxImagePCX::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    uint8_t header[128];
    if (!kx::ReadExact(hFile, header, sizeof(header)) || header[0] != 0x0A || header[1] > 5 ||
        header[2] > 1) {
        SetError("Error: Not a PCX file");
        return false;
    }
    const uint32_t bits = header[3];
    const int32_t xmin = kx::Le16(header + 4), ymin = kx::Le16(header + 6);
    const int32_t xmax = kx::Le16(header + 8), ymax = kx::Le16(header + 10);
    const uint32_t planes = header[65];
    const uint32_t bytesPerLine = kx::Le16(header + 66);
    const int32_t width = xmax - xmin + 1, height = ymax - ymin + 1;
    const bool supported = (bits == 1 && planes >= 1 && planes <= 4) ||
                           (bits == 2 && planes == 1) || (bits == 4 && planes == 1) ||
                           (bits == 8 && (planes == 1 || planes == 3 || planes == 4));
    if (width <= 0 || height <= 0 || !supported ||
        bytesPerLine < (static_cast<uint32_t>(width) * bits + 7) / 8) {
        SetError("Error: Not a PCX file");
        return false;
    }
    const uint32_t outBpp =
        bits == 8 && planes >= 3 ? 24 : (bits * planes <= 1 ? 1 : (bits * planes <= 4 ? 4 : 8));
    if (!CheckDimensions(static_cast<uint32_t>(width), static_cast<uint32_t>(height), outBpp))
        return false;
    const uint16_t hdpi = kx::Le16(header + 12), vdpi = kx::Le16(header + 14);
    if (Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), outBpp,
               KXIMAGE_FORMAT_PCX) == nullptr)
        return false;
    if (hdpi > 0 && vdpi > 0) {
        SetXDPI(hdpi);
        SetYDPI(vdpi);
    }
    if (outBpp == 1) {
        // Most writers leave the header palette empty for black and white.
        const bool headerPalette = std::memcmp(header + 16, header + 19, 3) != 0;
        SetPaletteColor(0, headerPalette ? header[16] : 0, headerPalette ? header[17] : 0,
                        headerPalette ? header[18] : 0);
        SetPaletteColor(1, headerPalette ? header[19] : 255, headerPalette ? header[20] : 255,
                        headerPalette ? header[21] : 255);
    } else if (outBpp == 4) {
        for (int i = 0; i < 16; ++i)
            SetPaletteColor(static_cast<uint8_t>(i), header[16 + 3 * i], header[17 + 3 * i],
                            header[18 + 3 * i]);
    }
    const bool withAlpha = bits == 8 && planes == 4;
    if (withAlpha && !AlphaCreate())
        return false;

    const uint32_t w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    std::vector<uint8_t> line(static_cast<size_t>(bytesPerLine) * planes);
    PcxRunReader reader(hFile);
    for (uint32_t r = 0; r < h; ++r) {
        if (!reader.Line(line.data(), line.size())) {
            SetError("Error: Not a PCX file");
            return false;
        }
        const uint32_t y = h - 1 - r;
        uint8_t* out = GetBits(y);
        if (bits == 8 && planes == 1) {
            std::memcpy(out, line.data(), w);
        } else if (bits == 8) {
            const uint8_t* red = line.data();
            const uint8_t* green = red + bytesPerLine;
            const uint8_t* blue = green + bytesPerLine;
            for (uint32_t x = 0; x < w; ++x, out += 3) {
                out[0] = blue[x];
                out[1] = green[x];
                out[2] = red[x];
            }
            if (withAlpha)
                std::memcpy(pAlpha + static_cast<size_t>(y) * w, blue + bytesPerLine, w);
        } else if (planes == 1 && (bits == 1 || bits == 4)) {
            std::memcpy(out, line.data(), (w * bits + 7) / 8);
        } else {
            // Bit planes (or 2-bit pixels): gather each pixel's index.
            for (uint32_t x = 0; x < w; ++x) {
                uint8_t index = 0;
                if (bits == 2) {
                    index = (line[x >> 2] >> (6 - 2 * (x & 3))) & 3;
                } else {
                    for (uint32_t p = 0; p < planes; ++p)
                        index |= static_cast<uint8_t>(
                            ((line[p * bytesPerLine + (x >> 3)] >> (7 - (x & 7))) & 1) << p);
                }
                BlindSetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y), index);
            }
        }
        if ((r & 127) == 0 && Cancelled())
            return false;
    }

    if (bits == 8 && planes == 1) {
        // The 256-colour table follows the pixels, introduced by 12.
        uint8_t tail[769];
        if (reader.reader().Read(tail, sizeof(tail)) && tail[0] == 12) {
            for (int i = 0; i < 256; ++i)
                SetPaletteColor(static_cast<uint8_t>(i), tail[1 + 3 * i], tail[2 + 3 * i],
                                tail[3 + 3 * i]);
        } else {
            SetGrayPalette();
        }
    }
    return true;
}

bool KxImagePCX::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid() || GetWidth() > 65535 || GetHeight() > 65535) {
        SetError("null image!!!");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight(), bpp = GetBpp();
    const uint32_t planes = bpp == 24 ? 3 : (bpp == 4 ? 4 : 1);
    const uint32_t bits = bpp == 24 ? 8 : (bpp == 4 ? 1 : bpp);
    uint32_t bytesPerLine = (w * bits + 7) / 8;
    bytesPerLine += bytesPerLine & 1;  // even, as readers expect

    std::vector<uint8_t> out(128, 0);
    out[0] = 0x0A;
    out[1] = 5;
    out[2] = 1;
    out[3] = static_cast<uint8_t>(bits);
    out[8] = static_cast<uint8_t>(w - 1);
    out[9] = static_cast<uint8_t>((w - 1) >> 8);
    out[10] = static_cast<uint8_t>(h - 1);
    out[11] = static_cast<uint8_t>((h - 1) >> 8);
    out[12] = static_cast<uint8_t>(GetXDPI());
    out[13] = static_cast<uint8_t>(GetXDPI() >> 8);
    out[14] = static_cast<uint8_t>(GetYDPI());
    out[15] = static_cast<uint8_t>(GetYDPI() >> 8);
    if (bpp <= 4) {
        for (uint32_t i = 0; i < GetNumColors() && i < 16; ++i) {
            const RGBQUAD c = GetPaletteColor(static_cast<uint8_t>(i));
            out[16 + 3 * i] = c.rgbRed;
            out[17 + 3 * i] = c.rgbGreen;
            out[18 + 3 * i] = c.rgbBlue;
        }
    }
    out[65] = static_cast<uint8_t>(planes);
    out[66] = static_cast<uint8_t>(bytesPerLine);
    out[67] = static_cast<uint8_t>(bytesPerLine >> 8);
    out[68] = 1;

    std::vector<uint8_t> line(static_cast<size_t>(bytesPerLine) * planes);
    for (uint32_t r = 0; r < h; ++r) {
        const uint32_t y = h - 1 - r;
        const uint8_t* in = GetBits(y);
        std::fill(line.begin(), line.end(), 0);
        if (bpp == 24) {
            for (uint32_t x = 0; x < w; ++x) {
                line[x] = in[3 * x + 2];
                line[bytesPerLine + x] = in[3 * x + 1];
                line[2 * bytesPerLine + x] = in[3 * x];
            }
        } else if (bpp == 4) {
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t index =
                    BlindGetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y));
                for (uint32_t p = 0; p < 4; ++p)
                    if ((index >> p) & 1)
                        line[p * bytesPerLine + (x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
            }
        } else {
            std::memcpy(line.data(), in, (w * bits + 7) / 8);
        }
        for (uint32_t p = 0; p < planes; ++p)
            PutRunLength(out, line.data() + p * bytesPerLine, bytesPerLine);
    }
    if (bpp == 8) {
        out.push_back(12);
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD c = GetPaletteColor(static_cast<uint8_t>(i));
            out.insert(out.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
    }
    if (!kx::WriteExact(hFile, out)) {
        SetError("Write error in PCX file");
        return false;
    }
    return true;
}
