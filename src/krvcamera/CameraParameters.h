#pragma once

// The adjustable values of a camera, as one array so that the parameter sets can store and
// restore them together.

#include <array>
#include <cstddef>

namespace krvcamera {

enum class Parameter : std::size_t {
    ExposureMs,
    SpeedMode,
    AnalogGain,
    RedGain,
    GreenGain,
    BlueGain,
    AeState,
    AeTarget,
    Gamma,
    Contrast,
    Saturation,
    ColourEnhancement,
    Monochrome,
    Mirror0,
    Mirror1,
    FrameSpeed,
    LightFrequency,
    MosaicMode,
};

inline constexpr std::size_t kParameterCount = 18;

class ParameterValues {
public:
    int get(Parameter p) const { return values_[static_cast<std::size_t>(p)]; }
    void set(Parameter p, int value) { values_[static_cast<std::size_t>(p)] = value; }
    std::array<int, kParameterCount>& raw() { return values_; }
    const std::array<int, kParameterCount>& raw() const { return values_; }
    bool operator==(const ParameterValues&) const = default;

private:
    std::array<int, kParameterCount> values_{};
};

struct ParameterRange {
    int minimum;
    int maximum;
};

inline constexpr int kLongestExposureMs = 3599999;

// The values the library accepts; setters clamp into these.
constexpr ParameterRange parameterRange(Parameter p) {
    switch (p) {
        case Parameter::ExposureMs:
            return {1, kLongestExposureMs};
        case Parameter::SpeedMode:
            return {0, 3};
        case Parameter::AnalogGain:
            return {0, 0xFFFF};
        case Parameter::RedGain:
        case Parameter::GreenGain:
        case Parameter::BlueGain:
            return {1, 255};
        case Parameter::AeTarget:
        case Parameter::Gamma:
        case Parameter::Contrast:
        case Parameter::Saturation:
            return {0, 255};
        default:
            return {0, 1};
    }
}

// What every camera starts from before its model or device says more: unity colour gains,
// the mid auto-exposure target, a straight tone curve and neutral saturation.
inline ParameterValues neutralParameters() {
    ParameterValues values;
    values.set(Parameter::RedGain, 64);
    values.set(Parameter::GreenGain, 64);
    values.set(Parameter::BlueGain, 64);
    values.set(Parameter::AeTarget, 100);  // the camera window's step 0
    values.set(Parameter::Gamma, 100);
    values.set(Parameter::Saturation, 128);
    return values;
}

}  // namespace krvcamera
