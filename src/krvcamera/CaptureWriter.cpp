#include "CaptureWriter.h"

#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <tiffio.h>

#include "AtomicFile.h"

namespace krvcamera {

namespace {

constexpr int kJpegQuality = 95;

void putLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::size_t rowBytes(int width) {
    return static_cast<std::size_t>(width) * 3;
}

bool writeBmp(std::FILE* file, const std::uint8_t* image, int width, int height) {
    const std::size_t stride = (rowBytes(width) + 3) & ~std::size_t{3};
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> header;
    header.push_back('B');
    header.push_back('M');
    putLe(header, static_cast<std::uint32_t>(14 + 40 + pixelBytes), 4);
    putLe(header, 0, 4);
    putLe(header, 14 + 40, 4);
    putLe(header, 40, 4);
    putLe(header, static_cast<std::uint32_t>(width), 4);
    putLe(header, static_cast<std::uint32_t>(height), 4);  // positive: bottom row first
    putLe(header, 1, 2);
    putLe(header, 24, 2);
    putLe(header, 0, 4);  // no compression
    putLe(header, static_cast<std::uint32_t>(pixelBytes), 4);
    putLe(header, 3780, 4);  // 96 dots per inch
    putLe(header, 3780, 4);
    putLe(header, 0, 4);
    putLe(header, 0, 4);
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
        return false;
    }
    const std::uint8_t padding[3] = {0, 0, 0};
    const std::size_t pad = stride - rowBytes(width);
    for (int y = 0; y < height; ++y) {
        if (std::fwrite(image + rowBytes(width) * y, 1, rowBytes(width), file) != rowBytes(width) ||
            std::fwrite(padding, 1, pad, file) != pad) {
            return false;
        }
    }
    return true;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegFailure(j_common_ptr info) {
    // The default handler would end the process; unwind to the writer instead.
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

bool writeJpeg(std::FILE* file, const std::uint8_t* image, int width, int height) {
    jpeg_compress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegFailure;
    error.manager.emit_message = jpegSilence;
    std::vector<std::uint8_t> row(rowBytes(width));
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kJpegQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* in = image + rowBytes(width) * (height - 1 - info.next_scanline);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x];
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

// Problems show in the result; the handlers only keep libtiff from printing.
int tiffSilence(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

bool writeTiff(const std::filesystem::path& path, const std::uint8_t* image, int width,
               int height) {
    // Handlers per file, so that other users of libtiff in the process keep theirs.
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, tiffSilence, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, tiffSilence, nullptr);
    TIFF* tiff = TIFFOpenExt(path.c_str(), "w", options);
    TIFFOpenOptionsFree(options);
    if (!tiff) {
        return false;
    }
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    std::vector<std::uint8_t> row(rowBytes(width));
    bool ok = true;
    for (int y = 0; y < height && ok; ++y) {
        const std::uint8_t* in = image + rowBytes(width) * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x];
        }
        ok = TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) == 1;
    }
    ok = TIFFFlush(tiff) == 1 && ok;
    TIFFClose(tiff);
    return ok;
}

}  // namespace

bool isFileType(int code) {
    return code == 1 || code == 2 || code == 4 || code == 8;
}

std::string fileExtension(FileType type) {
    switch (type) {
        case FileType::Jpeg:
            return ".jpg";
        case FileType::Bmp:
            return ".bmp";
        case FileType::Raw:
            return ".raw";
        case FileType::Tiff:
            return ".tiff";
    }
    return {};
}

bool isWritableSize(int width, int height) {
    return width > 0 && height > 0 && width <= 65500 && height <= 65500 &&
           static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= (1ull << 30);
}

bool writeImageFile(FileType type, const std::filesystem::path& path, const std::uint8_t* image,
                    int width, int height) {
    if (!image || path.empty() || !isWritableSize(width, height)) {
        return false;
    }
    switch (type) {
        case FileType::Bmp:
            return writeFileAtomically(
                path, [&](std::FILE* file) { return writeBmp(file, image, width, height); },
                Durability::Whole);
        case FileType::Jpeg:
            return writeFileAtomically(
                path, [&](std::FILE* file) { return writeJpeg(file, image, width, height); },
                Durability::Whole);
        case FileType::Tiff:
            return writeFileAtomicallyByPath(
                path,
                [&](const std::filesystem::path& temporary) {
                    return writeTiff(temporary, image, width, height);
                },
                Durability::Whole);
        case FileType::Raw:
            return writeRawFile(path, image, rowBytes(width) * static_cast<std::size_t>(height));
    }
    return false;
}

bool writeRawFile(const std::filesystem::path& path, const void* data, std::size_t bytes) {
    if (!data || path.empty()) {
        return false;
    }
    return writeFileAtomically(
        path, [&](std::FILE* file) { return std::fwrite(data, 1, bytes, file) == bytes; },
        Durability::Whole);
}

}  // namespace krvcamera
