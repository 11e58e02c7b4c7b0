#pragma once

// The hand-over of raw frames from the grab thread to the decode thread. Each side owns
// one buffer and the exchange holds a third; both sides swap theirs with it under one
// lock, so no frame is ever copied and none is queued: a newer frame replaces an untaken
// one, and the decode thread always takes the newest.

#include <cstdint>
#include <mutex>
#include <vector>

namespace korvel::camera {

class FrameExchange {
public:
    using Buffer = std::vector<std::uint8_t>;

    // Makes all three buffers `size` zero bytes and forgets any waiting frame.
    void reset(std::size_t size, Buffer& grab, Buffer& decode) {
        std::lock_guard lock(mutex_);
        grab.assign(size, 0);
        decode.assign(size, 0);
        exchange_.assign(size, 0);
        frameReady_ = false;
    }

    // Grab side: gives the freshly filled buffer and gets back a free one.
    void publish(Buffer& grab) {
        std::lock_guard lock(mutex_);
        grab.swap(exchange_);
        frameReady_ = true;
    }

    // Decode side: takes the newest frame in exchange for the buffer already decoded;
    // false (and `decode` untouched) when no new frame has arrived since the last take.
    bool take(Buffer& decode) {
        std::lock_guard lock(mutex_);
        if (!frameReady_) {
            return false;
        }
        decode.swap(exchange_);
        frameReady_ = false;
        return true;
    }

    void release(Buffer& grab, Buffer& decode) {
        std::lock_guard lock(mutex_);
        Buffer().swap(grab);
        Buffer().swap(decode);
        Buffer().swap(exchange_);
        frameReady_ = false;
    }

private:
    std::mutex mutex_;
    Buffer exchange_;
    bool frameReady_ = false;
};

}  // namespace korvel::camera
