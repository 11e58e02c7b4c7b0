#include "document/ImageFormats.h"

#include <gtest/gtest.h>

using namespace korvel::document;

TEST(FileTypeFromName, FourCharacterEndingsComeFirst) {
    EXPECT_EQ(fileTypeFromName("logo.WBMP"), 9);
    EXPECT_EQ(fileTypeFromName("a.wbmp"), 9);
    EXPECT_EQ(fileTypeFromName("scan.TIFF"), 6);
    EXPECT_EQ(fileTypeFromName("photo.jpeg"), 3);
    EXPECT_EQ(fileTypeFromName("clip.Avi"), kFileTypeAvi);
    EXPECT_EQ(fileTypeFromName("notes.txt"), 0);
    EXPECT_EQ(fileTypeFromName("nodotbmp"), 1);
    EXPECT_EQ(fileTypeFromName(""), 0);
}

TEST(FileTypeFromName, EveryEndingOfTheTable) {
    const std::pair<const char*, int> cases[] = {
        {"x.bmp", 1},  {"x.gif", 2},  {"x.jpg", 3},  {"x.png", 4},  {"x.ico", 5},
        {"x.tif", 6},  {"x.tga", 7},  {"x.pcx", 8},  {"x.wmf", 10}, {"x.emf", 10},
        {"x.j2k", 11}, {"x.jp2", 11}, {"x.j2c", 12}, {"x.jpc", 12}, {"x.pgx", 13},
        {"x.pnm", 14}, {"x.pgm", 14}, {"x.ppm", 14}, {"x.ras", 15}, {"x.cur", 0},
    };
    for (const auto& [name, id] : cases) {
        EXPECT_EQ(fileTypeFromName(name), id) << name;
    }
}

TEST(ImageFormatTable, LookupsByFormatId) {
    EXPECT_EQ(imageFormatTable().size(), 16u);
    EXPECT_EQ(formatDescription(3), "JPG files");
    EXPECT_EQ(formatDescription(3).left(3), "JPG");
    EXPECT_EQ(formatPatterns(14), "*.pnm;*.pgm;*.ppm");
    EXPECT_EQ(formatDescription(99), "");
    EXPECT_TRUE(formatCanSave(1));
    EXPECT_FALSE(formatCanSave(10));
    EXPECT_FALSE(formatCanSave(99));
}

TEST(ImageFileDialog, OpenListsEveryRowAndStartsOnSupportedFiles) {
    const FileDialogSetup setup = imageFileDialogSetup(FileDialogMode::Open, kFormatAllSupported);
    ASSERT_EQ(setup.filters.size(), 16);
    EXPECT_TRUE(setup.filters.front().startsWith("Supported files (*.bmp *.gif"));
    EXPECT_EQ(setup.filterIndex, 1);
    EXPECT_EQ(setup.defaultExtension, "bmp");
    EXPECT_EQ(setup.formatIds[14], 15);  // RAS is listed before PNM
    EXPECT_EQ(setup.formatIds[15], 14);
}

TEST(ImageFileDialog, SaveNeverListsWmfAndCountsOnlySaveRows) {
    const FileDialogSetup setup = imageFileDialogSetup(FileDialogMode::Save, 11);
    EXPECT_EQ(setup.filters.size(), 15);
    for (const QString& filter : setup.filters) {
        EXPECT_FALSE(filter.startsWith("WMF EMF files"));
    }
    // Rows with the save flag: -1, 1..9, then 11 at position 11.
    EXPECT_EQ(setup.filterIndex, 11);
    EXPECT_EQ(setup.formatIds[setup.filterIndex - 1], 11);
    EXPECT_EQ(setup.defaultExtension, "j2k");
}

TEST(ImageFileDialog, FormatZeroMeansBmpAndUnknownIdsStartAtTheFirstFilter) {
    const FileDialogSetup bmp = imageFileDialogSetup(FileDialogMode::Save, 0);
    EXPECT_EQ(bmp.filterIndex, 2);
    EXPECT_EQ(bmp.defaultExtension, "bmp");
    const FileDialogSetup jpg = imageFileDialogSetup(FileDialogMode::Save, 3);
    EXPECT_EQ(jpg.defaultExtension, "jpg");
    const FileDialogSetup unknown = imageFileDialogSetup(FileDialogMode::Save, 42);
    EXPECT_EQ(unknown.filterIndex, 1);
    EXPECT_EQ(unknown.defaultExtension, "");
    const FileDialogSetup wmfSave = imageFileDialogSetup(FileDialogMode::Save, 10);
    EXPECT_EQ(wmfSave.filterIndex, 1);
}
