#include "capture/BmpFrameFile.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace korvel::capture {

namespace {

void putU16(std::uint8_t* at, std::uint16_t value) {
    at[0] = std::uint8_t(value);
    at[1] = std::uint8_t(value >> 8);
}
void putU32(std::uint8_t* at, std::uint32_t value) {
    putU16(at, std::uint16_t(value));
    putU16(at + 2, std::uint16_t(value >> 16));
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool writeBmpFrame(const std::string& path, int width, int height, const std::uint8_t* rows,
                   std::string& error) {
    if (width < 1 || height < 1 || rows == nullptr) {
        error = "No frame to save.";
        return false;
    }
    const std::size_t stride = std::size_t(width) * 3;
    const std::size_t padded = (stride + 3) & ~std::size_t{3};
    const std::uint64_t pixelBytes = std::uint64_t(padded) * std::uint64_t(height);
    if (pixelBytes + 54 > 0xFFFFFFFFu) {
        error = "The frame is too large for a BMP file.";
        return false;
    }
    std::array<std::uint8_t, 54> header{};
    header[0] = 'B';
    header[1] = 'M';
    putU32(&header[2], static_cast<std::uint32_t>(pixelBytes + 54));  // file size
    putU32(&header[10], 54);                                          // pixel offset
    putU32(&header[14], 40);                                          // info header size
    putU32(&header[18], static_cast<std::uint32_t>(width));
    putU32(&header[22], static_cast<std::uint32_t>(height));  // positive: bottom-up
    putU16(&header[26], 1);                                   // planes
    putU16(&header[28], 24);                                  // bits per pixel
    putU32(&header[34], static_cast<std::uint32_t>(std::uint64_t(stride) * height));

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = "Cannot create \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
    if (padded == stride) {
        ok = ok && std::fwrite(rows, 1, stride * std::size_t(height), file.get()) ==
                       stride * std::size_t(height);
    } else {
        std::vector<std::uint8_t> row(padded, 0);
        for (int y = 0; ok && y < height; ++y) {
            std::memcpy(row.data(), rows + std::size_t(y) * stride, stride);
            ok = std::fwrite(row.data(), 1, padded, file.get()) == padded;
        }
    }
    ok = std::fflush(file.get()) == 0 && ok;
    const int savedErrno = errno;
    ok = std::fclose(file.release()) == 0 && ok;
    if (!ok) {
        error = "Cannot write \"" + path + "\": " + std::strerror(savedErrno);
        std::remove(path.c_str());
    }
    return ok;
}

}  // namespace korvel::capture
