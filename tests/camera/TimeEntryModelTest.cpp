#include <gtest/gtest.h>

#include <vector>

#include "camera/CameraModels.h"
#include "camera/TimeEntryModel.h"

namespace korvel::camera {
namespace {

using Fields = TimeEntryModel::Fields;
constexpr int kM = TimeEntryModel::kMinutes;
constexpr int kS = TimeEntryModel::kSeconds;
constexpr int kMs = TimeEntryModel::kMilliseconds;

// A model that records its field writes (true = with slider sync).
struct Recorded {
    Recorded() {
        model.setFieldWritten([this](bool sync) { writes.push_back(sync); });
    }
    TimeEntryModel model;
    std::vector<bool> writes;
};

TEST(TimeEntryModel, NewControlShowsOneMillisecond) {
    TimeEntryModel model;
    EXPECT_EQ(model.displayText(), " 00 : 00 . 001");
    EXPECT_EQ(model.displayText().size(), 14u);
    EXPECT_EQ(model.selectedField(), kMs);
    EXPECT_EQ(model.timeMs(), 1);
    EXPECT_EQ(model.maxima(), (Fields{10, 59, 999}));
    EXPECT_EQ(model.mode(), TimeEntryModel::Mode::Display);
}

TEST(TimeEntryModel, MaximaFollowTheMinutes) {
    TimeEntryModel model;
    model.setMaxTime(0, 3, 500);
    EXPECT_EQ(model.maxima(), (Fields{0, 3, 999}));
    model.setMaxTime(0, 0, 500);
    EXPECT_EQ(model.maxima(), (Fields{0, 0, 500}));
    model.setMaxTime(2, 7, 8);
    EXPECT_EQ(model.maxima(), (Fields{2, 59, 999}));
    // Kept to what two display digits and the field ranges can hold.
    model.setMaxTime(500, 0, 0);
    EXPECT_EQ(model.maxima(), (Fields{99, 59, 999}));
    model.setMaxTime(-1, 80, 5000);
    EXPECT_EQ(model.maxima(), (Fields{0, 59, 999}));
}

TEST(TimeEntryModel, SetTimeMsWritesThreeFieldsAndLeavesMinutesSelected) {
    Recorded r;
    EXPECT_TRUE(r.model.setTimeMs(61001));
    EXPECT_EQ(r.model.displayText(), " 01 : 01 . 001");
    EXPECT_EQ(r.writes, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(r.model.selectedField(), kM);
    r.model.setSelectedField(kMs);
    EXPECT_EQ(r.model.selectedField(), kMs);
    r.model.setSelectedField(4);  // ignored
    EXPECT_EQ(r.model.selectedField(), kMs);

    r.writes.clear();
    EXPECT_FALSE(r.model.setTimeMs(6000000));  // 100 minutes
    EXPECT_FALSE(r.model.setTimeMs(-5));
    EXPECT_TRUE(r.writes.empty());
    EXPECT_EQ(r.model.timeMs(), 61001);
}

TEST(TimeEntryModel, SetTimeMsTestsSecondsAndMillisecondsAgainstTheMaxima) {
    TimeEntryModel model;
    model.setMaxTime(0, 3, 0);  // an exposure maximum of 3000 ms
    EXPECT_FALSE(model.setTimeMs(4000));
    EXPECT_TRUE(model.setTimeMs(3999));  // the seconds fit; the page clamps first
    model.setMaxTime(0, 0, 500);
    EXPECT_FALSE(model.setTimeMs(501));
    EXPECT_TRUE(model.setTimeMs(500));
    EXPECT_EQ(model.displayText(), " 00 : 00 . 500");
    // The maximum minutes are not tested.
    EXPECT_TRUE(model.setTimeMs(120000));
}

TEST(TimeEntryModel, TwoMinutesShowAndReadBackAs120000) {
    TimeEntryModel model;
    model.setMaxTime(3, 0, 0);
    ASSERT_TRUE(model.setTimeMs(120000));
    EXPECT_EQ(model.displayText(), " 02 : 00 . 000");
    EXPECT_EQ(model.timeMs(), 120000);
    // Typed in field by field it reads the same.
    TimeEntryModel typed;
    typed.setMaxTime(3, 0, 0);
    typed.setTimeMs(1000);  // 00:01.000
    typed.beginEdit(kS);
    ASSERT_TRUE(typed.commit("0"));
    typed.beginEdit(kM);
    ASSERT_TRUE(typed.commit("2"));
    EXPECT_EQ(typed.displayText(), " 02 : 00 . 000");
    EXPECT_EQ(typed.timeMs(), 120000);
}

TEST(TimeEntryModel, CommitRulesForEachField) {
    TimeEntryModel model;  // maxima 10/59/999
    ASSERT_TRUE(model.setTimeMs(5000));
    model.beginEdit(kM);
    EXPECT_FALSE(model.commit("10"));  // 10 minutes while seconds are 5
    EXPECT_EQ(model.mode(), TimeEntryModel::Mode::Edit);
    EXPECT_EQ(model.timeMs(), 5000);
    ASSERT_TRUE(model.setTimeMs(0 + 0 + 0 + 60000));  // 01:00.000
    model.beginEdit(kM);
    EXPECT_TRUE(model.commit("10"));  // at 0 s and 0 ms
    EXPECT_EQ(model.mode(), TimeEntryModel::Mode::Display);
    EXPECT_EQ(model.timeMs(), 600000);
    model.beginEdit(kS);
    EXPECT_FALSE(model.commit("1"));  // minutes at their maximum
    model.cancel();

    ASSERT_TRUE(model.setTimeMs(1));
    model.beginEdit(kS);
    EXPECT_FALSE(model.commit("59"));  // while milliseconds are 1
    EXPECT_TRUE(model.commit("58"));
    model.beginEdit(kMs);
    EXPECT_TRUE(model.commit("999"));
    model.beginEdit(kMs);
    EXPECT_FALSE(model.commit("1000"));
    EXPECT_FALSE(model.commit("99999999999999"));  // too long for any field
}

TEST(TimeEntryModel, ZeroTimeIsRefusedButTheSpinButtonReachesIt) {
    Recorded r;
    r.model.beginEdit(kMs);
    EXPECT_FALSE(r.model.commit("0"));
    EXPECT_FALSE(r.model.commit(""));  // no digits read as 0
    r.model.cancel();
    EXPECT_EQ(r.model.mode(), TimeEntryModel::Mode::Display);
    EXPECT_TRUE(r.writes.empty());

    EXPECT_TRUE(r.model.spin(-1));
    EXPECT_EQ(r.model.timeMs(), 0);
    EXPECT_EQ(r.writes, (std::vector<bool>{true}));
    EXPECT_FALSE(r.model.spin(-1));  // never below 0
}

TEST(TimeEntryModel, SpinUpFollowsTheCommitRules) {
    TimeEntryModel model;
    model.setMaxTime(1, 0, 0);  // 1/59/999
    model.setTimeMs(999);
    model.setSelectedField(kMs);
    EXPECT_FALSE(model.spin(1));  // 1000 ms
    model.setSelectedField(kM);
    EXPECT_FALSE(model.spin(1));  // one minute while milliseconds are 999
    model.setTimeMs(59000);
    model.setSelectedField(kM);
    EXPECT_FALSE(model.spin(1));  // one minute while seconds are 59
    model.setTimeMs(0);
    model.setSelectedField(kM);
    ASSERT_TRUE(model.spin(1));  // 1:00.000 is the top
    EXPECT_EQ(model.timeMs(), 60000);
    model.setSelectedField(kS);
    EXPECT_FALSE(model.spin(1));
    model.setSelectedField(kMs);
    EXPECT_FALSE(model.spin(1));
}

TEST(TimeEntryModel, InputBoxStartsFromTheFieldOrTheTypedDigit) {
    TimeEntryModel model;
    model.setTimeMs(5042);
    EXPECT_EQ(model.beginEdit(kS), "5");
    EXPECT_EQ(model.prompt(), "Set Second");
    model.cancel();
    EXPECT_EQ(model.beginEdit(kMs), "42");
    EXPECT_EQ(model.prompt(), "Set MillSecond");
    model.cancel();
    EXPECT_EQ(model.beginEdit(kM), "0");
    EXPECT_EQ(model.prompt(), "Set Minute");
    model.cancel();

    model.setSelectedField(kS);
    EXPECT_EQ(model.beginEditWithDigit('7'), "7");
    EXPECT_EQ(model.mode(), TimeEntryModel::Mode::Edit);
    EXPECT_EQ(model.selectedField(), kS);
    EXPECT_EQ(model.prompt(), "Set Second");
    EXPECT_TRUE(model.commit("7.9"));  // the leading number counts
    EXPECT_EQ(model.timeMs(), 7042);

    for (const char32_t c : {U'0', U'9', U'.', U'\b'}) {
        EXPECT_TRUE(TimeEntryModel::isInputCharacter(c));
    }
    for (const char32_t c : {U'a', U'-', U' ', U'\r', U'\x1b'}) {
        EXPECT_FALSE(TimeEntryModel::isInputCharacter(c));
    }
}

TEST(TimeEntryModel, CaretPositionsSelectFields) {
    TimeEntryModel model;
    for (const auto& [caret, field] : std::vector<std::pair<int, int>>{
             {0, kM}, {3, kM}, {6, kS}, {8, kS}, {11, kMs}, {14, kMs}}) {
        model.setSelectedField(field == kM ? kS : kM);
        model.clickAt(caret);
        EXPECT_EQ(model.selectedField(), field) << caret;
        EXPECT_EQ(TimeEntryModel::fieldAtCaret(caret), field) << caret;
    }
    for (const int caret : {4, 5, 9, 10}) {
        model.setSelectedField(kS);
        model.clickAt(caret);
        EXPECT_EQ(model.selectedField(), kS) << caret;
        EXPECT_FALSE(TimeEntryModel::fieldAtCaret(caret)) << caret;
    }
    EXPECT_EQ(TimeEntryModel::fieldCharacters(kM), (std::pair{1, 3}));
    EXPECT_EQ(TimeEntryModel::fieldCharacters(kS), (std::pair{6, 8}));
    EXPECT_EQ(TimeEntryModel::fieldCharacters(kMs), (std::pair{11, 14}));
}

TEST(TimeEntryModel, LongExposureModeExchangesTableIndices) {
    TimeEntryModel model;
    model.setLongExposureMode(true);
    model.setMaxTime(59, 59, 999);
    ASSERT_TRUE(model.setTimeMs(99));
    EXPECT_EQ(model.displayText(), " 59 : 59 . 999");
    EXPECT_EQ(model.timeMs(), 99);
    ASSERT_TRUE(model.setTimeMs(0));
    EXPECT_EQ(model.totalMilliseconds(), longExposureIndexToMs(0));
    EXPECT_EQ(model.timeMs(), 0);
    EXPECT_FALSE(model.setTimeMs(100));
    EXPECT_FALSE(model.setTimeMs(-1));

    // A typed time gives the smallest index whose entry is not below it.
    ASSERT_TRUE(model.setTimeMs(40));
    model.setLongExposureMode(false);
    model.setTimeMs(120000);
    model.setLongExposureMode(true);
    const int index = model.timeMs();
    EXPECT_GE(longExposureIndexToMs(index), 120000);
    EXPECT_LT(longExposureIndexToMs(index - 1), 120000);
}

TEST(TimeEntryModel, SliderThirdsMapToMillisecondsSecondsAndMinutes) {
    TimeEntryModel model;                                               // 10 minutes at most
    const double travel = 120;                                          // thirds of 40
    EXPECT_EQ(model.timeAtSliderOffset(0, travel), (Fields{0, 0, 1}));  // 0 raised to 1
    EXPECT_EQ(model.timeAtSliderOffset(20, travel), (Fields{0, 0, 499}));
    EXPECT_EQ(model.timeAtSliderOffset(40, travel), (Fields{0, 0, 999}));
    EXPECT_EQ(model.timeAtSliderOffset(60, travel), (Fields{0, 30, 499}));
    EXPECT_EQ(model.timeAtSliderOffset(80, travel), (Fields{0, 59, 999}));
    EXPECT_EQ(model.timeAtSliderOffset(100, travel), (Fields{5, 29, 0}));
    EXPECT_EQ(model.timeAtSliderOffset(120, travel), (Fields{9, 59, 0}));

    // And back, on a slider of range 100.
    auto position = [&](int ms) {
        model.setTimeMs(ms);
        return model.sliderPosition(travel, 100);
    };
    EXPECT_EQ(position(1), 0);
    EXPECT_EQ(position(999), 33);
    EXPECT_EQ(position(30499), 49);  // 100 * 1.49998 / 3
    EXPECT_EQ(position(59999), 66);
    EXPECT_EQ(position(329000), 83);
    EXPECT_EQ(position(599000), 99);  // 100 * 2.99815 / 3
}

TEST(TimeEntryModel, SliderStaysWithinMaximaBelowTwoMinutes) {
    TimeEntryModel model;
    model.setMaxTime(0, 3, 0);  // 3.000 s at most
    EXPECT_EQ(model.timeAtSliderOffset(80, 120), (Fields{0, 3, 0}));
    EXPECT_EQ(model.timeAtSliderOffset(120, 120), (Fields{0, 3, 0}));
    EXPECT_EQ(model.timeAtSliderOffset(20, 120), (Fields{0, 0, 499}));
    model.setMaxTime(1, 0, 0);  // one minute: the upper third runs 59 s .. 60 s
    EXPECT_EQ(model.timeAtSliderOffset(120, 120), (Fields{1, 0, 0}));
    model.setTimeMs(60000);
    EXPECT_EQ(model.sliderPosition(120, 100), 100);
    model.setMaxTime(0, 0, 0);
    EXPECT_EQ(model.timeAtSliderOffset(120, 120), (Fields{0, 0, 0}));
    EXPECT_EQ(model.timeAtSliderOffset(50, 0), (Fields{0, 0, 0}));  // no travel
    EXPECT_EQ(model.sliderPosition(0, 100), 0);
}

TEST(TimeEntryModel, SliderWritesKeepTheSelectedFieldWithoutSync) {
    Recorded r;
    r.model.setSelectedField(kS);
    r.model.setFromSlider({3, 4, 5});
    EXPECT_EQ(r.model.displayText(), " 03 : 04 . 005");
    EXPECT_EQ(r.model.selectedField(), kS);
    EXPECT_EQ(r.writes, (std::vector<bool>{false, false, false}));
}

}  // namespace
}  // namespace korvel::camera
