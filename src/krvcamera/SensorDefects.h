#pragma once

// The flaws of a real sensor that the background correction exists for: a sparse set of
// pixels whose sensitivity differs from their neighbours' (a little, or much: hot pixels
// that answer with about twice the signal, dead ones that hardly answer at all). They are
// fixed in the sensor's own read-out coordinates, so mirroring the readout does not move
// them, and they are the same at every run of the same model and resolution.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace krvcamera {

struct SensorDefect {
    std::uint32_t offset = 0;  // row x width + column of the raw frame, top row first
    std::uint16_t factor = 0;  // sensitivity, 256 = like its neighbours
};

struct SensorDefects {
    int width = 0;
    int height = 0;
    std::vector<SensorDefect> pixels;  // ordered by offset
};

// Sensitivities below this many 256ths count as dead, above the hot bound as hot.
inline constexpr int kDeadFactorBound = 64;
inline constexpr int kHotFactorBound = 384;

// The defects of model `typeId`'s sensor at `width` x `height`; a pure function of its
// arguments.
std::shared_ptr<const SensorDefects> makeSensorDefects(int typeId, int width, int height);

// Scales the listed raw samples by their sensitivity, clipped to `maximum`.
void applySensorDefects(const SensorDefects& defects, std::uint8_t* raw, int maximum);
void applySensorDefects(const SensorDefects& defects, std::uint16_t* raw, int maximum);

// Keeps the defect lists of the last few sizes in use.
class SensorDefectCache {
public:
    std::shared_ptr<const SensorDefects> get(int typeId, int width, int height);

private:
    struct Entry {
        int typeId;
        std::shared_ptr<const SensorDefects> defects;
    };
    std::mutex mutex_;
    std::vector<Entry> recent_;  // most recent first
};

}  // namespace krvcamera
