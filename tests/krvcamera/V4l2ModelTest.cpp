// The camera window's record of a Video4Linux2 camera, built from what the device reported,
// and the device names its removal carries.

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <cstdlib>
#include <string>

#include "FakeCameraFixture.h"
#include "camera/CameraModels.h"
#include "camera/UsbCameraCodes.h"
#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"
#include "krvcamera/KRVCameraVideoDevices.h"

namespace krvcamera::test {
namespace {

using korvel::camera::CameraRecord;

class V4l2ModelTest : public FakeCameraTest {
protected:
    void SetUp() override {
        FakeCameraTest::SetUp();
        setenv("KRVCAMERA", "v4l2", 1);
    }
    CameraRecord record() {
        KRVCamera_ReflashCamera();
        CameraRecord r;
        r.typeId = KRVCameraGetCameraID().typeId;
        EXPECT_EQ(r.typeId, KRVCAMERA_TYPE_VIDEO_DEVICE);
        EXPECT_TRUE(korvel::camera::initializeCameraModel(r));
        return r;
    }
};

TEST_F(V4l2ModelTest, RecordOfACameraWithEveryControl) {
    camera.addAllControls();
    const CameraRecord r = record();
    // 3..2047 steps of 100 us.
    EXPECT_EQ(r.exposure.flag, 1);
    EXPECT_EQ(r.exposure.minimum, 1);
    EXPECT_EQ(r.exposure.maximum, 204);
    EXPECT_EQ(r.exposure.value, 16);
    EXPECT_EQ(r.autoExposure.flag, 1);
    EXPECT_EQ(r.analogGain.flag, 1);
    EXPECT_EQ(korvel::camera::gainStepToRaw(r.typeId, 1), 0);
    EXPECT_EQ(korvel::camera::gainStepToRaw(r.typeId, r.analogGain.maximum), 100);
    EXPECT_EQ(korvel::camera::gainRawToStep(r.typeId, 100), r.analogGain.maximum);
    EXPECT_EQ(r.lightFrequency.flag, 1);
    EXPECT_EQ(r.colourGains.flag, 1);
    EXPECT_EQ(r.mirror0.flag, 1);
}

TEST_F(V4l2ModelTest, RecordOfACameraWithOnlyExposureDisablesTheRest) {
    camera.addExposureOnly();
    const CameraRecord r = record();
    EXPECT_EQ(r.exposure.maximum, 1000);
    EXPECT_EQ(r.analogGain.flag, 0);
    EXPECT_EQ(r.lightFrequency.flag, 0);
    EXPECT_EQ(r.frameSpeed.flag, 0);
    EXPECT_EQ(r.mosaicMode.flag, 0);
    // Done by the library on the frame, so still offered.
    EXPECT_EQ(r.colourGains.flag, 1);
    EXPECT_EQ(r.monochrome.flag, 1);
    // The saturation is reached through its switch.
    EXPECT_EQ(r.saturation.flag, 1);
    EXPECT_EQ(r.colourEnhancement.flag, 1);
}

TEST_F(V4l2ModelTest, RemovalNameNamesTheGenericModel) {
    camera.addAllControls();
    static std::string removed;
    removed.clear();
    KRVCameraRegisterDeviceNotification(
        [](void*, int arrived, const char* name) {
            if (!arrived) {
                removed = name;
            }
        },
        nullptr);
    KRVCamera_ReflashCamera();
    ASSERT_EQ(KRVCameraInit(2, nullptr, nullptr), 1);
    camera.unplug();
    std::vector<std::uint8_t> raw(320 * 240 * 3);
    EXPECT_EQ(KRVCameraGrabFrame(raw.data()), 0);
    ASSERT_FALSE(removed.empty());
    EXPECT_EQ(korvel::camera::typeIdFromDeviceInterfaceName(removed), KRVCAMERA_TYPE_VIDEO_DEVICE);
    // The names the system monitor makes for a capture node.
    EXPECT_EQ(korvel::camera::typeIdFromDeviceInterfaceName("\\\\?\\V4L2#/dev/video2#"),
              KRVCAMERA_TYPE_VIDEO_DEVICE);
}

}  // namespace
}  // namespace krvcamera::test
