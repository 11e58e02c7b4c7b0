#include "CaptureWriter.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>
#include <tiffio.h>

#include "AtomicFile.h"

namespace krvcamera {

namespace {

constexpr int kJpegQuality = 95;
// Pixel data that needs rearranging leaves in blocks of about this size: few system calls per
// file, without a second copy of the whole picture.
constexpr std::size_t kBlockBytes = 1 << 20;

void putLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::size_t rowBytes(int width) {
    return static_cast<std::size_t>(width) * 3;
}

bool writeAll(std::FILE* file, const void* data, std::size_t bytes) {
    return std::fwrite(data, 1, bytes, file) == bytes;
}

// Blue-green-red pixels to red-green-blue.
void copySwapRedBlue(const std::uint8_t* in, std::uint8_t* out, int width) {
    for (int x = 0; x < width; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

bool writeBmp(std::FILE* file, const std::uint8_t* image, int width, int height) {
    const std::size_t row = rowBytes(width);
    const std::size_t stride = (row + 3) & ~std::size_t{3};
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);
    if (14 + 40 + pixelBytes > std::numeric_limits<std::uint32_t>::max()) {
        return false;  // the header's 32-bit sizes could not describe the file
    }
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
    if (!writeAll(file, header.data(), header.size())) {
        return false;
    }
    if (stride == row) {
        // The picture is already in file order: one write, which stdio passes straight on.
        return writeAll(file, image, pixelBytes);
    }
    // Padded rows are gathered in a block, so that the file still goes out in large writes.
    const std::size_t blockRows = std::max<std::size_t>(1, kBlockBytes / stride);
    std::vector<std::uint8_t> block(blockRows * stride, 0);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height);) {
        const std::size_t rows = std::min(blockRows, static_cast<std::size_t>(height) - y);
        for (std::size_t i = 0; i < rows; ++i) {
            std::memcpy(block.data() + i * stride, image + (y + i) * row, row);
        }
        if (!writeAll(file, block.data(), rows * stride)) {
            return false;
        }
        y += rows;
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

// Compressed data to a stdio file through a large buffer: the standard destination empties
// its 4 KB buffer a thousand times per picture.
struct JpegDestination {
    jpeg_destination_mgr manager;
    std::FILE* file;
    std::vector<JOCTET> buffer;
};

JpegDestination* destinationOf(j_compress_ptr info) {
    return reinterpret_cast<JpegDestination*>(info->dest);
}

void jpegStartOutput(j_compress_ptr info) {
    JpegDestination* destination = destinationOf(info);
    destination->manager.next_output_byte = destination->buffer.data();
    destination->manager.free_in_buffer = destination->buffer.size();
}

boolean jpegEmptyOutput(j_compress_ptr info) {
    JpegDestination* destination = destinationOf(info);
    // libjpeg calls this only with the whole buffer full.
    if (!writeAll(destination->file, destination->buffer.data(), destination->buffer.size())) {
        ERREXIT(info, JERR_FILE_WRITE);
    }
    jpegStartOutput(info);
    return TRUE;
}

void jpegFinishOutput(j_compress_ptr info) {
    JpegDestination* destination = destinationOf(info);
    const std::size_t used = destination->buffer.size() - destination->manager.free_in_buffer;
    if (!writeAll(destination->file, destination->buffer.data(), used)) {
        ERREXIT(info, JERR_FILE_WRITE);
    }
}

// The picture's rows top first, as the file stores them, handed to libjpeg in bands.
class JpegRows {
public:
    JpegRows(const std::uint8_t* image, int width, int height)
        : image_(image), width_(width), height_(static_cast<std::size_t>(height)) {
#ifdef JCS_EXTENSIONS
        // libjpeg-turbo reads blue-green-red itself: the rows are passed as they are.
        rows_.resize(height_);
        for (std::size_t y = 0; y < height_; ++y) {
            // libjpeg takes rows as writable but only reads them.
            rows_[y] = const_cast<JSAMPROW>(sourceRow(y));
        }
#else
        band_.resize(rowBytes(width) * kBand);
        rows_.resize(kBand);
        for (std::size_t i = 0; i < kBand; ++i) {
            rows_[i] = band_.data() + rowBytes(width) * i;
        }
#endif
    }

    static constexpr J_COLOR_SPACE colorSpace() {
#ifdef JCS_EXTENSIONS
        return JCS_EXT_BGR;
#else
        return JCS_RGB;
#endif
    }

    // Rows from `first` on; `count` receives how many.
    JSAMPARRAY from(std::size_t first, JDIMENSION& count) {
#ifdef JCS_EXTENSIONS
        count = static_cast<JDIMENSION>(height_ - first);
        return rows_.data() + first;
#else
        const std::size_t rows = std::min(kBand, height_ - first);
        for (std::size_t i = 0; i < rows; ++i) {
            copySwapRedBlue(sourceRow(first + i), rows_[i], width_);
        }
        count = static_cast<JDIMENSION>(rows);
        return rows_.data();
#endif
    }

private:
    static constexpr std::size_t kBand = 16;
    const std::uint8_t* sourceRow(std::size_t y) const {
        return image_ + rowBytes(width_) * (height_ - 1 - y);
    }

    const std::uint8_t* image_;
    int width_;
    std::size_t height_;
    std::vector<JSAMPROW> rows_;
    std::vector<std::uint8_t> band_;  // converted rows, without the blue-green-red extension
};

// Kept apart from the objects with destructors, which a longjmp must not skip.
bool compressJpeg(jpeg_destination_mgr* destination, JpegRows& rows, int width, int height) {
    jpeg_compress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegFailure;
    error.manager.emit_message = jpegSilence;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    info.dest = destination;
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JpegRows::colorSpace();
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kJpegQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JDIMENSION count = 0;
        JSAMPARRAY band = rows.from(info.next_scanline, count);
        jpeg_write_scanlines(&info, band, count);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool writeJpeg(std::FILE* file, const std::uint8_t* image, int width, int height) {
    JpegDestination destination{};
    destination.file = file;
    destination.buffer.resize(kBlockBytes / 4);
    destination.manager.init_destination = jpegStartOutput;
    destination.manager.empty_output_buffer = jpegEmptyOutput;
    destination.manager.term_destination = jpegFinishOutput;
    JpegRows rows(image, width, height);
    return compressJpeg(&destination.manager, rows, width, height);
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
        copySwapRedBlue(image + rowBytes(width) * (height - 1 - y), row.data(), width);
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

bool writeWideRawFile(const std::filesystem::path& path, const std::uint16_t* samples,
                      std::size_t count) {
    if (!samples || path.empty()) {
        return false;
    }
    if constexpr (std::endian::native == std::endian::little) {
        // The samples are already in file order: written as they lie in memory.
        return writeRawFile(path, samples, count * sizeof(std::uint16_t));
    } else {
        return writeFileAtomically(
            path,
            [&](std::FILE* file) {
                std::vector<std::uint8_t> block(std::min(count * 2, kBlockBytes));
                for (std::size_t done = 0; done < count;) {
                    const std::size_t n = std::min(count - done, block.size() / 2);
                    for (std::size_t i = 0; i < n; ++i) {
                        block[2 * i] = static_cast<std::uint8_t>(samples[done + i]);
                        block[2 * i + 1] = static_cast<std::uint8_t>(samples[done + i] >> 8);
                    }
                    if (!writeAll(file, block.data(), 2 * n)) {
                        return false;
                    }
                    done += n;
                }
                return true;
            },
            Durability::Whole);
    }
}

}  // namespace krvcamera
