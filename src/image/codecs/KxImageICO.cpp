// Icons and cursors: DIB entries with their AND mask (which becomes the alpha plane) and
// PNG-compressed entries.

#include <algorithm>
#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

constexpr size_t kMaxEntryBytes = 64u << 20;

}  // namespace

bool KxImageICO::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    uint8_t header[6];
    if (!kx::ReadExact(hFile, header, 6) || kx::Le16(header) != 0 ||
        (kx::Le16(header + 2) != 1 && kx::Le16(header + 2) != 2) || kx::Le16(header + 4) == 0) {
        SetError("Not an ICO");
        return false;
    }
    const int64_t start = hFile->Tell() - 6;
    const uint32_t count = kx::Le16(header + 4);
    std::vector<uint8_t> directory(16ull * count);
    if (!kx::ReadExact(hFile, directory.data(), directory.size())) {
        SetError("Not an ICO");
        return false;
    }
    const int32_t frame = info.nFrame;
    if (frame < 0 || static_cast<uint32_t>(frame) >= count) {
        SetError("Error: icon not present in ICO file");
        return false;
    }
    const uint8_t* entry = directory.data() + 16 * frame;
    const uint32_t size = kx::Le32(entry + 8);
    const uint32_t offset = kx::Le32(entry + 12);
    if (size < 40 || size > kMaxEntryBytes || !hFile->Seek(start + offset, SEEK_SET)) {
        SetError("Not an ICO");
        return false;
    }
    std::vector<uint8_t> blob(size);
    if (!kx::ReadExact(hFile, blob.data(), blob.size())) {
        SetError("Not an ICO");
        return false;
    }

    static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (std::memcmp(blob.data(), kPngSignature, 8) == 0) {
        KxMemFile png(blob.data(), blob.size());
        KxImagePNG codec;
        codec.CopyInfo(*this);
        codec.SetFrame(0);
        if (!codec.Decode(&png)) {
            SetError(codec.GetLastError());
            return false;
        }
        Transfer(codec);
        info.nNumFrames = static_cast<int32_t>(count);
        info.nFrame = frame;
        return true;
    }

    // A DIB whose height counts the colour bitmap and the mask together.
    if (kx::Le32(blob.data()) < 40) {
        SetError("Not an ICO");
        return false;
    }
    const int32_t width = static_cast<int32_t>(kx::Le32(blob.data() + 4));
    const int32_t doubleHeight = static_cast<int32_t>(kx::Le32(blob.data() + 8));
    const uint32_t bpp = kx::Le16(blob.data() + 14);
    const uint32_t compression = kx::Le32(blob.data() + 16);
    if (width <= 0 || doubleHeight <= 1 || compression != BI_RGB) {
        SetError("Not an ICO");
        return false;
    }
    const int32_t height = doubleHeight / 2;
    std::vector<uint8_t> patched = blob;
    patched[8] = static_cast<uint8_t>(height);
    patched[9] = static_cast<uint8_t>(height >> 8);
    patched[10] = static_cast<uint8_t>(height >> 16);
    patched[11] = static_cast<uint8_t>(height >> 24);
    KxMemFile dib(patched.data(), patched.size());
    KxImageBMP codec;
    codec.CopyInfo(*this);
    if (!codec.DecodeDib(&dib, 0, 0)) {
        SetError(codec.GetLastError());
        return false;
    }
    const uint32_t w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    const uint64_t colorStride = ((static_cast<uint64_t>(w) * bpp + 31) / 32) * 4;
    const uint64_t paletteBytes =
        bpp <= 8
            ? 4ull * (kx::Le32(blob.data() + 32) != 0 ? kx::Le32(blob.data() + 32) : (1u << bpp))
            : 0;
    const uint64_t colorStart = kx::Le32(blob.data()) + paletteBytes;
    const uint64_t maskStart = colorStart + colorStride * h;
    const uint64_t maskStride = ((w + 31) / 32) * 4ull;

    Transfer(codec);
    info.dwType = KXIMAGE_FORMAT_ICO;
    info.nNumFrames = static_cast<int32_t>(count);
    info.nFrame = frame;

    // 32-bit entries carry real alpha in their fourth byte.
    bool haveAlpha = false;
    if (bpp == 32 && colorStart + colorStride * h <= blob.size()) {
        if (!AlphaCreate())
            return false;
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* in = blob.data() + colorStart + colorStride * y;
            for (uint32_t x = 0; x < w; ++x) {
                pAlpha[static_cast<size_t>(y) * w + x] = in[4 * x + 3];
                haveAlpha |= in[4 * x + 3] != 0;
            }
        }
        if (!haveAlpha)
            AlphaDelete();
    }
    if (!haveAlpha && maskStart + maskStride * h <= blob.size()) {
        bool anyMasked = false;
        for (uint64_t i = maskStart; i < maskStart + maskStride * h && !anyMasked; ++i)
            anyMasked = blob[i] != 0;
        if (anyMasked) {
            if (!AlphaCreate())
                return false;
            for (uint32_t y = 0; y < h; ++y) {
                const uint8_t* mask = blob.data() + maskStart + maskStride * y;
                for (uint32_t x = 0; x < w; ++x)
                    if ((mask[x >> 3] >> (7 - (x & 7))) & 1)
                        pAlpha[static_cast<size_t>(y) * w + x] = 0;
            }
        }
    }
    return true;
}

bool KxImageICO::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid() || GetWidth() > 256 || GetHeight() > 256) {
        SetError("Can't save this image as icon");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight();
    const bool alpha = AlphaIsValid();
    const uint32_t bpp = alpha ? 32 : GetBpp();
    const uint32_t colors = bpp <= 8 ? GetNumColors() : 0;
    const uint32_t colorStride = ((w * bpp + 31) / 32) * 4;
    const uint32_t maskStride = ((w + 31) / 32) * 4;
    const uint32_t dibSize = 40 + colors * 4 + (colorStride + maskStride) * h;

    std::vector<uint8_t> out;
    kx::PutLe16(out, 0);
    kx::PutLe16(out, 1);
    kx::PutLe16(out, 1);
    out.push_back(static_cast<uint8_t>(w == 256 ? 0 : w));
    out.push_back(static_cast<uint8_t>(h == 256 ? 0 : h));
    out.push_back(static_cast<uint8_t>(colors >= 256 ? 0 : colors));
    out.push_back(0);
    kx::PutLe16(out, 1);
    kx::PutLe16(out, bpp);
    kx::PutLe32(out, dibSize);
    kx::PutLe32(out, 22);
    // DIB header with the doubled height.
    kx::PutLe32(out, 40);
    kx::PutLe32(out, w);
    kx::PutLe32(out, 2 * h);
    kx::PutLe16(out, 1);
    kx::PutLe16(out, bpp);
    kx::PutLe32(out, BI_RGB);
    kx::PutLe32(out, (colorStride + maskStride) * h);
    kx::PutLe32(out, 0);
    kx::PutLe32(out, 0);
    kx::PutLe32(out, colors);
    kx::PutLe32(out, 0);
    if (colors != 0) {
        const auto* palette = reinterpret_cast<const uint8_t*>(GetPalette());
        out.insert(out.end(), palette, palette + colors * 4);
        for (uint32_t i = 0; i < colors; ++i)
            out[out.size() - colors * 4 + i * 4 + 3] = 0;
    }
    for (uint32_t y = 0; y < h; ++y) {
        if (bpp == 32) {
            for (uint32_t x = 0; x < w; ++x) {
                const RGBQUAD c =
                    BlindGetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y), true);
                out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, c.rgbReserved});
            }
        } else {
            const uint8_t* row = GetBits(y);
            out.insert(out.end(), row, row + colorStride);
        }
    }
    // AND mask: set bits are transparent.
    const int trans = GetTransIndex();
    for (uint32_t y = 0; y < h; ++y) {
        std::vector<uint8_t> mask(maskStride, 0);
        for (uint32_t x = 0; x < w; ++x) {
            bool transparent = false;
            if (alpha)
                transparent = AlphaGet(static_cast<int32_t>(x), static_cast<int32_t>(y)) < 128;
            else if (trans >= 0 && GetBpp() <= 8)
                transparent =
                    GetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y)) == trans;
            if (transparent)
                mask[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
        out.insert(out.end(), mask.begin(), mask.end());
    }
    if (!kx::WriteExact(hFile, out)) {
        SetError("Can't save this image as icon");
        return false;
    }
    return true;
}
