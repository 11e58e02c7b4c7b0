#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "camera/CameraModels.h"

namespace korvel::camera {
namespace {

// ---------------------------------------------------------------------------------------
// Model initializer

struct Exposure {
    int minimum, maximum, value;
    int aeFloor, aeCeiling;
    int t1, t2, t3;
};

struct Expected {
    int type;
    Exposure normal;
    Exposure longExposure;
    int largestStep;
    int aeGainCeiling, g2;
    int softwareAe, speedSwitching;
    int saturation, enhancement, monochrome, colourGains;
    int frameSpeed, lightFrequency, mosaicMode;
    QuickBalance quickBalance;
};

constexpr Exposure kRx{1, 3000, 40, 1, 2500, 40, 800, 2000};
constexpr Exposure kRxLong{0, 99, 30, 0, 70, 30, 50, 55};
constexpr Exposure plain(int minimum, int maximum, int value) {
    return {minimum, maximum, value, 0, 0, 1, 1, 1};
}
constexpr QuickBalance kNone{0, 64, 64, 64};
constexpr QuickBalance qb(int r, int g, int b) {
    return {1, r, g, b};
}

const std::vector<Expected> kExpected{
    {1, plain(1, 304, 155), plain(1, 304, 155), 8, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, qb(97, 64, 59)},
    {3, plain(1, 756, 200), plain(1, 756, 200), 8, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1,
     qb(132, 64, 82)},
    {4, plain(1, 456, 100), plain(1, 456, 100), 8, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, qb(68, 64, 76)},
    {8, plain(1, 250, 80), plain(1, 250, 80), 8, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, qb(68, 64, 76)},
    {10, kRx, kRxLong, 5, 5, 3, 1, 1, 0, 0, 0, 0, 0, 0, 0, kNone},
    {11, kRx, kRxLong, 5, 5, 3, 1, 1, 1, 1, 0, 1, 0, 0, 0, qb(93, 64, 90)},
    {12, kRx, kRxLong, 8, 8, 3, 1, 1, 0, 0, 0, 0, 0, 0, 0, kNone},
    {13, kRx, kRxLong, 8, 8, 3, 1, 1, 1, 1, 1, 1, 0, 0, 0, qb(82, 64, 99)},
    {14, kRx, kRxLong, 4, 4, 2, 0, 1, 1, 1, 1, 1, 0, 0, 0, qb(83, 64, 97)},
    {16, kRx, kRxLong, 5, 5, 3, 1, 1, 0, 0, 0, 0, 0, 0, 0, kNone},
    {17, kRx, kRxLong, 8, 8, 3, 1, 1, 0, 0, 0, 0, 0, 0, 0, kNone},
    {18, plain(1, 756, 200), plain(1, 756, 200), 8, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 1, kNone},
    {21,
     {1, 3000, 20, 1, 2500, 40, 800, 2000},
     {0, 99, 10, 0, 70, 30, 50, 55},
     9,
     9,
     2,
     1,
     1,
     1,
     1,
     1,
     1,
     0,
     0,
     0,
     qb(103, 64, 109)},
    {23, kRx, kRxLong, 8, 8, 3, 0, 1, 1, 1, 1, 1, 0, 0, 0, qb(82, 64, 99)},
    {24, plain(1, 3000, 20), plain(0, 99, 20), 4, 1, 1, 0, 0, 1, 1, 1, 1, 0, 0, 0, kNone},
    {25, plain(1, 870, 1), plain(1, 870, 1), 4, 1, 1, 0, 0, 1, 1, 1, 1, 0, 0, 0, kNone},
    {26, plain(1, 456, 100), plain(1, 456, 100), 8, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, kNone},
    {27, plain(1, 304, 155), plain(1, 304, 155), 8, 1, 1, 0, 0, 1, 1, 1, 1, 0, 1, 1,
     qb(97, 64, 59)},
    {28,
     {1, 750, 155, 1, 750, 1, 500, 700},
     {1, 750, 155, 1, 750, 1, 500, 700},
     8,
     8,
     3,
     0,
     0,
     1,
     1,
     1,
     1,
     0,
     1,
     1,
     qb(97, 64, 59)},
};

void expectControl(const CameraControl& control, int flag, int minimum, int maximum, int value,
                   const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(control.flag, flag);
    EXPECT_EQ(control.minimum, minimum);
    EXPECT_EQ(control.maximum, maximum);
    EXPECT_EQ(control.value, value);
}

class ModelInitializer : public testing::TestWithParam<bool> {};

TEST_P(ModelInitializer, FillsEveryColumnOfTheModelDefaults) {
    const bool longExposure = GetParam();
    ASSERT_EQ(kExpected.size(), cameraModels().size());
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(testing::Message() << "type " << e.type << (longExposure ? " long" : ""));
        CameraRecord record;
        record.typeId = e.type;
        record.longExposureMode = longExposure ? 1 : 0;
        record.parameterSetInUse = 3;
        ASSERT_TRUE(initializeCameraModel(record));
        const Exposure& x = longExposure ? e.longExposure : e.normal;

        EXPECT_EQ(record.autoExposure.flag, 1);
        EXPECT_EQ(record.autoExposure.value, 1);
        expectControl(record.exposure, 1, x.minimum, x.maximum, x.value, "exposure");
        expectControl(record.aeTarget, 1, -5, 5, e.type == 25 ? -5 : 0, "target");
        expectControl(record.analogGain, 1, 1, e.largestStep, 1, "gain");
        expectControl(record.gamma, 1, -20, 20, 0, "gamma");
        expectControl(record.contrast, 1, -20, 20, 0, "contrast");
        if (e.saturation) {
            expectControl(record.saturation, 1, -20, 20, 0, "saturation");
        } else if (e.type == 10) {
            expectControl(record.saturation, 0, -1, 1, 0, "saturation");
        } else {
            EXPECT_EQ(record.saturation.flag, 0);
        }
        EXPECT_EQ(record.colourEnhancement.flag, e.enhancement);
        EXPECT_EQ(record.monochrome.flag, e.monochrome);
        EXPECT_EQ(record.colourGains.flag, e.colourGains);
        for (const CameraControl* gain :
             {&record.colourGains.red, &record.colourGains.green, &record.colourGains.blue}) {
            expectControl(*gain, e.colourGains, 20, 200, 64, "colour gain");
        }
        EXPECT_EQ(record.mirror0.flag, 1);
        EXPECT_EQ(record.mirror0.value, 0);
        EXPECT_EQ(record.mirror1.flag, 1);
        EXPECT_EQ(record.mirror1.value, e.type == 28 ? 1 : 0);
        EXPECT_EQ(record.frameSpeed.flag, e.frameSpeed);
        EXPECT_EQ(record.lightFrequency.flag, e.lightFrequency);
        EXPECT_EQ(record.mosaicMode.flag, e.mosaicMode);
        EXPECT_EQ(record.parameterSetInUse, 0);
        EXPECT_EQ(record.parameterSetAtOpen, 0);

        EXPECT_EQ(record.aeTuning.exposureFloor, x.aeFloor);
        EXPECT_EQ(record.aeTuning.exposureCeiling, x.aeCeiling);
        EXPECT_EQ(record.aeTuning.t1, x.t1);
        EXPECT_EQ(record.aeTuning.t2, x.t2);
        EXPECT_EQ(record.aeTuning.t3, x.t3);
        EXPECT_EQ(record.aeTuning.gainFloorStep, 1);
        EXPECT_EQ(record.aeTuning.gainCeilingStep, e.aeGainCeiling);
        EXPECT_EQ(record.aeTuning.g1, 1);
        EXPECT_EQ(record.aeTuning.g2, e.g2);
        EXPECT_EQ(record.softwareAutoExposure, e.softwareAe);
        EXPECT_EQ(record.automaticSpeedSwitching, e.speedSwitching);

        EXPECT_EQ(record.quickBalance.flag, e.quickBalance.flag);
        EXPECT_EQ(record.quickBalance.red, e.quickBalance.red);
        EXPECT_EQ(record.quickBalance.green, e.quickBalance.green);
        EXPECT_EQ(record.quickBalance.blue, e.quickBalance.blue);

        EXPECT_EQ(record.backgroundCorrectionApplied, e.type == 11 ? 1 : 0);
        EXPECT_EQ(record.separateCaptureAllowed, e.type == 14 ? 0 : 1);
    }
}

INSTANTIATE_TEST_SUITE_P(BothExposureModes, ModelInitializer, testing::Bool(),
                         [](const auto& info) { return info.param ? "LongExposure" : "Normal"; });

TEST(ModelInitializerWithoutEntry, ReportsFailureAndClearsEveryFlag) {
    for (int type : {-1, 0, 2, 5, 9, 15, 19, 20, 22, 29, 99}) {
        SCOPED_TRACE(type);
        CameraRecord record;
        record.typeId = 13;
        ASSERT_TRUE(initializeCameraModel(record));
        record.typeId = type;  // a record reused for a model without an entry
        EXPECT_FALSE(initializeCameraModel(record));
        EXPECT_EQ(record.autoExposure.flag, 0);
        EXPECT_EQ(record.exposure.flag, 0);
        EXPECT_EQ(record.aeTarget.flag, 0);
        EXPECT_EQ(record.analogGain.flag, 0);
        EXPECT_EQ(record.gamma.flag, 0);
        EXPECT_EQ(record.contrast.flag, 0);
        EXPECT_EQ(record.saturation.flag, 0);
        EXPECT_EQ(record.colourEnhancement.flag, 0);
        EXPECT_EQ(record.mirror0.flag, 0);
        EXPECT_EQ(record.mirror1.flag, 0);
        EXPECT_EQ(record.monochrome.flag, 0);
        EXPECT_EQ(record.colourGains.flag, 0);
        EXPECT_EQ(record.colourGains.red.flag, 0);
        EXPECT_EQ(record.frameSpeed.flag, 0);
        EXPECT_EQ(record.lightFrequency.flag, 0);
        EXPECT_EQ(record.mosaicMode.flag, 0);
        EXPECT_EQ(record.quickBalance.flag, 0);
        EXPECT_EQ(record.softwareAutoExposure, 0);
    }
}

TEST(ModelInitializer, KeepsTheFieldsThatAreNotModelDefaults) {
    CameraRecord record;
    record.typeId = 13;
    record.width = 1024;
    record.height = 768;
    record.previewResolution = 1;
    record.snapshot.sFilename = "Cells";
    record.pixelCorrections.replace(PixelCorrectionList::List(3));
    ASSERT_TRUE(initializeCameraModel(record));
    EXPECT_EQ(record.width, 1024);
    EXPECT_EQ(record.previewResolution, 1);
    EXPECT_EQ(record.snapshot.sFilename, "Cells");
    EXPECT_EQ(record.pixelCorrections.size(), 3u);
    EXPECT_EQ(record.state, kCameraClosed);
}

TEST(ModelInitializer, TypeTwelveAndModelsWithoutSeparateResolutionsForceTheLock) {
    for (const int type : {12, 14}) {
        CameraRecord record;
        record.typeId = type;
        record.resolutionLock = 0;  // as "ResLock" 0 left it
        ASSERT_TRUE(initializeCameraModel(record));
        EXPECT_EQ(record.resolutionLock, 1) << type;
        EXPECT_TRUE(resolutionLockForced(record)) << type;
    }
    // Type 12 may still choose a capture resolution of its own; only the lock is forced.
    CameraRecord twelve;
    twelve.typeId = 12;
    ASSERT_TRUE(initializeCameraModel(twelve));
    EXPECT_EQ(twelve.separateCaptureAllowed, 1);

    for (const int type : {13, 17}) {
        CameraRecord record;
        record.typeId = type;
        record.resolutionLock = 0;
        ASSERT_TRUE(initializeCameraModel(record));
        EXPECT_EQ(record.resolutionLock, 0) << type;
    }
}

TEST(PixelCorrectionList, ReadersKeepTheListTheyTookWhileItIsReplaced) {
    CameraRecord record;
    EXPECT_TRUE(record.pixelCorrections.empty());
    ASSERT_NE(record.pixelCorrections.snapshot(), nullptr);
    record.pixelCorrections.replace(PixelCorrectionList::List(2));
    const auto taken = record.pixelCorrections.snapshot();
    record.pixelCorrections.replace(PixelCorrectionList::List(5));
    EXPECT_EQ(taken->size(), 2u);
    EXPECT_EQ(record.pixelCorrections.size(), 5u);
    // A copy of the record (the settings sheet's backup) shares the list, not its bytes.
    const CameraRecord backup = record;
    EXPECT_EQ(backup.pixelCorrections.snapshot(), record.pixelCorrections.snapshot());
    record.pixelCorrections.clear();
    EXPECT_EQ(record.pixelCorrections.size(), 0u);
    EXPECT_EQ(backup.pixelCorrections.size(), 5u);
}

// ---------------------------------------------------------------------------------------
// Model table

TEST(ModelTable, NamesSectionsAndKeys) {
    EXPECT_EQ(registrySection(13), "RX3C");
    EXPECT_EQ(firstUseIniKey(13), "CAMERA_RX3C");
    EXPECT_EQ(registrySection(18), "UNKNOW");
    EXPECT_EQ(registrySection(27), "PX6");
    EXPECT_EQ(firstUseIniKey(27), "CAMERA_UNKNOW");
    EXPECT_EQ(registrySection(99), "UNKNOW");
    EXPECT_EQ(firstUseIniKey(-1), "CAMERA_UNKNOW");
}

TEST(ModelTable, SelectCameraPairsPointAtEachOther) {
    for (const CameraModel& model : cameraModels()) {
        if (model.pairedTypeId == 0) {
            EXPECT_TRUE(model.selectCameraText.empty()) << model.typeId;
            continue;
        }
        const CameraModel* partner = findCameraModel(model.pairedTypeId);
        ASSERT_NE(partner, nullptr) << model.typeId;
        EXPECT_FALSE(model.selectCameraText.empty());
    }
    EXPECT_EQ(findCameraModel(3)->selectCameraText, "PX-2 Color");
    EXPECT_EQ(findCameraModel(18)->selectCameraText, "PX-2 B/W");
    EXPECT_EQ(findCameraModel(12)->selectCameraText, "RX-3 B/W");
    EXPECT_EQ(findCameraModel(23)->selectCameraText, "RX-4 Color");
}

TEST(ModelTable, LongExposureIsOfferedForTypesNineToTwentyFiveWithExceptions) {
    std::vector<int> offered;
    for (int type = -1; type <= 30; ++type) {
        if (supportsLongExposure(type)) {
            offered.push_back(type);
        }
    }
    EXPECT_EQ(offered, (std::vector<int>{9, 10, 11, 12, 13, 14, 16, 17, 21, 23, 24, 25}));
}

// ---------------------------------------------------------------------------------------
// Conversions

TEST(GainConversion, StepToRawUsesTheFamilyTable) {
    EXPECT_EQ(gainStepToRaw(1, 1), 1);
    EXPECT_EQ(gainStepToRaw(1, 8), 48);
    EXPECT_EQ(gainStepToRaw(10, 5), 570);
    EXPECT_EQ(gainStepToRaw(13, 2), 171);
    EXPECT_EQ(gainStepToRaw(14, 4), 504);
    EXPECT_EQ(gainStepToRaw(21, 9), 570);
    EXPECT_EQ(gainStepToRaw(25, 1), 228);
    EXPECT_EQ(gainStepToRaw(28, 8), 214);
    // Steps outside the table and models without an entry give 0.
    EXPECT_EQ(gainStepToRaw(10, 6), 0);
    EXPECT_EQ(gainStepToRaw(13, 0), 0);
    EXPECT_EQ(gainStepToRaw(99, 1), 0);
}

TEST(GainConversion, RawToStepTakesTheFirstEntryAtLeastAsLarge) {
    EXPECT_EQ(gainRawToStep(13, 0), 1);
    EXPECT_EQ(gainRawToStep(13, 87), 1);
    EXPECT_EQ(gainRawToStep(13, 88), 2);
    EXPECT_EQ(gainRawToStep(13, 171), 2);
    EXPECT_EQ(gainRawToStep(13, 570), 8);
    EXPECT_EQ(gainRawToStep(1, 33), 5);
    EXPECT_EQ(gainRawToStep(99, 300), 1);
}

TEST(GainConversion, RawAboveTheLargestValueGivesTheLargestStep) {
    EXPECT_EQ(gainRawToStep(1, 49), 8);
    EXPECT_EQ(gainRawToStep(10, 571), 5);
    EXPECT_EQ(gainRawToStep(14, 0xFFFF), 4);
    EXPECT_EQ(gainRawToStep(21, 1000), 9);
    EXPECT_EQ(gainRawToStep(24, 600), 4);
    EXPECT_EQ(gainRawToStep(28, 215), 8);
}

TEST(GammaConversion, StepsAndRawValues) {
    EXPECT_EQ(gammaStepToRaw(13, -20), 20);
    EXPECT_EQ(gammaStepToRaw(13, -1), 96);
    EXPECT_EQ(gammaStepToRaw(13, 0), 100);
    EXPECT_EQ(gammaStepToRaw(13, 1), 102);
    EXPECT_EQ(gammaStepToRaw(13, 20), 150);
    EXPECT_EQ(gammaRawToStep(13, 20), -20);
    EXPECT_EQ(gammaRawToStep(13, 96), -1);
    EXPECT_EQ(gammaRawToStep(13, 99), 0);
    EXPECT_EQ(gammaRawToStep(13, 100), 0);
    EXPECT_EQ(gammaRawToStep(13, 103), 1);
    EXPECT_EQ(gammaRawToStep(13, 150), 20);
}

TEST(ContrastConversion, StepsAndRawValues) {
    EXPECT_EQ(contrastStepToRaw(13, -20), 20);
    EXPECT_EQ(contrastStepToRaw(13, 0), 0);
    EXPECT_EQ(contrastStepToRaw(13, 1), 24);
    EXPECT_EQ(contrastStepToRaw(13, 20), 100);
    EXPECT_EQ(contrastRawToStep(13, 20), -20);
    EXPECT_EQ(contrastRawToStep(13, 0), 0);
    EXPECT_EQ(contrastRawToStep(13, 21), 0);
    EXPECT_EQ(contrastRawToStep(13, 24), 1);
    EXPECT_EQ(contrastRawToStep(13, 100), 20);
}

TEST(SaturationConversion, StepsAndRawValues) {
    EXPECT_EQ(saturationStepToRaw(13, -20), 8);
    EXPECT_EQ(saturationStepToRaw(13, 0), 128);
    EXPECT_EQ(saturationStepToRaw(13, 20), 248);
    EXPECT_EQ(saturationRawToStep(13, 8), -20);
    EXPECT_EQ(saturationRawToStep(13, 127), 0);
    EXPECT_EQ(saturationRawToStep(13, 122), -1);
    EXPECT_EQ(saturationRawToStep(13, 248), 20);
}

TEST(ImageControlConversion, ModelsWithoutTheControlGiveRawZeroAndStepMinusTwenty) {
    for (int type : {2, 5, 6, 7, 9, 15, 19, 20, 22}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(gammaStepToRaw(type, 5), 0);
        EXPECT_EQ(gammaRawToStep(type, 100), -20);
        EXPECT_EQ(contrastStepToRaw(type, 5), 0);
        EXPECT_EQ(contrastRawToStep(type, 40), -20);
        EXPECT_EQ(saturationStepToRaw(type, 5), 0);
        EXPECT_EQ(saturationRawToStep(type, 128), -20);
    }
    // Type 18 lacks saturation only.
    EXPECT_EQ(saturationStepToRaw(18, 0), 0);
    EXPECT_EQ(saturationRawToStep(18, 128), -20);
    EXPECT_EQ(gammaStepToRaw(18, 0), 100);
    EXPECT_EQ(contrastStepToRaw(18, 1), 24);
}

TEST(LongExposureTable, HoldsOneHundredRisingTimesUpToAnHour) {
    const auto table = longExposureTable();
    ASSERT_EQ(table.size(), 100u);
    EXPECT_TRUE(std::ranges::is_sorted(table));
    EXPECT_EQ(std::ranges::adjacent_find(table), table.end());
    EXPECT_EQ(longExposureIndexToMs(0), 1);
    EXPECT_EQ(longExposureIndexToMs(20), 21);
    EXPECT_EQ(longExposureIndexToMs(21), 24);
    EXPECT_EQ(longExposureIndexToMs(70), 43935);
    EXPECT_EQ(longExposureIndexToMs(99), 3599999);
    // Indices outside the table stay inside it.
    EXPECT_EQ(longExposureIndexToMs(-1), 1);
    EXPECT_EQ(longExposureIndexToMs(100), 3599999);
}

TEST(LongExposureTable, MillisecondsToIndexTakesTheFirstEntryAtLeastAsLong) {
    EXPECT_EQ(longExposureMsToIndex(0), 0);
    EXPECT_EQ(longExposureMsToIndex(1), 0);
    EXPECT_EQ(longExposureMsToIndex(21), 20);
    EXPECT_EQ(longExposureMsToIndex(22), 21);
    EXPECT_EQ(longExposureMsToIndex(3599999), 99);
    EXPECT_EQ(longExposureMsToIndex(3600000), 0);
    // Compared unsigned: a negative time is longer than every entry.
    EXPECT_EQ(longExposureMsToIndex(-5), 0);
    for (int i = 0; i < kLongExposureEntries; ++i) {
        EXPECT_EQ(longExposureMsToIndex(longExposureIndexToMs(i)), i);
    }
}

TEST(DefaultResolution, PerModel) {
    for (int type : {1, 25, 27})
        EXPECT_EQ(defaultResolutionIndex(type), 2) << type;
    for (int type : {3, 4, 21, 26})
        EXPECT_EQ(defaultResolutionIndex(type), 1) << type;
    EXPECT_EQ(defaultResolutionIndex(14), 4);
    EXPECT_EQ(defaultResolutionIndex(28), 3);
    for (int type : {-1, 8, 10, 13, 23, 24, 99})
        EXPECT_EQ(defaultResolutionIndex(type), 0) << type;
}

}  // namespace
}  // namespace korvel::camera
