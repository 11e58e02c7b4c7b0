#include "CameraFixture.h"
#include "CameraWindowFixture.h"

#include "camera/BackgroundCorrection.h"
#include "camera/CCameraFrame.h"
#include "camera/CCameraSettingSheet.h"
#include "camera/CImageAdjustPage.h"
#include "camera/CPreviewWnd.h"
#include "common/RecordingSettingsStore.h"
#include "framework/CommandActions.h"
#include "res/ids.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

using namespace korvel::camera;
using korvel::camera::test::newCameraWindow;
using korvel::camera::test::SimulatedCameraTest;

namespace {

// Bytes as the external program writes them: little-endian x and y, three percentages, a
// reserved byte.
QByteArray correctionBytes(std::initializer_list<std::array<int, 5>> records) {
    QByteArray bytes;
    for (const auto& [x, y, blue, green, red] : records) {
        for (const int v : {x, y}) {
            const auto u = static_cast<std::uint32_t>(v);
            bytes.append(char(u & 0xFF)).append(char(u >> 8 & 0xFF));
            bytes.append(char(u >> 16 & 0xFF)).append(char(u >> 24 & 0xFF));
        }
        bytes.append(char(blue)).append(char(green)).append(char(red)).append('\x7f');
    }
    return bytes;
}

class CorrectionFiles : public ::testing::Test {
protected:
    void writeIndex(const QByteArray& text) {
        QFile file(folder.filePath("BackCorr.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void writeTable(const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    CameraRecord openRecord() {
        CameraRecord record;
        record.typeId = 12;  // chosen in "Select Camera"; the table is the detected 13's
        record.width = 1024;
        record.height = 768;
        return record;
    }
    QTemporaryDir folder;
};

}  // namespace

TEST(PixelCorrectionFile, RecordsAreLittleEndianWithThreePercentages) {
    const auto records = parsePixelCorrections(
        correctionBytes({{5, 7, 50, 60, 70}, {-2, 0x01020304, 255, 1, 100}}), 2);
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 2u);
    EXPECT_EQ((*records)[0].x, 5);
    EXPECT_EQ((*records)[0].y, 7);
    EXPECT_EQ((*records)[0].percent[0], 50);
    EXPECT_EQ((*records)[0].percent[2], 70);
    EXPECT_EQ((*records)[1].x, -2);
    EXPECT_EQ((*records)[1].y, 0x01020304);
    EXPECT_EQ((*records)[1].percent[0], 255);
    EXPECT_EQ((*records)[1].reserved, 0x7f);

    // Fewer whole records than promised, or nothing promised: no table.
    QByteArray cut = correctionBytes({{1, 1, 50, 50, 50}, {2, 2, 50, 50, 50}});
    cut.chop(1);
    EXPECT_FALSE(parsePixelCorrections(cut, 2));
    EXPECT_FALSE(parsePixelCorrections(cut, 0));
    EXPECT_FALSE(parsePixelCorrections(cut, -3));
    EXPECT_EQ(parsePixelCorrections(cut, 1)->size(), 1u);
}

TEST_F(CorrectionFiles, TheDetectedCameraAndTheImageSizeChooseTheTable) {
    ASSERT_TRUE(folder.isValid());
    writeIndex("[CAMERA_13]\r\n1024_768=2\r\n2048_1536=1\r\n");
    writeTable("Camera_13_1024_768.bin",
               correctionBytes({{1, 2, 50, 50, 50}, {3, 4, 80, 80, 80}, {9, 9, 9, 9, 9}}));
    CameraRecord record = openRecord();
    ASSERT_TRUE(loadBackgroundCorrection(record, 13, 0, folder.path()));
    EXPECT_EQ(record.pixelCorrections.size(), 2u);  // the index's count, not the file's
    EXPECT_EQ(record.backgroundCorrectionLoaded, 1);
    EXPECT_EQ(record.backgroundCorrectionApplied, 0);
    EXPECT_EQ(record.pixelCorrections.snapshot()->at(1).x, 3);

    // Another resolution has an entry but no file: nothing, and the old table is gone.
    record.width = 2048;
    record.height = 1536;
    EXPECT_FALSE(loadBackgroundCorrection(record, 13, 1, folder.path()));
    EXPECT_TRUE(record.pixelCorrections.empty());
    EXPECT_EQ(record.backgroundCorrectionApplied, 0);

    // No entry for this size, or for this camera.
    record.width = 640;
    record.height = 480;
    EXPECT_FALSE(loadBackgroundCorrection(record, 13, 1, folder.path()));
    record = openRecord();
    EXPECT_FALSE(loadBackgroundCorrection(record, 12, 1, folder.path()));
    EXPECT_TRUE(record.pixelCorrections.empty());
}

TEST_F(CorrectionFiles, BrokenIndexOrTableLoadsNothing) {
    ASSERT_TRUE(folder.isValid());
    CameraRecord record = openRecord();
    EXPECT_FALSE(loadBackgroundCorrection(record, 13, 1, folder.path()));  // no index at all

    writeIndex("[CAMERA_13]\r\n1024_768=-4\r\n");
    writeTable("Camera_13_1024_768.bin", correctionBytes({{1, 2, 50, 50, 50}}));
    EXPECT_FALSE(loadBackgroundCorrection(record, 13, 1, folder.path()));

    // A count far beyond the file (a foreign or truncated file) is not trusted.
    writeIndex("[CAMERA_13]\r\n1024_768=2000000000\r\n");
    EXPECT_FALSE(loadBackgroundCorrection(record, 13, 1, folder.path()));
    EXPECT_TRUE(record.pixelCorrections.empty());
    EXPECT_EQ(record.backgroundCorrectionLoaded, 0);
}

// The camera window of model 13 at 1024 x 768, with a table of one corrected pixel.
class CameraWithCorrection : public SimulatedCameraTest {
protected:
    CCameraFrame* openWithOneCorrection() {
        useCamera("sim:13");
        QFile index(folder.filePath("BackCorr.ini"));
        QFile table(folder.filePath("Camera_13_1024_768.bin"));
        if (!folder.isValid() || !index.open(QIODevice::WriteOnly) ||
            !table.open(QIODevice::WriteOnly)) {
            return nullptr;
        }
        index.write("[CAMERA_13]\r\n1024_768=1\r\n");
        table.write(correctionBytes({{10, 20, 50, 50, 50}}));
        index.close();
        table.close();
        store.values["RX3C/Preview"] = 1;  // 1024 x 768
        CCameraFrame* frame = newCameraWindow(13, store, iniPath());
        frame->setCorrectionFolder(folder.path());
        EXPECT_TRUE(frame->create());
        return frame;
    }
    QTemporaryDir folder;
    korvel::test::RecordingSettingsStore store;
};

TEST_F(CameraWithCorrection, OpeningLoadsTheTableIntoTheRunningPreview) {
    CCameraFrame* frame = openWithOneCorrection();
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->record().width, 1024);
    EXPECT_TRUE(frame->previewWindow()->isRunning());
    EXPECT_EQ(frame->record().pixelCorrections.size(), 1u);
    EXPECT_EQ(frame->record().backgroundCorrectionLoaded, 1);
    EXPECT_EQ(frame->record().backgroundCorrectionApplied, 0);  // the open message's 0
    frame->close();
    EXPECT_TRUE(frame->record().pixelCorrections.empty());  // freed with the camera
}

// "Use Back Correction" is only stored by the sheet; the running preview must follow it.
TEST_F(CameraWithCorrection, TheSheetSwitchesTheCorrectionOfTheLivePicture) {
    CCameraFrame* frame = openWithOneCorrection();
    ASSERT_NE(frame, nullptr);
    const PreviewPipeline& pipeline = frame->previewWindow()->pipeline();
    ASSERT_FALSE(pipeline.correctionApplied());
    const auto tickAndConfirm = [&] {
        ASSERT_TRUE(frame->router().dispatch(korvel::res::ID_CAMERA_PROPERTY));
        CCameraSettingSheet* sheet = frame->settingsSheet();
        ASSERT_NE(sheet, nullptr);
        QCheckBox* use = sheet->imageAdjustPage()->useBackCorrectionBox();
        ASSERT_TRUE(use->isEnabled());
        use->click();
        sheet->okButton()->click();
        EXPECT_EQ(frame->settingsSheet(), nullptr);
    };
    tickAndConfirm();
    EXPECT_EQ(frame->record().backgroundCorrectionApplied, 1);
    EXPECT_TRUE(pipeline.correctionApplied());
    tickAndConfirm();
    EXPECT_EQ(frame->record().backgroundCorrectionApplied, 0);
    EXPECT_FALSE(pipeline.correctionApplied());
    frame->close();
}
