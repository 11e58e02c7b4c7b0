#include "CameraFixture.h"

#include "camera/CameraModels.h"
#include "camera/CameraSession.h"
#include "krvcamera/KRVCamera.h"
#include "platform/PrivateProfile.h"

#include <algorithm>

using namespace korvel::camera;
using korvel::camera::test::SimulatedCameraTest;

namespace {

// A preview that only records what the session asked of it.
class RecordingPreview : public PreviewControl {
public:
    bool start(CameraRecord&) override {
        running = true;
        events.push_back("start");
        return true;
    }
    void stop() override {
        running = false;
        events.push_back("stop");
    }
    bool isRunning() const override { return running; }
    void pause() override { events.push_back("pause"); }
    void resume() override { events.push_back("resume"); }
    bool running = false;
    std::vector<std::string> events;
};

class Session : public SimulatedCameraTest {
protected:
    CameraSession makeSession(int type) {
        useCamera("sim:" + std::to_string(type));
        record = CameraRecord{};
        record.typeId = type;
        record.previewResolution = static_cast<std::uint8_t>(defaultResolutionIndex(type));
        SessionHooks hooks;
        hooks.sleep = [](std::chrono::milliseconds) {};
        hooks.fitWindowToImage = [this] { log.push_back("fit"); };
        return CameraSession(record, &preview, hooks);
    }
    static std::size_t indexOf(const std::vector<std::string>& log, const std::string& prefix) {
        const auto it = std::find_if(log.begin(), log.end(),
                                     [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
        return static_cast<std::size_t>(it - log.begin());
    }
    CameraRecord record;
    RecordingPreview preview;
    std::vector<std::string> log;
};

}  // namespace

TEST(AeTarget, StepsAndBytes) {
    EXPECT_EQ(aeTargetStepToByte(-5), 40);
    EXPECT_EQ(aeTargetStepToByte(0), 100);
    EXPECT_EQ(aeTargetStepToByte(5), 200);
    for (int step = -5; step <= 5; ++step) {
        EXPECT_EQ(aeTargetByteToStep(aeTargetStepToByte(step)), step) << step;
    }
}

TEST_F(Session, OpenAndCloseFollowTheFixedOrder) {
    CameraSession session = makeSession(13);
    ASSERT_TRUE(session.open(0, nullptr, nullptr, iniPath()));
    EXPECT_EQ(record.state, kCameraOpen);
    EXPECT_GT(record.width, 0);
    ASSERT_FALSE(preview.events.empty());
    EXPECT_EQ(preview.events.front(), "start");
    EXPECT_EQ(log, std::vector<std::string>{"fit"});

    const auto opened = krvcamera::simulatorCallLog();
    const std::size_t init = indexOf(opened, "KRVCameraInit(");
    const std::size_t size = indexOf(opened, "KRVCameraGetImageSize");
    const std::size_t team = indexOf(opened, "KRVCameraGetCurrentParameterTeam");
    const std::size_t balance = indexOf(opened, "KRVCameraSetAWBState(1)");
    ASSERT_LT(balance, opened.size());
    EXPECT_LT(init, size);
    EXPECT_LT(size, team);
    EXPECT_LT(team, balance);  // first use: apply all, then one-shot white balance

    krvcamera::clearSimulatorCallLog();
    session.close();
    EXPECT_EQ(record.state, kCameraClosed);
    const auto closed = krvcamera::simulatorCallLog();
    ASSERT_EQ(closed.size(), 3u);
    EXPECT_EQ(closed[0], "KRVCameraReadParameter(0)");
    EXPECT_EQ(closed[1], "KRVCameraSaveParameter(0)");
    EXPECT_EQ(closed[2], "KRVCameraUnInit()");
    EXPECT_EQ(preview.events.back(), "stop");

    // Closing again does nothing.
    krvcamera::clearSimulatorCallLog();
    session.close();
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
}

TEST_F(Session, TheSecondOpenReadsBackUntilTheIniKeyIsDeleted) {
    {
        CameraSession first = makeSession(13);
        ASSERT_TRUE(first.open(0, nullptr, nullptr, iniPath()));
        EXPECT_FALSE(callsOf("KRVCameraSetAWBState").empty());
        first.close();
    }
    EXPECT_EQ(korvel::platform::getPrivateProfileInt("CAMERA", "CAMERA_RX3C", 1, iniPath()), 0);
    {
        CameraSession second = makeSession(13);
        ASSERT_TRUE(second.open(0, nullptr, nullptr, iniPath()));
        EXPECT_TRUE(callsOf("KRVCameraSetAWBState").empty());
        EXPECT_FALSE(callsOf("KRVCameraGetAeState").empty());  // read back
        second.close();
    }
    korvel::platform::writePrivateProfileString("CAMERA", "CAMERA_RX3C", std::nullopt, iniPath());
    CameraSession third = makeSession(13);
    ASSERT_TRUE(third.open(0, nullptr, nullptr, iniPath()));
    EXPECT_FALSE(callsOf("KRVCameraSetAWBState").empty());
}

TEST_F(Session, WithoutACameraOpeningFailsAndStaysClosed) {
    CameraSession session = makeSession(13);
    useCamera("none");
    EXPECT_FALSE(session.open(0, nullptr, nullptr, iniPath()));
    EXPECT_EQ(record.state, kCameraClosed);
    EXPECT_TRUE(preview.events.empty());
    record.typeId = kNoCamera;
    EXPECT_FALSE(session.open(0, nullptr, nullptr, iniPath()));
}

TEST_F(Session, TheSameExposureReachesTheCameraOnce) {
    CameraSession session = makeSession(13);
    ASSERT_TRUE(session.open(0, nullptr, nullptr, iniPath()));
    krvcamera::clearSimulatorCallLog();
    session.setExposure(record.exposureSent + 7);
    session.setExposure(record.exposureSent);
    EXPECT_EQ(callsOf("KRVCameraSetExposureTime").size(), 1u);
    // The running preview pauses around the change for this model family.
    EXPECT_NE(std::find(preview.events.begin(), preview.events.end(), "pause"),
              preview.events.end());
}

TEST_F(Session, LongExposureIndexNinetyNineIsAnHour) {
    CameraSession session = makeSession(13);
    record.longExposureMode = 1;
    ASSERT_TRUE(session.open(0, nullptr, nullptr, iniPath()));
    krvcamera::clearSimulatorCallLog();
    session.setExposure(99);
    EXPECT_EQ(callsOf("KRVCameraSetExposureTime"),
              std::vector<std::string>{"KRVCameraSetExposureTime(3599999)"});
}

TEST_F(Session, SpeedModeFollowsTheExposure) {
    CameraSession session = makeSession(13);
    ASSERT_TRUE(session.open(0, nullptr, nullptr, iniPath()));
    ASSERT_TRUE(record.automaticSpeedSwitching);
    session.setExposureWithSpeedSwitching(99);
    EXPECT_EQ(record.currentSpeedMode, 0);
    session.setExposureWithSpeedSwitching(100);
    EXPECT_EQ(record.currentSpeedMode, 1);
    session.setExposureWithSpeedSwitching(250);
    EXPECT_EQ(record.currentSpeedMode, 2);
}

TEST_F(Session, ApplyAllReadsTheColourGainsInsteadOfSendingThem) {
    CameraSession session = makeSession(13);
    ASSERT_TRUE(session.open(0, nullptr, nullptr, iniPath()));
    ASSERT_TRUE(record.colourGains.flag);
    KRVCameraSetGain(90, 64, 70);
    record.colourGains.red.value = 20;
    krvcamera::clearSimulatorCallLog();
    session.applyAll();
    EXPECT_TRUE(callsOf("KRVCameraSetGain").empty());
    EXPECT_FALSE(callsOf("KRVCameraGetGain").empty());
    EXPECT_EQ(record.colourGains.red.value, 90);
    EXPECT_TRUE(callsOf("KRVCameraSetMonochrome").empty());
}

TEST_F(Session, QuickBlackBalanceRestoresTheModelsGains) {
    CameraSession session = makeSession(13);
    ASSERT_TRUE(session.open(0, nullptr, nullptr, iniPath()));
    krvcamera::clearSimulatorCallLog();
    session.quickBlackBalance();
    EXPECT_EQ(callsOf("KRVCameraSetGain"),
              std::vector<std::string>{"KRVCameraSetGain(82, 64, 99)"});
    EXPECT_EQ(record.colourEnhancement.value, 0);
}

TEST_F(Session, TypeTwentyEightTakesItsLimitsFromTheRowTime) {
    CameraSession session = makeSession(28);
    ASSERT_TRUE(session.open(0, nullptr, nullptr, iniPath()));
    int rowTime = 0;
    KRVCameraGetRowTime(&rowTime);
    EXPECT_EQ(record.exposure.maximum, static_cast<int>(rowTime * 3000 * 0.001));
    EXPECT_EQ(record.aeTuning.exposureCeiling, record.exposure.maximum);
}
