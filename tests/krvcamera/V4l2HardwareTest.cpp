// A real Video4Linux2 capture device, when the machine has one.

#include <gtest/gtest.h>

#include <vector>

#include "krvcamera/V4l2Camera.h"

namespace krvcamera {
namespace {

TEST(V4l2Hardware, FirstCaptureDeviceDeliversTenFrames) {
    V4l2Camera camera({}, systemVideoDevices(), {},
                      std::filesystem::path(testing::TempDir()) / "v4l2_hardware.param");
    camera.enumerate();
    if (!camera.identity().present) {
        GTEST_SKIP() << "no Video4Linux2 capture device on this machine";
    }
    ASSERT_TRUE(camera.open(0)) << "the device is there but does not stream (busy?)";
    int width = 0;
    int height = 0;
    ASSERT_TRUE(camera.imageSize(width, height));
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(width) * height * 3);
    int frames = 0;
    for (int attempt = 0; attempt < 100 && frames < 10; ++attempt) {
        frames += camera.grabFrame(raw.data()) ? 1 : 0;
    }
    EXPECT_EQ(frames, 10);
    EXPECT_TRUE(camera.close());
}

}  // namespace
}  // namespace krvcamera
