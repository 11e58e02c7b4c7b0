#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

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

TEST(Paths, AMissingPicturesFolderIsMade) {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    ASSERT_FALSE(pictures.isEmpty());
    QDir(pictures).removeRecursively();
    ASSERT_FALSE(QDir(pictures).exists());
    EXPECT_EQ(defaultSaveFolder(), pictures + "/");
    EXPECT_TRUE(QDir(pictures).exists());
}
