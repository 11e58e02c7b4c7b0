#include "document/ImageFileDialog.h"

#include <gtest/gtest.h>

using namespace korvel::document;

TEST(PromptForImageFile, OpenStartsOnSupportedFilesAndHandsBackTheChosenFormat) {
    ImageFileRequest seen;
    const auto runner = [&](ImageFileRequest& request, QWidget*) {
        seen = request;
        request.path = "/pics/scan.tif";
        request.chosenFilter = 7;  // "TIF files"
        return true;
    };
    QString path;
    int format = kFormatAllSupported;
    ASSERT_TRUE(promptForImageFile(path, FileDialogMode::Open, &format, runner));
    EXPECT_EQ(seen.title, "Open image file");
    EXPECT_EQ(seen.setup.filterIndex, 1);
    EXPECT_EQ(seen.setup.filters.size(), 16);
    EXPECT_EQ(path, "/pics/scan.tif");
    EXPECT_EQ(format, 6);
}

TEST(PromptForImageFile, SaveProposesTheNameAndStartsOnItsFormat) {
    ImageFileRequest seen;
    const auto runner = [&](ImageFileRequest& request, QWidget*) {
        seen = request;
        return true;
    };
    QString path = "UntitledImage.jpg";
    int format = 3;
    ASSERT_TRUE(promptForImageFile(path, FileDialogMode::Save, &format, runner));
    EXPECT_EQ(seen.title, "Save image file");
    EXPECT_EQ(seen.path, "UntitledImage.jpg");
    EXPECT_EQ(seen.setup.defaultExtension, "jpg");
    EXPECT_EQ(seen.setup.formatIds[seen.setup.filterIndex - 1], 3);
    EXPECT_EQ(format, 3);
}

TEST(PromptForImageFile, CancelLeavesPathAndFormatAlone) {
    QString path = "keep.bmp";
    int format = 1;
    EXPECT_FALSE(
        promptForImageFile(path, FileDialogMode::Save, &format, [](ImageFileRequest& r, QWidget*) {
            r.path = "changed";
            r.chosenFilter = 3;
            return false;
        }));
    EXPECT_EQ(path, "keep.bmp");
    EXPECT_EQ(format, 1);
    // Without a format argument nothing is handed back, and nothing breaks.
    EXPECT_TRUE(promptForImageFile(path, FileDialogMode::Open, nullptr,
                                   [](ImageFileRequest&, QWidget*) { return true; }));
}

TEST(ImageFileDialogSetup, EveryFormatIdInBothModes) {
    for (const ImageFormatRow& row : imageFormatTable()) {
        for (const FileDialogMode mode : {FileDialogMode::Open, FileDialogMode::Save}) {
            const FileDialogSetup setup = imageFileDialogSetup(mode, row.id);
            const bool listed = mode == FileDialogMode::Open ? row.open : row.save;
            if (listed) {
                EXPECT_EQ(setup.formatIds[setup.filterIndex - 1], row.id) << row.id;
            } else {
                EXPECT_EQ(setup.filterIndex, 1) << row.id;
            }
            EXPECT_EQ(setup.defaultExtension, QString(row.patterns).mid(2, 3)) << row.id;
            EXPECT_TRUE(setup.filters.join(';').contains(row.description) || !listed);
        }
    }
}
