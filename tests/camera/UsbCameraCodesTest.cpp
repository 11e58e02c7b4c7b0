#include <gtest/gtest.h>

#include <set>
#include <string>

#include "camera/CameraModels.h"
#include "camera/UsbCameraCodes.h"

namespace korvel::camera {
namespace {

TEST(UsbCameraCodes, TableHoldsTwentyThreeKnownModels) {
    const auto codes = usbCameraCodes();
    ASSERT_EQ(codes.size(), 23u);
    std::set<std::pair<std::string_view, std::string_view>> seen;
    for (const UsbCameraCode& code : codes) {
        EXPECT_EQ(code.productId.size(), 4u);
        EXPECT_EQ(code.vendorId.size(), 4u);
        EXPECT_NE(findCameraModel(code.typeId), nullptr) << code.typeId;
        EXPECT_TRUE(seen.insert({code.productId, code.vendorId}).second) << code.productId;
    }
}

TEST(UsbCameraCodes, KnownDeviceNameGivesItsType) {
    EXPECT_EQ(typeIdFromDeviceInterfaceName(
                  "\\\\?\\USB#VID_F0CA&PID_A00D#SIM000D#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"),
              13);
    EXPECT_EQ(typeIdFromDeviceInterfaceName("\\\\?\\USB#VID_F0CA&PID_A01C#X"), 28);
    EXPECT_EQ(typeIdFromDeviceInterfaceName("\\\\?\\USB#VID_F0CA&PID_B019#X"), 25);
}

TEST(UsbCameraCodes, LowerCaseNameIsMatched) {
    EXPECT_EQ(typeIdFromDeviceInterfaceName("\\\\?\\usb#vid_f0ca&pid_a00a#5&1a2b"), 10);
}

TEST(UsbCameraCodes, NamesWithoutBothIdsOrWithUnknownIdsGiveNoCamera) {
    EXPECT_EQ(typeIdFromDeviceInterfaceName("\\\\?\\USB#PID_A00D#SIM"), kNoCamera);
    EXPECT_EQ(typeIdFromDeviceInterfaceName("\\\\?\\USB#VID_F0CA#SIM"), kNoCamera);
    EXPECT_EQ(typeIdFromDeviceInterfaceName("\\\\?\\USB#VID_1234&PID_A00D#SIM"), kNoCamera);
    EXPECT_EQ(typeIdFromDeviceInterfaceName("\\\\?\\USB#VID_F0CA&PID_A0"), kNoCamera);
    EXPECT_EQ(typeIdFromDeviceInterfaceName(""), kNoCamera);
}

}  // namespace
}  // namespace korvel::camera
