#pragma once

// What the simulated camera knows about each model it can pretend to be: the vendor side of
// the model table (sizes, resolutions, sensor mosaic, exposure and gain ranges).

#include <cstdint>
#include <string>
#include <vector>

namespace krvcamera {

struct Resolution {
    int width;
    int height;
    std::string label;  // text of the resolution list
};

struct SimulatorModel {
    int typeId;
    std::string name;
    bool monochrome;                      // no colour mosaic
    std::uint8_t mosaicPhase;             // 0..3 with both mirrors off
    std::vector<Resolution> resolutions;  // index = resolution index
    int defaultExposureMs;
    int autoExposureMaxMs;  // the camera's own auto exposure stays below this
    int maxExposureMs;      // longest exposure the sensor takes
    int gainMinRaw;         // analog gain raw value of unity gain
    int gainMaxRaw;         // raw value of the highest gain (8x)
    int rowTimeUs;          // 0 = no row time reported
    int pairedTypeId;       // mono/colour variant, 0 when none
    std::uint16_t productId;
};

inline constexpr std::uint16_t kSimulatorVendorId = 0xF0CA;

// The model with that type id; ids without an entry get a generic 640 x 480 colour camera.
SimulatorModel simulatorModel(int typeId);

}  // namespace krvcamera
