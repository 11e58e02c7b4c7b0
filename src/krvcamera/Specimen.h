#pragma once

// The synthetic specimen the simulated camera looks at: stained cells on a slide lit by a
// warm lamp, with the lens's vignetting. Stored as transmitted light per colour channel
// (0..255 at full lamp intensity), at one sensor resolution.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace krvcamera {

struct Specimen {
    int width = 0;
    int height = 0;
    bool monochrome = false;
    bool empty = false;  // the slide taken away: only the lamp and the vignetting
    // Red, green, blue planes, width x height each, top row first; a monochrome specimen
    // holds the luminance in plane 0 only.
    std::vector<std::uint8_t> planes[3];

    const std::uint8_t* row(int channel, int y) const {
        return planes[channel].data() + static_cast<std::size_t>(y) * width;
    }
};

// The same field of view at any resolution: the picture scales with the sensor size.
std::shared_ptr<const Specimen> makeSpecimen(int width, int height, bool monochrome,
                                             bool empty = false);

// Keeps the specimens of the last two resolutions in use; generating one takes a while.
class SpecimenCache {
public:
    std::shared_ptr<const Specimen> get(int width, int height, bool monochrome, bool empty = false);

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<const Specimen>> recent_;  // most recent first
};

}  // namespace krvcamera
