// Codec throughput on a 4000 x 3000 24-bit picture. For the library codecs the same work
// is also done by calling the library directly into the same pixel layout (bottom-up BGR
// rows), and the ratio ours / direct is printed; our own codecs print their throughput.
//
//   codec <format> <decode|encode> ours_ms <t> direct_ms <t> ratio <r>
//   codec <format> <decode|encode> ours_ms <t> mb_per_s <x>

#include <stdio.h>
// clang-format off
#include <jpeglib.h>
// clang-format on
#include <openjpeg.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "image/KxImage.h"

namespace {

constexpr uint32_t kWidth = 4000;
constexpr uint32_t kHeight = 3000;

// Best wall time of `runs` calls, in milliseconds.
double TimeBest(int runs, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    return best;
}

// A photograph-like picture: smooth gradients, texture and some noise.
KxImage MakePicture() {
    KxImage image(kWidth, kHeight, 24);
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = image.GetBits(y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            seed = seed * 1664525 + 1013904223;
            const int noise = static_cast<int>((seed >> 24) & 7) - 4;
            const double wave = 40 * std::sin(x / 57.0) * std::cos(y / 43.0);
            row[3 * x] =
                static_cast<uint8_t>(std::clamp(static_cast<int>(x / 16 + wave) + noise, 0, 255));
            row[3 * x + 1] =
                static_cast<uint8_t>(std::clamp(static_cast<int>(y / 12 + wave) + noise, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(
                std::clamp(static_cast<int>((x + y) / 28 - wave) + noise, 0, 255));
        }
    }
    return image;
}

// Bottom-up BGR rows with the DIB stride: the layout every direct decoder fills.
struct RawPicture {
    uint32_t stride = ((kWidth * 24 + 31) / 32) * 4;
    std::unique_ptr<uint8_t[]> pixels{new uint8_t[static_cast<size_t>(stride) * kHeight]};
    uint8_t* Row(uint32_t fromTop) {
        return pixels.get() + static_cast<size_t>(kHeight - 1 - fromTop) * stride;
    }
};

// --- JPEG ------------------------------------------------------------------------------

std::vector<uint8_t> DirectJpegEncode(const KxImage& image, int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < kHeight) {
        JSAMPROW row = image.GetBits(kHeight - 1 - cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    free(buffer);
    return out;
}

void DirectJpegDecode(const std::vector<uint8_t>& bytes) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    RawPicture picture;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[4];
        const uint32_t count = std::min<uint32_t>(4, cinfo.output_height - cinfo.output_scanline);
        for (uint32_t i = 0; i < count; ++i)
            rows[i] = picture.Row(cinfo.output_scanline + i);
        jpeg_read_scanlines(&cinfo, rows, count);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

// --- PNG -------------------------------------------------------------------------------

void PngAppend(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlushNothing(png_structp) {}

std::vector<uint8_t> DirectPngEncode(const KxImage& image) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, PngAppend, PngFlushNothing);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, 3780, 3780, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    png_set_bgr(png);
    std::vector<png_bytep> rows(kHeight);
    for (uint32_t y = 0; y < kHeight; ++y)
        rows[y] = image.GetBits(kHeight - 1 - y);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

struct PngSource {
    const std::vector<uint8_t>* bytes;
    size_t position;
};

void PngReadMemory(png_structp png, png_bytep data, size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    std::memcpy(data, source->bytes->data() + source->position, length);
    source->position += length;
}

void DirectPngDecode(const std::vector<uint8_t>& bytes) {
    PngSource source{&bytes, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_read_fn(png, &source, PngReadMemory);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    RawPicture picture;
    for (uint32_t y = 0; y < kHeight; ++y)
        png_read_row(png, picture.Row(y), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
}

// --- TIFF ------------------------------------------------------------------------------

struct TiffMemory {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

tmsize_t TiffMemRead(thandle_t h, void* buffer, tmsize_t size) {
    auto* m = static_cast<TiffMemory*>(h);
    const size_t n = std::min<size_t>(static_cast<size_t>(size),
                                      m->bytes.size() - std::min(m->position, m->bytes.size()));
    std::memcpy(buffer, m->bytes.data() + m->position, n);
    m->position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t TiffMemWrite(thandle_t h, void* buffer, tmsize_t size) {
    auto* m = static_cast<TiffMemory*>(h);
    if (m->position + static_cast<size_t>(size) > m->bytes.size())
        m->bytes.resize(m->position + static_cast<size_t>(size));
    std::memcpy(m->bytes.data() + m->position, buffer, static_cast<size_t>(size));
    m->position += static_cast<size_t>(size);
    return size;
}

toff_t TiffMemSeek(thandle_t h, toff_t offset, int whence) {
    auto* m = static_cast<TiffMemory*>(h);
    if (whence == SEEK_CUR)
        offset += m->position;
    else if (whence == SEEK_END)
        offset += m->bytes.size();
    m->position = static_cast<size_t>(offset);
    return offset;
}

int TiffMemClose(thandle_t) {
    return 0;
}

toff_t TiffMemSize(thandle_t h) {
    return static_cast<TiffMemory*>(h)->bytes.size();
}

int TiffMemMap(thandle_t, void**, toff_t*) {
    return 0;
}

void TiffMemUnmap(thandle_t, void*, toff_t) {}

TIFF* OpenMemoryTiff(TiffMemory& memory, const char* mode) {
    return TIFFClientOpen("bench", mode, &memory, TiffMemRead, TiffMemWrite, TiffMemSeek,
                          TiffMemClose, TiffMemSize, TiffMemMap, TiffMemUnmap);
}

std::vector<uint8_t> DirectTiffEncode(const KxImage& image) {
    TiffMemory memory;
    TIFF* tif = OpenMemoryTiff(memory, "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    std::vector<uint8_t> row(kWidth * 3);
    for (uint32_t y = 0; y < kHeight; ++y) {
        const uint8_t* in = image.GetBits(kHeight - 1 - y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            row[3 * x] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x];
        }
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
    return memory.bytes;
}

void DirectTiffDecode(const std::vector<uint8_t>& bytes) {
    TiffMemory memory{bytes, 0};
    TIFF* tif = OpenMemoryTiff(memory, "rm");
    RawPicture picture;
    std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize(tif)));
    for (uint32_t y = 0; y < kHeight; ++y) {
        TIFFReadScanline(tif, row.data(), y, 0);
        uint8_t* out = picture.Row(y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            out[3 * x] = row[3 * x + 2];
            out[3 * x + 1] = row[3 * x + 1];
            out[3 * x + 2] = row[3 * x];
        }
    }
    TIFFClose(tif);
}

// --- JPEG 2000 -------------------------------------------------------------------------

struct OpjMemory {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

OPJ_SIZE_T OpjRead(void* buffer, OPJ_SIZE_T size, void* user) {
    auto* m = static_cast<OpjMemory*>(user);
    if (m->position >= m->bytes.size())
        return static_cast<OPJ_SIZE_T>(-1);
    const size_t n = std::min<size_t>(size, m->bytes.size() - m->position);
    std::memcpy(buffer, m->bytes.data() + m->position, n);
    m->position += n;
    return n;
}

OPJ_SIZE_T OpjWrite(void* buffer, OPJ_SIZE_T size, void* user) {
    auto* m = static_cast<OpjMemory*>(user);
    if (m->position + size > m->bytes.size())
        m->bytes.resize(m->position + size);
    std::memcpy(m->bytes.data() + m->position, buffer, size);
    m->position += size;
    return size;
}

OPJ_OFF_T OpjSkip(OPJ_OFF_T count, void* user) {
    static_cast<OpjMemory*>(user)->position += static_cast<size_t>(count);
    return count;
}

OPJ_BOOL OpjSeek(OPJ_OFF_T position, void* user) {
    static_cast<OpjMemory*>(user)->position = static_cast<size_t>(position);
    return OPJ_TRUE;
}

opj_stream_t* OpjStream(OpjMemory& memory, bool input) {
    opj_stream_t* stream = opj_stream_create(64 * 1024, input);
    opj_stream_set_user_data(stream, &memory, nullptr);
    if (input) {
        opj_stream_set_read_function(stream, OpjRead);
        opj_stream_set_user_data_length(stream, memory.bytes.size());
    } else {
        opj_stream_set_write_function(stream, OpjWrite);
    }
    opj_stream_set_skip_function(stream, OpjSkip);
    opj_stream_set_seek_function(stream, OpjSeek);
    return stream;
}

std::vector<uint8_t> DirectJp2Encode(const KxImage& image) {
    opj_image_cmptparm_t parameters[3];
    std::memset(parameters, 0, sizeof(parameters));
    for (auto& p : parameters) {
        p.dx = p.dy = 1;
        p.w = kWidth;
        p.h = kHeight;
        p.prec = 8;
    }
    opj_image_t* picture = opj_image_create(3, parameters, OPJ_CLRSPC_SRGB);
    picture->x1 = kWidth;
    picture->y1 = kHeight;
    for (uint32_t y = 0; y < kHeight; ++y) {
        const uint8_t* in = image.GetBits(kHeight - 1 - y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            const size_t i = static_cast<size_t>(y) * kWidth + x;
            picture->comps[0].data[i] = in[3 * x + 2];
            picture->comps[1].data[i] = in[3 * x + 1];
            picture->comps[2].data[i] = in[3 * x];
        }
    }
    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.tcp_numlayers = 1;
    settings.tcp_rates[0] = 0;
    settings.cp_disto_alloc = 1;
    settings.numresolution = 6;
    OpjMemory memory;
    opj_codec_t* codec = opj_create_compress(OPJ_CODEC_JP2);
    opj_stream_t* stream = OpjStream(memory, false);
    opj_setup_encoder(codec, &settings, picture);
    opj_start_compress(codec, picture, stream);
    opj_encode(codec, stream);
    opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(picture);
    return memory.bytes;
}

void DirectJp2Decode(const std::vector<uint8_t>& bytes) {
    OpjMemory memory{bytes, 0};
    opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_JP2);
    opj_stream_t* stream = OpjStream(memory, true);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    opj_setup_decoder(codec, &parameters);
    opj_image_t* picture = nullptr;
    opj_read_header(stream, codec, &picture);
    opj_decode(codec, stream, picture);
    opj_end_decompress(codec, stream);
    RawPicture raw;
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* out = raw.Row(y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            const size_t i = static_cast<size_t>(y) * kWidth + x;
            out[3 * x] = static_cast<uint8_t>(picture->comps[2].data[i]);
            out[3 * x + 1] = static_cast<uint8_t>(picture->comps[1].data[i]);
            out[3 * x + 2] = static_cast<uint8_t>(picture->comps[0].data[i]);
        }
    }
    opj_image_destroy(picture);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
}

// --- Reporting -------------------------------------------------------------------------

std::vector<uint8_t> OursEncode(KxImage& image, uint32_t type) {
    std::vector<uint8_t> bytes;
    if (!image.Encode(bytes, type))
        std::fprintf(stderr, "encode %u failed: %s\n", type, image.GetLastError());
    return bytes;
}

void OursDecode(const std::vector<uint8_t>& bytes, uint32_t type) {
    KxImage image;
    if (!image.Decode(bytes.data(), bytes.size(), type))
        std::fprintf(stderr, "decode %u failed: %s\n", type, image.GetLastError());
}

// Runs ours and the direct version alternately, so that both see the same machine load,
// and keeps the best time of each.
std::pair<double, double> TimePair(int runs, const std::function<void()>& ours,
                                   const std::function<void()>& direct) {
    double bestOurs = 1e30, bestDirect = 1e30;
    for (int i = 0; i < runs; ++i) {
        bestOurs = std::min(bestOurs, TimeBest(1, ours));
        bestDirect = std::min(bestDirect, TimeBest(1, direct));
    }
    return {bestOurs, bestDirect};
}

void Compare(const char* format, uint32_t type, KxImage& image, int runs,
             const std::function<std::vector<uint8_t>()>& directEncode,
             const std::function<void(const std::vector<uint8_t>&)>& directDecode) {
    std::vector<uint8_t> encoded;
    const auto [oursEncode, direct] = TimePair(
        runs, [&] { encoded = OursEncode(image, type); }, [&] { directEncode(); });
    std::printf("codec %s encode ours_ms %.1f direct_ms %.1f ratio %.2f\n", format, oursEncode,
                direct, oursEncode / direct);
    const auto [oursDecode, directDecodeMs] = TimePair(
        runs, [&] { OursDecode(encoded, type); }, [&] { directDecode(encoded); });
    std::printf("codec %s decode ours_ms %.1f direct_ms %.1f ratio %.2f\n", format, oursDecode,
                directDecodeMs, oursDecode / directDecodeMs);
    std::fflush(stdout);
}

void Throughput(const char* format, uint32_t type, KxImage& image, int runs) {
    const double megabytes = static_cast<double>(kWidth) * kHeight * 3 / 1e6;
    std::vector<uint8_t> encoded;
    const double encode = TimeBest(runs, [&] { encoded = OursEncode(image, type); });
    std::printf("codec %s encode ours_ms %.1f mb_per_s %.0f\n", format, encode,
                megabytes / encode * 1000);
    const double decode = TimeBest(runs, [&] { OursDecode(encoded, type); });
    std::printf("codec %s decode ours_ms %.1f mb_per_s %.0f\n", format, decode,
                megabytes / decode * 1000);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    // "--quick" skips the slow JPEG 2000 pair.
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    KxImage picture = MakePicture();
    picture.SetJpegQuality(90);

    Compare(
        "jpeg", KXIMAGE_FORMAT_JPG, picture, 5, [&] { return DirectJpegEncode(picture, 90); },
        DirectJpegDecode);
    Compare(
        "png", KXIMAGE_FORMAT_PNG, picture, 3, [&] { return DirectPngEncode(picture); },
        DirectPngDecode);
    Compare(
        "tiff", KXIMAGE_FORMAT_TIF, picture, 3, [&] { return DirectTiffEncode(picture); },
        DirectTiffDecode);
    if (!quick)
        Compare(
            "jp2", KXIMAGE_FORMAT_JP2, picture, 1, [&] { return DirectJp2Encode(picture); },
            DirectJp2Decode);

    Throughput("bmp", KXIMAGE_FORMAT_BMP, picture, 5);
    Throughput("pnm", KXIMAGE_FORMAT_PNM, picture, 5);
    Throughput("tga", KXIMAGE_FORMAT_TGA, picture, 5);
    Throughput("pcx", KXIMAGE_FORMAT_PCX, picture, 3);
    Throughput("ras", KXIMAGE_FORMAT_RAS, picture, 5);
    Throughput("gif", KXIMAGE_FORMAT_GIF, picture, 1);
    KxImage grey(picture);
    grey.Create(kWidth, kHeight, 8, KXIMAGE_FORMAT_PGX);
    grey.SetGrayPalette();
    Throughput("pgx", KXIMAGE_FORMAT_PGX, grey, 3);
    KxImage bilevel(kWidth, kHeight, 1);
    bilevel.SetPaletteColor(1, 255, 255, 255);
    Throughput("wbmp", KXIMAGE_FORMAT_WBMP, bilevel, 3);
    return 0;
}
