#pragma once

// A real camera through Video4Linux2: one generic model of our own whose capabilities come
// from what the device reports. The device delivers 24-bit RGB frames into memory-mapped
// streaming buffers; what it cannot do itself (colour gains without balance controls,
// monochrome, mirroring without flip controls, the tone curve without gamma or contrast
// controls, auto exposure without an auto mode, white balance, capture files, parameter sets)
// the library does.
//
// Raw frames keep the library's layout, one byte per pixel: the colour frame sampled as a
// mosaic of phase 0, so that every reader of raw frames (brightness, area white balance,
// background correction) works unchanged and no caller's buffer is overrun. The full colour
// frame stays with the library, remembered by the raw buffer it was grabbed into, and is what
// KRVCameraDecode shows; a raw buffer the library does not know is demosaiced.

#include <array>
#include <atomic>
#include <mutex>
#include <optional>

#include "krvcamera/CameraBackend.h"
#include "krvcamera/KRVCamera.h"
#include "krvcamera/ParameterStore.h"
#include "krvcamera/VideoDevice.h"

namespace krvcamera {

// The type id of every Video4Linux2 camera; no maker's model uses it.
inline constexpr int kVideoDeviceTypeId = KRVCAMERA_TYPE_VIDEO_DEVICE;

// The device controls the backend uses.
enum class DeviceControl : std::size_t {
    ExposureAbsolute,  // 100 us steps
    ExposureAuto,      // menu: manual, auto, shutter or aperture priority
    Gain,
    WhiteBalanceTemperature,
    WhiteBalanceAuto,
    RedBalance,
    BlueBalance,
    Gamma,
    Contrast,
    Saturation,
    HorizontalFlip,
    VerticalFlip,
    PowerLineFrequency,
};
inline constexpr std::size_t kDeviceControlCount = 13;

struct ControlRange {
    bool available = false;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    int defaultValue = 0;
};

struct FrameSize {
    int width = 0;
    int height = 0;
    bool operator==(const FrameSize&) const = default;
};

// What the device reported when it was enumerated.
struct DeviceCapabilities {
    std::string path;
    std::string card;
    std::string busInfo;
    std::vector<FrameSize> sizes;  // largest first; the resolution indices
    std::array<ControlRange, kDeviceControlCount> controls{};

    const ControlRange& control(DeviceControl c) const {
        return controls[static_cast<std::size_t>(c)];
    }
};

class V4l2Camera final : public CameraBackend {
public:
    // `path` empty: the first capture device among the source's candidates.
    V4l2Camera(std::string path, VideoDeviceSource source, DeviceListener listener,
               std::filesystem::path parameterFile = {});
    ~V4l2Camera() override;

    void enumerate() override;
    CameraIdentity identity() const override;
    bool selectVariant(int typeId) override;

    bool open(int previewResolution) override;
    bool close() override;
    bool isOpen() const override;
    bool imageSize(int& width, int& height) const override;
    bool rowTime(int& microseconds) const override;
    std::vector<std::string> resolutionNames() const override;

    bool grabFrame(std::uint8_t* raw) override;
    bool decode(const std::uint8_t* raw, std::uint8_t* image, int width, int height) override;
    std::uint8_t decodeType() const override;

    bool getParameter(Parameter parameter, int& value) const override;
    bool setParameter(Parameter parameter, int value) override;
    bool restartExposure() override;
    bool balanceWhiteOnce() override;

    bool currentParameterSet(int& set) const override;
    bool readParameterSet(int set) override;
    bool saveParameterSet(int set) override;

    bool setWideData(bool wide) override;
    bool captureFile(const std::string& pathWithoutExtension, FileType type,
                     int resolution) override;

    // Empty until a capture device was found.
    std::optional<DeviceCapabilities> capabilities() const;
    // The key the parameter sets of this device are kept under: from its bus and card name.
    int parameterKey() const;
    std::string deviceInterfaceName() const;

private:
    struct Buffer {
        void* address = nullptr;
        std::size_t length = 0;
    };

    // The colour frames of the newest raw buffers, by buffer address.
    class ColourFrames {
    public:
        void remember(const std::uint8_t* raw, const std::vector<std::uint8_t>& rgb);
        bool lookup(const std::uint8_t* raw, std::size_t bytes,
                    std::vector<std::uint8_t>& rgb) const;
        // The frame remembered last; false when there is none.
        bool newest(std::vector<std::uint8_t>& rgb) const;
        void clear();

    private:
        mutable std::mutex mutex_;
        std::array<const std::uint8_t*, 4> keys_{};
        std::array<std::vector<std::uint8_t>, 4> frames_;
        std::size_t next_ = 0;
        std::optional<std::size_t> newest_;
    };

    std::optional<DeviceCapabilities> probe(const std::string& path) const;
    // Shows an RGB frame (top row first) as the blue-green-red picture, bottom row first.
    bool render(const std::uint8_t* rgb, std::uint8_t* image, int width, int height);
    // Device calls under deviceMutex_.
    int deviceCall(unsigned long request, void* argument) const;
    bool setControl(DeviceControl control, int value);
    std::optional<int> readControl(DeviceControl control) const;

    bool startStreamLocked(FrameSize size);
    void stopStreamLocked();
    // Waits for one frame and copies it into `raw` (RGB, top row first).
    enum class GrabResult { Frame, NoFrame, Lost };
    GrabResult grabLocked(std::uint8_t* raw, int timeoutMs);
    void copyFrame(const std::uint8_t* source, std::uint8_t* rgb);
    void deviceLost();

    ParameterValues defaultParameters() const;
    void applyAll(const ParameterValues& values);
    int applyParameter(Parameter parameter, int value);
    void softwareAutoExpose(const std::uint8_t* raw, std::size_t bytes);

    const std::string requestedPath_;
    const VideoDeviceSource source_;
    const DeviceListener listener_;

    mutable std::mutex storeMutex_;  // never taken inside the others
    ParameterStore store_;

    // Order of locking: streamMutex_, then mutex_, then deviceMutex_.
    std::mutex streamMutex_;          // the stream: buffers, format; held by a grab
    mutable std::mutex mutex_;        // identity, capabilities, values
    mutable std::mutex deviceMutex_;  // the device handle and every call on it

    std::unique_ptr<VideoDevice> device_;
    std::vector<Buffer> buffers_;
    FrameSize streamSize_;
    int bytesPerLine_ = 0;
    bool streaming_ = false;
    std::atomic<bool> stopping_{false};

    std::optional<DeviceCapabilities> capabilities_;
    bool open_ = false;
    bool lost_ = false;
    int resolution_ = 0;
    ParameterValues values_;
    std::vector<std::uint8_t> grabbed_;  // the colour frame being grabbed; streamMutex_
    ColourFrames colourFrames_;
};

}  // namespace krvcamera
