#pragma once

// Shared body of the image decoder fuzz targets: decode the bytes as one format, and when
// that succeeds touch every pixel and encode the result again, so that a decoder that
// produced an inconsistent picture is caught by the sanitizers.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/KxImage.h"

inline int FuzzDecode(const uint8_t* data, size_t size, uint32_t type) {
    KxImage image;
    if (!image.Decode(data, size, type))
        return 0;
    uint32_t sum = 0;
    for (uint32_t y = 0; y < image.GetHeight(); y += 7)
        for (uint32_t x = 0; x < image.GetWidth(); x += 7)
            sum += image.GetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y)).rgbRed;
    // Re-encoding small pictures exercises the writers on decoder output.
    if (static_cast<uint64_t>(image.GetWidth()) * image.GetHeight() <= 256 * 256) {
        std::vector<uint8_t> encoded;
        image.Encode(encoded, type == KXIMAGE_FORMAT_WMF ? KXIMAGE_FORMAT_BMP : type);
    }
    volatile uint32_t sink = sum;  // keeps the reads from being optimised away
    (void)sink;
    return 0;
}
