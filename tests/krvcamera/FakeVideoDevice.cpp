#include "FakeVideoDevice.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace krvcamera::test {

// One opened handle on the fake camera.
class FakeVideoDevice final : public VideoDevice {
public:
    explicit FakeVideoDevice(std::shared_ptr<FakeCamera> camera) : camera_(std::move(camera)) {}
    ~FakeVideoDevice() override { close(); }

    int open(const std::string& path) override {
        const int error = camera_->open(path);
        opened_ = error == 0;
        return error;
    }
    void close() override {
        if (opened_) {
            camera_->close();
            opened_ = false;
        }
    }
    int ioctl(unsigned long request, void* argument) override {
        return opened_ ? camera_->ioctl(request, argument) : EBADF;
    }
    void* map(std::size_t length, std::int64_t offset) override {
        return opened_ ? camera_->map(length, offset) : nullptr;
    }
    void unmap(void*, std::size_t) override {}
    int poll(int timeoutMs) override { return opened_ ? camera_->poll(timeoutMs) : -EBADF; }

private:
    std::shared_ptr<FakeCamera> camera_;
    bool opened_ = false;
};

namespace {

constexpr std::int64_t kOffsetStep = 0x100000;

void copyText(std::uint8_t* target, std::size_t size, const std::string& text) {
    std::memset(target, 0, size);
    std::memcpy(target, text.data(), std::min(size - 1, text.size()));
}

}  // namespace

void FakeCamera::addAllControls() {
    // Ranges as a typical UVC microscope camera reports them.
    controls[V4L2_CID_EXPOSURE_ABSOLUTE] = {3, 2047, 1, 157, 157, {}};
    controls[V4L2_CID_EXPOSURE_AUTO] = {0, 3, 1, 3, 3, {}};
    controls[V4L2_CID_GAIN] = {0, 100, 1, 0, 0, {}};
    controls[V4L2_CID_WHITE_BALANCE_TEMPERATURE] = {2800, 6500, 1, 4600, 4600, {}};
    controls[V4L2_CID_AUTO_WHITE_BALANCE] = {0, 1, 1, 1, 1, {}};
    controls[V4L2_CID_RED_BALANCE] = {0, 255, 1, 128, 128, {}};
    controls[V4L2_CID_BLUE_BALANCE] = {0, 255, 1, 128, 128, {}};
    controls[V4L2_CID_GAMMA] = {72, 500, 1, 100, 100, {}};
    controls[V4L2_CID_CONTRAST] = {0, 64, 1, 32, 32, {}};
    controls[V4L2_CID_SATURATION] = {0, 128, 1, 64, 64, {}};
    controls[V4L2_CID_HFLIP] = {0, 1, 1, 0, 0, {}};
    controls[V4L2_CID_VFLIP] = {0, 1, 1, 0, 0, {}};
    controls[V4L2_CID_POWER_LINE_FREQUENCY] = {0, 2, 1, 1, 1, {}};
}

void FakeCamera::addExposureOnly() {
    controls.clear();
    controls[V4L2_CID_EXPOSURE_ABSOLUTE] = {1, 10000, 1, 300, 300, {}};
}

void FakeCamera::setBusy(bool busy) {
    std::lock_guard lock(mutex_);
    busy_ = busy;
}

void FakeCamera::unplug() {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
}

void FakeCamera::unplugAfter(int frames) {
    std::lock_guard lock(mutex_);
    unplugAfter_ = frames;
}

void FakeCamera::setStalled(bool stalled) {
    std::lock_guard lock(mutex_);
    stalled_ = stalled;
}

std::int32_t FakeCamera::control(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    return controls.at(id).value;
}

bool FakeCamera::streaming() {
    std::lock_guard lock(mutex_);
    return streaming_;
}

std::uint32_t FakeCamera::framesDelivered() {
    std::lock_guard lock(mutex_);
    return sequence_;
}

VideoDeviceSource FakeCamera::source() {
    // The source outlives no test: the test owns the camera and resets the library first.
    return {[this] {
                return std::make_unique<FakeVideoDevice>(
                    std::shared_ptr<FakeCamera>(this, [](FakeCamera*) {}));
            },
            [this] { return std::vector<std::string>{path}; }};
}

int FakeCamera::open(const std::string& requested) {
    std::lock_guard lock(mutex_);
    if (unplugged_ || requested != path) {
        return ENOENT;
    }
    // Like a UVC device, it opens while another program streams; the format and the
    // buffers are what that program holds.
    ++handles_;
    return 0;
}

void FakeCamera::close() {
    std::lock_guard lock(mutex_);
    if (--handles_ == 0) {
        streaming_ = false;
        buffers_.clear();
        queued_.clear();
    }
}

int FakeCamera::ioctl(unsigned long request, void* argument) {
    std::lock_guard lock(mutex_);
    if (unplugged_) {
        return ENODEV;
    }
    switch (request) {
        case VIDIOC_QUERYCAP: {
            auto* cap = static_cast<v4l2_capability*>(argument);
            *cap = {};
            copyText(cap->driver, sizeof cap->driver, "uvcvideo");
            copyText(cap->card, sizeof cap->card, card);
            copyText(cap->bus_info, sizeof cap->bus_info, busInfo);
            cap->device_caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
            cap->capabilities = cap->device_caps | V4L2_CAP_DEVICE_CAPS;
            return 0;
        }
        case VIDIOC_ENUM_FMT: {
            // The camera sends MJPEG; libv4l2 adds the RGB24 it converts to.
            auto* format = static_cast<v4l2_fmtdesc*>(argument);
            const std::uint32_t formats[] = {V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_RGB24};
            if (format->index >= 2) {
                return EINVAL;
            }
            format->pixelformat = formats[format->index];
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto* size = static_cast<v4l2_frmsizeenum*>(argument);
            if (!listsSizes) {
                return ENOTTY;
            }
            if (size->index >= sizes.size()) {
                return EINVAL;
            }
            size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
            size->discrete.width = static_cast<std::uint32_t>(sizes[size->index].width);
            size->discrete.height = static_cast<std::uint32_t>(sizes[size->index].height);
            return 0;
        }
        case VIDIOC_G_FMT: {
            // The size the camera is set to: the last one chosen, else its first.
            auto* format = static_cast<v4l2_format*>(argument);
            const FrameSize current = format_.width > 0 ? format_ : sizes.front();
            format->fmt.pix.width = static_cast<std::uint32_t>(current.width);
            format->fmt.pix.height = static_cast<std::uint32_t>(current.height);
            format->fmt.pix.pixelformat = V4L2_PIX_FMT_MJPEG;
            return 0;
        }
        case VIDIOC_S_FMT: {
            if (busy_ || streaming_ || !buffers_.empty()) {
                return EBUSY;
            }
            auto* format = static_cast<v4l2_format*>(argument);
            auto match = std::ranges::find_if(sizes, [&](const FrameSize& s) {
                return s.width == static_cast<int>(format->fmt.pix.width) &&
                       s.height == static_cast<int>(format->fmt.pix.height);
            });
            format_ = match != sizes.end() ? *match : sizes.front();
            // Rows padded, as some drivers do, so the copy must honour the stride.
            bytesPerLine_ = static_cast<std::uint32_t>(format_.width) * 3 + 8;
            format->fmt.pix.width = static_cast<std::uint32_t>(format_.width);
            format->fmt.pix.height = static_cast<std::uint32_t>(format_.height);
            format->fmt.pix.pixelformat = V4L2_PIX_FMT_RGB24;
            format->fmt.pix.bytesperline = bytesPerLine_;
            format->fmt.pix.sizeimage = bytesPerLine_ * static_cast<std::uint32_t>(format_.height);
            return 0;
        }
        case VIDIOC_QUERYCTRL: {
            auto* query = static_cast<v4l2_queryctrl*>(argument);
            auto it = controls.find(query->id);
            if (it == controls.end()) {
                return EINVAL;
            }
            query->minimum = it->second.minimum;
            query->maximum = it->second.maximum;
            query->step = it->second.step;
            query->default_value = it->second.defaultValue;
            query->flags = 0;
            return 0;
        }
        case VIDIOC_G_CTRL: {
            auto* c = static_cast<v4l2_control*>(argument);
            auto it = controls.find(c->id);
            if (it == controls.end()) {
                return EINVAL;
            }
            c->value = it->second.value;
            return 0;
        }
        case VIDIOC_S_CTRL: {
            auto* c = static_cast<v4l2_control*>(argument);
            auto it = controls.find(c->id);
            if (it == controls.end()) {
                return EINVAL;
            }
            if (c->value < it->second.minimum || c->value > it->second.maximum) {
                return ERANGE;
            }
            if (it->second.refusedValue == c->value) {
                return EIO;
            }
            it->second.value = c->value;
            return 0;
        }
        case VIDIOC_REQBUFS: {
            auto* request = static_cast<v4l2_requestbuffers*>(argument);
            if (busy_ || streaming_) {
                return EBUSY;
            }
            buffers_.clear();
            queued_.clear();
            request->count = std::min<std::uint32_t>(request->count, 4);
            for (std::uint32_t i = 0; i < request->count; ++i) {
                buffers_.emplace_back(bytesPerLine_ * static_cast<std::size_t>(format_.height));
            }
            return 0;
        }
        case VIDIOC_QUERYBUF: {
            auto* buffer = static_cast<v4l2_buffer*>(argument);
            if (buffer->index >= buffers_.size()) {
                return EINVAL;
            }
            buffer->length = static_cast<std::uint32_t>(buffers_[buffer->index].size());
            buffer->m.offset = static_cast<std::uint32_t>(buffer->index * kOffsetStep);
            return 0;
        }
        case VIDIOC_QBUF: {
            auto* buffer = static_cast<v4l2_buffer*>(argument);
            if (buffer->index >= buffers_.size()) {
                return EINVAL;
            }
            queued_.push_back(buffer->index);
            return 0;
        }
        case VIDIOC_DQBUF: {
            if (!streaming_) {
                return EINVAL;
            }
            if (queued_.empty() || stalled_) {
                return EAGAIN;
            }
            if (unplugAfter_ >= 0 && static_cast<int>(sequence_) + 1 >= unplugAfter_) {
                unplugged_ = true;
                return ENODEV;
            }
            auto* buffer = static_cast<v4l2_buffer*>(argument);
            buffer->index = queued_.front();
            queued_.erase(queued_.begin());
            ++sequence_;
            std::vector<std::uint8_t>& data = buffers_[buffer->index];
            for (int y = 0; y < format_.height; ++y) {
                std::uint8_t* row = data.data() + static_cast<std::size_t>(bytesPerLine_) * y;
                for (int x = 0; x < format_.width; ++x) {
                    row[3 * x] = red(x, sequence_);
                    row[3 * x + 1] = green(y);
                    row[3 * x + 2] = kBlue;
                }
            }
            buffer->bytesused = static_cast<std::uint32_t>(data.size());
            buffer->sequence = sequence_;
            buffer->flags = 0;
            return 0;
        }
        case VIDIOC_STREAMON:
            if (buffers_.empty()) {
                return EINVAL;
            }
            streaming_ = true;
            return 0;
        case VIDIOC_STREAMOFF:
            streaming_ = false;
            for (std::uint32_t i = 0; i < buffers_.size(); ++i) {
                if (std::ranges::find(queued_, i) == queued_.end()) {
                    queued_.push_back(i);
                }
            }
            return 0;
        default:
            return ENOTTY;
    }
}

void* FakeCamera::map(std::size_t length, std::int64_t offset) {
    std::lock_guard lock(mutex_);
    const auto index = static_cast<std::size_t>(offset / kOffsetStep);
    if (index >= buffers_.size() || length > buffers_[index].size()) {
        return nullptr;
    }
    return buffers_[index].data();
}

int FakeCamera::poll(int timeoutMs) {
    {
        std::lock_guard lock(mutex_);
        if (unplugged_) {
            return -ENODEV;
        }
        if (streaming_ && !queued_.empty() && !stalled_) {
            return 1;
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeoutMs, 5)));
    return 0;
}

}  // namespace krvcamera::test
