#include <string>
#include <vector>

#include "SimulatorFixture.h"

namespace krvcamera::test {
namespace {

using Detection = SimulatorTest;

TEST_F(Detection, NoCameraReportsTypeMinusOneAndRefusesEverything) {
    for (const char* selection : {"none", "", "bogus", "sim:", "sim:x13"}) {
        SCOPED_TRACE(selection);
        detect(selection);
        const KRVCameraID id = KRVCameraGetCameraID();
        EXPECT_EQ(id.typeId, -1);
        EXPECT_STREQ(id.name, "");
        EXPECT_EQ(KRVCameraInit(0, nullptr, nullptr), 0);
        int w = 0, h = 0;
        EXPECT_EQ(KRVCameraGetImageSize(&w, &h), 0);
        std::vector<std::uint8_t> raw(16);
        EXPECT_EQ(KRVCameraGrabFrame(raw.data()), 0);
        EXPECT_EQ(KRVCameraSetExposureTime(10), 0);
        resetLibrary();
    }
}

TEST_F(Detection, SimulatorIdentifiesAsItsModel) {
    detect("sim:13");
    KRVCameraID id = KRVCameraGetCameraID();
    EXPECT_EQ(id.typeId, 13);
    EXPECT_STREQ(id.name, "RX-3 Color");
    // Ids without a model entry are reported as they are.
    resetLibrary();
    ASSERT_TRUE(open("sim:99", 0));
    id = KRVCameraGetCameraID();
    EXPECT_EQ(id.typeId, 99);
    int w = 0, h = 0;
    ASSERT_EQ(KRVCameraGetImageSize(&w, &h), 1);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
}

TEST_F(Detection, SetCameraChoosesTheMonoOrColourVariantOnly) {
    detect("sim:13");
    EXPECT_EQ(KRVCamera_SetCamera(3), 0);
    EXPECT_EQ(KRVCameraGetCameraID().typeId, 13);
    EXPECT_EQ(KRVCamera_SetCamera(12), 1);
    EXPECT_EQ(KRVCameraGetCameraID().typeId, 12);
    EXPECT_STREQ(KRVCameraGetCameraID().name, "RX-3 B/W");
    ASSERT_EQ(KRVCameraInit(1, nullptr, nullptr), 1);
    EXPECT_EQ(KRVCameraDecodeType(), KRVCAMERA_DECODE_MONO);
    KRVCameraUnInit();
    // Enumerating again finds the hardware as it is.
    KRVCamera_ReflashCamera();
    EXPECT_EQ(KRVCameraGetCameraID().typeId, 13);
}

TEST_F(Detection, ResolutionListIsInIndexOrder) {
    ASSERT_TRUE(open("sim:14", 4));
    std::vector<std::string> names;
    ASSERT_EQ(
        KRVCamera_Registerpixel(&names,
                                [](void* list, const char* text) {
                                    static_cast<std::vector<std::string>*>(list)->push_back(text);
                                }),
        1);
    EXPECT_EQ(names, (std::vector<std::string>{"640x480", "800x600", "2048x1536", "2048x1536 HQ",
                                               "1024x768"}));
    int w = 0, h = 0;
    ASSERT_EQ(KRVCameraGetImageSize(&w, &h), 1);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
}

TEST_F(Detection, ResolutionListNeedsACamera) {
    detect("none");
    int appended = 0;
    EXPECT_EQ(KRVCamera_Registerpixel(&appended,
                                      [](void* list, const char*) { ++*static_cast<int*>(list); }),
              0);
    EXPECT_EQ(appended, 0);
}

TEST_F(Detection, NameStaysValidAfterLaterCalls) {
    detect("sim:13");
    const char* first = KRVCameraGetCameraID().name;
    KRVCamera_SetCamera(12);
    KRVCameraGetCameraID();
    KRVCamera_ReflashCamera();
    EXPECT_STREQ(first, "RX-3 Color");
}

TEST_F(Detection, UnknownPreviewResolutionFallsBackToTheFirst) {
    ASSERT_TRUE(open("sim:13", 200));
    int w = 0, h = 0;
    ASSERT_EQ(KRVCameraGetImageSize(&w, &h), 1);
    EXPECT_EQ(w, 2048);
    EXPECT_EQ(h, 1536);
}

TEST_F(Detection, CallLogRecordsCallsInOrderWithArguments) {
    detect("sim:13");
    clearSimulatorCallLog();
    KRVCameraGetCameraID();
    ASSERT_EQ(KRVCameraInit(1, nullptr, nullptr), 1);
    KRVCameraSetExposureTime(25);
    KRVCameraSetGain(70, 64, 90);
    uint8_t set = 9;
    KRVCameraGetCurrentParameterTeam(&set);
    KRVCameraReadParameter(0);
    KRVCameraSaveParameter(0);
    KRVCameraUnInit();
    const std::vector<std::string> log = simulatorCallLog();
    EXPECT_EQ(log,
              (std::vector<std::string>{
                  "KRVCameraGetCameraID()", "KRVCameraInit(1)", "KRVCameraSetExposureTime(25)",
                  "KRVCameraSetGain(70, 64, 90)", "KRVCameraGetCurrentParameterTeam()",
                  "KRVCameraReadParameter(0)", "KRVCameraSaveParameter(0)", "KRVCameraUnInit()"}));
    clearSimulatorCallLog();
    EXPECT_TRUE(simulatorCallLog().empty());
}

}  // namespace
}  // namespace krvcamera::test
