#pragma once

#include <cstdint>

namespace korvel::platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 like the system tick count the
// camera code measures frame intervals with.
std::uint32_t tickCount();

// The high-resolution counter and its frequency (counts per second).
std::int64_t performanceCounter();
std::int64_t performanceFrequency();

}  // namespace korvel::platform
