#pragma once

// The camera record: one per open camera, owned by the camera window. The preview, the
// control pages and the save configuration hold a pointer to it and edit it in place.
// Plain data on purpose: every part of the camera window reads and writes its fields.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvel::camera {

inline constexpr int kNoCamera = -1;

// Values of CameraRecord::state.
inline constexpr int kCameraOpen = 0;
inline constexpr int kCameraClosed = 2;

// A camera control the model may or may not have. `flag` says the control exists for this
// model and is applied to the camera; values are user steps unless noted otherwise.
struct CameraControl {
    int flag = 0;
    int minimum = 0;
    int maximum = 0;
    int value = 0;
};

// An on/off (or small choice) control: it exists when `flag` is set.
struct CameraSwitch {
    int flag = 0;
    int value = 0;
};

// Red, green and blue gains of the camera, 64 = unity.
struct ColourGains {
    int flag = 0;
    CameraControl red;
    CameraControl green;
    CameraControl blue;
};

// The gains "Quick BlackBalance" restores; without the flag the model has no such balance.
struct QuickBalance {
    int flag = 0;
    int red = 64;
    int green = 64;
    int blue = 64;
};

// Limits and thresholds of the software auto exposure.
struct AutoExposureTuning {
    int exposureFloor = 0;
    int exposureCeiling = 0;
    int t1 = 0;
    int t2 = 0;
    int t3 = 0;
    int gainFloorStep = 0;
    int gainCeilingStep = 0;
    int g1 = 0;
    int g2 = 0;
};

// One background-correction record as stored in the per-camera correction file.
struct PixelCorrection {
    std::int32_t x = 0;                   // column
    std::int32_t y = 0;                   // row of the decoded image
    std::uint8_t percent[3] = {0, 0, 0};  // blue, green, red
    std::uint8_t reserved = 0;
};

// The background-correction records of the open camera. The camera record is their one
// owner, yet the decode thread applies them to every frame while the user-interface thread
// may load or free them: a change therefore replaces the whole list, and a reader keeps the
// list it took alive (and unchanged) for as long as it uses it. The lock guards only the
// hand-over of the pointer, never the per-pixel work.
class PixelCorrectionList {
public:
    using List = std::vector<PixelCorrection>;

    PixelCorrectionList() = default;
    // Copies share the (immutable) list; the settings sheet's backup relies on that.
    PixelCorrectionList(const PixelCorrectionList& other) : list_(other.snapshot()) {}
    PixelCorrectionList& operator=(const PixelCorrectionList& other) {
        assign(other.snapshot());
        return *this;
    }

    // The list as it is now; never null.
    std::shared_ptr<const List> snapshot() const {
        std::lock_guard lock(mutex_);
        return list_ ? list_ : noList();
    }
    void assign(std::shared_ptr<const List> list) {
        std::lock_guard lock(mutex_);
        list_.swap(list);
        // The old list, if no reader holds it any more, is freed outside the lock.
    }
    void replace(List corrections) { assign(std::make_shared<const List>(std::move(corrections))); }
    void clear() { assign(nullptr); }

    // The record count.
    std::size_t size() const { return snapshot()->size(); }
    bool empty() const { return size() == 0; }

private:
    static std::shared_ptr<const List> noList() {
        static const auto none = std::make_shared<const List>();
        return none;
    }

    mutable std::mutex mutex_;
    std::shared_ptr<const List> list_;
};

// Snapshot settings (registry section "FileSave").
struct SnapshotSettings {
    int bConfig = 0;
    std::string sFilename = "KV";
    int bNum = 1;
    int uiFiletype = 2;
    int bTimeStamp = 1;
    int bLapse = 0;
    int nSpace = 0;
    int nCount = 1;
};

// Video settings (registry section "VideoSave").
struct VideoSettings {
    int bConfig = 0;
    std::string sFilename = "KV";
    int bNum = 1;
    int bTimeStamp = 1;
    int Compress = 0;
    int CompressID = 0;
};

struct CameraRecord {
    int typeId = kNoCamera;
    int width = 0;
    int height = 0;
    int state = kCameraClosed;
    std::uint8_t captureResolution = 0;
    std::uint8_t previewResolution = 0;
    int separateCaptureAllowed = 1;  // 0 forces the resolution lock on
    int resolutionLock = 1;
    int longExposureMode = 0;
    int precisionSnapshotOffered = 0;
    int precisionSnapshot = 0;             // file captures use speed mode 3 and raw gain 171
    PixelCorrectionList pixelCorrections;  // its size is the record count

    CameraSwitch autoExposure;  // value = on
    CameraControl exposure;     // milliseconds, or a long-exposure table index in that mode
    CameraControl aeTarget;     // step -5..5
    CameraControl analogGain;   // gain step
    CameraControl gamma;
    CameraControl contrast;
    CameraControl saturation;
    CameraSwitch colourEnhancement;
    int backgroundCorrectionLoaded = 0;
    int backgroundCorrectionApplied = 0;
    CameraSwitch mirror0;
    CameraSwitch mirror1;
    CameraSwitch monochrome;
    ColourGains colourGains;
    CameraSwitch frameSpeed;
    CameraSwitch lightFrequency;  // 0 = 50 Hz, 1 = 60 Hz
    CameraSwitch mosaicMode;      // mosaic-to-RGB mode
    std::uint8_t parameterSetInUse = 0;
    std::uint8_t parameterSetAtOpen = 0;

    SnapshotSettings snapshot;
    VideoSettings video;

    AutoExposureTuning aeTuning;
    int softwareAutoExposure = 0;  // 1 = the program regulates, the camera's own AE stays off
    int runningBrightness = 0;
    int exposureSent = 0;  // milliseconds last given to the camera
    int automaticSpeedSwitching = 0;
    std::uint8_t currentSpeedMode = 0;

    QuickBalance quickBalance;
};

}  // namespace korvel::camera
