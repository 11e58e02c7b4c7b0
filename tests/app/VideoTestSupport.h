#pragma once

// Small AVI files for the video thumbnails: written by the program's own AVI writer, or
// by FFmpeg from a picture made by ImageMagick.

#include "capture/CAviFile.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace korvel::test {

// One frame of `width` x `height` packed blue-green-red rows, the bottom row first: the
// upper half `top`, the lower half `bottom` (0xRRGGBB each).
inline std::vector<std::uint8_t> twoToneFrame(int width, int height, std::uint32_t top,
                                              std::uint32_t bottom) {
    std::vector<std::uint8_t> pixels;
    pixels.reserve(std::size_t(width) * height * 3);
    for (int row = 0; row < height; ++row) {
        // Row 0 is the bottom row of the picture.
        const std::uint32_t colour = row < height / 2 ? bottom : top;
        for (int x = 0; x < width; ++x) {
            pixels.push_back(std::uint8_t(colour));
            pixels.push_back(std::uint8_t(colour >> 8));
            pixels.push_back(std::uint8_t(colour >> 16));
        }
    }
    return pixels;
}

// Writes a three-frame uncompressed video: frame 0 all green, frame 1 red above blue,
// frame 2 all white. False when it cannot be written.
inline bool writeTwoToneVideo(const QString& path, int width, int height) {
    capture::CAviFile avi;
    if (!avi.SetFrameRate(10) || !avi.Open(path.toStdString(), width, height)) {
        return false;
    }
    const bool written = avi.WriteFrame(twoToneFrame(width, height, 0x00FF00, 0x00FF00)) &&
                         avi.WriteFrame(twoToneFrame(width, height, 0xFF0000, 0x0000FF)) &&
                         avi.WriteFrame(twoToneFrame(width, height, 0xFFFFFF, 0xFFFFFF));
    avi.Close();
    return written && !avi.HasFailed();
}

inline bool runQuietly(const QString& command) {
    return std::system((command + QStringLiteral(" >/dev/null 2>&1")).toLocal8Bit().constData()) ==
           0;
}

}  // namespace korvel::test
