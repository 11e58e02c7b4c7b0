#include "platform/Ticks.h"

#include <chrono>

namespace korvel::platform {

using Clock = std::chrono::steady_clock;

std::uint32_t tickCount() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

std::int64_t performanceCounter() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

std::int64_t performanceFrequency() {
    return 1'000'000'000;
}

}  // namespace korvel::platform
