#include "platform/Paths.h"

#include <gtest/gtest.h>

using namespace korvel::platform;

TEST(Paths, FolderAndFileParts) {
    EXPECT_EQ(folderPart("/a/b/c.jpg"), "/a/b/");
    EXPECT_EQ(filePart("/a/b/c.jpg"), "c.jpg");
    EXPECT_EQ(folderPart("c.jpg"), "");
    EXPECT_EQ(filePart("c.jpg"), "c.jpg");
    EXPECT_EQ(filePart("/a/b/"), "");
    EXPECT_EQ(withTrailingSlash("/a"), "/a/");
    EXPECT_EQ(withTrailingSlash("/a/"), "/a/");
}

TEST(Paths, LinuxLocations) {
    const QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    EXPECT_EQ(brenicIniPath(), config + "/Brenic/BRENIC.ini");
    const QString save = defaultSaveFolder();
    EXPECT_TRUE(save.endsWith("/Pictures/")) << save.toStdString();
}
