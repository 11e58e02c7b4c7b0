#include "SimulatorModels.h"

#include <algorithm>
#include <array>

namespace krvcamera {

namespace {

struct Size {
    int width;
    int height;
};

struct ModelRow {
    int typeId;
    const char* name;
    bool monochrome;
    std::uint8_t phase;
    std::vector<Size> sizes;
    int defaultExposureMs;
    int autoExposureMaxMs;
    int maxExposureMs;
    int gainMinRaw;
    int gainMaxRaw;
    int rowTimeUs;
    int pairedTypeId;
};

constexpr int kLong = 3599999;

// Gain families by their smallest and largest raw value.
constexpr int kA0 = 1, kA1 = 48;
constexpr int kB0 = 216, kB1 = 570;
constexpr int kC0 = 87, kC1 = 570;
constexpr int kD0 = 180, kD1 = 504;
constexpr int kE0 = 25, kE1 = 570;
constexpr int kF0 = 228, kF1 = 571;
constexpr int kG0 = 20, kG1 = 214;

const std::array<ModelRow, 19> kRows{{
    {1, "PX-1", false, 0, {{1280, 1024}, {1024, 768}, {640, 480}}, 155, 304, 304, kA0, kA1, 0, 0},
    {3,
     "PX-2 Color",
     false,
     2,
     {{2048, 1536}, {1024, 768}, {640, 480}},
     200,
     756,
     756,
     kA0,
     kA1,
     0,
     18},
    {4, "PX-3", false, 1, {{1600, 1200}, {800, 600}, {640, 480}}, 100, 456, 456, kA0, kA1, 0, 0},
    {8, "PX-4", false, 3, {{640, 480}, {320, 240}}, 80, 250, 250, kA0, kA1, 0, 0},
    {10, "RX-1 B/W", true, 0, {{1392, 1040}, {696, 520}}, 40, 3000, kLong, kB0, kB1, 0, 0},
    {11, "RX-1 Color", false, 0, {{1392, 1040}, {696, 520}}, 40, 3000, kLong, kB0, kB1, 0, 0},
    {12, "RX-3 B/W", true, 0, {{2048, 1536}, {1024, 768}}, 40, 3000, kLong, kC0, kC1, 0, 13},
    {13, "RX-3 Color", false, 1, {{2048, 1536}, {1024, 768}}, 40, 3000, kLong, kC0, kC1, 0, 12},
    {14,
     "RX-5",
     false,
     2,
     {{640, 480}, {800, 600}, {2048, 1536}, {2048, 1536}, {1024, 768}},
     40,
     3000,
     kLong,
     kD0,
     kD1,
     0,
     0},
    {16, "RX-2 B/W", true, 0, {{1600, 1200}, {800, 600}}, 40, 3000, kLong, kB0, kB1, 0, 0},
    {17, "RX-4 B/W", true, 0, {{1360, 1024}, {680, 512}}, 40, 3000, kLong, kC0, kC1, 0, 23},
    {18,
     "PX-2 B/W",
     true,
     0,
     {{2048, 1536}, {1024, 768}, {640, 480}},
     200,
     756,
     756,
     kA0,
     kA1,
     0,
     3},
    {21,
     "RX-6",
     false,
     3,
     {{3032, 2016}, {1516, 1008}, {758, 504}},
     20,
     3000,
     kLong,
     kE0,
     kE1,
     0,
     0},
    {23, "RX-4 Color", false, 0, {{1360, 1024}, {680, 512}}, 40, 3000, kLong, kC0, kC1, 0, 17},
    {24,
     "RX-7",
     false,
     1,
     {{2592, 1944}, {1296, 972}, {648, 486}},
     20,
     3000,
     kLong,
     kF0,
     kF1,
     0,
     0},
    {25, "RX-8", false, 2, {{3264, 2448}, {1632, 1224}, {816, 612}}, 1, 870, kLong, kF0, kF1, 0, 0},
    {26, "PX-5", false, 3, {{2592, 1944}, {1280, 960}, {640, 480}}, 100, 456, 456, kA0, kA1, 0, 0},
    {27, "PX-6", false, 0, {{1280, 1024}, {1024, 768}, {640, 480}}, 155, 304, 304, kA0, kA1, 0, 0},
    // Exposures of type 28 are counted in sensor rows: at most 3000 rows of 250 us.
    {28,
     "PX-7",
     false,
     1,
     {{2592, 1944}, {2048, 1536}, {1280, 960}, {640, 480}},
     155,
     750,
     750,
     kG0,
     kG1,
     250,
     0},
}};

std::string label(Size size, bool duplicate) {
    std::string text = std::to_string(size.width) + "x" + std::to_string(size.height);
    return duplicate ? text + " HQ" : text;
}

}  // namespace

SimulatorModel simulatorModel(int typeId) {
    auto row = std::ranges::find(kRows, typeId, &ModelRow::typeId);
    if (row == kRows.end()) {
        return {typeId,
                "Camera " + std::to_string(typeId),
                false,
                0,
                {{640, 480, "640x480"}, {320, 240, "320x240"}},
                40,
                1000,
                1000,
                1,
                48,
                0,
                0,
                static_cast<std::uint16_t>(0xA000 + (typeId & 0xFFF))};
    }
    SimulatorModel model{row->typeId,
                         row->name,
                         row->monochrome,
                         row->phase,
                         {},
                         row->defaultExposureMs,
                         row->autoExposureMaxMs,
                         row->maxExposureMs,
                         row->gainMinRaw,
                         row->gainMaxRaw,
                         row->rowTimeUs,
                         row->pairedTypeId,
                         static_cast<std::uint16_t>(0xA000 + typeId)};
    for (Size size : row->sizes) {
        // A second entry of the same size is the slow, high-quality readout of that size.
        const bool duplicate = std::ranges::any_of(model.resolutions, [&](const Resolution& r) {
            return r.width == size.width && r.height == size.height;
        });
        model.resolutions.push_back({size.width, size.height, label(size, duplicate)});
    }
    return model;
}

}  // namespace krvcamera
