// Plug and unplug of the simulated camera, checked against the application's parser of
// device-interface names.

#include <string>
#include <utility>
#include <vector>

#include "SimulatorFixture.h"
#include "camera/UsbCameraCodes.h"

namespace krvcamera::test {
namespace {

using Detection = SimulatorTest;

struct DeviceEvents {
    std::vector<std::pair<int, std::string>> events;
    static void record(void* context, int arrived, const char* name) {
        static_cast<DeviceEvents*>(context)->events.emplace_back(arrived, name);
    }
};

TEST_F(Detection, UnplugAndPlugAreAnnouncedWithAParsableDeviceName) {
    DeviceEvents events;
    ASSERT_EQ(KRVCameraRegisterDeviceNotification(&DeviceEvents::record, &events), 1);
    ASSERT_TRUE(open("sim:13", 1));

    KRVCameraSimulatorSetPlugged(0);
    ASSERT_EQ(events.events.size(), 1u);
    EXPECT_EQ(events.events[0].first, 0);
    EXPECT_EQ(korvel::camera::typeIdFromDeviceInterfaceName(events.events[0].second), 13);
    EXPECT_EQ(events.events[0].second.rfind("\\\\?\\USB#VID_", 0), 0u);
    // The open camera is gone: frames stop and enumeration finds nothing.
    std::vector<std::uint8_t> raw(1024 * 768);
    EXPECT_EQ(KRVCameraGrabFrame(raw.data()), 0);
    KRVCamera_ReflashCamera();
    EXPECT_EQ(KRVCameraGetCameraID().typeId, -1);
    EXPECT_EQ(KRVCameraInit(1, nullptr, nullptr), 0);

    KRVCameraSimulatorSetPlugged(1);
    ASSERT_EQ(events.events.size(), 2u);
    EXPECT_EQ(events.events[1].first, 1);
    KRVCamera_ReflashCamera();
    EXPECT_EQ(KRVCameraGetCameraID().typeId, 13);
    EXPECT_EQ(KRVCameraInit(1, nullptr, nullptr), 1);

    KRVCameraUnregisterDeviceNotification();
    KRVCameraSimulatorSetPlugged(0);
    EXPECT_EQ(events.events.size(), 2u);
}

TEST_F(Detection, EverySimulatedModelAnnouncesItselfUnderItsOwnType) {
    for (int type : {1, 3, 4, 8, 10, 11, 12, 13, 14, 16, 17, 18, 21, 23, 24, 25, 26, 27, 28}) {
        SCOPED_TRACE(type);
        DeviceEvents events;
        KRVCameraRegisterDeviceNotification(&DeviceEvents::record, &events);
        detect(("sim:" + std::to_string(type)).c_str());
        KRVCameraSimulatorSetPlugged(0);
        ASSERT_EQ(events.events.size(), 1u);
        EXPECT_EQ(korvel::camera::typeIdFromDeviceInterfaceName(events.events[0].second), type);
        KRVCameraUnregisterDeviceNotification();
        resetLibrary();
    }
}

}  // namespace
}  // namespace krvcamera::test
