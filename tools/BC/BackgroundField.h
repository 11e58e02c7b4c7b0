#pragma once

// Measuring the background of an empty, evenly lit field: the average of a number of
// decoded frames, whether it is bright enough and not clipped, and the pixels that stand out
// from their neighbourhood (hot, dead and dim pixels, byte by byte) together with the
// percentage that brings each byte back in line. Plain C++ on decoded pictures, so a test
// can call it without a camera.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bc {

// One record of a correction table: a pixel of the decoded (bottom-up) picture and, per
// byte (blue, green, red), its brightness as a percentage of what its neighbourhood says
// it should be.
struct CorrectionRecord {
    std::int32_t x = 0;
    std::int32_t y = 0;  // row of the decoded picture as it lies in memory
    std::uint8_t percent[3] = {100, 100, 100};
};

// Sums decoded 24-bit frames of one size.
class FieldAverager {
public:
    static constexpr int kMaximumFrames = 256;  // sums fit 16 bits

    FieldAverager(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int frames() const { return frames_; }
    // Adds width x height x 3 bytes; false once kMaximumFrames have been added.
    bool add(const std::uint8_t* image);
    // The mean of each byte over the frames added (empty before the first).
    std::vector<float> average() const;

private:
    int width_;
    int height_;
    int frames_ = 0;
    std::vector<std::uint16_t> sums_;
};

enum class FieldVerdict {
    Usable,
    TooDark,    // too little signal for a percentage to mean anything
    TooBright,  // clipped: a brighter-than-average pixel cannot show how much brighter
    Uneven,     // far too many pixels stand out: the sample is still there, or the light is patchy
};

struct FieldLimits {
    double darkestMean = 40.0;      // mean byte value below which the field is too dark
    double brightestMean = 220.0;   // mean byte value above which it is too bright
    int clipLevel = 250;            // a byte this bright counts as clipped
    double clippedFraction = 0.02;  // more clipped bytes than this is too bright
    double unevenFraction = 0.02;   // more pixels standing out than this is uneven
};

// Judges the brightness of an averaged field (width x height x 3 values).
FieldVerdict judgeFieldLevel(const std::vector<float>& field, const FieldLimits& limits = {});

struct DetectionSettings {
    double relativeThreshold = 0.04;  // a byte standing out by more than this fraction ...
    double absoluteThreshold = 2.5;   // ... and by more than this many levels
    int meanRadius = 7;               // the coarse neighbourhood that picks candidates
    int medianRadius = 3;             // the fine one that decides (its centre 3 x 3 left out)
};

// The pixels of the averaged field (width x height x 3, bottom-up BGR) any of whose bytes
// stands out from its neighbourhood, in memory order, with the percentages of all three
// bytes (1..255, 100 where the neighbourhood is black).
std::vector<CorrectionRecord> findDeviatingPixels(const std::vector<float>& field, int width,
                                                  int height,
                                                  const DetectionSettings& settings = {});

// Judges an averaged field and, when usable, finds its deviating pixels; `records` is filled
// only for a usable field.
FieldVerdict measureField(const std::vector<float>& field, int width, int height,
                          std::vector<CorrectionRecord>& records, const FieldLimits& limits = {},
                          const DetectionSettings& settings = {});

}  // namespace bc
