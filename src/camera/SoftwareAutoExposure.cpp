#include "camera/SoftwareAutoExposure.h"

#include <algorithm>
#include <cstdlib>

#include "camera/CameraModels.h"

namespace korvel::camera {

namespace {

constexpr int kSettled = 8;  // a running brightness this close to the target ends it

// The working values of one step.
struct Regulation {
    const AutoExposureTuning& tuning;
    int exposureSent;
    int b;  // brightness after the dark and bright limits
    int target;
    int running;
    int e;  // distance of the running brightness from the target, at most the target
    int x;  // exposure value
    int g;  // gain step

    bool up() const { return running < target; }
    bool atFloor() const {
        return exposureSent == tuning.exposureFloor && g == tuning.gainFloorStep;
    }
};

// Returns false when the regulation ends.
bool normalStep(Regulation& r) {
    const AutoExposureTuning& t = r.tuning;
    const int f = static_cast<int>(static_cast<long long>(r.e) * r.x / r.b);
    if (r.up()) {
        if (r.x < t.t1) {
            r.x += r.e <= 43 ? 1 : std::min(f, 300);
        } else if (r.x < t.t2) {
            r.x += std::min(f, 100);
        } else if (r.g < t.g2) {
            r.g += 1;
            r.x += r.b == 1 ? std::min(f, 100) : std::min(f, 50);
        } else if (r.x < t.t3) {
            r.x += std::min(f, 100);
        } else if (r.x > t.exposureCeiling) {
            if (r.g >= t.gainCeilingStep) {
                return false;
            }
            r.g += 1;
            r.x += f;
        } else {
            if (r.g < t.gainCeilingStep) {
                r.g += 1;
            }
            r.x += std::min(f, 50);
        }
        return true;
    }

    if (r.atFloor()) {
        return false;
    }
    if (r.g > t.g2) {
        if (r.b == 255) {
            if (r.x > t.t2) {
                r.x -= std::min(f, 300);
            }
            if (r.x > t.t1) {
                r.x -= std::min(f, 200);
            } else if (r.x > t.exposureFloor) {
                r.x -= std::min(f, 100);
            }
        } else {
            r.x -= std::min(f, 100);
        }
        r.g -= 1;
    } else if (r.x > t.t3) {
        r.x -= std::min(f, 500);
    } else if (r.x > t.t2) {
        r.x -= std::min(f, 300);
    } else if (r.g > t.g1) {
        r.g -= 1;
    } else if (r.x > t.t1) {
        r.x -= std::min(f, 100);
    } else {
        r.x -= std::min(f, 10);
    }
    return true;
}

// The exposure value is a long-exposure table index here, so it moves by small counts.
bool longExposureStep(Regulation& r) {
    const AutoExposureTuning& t = r.tuning;
    const int e4 = r.e > 3 ? r.e / 4 : 1;
    const int half = r.e > 1 ? r.e / 2 : 1;
    if (r.up()) {
        if (r.g < t.g1) {
            r.g += 1;
            if (r.b == 1) {
                r.x = std::min(r.x + e4, t.exposureCeiling);
            }
        } else if (r.x < t.t1) {
            r.x += r.e > 43 ? r.e / 4 : 1;
        } else if (r.x < t.t2) {
            r.x += r.e > 7 ? r.e / 8 : 1;
        } else if (r.x < t.t3) {
            r.x += r.e > 15 ? r.e / 16 : 1;
        } else {
            r.x += 1;
            if (r.x <= t.exposureCeiling) {
                if (r.g >= t.g2) {
                    return false;
                }
                r.g += 1;
            } else if (r.g < t.gainCeilingStep) {
                r.g += 1;
            }
        }
        return true;
    }

    if (r.atFloor()) {
        return false;
    }
    if (r.x > t.exposureCeiling) {
        r.x -= 1;
    } else if (r.g >= t.g2) {
        if (r.b == 255) {
            if (r.x > t.t2) {
                r.x -= 1;
            }
            if (r.x > t.t1) {
                r.x -= e4;
            } else if (r.x > t.exposureFloor) {
                r.x -= half;
            }
        } else {
            r.x -= 1;
        }
        r.g -= 1;
    } else if (r.x > t.t3 || r.x > t.t2) {
        r.x -= 1;
    } else if (r.g > t.g1) {
        r.g -= 1;
    } else if (r.x > t.t1) {
        r.x -= e4;
    } else {
        r.x -= half;
    }
    return true;
}

// The running brightness alone does not show that the picture has settled: it starts at 0,
// so a first frame at twice the target puts it on target, and it lags the frames, so it
// passes the target while the exposure is still overshooting. The frame must be on target
// too, or, where one exposure step moves the brightness by more than the settling band
// (the coarse long-exposure table), within half a step of it.
bool frameSettled(const CameraRecord& record, int b, int target) {
    const int error = std::abs(b - target);
    if (error < kSettled) {
        return true;
    }
    const int x = record.exposure.value;
    const bool longExposure = record.longExposureMode != 0;
    const long long ms = longExposure ? longExposureIndexToMs(x) : x;
    const long long next =
        longExposure ? longExposureIndexToMs(std::min(x + 1, kLongExposureEntries - 1)) : ms + 1;
    return ms > 0 && 2 * error * ms < static_cast<long long>(b) * (next - ms);
}

}  // namespace

int autoExposureTargetByte(int targetStep) {
    return static_cast<std::uint8_t>(targetStep < 0 ? 100 + 12 * targetStep
                                                    : 100 + 20 * targetStep);
}

AutoExposureStep softwareAutoExposureStep(const CameraRecord& record, int brightness) {
    // Out-of-range inputs are pulled into range: a target byte below 4 would let a
    // brightness of 0 through the dark limit and divide by it.
    const int target = autoExposureTargetByte(std::clamp(record.aeTarget.value, -5, 5));
    int b = std::clamp(brightness, 0, 255);

    const int darkLimit = target < 84 ? target / 4 : 20;
    if (b < darkLimit) {
        b = 1;
    } else if (b > std::min(4 * target, 220)) {
        b = 255;
    }

    AutoExposureStep step;
    const int running = (record.runningBrightness + b) / 2;
    const int e = std::min(std::abs(running - target), target);
    if (e < kSettled && frameSettled(record, b, target)) {
        step.runningBrightness = target;
        return step;
    }

    const AutoExposureTuning& tuning = record.aeTuning;
    Regulation r{tuning,
                 record.exposureSent,
                 b,
                 target,
                 running,
                 e,
                 record.exposure.value,
                 record.analogGain.value};
    const bool longExposure = record.longExposureMode != 0;
    if (!(longExposure ? longExposureStep(r) : normalStep(r))) {
        step.runningBrightness = target;
        return step;
    }
    r.x = std::max(std::min(r.x, tuning.exposureCeiling), 1);
    r.g = std::max(std::min(r.g, tuning.gainCeilingStep), 1);
    r.g = std::clamp(r.g, tuning.gainFloorStep,
                     std::max(tuning.gainFloorStep, tuning.gainCeilingStep));

    const int ms = longExposure ? longExposureIndexToMs(r.x) : r.x;
    step.result = 1;
    step.runningBrightness = running;
    step.exposureValue = r.x;
    step.gainStep = r.g;
    if (record.automaticSpeedSwitching) {
        step.speedMode = ms < 100 ? 0 : ms < 250 ? 1 : 2;
    }
    step.exposureMs = std::max(ms, 1);
    step.gainRaw = gainStepToRaw(record.typeId, r.g);
    return step;
}

void applyAutoExposureStep(CameraRecord& record, const AutoExposureStep& step) {
    record.runningBrightness = step.runningBrightness;
    if (step.finished()) {
        return;
    }
    record.exposure.value = step.exposureValue;
    record.analogGain.value = step.gainStep;
    record.exposureSent = step.exposureMs;
    if (step.speedMode) {
        record.currentSpeedMode = *step.speedMode;
    }
}

}  // namespace korvel::camera
