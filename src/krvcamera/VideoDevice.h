#pragma once

// The few calls the Video4Linux2 backend makes on a capture device, behind an interface so
// that tests can script a device. The real implementation goes through libv4l2, which
// converts whatever the camera sends (YUYV, MJPEG, ...) into the 24-bit RGB frames the
// backend asks for.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace krvcamera {

class VideoDevice {
public:
    virtual ~VideoDevice() = default;

    // 0 when opened, else the errno value (EBUSY when another program holds the camera).
    virtual int open(const std::string& path) = 0;
    virtual void close() = 0;
    // One VIDIOC_* request; 0 on success, else the errno value (ENODEV once unplugged).
    virtual int ioctl(unsigned long request, void* argument) = 0;
    // Maps a streaming buffer; null on failure.
    virtual void* map(std::size_t length, std::int64_t offset) = 0;
    virtual void unmap(void* address, std::size_t length) = 0;
    // Waits at most `timeoutMs` for a filled buffer: 1 ready, 0 timed out, else the negated
    // errno value (-ENODEV when the device went away).
    virtual int poll(int timeoutMs) = 0;
};

// How the backend reaches devices: makes unopened devices and lists the device nodes worth
// trying, in order.
struct VideoDeviceSource {
    std::function<std::unique_ptr<VideoDevice>()> make;
    std::function<std::vector<std::string>()> candidates;
};

// /dev/video* through libv4l2.
VideoDeviceSource systemVideoDevices();

}  // namespace krvcamera
