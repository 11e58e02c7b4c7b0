#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"

namespace krvcamera::test {

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> raw;
    std::vector<std::uint8_t> image;  // bottom-up BGR

    // Mean of blue, green and red.
    std::array<double, 3> channelMeans() const {
        std::array<double, 3> sums{};
        for (std::size_t i = 0; i < image.size(); i += 3) {
            for (std::size_t c = 0; c < 3; ++c)
                sums[c] += image[i + c];
        }
        for (double& s : sums)
            s /= static_cast<double>(image.size() / 3);
        return sums;
    }
    double rawMean() const {
        double sum = 0;
        for (std::uint8_t v : raw)
            sum += v;
        return sum / static_cast<double>(raw.size());
    }
};

// Every test starts from a fresh library with a virtual clock and no stored parameter sets.
class SimulatorTest : public testing::Test {
protected:
    void SetUp() override {
        resetLibrary();
        useVirtualClock(true);
        std::filesystem::remove(parameterFile());
    }

    void TearDown() override {
        KRVCameraUnInit();
        KRVCameraUnregisterDeviceNotification();
        resetLibrary();
        setenv("KRVCAMERA", "none", 1);
    }

    static std::filesystem::path parameterFile() {
        return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Brenic" / "KRVCamera.param";
    }

    static void detect(const char* selection) {
        setenv("KRVCAMERA", selection, 1);
        KRVCamera_ReflashCamera();
    }

    static bool open(const char* selection, std::uint8_t resolution) {
        detect(selection);
        return KRVCameraInit(resolution, nullptr, nullptr) == 1;
    }

    // Grabs the next frame (the virtual clock makes the wait instant) and decodes it.
    static Frame grab() {
        Frame frame;
        EXPECT_EQ(KRVCameraGetImageSize(&frame.width, &frame.height), 1);
        const auto pixels = static_cast<std::size_t>(frame.width) * frame.height;
        frame.raw.resize(pixels);
        frame.image.resize(pixels * 3);
        int attempts = 0;
        while (KRVCameraGrabFrame(frame.raw.data()) != 1 && ++attempts < 100) {
        }
        EXPECT_LT(attempts, 100);
        EXPECT_EQ(KRVCameraDecode(frame.raw.data(), frame.image.data(), frame.width, frame.height),
                  1);
        return frame;
    }
};

}  // namespace krvcamera::test
