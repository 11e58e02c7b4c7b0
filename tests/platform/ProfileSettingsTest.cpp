#include "platform/ProfileSettings.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStandardPaths>

using namespace korvel::platform;

TEST(ProfileSettings, ValuesSurviveANewStoreAndMissingOnesGiveDefaults) {
    {
        ProfileSettings store("Korvel 7.1.1.2 eng");
        EXPECT_EQ(store.getProfileInt("Options", "JpegQuality", 90), 90);
        EXPECT_EQ(store.getProfileString("FileSave", "sPath", "D:\\"), "D:\\");
        EXPECT_FALSE(store.hasProfileValue("Options", "JpegQuality"));
        store.writeProfileInt("Options", "JpegQuality", 75);
        store.writeProfileString("TextTool", "lfFaceName", "DejaVu Sans");
        store.writeProfileBinary("CommandBars", "State", QByteArray("\0\1\2", 3));
    }
    ProfileSettings store("Korvel 7.1.1.2 eng");
    EXPECT_EQ(store.getProfileInt("Options", "JpegQuality", 90), 75);
    EXPECT_EQ(store.getProfileString("TextTool", "lfFaceName", "Arial"), "DejaVu Sans");
    EXPECT_EQ(store.getProfileBinary("CommandBars", "State"), QByteArray("\0\1\2", 3));
}

TEST(ProfileSettings, LivesUnderTheConfigFolderWithCompanyAndApplicationKeys) {
    ProfileSettings store("Korvel 7.1.1.2 eng");
    store.writeProfileInt("Screen", "maximized", 1);
    store.flush();
    const QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    EXPECT_EQ(store.fileName(), config + "/Brenic Imaging (brenic.example)/Korvel 7.1.1.2 eng.ini");
    EXPECT_TRUE(QFileInfo::exists(store.fileName()));
}

TEST(ProfileSettings, ATextWhereANumberBelongsGivesTheDefault) {
    ProfileSettings store("Korvel 7.1.1.2 eng");
    store.writeProfileString("Screen", "left", "abc");
    EXPECT_EQ(store.getProfileInt("Screen", "left", 17), 17);
    store.writeProfileInt("Screen", "left", -5);
    EXPECT_EQ(store.getProfileInt("Screen", "left", 17), -5);
}
