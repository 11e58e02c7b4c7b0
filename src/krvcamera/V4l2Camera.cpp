#include "V4l2Camera.h"

#include "CameraAutoExposure.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include "RawSynthesis.h"
#include "krvcamera/KRVCamera.h"

namespace krvcamera {

namespace {

constexpr std::uint32_t kControlIds[kDeviceControlCount] = {
    V4L2_CID_EXPOSURE_ABSOLUTE,
    V4L2_CID_EXPOSURE_AUTO,
    V4L2_CID_GAIN,
    V4L2_CID_WHITE_BALANCE_TEMPERATURE,
    V4L2_CID_AUTO_WHITE_BALANCE,
    V4L2_CID_RED_BALANCE,
    V4L2_CID_BLUE_BALANCE,
    V4L2_CID_GAMMA,
    V4L2_CID_CONTRAST,
    V4L2_CID_SATURATION,
    V4L2_CID_HFLIP,
    V4L2_CID_VFLIP,
    V4L2_CID_POWER_LINE_FREQUENCY,
};

constexpr int kStreamingBuffers = 4;
// A frame may arrive this much later than its exposure before the grab gives up for now.
constexpr int kFrameMarginMs = 200;
// The grab returns at the latest after this, so that the caller can check for shutdown.
constexpr int kLongestGrabWaitMs = 500;
// Polls are cut into slices so that a close never waits for a whole grab.
constexpr int kPollSliceMs = 50;

std::string text(const std::uint8_t* bytes, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(bytes);
    return std::string(chars, strnlen(chars, size));
}

int scaled(double unity, double factor, const ControlRange& range) {
    return std::clamp(static_cast<int>(std::lround(unity * factor)), range.minimum, range.maximum);
}

// The device value that means "unchanged" for controls scaled around their default.
double unityOf(const ControlRange& range) {
    if (range.defaultValue > 0) {
        return range.defaultValue;
    }
    return std::max(1.0, (range.minimum + range.maximum) / 2.0);
}

// The contrast factor of a raw contrast value, as the decoder applies it.
double contrastFactor(int raw) {
    if (raw <= 0) {
        return 1.0;
    }
    return raw <= 20 ? 1.0 - raw / 40.0 : 1.0 + (raw - 20) / 80.0;
}

// The mosaic phase of the raw frames this backend hands out.
constexpr std::uint8_t kRawPhase = 0;

// Samples an RGB frame (top row first) as a mosaic of kRawPhase.
void sampleMosaic(const std::uint8_t* rgb, std::uint8_t* raw, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const int even = mosaicChannel(kRawPhase, y, 0);
        const int odd = mosaicChannel(kRawPhase, y, 1);
        const std::uint8_t* in = rgb + static_cast<std::size_t>(width) * 3 * y;
        std::uint8_t* out = raw + static_cast<std::size_t>(width) * y;
        for (int x = 0; x < width; ++x) {
            out[x] = in[3 * x + ((x & 1) ? odd : even)];
        }
    }
}

// The colour frame back from a mosaic of kRawPhase: each 2 x 2 cell takes its red, blue and
// mean green sample. Only for raw buffers whose colour frame is no longer kept.
std::vector<std::uint8_t> fromMosaic(const std::uint8_t* raw, int width, int height) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y0 = 0; y0 < height; y0 += 2) {
        for (int x0 = 0; x0 < width; x0 += 2) {
            int sums[3] = {};
            int counts[3] = {};
            for (int y = y0; y < std::min(y0 + 2, height); ++y) {
                for (int x = x0; x < std::min(x0 + 2, width); ++x) {
                    const int c = mosaicChannel(kRawPhase, y, x);
                    sums[c] += raw[static_cast<std::size_t>(width) * y + x];
                    ++counts[c];
                }
            }
            for (int y = y0; y < std::min(y0 + 2, height); ++y) {
                for (int x = x0; x < std::min(x0 + 2, width); ++x) {
                    std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(width) * y + x) * 3;
                    for (int c = 0; c < 3; ++c) {
                        p[c] = static_cast<std::uint8_t>(counts[c] ? sums[c] / counts[c] : 0);
                    }
                }
            }
        }
    }
    return rgb;
}

}  // namespace

void V4l2Camera::ColourFrames::remember(const std::uint8_t* raw,
                                        const std::vector<std::uint8_t>& rgb) {
    std::lock_guard lock(mutex_);
    const auto known = std::ranges::find(keys_, raw);
    std::size_t slot = next_;
    if (known != keys_.end()) {
        slot = static_cast<std::size_t>(known - keys_.begin());
    } else {
        next_ = (next_ + 1) % keys_.size();
    }
    keys_[slot] = raw;
    frames_[slot].assign(rgb.begin(), rgb.end());  // reuses the slot's storage
    newest_ = slot;
}

bool V4l2Camera::ColourFrames::newest(std::vector<std::uint8_t>& rgb) const {
    std::lock_guard lock(mutex_);
    if (!newest_) {
        return false;
    }
    rgb = frames_[*newest_];
    return true;
}

void V4l2Camera::ColourFrames::clear() {
    std::lock_guard lock(mutex_);
    keys_.fill(nullptr);
    newest_.reset();
}

bool V4l2Camera::ColourFrames::lookup(const std::uint8_t* raw, std::size_t bytes,
                                      std::vector<std::uint8_t>& rgb) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i] == raw && frames_[i].size() == bytes) {
            rgb.assign(frames_[i].begin(), frames_[i].end());
            return true;
        }
    }
    return false;
}

V4l2Camera::V4l2Camera(std::string path, VideoDeviceSource source, DeviceListener listener,
                       std::filesystem::path parameterFile)
    : requestedPath_(std::move(path)),
      source_(std::move(source)),
      listener_(std::move(listener)),
      store_(std::move(parameterFile)) {
    values_ = defaultParameters();
}

V4l2Camera::~V4l2Camera() {
    close();
}

ParameterValues V4l2Camera::defaultParameters() const {
    ParameterValues values = neutralParameters();
    values.set(Parameter::ExposureMs, 33);
    std::lock_guard lock(mutex_);
    if (capabilities_) {
        const ControlRange& exposure = capabilities_->control(DeviceControl::ExposureAbsolute);
        if (exposure.available) {
            values.set(Parameter::ExposureMs, std::max(1, (exposure.defaultValue + 5) / 10));
        }
        const ControlRange& gain = capabilities_->control(DeviceControl::Gain);
        if (gain.available) {
            values.set(Parameter::AnalogGain, gain.defaultValue);
        }
        const ControlRange& power = capabilities_->control(DeviceControl::PowerLineFrequency);
        values.set(Parameter::LightFrequency,
                   power.available && power.defaultValue == V4L2_CID_POWER_LINE_FREQUENCY_60HZ);
    }
    return values;
}

std::optional<DeviceCapabilities> V4l2Camera::probe(const std::string& path) const {
    std::unique_ptr<VideoDevice> device = source_.make ? source_.make() : nullptr;
    if (!device || device->open(path) != 0) {
        return std::nullopt;
    }
    v4l2_capability cap{};
    if (device->ioctl(VIDIOC_QUERYCAP, &cap) != 0) {
        device->close();
        return std::nullopt;
    }
    const std::uint32_t caps =
        (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING)) {
        device->close();
        return std::nullopt;  // metadata nodes, output devices, single-planar only
    }
    DeviceCapabilities result;
    result.path = path;
    result.card = text(cap.card, sizeof cap.card);
    result.busInfo = text(cap.bus_info, sizeof cap.bus_info);

    bool rgb = false;
    for (std::uint32_t i = 0; i < 256 && !rgb; ++i) {
        v4l2_fmtdesc format{};
        format.index = i;
        format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (device->ioctl(VIDIOC_ENUM_FMT, &format) != 0) {
            break;
        }
        rgb = format.pixelformat == V4L2_PIX_FMT_RGB24;
    }
    for (std::uint32_t i = 0; rgb && i < 256; ++i) {
        v4l2_frmsizeenum size{};
        size.index = i;
        size.pixel_format = V4L2_PIX_FMT_RGB24;
        if (device->ioctl(VIDIOC_ENUM_FRAMESIZES, &size) != 0) {
            break;
        }
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            result.sizes.push_back(
                {static_cast<int>(size.discrete.width), static_cast<int>(size.discrete.height)});
        } else {
            // Stepwise or continuous: offer the largest and the smallest.
            result.sizes.push_back({static_cast<int>(size.stepwise.max_width),
                                    static_cast<int>(size.stepwise.max_height)});
            result.sizes.push_back({static_cast<int>(size.stepwise.min_width),
                                    static_cast<int>(size.stepwise.min_height)});
            break;
        }
    }
    if (rgb && result.sizes.empty()) {
        // Some drivers do not list their sizes: the one they are set to is still on offer.
        v4l2_format current{};
        current.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (device->ioctl(VIDIOC_G_FMT, &current) == 0) {
            result.sizes.push_back({static_cast<int>(current.fmt.pix.width),
                                    static_cast<int>(current.fmt.pix.height)});
        }
    }
    std::erase_if(result.sizes, [](const FrameSize& s) {
        return !isWritableSize(s.width, s.height) || s.width < 2 || s.height < 2;
    });
    std::ranges::stable_sort(result.sizes, [](const FrameSize& a, const FrameSize& b) {
        return static_cast<long long>(a.width) * a.height >
               static_cast<long long>(b.width) * b.height;
    });
    const auto [first, last] = std::ranges::unique(result.sizes);
    result.sizes.erase(first, last);

    for (std::size_t i = 0; i < kDeviceControlCount; ++i) {
        v4l2_queryctrl query{};
        query.id = kControlIds[i];
        if (device->ioctl(VIDIOC_QUERYCTRL, &query) == 0 &&
            !(query.flags & V4L2_CTRL_FLAG_DISABLED)) {
            result.controls[i] = {true, query.minimum, query.maximum, std::max(query.step, 1),
                                  query.default_value};
        }
    }
    device->close();
    if (result.sizes.empty()) {
        return std::nullopt;  // no frames we could convert
    }
    return result;
}

void V4l2Camera::enumerate() {
    {
        std::lock_guard lock(mutex_);
        if (open_) {
            return;
        }
    }
    std::optional<DeviceCapabilities> found;
    if (!requestedPath_.empty()) {
        found = probe(requestedPath_);
    } else if (source_.candidates) {
        for (const std::string& path : source_.candidates()) {
            if ((found = probe(path))) {
                break;
            }
        }
    }
    std::lock_guard lock(mutex_);
    if (!open_) {
        capabilities_ = std::move(found);
        lost_ = false;
    }
}

CameraIdentity V4l2Camera::identity() const {
    std::lock_guard lock(mutex_);
    if (!capabilities_ || lost_) {
        return {};
    }
    return {true, kVideoDeviceTypeId,
            capabilities_->card.empty() ? "Video4Linux2 camera" : capabilities_->card};
}

bool V4l2Camera::selectVariant(int typeId) {
    std::lock_guard lock(mutex_);
    return capabilities_ && !lost_ && !open_ && typeId == kVideoDeviceTypeId;
}

std::optional<DeviceCapabilities> V4l2Camera::capabilities() const {
    std::lock_guard lock(mutex_);
    return capabilities_;
}

int V4l2Camera::parameterKey() const {
    std::string identity;
    {
        std::lock_guard lock(mutex_);
        if (capabilities_) {
            identity = capabilities_->busInfo + '\n' + capabilities_->card;
        }
    }
    // FNV-1a, kept clear of every model's type id.
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : identity) {
        hash = (hash ^ c) * 16777619u;
    }
    return static_cast<int>(0x40000000u | (hash & 0x3FFFFFFFu));
}

std::string V4l2Camera::deviceInterfaceName() const {
    std::lock_guard lock(mutex_);
    const std::string path = capabilities_ ? capabilities_->path : requestedPath_;
    return KRVCAMERA_VIDEO_DEVICE_PREFIX + path + "#" +
           (capabilities_ ? capabilities_->busInfo : std::string());
}

int V4l2Camera::deviceCall(unsigned long request, void* argument) const {
    std::lock_guard lock(deviceMutex_);
    return device_ ? device_->ioctl(request, argument) : ENODEV;
}

bool V4l2Camera::setControl(DeviceControl control, int value) {
    v4l2_control c{kControlIds[static_cast<std::size_t>(control)], value};
    return deviceCall(VIDIOC_S_CTRL, &c) == 0;
}

std::optional<int> V4l2Camera::readControl(DeviceControl control) const {
    v4l2_control c{kControlIds[static_cast<std::size_t>(control)], 0};
    if (deviceCall(VIDIOC_G_CTRL, &c) != 0) {
        return std::nullopt;
    }
    return c.value;
}

bool V4l2Camera::startStreamLocked(FrameSize size) {
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = static_cast<std::uint32_t>(size.width);
    format.fmt.pix.height = static_cast<std::uint32_t>(size.height);
    format.fmt.pix.pixelformat = V4L2_PIX_FMT_RGB24;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    if (deviceCall(VIDIOC_S_FMT, &format) != 0 ||
        format.fmt.pix.pixelformat != V4L2_PIX_FMT_RGB24 ||
        static_cast<int>(format.fmt.pix.width) != size.width ||
        static_cast<int>(format.fmt.pix.height) != size.height) {
        return false;
    }
    bytesPerLine_ = std::max(static_cast<int>(format.fmt.pix.bytesperline), size.width * 3);

    v4l2_requestbuffers request{};
    request.count = kStreamingBuffers;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (deviceCall(VIDIOC_REQBUFS, &request) != 0 || request.count == 0) {
        return false;
    }
    for (std::uint32_t i = 0; i < request.count; ++i) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        if (deviceCall(VIDIOC_QUERYBUF, &buffer) != 0) {
            stopStreamLocked();
            return false;
        }
        void* address = nullptr;
        {
            std::lock_guard lock(deviceMutex_);
            address = device_ ? device_->map(buffer.length, buffer.m.offset) : nullptr;
        }
        if (!address) {
            stopStreamLocked();
            return false;
        }
        buffers_.push_back({address, buffer.length});
        if (deviceCall(VIDIOC_QBUF, &buffer) != 0) {
            stopStreamLocked();
            return false;
        }
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (deviceCall(VIDIOC_STREAMON, &type) != 0) {
        stopStreamLocked();
        return false;
    }
    streamSize_ = size;
    streaming_ = true;
    return true;
}

void V4l2Camera::stopStreamLocked() {
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (streaming_) {
        deviceCall(VIDIOC_STREAMOFF, &type);
    }
    streaming_ = false;
    std::lock_guard lock(deviceMutex_);
    for (const Buffer& buffer : buffers_) {
        if (device_) {
            device_->unmap(buffer.address, buffer.length);
        }
    }
    buffers_.clear();
    if (device_) {
        v4l2_requestbuffers release{};
        release.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        release.memory = V4L2_MEMORY_MMAP;
        device_->ioctl(VIDIOC_REQBUFS, &release);
    }
}

bool V4l2Camera::open(int previewResolution) {
    std::lock_guard streamLock(streamMutex_);
    std::optional<DeviceCapabilities> caps;
    {
        std::lock_guard lock(mutex_);
        if (open_ || !capabilities_ || lost_) {
            return open_ && !lost_;
        }
        caps = capabilities_;
    }
    std::unique_ptr<VideoDevice> device = source_.make ? source_.make() : nullptr;
    if (!device) {
        return false;
    }
    if (const int error = device->open(caps->path); error != 0) {
        std::fprintf(stderr, "krvcamera: cannot open %s: %s\n", caps->path.c_str(),
                     std::strerror(error));
        return false;
    }
    {
        std::lock_guard lock(deviceMutex_);
        device_ = std::move(device);
    }
    const auto count = static_cast<int>(caps->sizes.size());
    const int resolution =
        previewResolution >= 0 && previewResolution < count ? previewResolution : 0;
    stopping_ = false;
    if (!startStreamLocked(caps->sizes[static_cast<std::size_t>(resolution)])) {
        std::fprintf(stderr,
                     "krvcamera: %s cannot stream 24-bit RGB frames (in use by another program?)\n",
                     caps->path.c_str());
        std::lock_guard lock(deviceMutex_);
        device_->close();
        device_.reset();
        return false;
    }
    std::optional<ParameterValues> stored;
    const int key = parameterKey();
    {
        std::lock_guard storeLock(storeMutex_);
        stored = store_.set(key, 0);
    }
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        resolution_ = resolution;
    }
    colourFrames_.clear();
    // The library keeps the colour gains; the camera's own white balance would fight them.
    if (caps->control(DeviceControl::WhiteBalanceAuto).available) {
        setControl(DeviceControl::WhiteBalanceAuto, 0);
    }
    applyAll(stored.value_or(defaultParameters()));
    return true;
}

bool V4l2Camera::close() {
    stopping_ = true;
    std::lock_guard streamLock(streamMutex_);
    bool wasOpen = false;
    {
        std::lock_guard lock(mutex_);
        wasOpen = open_;
        open_ = false;
    }
    stopStreamLocked();
    std::lock_guard lock(deviceMutex_);
    if (device_) {
        device_->close();
        device_.reset();
    }
    return wasOpen;
}

bool V4l2Camera::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_ && !lost_;
}

bool V4l2Camera::imageSize(int& width, int& height) const {
    std::lock_guard lock(mutex_);
    if (!open_ || lost_ || !capabilities_) {
        return false;
    }
    const FrameSize& size = capabilities_->sizes[static_cast<std::size_t>(resolution_)];
    width = size.width;
    height = size.height;
    return true;
}

bool V4l2Camera::rowTime(int&) const {
    return false;  // the driver does not tell
}

std::vector<std::string> V4l2Camera::resolutionNames() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    if (capabilities_ && !lost_) {
        for (const FrameSize& size : capabilities_->sizes) {
            names.push_back(std::to_string(size.width) + "x" + std::to_string(size.height));
        }
    }
    return names;
}

// Copies a filled buffer out, mirrored here when the camera cannot flip itself: the raw
// frame then shows what the preview shows, so an area picked on the picture (the area white
// balance) and the RAW file see the same pixels as the user.
void V4l2Camera::copyFrame(const std::uint8_t* source, std::uint8_t* rgb) {
    bool mirrorX = false;
    bool mirrorY = false;
    {
        std::lock_guard lock(mutex_);
        if (capabilities_) {
            mirrorX = !capabilities_->control(DeviceControl::HorizontalFlip).available &&
                      values_.get(Parameter::Mirror0);
            mirrorY = !capabilities_->control(DeviceControl::VerticalFlip).available &&
                      values_.get(Parameter::Mirror1);
        }
    }
    const int width = streamSize_.width;
    const int height = streamSize_.height;
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in =
            source + static_cast<std::size_t>(bytesPerLine_) * (mirrorY ? height - 1 - y : y);
        std::uint8_t* out = rgb + row * static_cast<std::size_t>(y);
        if (!mirrorX) {
            std::memcpy(out, in, row);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            std::memcpy(out + 3 * static_cast<std::size_t>(x),
                        in + 3 * static_cast<std::size_t>(width - 1 - x), 3);
        }
    }
}

V4l2Camera::GrabResult V4l2Camera::grabLocked(std::uint8_t* raw, int timeoutMs) {
    if (!streaming_) {
        return GrabResult::NoFrame;
    }
    for (int waited = 0; waited < timeoutMs && !stopping_;) {
        const int slice = std::min(kPollSliceMs, timeoutMs - waited);
        int ready = 0;
        {
            // Polled without the device lock, so setters are not held up meanwhile; the
            // device itself stays while streamMutex_ is held.
            VideoDevice* device = nullptr;
            {
                std::lock_guard lock(deviceMutex_);
                device = device_.get();
            }
            ready = device ? device->poll(slice) : -ENODEV;
        }
        waited += slice;
        if (ready < 0) {
            return GrabResult::Lost;
        }
        if (ready == 0) {
            continue;
        }
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        const int error = deviceCall(VIDIOC_DQBUF, &buffer);
        if (error == EAGAIN) {
            continue;
        }
        if (error != 0) {
            return error == ENODEV || error == EIO ? GrabResult::Lost : GrabResult::NoFrame;
        }
        const std::size_t row = static_cast<std::size_t>(streamSize_.width) * 3;
        const std::size_t needed = static_cast<std::size_t>(bytesPerLine_) *
                                       static_cast<std::size_t>(streamSize_.height - 1) +
                                   row;
        const bool whole = buffer.index < buffers_.size() && buffer.bytesused >= needed &&
                           buffers_[buffer.index].length >= needed &&
                           !(buffer.flags & V4L2_BUF_FLAG_ERROR);
        if (whole) {
            copyFrame(static_cast<const std::uint8_t*>(buffers_[buffer.index].address), raw);
        }
        if (deviceCall(VIDIOC_QBUF, &buffer) == ENODEV) {
            return GrabResult::Lost;
        }
        if (whole) {
            return GrabResult::Frame;
        }
    }
    return GrabResult::NoFrame;
}

void V4l2Camera::deviceLost() {
    stopStreamLocked();
    {
        std::lock_guard lock(deviceMutex_);
        if (device_) {
            device_->close();
            device_.reset();
        }
    }
    bool announce = false;
    {
        std::lock_guard lock(mutex_);
        announce = !lost_;
        lost_ = true;
    }
    if (announce && listener_) {
        listener_(false, deviceInterfaceName());
    }
}

bool V4l2Camera::grabFrame(std::uint8_t* raw) {
    if (!raw) {
        return false;
    }
    int exposureMs = 0;
    {
        std::lock_guard lock(mutex_);
        exposureMs = values_.get(Parameter::ExposureMs);
    }
    std::unique_lock streamLock(streamMutex_);
    if (!streaming_) {
        streamLock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return false;
    }
    grabbed_.resize(static_cast<std::size_t>(streamSize_.width) * streamSize_.height * 3);
    const int timeout = std::min(exposureMs + kFrameMarginMs, kLongestGrabWaitMs);
    const GrabResult result = grabLocked(grabbed_.data(), timeout);
    if (result == GrabResult::Lost) {
        deviceLost();
        return false;
    }
    if (result != GrabResult::Frame) {
        return false;
    }
    // The caller's buffer holds width x height bytes; the colour stays here.
    sampleMosaic(grabbed_.data(), raw, streamSize_.width, streamSize_.height);
    colourFrames_.remember(raw, grabbed_);
    softwareAutoExpose(grabbed_.data(), grabbed_.size());
    return true;
}

void V4l2Camera::softwareAutoExpose(const std::uint8_t* raw, std::size_t bytes) {
    int exposure = 0;
    int target = 0;
    {
        std::lock_guard lock(mutex_);
        if (!values_.get(Parameter::AeState) || !capabilities_ ||
            capabilities_->control(DeviceControl::ExposureAuto).available ||
            !capabilities_->control(DeviceControl::ExposureAbsolute).available) {
            return;  // the camera regulates itself, or cannot be regulated
        }
        exposure = values_.get(Parameter::ExposureMs);
        target = std::max(1, values_.get(Parameter::AeTarget));
    }
    std::uint64_t sum = 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes; i += 7) {
        sum += raw[i];
        ++count;
    }
    const std::optional<int> next =
        nextAutoExposure(count ? static_cast<double>(sum) / count : 1.0, target, exposure);
    if (!next) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (values_.get(Parameter::AeState) && values_.get(Parameter::ExposureMs) == exposure) {
        values_.set(Parameter::ExposureMs, applyParameter(Parameter::ExposureMs, *next));
    }
}

bool V4l2Camera::decode(const std::uint8_t* raw, std::uint8_t* image, int width, int height) {
    if (!raw || !image || width < 1 || height < 1) {
        return false;
    }
    std::vector<std::uint8_t> rgb;
    if (!colourFrames_.lookup(raw, static_cast<std::size_t>(width) * height * 3, rgb)) {
        rgb = fromMosaic(raw, width, height);
    }
    return render(rgb.data(), image, width, height);
}

bool V4l2Camera::render(const std::uint8_t* raw, std::uint8_t* image, int width, int height) {
    // Only the control table is needed: the strings and sizes are not copied per frame.
    ParameterValues values;
    std::array<ControlRange, kDeviceControlCount> controls{};
    {
        std::lock_guard lock(mutex_);
        if (!open_ || !capabilities_) {
            return false;
        }
        values = values_;
        controls = capabilities_->controls;
    }
    auto device = [&controls](DeviceControl c) {
        return controls[static_cast<std::size_t>(c)].available;
    };
    // Whatever the device does not do is done here, on the converted frame.
    const bool deviceBalance =
        device(DeviceControl::RedBalance) && device(DeviceControl::BlueBalance);
    const int gains[3] = {deviceBalance ? 64 : values.get(Parameter::RedGain),
                          values.get(Parameter::GreenGain),
                          deviceBalance ? 64 : values.get(Parameter::BlueGain)};
    const int gamma = device(DeviceControl::Gamma) ? 100 : values.get(Parameter::Gamma);
    const double contrast =
        device(DeviceControl::Contrast) ? 1.0 : contrastFactor(values.get(Parameter::Contrast));
    const int saturation =
        device(DeviceControl::Saturation) || !values.get(Parameter::ColourEnhancement)
            ? 128
            : values.get(Parameter::Saturation);
    const bool monochrome = values.get(Parameter::Monochrome) != 0;

    std::array<std::array<std::uint8_t, 256>, 3> curve{};
    const double exponent = 100.0 / std::max(1, gamma);
    for (int c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v) {
            double out = std::min(255.0, v * gains[c] / 64.0);
            out = 255.0 * std::pow(out / 255.0, exponent);
            out = 128.0 + (out - 128.0) * contrast;
            curve[static_cast<std::size_t>(c)][static_cast<std::size_t>(v)] =
                static_cast<std::uint8_t>(std::clamp(std::lround(out), 0L, 255L));
        }
    }
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        // The image is stored bottom row first.
        const std::uint8_t* in = raw + row * static_cast<std::size_t>(height - 1 - y);
        std::uint8_t* out = image + row * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = in + 3 * static_cast<std::size_t>(x);
            int r = curve[0][p[0]];
            int g = curve[1][p[1]];
            int b = curve[2][p[2]];
            if (monochrome || saturation != 128) {
                const int luma = (77 * r + 150 * g + 29 * b) >> 8;
                const int s = monochrome ? 0 : saturation;
                r = std::clamp(luma + (r - luma) * s / 128, 0, 255);
                g = std::clamp(luma + (g - luma) * s / 128, 0, 255);
                b = std::clamp(luma + (b - luma) * s / 128, 0, 255);
            }
            std::uint8_t* q = out + 3 * static_cast<std::size_t>(x);
            q[0] = static_cast<std::uint8_t>(b);
            q[1] = static_cast<std::uint8_t>(g);
            q[2] = static_cast<std::uint8_t>(r);
        }
    }
    return true;
}

std::uint8_t V4l2Camera::decodeType() const {
    return kRawPhase;
}

// Sends one value to the device control it means and returns the value in effect, in the
// library's units. Called with mutex_ held.
int V4l2Camera::applyParameter(Parameter parameter, int value) {
    const ParameterRange limits = parameterRange(parameter);
    value = std::clamp(value, limits.minimum, limits.maximum);
    if (!capabilities_) {
        return value;
    }
    auto range = [this](DeviceControl c) -> const ControlRange& {
        return capabilities_->control(c);
    };
    switch (parameter) {
        case Parameter::ExposureMs: {
            const ControlRange& r = range(DeviceControl::ExposureAbsolute);
            if (!r.available) {
                return value;
            }
            // The driver counts in 100 us steps.
            const int steps = static_cast<int>(
                std::clamp<long long>(static_cast<long long>(value) * 10, r.minimum, r.maximum));
            // A refused value leaves the one the camera keeps.
            const int applied = setControl(DeviceControl::ExposureAbsolute, steps)
                                    ? steps
                                    : readControl(DeviceControl::ExposureAbsolute).value_or(steps);
            return std::max(1, (applied + 5) / 10);
        }
        case Parameter::AeState: {
            const ControlRange& r = range(DeviceControl::ExposureAuto);
            if (r.available) {
                if (value) {
                    // Cameras of this class offer aperture priority as their automatic mode.
                    if (!setControl(DeviceControl::ExposureAuto, V4L2_EXPOSURE_APERTURE_PRIORITY)) {
                        setControl(DeviceControl::ExposureAuto, V4L2_EXPOSURE_AUTO);
                    }
                } else {
                    setControl(DeviceControl::ExposureAuto, V4L2_EXPOSURE_MANUAL);
                    if (range(DeviceControl::ExposureAbsolute).available) {
                        values_.set(Parameter::ExposureMs,
                                    applyParameter(Parameter::ExposureMs,
                                                   values_.get(Parameter::ExposureMs)));
                    }
                }
            }
            return value;
        }
        case Parameter::AnalogGain: {
            const ControlRange& r = range(DeviceControl::Gain);
            if (!r.available) {
                return value;
            }
            const int gain = std::clamp(value, r.minimum, r.maximum);
            return setControl(DeviceControl::Gain, gain)
                       ? gain
                       : readControl(DeviceControl::Gain).value_or(gain);
        }
        case Parameter::RedGain:
        case Parameter::BlueGain: {
            const DeviceControl c = parameter == Parameter::RedGain ? DeviceControl::RedBalance
                                                                    : DeviceControl::BlueBalance;
            const bool both = range(DeviceControl::RedBalance).available &&
                              range(DeviceControl::BlueBalance).available;
            if (both) {
                // 64 is unity; the control's default is the camera's neutral balance.
                setControl(c, scaled(unityOf(range(c)), value / 64.0, range(c)));
            }
            return value;
        }
        case Parameter::Gamma:
            if (range(DeviceControl::Gamma).available) {
                setControl(DeviceControl::Gamma,
                           scaled(unityOf(range(DeviceControl::Gamma)), value / 100.0,
                                  range(DeviceControl::Gamma)));
            }
            return value;
        case Parameter::Contrast:
            if (range(DeviceControl::Contrast).available) {
                setControl(DeviceControl::Contrast,
                           scaled(unityOf(range(DeviceControl::Contrast)), contrastFactor(value),
                                  range(DeviceControl::Contrast)));
            }
            return value;
        case Parameter::Saturation:
        case Parameter::ColourEnhancement: {
            // The saturation acts while colour enhancement is on; off, colours are neutral.
            if (parameter == Parameter::ColourEnhancement) {
                value = value ? 1 : 0;
            }
            const bool enhanced = parameter == Parameter::ColourEnhancement
                                      ? value != 0
                                      : values_.get(Parameter::ColourEnhancement) != 0;
            const int saturation =
                parameter == Parameter::Saturation ? value : values_.get(Parameter::Saturation);
            if (range(DeviceControl::Saturation).available) {
                setControl(
                    DeviceControl::Saturation,
                    scaled(unityOf(range(DeviceControl::Saturation)),
                           enhanced ? saturation / 128.0 : 1.0, range(DeviceControl::Saturation)));
            }
            return value;
        }
        case Parameter::Mirror0:
        case Parameter::Mirror1: {
            const DeviceControl c = parameter == Parameter::Mirror0 ? DeviceControl::HorizontalFlip
                                                                    : DeviceControl::VerticalFlip;
            if (range(c).available) {
                setControl(c, value);
            }
            return value;
        }
        case Parameter::LightFrequency: {
            const ControlRange& r = range(DeviceControl::PowerLineFrequency);
            if (r.available) {
                setControl(DeviceControl::PowerLineFrequency,
                           std::clamp<int>(value ? V4L2_CID_POWER_LINE_FREQUENCY_60HZ
                                                 : V4L2_CID_POWER_LINE_FREQUENCY_50HZ,
                                           r.minimum, r.maximum));
            }
            return value;
        }
        default:
            return value;  // kept for the parameter sets; nothing in the device matches
    }
}

void V4l2Camera::applyAll(const ParameterValues& values) {
    std::lock_guard lock(mutex_);
    values_ = values;
    // The auto mode first, so that a manual exposure is not refused by a camera in auto.
    values_.set(Parameter::AeState,
                applyParameter(Parameter::AeState, values.get(Parameter::AeState)));
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const auto parameter = static_cast<Parameter>(i);
        if (parameter != Parameter::AeState) {
            values_.set(parameter, applyParameter(parameter, values.get(parameter)));
        }
    }
}

bool V4l2Camera::getParameter(Parameter parameter, int& value) const {
    std::lock_guard lock(mutex_);
    if (!open_ || lost_) {
        return false;
    }
    value = values_.get(parameter);
    if (parameter == Parameter::ExposureMs && values_.get(Parameter::AeState) && capabilities_ &&
        capabilities_->control(DeviceControl::ExposureAuto).available) {
        // The camera regulates: report the exposure it chose.
        if (const std::optional<int> steps = readControl(DeviceControl::ExposureAbsolute)) {
            value = std::max(1, (*steps + 5) / 10);
        }
    }
    return true;
}

bool V4l2Camera::setParameter(Parameter parameter, int value) {
    std::lock_guard lock(mutex_);
    if (!open_ || lost_) {
        return false;
    }
    values_.set(parameter, applyParameter(parameter, value));
    return true;
}

bool V4l2Camera::restartExposure() {
    return isOpen();  // the camera exposes continuously
}

bool V4l2Camera::balanceWhiteOnce() {
    std::vector<std::uint8_t> frame;
    const bool seen = colourFrames_.newest(frame);
    std::lock_guard lock(mutex_);
    if (!open_ || lost_ || !capabilities_) {
        return false;
    }
    if (!seen) {
        return true;  // nothing seen yet: the gains stay
    }
    // Grey world on the newest frame: red and blue means made equal to the green one.
    std::array<double, 3> sums{};
    for (std::size_t i = 0; i + 2 < frame.size(); i += 3) {
        for (std::size_t c = 0; c < 3; ++c) {
            sums[c] += frame[i + c];
        }
    }
    if (sums[0] < 1.0 || sums[2] < 1.0) {
        return true;
    }
    const bool deviceBalance = capabilities_->control(DeviceControl::RedBalance).available &&
                               capabilities_->control(DeviceControl::BlueBalance).available;
    // Device gains are already in the frame; software gains are applied after it.
    const int green = values_.get(Parameter::GreenGain);
    const double red = deviceBalance ? values_.get(Parameter::RedGain) : green;
    const double blue = deviceBalance ? values_.get(Parameter::BlueGain) : green;
    values_.set(
        Parameter::RedGain,
        applyParameter(Parameter::RedGain, static_cast<int>(std::lround(red * sums[1] / sums[0]))));
    values_.set(Parameter::BlueGain,
                applyParameter(Parameter::BlueGain,
                               static_cast<int>(std::lround(blue * sums[1] / sums[2]))));
    return true;
}

bool V4l2Camera::currentParameterSet(int& set) const {
    if (!isOpen()) {
        return false;
    }
    const int key = parameterKey();
    std::lock_guard storeLock(storeMutex_);
    set = store_.currentSet(key);
    return true;
}

bool V4l2Camera::readParameterSet(int set) {
    if (set < 0 || set >= kParameterSets || !isOpen()) {
        return false;
    }
    const int key = parameterKey();
    std::optional<ParameterValues> stored;
    {
        std::lock_guard storeLock(storeMutex_);
        stored = store_.set(key, set);
        store_.setCurrentSet(key, set);
    }
    applyAll(stored.value_or(defaultParameters()));
    return true;
}

bool V4l2Camera::saveParameterSet(int set) {
    if (set < 0 || set >= kParameterSets) {
        return false;
    }
    ParameterValues values;
    {
        std::lock_guard lock(mutex_);
        if (!open_ || lost_) {
            return false;
        }
        values = values_;
    }
    const int key = parameterKey();
    std::lock_guard storeLock(storeMutex_);
    return store_.save(key, set, values);
}

bool V4l2Camera::setWideData(bool) {
    return isOpen();  // the converted frames have 8 bits per channel; RAW stays 24-bit
}

bool V4l2Camera::captureFile(const std::string& pathWithoutExtension, FileType type,
                             int resolution) {
    std::unique_lock streamLock(streamMutex_);
    FrameSize preview;
    FrameSize capture;
    int exposureMs = 0;
    {
        std::lock_guard lock(mutex_);
        if (!open_ || lost_ || !capabilities_ || pathWithoutExtension.empty()) {
            return false;
        }
        const auto count = static_cast<int>(capabilities_->sizes.size());
        preview = capabilities_->sizes[static_cast<std::size_t>(resolution_)];
        capture = capabilities_->sizes[static_cast<std::size_t>(
            resolution >= 0 && resolution < count ? resolution : 0)];
        exposureMs = values_.get(Parameter::ExposureMs);
    }
    // The stream changes size only while stopped.
    const bool resize = !(capture == preview);
    if (resize) {
        stopStreamLocked();
        if (!startStreamLocked(capture)) {
            startStreamLocked(preview);
            return false;
        }
    }
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(capture.width) * capture.height * 3);
    GrabResult result = GrabResult::NoFrame;
    // A camera that just started streaming may need a few frame times for its first frame.
    const int attempts = 2 + exposureMs / kLongestGrabWaitMs;
    for (int i = 0; i < attempts && result == GrabResult::NoFrame && !stopping_; ++i) {
        result = grabLocked(raw.data(), std::min(exposureMs + kFrameMarginMs, kLongestGrabWaitMs) +
                                            kLongestGrabWaitMs);
    }
    if (result == GrabResult::Lost) {
        deviceLost();
        return false;
    }
    if (resize) {
        stopStreamLocked();
        if (!startStreamLocked(preview)) {
            deviceLost();
            return false;
        }
    }
    streamLock.unlock();
    if (result != GrabResult::Frame) {
        return false;
    }
    const std::string path = pathWithoutExtension + fileExtension(type);
    if (type == FileType::Raw) {
        return writeRawFile(path, raw.data(), raw.size());
    }
    std::vector<std::uint8_t> image(raw.size());
    return render(raw.data(), image.data(), capture.width, capture.height) &&
           writeImageFile(type, path, image.data(), capture.width, capture.height);
}

}  // namespace krvcamera
