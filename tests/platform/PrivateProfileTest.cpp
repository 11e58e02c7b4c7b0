#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace korvel::platform;

namespace {

QString writeFile(const QString& name, const QByteArray& content) {
    QFile file(QDir::current().filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return file.fileName();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

}  // namespace

TEST(PrivateProfile, MissingFileSectionOrKeyGivesTheDefault) {
    const QString path = writeFile("a.ini", "[CAMERA]\nType13=0\n");
    EXPECT_EQ(getPrivateProfileInt("CAMERA", "Type13", 1, "missing.ini"), 1);
    EXPECT_EQ(getPrivateProfileInt("OTHER", "Type13", 1, path), 1);
    EXPECT_EQ(getPrivateProfileInt("CAMERA", "Type14", 7, path), 7);
    EXPECT_EQ(getPrivateProfileInt("CAMERA", "Type13", 1, path), 0);
    EXPECT_EQ(getPrivateProfileString("CAMERA", "none", "dflt", path), "dflt");
}

TEST(PrivateProfile, NamesCompareWithoutRegardToCase) {
    const QString path = writeFile("b.ini", "[Camera]\n  tYpE13 = 42 \n");
    EXPECT_EQ(getPrivateProfileInt("CAMERA", "Type13", 1, path), 42);
    EXPECT_EQ(getPrivateProfileString("camera", "TYPE13", {}, path), "42");
}

TEST(PrivateProfile, IntegersAreTheLeadingDecimalNumber) {
    const QString path =
        writeFile("c.ini", "[S]\na=12abc\nb=abc\nc= -7x\nd=\ne=99999999999\nf=+5\n");
    EXPECT_EQ(getPrivateProfileInt("S", "a", 1, path), 12);
    EXPECT_EQ(getPrivateProfileInt("S", "b", 1, path), 0);
    EXPECT_EQ(getPrivateProfileInt("S", "c", 1, path), -7);
    EXPECT_EQ(getPrivateProfileInt("S", "d", 1, path), 0);
    EXPECT_EQ(getPrivateProfileInt("S", "e", 1, path), 2147483647);
    EXPECT_EQ(getPrivateProfileInt("S", "f", 1, path), 5);
}

TEST(PrivateProfile, WriteKeepsOtherSectionsAndLines) {
    const QString path =
        writeFile("d.ini", "; comment\n[First]\nx=1\n\n[CAMERA]\nType3=1\nType4=1\n[Last]\nz=3\n");
    ASSERT_TRUE(writePrivateProfileString("camera", "TYPE3", QString("0"), path));
    EXPECT_EQ(readFile(path),
              "; comment\n[First]\nx=1\n\n[CAMERA]\nTYPE3=0\nType4=1\n[Last]\nz=3\n");

    ASSERT_TRUE(writePrivateProfileString("First", "y", QString("2"), path));
    EXPECT_EQ(getPrivateProfileInt("First", "y", 0, path), 2);
    EXPECT_EQ(getPrivateProfileInt("First", "x", 0, path), 1);
    EXPECT_EQ(getPrivateProfileInt("Last", "z", 0, path), 3);

    ASSERT_TRUE(writePrivateProfileString("Last", "z", std::nullopt, path));
    EXPECT_EQ(getPrivateProfileInt("Last", "z", -1, path), -1);
}

TEST(PrivateProfile, WriteCreatesFileFolderAndSection) {
    const QString path = QDir::current().filePath("sub/dir/new.ini");
    ASSERT_TRUE(writePrivateProfileString("CAMERA", "Type13", QString("0"), path));
    EXPECT_EQ(readFile(path), "[CAMERA]\nType13=0\n");
}

TEST(PrivateProfile, CrLfFilesStayCrLf) {
    const QString path = writeFile("e.ini", "[A]\r\nk=1\r\n");
    ASSERT_TRUE(writePrivateProfileString("A", "j", QString("2"), path));
    EXPECT_EQ(readFile(path), "[A]\r\nk=1\r\nj=2\r\n");
}

TEST(PrivateProfile, UnwritableLocationFailsWithoutTouchingAnything) {
    EXPECT_FALSE(writePrivateProfileString("A", "k", QString("1"), "/proc/korvel/x.ini"));
}
