#include "app/AppSettings.h"
#include "common/RecordingSettingsStore.h"

#include <gtest/gtest.h>

using namespace korvel::app;
using korvel::test::RecordingSettingsStore;

TEST(AppSettings, AnEmptyStoreGivesEveryDefault) {
    RecordingSettingsStore store;
    const AppSettings s = AppSettings::load(store, "/home/u/Pictures/");
    EXPECT_EQ(s.text.faceName, "Arial");
    EXPECT_EQ(s.text.charSet, 238);
    EXPECT_EQ(s.text.foreground, 0xA0FFFFu);
    EXPECT_EQ(s.text.background, 0x6020u);
    EXPECT_EQ(s.text.opaque, 1);
    EXPECT_EQ(s.text.opacity, 0.0f);
    EXPECT_EQ(s.text.roundRadius, 25);
    EXPECT_EQ(s.jpegQuality, 90);
    EXPECT_EQ(s.showScaleLine, 1);
    EXPECT_EQ(s.maximized, 0);
    EXPECT_EQ(s.savePath, "/home/u/Pictures/");
    EXPECT_TRUE(store.writes.isEmpty());
}

TEST(AppSettings, OpacityIsReadInSinglePrecisionAndWrittenTruncated) {
    EXPECT_EQ(opacityFromPercent(37), 0.37f);
    EXPECT_FLOAT_EQ(opacityFromPercent(37), 0.3700000048f);
    EXPECT_EQ(opacityFromPercent(10), 0.099999994f);
    const std::pair<int, int> roundTrips[] = {{37, 37}, {10, 9},    {1, 0}, {25, 25},
                                              {50, 50}, {100, 100}, {0, 0}};
    for (const auto& [stored, written] : roundTrips) {
        RecordingSettingsStore store;
        store.values["TextTool/opacity"] = stored;
        AppSettings::load(store, {}).saveAtClose(store);
        EXPECT_EQ(store.values["TextTool/opacity"].toInt(), written) << stored;
    }
}

TEST(AppSettings, RoundRadiusIsReadFromOneKeyAndWrittenToAnother) {
    RecordingSettingsStore store;
    store.values["TextTool/roundradius"] = 40;
    AppSettings s = AppSettings::load(store, {});
    EXPECT_EQ(s.text.roundRadius, 40);
    s.text.roundRadius = 70;  // changed while running
    s.saveAtClose(store);
    EXPECT_EQ(store.values["TextTool/r_radius"].toInt(), 70);
    EXPECT_EQ(store.values["TextTool/roundradius"].toInt(), 40);
    // The next start still shows the roundradius value.
    EXPECT_EQ(AppSettings::load(store, {}).text.roundRadius, 40);
}

TEST(AppSettings, ByteKeysAreTruncatedAndOpaqueIsNeverWritten) {
    RecordingSettingsStore store;
    store.values["TextTool/lfCharSet"] = 300;
    store.values["TextTool/opaque"] = 0;
    const AppSettings s = AppSettings::load(store, {});
    EXPECT_EQ(s.text.charSet, 300 % 256);
    EXPECT_EQ(s.text.opaque, 0);
    s.saveAtClose(store);
    EXPECT_FALSE(store.writes.contains("TextTool/opaque"));
}

TEST(AppSettings, ALongFaceNameIsCutTo31Characters) {
    RecordingSettingsStore store;
    const QString longName = "A Very Long Typeface Name That Goes On And On";
    store.values["TextTool/lfFaceName"] = longName;
    const AppSettings s = AppSettings::load(store, {});
    EXPECT_EQ(s.text.faceName, longName.left(31));
    EXPECT_EQ(fitFaceName("Arial"), "Arial");
}

TEST(AppSettings, CloseWritesTheKeysInTheirOrder) {
    RecordingSettingsStore store;
    AppSettings s = AppSettings::load(store, "/pics/");
    s.saveAtClose(store);
    const QStringList expected = {
        "TextTool/lfFaceName", "TextTool/lfCharSet",     "TextTool/lfWeight",
        "TextTool/lfItalic",   "TextTool/lfUnderline",   "TextTool/fcolor",
        "TextTool/bcolor",     "TextTool/opacity",       "TextTool/r_radius",
        "Options/JpegQuality", "Measure/bShowScaleLine", "FileSave/sPath",
    };
    EXPECT_EQ(store.writes, expected);
    EXPECT_EQ(store.values["FileSave/sPath"].toString(), "/pics/");
}

TEST(AppSettings, TheTextRecordCarriesTheTextToolSettingsBothWays) {
    TextToolSettings settings;
    settings.faceName = "DejaVu Sans";
    settings.charSet = 0;
    settings.opacity = 0.37f;
    settings.roundRadius = 40;
    const tagKxTextInfo record = toTextInfo(settings);
    EXPECT_STREQ(record.lfont.lfFaceName, "DejaVu Sans");
    EXPECT_EQ(record.b_opacity, 0.37f);
    EXPECT_EQ(record.b_round, 40);
    TextToolSettings back;
    fromTextInfo(record, back);
    EXPECT_EQ(back.faceName, "DejaVu Sans");
    EXPECT_EQ(back.charSet, 0);
    EXPECT_EQ(back.roundRadius, 40);
    EXPECT_EQ(percentFromOpacity(back.opacity), 37);
}
