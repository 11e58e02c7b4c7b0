#include "camera/CameraModels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "krvcamera/KRVCameraVideoDevices.h"

namespace korvel::camera {

namespace {

using enum GainFamily;

constexpr std::array kModels{
    CameraModel{1, "PX1", "CAMERA_PX1", A, "", 0},
    CameraModel{3, "PX2", "CAMERA_PX2", A, "PX-2 Color", 18},
    CameraModel{4, "PX3", "CAMERA_PX3", A, "", 0},
    CameraModel{8, "PX4", "CAMERA_PX4", A, "", 0},
    CameraModel{10, "RX1B", "CAMERA_RX1B", B, "", 0},
    CameraModel{11, "RX1C", "CAMERA_RX1C", B, "", 0},
    CameraModel{12, "RX3", "CAMERA_RX3", C, "RX-3 B/W", 13},
    CameraModel{13, "RX3C", "CAMERA_RX3C", C, "RX-3 Color", 12},
    CameraModel{14, "RX5", "CAMERA_RX5", D, "", 0},
    CameraModel{16, "RX2B", "CAMERA_RX2B", B, "", 0},
    CameraModel{17, "RX4B", "CAMERA_RX4B", C, "RX-4 B/W", 23},
    CameraModel{18, "UNKNOW", "CAMERA_UNKNOW", A, "PX-2 B/W", 3},
    CameraModel{21, "RX6", "CAMERA_RX6", E, "", 0},
    CameraModel{23, "RX4C", "CAMERA_RX4C", C, "RX-4 Color", 17},
    CameraModel{24, "RX7", "CAMERA_RX7", F, "", 0},
    CameraModel{25, "RX8", "CAMERA_RX8", F, "", 0},
    CameraModel{26, "PX5", "CAMERA_PX5", A, "", 0},
    CameraModel{27, "PX6", "CAMERA_UNKNOW", A, "", 0},
    CameraModel{28, "PX7", "CAMERA_UNKNOW", G, "", 0},
};

constexpr std::array kGainA{1, 8, 16, 32, 36, 40, 44, 48};
constexpr std::array kGainB{216, 345, 445, 504, 570};
constexpr std::array kGainC{87, 171, 274, 345, 399, 445, 504, 570};
constexpr std::array kGainD{180, 345, 445, 504};
constexpr std::array kGainE{25, 87, 171, 274, 345, 399, 445, 504, 570};
constexpr std::array kGainF{228, 400, 500, 571};
constexpr std::array kGainG{20, 28, 44, 68, 100, 140, 188, 214};

constexpr std::array<int, kLongExposureEntries> kLongExposure{
    1,      2,       3,       4,       5,       6,       7,       8,       9,       10,
    11,     12,      13,      14,      15,      16,      17,      18,      19,      20,
    21,     24,      28,      33,      39,      45,      53,      61,      71,      83,
    97,     113,     132,     154,     179,     209,     244,     284,     331,     386,
    449,    524,     610,     711,     828,     965,     1124,    1310,    1526,    1778,
    2071,   2413,    2811,    3275,    3815,    4445,    5179,    6033,    7029,    8188,
    9540,   11114,   12948,   15084,   17573,   20473,   23851,   27786,   32371,   37712,
    43935,  51184,   59630,   69469,   80931,   94285,   109842,  127966,  149080,  173678,
    202335, 235721,  274615,  319926,  372714,  434212,  505857,  589324,  686562,  799845,
    931819, 1085570, 1264689, 1473363, 1716467, 1999684, 2329632, 2714022, 3161835, 3599999,
};

// Which of saturation, colour enhancement, monochrome and colour gains a model has.
enum class ColourControls { Full, FullButMonochrome, SaturationOnly, Absent };
// Which of frame speed, light frequency and mosaic-to-RGB mode a model has.
enum class FrameControls { Full, LightFrequencyAndMosaic, Absent };

struct ExposureDefaults {
    int minimum;
    int maximum;
    int value;
    int aeFloor;
    int aeCeiling;
    int t1;
    int t2;
    int t3;
};

struct ModelDefaults {
    int typeId;
    ExposureDefaults normal;
    ExposureDefaults longExposure;
    int aeGainCeilingStep;
    int g2;
    bool softwareAutoExposure;
    bool speedSwitching;
    ColourControls colour;
    FrameControls frame;
    QuickBalance quickBalance;
};

constexpr ExposureDefaults kRx1Normal{1, 3000, 40, 1, 2500, 40, 800, 2000};
constexpr ExposureDefaults kRx1Long{0, 99, 30, 0, 70, 30, 50, 55};
constexpr ExposureDefaults kRx6Normal{1, 3000, 20, 1, 2500, 40, 800, 2000};
constexpr ExposureDefaults kRx6Long{0, 99, 10, 0, 70, 30, 50, 55};
// Type 28's exposure maximum and AE ceiling are replaced at open from its row time.
constexpr ExposureDefaults kPx7{1, 750, 155, 1, 750, 1, 500, 700};

constexpr ExposureDefaults simple(int minimum, int maximum, int value) {
    return {minimum, maximum, value, 0, 0, 1, 1, 1};
}

constexpr QuickBalance kNoQuickBalance{};
constexpr QuickBalance balance(int red, int green, int blue) {
    return {1, red, green, blue};
}

using Colour = ColourControls;
using Frame = FrameControls;

constexpr std::array kDefaults{
    ModelDefaults{1, simple(1, 304, 155), simple(1, 304, 155), 1, 1, false, false, Colour::Full,
                  Frame::Full, balance(97, 64, 59)},
    ModelDefaults{3, simple(1, 756, 200), simple(1, 756, 200), 1, 1, false, false, Colour::Full,
                  Frame::Full, balance(132, 64, 82)},
    ModelDefaults{4, simple(1, 456, 100), simple(1, 456, 100), 1, 1, false, false, Colour::Full,
                  Frame::Full, balance(68, 64, 76)},
    ModelDefaults{8, simple(1, 250, 80), simple(1, 250, 80), 1, 1, false, false, Colour::Full,
                  Frame::Full, balance(68, 64, 76)},
    ModelDefaults{10, kRx1Normal, kRx1Long, 5, 3, true, true, Colour::Absent, Frame::Absent,
                  kNoQuickBalance},
    ModelDefaults{11, kRx1Normal, kRx1Long, 5, 3, true, true, Colour::FullButMonochrome,
                  Frame::Absent, balance(93, 64, 90)},
    ModelDefaults{12, kRx1Normal, kRx1Long, 8, 3, true, true, Colour::Absent, Frame::Absent,
                  kNoQuickBalance},
    ModelDefaults{13, kRx1Normal, kRx1Long, 8, 3, true, true, Colour::Full, Frame::Absent,
                  balance(82, 64, 99)},
    ModelDefaults{14, kRx1Normal, kRx1Long, 4, 2, false, true, Colour::Full, Frame::Absent,
                  balance(83, 64, 97)},
    ModelDefaults{16, kRx1Normal, kRx1Long, 5, 3, true, true, Colour::Absent, Frame::Absent,
                  kNoQuickBalance},
    ModelDefaults{17, kRx1Normal, kRx1Long, 8, 3, true, true, Colour::Absent, Frame::Absent,
                  kNoQuickBalance},
    ModelDefaults{18, simple(1, 756, 200), simple(1, 756, 200), 1, 1, false, false,
                  Colour::SaturationOnly, Frame::Full, kNoQuickBalance},
    ModelDefaults{21, kRx6Normal, kRx6Long, 9, 2, true, true, Colour::Full, Frame::Absent,
                  balance(103, 64, 109)},
    ModelDefaults{23, kRx1Normal, kRx1Long, 8, 3, false, true, Colour::Full, Frame::Absent,
                  balance(82, 64, 99)},
    ModelDefaults{24, simple(1, 3000, 20), simple(0, 99, 20), 1, 1, false, false, Colour::Full,
                  Frame::Absent, kNoQuickBalance},
    ModelDefaults{25, simple(1, 870, 1), simple(1, 870, 1), 1, 1, false, false, Colour::Full,
                  Frame::Absent, kNoQuickBalance},
    ModelDefaults{26, simple(1, 456, 100), simple(1, 456, 100), 1, 1, false, false, Colour::Full,
                  Frame::Full, kNoQuickBalance},
    ModelDefaults{27, simple(1, 304, 155), simple(1, 304, 155), 1, 1, false, false, Colour::Full,
                  Frame::LightFrequencyAndMosaic, balance(97, 64, 59)},
    ModelDefaults{28, kPx7, kPx7, 8, 3, false, false, Colour::Full, Frame::LightFrequencyAndMosaic,
                  balance(97, 64, 59)},
};

const ModelDefaults* findDefaults(int typeId) {
    auto it = std::ranges::find(kDefaults, typeId, &ModelDefaults::typeId);
    return it == kDefaults.end() ? nullptr : &*it;
}

// Models whose camera has no gamma, contrast or saturation control; the conversions give
// raw 0 and step -20 for them.
bool lacksImageControls(int typeId) {
    switch (typeId) {
        case 2:
        case 5:
        case 6:
        case 7:
        case 9:
        case 15:
        case 19:
        case 20:
        case 22:
            return true;
        default:
            return false;
    }
}

bool lacksSaturation(int typeId) {
    return typeId == 18 || lacksImageControls(typeId);
}

constexpr int kNoControlRaw = 0;
constexpr int kNoControlStep = -20;

CameraControl control(int minimum, int maximum, int value) {
    return {1, minimum, maximum, value};
}

void clearCapabilities(CameraRecord& record) {
    record.autoExposure = {};
    record.exposure = {};
    record.aeTarget = {};
    record.analogGain = {};
    record.gamma = {};
    record.contrast = {};
    record.saturation = {};
    record.colourEnhancement = {};
    record.mirror0 = {};
    record.mirror1 = {};
    record.monochrome = {};
    record.colourGains = {};
    record.frameSpeed = {};
    record.lightFrequency = {};
    record.mosaicMode = {};
    record.aeTuning = {};
    record.softwareAutoExposure = 0;
    record.automaticSpeedSwitching = 0;
    record.quickBalance = {};
}

// Video4Linux2 cameras: one generic model whose capabilities are what the device reported.
// The camera library does in software what a device lacks (colour gains, monochrome,
// mirroring, the tone curve, saturation under colour enhancement), so those are always
// offered; gain takes this many steps spread evenly over the device's range.
constexpr int kVideoGainSteps = 16;

const krvcamera::ControlRange* videoGainRange(std::optional<krvcamera::DeviceCapabilities>& caps) {
    caps = krvcamera::videoDeviceCapabilities();
    if (!caps || !caps->control(krvcamera::DeviceControl::Gain).available) {
        return nullptr;
    }
    return &caps->control(krvcamera::DeviceControl::Gain);
}

bool initializeVideoDeviceModel(CameraRecord& record) {
    using krvcamera::DeviceControl;
    const std::optional<krvcamera::DeviceCapabilities> caps = krvcamera::videoDeviceCapabilities();
    if (!caps) {
        return false;
    }
    // Exposure: the driver counts 100 us steps, the record milliseconds.
    const krvcamera::ControlRange& exposure = caps->control(DeviceControl::ExposureAbsolute);
    if (exposure.available) {
        const int lowest = std::max(1, (exposure.minimum + 9) / 10);
        const int highest = std::max(lowest, exposure.maximum / 10);
        record.exposure =
            control(lowest, highest, std::clamp((exposure.defaultValue + 5) / 10, lowest, highest));
        record.autoExposure = {1, 0};
        record.aeTarget = control(-5, 5, 0);
        record.aeTuning = {0, 0, 1, 1, 1, 1, 1, 1, 1};
    }
    if (caps->control(DeviceControl::Gain).available) {
        record.analogGain = control(1, kVideoGainSteps, 1);
    }
    record.gamma = control(-20, 20, 0);
    record.contrast = control(-20, 20, 0);
    record.saturation = control(-20, 20, 0);
    record.colourEnhancement = {1, 0};  // the saturation's switch
    record.mirror0 = {1, 0};
    record.mirror1 = {1, 0};
    record.monochrome = {1, 0};
    record.colourGains = {1, {1, 20, 200, 64}, {1, 20, 200, 64}, {1, 20, 200, 64}};
    const krvcamera::ControlRange& power = caps->control(DeviceControl::PowerLineFrequency);
    record.lightFrequency = {power.available ? 1 : 0, power.defaultValue == 2 ? 1 : 0};
    record.parameterSetInUse = 0;
    record.parameterSetAtOpen = 0;
    record.separateCaptureAllowed = 1;
    return true;
}

}  // namespace

std::span<const CameraModel> cameraModels() {
    return kModels;
}

const CameraModel* findCameraModel(int typeId) {
    auto it = std::ranges::find(kModels, typeId, &CameraModel::typeId);
    return it == kModels.end() ? nullptr : &*it;
}

std::string_view registrySection(int typeId) {
    const CameraModel* model = findCameraModel(typeId);
    return model ? model->registrySection : "UNKNOW";
}

std::string_view firstUseIniKey(int typeId) {
    const CameraModel* model = findCameraModel(typeId);
    return model ? model->iniKey : "CAMERA_UNKNOW";
}

std::span<const int> gainRawValues(GainFamily family) {
    switch (family) {
        case A:
            return kGainA;
        case B:
            return kGainB;
        case C:
            return kGainC;
        case D:
            return kGainD;
        case E:
            return kGainE;
        case F:
            return kGainF;
        case G:
            return kGainG;
    }
    return {};
}

int largestGainStep(int typeId) {
    if (typeId == KRVCAMERA_TYPE_VIDEO_DEVICE) {
        std::optional<krvcamera::DeviceCapabilities> caps;
        return videoGainRange(caps) ? kVideoGainSteps : 0;
    }
    const CameraModel* model = findCameraModel(typeId);
    return model ? static_cast<int>(gainRawValues(model->gainFamily).size()) : 0;
}

int gainStepToRaw(int typeId, int step) {
    if (typeId == KRVCAMERA_TYPE_VIDEO_DEVICE) {
        std::optional<krvcamera::DeviceCapabilities> caps;
        const krvcamera::ControlRange* range = videoGainRange(caps);
        if (!range) {
            return 0;
        }
        const int clamped = std::clamp(step, 1, kVideoGainSteps);
        return range->minimum +
               (range->maximum - range->minimum) * (clamped - 1) / (kVideoGainSteps - 1);
    }
    const CameraModel* model = findCameraModel(typeId);
    if (!model) {
        return 0;
    }
    const std::span<const int> raws = gainRawValues(model->gainFamily);
    if (step < 1 || step > static_cast<int>(raws.size())) {
        return 0;
    }
    return raws[step - 1];
}

int gainRawToStep(int typeId, int raw) {
    if (typeId == KRVCAMERA_TYPE_VIDEO_DEVICE) {
        std::optional<krvcamera::DeviceCapabilities> caps;
        const krvcamera::ControlRange* range = videoGainRange(caps);
        if (!range || range->maximum <= range->minimum) {
            return 1;
        }
        const double share =
            static_cast<double>(raw - range->minimum) / (range->maximum - range->minimum);
        return std::clamp(1 + static_cast<int>(std::lround(share * (kVideoGainSteps - 1))), 1,
                          kVideoGainSteps);
    }
    const CameraModel* model = findCameraModel(typeId);
    if (!model) {
        return 1;
    }
    const std::span<const int> raws = gainRawValues(model->gainFamily);
    auto it = std::ranges::find_if(raws, [raw](int entry) { return entry >= raw; });
    if (it == raws.end()) {
        return static_cast<int>(raws.size());
    }
    return static_cast<int>(it - raws.begin()) + 1;
}

int gammaStepToRaw(int typeId, int step) {
    if (lacksImageControls(typeId)) {
        return kNoControlRaw;
    }
    return step < 0 ? 100 + 4 * step : 100 + static_cast<int>(2.5 * step);
}

int gammaRawToStep(int typeId, int raw) {
    if (lacksImageControls(typeId)) {
        return kNoControlStep;
    }
    return raw >= 100 ? static_cast<int>((raw - 100) * 0.4) : (raw - 100) / 4;
}

int contrastStepToRaw(int typeId, int step) {
    if (lacksImageControls(typeId)) {
        return kNoControlRaw;
    }
    return step > 0 ? 4 * step + 20 : -step;
}

int contrastRawToStep(int typeId, int raw) {
    if (lacksImageControls(typeId)) {
        return kNoControlStep;
    }
    return raw > 20 ? (raw - 20) / 4 : -raw;
}

int saturationStepToRaw(int typeId, int step) {
    if (lacksSaturation(typeId)) {
        return kNoControlRaw;
    }
    return 6 * step + 128;
}

int saturationRawToStep(int typeId, int raw) {
    if (lacksSaturation(typeId)) {
        return kNoControlStep;
    }
    return (raw - 128) / 6;
}

std::span<const int> longExposureTable() {
    return kLongExposure;
}

int longExposureIndexToMs(int index) {
    return kLongExposure[std::clamp(index, 0, kLongExposureEntries - 1)];
}

int longExposureMsToIndex(int ms) {
    // Compared unsigned, so a negative time matches no entry.
    const auto wanted = static_cast<std::uint32_t>(ms);
    for (int i = 0; i < kLongExposureEntries; ++i) {
        if (static_cast<std::uint32_t>(kLongExposure[i]) >= wanted) {
            return i;
        }
    }
    return 0;
}

int defaultResolutionIndex(int typeId) {
    switch (typeId) {
        case 1:
        case 25:
        case 27:
            return 2;
        case 3:
        case 4:
        case 21:
        case 26:
            return 1;
        case 14:
            return 4;
        case 28:
            return 3;
        default:
            return 0;
    }
}

bool supportsLongExposure(int typeId) {
    if (typeId < 9 || typeId > 25) {
        return false;
    }
    return typeId != 15 && typeId != 18 && typeId != 19 && typeId != 20 && typeId != 22;
}

bool resolutionLockForced(const CameraRecord& record) {
    // Type 12 keeps preview and capture on the same resolution whatever "ResLock" said.
    return record.typeId == 12 || !record.separateCaptureAllowed;
}

bool initializeCameraModel(CameraRecord& record) {
    clearCapabilities(record);
    if (record.typeId == KRVCAMERA_TYPE_VIDEO_DEVICE) {
        return initializeVideoDeviceModel(record);
    }
    const ModelDefaults* model = findDefaults(record.typeId);
    if (!model) {
        return false;
    }
    const ExposureDefaults& exposure =
        record.longExposureMode ? model->longExposure : model->normal;

    record.autoExposure = {1, 1};
    record.exposure = control(exposure.minimum, exposure.maximum, exposure.value);
    record.aeTarget = control(-5, 5, record.typeId == 25 ? -5 : 0);
    record.analogGain = control(1, largestGainStep(record.typeId), 1);
    record.gamma = control(-20, 20, 0);
    record.contrast = control(-20, 20, 0);
    record.mirror0 = {1, 0};
    record.mirror1 = {1, record.typeId == 28 ? 1 : 0};

    const bool colour = model->colour == Colour::Full || model->colour == Colour::FullButMonochrome;
    if (colour || model->colour == Colour::SaturationOnly) {
        record.saturation = control(-20, 20, 0);
    } else if (record.typeId == 10) {
        record.saturation = {0, -1, 1, 0};
    }
    record.colourEnhancement = {colour ? 1 : 0, 0};
    record.monochrome = {model->colour == Colour::Full ? 1 : 0, 0};
    const int gainFlag = colour ? 1 : 0;
    record.colourGains = {
        gainFlag, {gainFlag, 20, 200, 64}, {gainFlag, 20, 200, 64}, {gainFlag, 20, 200, 64}};

    record.frameSpeed = {model->frame == Frame::Full ? 1 : 0, 0};
    record.lightFrequency = {model->frame != Frame::Absent ? 1 : 0, 0};
    record.mosaicMode = {model->frame != Frame::Absent ? 1 : 0, 0};

    record.parameterSetInUse = 0;
    record.parameterSetAtOpen = 0;

    record.aeTuning = {exposure.aeFloor,
                       exposure.aeCeiling,
                       exposure.t1,
                       exposure.t2,
                       exposure.t3,
                       1,
                       model->aeGainCeilingStep,
                       1,
                       model->g2};
    record.softwareAutoExposure = model->softwareAutoExposure ? 1 : 0;
    record.automaticSpeedSwitching = model->speedSwitching ? 1 : 0;
    record.quickBalance = model->quickBalance;

    record.separateCaptureAllowed = record.typeId == 14 ? 0 : 1;
    if (resolutionLockForced(record)) {
        record.resolutionLock = 1;
    }
    if (record.typeId == 11) {
        record.backgroundCorrectionApplied = 1;
    }
    return true;
}

}  // namespace korvel::camera
