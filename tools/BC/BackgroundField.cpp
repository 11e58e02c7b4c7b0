#include "BackgroundField.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace bc {

namespace {

constexpr int kBytes = 3;

// The mean of the (2r+1) x (2r+1) window around each value of a plane, the window cut at
// the picture's edges. Two running-sum passes, so the cost does not grow with the radius.
std::vector<float> boxMean(const std::vector<float>& plane, int width, int height, int radius) {
    std::vector<float> rows(plane.size());
    std::vector<double> prefix(static_cast<std::size_t>(std::max(width, height)) + 1);
    for (int y = 0; y < height; ++y) {
        const float* in = plane.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            prefix[x + 1] = prefix[x] + in[x];
        }
        float* out = rows.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const int a = std::max(0, x - radius);
            const int b = std::min(width - 1, x + radius);
            out[x] = static_cast<float>((prefix[b + 1] - prefix[a]) / (b - a + 1));
        }
    }
    std::vector<float> mean(plane.size());
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            prefix[y + 1] = prefix[y] + rows[static_cast<std::size_t>(y) * width + x];
        }
        for (int y = 0; y < height; ++y) {
            const int a = std::max(0, y - radius);
            const int b = std::min(height - 1, y + radius);
            mean[static_cast<std::size_t>(y) * width + x] =
                static_cast<float>((prefix[b + 1] - prefix[a]) / (b - a + 1));
        }
    }
    return mean;
}

bool standsOut(double value, double expected, const DetectionSettings& settings) {
    return std::abs(value - expected) >
           std::max(settings.relativeThreshold * expected, settings.absoluteThreshold);
}

std::uint8_t percentage(double value, double expected) {
    if (expected < 0.5) {
        return 100;
    }
    return static_cast<std::uint8_t>(std::clamp(std::lround(100.0 * value / expected), 1L, 255L));
}

}  // namespace

FieldAverager::FieldAverager(int width, int height)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      sums_(static_cast<std::size_t>(width_) * height_ * kBytes) {}

bool FieldAverager::add(const std::uint8_t* image) {
    if (frames_ >= kMaximumFrames || !image) {
        return false;
    }
    for (std::size_t i = 0; i < sums_.size(); ++i) {
        sums_[i] = static_cast<std::uint16_t>(sums_[i] + image[i]);
    }
    ++frames_;
    return true;
}

std::vector<float> FieldAverager::average() const {
    if (frames_ == 0) {
        return {};
    }
    std::vector<float> field(sums_.size());
    const float scale = 1.0f / static_cast<float>(frames_);
    for (std::size_t i = 0; i < sums_.size(); ++i) {
        field[i] = sums_[i] * scale;
    }
    return field;
}

FieldVerdict judgeFieldLevel(const std::vector<float>& field, const FieldLimits& limits) {
    if (field.empty()) {
        return FieldVerdict::TooDark;
    }
    double sum = 0.0;
    std::size_t clipped = 0;
    for (const float v : field) {
        sum += v;
        clipped += v >= static_cast<float>(limits.clipLevel) ? 1 : 0;
    }
    const double mean = sum / static_cast<double>(field.size());
    if (mean < limits.darkestMean) {
        return FieldVerdict::TooDark;
    }
    if (mean > limits.brightestMean ||
        static_cast<double>(clipped) > limits.clippedFraction * static_cast<double>(field.size())) {
        return FieldVerdict::TooBright;
    }
    return FieldVerdict::Usable;
}

std::vector<CorrectionRecord> findDeviatingPixels(const std::vector<float>& field, int width,
                                                  int height, const DetectionSettings& settings) {
    std::vector<CorrectionRecord> records;
    const std::size_t pixels =
        width > 0 && height > 0 ? static_cast<std::size_t>(width) * height : 0;
    if (pixels == 0 || field.size() < pixels * kBytes) {
        return records;
    }

    // Candidates: bytes off the coarse local mean by half the threshold. The mean is pulled a
    // little by the very pixels sought, so the half keeps every real one in.
    DetectionSettings loose = settings;
    loose.relativeThreshold /= 2.0;
    loose.absoluteThreshold /= 2.0;
    std::vector<std::uint8_t> candidate(pixels, 0);
    std::vector<float> plane(pixels);
    for (int b = 0; b < kBytes; ++b) {
        for (std::size_t i = 0; i < pixels; ++i) {
            plane[i] = field[i * kBytes + b];
        }
        const std::vector<float> mean = boxMean(plane, width, height, settings.meanRadius);
        for (std::size_t i = 0; i < pixels; ++i) {
            candidate[i] |= standsOut(plane[i], mean[i], loose) ? 1 : 0;
        }
    }

    // Decision: against the median of the fine neighbourhood without the pixel's own 3 x 3,
    // which a defect and the colour interpolation's spill around it cannot move.
    const int r = settings.medianRadius;
    std::vector<float> window;
    window.reserve(static_cast<std::size_t>((2 * r + 1) * (2 * r + 1)));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            if (!candidate[at]) {
                continue;
            }
            std::array<double, kBytes> expected{};
            for (int b = 0; b < kBytes; ++b) {
                window.clear();
                for (int dy = -r; dy <= r; ++dy) {
                    const int yy = y + dy;
                    if (yy < 0 || yy >= height) {
                        continue;
                    }
                    for (int dx = -r; dx <= r; ++dx) {
                        const int xx = x + dx;
                        if (xx < 0 || xx >= width || (std::abs(dx) <= 1 && std::abs(dy) <= 1)) {
                            continue;
                        }
                        window.push_back(
                            field[(static_cast<std::size_t>(yy) * width + xx) * kBytes + b]);
                    }
                }
                if (window.empty()) {
                    expected[b] = field[at * kBytes + b];
                    continue;
                }
                auto middle = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
                std::nth_element(window.begin(), middle, window.end());
                expected[b] = *middle;
            }
            bool out = false;
            for (int b = 0; b < kBytes && !out; ++b) {
                out = standsOut(field[at * kBytes + b], expected[b], settings);
            }
            if (!out) {
                continue;
            }
            CorrectionRecord record;
            record.x = x;
            record.y = y;
            for (int b = 0; b < kBytes; ++b) {
                record.percent[b] = percentage(field[at * kBytes + b], expected[b]);
            }
            records.push_back(record);
        }
    }
    return records;
}

FieldVerdict measureField(const std::vector<float>& field, int width, int height,
                          std::vector<CorrectionRecord>& records, const FieldLimits& limits,
                          const DetectionSettings& settings) {
    records.clear();
    const FieldVerdict level = judgeFieldLevel(field, limits);
    if (level != FieldVerdict::Usable) {
        return level;
    }
    std::vector<CorrectionRecord> found = findDeviatingPixels(field, width, height, settings);
    const double pixels = static_cast<double>(width) * height;
    if (static_cast<double>(found.size()) > limits.unevenFraction * pixels) {
        return FieldVerdict::Uneven;
    }
    records = std::move(found);
    return FieldVerdict::Usable;
}

}  // namespace bc
