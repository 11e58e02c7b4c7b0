#pragma once

// Writes one video frame as an uncompressed 24-bit BMP file.

#include <cstdint>
#include <string>

namespace korvel::capture {

// `rows`: height rows of 3 x width bytes, blue-green-red, the bottom row first. Each row
// is padded to a multiple of 4 bytes in the file, as the format requires, so the file is
// 54 + padded row x height bytes. On failure no file is left behind.
bool writeBmpFrame(const std::string& path, int width, int height, const std::uint8_t* rows,
                   std::string& error);

}  // namespace korvel::capture
