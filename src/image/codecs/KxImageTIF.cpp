// TIFF through libtiff: multi-page read and write, appending, and the compression choice
// of the option word.

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "image/KxImageTIF.h"
#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxSwapRedBlue.h"
#include "image/codecs/KxTiffSamples.h"

namespace {

struct TiffHandle {
    KxFile* file;
    char message[256];
};

tmsize_t TiffRead(thandle_t handle, void* buffer, tmsize_t size) {
    auto* h = static_cast<TiffHandle*>(handle);
    return size <= 0 ? 0
                     : static_cast<tmsize_t>(h->file->Read(buffer, 1, static_cast<size_t>(size)));
}

tmsize_t TiffWrite(thandle_t handle, void* buffer, tmsize_t size) {
    auto* h = static_cast<TiffHandle*>(handle);
    return size <= 0 ? 0
                     : static_cast<tmsize_t>(h->file->Write(buffer, 1, static_cast<size_t>(size)));
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence) {
    auto* h = static_cast<TiffHandle*>(handle);
    if (!h->file->Seek(static_cast<int64_t>(offset), whence))
        return static_cast<toff_t>(-1);
    return static_cast<toff_t>(h->file->Tell());
}

int TiffClose(thandle_t) {
    return 0;
}

toff_t TiffSize(thandle_t handle) {
    return static_cast<toff_t>(static_cast<TiffHandle*>(handle)->file->Size());
}

int TiffMap(thandle_t, void**, toff_t*) {
    return 0;
}

void TiffUnmap(thandle_t, void*, toff_t) {}

int TiffErrorHandler(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* h = static_cast<TiffHandle*>(user);
    if (h->message[0] == '\0')
        std::vsnprintf(h->message, sizeof(h->message), format, args);
    return 1;
}

int TiffWarningHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// Opens libtiff over a stream with error messages kept per handle.
TIFF* OpenTiff(TiffHandle& handle, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, TiffErrorHandler, &handle);
    TIFFOpenOptionsSetWarningHandlerExtR(options, TiffWarningHandler, &handle);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(4 * KXIMAGE_MAX_MEMORY));
    TIFF* tif = TIFFClientOpenExt("KxImage", mode, &handle, TiffRead, TiffWrite, TiffSeek,
                                  TiffClose, TiffSize, TiffMap, TiffUnmap, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

struct TiffCloser {
    TIFF* tif;
    ~TiffCloser() {
        if (tif != nullptr)
            TIFFClose(tif);
    }
};

uint16_t ChooseCompression(uint32_t option, uint32_t bpp, bool grey, bool bilevel) {
    switch (option) {
        case 1:
            return COMPRESSION_NONE;
        case 2:
            return bilevel ? COMPRESSION_CCITTRLE : COMPRESSION_LZW;
        case 3:
        case 4:
            return bilevel ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW;
        case 5:
            return COMPRESSION_LZW;
        case 7:
            // JPEG holds 8-bit grey or RGB only.
            return (bpp == 24 || (bpp == 8 && grey)) ? COMPRESSION_JPEG : COMPRESSION_LZW;
        case 32773:
            return COMPRESSION_PACKBITS;
        default:
            // Automatic: fax coding for black and white, lossless LZW for everything else.
            return bilevel ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW;
    }
}

// Colour channels before the extra samples: 1 grey, 3 RGB, 4 CMYK; 0 for any other
// photometric interpretation.
uint16_t ColourChannels(uint16_t photometric, uint16_t inkSet) {
    switch (photometric) {
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE:
            return 1;
        case PHOTOMETRIC_RGB:
            return 3;
        case PHOTOMETRIC_SEPARATED:
            return inkSet == INKSET_CMYK ? 4 : 0;
        default:
            return 0;
    }
}

// An extra sample after the colours is alpha; the tag says whether the colours were
// multiplied by it. Files without the tag (or with "unspecified") get straight alpha.
kx::TiffAlpha AlphaOf(uint16_t samplesPerPixel, uint16_t colourChannels, uint16_t extraCount,
                      const uint16_t* extraTypes) {
    if (colourChannels == 0 || samplesPerPixel <= colourChannels)
        return kx::TiffAlpha::None;
    if (extraCount > 0 && extraTypes != nullptr && extraTypes[0] == EXTRASAMPLE_ASSOCALPHA)
        return kx::TiffAlpha::Premultiplied;
    return kx::TiffAlpha::Straight;
}

}  // namespace

bool KxImageTIF::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    uint8_t magic[4];
    const int64_t start = hFile->Tell();
    if (!kx::ReadExact(hFile, magic, 4) ||
        !((magic[0] == 'I' && magic[1] == 'I' && (magic[2] == 42 || magic[2] == 43) &&
           magic[3] == 0) ||
          (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 &&
           (magic[3] == 42 || magic[3] == 43)))) {
        SetError("Not a TIFF file");
        return false;
    }
    hFile->Seek(start, SEEK_SET);

    TiffHandle handle{hFile, ""};
    TiffCloser closer{OpenTiff(handle, "rm")};
    TIFF* tif = closer.tif;
    if (tif == nullptr) {
        SetError("Corrupted TIFF file!");
        return false;
    }
    // Count the pages without trusting the file: libtiff stops at loops in the chain.
    const tdir_t pages = TIFFNumberOfDirectories(tif);
    info.nNumFrames = static_cast<int32_t>(pages);
    const int32_t page = info.nFrame;
    if (page < 0 || page >= static_cast<int32_t>(pages) ||
        !TIFFSetDirectory(tif, static_cast<tdir_t>(page))) {
        SetError("Error: page not present in TIFF file");
        return false;
    }

    uint32_t width = 0, height = 0;
    uint16_t bitsPerSample = 1, samplesPerPixel = 1, photometric = PHOTOMETRIC_MINISWHITE;
    uint16_t planar = PLANARCONFIG_CONTIG, extraCount = 0;
    uint16_t* extraTypes = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height)) {
        SetError("Corrupted TIFF file!");
        return false;
    }
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT, inkSet = INKSET_CMYK, compression = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const uint16_t colourChannels = ColourChannels(photometric, inkSet);
    const kx::TiffAlpha alphaKind =
        AlphaOf(samplesPerPixel, colourChannels, extraCount, extraTypes);

    float resX = 0, resY = 0;
    uint16_t resUnit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &resUnit);
    const double unitFactor = resUnit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &resX) && resX > 0 && resX < 1e6)
        SetXDPI(static_cast<int32_t>(resX * unitFactor + 0.5));
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &resY) && resY > 0 && resY < 1e6)
        SetYDPI(static_cast<int32_t>(resY * unitFactor + 0.5));

    const bool tiled = TIFFIsTiled(tif) != 0;
    const bool greyLike =
        photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    const bool simpleIndexed = !tiled && planar == PLANARCONFIG_CONTIG && samplesPerPixel == 1 &&
                               sampleFormat == SAMPLEFORMAT_UINT &&
                               (bitsPerSample == 1 || bitsPerSample == 4 || bitsPerSample == 8) &&
                               (greyLike || photometric == PHOTOMETRIC_PALETTE);
    // Premultiplied colours go through the sample reader, which restores straight alpha.
    const bool simpleRgb =
        !tiled && planar == PLANARCONFIG_CONTIG && bitsPerSample == 8 &&
        sampleFormat == SAMPLEFORMAT_UINT && photometric == PHOTOMETRIC_RGB &&
        (samplesPerPixel == 3 || (samplesPerPixel == 4 && alphaKind == kx::TiffAlpha::Straight));

    if (simpleIndexed) {
        if (!CheckDimensions(width, height, bitsPerSample) ||
            Create(width, height, bitsPerSample, KXIMAGE_FORMAT_TIF) == nullptr)
            return false;
        const uint32_t colors = GetNumColors();
        if (photometric == PHOTOMETRIC_PALETTE) {
            uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
            if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
                SetError("Corrupted TIFF file!");
                return false;
            }
            // Some writers store 8-bit values in the 16-bit map.
            bool eightBit = true;
            for (uint32_t i = 0; i < colors; ++i)
                if (red[i] > 255 || green[i] > 255 || blue[i] > 255)
                    eightBit = false;
            const int shift = eightBit ? 0 : 8;
            for (uint32_t i = 0; i < colors; ++i)
                SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(red[i] >> shift),
                                static_cast<uint8_t>(green[i] >> shift),
                                static_cast<uint8_t>(blue[i] >> shift));
        } else {
            for (uint32_t i = 0; i < colors; ++i) {
                uint8_t v = static_cast<uint8_t>(i * 255 / (colors - 1));
                if (photometric == PHOTOMETRIC_MINISWHITE)
                    v = static_cast<uint8_t>(255 - v);
                SetPaletteColor(static_cast<uint8_t>(i), v, v, v);
            }
        }
        const tmsize_t scanline = TIFFScanlineSize(tif);
        if (scanline <= 0 || static_cast<uint64_t>(scanline) > GetEffWidth()) {
            SetError("Corrupted TIFF file!");
            return false;
        }
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tif, GetBits(height - 1 - y), y, 0) < 0) {
                SetError(handle.message[0] != '\0' ? handle.message : "Corrupted TIFF file!");
                return false;
            }
            if ((y & 127) == 0) {
                SetProgress(static_cast<int32_t>(100ull * y / height));
                if (Cancelled())
                    return false;
            }
        }
        return true;
    }

    if (simpleRgb) {
        if (!CheckDimensions(width, height, 24) ||
            Create(width, height, 24, KXIMAGE_FORMAT_TIF) == nullptr)
            return false;
        const bool withAlpha = samplesPerPixel == 4;
        if (withAlpha && !AlphaCreate())
            return false;
        const tmsize_t scanline = TIFFScanlineSize(tif);
        if (scanline < static_cast<tmsize_t>(width) * samplesPerPixel) {
            SetError("Corrupted TIFF file!");
            return false;
        }
        std::vector<uint8_t> row(static_cast<size_t>(scanline));
        // Plain RGB scan lines fit in our rows: read them in place and swap there.
        const bool inPlace = !withAlpha && static_cast<uint64_t>(scanline) <= GetEffWidth();
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* out = GetBits(height - 1 - y);
            if (TIFFReadScanline(tif, inPlace ? out : row.data(), y, 0) < 0) {
                SetError(handle.message[0] != '\0' ? handle.message : "Corrupted TIFF file!");
                return false;
            }
            const uint8_t* in = row.data();
            if (inPlace) {
                kx::SwapRedBlue(out, width);
            } else if (withAlpha) {
                uint8_t* alpha = pAlpha + static_cast<size_t>(height - 1 - y) * width;
                for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
                    out[0] = in[2];
                    out[1] = in[1];
                    out[2] = in[0];
                    alpha[x] = in[3];
                }
            } else {
                for (uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
                    out[0] = in[2];
                    out[1] = in[1];
                    out[2] = in[0];
                }
            }
            if ((y & 127) == 0) {
                SetProgress(static_cast<int32_t>(100ull * y / height));
                if (Cancelled())
                    return false;
            }
        }
        return true;
    }

    // Grey, RGB and CMYK of any whole-byte sample width, in tiles or planes.
    const kx::TiffLayout layout{width,
                                height,
                                samplesPerPixel,
                                bitsPerSample,
                                sampleFormat,
                                photometric,
                                planar == PLANARCONFIG_SEPARATE,
                                colourChannels,
                                alphaKind};
    if (compression != COMPRESSION_OJPEG && colourChannels != 0 && kx::TiffSamplesSupported(layout))
        return DecodeSamples(layout, tif, handle.message);

    // Everything else (YCbCr, Lab, odd bit widths ...) through libtiff's RGBA reader.
    char message[1024] = "";
    if (!TIFFRGBAImageOK(tif, message)) {
        SetError(message[0] != '\0' ? message : "Corrupted TIFF file!");
        return false;
    }
    if (!CheckDimensions(width, height, 24))
        return false;
    const uint64_t pixels = static_cast<uint64_t>(width) * height;
    if (pixels * 4 > 4 * KXIMAGE_MAX_MEMORY) {
        SetError("KXIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    std::vector<uint32_t> raster;
    try {
        raster.resize(static_cast<size_t>(pixels));
    } catch (const std::exception&) {
        SetError("KxImage::Create can't allocate memory");
        return false;
    }
    if (!TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_BOTLEFT, 0)) {
        SetError(handle.message[0] != '\0' ? handle.message : "Corrupted TIFF file!");
        return false;
    }
    const bool withAlpha = extraCount > 0 || samplesPerPixel == 2 || samplesPerPixel == 4;
    if (Create(width, height, 24, KXIMAGE_FORMAT_TIF) == nullptr)
        return false;
    if (withAlpha && !AlphaCreate())
        return false;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* out = GetBits(y);
        const uint32_t* in = raster.data() + static_cast<size_t>(y) * width;
        for (uint32_t x = 0; x < width; ++x, out += 3) {
            out[0] = static_cast<uint8_t>(TIFFGetB(in[x]));
            out[1] = static_cast<uint8_t>(TIFFGetG(in[x]));
            out[2] = static_cast<uint8_t>(TIFFGetR(in[x]));
            if (withAlpha) {
                // The RGBA reader premultiplies every alpha it knows; KxImage keeps straight alpha.
                const uint32_t a = TIFFGetA(in[x]);
                pAlpha[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(a);
                for (int c = 0; c < 3; ++c)
                    out[c] = a == 0 ? 0
                                    : static_cast<uint8_t>(
                                          std::min<uint32_t>(255, (out[c] * 255u + a / 2) / a));
            }
        }
    }
    return true;
}

bool KxImageTIF::DecodeSamples(const kx::TiffLayout& layout, TIFF* tif, const char* message) {
    const bool grey = layout.colorChannels == 1;
    const uint32_t width = layout.width, height = layout.height;
    if (!CheckDimensions(width, height, grey ? 8 : 24))
        return false;
    kx::TiffSamples samples(layout);
    if (!samples.Read(tif, 4 * KXIMAGE_MAX_MEMORY)) {
        SetError(message[0] != '\0' ? message : "Corrupted TIFF file!");
        return false;
    }
    if (Create(width, height, grey ? 8 : 24, KXIMAGE_FORMAT_TIF) == nullptr)
        return false;
    if (grey)
        SetGrayPalette();
    const bool alpha = layout.alpha != kx::TiffAlpha::None;
    if (alpha && !AlphaCreate())
        return false;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t row = height - 1 - y;
        uint8_t* out = GetBits(row);
        uint8_t* alphaRow = alpha ? pAlpha + static_cast<size_t>(row) * width : nullptr;
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t bgra[4];
            samples.Pixel(x, y, bgra);
            if (grey) {
                out[x] = bgra[0];
            } else {
                out[3 * x] = bgra[0];
                out[3 * x + 1] = bgra[1];
                out[3 * x + 2] = bgra[2];
            }
            if (alphaRow != nullptr)
                alphaRow[x] = bgra[3];
        }
        if ((y & 127) == 0) {
            SetProgress(static_cast<int32_t>(100ull * y / height));
            if (Cancelled())
                return false;
        }
    }
    return true;
}

namespace {

// Writes one picture as the current directory of `tif`.
bool WritePage(TIFF* tif, const KxImage& image, uint32_t option, int page, int pages) {
    const uint32_t w = image.GetWidth(), h = image.GetHeight(), bpp = image.GetBpp();
    const bool alpha = image.AlphaIsValid();
    const RGBQUAD* palette = image.GetPalette();
    const bool grey = image.IsGrayScale();
    // A 1-bit picture is bilevel when its two entries are black and white (either order).
    bool bilevel = false, whiteIsZero = false;
    if (bpp == 1 && palette != nullptr && grey) {
        const uint8_t a = palette[0].rgbRed, b = palette[1].rgbRed;
        if ((a == 0 && b == 255) || (a == 255 && b == 0)) {
            bilevel = true;
            whiteIsZero = a == 255;
        }
    }
    bool greyRamp = grey && bpp == 8 && !alpha;
    for (int i = 0; greyRamp && i < 256; ++i)
        greyRamp = palette[i].rgbRed == i;
    bool greyRamp4 = grey && bpp == 4 && !alpha;
    for (int i = 0; greyRamp4 && i < 16; ++i)
        greyRamp4 = palette[i].rgbRed == i * 17;

    const bool rgb = bpp == 24 || alpha;
    const uint16_t samples = rgb ? (alpha ? 4 : 3) : 1;
    const uint16_t bits = rgb ? 8 : static_cast<uint16_t>(bpp);
    uint16_t photometric;
    if (rgb)
        photometric = PHOTOMETRIC_RGB;
    else if (bilevel)
        photometric = whiteIsZero ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK;
    else if (greyRamp || greyRamp4)
        photometric = PHOTOMETRIC_MINISBLACK;
    else
        photometric = PHOTOMETRIC_PALETTE;
    uint16_t compression = ChooseCompression(option, rgb ? 24 : bpp,
                                             greyRamp || (grey && bpp == 8 && !alpha), bilevel);
    if (compression == COMPRESSION_JPEG && !(rgb || greyRamp))
        compression = COMPRESSION_LZW;
    if (compression == COMPRESSION_JPEG && alpha)
        compression = COMPRESSION_LZW;

    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(image.GetXDPI()));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(image.GetYDPI()));
    if (alpha) {
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, static_cast<int>(image.GetJpegQuality()));
    }
    if (compression == COMPRESSION_LZW)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_NONE);
    if (pages > 1) {
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(page),
                     static_cast<uint16_t>(pages));
    }
    if (photometric == PHOTOMETRIC_PALETTE) {
        std::vector<uint16_t> map(3u << bits, 0);
        const uint32_t colors = 1u << bits;
        for (uint32_t i = 0; i < colors && i < image.GetNumColors(); ++i) {
            map[i] = static_cast<uint16_t>(palette[i].rgbRed * 257);
            map[colors + i] = static_cast<uint16_t>(palette[i].rgbGreen * 257);
            map[2 * colors + i] = static_cast<uint16_t>(palette[i].rgbBlue * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + colors,
                     map.data() + 2 * colors);
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));

    std::vector<uint8_t> row(static_cast<size_t>(w) * samples + 4);
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t source = h - 1 - y;
        uint8_t* data;
        if (rgb) {
            uint8_t* out = row.data();
            const uint8_t* a =
                alpha ? image.AlphaGetPointer(0, static_cast<int32_t>(source)) : nullptr;
            if (bpp == 24 && a == nullptr) {
                kx::CopySwapRedBlue(image.GetBits(source), out, w);
            } else if (bpp == 24) {
                const uint8_t* in = image.GetBits(source);
                for (uint32_t x = 0; x < w; ++x, in += 3, out += samples) {
                    out[0] = in[2];
                    out[1] = in[1];
                    out[2] = in[0];
                    if (a != nullptr)
                        out[3] = a[x];
                }
            } else {
                for (uint32_t x = 0; x < w; ++x, out += samples) {
                    const RGBQUAD c = image.GetPixelColor(static_cast<int32_t>(x),
                                                          static_cast<int32_t>(source), false);
                    out[0] = c.rgbRed;
                    out[1] = c.rgbGreen;
                    out[2] = c.rgbBlue;
                    if (a != nullptr)
                        out[3] = a[x];
                }
            }
            data = row.data();
        } else {
            // TIFF bilevel data means "1 = white" for min-is-black: exactly our indices.
            data = image.GetBits(source);
        }
        if (TIFFWriteScanline(tif, data, y, 0) < 0)
            return false;
    }
    return TIFFWriteDirectory(tif) != 0;
}

}  // namespace

bool KxImageTIF::Encode(KxFile* hFile, bool bAppend) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetError("null image!!!");
        return false;
    }
    TiffHandle handle{hFile, ""};
    TiffCloser closer{OpenTiff(handle, bAppend ? "a" : "w")};
    if (closer.tif == nullptr ||
        !WritePage(closer.tif, *this, GetCodecOption(KXIMAGE_FORMAT_TIF), 0, 1)) {
        SetError("Error saving TIFF file");
        return false;
    }
    TIFFClose(closer.tif);
    closer.tif = nullptr;
    if (hFile->Error()) {
        SetError("Error saving TIFF file");
        return false;
    }
    return true;
}

bool KxImageTIF::Encode(KxFile* hFile, KxImage** pImages, int pagecount) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (pImages == nullptr || pagecount <= 0) {
        SetError("null image!!!");
        return false;
    }
    TiffHandle handle{hFile, ""};
    TiffCloser closer{OpenTiff(handle, "w")};
    if (closer.tif == nullptr) {
        SetError("Error saving TIFF file");
        return false;
    }
    for (int i = 0; i < pagecount; ++i) {
        if (pImages[i] == nullptr || !pImages[i]->IsValid()) {
            SetError("null image!!!");
            return false;
        }
        if (!WritePage(closer.tif, *pImages[i], pImages[i]->GetCodecOption(KXIMAGE_FORMAT_TIF), i,
                       pagecount)) {
            SetError("Error saving TIFF file");
            return false;
        }
        SetProgress(100 * (i + 1) / pagecount);
    }
    TIFFClose(closer.tif);
    closer.tif = nullptr;
    return true;
}
