#include "platform/ManualResetEvent.h"

namespace korvel::platform {

void ManualResetEvent::set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    signalled_.notify_all();
}

void ManualResetEvent::reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool ManualResetEvent::isSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

void ManualResetEvent::wait() const {
    std::unique_lock lock(mutex_);
    signalled_.wait(lock, [this] { return set_; });
}

bool ManualResetEvent::waitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return signalled_.wait_for(lock, timeout, [this] { return set_; });
}

}  // namespace korvel::platform
