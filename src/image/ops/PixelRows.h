#pragma once

// Row kernels over interleaved blue-green-red bytes, with a vector path on processors that
// have SSSE3 and a plain path elsewhere. Both give the same bytes.

#include <cstddef>
#include <cstdint>

namespace kxops::detail {

// Splits n pixels into blue, green and red planes.
void SplitBgrRow(const uint8_t* src, uint8_t* b, uint8_t* g, uint8_t* r, size_t n);
// Grey levels (601 G + 306 R + 117 B) >> 10 of n pixels.
void GreyBgrRow(const uint8_t* src, uint8_t* grey, size_t n);

}  // namespace kxops::detail
