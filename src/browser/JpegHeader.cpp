#include "browser/JpegHeader.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace korvel::browser {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void silence(j_common_ptr) {}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Kept apart from readJpegSize so that nothing with a destructor lives across setjmp.
bool readHeader(std::FILE* file, JpegSize& size) {
    jpeg_decompress_struct info{};
    ErrorManager error{};
    info.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = errorExit;
    error.pub.output_message = silence;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    const bool ok = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
    if (ok) {
        size.width = static_cast<int>(info.image_width);
        size.height = static_cast<int>(info.image_height);
    }
    jpeg_destroy_decompress(&info);
    return ok && size.width > 0 && size.height > 0;
}

}  // namespace

bool readJpegSize(const QString& path, JpegSize& size) {
    std::unique_ptr<std::FILE, FileCloser> file(
        std::fopen(QFile::encodeName(path).constData(), "rb"));
    if (!file) {
        return false;
    }
    return readHeader(file.get(), size);
}

}  // namespace korvel::browser
