#pragma once

// Turns the specimen into the raw frame the sensor would read out: the colour mosaic (or grey
// for monochrome sensors), scaled by exposure and gains, with readout noise, mains flicker
// and mirroring.

#include <array>
#include <cstdint>
#include <memory>

#include "SensorDefects.h"
#include "Specimen.h"

namespace krvcamera {

enum Channel : int { kRed = 0, kGreen = 1, kBlue = 2 };

// The colour of the mosaic sample at (row, column) for mosaic phase 0..3.
Channel mosaicChannel(std::uint8_t phase, int row, int column);

// The phase of the read-out mosaic once the readout is mirrored.
std::uint8_t mirroredPhase(std::uint8_t phase, bool mirror0, bool mirror1, int width, int height);

struct FrameRecipe {
    std::shared_ptr<const Specimen> specimen;
    std::uint8_t phase = 0;  // ignored for monochrome specimens
    bool mirror0 = false;    // left-right
    bool mirror1 = false;    // top-bottom
    // Raw value = specimen value x scale / 256, per red, green, blue.
    std::array<int, 3> scale{256, 256, 256};
    int noiseAmplitude = 0;  // 16 x standard deviation in raw units
    std::uint32_t noiseSeed = 0;
    // Mains flicker: each row is scaled by 1 + amplitude x sin(phase0 + row x phaseStep).
    float flickerAmplitude = 0.0f;
    double flickerPhase0 = 0.0;
    double flickerPhaseStep = 0.0;
    // The sensor's own flaws, applied to the read-out samples; none when null.
    std::shared_ptr<const SensorDefects> defects;
};

// Writes width x height bytes.
void synthesizeRaw(const FrameRecipe& recipe, std::uint8_t* raw);
// Writes width x height 12-bit values in 16-bit words.
void synthesizeWideRaw(const FrameRecipe& recipe, std::uint16_t* raw);

// Mean raw value of each colour without noise or flicker, clipped as the sensor clips.
std::array<double, 3> channelMeans(const FrameRecipe& recipe);

// Mean of a sparse sample of a raw frame.
double sampledMean(const std::uint8_t* raw, int width, int height);

}  // namespace krvcamera
