#include "res/Resources.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <set>

namespace korvel::res {
namespace {

TEST(StringTable, IdsAreUniqueInEachTable) {
    for (const auto table : {stringTable(), cameraStringTable()}) {
        std::set<int> seen;
        for (const StringEntry& entry : table) {
            EXPECT_TRUE(seen.insert(entry.id).second) << "string " << entry.id << " twice";
            ASSERT_NE(entry.text, nullptr) << entry.id;
            EXPECT_NE(entry.text[0], '\0') << "string " << entry.id << " is empty";
        }
    }
}

TEST(StringTable, EveryTextIsValidUtf8) {
    for (const auto table : {stringTable(), cameraStringTable()}) {
        for (const StringEntry& entry : table) {
            const QByteArray bytes(entry.text);
            EXPECT_EQ(QString::fromUtf8(bytes).toUtf8(), bytes) << "string " << entry.id;
        }
    }
}

TEST(StringTable, ApplicationTexts) {
    EXPECT_EQ(loadString(57344), "Korvel 7.1.1.2 eng");
    EXPECT_EQ(loadString(128), "Korvel");
    EXPECT_EQ(loadString(129), "\nKorvel\nKorvel\n\n\nKorvel.Document\nKorvel Document");
    EXPECT_EQ(loadString(1257), "Korvel is running!");
    EXPECT_EQ(loadString(1241), "Korvel.pdf");
    EXPECT_EQ(loadString(1240), "Undo");
    EXPECT_EQ(loadString(1259), "Video");
}

TEST(StringTable, StartPageRefusalUsesFullWidthComma) {
    const QString text = loadString(1258);
    EXPECT_EQ(text, QString::fromUtf16(u"Start Page\uFF0CCannot close!"));
    EXPECT_EQ(text.size(), 24);
    EXPECT_EQ(text.at(10), QChar(0xFF0C));
    EXPECT_FALSE(text.contains(','));
}

TEST(StringTable, CommandBarAndPaneTexts) {
    EXPECT_EQ(loadString(1235), "Folder \n Folder");
    EXPECT_EQ(loadString(1237), "Standard");
    EXPECT_EQ(loadString(1238), "Measure");
    EXPECT_EQ(loadString(1239), "Image");
    // The status-bar pane strings size their panes by their number of blanks.
    EXPECT_EQ(loadString(59142), QString(1, ' '));
    EXPECT_EQ(loadString(59143), QString(28, ' '));
    EXPECT_EQ(loadString(59144), QString(8, ' '));
    EXPECT_EQ(loadString(59145), QString(28, ' '));
}

TEST(StringTable, CameraTexts) {
    EXPECT_EQ(loadString(1242), "Frame Count: ");
    EXPECT_EQ(loadString(1244), "Camera Exposure\nSet Time");
    EXPECT_EQ(loadString(1245), "Camera Exposure\nExposure");
    EXPECT_EQ(loadString(1246), "Camera Record\nStart Record");
    EXPECT_EQ(loadString(1247), "Camera Record\nStop Record");
    EXPECT_EQ(loadString(1249), "Main");
    EXPECT_EQ(loadString(1250), "Image Adjust");
    EXPECT_EQ(loadString(1251), "Parameter");
    EXPECT_EQ(loadString(1255), "Snap");
    EXPECT_EQ(loadString(1256), "Video");
    EXPECT_EQ(loadString(61446), "Resolution");
    EXPECT_EQ(loadString(61451), "This path can't save image!");
    EXPECT_EQ(loadString(61453),
              "Step1:Move the sample out of the view, then click the button of balance");
    EXPECT_EQ(loadString(61454), "Step2:Move the sample back , then click the button of finish");
}

TEST(StringTable, BrowserTexts) {
    EXPECT_EQ(loadString(32981), "Attention");
    EXPECT_EQ(loadString(32982), "Do you want to delete the image?");
    EXPECT_EQ(loadString(61452), "This file not exists!");
}

TEST(StringTable, CommandPromptsSplitIntoStatusTextAndTooltip) {
    EXPECT_EQ(loadString(32922), "Camera Preview\n Long Exposure");
    EXPECT_EQ(loadString(1230), "Camera Snap\nSnap");
    EXPECT_EQ(loadString(1231), "Camera Resolution\nResolution");
    EXPECT_EQ(loadString(1234), "Camera Record\nRecord");
    EXPECT_EQ(loadString(1261), "Auto White Balance\nAuto WB");
    EXPECT_EQ(loadString(32927), "Area White Balance\nArea WB");
    EXPECT_EQ(loadString(32940), "Camera Black Balance\nB.Balance");
    EXPECT_EQ(loadString(32928), "Camera Exposure\nExposure");
    EXPECT_EQ(loadString(32930), "Camera Property\nProperty");
    EXPECT_EQ(loadString(32923), "Camera Image Browser\n Browser");
    EXPECT_EQ(loadString(32983), "Video Cut\nCut");
    EXPECT_EQ(loadString(32984), "Video Restore\nRestore");
    EXPECT_EQ(loadString(32986), "Image Size\nImage Size");
    EXPECT_EQ(loadString(6003), "Camera Preview\nPreview");
    EXPECT_EQ(loadString(32938), "Camera Back Correction\nBK Correction");
    for (const int config : {32999, 33001, 33002}) {
        EXPECT_EQ(loadString(config), "Config...");
    }
}

TEST(StringTable, CameraScopeSeesItsOwnMeaningOfSharedNumbers) {
    EXPECT_EQ(loadString(32994, CommandScope::Camera), "Wizard WhiteBalance ");
    EXPECT_EQ(loadString(32995, CommandScope::Camera), "Quick WhiteBalance");
    EXPECT_EQ(loadString(32997, CommandScope::Camera), "Area WhiteBalance");
    EXPECT_EQ(loadString(32998, CommandScope::Camera), "Quick BlackBalance");
    EXPECT_TRUE(loadString(32985, CommandScope::Camera).endsWith("\nFull Screen"));
    // The same numbers are measurement commands in the workspace.
    EXPECT_TRUE(loadString(32985).endsWith("\nArc"));
    EXPECT_TRUE(loadString(32985, CommandScope::Workspace).endsWith("\nArc"));
    EXPECT_TRUE(loadString(32995).endsWith("\nParallen"));
    // Numbers the camera window does not redefine fall through to the common table.
    EXPECT_EQ(loadString(1230, CommandScope::Camera), "Camera Snap\nSnap");
}

TEST(StringTable, UnknownIdGivesEmptyText) {
    EXPECT_TRUE(loadString(-1).isEmpty());
    EXPECT_TRUE(loadString(0).isEmpty());
    EXPECT_TRUE(loadString(1243).isEmpty());
    EXPECT_TRUE(loadString(1243, CommandScope::Camera).isEmpty());
}

}  // namespace
}  // namespace korvel::res
