#pragma once

// The fixed orders in which the camera window opens and closes the camera, reads every
// value back from it and applies the record's values to it, and sets the exposure. All of
// it runs on the user-interface thread and talks to the camera library directly.

#include "camera/CameraRecord.h"

#include <QString>

#include <chrono>
#include <functional>

namespace korvel::camera {

// The live preview as the session needs it (the preview window implements it).
class PreviewControl {
public:
    virtual ~PreviewControl() = default;
    virtual bool start(CameraRecord& record) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
};

// The steps of opening that belong to other parts of the camera window.
struct SessionHooks {
    std::function<void()> loadBackgroundCorrection;
    std::function<void()> refreshPrompts;
    std::function<void()> fitWindowToImage;
    std::function<void(std::chrono::milliseconds)> sleep;  // real sleep when empty
};

// Auto-exposure target step (-5..5) <-> the byte the camera takes.
std::uint8_t aeTargetStepToByte(int step);
int aeTargetByteToStep(std::uint8_t value);

// The first-use flag of the model in section "CAMERA" of the INI file: 1 (the default) the
// first time, when it is written as "0"; 0 afterwards.
bool firstUseCheck(const CameraRecord& record, const QString& iniPath);

class CameraSession {
public:
    CameraSession(CameraRecord& record, PreviewControl* preview, SessionHooks hooks = {});

    // Opening (message 1282): false when the camera cannot be opened; the state then
    // stays closed and "Preview" may retry.
    bool open(int backgroundCorrectionApplied, void* cameraWindow, void* previewWindow,
              const QString& iniPath);
    // Closing (message 1283): nothing happens unless the camera is open.
    void close();

    void readBackAll();
    void applyAll();
    // Message 1314: the exposure value (milliseconds, or a long-exposure index).
    void setExposure(int value);
    void setExposureWithSpeedSwitching(int milliseconds);
    // Reads auto exposure, exposure and gain back into the record.
    void refresh();

    // One-shot white balance: the camera settles, its gains come into the record and
    // parameter set 0 keeps them.
    void quickWhiteBalance();
    // The model's quick-balance gains, with colour enhancement off.
    void quickBlackBalance();

    CameraRecord& record() { return record_; }

private:
    void wait(std::chrono::milliseconds duration);
    int exposureMilliseconds(int value) const;
    int exposureValue(int milliseconds) const;

    CameraRecord& record_;
    PreviewControl* preview_;
    SessionHooks hooks_;
};

}  // namespace korvel::camera
