#include "Clock.h"

namespace krvcamera {

namespace {

class RealClock final : public Clock {
public:
    Duration now() const override {
        return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - origin_);
    }
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                   Duration deadline) override {
        wake.wait_until(lock, origin_ + deadline);
    }

private:
    std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
};

class VirtualClock final : public Clock {
public:
    Duration now() const override { return Duration(now_.load()); }
    void waitUntil(std::unique_lock<std::mutex>&, std::condition_variable&,
                   Duration deadline) override {
        auto current = now_.load();
        while (current < deadline.count() &&
               !now_.compare_exchange_weak(current, deadline.count())) {
        }
    }

private:
    std::atomic<Duration::rep> now_{0};
};

}  // namespace

std::unique_ptr<Clock> makeRealClock() {
    return std::make_unique<RealClock>();
}
std::unique_ptr<Clock> makeVirtualClock() {
    return std::make_unique<VirtualClock>();
}

}  // namespace krvcamera
