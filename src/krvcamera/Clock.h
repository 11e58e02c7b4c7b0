#pragma once

// Time for the simulated camera. The real clock sleeps; the virtual clock jumps forward to
// the deadline at once, so tests can count frames over simulated seconds.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace krvcamera {

using Duration = std::chrono::microseconds;

class Clock {
public:
    virtual ~Clock() = default;
    // Time since the clock was created.
    virtual Duration now() const = 0;
    // Waits until `deadline` or until `wake` is notified; `lock` is released meanwhile.
    virtual void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                           Duration deadline) = 0;
};

std::unique_ptr<Clock> makeRealClock();
std::unique_ptr<Clock> makeVirtualClock();

}  // namespace krvcamera
