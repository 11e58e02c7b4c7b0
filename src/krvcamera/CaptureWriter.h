#pragma once

// The capture files the library writes itself: JPEG, BMP, TIFF from a 24-bit picture and RAW
// from the sensor data. Every file is written to a temporary name first, so a failure never
// leaves a half-written file under the requested name.

#include <cstdint>
#include <filesystem>
#include <string>

namespace krvcamera {

enum class FileType : std::uint8_t { Jpeg = 1, Bmp = 2, Raw = 4, Tiff = 8 };

// False for codes other than 1, 2, 4 and 8.
bool isFileType(int code);
// ".jpg", ".bmp", ".raw", ".tiff".
std::string fileExtension(FileType type);

// `image` is width x height x 3 bytes of blue-green-red, bottom row first. RAW writes the
// bytes as they are.
bool writeImageFile(FileType type, const std::filesystem::path& path, const std::uint8_t* image,
                    int width, int height);

// Headerless raw sensor data, written as given.
bool writeRawFile(const std::filesystem::path& path, const void* data, std::size_t bytes);

// Wide sensor data: `count` 16-bit samples, each written low byte first.
bool writeWideRawFile(const std::filesystem::path& path, const std::uint16_t* samples,
                      std::size_t count);

// Sizes the writers accept: positive, at most 65500 per side and 1 GiB of pixels.
bool isWritableSize(int width, int height);

}  // namespace krvcamera
