#include <filesystem>
#include <fstream>

#include "SimulatorFixture.h"

namespace krvcamera::test {
namespace {

using ParameterSets = SimulatorTest;

int exposure() {
    int ms = 0;
    EXPECT_EQ(KRVCameraGetExposureTime(&ms), 1);
    return ms;
}

void restart() {
    KRVCameraUnInit();
    resetLibrary();
    KRVCamera_ReflashCamera();
    ASSERT_EQ(KRVCameraInit(1, nullptr, nullptr), 1);
}

TEST_F(ParameterSets, ReadRestoresWhatWasSaved) {
    ASSERT_TRUE(open("sim:13", 1));
    KRVCameraSetExposureTime(123);
    KRVCameraSetGain(50, 64, 99);
    KRVCameraSetMirror(1, 1);
    ASSERT_EQ(KRVCameraSaveParameter(2), 1);
    KRVCameraSetExposureTime(55);
    KRVCameraSetGain(64, 64, 64);
    ASSERT_EQ(KRVCameraReadParameter(2), 1);
    EXPECT_EQ(exposure(), 123);
    int r = 0, g = 0, b = 0, mirror = 0;
    KRVCameraGetGain(&r, &g, &b);
    KRVCameraGetMirror(1, &mirror);
    EXPECT_EQ(r, 50);
    EXPECT_EQ(b, 99);
    EXPECT_EQ(mirror, 1);
    // A set never saved holds the factory settings.
    ASSERT_EQ(KRVCameraReadParameter(3), 1);
    EXPECT_EQ(exposure(), 40);
    EXPECT_EQ(KRVCameraSaveParameter(4), 0);
    EXPECT_EQ(KRVCameraReadParameter(4), 0);
}

TEST_F(ParameterSets, SurviveARestartWithTheSetInUse) {
    ASSERT_TRUE(open("sim:13", 1));
    KRVCameraSetExposureTime(77);
    ASSERT_EQ(KRVCameraSaveParameter(0), 1);
    KRVCameraSetExposureTime(321);
    ASSERT_EQ(KRVCameraSaveParameter(1), 1);
    ASSERT_EQ(KRVCameraReadParameter(1), 1);  // the set in use becomes 1

    restart();
    EXPECT_EQ(exposure(), 77);  // the camera starts from its working set
    uint8_t set = 9;
    ASSERT_EQ(KRVCameraGetCurrentParameterTeam(&set), 1);
    EXPECT_EQ(set, 1);
    ASSERT_EQ(KRVCameraReadParameter(set), 1);
    EXPECT_EQ(exposure(), 321);

    // Other models keep their own sets.
    KRVCameraUnInit();
    resetLibrary();
    ASSERT_TRUE(open("sim:23", 1));
    EXPECT_EQ(exposure(), 40);
    ASSERT_EQ(KRVCameraGetCurrentParameterTeam(&set), 1);
    EXPECT_EQ(set, 0);
}

TEST_F(ParameterSets, CorruptOrTruncatedFileIsIgnored) {
    ASSERT_TRUE(open("sim:13", 1));
    KRVCameraSetExposureTime(88);
    ASSERT_EQ(KRVCameraSaveParameter(0), 1);
    ASSERT_EQ(KRVCameraReadParameter(2), 1);
    const auto path = parameterFile();
    ASSERT_TRUE(std::filesystem::exists(path));
    const auto size = std::filesystem::file_size(path);

    std::filesystem::resize_file(path, size - 5);
    restart();
    EXPECT_EQ(exposure(), 40);
    uint8_t set = 9;
    ASSERT_EQ(KRVCameraGetCurrentParameterTeam(&set), 1);
    EXPECT_EQ(set, 0);

    {
        std::ofstream garbage(path, std::ios::binary | std::ios::trunc);
        garbage << std::string(size, '\x7f');
    }
    restart();
    EXPECT_EQ(exposure(), 40);

    // Saving again replaces the bad file with a good one.
    KRVCameraSetExposureTime(66);
    ASSERT_EQ(KRVCameraSaveParameter(0), 1);
    restart();
    EXPECT_EQ(exposure(), 66);
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path())) {
        EXPECT_EQ(entry.path(), path) << "left-over temporary file";
    }
}

TEST_F(ParameterSets, FlippedByteIsCaughtByTheChecksum) {
    ASSERT_TRUE(open("sim:13", 1));
    KRVCameraSetExposureTime(99);
    ASSERT_EQ(KRVCameraSaveParameter(0), 1);
    {
        std::fstream file(parameterFile(), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(30);
        file.put('\x55');
    }
    restart();
    EXPECT_EQ(exposure(), 40);
}

}  // namespace
}  // namespace krvcamera::test
