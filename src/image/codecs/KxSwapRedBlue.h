#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kx {

// Swaps bytes 0 and 2 of `count` consecutive 3-byte pixels in place (RGB <-> BGR).
void SwapRedBlue(uint8_t* pixels, size_t count);

// Copies `count` 3-byte pixels from `in` to `out` (not overlapping), swapping red and blue.
void CopySwapRedBlue(const uint8_t* in, uint8_t* out, size_t count);

}  // namespace kx
