// PNG through libpng: every colour type and depth on read (16-bit reduced to 8), tRNS,
// interlaced files; palette, grey, RGB and RGBA on write with optional interlacing.

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

struct PngContext {
    KxFile* file = nullptr;
    char message[200] = "";
    jmp_buf jump;
};

void PngError(png_structp png, png_const_charp message) {
    auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
    std::snprintf(context->message, sizeof(context->message), "%s", message);
    longjmp(context->jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep data, size_t length) {
    auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
    if (context->file->Read(data, 1, length) != length)
        png_error(png, "Read Error: file is truncated");
}

void PngWrite(png_structp png, png_bytep data, size_t length) {
    auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
    if (context->file->Write(data, 1, length) != length)
        png_error(png, "Write Error");
}

void PngFlush(png_structp png) {
    static_cast<PngContext*>(png_get_io_ptr(png))->file->Flush();
}

// Frees the libpng structures whichever way the function leaves.
struct PngReadGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReadGuard() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }
};

struct PngWriteGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriteGuard() {
        if (png != nullptr)
            png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    }
};

}  // namespace

bool KxImagePNG::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    uint8_t signature[8];
    if (!kx::ReadExact(hFile, signature, 8) || png_sig_cmp(signature, 0, 8) != 0) {
        SetError("Not a PNG file");
        return false;
    }

    PngContext context;
    context.file = hFile;
    PngReadGuard guard;
    std::vector<uint8_t> buffer;         // converted rows
    std::vector<png_bytep> rowPointers;  // interlaced reads need all rows at once

    guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, PngError, PngWarning);
    if (guard.png == nullptr) {
        SetError("KxImage::Create can't allocate memory");
        return false;
    }
    guard.info = png_create_info_struct(guard.png);
    if (guard.info == nullptr) {
        SetError("KxImage::Create can't allocate memory");
        return false;
    }
    if (setjmp(context.jump)) {
        SetError(context.message[0] != '\0' ? context.message : "Not a PNG file");
        return false;
    }
    png_structp png = guard.png;
    png_infop pinfo = guard.info;
    png_set_read_fn(png, &context, PngRead);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_malloc_max(png, 64u << 20);
    png_read_info(png, pinfo);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, pinfo, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);

    const bool hasTrns = png_get_valid(png, pinfo, PNG_INFO_tRNS) != 0;
    int transIndex = -1;
    bool paletteAlpha = false;  // palette with partial transparency: becomes an alpha plane
    if (colorType == PNG_COLOR_TYPE_PALETTE && hasTrns) {
        png_bytep trans = nullptr;
        int count = 0;
        png_get_tRNS(png, pinfo, &trans, &count, nullptr);
        int transparent = 0, partial = 0;
        for (int i = 0; i < count; ++i) {
            if (trans[i] == 0) {
                ++transparent;
                if (transIndex < 0)
                    transIndex = i;
            } else if (trans[i] != 255) {
                ++partial;
            }
        }
        if (partial > 0 || transparent > 1) {
            paletteAlpha = true;
            transIndex = -1;
        }
    }

    // Choose the stored layout.
    const bool grey = colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA;
    const bool greyTrns = colorType == PNG_COLOR_TYPE_GRAY && hasTrns;
    const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || paletteAlpha || greyTrns ||
                       (colorType == PNG_COLOR_TYPE_RGB && hasTrns);
    uint32_t outBpp;
    if (paletteAlpha || colorType == PNG_COLOR_TYPE_RGB || colorType == PNG_COLOR_TYPE_RGB_ALPHA)
        outBpp = 24;
    else if (grey && bitDepth <= 8 && !greyTrns && colorType == PNG_COLOR_TYPE_GRAY)
        outBpp = bitDepth == 1 ? 1 : (bitDepth <= 4 ? 4 : 8);
    else if (grey)
        outBpp = 8;
    else
        outBpp = bitDepth == 1 ? 1 : (bitDepth <= 4 ? 4 : 8);  // palette

    if (!CheckDimensions(width, height, outBpp))
        return false;

    // 16-bit samples are rounded to the nearest 8-bit level.
    if (bitDepth == 16)
        png_set_scale_16(png);
    if (bitDepth < 8)
        png_set_packing(png);
    if (outBpp == 24) {
        if (colorType == PNG_COLOR_TYPE_PALETTE)
            png_set_palette_to_rgb(png);
        if (hasTrns)
            png_set_tRNS_to_alpha(png);
        png_set_bgr(png);
    } else if (greyTrns) {
        if (bitDepth < 8)
            png_set_expand_gray_1_2_4_to_8(png);
        png_set_tRNS_to_alpha(png);
    } else if (grey && bitDepth < 8 && outBpp == 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    const int passes = interlace != PNG_INTERLACE_NONE ? png_set_interlace_handling(png) : 1;
    png_read_update_info(png, pinfo);
    const size_t rowBytes = png_get_rowbytes(png, pinfo);
    const int channels = png_get_channels(png, pinfo);

    if (Create(width, height, outBpp, KXIMAGE_FORMAT_PNG) == nullptr)
        return false;
    if (alpha && !AlphaCreate())
        return false;

    // Palette.
    if (outBpp <= 8) {
        if (colorType == PNG_COLOR_TYPE_PALETTE) {
            png_colorp palette = nullptr;
            int count = 0;
            png_get_PLTE(png, pinfo, &palette, &count);
            for (int i = 0; i < count && i < static_cast<int>(GetNumColors()); ++i)
                SetPaletteColor(static_cast<uint8_t>(i), palette[i].red, palette[i].green,
                                palette[i].blue);
            SetTransIndex(transIndex);
        } else {
            // Grey levels of the source depth; a packed 2-bit picture uses 4 of 16 entries.
            const int levels = (grey && bitDepth < 8 && outBpp != 8) ? (1 << bitDepth) : 256;
            for (int i = 0; i < levels && i < static_cast<int>(GetNumColors()); ++i) {
                const uint8_t v = static_cast<uint8_t>(i * 255 / (levels - 1));
                SetPaletteColor(static_cast<uint8_t>(i), v, v, v);
            }
        }
    }
    if (hasTrns && colorType == PNG_COLOR_TYPE_RGB) {
        png_color_16p trans = nullptr;
        png_get_tRNS(png, pinfo, nullptr, nullptr, &trans);
        if (trans != nullptr) {
            auto level = [bitDepth](png_uint_16 v) {
                return static_cast<uint8_t>(bitDepth == 16 ? (v * 255u + 32767u) / 65535u : v);
            };
            SetTransColor(KxRGB(level(trans->red), level(trans->green), level(trans->blue)));
        }
    }

    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    if (png_get_pHYs(png, pinfo, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER) {
        SetXDPI(kx::DpiFromPelsPerMeter(static_cast<int32_t>(resX)));
        SetYDPI(kx::DpiFromPelsPerMeter(static_cast<int32_t>(resY)));
    }

    const uint32_t w = width, h = height;
    // Rows libpng produces in exactly our layout go straight into the picture.
    const bool direct = !alpha && (outBpp == 24 || outBpp == 8);
    auto store = [&](uint32_t y, const uint8_t* in) {
        uint8_t* out = GetBits(h - 1 - y);
        uint8_t* alphaRow = alpha ? pAlpha + static_cast<size_t>(h - 1 - y) * w : nullptr;
        if (outBpp == 24) {
            for (uint32_t x = 0; x < w; ++x, in += channels, out += 3) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
                if (alphaRow != nullptr)
                    alphaRow[x] = channels == 4 ? in[3] : 255;
            }
        } else if (outBpp == 8) {
            for (uint32_t x = 0; x < w; ++x, in += channels) {
                out[x] = in[0];
                if (alphaRow != nullptr)
                    alphaRow[x] = channels == 2 ? in[1] : 255;
            }
        } else {
            for (uint32_t x = 0; x < w; ++x)
                BlindSetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(h - 1 - y), in[x]);
        }
    };

    if (direct) {
        rowPointers.resize(h);
        for (uint32_t y = 0; y < h; ++y)
            rowPointers[y] = GetBits(h - 1 - y);
        for (int pass = 0; pass < passes; ++pass) {
            for (uint32_t y = 0; y < h; ++y) {
                png_read_row(png, rowPointers[y], nullptr);
                if ((y & 255) == 0 && Cancelled())
                    return false;
            }
            SetProgress(static_cast<int32_t>(100 * (pass + 1) / passes));
        }
    } else if (passes > 1) {
        const uint64_t total = static_cast<uint64_t>(rowBytes) * h;
        if (total > 4 * KXIMAGE_MAX_MEMORY) {
            SetError("KXIMAGE_MAX_MEMORY exceeded");
            return false;
        }
        buffer.assign(static_cast<size_t>(total), 0);
        rowPointers.resize(h);
        for (uint32_t y = 0; y < h; ++y)
            rowPointers[y] = buffer.data() + static_cast<size_t>(y) * rowBytes;
        for (int pass = 0; pass < passes; ++pass) {
            for (uint32_t y = 0; y < h; ++y)
                png_read_row(png, rowPointers[y], nullptr);
            if (Cancelled())
                return false;
        }
        for (uint32_t y = 0; y < h; ++y)
            store(y, rowPointers[y]);
    } else {
        buffer.assign(rowBytes, 0);
        for (uint32_t y = 0; y < h; ++y) {
            png_read_row(png, buffer.data(), nullptr);
            store(y, buffer.data());
            if ((y & 255) == 0) {
                SetProgress(static_cast<int32_t>(100ull * y / h));
                if (Cancelled())
                    return false;
            }
        }
    }
    png_read_end(png, nullptr);
    return true;
}

bool KxImagePNG::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetError("null image!!!");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight();
    const bool interlaced = (GetCodecOption(KXIMAGE_FORMAT_PNG) & 1) != 0;
    const bool alpha = AlphaIsValid();
    const uint32_t bpp = GetBpp();
    // A 256-level grey ramp is written as grey, other palettes as palette, anything with
    // an alpha plane as RGBA.
    bool greyRamp = bpp == 8 && !alpha;
    if (greyRamp) {
        const RGBQUAD* palette = GetPalette();
        for (int i = 0; i < 256 && greyRamp; ++i)
            greyRamp =
                palette[i].rgbRed == i && palette[i].rgbGreen == i && palette[i].rgbBlue == i;
    }
    int colorType, bitDepth = 8;
    if (alpha)
        colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    else if (bpp == 24)
        colorType = PNG_COLOR_TYPE_RGB;
    else if (greyRamp)
        colorType = PNG_COLOR_TYPE_GRAY;
    else {
        colorType = PNG_COLOR_TYPE_PALETTE;
        bitDepth = bpp;
    }

    PngContext context;
    context.file = hFile;
    PngWriteGuard guard;
    std::vector<uint8_t> buffer;
    std::vector<png_bytep> rowPointers(h);
    png_color palette[256];
    png_byte trans[256];
    // RGBA rows are built first: libpng needs them all for interlacing.
    if (alpha) {
        buffer.resize(static_cast<size_t>(w) * 4 * (interlaced ? h : 1));
    }

    guard.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &context, PngError, PngWarning);
    if (guard.png == nullptr || (guard.info = png_create_info_struct(guard.png)) == nullptr) {
        SetError("Error saving PNG file");
        return false;
    }
    if (setjmp(context.jump)) {
        SetError("Error saving PNG file");
        return false;
    }
    png_structp png = guard.png;
    png_infop pinfo = guard.info;
    png_set_write_fn(png, &context, PngWrite, PngFlush);
    png_set_IHDR(png, pinfo, w, h, bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        const RGBQUAD* source = GetPalette();
        const int count = static_cast<int>(GetNumColors());
        for (int i = 0; i < count; ++i)
            palette[i] = png_color{source[i].rgbRed, source[i].rgbGreen, source[i].rgbBlue};
        png_set_PLTE(png, pinfo, palette, count);
        const int index = GetTransIndex();
        if (index >= 0 && index < count) {
            std::fill(trans, trans + 256, 255);
            trans[index] = 0;
            png_set_tRNS(png, pinfo, trans, index + 1, nullptr);
        }
    } else if (colorType == PNG_COLOR_TYPE_GRAY && GetTransIndex() >= 0 && GetTransIndex() < 256) {
        png_color_16 grey{};
        grey.gray = static_cast<png_uint_16>(GetTransIndex());
        png_set_tRNS(png, pinfo, nullptr, 0, &grey);
    }
    png_set_pHYs(png, pinfo, static_cast<png_uint_32>(head.biXPelsPerMeter),
                 static_cast<png_uint_32>(head.biYPelsPerMeter), PNG_RESOLUTION_METER);
    png_write_info(png, pinfo);
    if (colorType == PNG_COLOR_TYPE_RGB)
        png_set_bgr(png);

    auto rgbaRow = [&](uint32_t y, uint8_t* out) {
        const uint32_t row = h - 1 - y;
        const uint8_t* a = pAlpha + static_cast<size_t>(row) * w;
        if (bpp == 24) {
            const uint8_t* in = GetBits(row);
            for (uint32_t x = 0; x < w; ++x, in += 3, out += 4) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                out[3] = a[x];
            }
        } else {
            for (uint32_t x = 0; x < w; ++x, out += 4) {
                const RGBQUAD c =
                    BlindGetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(row), false);
                out[0] = c.rgbRed;
                out[1] = c.rgbGreen;
                out[2] = c.rgbBlue;
                out[3] = a[x];
            }
        }
    };

    if (alpha && !interlaced) {
        for (uint32_t y = 0; y < h; ++y) {
            rgbaRow(y, buffer.data());
            png_write_row(png, buffer.data());
        }
    } else {
        for (uint32_t y = 0; y < h; ++y) {
            if (alpha) {
                rowPointers[y] = buffer.data() + static_cast<size_t>(y) * w * 4;
                rgbaRow(y, rowPointers[y]);
            } else {
                rowPointers[y] = GetBits(h - 1 - y);
            }
        }
        png_write_image(png, rowPointers.data());
    }
    png_write_end(png, pinfo);
    return true;
}
