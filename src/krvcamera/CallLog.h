#pragma once

// The record of library calls that tests read to check the order in which the application
// drives the camera.

#include <cstdint>
#include <deque>
#include <mutex>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace krvcamera {

class CallLog {
public:
    static constexpr std::size_t kCapacity = 50000;

    template <typename... Args>
    void record(const char* function, const Args&... args) {
        std::ostringstream text;
        text << function << '(';
        [[maybe_unused]] const char* separator = "";
        ((text << separator << printable(args), separator = ", "), ...);
        text << ')';
        append(text.str());
    }

    std::vector<std::string> entries() const;
    void clear();

private:
    template <typename T>
    static auto printable(const T& value) {
        if constexpr (std::is_same_v<T, std::uint8_t>) {
            return static_cast<int>(value);
        } else if constexpr (std::is_pointer_v<T> && !std::is_same_v<T, const char*>) {
            return static_cast<const void*>(value);
        } else if constexpr (std::is_same_v<T, const char*>) {
            return std::string("\"") + (value ? value : "") + "\"";
        } else {
            return value;
        }
    }

    void append(std::string entry);

    mutable std::mutex mutex_;
    std::deque<std::string> entries_;
};

}  // namespace krvcamera
