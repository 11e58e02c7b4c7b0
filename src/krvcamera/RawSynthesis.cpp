#include "RawSynthesis.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace krvcamera {

namespace {

// channel[phase][row parity][column parity]
constexpr Channel kMosaic[4][2][2] = {
    {{kRed, kGreen}, {kGreen, kBlue}},
    {{kGreen, kBlue}, {kRed, kGreen}},
    {{kGreen, kRed}, {kBlue, kGreen}},
    {{kBlue, kGreen}, {kGreen, kRed}},
};

constexpr int kNoisePeriod = 1 << 16;
constexpr int kNoiseSlack = 1 << 13;  // longest row the table serves without wrapping

// Gaussian noise with a standard deviation of 16, shared by every frame; each row starts at
// a pseudo-random place in it.
const std::vector<std::int8_t>& noiseTable() {
    static const std::vector<std::int8_t> table = [] {
        std::mt19937 random(1208u);
        std::normal_distribution<float> normal(0.0f, 16.0f);
        std::vector<std::int8_t> values(kNoisePeriod + kNoiseSlack);
        for (auto& v : values) {
            v = static_cast<std::int8_t>(std::clamp(std::lround(normal(random)), -127L, 127L));
        }
        return values;
    }();
    return table;
}

const std::int8_t* noiseRow(std::uint32_t seed, int row, int width) {
    const std::uint32_t start = (seed + static_cast<std::uint32_t>(row) * 2654435761u) >> 16;
    const auto& table = noiseTable();
    if (width > kNoiseSlack) {
        return table.data();  // rows wider than any sensor still get noise, just repeated
    }
    return table.data() + (start % kNoisePeriod);
}

template <typename Out, int Shift, int Maximum, bool MirrorX>
void synthesizeRow(const std::uint8_t* even, const std::uint8_t* odd, int evenScale, int oddScale,
                   const std::int8_t* noise, int noiseAmplitude, int width, Out* out) {
    const int last = width - 1;
    auto pixel = [&](const std::uint8_t* source, int x, int scale) {
        const int value = source[MirrorX ? last - x : x] * scale + noise[x] * noiseAmplitude;
        return static_cast<Out>(std::clamp((value + (1 << (Shift - 1))) >> Shift, 0, Maximum));
    };
    int x = 0;
    for (; x + 1 < width; x += 2) {
        out[x] = pixel(even, x, evenScale);
        out[x + 1] = pixel(odd, x + 1, oddScale);
    }
    if (x < width) {
        out[x] = pixel(even, x, evenScale);
    }
}

template <typename Out, int Shift, int Maximum>
void synthesize(const FrameRecipe& recipe, Out* raw) {
    const Specimen& specimen = *recipe.specimen;
    const int width = specimen.width;
    const int height = specimen.height;
    for (int y = 0; y < height; ++y) {
        const int sourceRow = recipe.mirror1 ? height - 1 - y : y;
        const float flicker =
            recipe.flickerAmplitude == 0.0f
                ? 1.0f
                : 1.0f + recipe.flickerAmplitude *
                             static_cast<float>(
                                 std::sin(recipe.flickerPhase0 + y * recipe.flickerPhaseStep));
        // A monochrome specimen keeps its luminance in plane 0 and uses the green scale.
        const Channel evenChannel = specimen.monochrome ? kRed : mosaicChannel(recipe.phase, y, 0);
        const Channel oddChannel = specimen.monochrome ? kRed : mosaicChannel(recipe.phase, y, 1);
        const int monoScale = recipe.scale[kGreen];
        const int evenScale =
            std::lround((specimen.monochrome ? monoScale : recipe.scale[evenChannel]) * flicker);
        const int oddScale =
            std::lround((specimen.monochrome ? monoScale : recipe.scale[oddChannel]) * flicker);
        const std::uint8_t* even = specimen.row(evenChannel, sourceRow);
        const std::uint8_t* odd = specimen.row(oddChannel, sourceRow);
        const std::int8_t* noise = noiseRow(recipe.noiseSeed, y, width);
        Out* out = raw + static_cast<std::size_t>(y) * width;
        if (recipe.mirror0) {
            synthesizeRow<Out, Shift, Maximum, true>(even, odd, evenScale, oddScale, noise,
                                                     recipe.noiseAmplitude, width, out);
        } else {
            synthesizeRow<Out, Shift, Maximum, false>(even, odd, evenScale, oddScale, noise,
                                                      recipe.noiseAmplitude, width, out);
        }
    }
    if (recipe.defects && recipe.defects->width == width && recipe.defects->height == height) {
        applySensorDefects(*recipe.defects, raw, Maximum);
    }
}

}  // namespace

Channel mosaicChannel(std::uint8_t phase, int row, int column) {
    return kMosaic[phase & 3][row & 1][column & 1];
}

std::uint8_t mirroredPhase(std::uint8_t phase, bool mirror0, bool mirror1, int width, int height) {
    // Left-right mirroring of an even width swaps the column parity (0 <-> 2, 1 <-> 3);
    // top-bottom mirroring of an even height swaps the row parity (0 <-> 1, 2 <-> 3).
    if (mirror0 && width % 2 == 0) {
        phase ^= 2;
    }
    if (mirror1 && height % 2 == 0) {
        phase ^= 1;
    }
    return phase;
}

void synthesizeRaw(const FrameRecipe& recipe, std::uint8_t* raw) {
    synthesize<std::uint8_t, 8, 255>(recipe, raw);
}

void synthesizeWideRaw(const FrameRecipe& recipe, std::uint16_t* raw) {
    synthesize<std::uint16_t, 4, 4095>(recipe, raw);
}

std::array<double, 3> channelMeans(const FrameRecipe& recipe) {
    const Specimen& specimen = *recipe.specimen;
    std::array<double, 3> sums{};
    std::array<long, 3> counts{};
    constexpr int kStep = 3;
    for (int y = 0; y < specimen.height; y += kStep) {
        for (int ch = 0; ch < (specimen.monochrome ? 1 : 3); ++ch) {
            const std::uint8_t* row = specimen.row(ch, y);
            const int scale = recipe.scale[specimen.monochrome ? kGreen : ch];
            for (int x = 0; x < specimen.width; x += kStep) {
                sums[ch] += std::min(255, (row[x] * scale + 128) >> 8);
                ++counts[ch];
            }
        }
    }
    for (int ch = 0; ch < 3; ++ch) {
        sums[ch] = counts[ch] ? sums[ch] / counts[ch] : 0.0;
    }
    return sums;
}

double sampledMean(const std::uint8_t* raw, int width, int height) {
    std::uint64_t sum = 0;
    std::uint64_t count = 0;
    // Odd steps in both directions visit all four sites of the colour mosaic equally.
    for (int y = 0; y < height; y += 3) {
        const std::uint8_t* row = raw + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; x += 3) {
            sum += row[x];
            ++count;
        }
    }
    return count ? static_cast<double>(sum) / count : 0.0;
}

}  // namespace krvcamera
