// The C interface of the camera library over its backends.
//
// The interface has no handles: one camera per process. Its state therefore lives in one
// Library object, created on first use; every function takes the current backend from it
// under a short lock and calls it without holding that lock, so grab, decode and setters
// running on different threads never wait for each other here.

#include "krvcamera/KRVCamera.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "CallLog.h"
#include "CameraBackend.h"
#include "SimulatedCamera.h"
#include "V4l2Camera.h"
#include "krvcamera/KRVCameraSimulator.h"
#include "krvcamera/KRVCameraVideoDevices.h"

namespace krvcamera {

namespace {

class Library {
public:
    CallLog& log() { return log_; }

    std::shared_ptr<CameraBackend> backend() const {
        std::lock_guard lock(mutex_);
        return backend_;
    }

    std::shared_ptr<SimulatedCamera> simulator() const {
        return std::dynamic_pointer_cast<SimulatedCamera>(backend());
    }

    // Builds the backend KRVCAMERA names, keeping the current one when it is unchanged or
    // when its camera is open.
    std::shared_ptr<CameraBackend> enumerate() {
        const char* variable = std::getenv("KRVCAMERA");
        const std::string selection = variable && *variable ? variable : "none";
        std::shared_ptr<CameraBackend> current;
        {
            std::lock_guard lock(mutex_);
            if (!backend_ || (selection != selection_ && !backend_->isOpen())) {
                backend_ = makeBackend(selection);
                selection_ = selection;
            }
            current = backend_;
        }
        if (current) {
            current->enumerate();
        }
        return current;
    }

    // Names are kept for the life of the process, so the pointers handed out stay valid.
    const char* internName(const std::string& name) {
        std::lock_guard lock(mutex_);
        return names_.insert(name).first->c_str();
    }

    void reset() {
        std::shared_ptr<CameraBackend> old;
        {
            std::lock_guard lock(mutex_);
            old = std::move(backend_);
            selection_.clear();
        }
        log_.clear();
    }

    void useVirtualClock(bool on) {
        std::lock_guard lock(mutex_);
        virtualClock_ = on;
    }

    void setDeviceCallback(KRVCameraDeviceCallback callback, void* context) {
        std::lock_guard lock(callbackMutex_);  // waits for a callback under way
        callback_ = callback;
        callbackContext_ = context;
    }

    void notifyDevice(bool arrived, const std::string& name) {
        std::lock_guard lock(callbackMutex_);
        if (callback_) {
            callback_(callbackContext_, arrived ? 1 : 0, name.c_str());
        }
    }

    void useVideoDevices(VideoDeviceSource source) {
        std::lock_guard lock(mutex_);
        videoDevices_ = std::move(source);
    }

    std::optional<DeviceCapabilities> videoCapabilities() const {
        auto camera = std::dynamic_pointer_cast<V4l2Camera>(backend());
        return camera ? camera->capabilities() : std::nullopt;
    }

private:
    // A comma-separated list is tried in order: "auto" takes the first Video4Linux2 capture
    // device when there is one, any other choice is taken as it stands.
    std::shared_ptr<CameraBackend> makeBackend(const std::string& selection) {
        std::size_t start = 0;
        while (start <= selection.size()) {
            const std::size_t comma = std::min(selection.find(',', start), selection.size());
            const std::string choice = selection.substr(start, comma - start);
            start = comma + 1;
            if (choice == "auto") {
                auto camera = makeVideoCamera({});
                camera->enumerate();
                if (camera->identity().present) {
                    return camera;
                }
                continue;
            }
            return makeSingleBackend(choice);
        }
        return nullptr;
    }

    std::shared_ptr<V4l2Camera> makeVideoCamera(std::string path) {
        return std::make_shared<V4l2Camera>(
            std::move(path), videoDevices_,
            [this](bool arrived, const std::string& name) { notifyDevice(arrived, name); });
    }

    std::shared_ptr<CameraBackend> makeSingleBackend(const std::string& selection) {
        if (selection == "none") {
            return nullptr;
        }
        if (selection == "v4l2") {
            return makeVideoCamera({});
        }
        if (selection.rfind("v4l2:", 0) == 0 && selection.size() > 5) {
            return makeVideoCamera(selection.substr(5));
        }
        if (selection.rfind("sim:", 0) == 0) {
            char* end = nullptr;
            const long typeId = std::strtol(selection.c_str() + 4, &end, 10);
            if (end != selection.c_str() + 4 && *end == '\0' && typeId >= 0 && typeId <= 0xFFF) {
                auto clock = virtualClock_ ? makeVirtualClock() : makeRealClock();
                return std::make_shared<SimulatedCamera>(
                    static_cast<int>(typeId), std::move(clock),
                    [this](bool arrived, const std::string& name) { notifyDevice(arrived, name); });
            }
        }
        std::fprintf(stderr,
                     "krvcamera: KRVCAMERA=\"%s\" is not \"none\", \"sim:<type id>\", "
                     "\"v4l2\", \"v4l2:<device>\" or \"auto\"; no camera\n",
                     selection.c_str());
        return nullptr;
    }

    mutable std::mutex mutex_;
    std::shared_ptr<CameraBackend> backend_;
    std::string selection_;
    std::set<std::string> names_;
    bool virtualClock_ = false;
    VideoDeviceSource videoDevices_ = systemVideoDevices();
    CallLog log_;

    std::mutex callbackMutex_;
    KRVCameraDeviceCallback callback_ = nullptr;
    void* callbackContext_ = nullptr;
};

Library& library() {
    static Library instance;
    return instance;
}

// Logs the call and returns the backend to run it on (null when there is no camera).
template <typename... Args>
std::shared_ptr<CameraBackend> call(const char* function, const Args&... args) {
    library().log().record(function, args...);
    return library().backend();
}

int result(bool ok) {
    return ok ? 1 : 0;
}

template <typename T>
int getParameter(const char* function, Parameter parameter, T* out) {
    auto camera = call(function);
    int value = 0;
    if (!out || !camera || !camera->getParameter(parameter, value)) {
        return 0;
    }
    *out = static_cast<T>(value);
    return 1;
}

template <typename T>
int setParameter(const char* function, Parameter parameter, T value) {
    auto camera = call(function, value);
    return result(camera && camera->setParameter(parameter, static_cast<int>(value)));
}

}  // namespace

std::vector<std::string> simulatorCallLog() {
    return library().log().entries();
}
void clearSimulatorCallLog() {
    library().log().clear();
}
void resetLibrary() {
    library().reset();
}
void useVirtualClock(bool on) {
    library().useVirtualClock(on);
}
void useVideoDevices(VideoDeviceSource source) {
    library().useVideoDevices(std::move(source));
}
std::optional<DeviceCapabilities> videoDeviceCapabilities() {
    return library().videoCapabilities();
}

double simulatorElapsedMs() {
    auto simulator = library().simulator();
    return simulator ? simulator->elapsedMs() : 0.0;
}

double simulatorFrameIntervalMs() {
    auto simulator = library().simulator();
    return simulator ? simulator->frameIntervalMs() : 0.0;
}

}  // namespace krvcamera

using krvcamera::call;
using krvcamera::Parameter;
using krvcamera::result;

extern "C" {

void KRVCameraSimulatorSetPlugged(int plugged) {
    krvcamera::library().log().record("KRVCameraSimulatorSetPlugged", plugged);
    if (auto simulator = krvcamera::library().simulator()) {
        simulator->setPlugged(plugged != 0);
    }
}

void KRVCameraSimulatorSetSlide(int present) {
    krvcamera::library().log().record("KRVCameraSimulatorSetSlide", present);
    if (auto simulator = krvcamera::library().simulator()) {
        simulator->setSlidePresent(present != 0);
    }
}

int KRVCameraSimulatorIsPlugged(void) {
    auto simulator = krvcamera::library().simulator();
    return result(simulator && simulator->plugged());
}

void KRVCamera_ReflashCamera(void) {
    krvcamera::library().log().record("KRVCamera_ReflashCamera");
    krvcamera::library().enumerate();
}

KRVCameraID KRVCameraGetCameraID(void) {
    auto camera = call("KRVCameraGetCameraID");
    const krvcamera::CameraIdentity identity =
        camera ? camera->identity() : krvcamera::CameraIdentity{};
    const char* name = krvcamera::library().internName(identity.name);
    return KRVCameraID{identity.present ? 1 : 0, identity.present ? identity.typeId : -1, name};
}

int KRVCamera_SetCamera(int typeId) {
    auto camera = call("KRVCamera_SetCamera", typeId);
    return result(camera && camera->selectVariant(typeId));
}

int KRVCameraInit(uint8_t previewResolution, void*, void*) {
    auto camera = call("KRVCameraInit", previewResolution);
    return result(camera && camera->open(previewResolution));
}

int KRVCameraUnInit(void) {
    auto camera = call("KRVCameraUnInit");
    return result(camera && camera->close());
}

int KRVCameraGetImageSize(int* width, int* height) {
    auto camera = call("KRVCameraGetImageSize");
    int w = 0;
    int h = 0;
    if (!width || !height || !camera || !camera->imageSize(w, h)) {
        return 0;
    }
    *width = w;
    *height = h;
    return 1;
}

int KRVCameraGetRowTime(int* rowTime) {
    auto camera = call("KRVCameraGetRowTime");
    int value = 0;
    if (!rowTime || !camera || !camera->rowTime(value)) {
        return 0;
    }
    *rowTime = value;
    return 1;
}

int KRVCameraGrabFrame(uint8_t* raw) {
    auto camera = call("KRVCameraGrabFrame");
    return result(camera && camera->grabFrame(raw));
}

int KRVCameraDecode(const uint8_t* raw, uint8_t* image, int width, int height) {
    auto camera = call("KRVCameraDecode", width, height);
    return result(camera && camera->decode(raw, image, width, height));
}

uint8_t KRVCameraDecodeType(void) {
    auto camera = call("KRVCameraDecodeType");
    return camera ? camera->decodeType() : 0;
}

int KRVCameraGetExposureTime(int* milliseconds) {
    return krvcamera::getParameter("KRVCameraGetExposureTime", Parameter::ExposureMs, milliseconds);
}

int KRVCameraSetExposureTime(int milliseconds) {
    return krvcamera::setParameter("KRVCameraSetExposureTime", Parameter::ExposureMs, milliseconds);
}

int KRVCameraReStartLongExpTime(int reserved) {
    auto camera = call("KRVCameraReStartLongExpTime", reserved);
    return result(camera && camera->restartExposure());
}

int KRVCameraGetSpeedMode(uint8_t* mode) {
    return krvcamera::getParameter("KRVCameraGetSpeedMode", Parameter::SpeedMode, mode);
}

int KRVCameraSetSpeedMode(uint8_t mode) {
    return krvcamera::setParameter("KRVCameraSetSpeedMode", Parameter::SpeedMode, mode);
}

int KRVCameraGetAnalogGain(int* raw) {
    return krvcamera::getParameter("KRVCameraGetAnalogGain", Parameter::AnalogGain, raw);
}

int KRVCameraSetAnalogGain(int raw) {
    return krvcamera::setParameter("KRVCameraSetAnalogGain", Parameter::AnalogGain, raw);
}

int KRVCameraGetGain(int* red, int* green, int* blue) {
    auto camera = call("KRVCameraGetGain");
    int r = 0;
    int g = 0;
    int b = 0;
    if (!red || !green || !blue || !camera || !camera->getParameter(Parameter::RedGain, r) ||
        !camera->getParameter(Parameter::GreenGain, g) ||
        !camera->getParameter(Parameter::BlueGain, b)) {
        return 0;
    }
    *red = r;
    *green = g;
    *blue = b;
    return 1;
}

int KRVCameraSetGain(int red, int green, int blue) {
    auto camera = call("KRVCameraSetGain", red, green, blue);
    return result(camera && camera->setParameter(Parameter::RedGain, red) &&
                  camera->setParameter(Parameter::GreenGain, green) &&
                  camera->setParameter(Parameter::BlueGain, blue));
}

int KRVCameraSetAWBState(int state) {
    auto camera = call("KRVCameraSetAWBState", state);
    if (!camera) {
        return 0;
    }
    return result(state == 0 || camera->balanceWhiteOnce());
}

int KRVCameraGetAeState(int* state) {
    return krvcamera::getParameter("KRVCameraGetAeState", Parameter::AeState, state);
}

int KRVCameraSetAeState(int state) {
    return krvcamera::setParameter("KRVCameraSetAeState", Parameter::AeState, state);
}

int KRVCameraGetAeTarget(uint8_t* target) {
    return krvcamera::getParameter("KRVCameraGetAeTarget", Parameter::AeTarget, target);
}

int KRVCameraSetAeTarget(uint8_t target) {
    return krvcamera::setParameter("KRVCameraSetAeTarget", Parameter::AeTarget, target);
}

int KRVCameraGetGamma(uint8_t* raw) {
    return krvcamera::getParameter("KRVCameraGetGamma", Parameter::Gamma, raw);
}

int KRVCameraSetGamma(int raw) {
    return krvcamera::setParameter("KRVCameraSetGamma", Parameter::Gamma, raw);
}

int KRVCameraGetContrast(uint8_t* raw) {
    return krvcamera::getParameter("KRVCameraGetContrast", Parameter::Contrast, raw);
}

int KRVCameraSetContrast(int raw) {
    return krvcamera::setParameter("KRVCameraSetContrast", Parameter::Contrast, raw);
}

int KRVCameraGetSaturation(uint8_t* raw) {
    return krvcamera::getParameter("KRVCameraGetSaturation", Parameter::Saturation, raw);
}

int KRVCameraSetSaturation(int raw) {
    return krvcamera::setParameter("KRVCameraSetSaturation", Parameter::Saturation, raw);
}

int KRVCameraGetColorEnhancement(int* on) {
    return krvcamera::getParameter("KRVCameraGetColorEnhancement", Parameter::ColourEnhancement,
                                   on);
}

int KRVCameraSetColorEnhancement(int on) {
    return krvcamera::setParameter("KRVCameraSetColorEnhancement", Parameter::ColourEnhancement,
                                   on);
}

int KRVCameraGetMonochrome(int* on) {
    return krvcamera::getParameter("KRVCameraGetMonochrome", Parameter::Monochrome, on);
}

int KRVCameraSetMonochrome(int on) {
    return krvcamera::setParameter("KRVCameraSetMonochrome", Parameter::Monochrome, on);
}

int KRVCameraGetMirror(int axis, int* on) {
    if (axis != 0 && axis != 1) {
        call("KRVCameraGetMirror", axis);
        return 0;
    }
    const Parameter parameter = axis == 0 ? Parameter::Mirror0 : Parameter::Mirror1;
    auto camera = call("KRVCameraGetMirror", axis);
    int value = 0;
    if (!on || !camera || !camera->getParameter(parameter, value)) {
        return 0;
    }
    *on = value;
    return 1;
}

int KRVCameraSetMirror(int axis, int on) {
    auto camera = call("KRVCameraSetMirror", axis, on);
    if (axis != 0 && axis != 1) {
        return 0;
    }
    const Parameter parameter = axis == 0 ? Parameter::Mirror0 : Parameter::Mirror1;
    return result(camera && camera->setParameter(parameter, on));
}

int KRVCameraGetFrameSpeed(uint8_t* fast) {
    return krvcamera::getParameter("KRVCameraGetFrameSpeed", Parameter::FrameSpeed, fast);
}

int KRVCameraSetFrameSpeed(uint8_t fast) {
    return krvcamera::setParameter("KRVCameraSetFrameSpeed", Parameter::FrameSpeed, fast);
}

int KRVCameraGetLightFrquency(uint8_t* frequency) {
    return krvcamera::getParameter("KRVCameraGetLightFrquency", Parameter::LightFrequency,
                                   frequency);
}

int KRVCameraSetLightFrquency(uint8_t frequency) {
    return krvcamera::setParameter("KRVCameraSetLightFrquency", Parameter::LightFrequency,
                                   frequency);
}

int KRVCameraGetB2RGBMode(uint8_t* mode) {
    return krvcamera::getParameter("KRVCameraGetB2RGBMode", Parameter::MosaicMode, mode);
}

int KRVCameraSetB2RGBMode(uint8_t mode) {
    return krvcamera::setParameter("KRVCameraSetB2RGBMode", Parameter::MosaicMode, mode);
}

int KRVCameraGetCurrentParameterTeam(uint8_t* set) {
    auto camera = call("KRVCameraGetCurrentParameterTeam");
    int value = 0;
    if (!set || !camera || !camera->currentParameterSet(value)) {
        return 0;
    }
    *set = static_cast<uint8_t>(value);
    return 1;
}

int KRVCameraReadParameter(uint8_t set) {
    auto camera = call("KRVCameraReadParameter", set);
    return result(camera && camera->readParameterSet(set));
}

int KRVCameraSaveParameter(uint8_t set) {
    auto camera = call("KRVCameraSaveParameter", set);
    return result(camera && camera->saveParameterSet(set));
}

int KRVCameraSetDataWide(int wide) {
    auto camera = call("KRVCameraSetDataWide", wide);
    return result(camera && camera->setWideData(wide != 0));
}

int KRVCameraCaptureFile(const char* pathWithoutExtension, uint8_t fileType,
                         uint8_t captureResolution) {
    auto camera = call("KRVCameraCaptureFile", pathWithoutExtension, fileType, captureResolution);
    if (!camera || !pathWithoutExtension || !krvcamera::isFileType(fileType)) {
        return 0;
    }
    return result(camera->captureFile(
        pathWithoutExtension, static_cast<krvcamera::FileType>(fileType), captureResolution));
}

int KRVCameraSave(uint8_t fileType, const char* path, const uint8_t* image, int width, int height) {
    call("KRVCameraSave", fileType, path, width, height);
    if (!path || !krvcamera::isFileType(fileType)) {
        return 0;
    }
    return result(krvcamera::writeImageFile(static_cast<krvcamera::FileType>(fileType), path, image,
                                            width, height));
}

int KRVCamera_Registerpixel(void* list, KRVCameraAppendText append) {
    auto camera = call("KRVCamera_Registerpixel");
    if (!append || !camera) {
        return 0;
    }
    const std::vector<std::string> names = camera->resolutionNames();
    for (const std::string& name : names) {
        append(list, name.c_str());
    }
    return result(!names.empty());
}

int KRVCameraRegisterDeviceNotification(KRVCameraDeviceCallback callback, void* context) {
    krvcamera::library().log().record("KRVCameraRegisterDeviceNotification");
    if (!callback) {
        return 0;
    }
    krvcamera::library().setDeviceCallback(callback, context);
    return 1;
}

int KRVCameraUnregisterDeviceNotification(void) {
    krvcamera::library().log().record("KRVCameraUnregisterDeviceNotification");
    krvcamera::library().setDeviceCallback(nullptr, nullptr);
    return 1;
}

}  // extern "C"
