#pragma once

// A scripted capture device that answers the backend's requests as a UVC camera behind
// libv4l2 does: it lists its frame sizes for 24-bit RGB, reports and keeps its controls and
// fills memory-mapped buffers with a known pattern. It fails on request: another program
// holds it, it is unplugged (now or after a number of frames), its frames stop coming, a
// control refuses a value.
// A busy camera opens, as UVC devices do, but refuses a format and buffers.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "krvcamera/V4l2Camera.h"
#include "krvcamera/VideoDevice.h"

namespace krvcamera::test {

struct FakeControl {
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t step = 1;
    std::int32_t defaultValue = 0;
    std::int32_t value = 0;
    std::optional<std::int32_t> refusedValue;  // S_CTRL with this value fails
};

// The camera behind every device the source makes; the test scripts and inspects it.
class FakeCamera {
public:
    std::string path = "/dev/video0";
    std::string card = "USB2.0 Microscope";
    std::string busInfo = "usb-0000:00:14.0-2";
    std::vector<FrameSize> sizes = {{640, 480}, {1280, 1024}, {320, 240}};
    std::map<std::uint32_t, FakeControl> controls;
    bool listsSizes = true;  // false: VIDIOC_ENUM_FRAMESIZES is not supported

    // A UVC microscope camera with every control the backend uses.
    void addAllControls();
    // Only the exposure time.
    void addExposureOnly();

    void setBusy(bool busy);
    void unplug();
    // The device goes away while handing out frame `frames` (counting from 1).
    void unplugAfter(int frames);
    void setStalled(bool stalled);

    std::int32_t control(std::uint32_t id);
    bool streaming();
    std::uint32_t framesDelivered();

    // Pattern of frame `sequence` at (x, y): red x + sequence, green y, blue 77.
    static std::uint8_t red(int x, std::uint32_t sequence) {
        return static_cast<std::uint8_t>(x + static_cast<int>(sequence));
    }
    static std::uint8_t green(int y) { return static_cast<std::uint8_t>(y); }
    static constexpr std::uint8_t kBlue = 77;

    VideoDeviceSource source();

private:
    friend class FakeVideoDevice;
    int open(const std::string& path);
    void close();
    int ioctl(unsigned long request, void* argument);
    void* map(std::size_t length, std::int64_t offset);
    int poll(int timeoutMs);

    std::mutex mutex_;
    bool busy_ = false;
    bool unplugged_ = false;
    bool stalled_ = false;
    int unplugAfter_ = -1;
    int handles_ = 0;
    bool streaming_ = false;
    FrameSize format_;
    std::uint32_t bytesPerLine_ = 0;
    std::vector<std::vector<std::uint8_t>> buffers_;
    std::vector<std::uint32_t> queued_;
    std::uint32_t sequence_ = 0;
};

}  // namespace krvcamera::test
