#include "CallLog.h"

namespace krvcamera {

std::vector<std::string> CallLog::entries() const {
    std::lock_guard lock(mutex_);
    return {entries_.begin(), entries_.end()};
}

void CallLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

void CallLog::append(std::string entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(std::move(entry));
    if (entries_.size() > kCapacity) {
        entries_.pop_front();
    }
}

}  // namespace krvcamera
