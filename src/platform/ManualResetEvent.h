#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace korvel::platform {

// An event that stays signalled until reset: every waiter passes while it is set.
// Threads signal their end with one; the stopper waits on it without a time limit.
class ManualResetEvent {
public:
    explicit ManualResetEvent(bool initiallySet = false) : set_(initiallySet) {}
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void set();
    void reset();
    bool isSet() const;

    void wait() const;
    // True when the event was set within the timeout.
    bool waitFor(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable signalled_;
    bool set_;
};

}  // namespace korvel::platform
