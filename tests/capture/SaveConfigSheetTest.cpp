// The save configuration sheet on the offscreen platform: the pages' enabling rules, the
// range boxes, the compressor list, OK, Cancel and the close box, and the resolution tab.

#include "camera/CResolutionPage.h"
#include "capture/CRangeEdit.h"
#include "capture/CSaveConfigSheet.h"
#include "capture/CSnapPage.h"
#include "capture/CVideoPage.h"
#include "framework/Message.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <chrono>
#include <vector>

using namespace korvel::capture;
using korvel::camera::CameraRecord;
using korvel::camera::CResolutionPage;

namespace {

class Recorder : public korvel::framework::MessageTarget {
public:
    std::intptr_t onMessage(const korvel::framework::Message& m) override {
        ids.push_back(int(m.id));
        return 0;
    }
    std::vector<int> ids;
};

const FourCC kMp42{'M', 'P', '4', '2'};
const FourCC kHfyu{'H', 'F', 'Y', 'U'};
const FourCC kXvid{'X', 'V', 'I', 'D'};

std::vector<InstalledCompressor> twoCompressors() {
    return {{kMp42, "MPEG-4 V2", true}, {kHfyu, "Huffyuv", true}};
}

CameraRecord configuredRecord() {
    CameraRecord record;
    record.snapshot.bConfig = 1;
    record.snapshot.sFilename = "Cells";
    record.snapshot.uiFiletype = 8;
    record.snapshot.bTimeStamp = 0;
    record.snapshot.bLapse = 1;
    record.snapshot.nSpace = 5;
    record.snapshot.nCount = 12;
    record.video.bConfig = 1;
    record.video.bTimeStamp = 0;
    record.video.CompressID = 1;
    return record;
}

}  // namespace

TEST(SnapPage, AttachLoadsTheRecordAndStoreWritesItBack) {
    CSnapPage page;
    CameraRecord record = configuredRecord();
    record.precisionSnapshotOffered = 1;
    record.precisionSnapshot = 1;
    page.AttachRecord(record);
    EXPECT_TRUE(page.useConfigButton()->isChecked());
    EXPECT_EQ(page.fileNameEdit()->text(), "Cells");
    EXPECT_EQ(page.typeList()->currentText(), ".tiff");
    EXPECT_EQ(page.spaceEdit()->text(), "5");
    EXPECT_EQ(page.countEdit()->text(), "12");
    EXPECT_TRUE(page.fineModeBox()->isEnabled());
    EXPECT_TRUE(page.fineModeBox()->isChecked());

    page.typeList()->setCurrentIndex(0);  // ".jpg"
    CameraRecord stored;
    page.StoreToRecord(stored);
    EXPECT_EQ(stored.snapshot.uiFiletype, 1);
    EXPECT_EQ(stored.snapshot.nCount, 12);
    EXPECT_EQ(stored.snapshot.sFilename, "Cells");
    EXPECT_EQ(stored.precisionSnapshot, 1);
    for (auto [entry, code] : std::vector<std::pair<int, int>>{{1, 2}, {2, 8}, {3, 4}}) {
        page.typeList()->setCurrentIndex(entry);
        page.StoreToRecord(stored);
        EXPECT_EQ(stored.snapshot.uiFiletype, code);
    }
    record.snapshot.uiFiletype = 5;  // unknown codes show ".bmp"
    page.AttachRecord(record);
    EXPECT_EQ(page.typeList()->currentText(), ".bmp");
}

TEST(SnapPage, FileDialogModeDisablesTheNamingAndResetsTheSeries) {
    CSnapPage page;
    page.AttachRecord(configuredRecord());
    EXPECT_TRUE(page.spaceEdit()->isEnabled());
    QTest::mouseClick(page.useDialogButton(), Qt::LeftButton);
    EXPECT_EQ(page.spaceEdit()->text(), "0");
    EXPECT_EQ(page.countEdit()->text(), "1");
    for (QWidget* w : std::initializer_list<QWidget*>{
             page.fileNameLabel(), page.fileNameEdit(), page.plusLabel(0), page.plusLabel(1),
             page.numBox(), page.timeStampedBox(), page.timeLapseBox(), page.spaceLabel(),
             page.spaceEdit(), page.countLabel(), page.countEdit()}) {
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    }
    EXPECT_TRUE(page.typeList()->isEnabled());
    EXPECT_FALSE(page.fineModeBox()->isEnabled());  // the model offers no fine mode
    CameraRecord stored;
    page.StoreToRecord(stored);
    EXPECT_EQ(stored.snapshot.bConfig, 0);
    EXPECT_EQ(stored.snapshot.nSpace, 0);
    EXPECT_EQ(stored.snapshot.nCount, 1);
}

TEST(SnapPage, TimeStampDisablesNameAndNumber) {
    CSnapPage page;
    page.AttachRecord(configuredRecord());
    EXPECT_TRUE(page.fileNameEdit()->isEnabled());
    QTest::mouseClick(page.timeStampedBox(), Qt::LeftButton);
    EXPECT_FALSE(page.fileNameEdit()->isEnabled());
    EXPECT_FALSE(page.numBox()->isEnabled());
    EXPECT_FALSE(page.plusLabel(0)->isEnabled());
    EXPECT_TRUE(page.timeLapseBox()->isEnabled());
    QTest::mouseClick(page.timeLapseBox(), Qt::LeftButton);  // lapse off
    EXPECT_FALSE(page.countEdit()->isEnabled());
    EXPECT_FALSE(page.spaceLabel()->isEnabled());
}

TEST(RangeEdit, PastedLeadingZerosTypedExtraDigitAndZero) {
    CRangeEdit count(1, 1000);
    int beeps = 0;
    count.setBeep([&] { ++beeps; });
    count.setText("007");  // a paste
    EXPECT_EQ(count.text(), "7");
    EXPECT_EQ(count.value(), 7);
    EXPECT_EQ(beeps, 0);

    count.setText("200");
    count.setCursorPosition(3);
    QTest::keyClick(&count, Qt::Key_0);  // a fourth digit
    EXPECT_EQ(count.text(), "200");
    EXPECT_EQ(count.value(), 200);
    EXPECT_EQ(count.cursorPosition(), 3);
    EXPECT_EQ(beeps, 1);

    count.selectAll();
    QTest::keyClick(&count, Qt::Key_0);  // the count replaced by 0
    EXPECT_EQ(count.text(), "200");
    EXPECT_EQ(beeps, 2);
}

TEST(VideoPage, CompressorIndexBeyondTheListSelectsNoCompressor) {
    CVideoPage page(twoCompressors());
    ASSERT_EQ(page.compressorList()->count(), 3);
    EXPECT_EQ(page.compressorList()->itemText(2), "No Compressor");
    CameraRecord record = configuredRecord();
    record.video.CompressID = 7;
    page.AttachRecord(record);
    EXPECT_EQ(page.compressorList()->currentText(), "No Compressor");
    EXPECT_FALSE(page.configButton()->isEnabled());
    CameraRecord stored;
    page.StoreToRecord(stored);
    EXPECT_EQ(stored.video.CompressID, 2);
    EXPECT_EQ(stored.video.Compress, static_cast<int>(kUncompressedCode.value()));
    EXPECT_EQ(FourCC::fromString("DIB ").value(), kUncompressedCode.value());
}

TEST(VideoPage, EqualDescriptionsAppearOnce) {
    CVideoPage page({{kMp42, "MPEG-4", true}, {kXvid, "MPEG-4", true}, {kHfyu, "Huffyuv", true}});
    QStringList texts;
    for (int i = 0; i < page.compressorList()->count(); ++i) {
        texts << page.compressorList()->itemText(i);
    }
    EXPECT_EQ(texts, (QStringList{"MPEG-4", "Huffyuv", "No Compressor"}));
}

TEST(VideoPage, ConfigOnlyForCompressorsWithAQuality) {
    CompressorSettingsTable table;
    CVideoPage page(twoCompressors(), &table);
    int dialogs = 0;
    page.setQualityDialog([&](FourCC code, CompressorSettings& s) {
        ++dialogs;
        EXPECT_EQ(code, kMp42);
        s.quality = 40;
        s.keyFrameInterval = 25;
        return true;
    });
    CameraRecord record = configuredRecord();
    record.video.CompressID = 0;
    page.AttachRecord(record);
    EXPECT_TRUE(page.configButton()->isEnabled());
    QTest::mouseClick(page.configButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(table.at(kMp42.value()), (CompressorSettings{40, 25}));
    page.compressorList()->setCurrentIndex(1);  // Huffyuv: nothing to set
    EXPECT_FALSE(page.configButton()->isEnabled());
    page.onConfig();
    EXPECT_EQ(dialogs, 1);
    CameraRecord stored;
    page.StoreToRecord(stored);
    EXPECT_EQ(stored.video.Compress, static_cast<int>(kHfyu.value()));
    EXPECT_EQ(stored.video.CompressID, 1);
}

TEST(VideoPage, EnablingFollowsSaveModeAndTimeStamp) {
    CVideoPage page(twoCompressors());
    CameraRecord record = configuredRecord();
    page.AttachRecord(record);
    EXPECT_EQ(page.typeList()->currentText(), ".avi");
    EXPECT_TRUE(page.fileNameEdit()->isEnabled());
    QTest::mouseClick(page.timeStampedBox(), Qt::LeftButton);
    EXPECT_FALSE(page.fileNameEdit()->isEnabled());
    EXPECT_FALSE(page.numBox()->isEnabled());
    EXPECT_TRUE(page.typeList()->isEnabled());
    QTest::mouseClick(page.useDialogButton(), Qt::LeftButton);
    EXPECT_FALSE(page.namingGroup()->isEnabled());
    EXPECT_FALSE(page.typeList()->isEnabled());
    EXPECT_FALSE(page.timeStampedBox()->isEnabled());
    EXPECT_TRUE(page.compressorList()->isEnabled());
}

TEST(QualityDialog, ShowsAndReturnsTheSettings) {
    CCompressorQualityDialog dialog("MPEG-4", {70, 10});
    EXPECT_EQ(dialog.qualityBox()->value(), 70);
    dialog.qualityBox()->setValue(150);  // clamped to 100
    EXPECT_EQ(dialog.settings(), (CompressorSettings{100, 10}));
}

TEST(SaveConfigSheet, TabsTitleAndAttachSelectsTheTab) {
    Recorder window;
    CSaveConfigSheet sheet(&window, {}, nullptr, twoCompressors());
    CameraRecord record = configuredRecord();
    sheet.AttachRecord(&record, CSaveConfigSheet::kVideoTab);
    EXPECT_EQ(sheet.windowTitle(), "Config Property of Save");
    ASSERT_EQ(sheet.tabs()->count(), 3);
    EXPECT_EQ(sheet.tabs()->tabText(0), "Snap");
    EXPECT_EQ(sheet.tabs()->tabText(1), "Video");
    EXPECT_EQ(sheet.tabs()->tabText(2), "Resolution");
    EXPECT_EQ(sheet.tabs()->currentIndex(), 1);
    EXPECT_EQ(sheet.snapPage()->palette().color(QPalette::Window), QColor(216, 231, 252));
}

TEST(SaveConfigSheet, CancelRestoresTheFileType) {
    Recorder window;
    CSaveConfigSheet sheet(&window, {}, nullptr, twoCompressors());
    CameraRecord record = configuredRecord();
    sheet.AttachRecord(&record, 0);
    sheet.snapPage()->typeList()->setCurrentIndex(0);
    sheet.snapPage()->StoreToRecord(record);  // stored meanwhile
    ASSERT_EQ(record.snapshot.uiFiletype, 1);
    sheet.onCancel();
    EXPECT_EQ(record.snapshot.uiFiletype, 8);
    EXPECT_EQ(window.ids, std::vector<int>{korvel::res::MSG_CLOSE_SAVE_CONFIG});
    sheet.onOk();  // closed already: nothing more
    EXPECT_EQ(window.ids.size(), 1u);
}

TEST(SaveConfigSheet, OkStoresAllPagesAndCloseBoxKeepsTheRecord) {
    Recorder window;
    CameraRecord record = configuredRecord();
    {
        CSaveConfigSheet sheet(&window, {}, nullptr, twoCompressors());
        sheet.AttachRecord(&record, 0);
        sheet.snapPage()->fileNameEdit()->setText("Slide");
        sheet.videoPage()->compressorList()->setCurrentIndex(0);
        QTest::mouseClick(sheet.findChild<QPushButton*>(QString::number(korvel::res::IDC_OK)),
                          Qt::LeftButton);
    }
    EXPECT_EQ(record.snapshot.sFilename, "Slide");
    EXPECT_EQ(record.video.Compress, static_cast<int>(kMp42.value()));
    EXPECT_EQ(window.ids, std::vector<int>{korvel::res::MSG_CLOSE_SAVE_CONFIG});

    window.ids.clear();
    CSaveConfigSheet sheet(&window, {}, nullptr, twoCompressors());
    sheet.AttachRecord(&record, 0);
    sheet.snapPage()->fileNameEdit()->setText("Other");
    sheet.show();
    sheet.close();  // the close box
    EXPECT_EQ(record.snapshot.sFilename, "Slide");
    EXPECT_EQ(window.ids, std::vector<int>{korvel::res::MSG_CLOSE_SAVE_CONFIG});
}

TEST(SaveConfigSheet, NewPreviewResolutionReopensTheCamera) {
    Recorder window;
    CameraRecord record = configuredRecord();
    record.previewResolution = 0;
    std::vector<std::chrono::milliseconds> waits;
    // A stand-in resolution tab that picks preview resolution 1.
    auto* page = new QWidget;
    CSaveConfigSheet sheet(
        &window, {page, [](CameraRecord*) {}, [](CameraRecord* r) { r->previewResolution = 1; }},
        nullptr, twoCompressors());
    sheet.setSleep([&](std::chrono::milliseconds d) { waits.push_back(d); });
    sheet.AttachRecord(&record, 2);
    EXPECT_EQ(sheet.resolutionPage(), page);
    EXPECT_EQ(sheet.tabs()->currentIndex(), 2);
    sheet.onOk();
    using namespace korvel::res;
    EXPECT_EQ(window.ids,
              (std::vector<int>{MSG_CAMERA_CLOSE, MSG_CAMERA_OPEN, MSG_CLOSE_SAVE_CONFIG}));
    EXPECT_EQ(waits, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(200)});
}

TEST(SaveConfigSheet, HostsTheCameraResolutionPage) {
    Recorder window;
    auto* page = new CResolutionPage;
    CSaveConfigSheet sheet(&window,
                           {page, [page](CameraRecord* r) { page->AttachRecord(r); },
                            [page](CameraRecord* r) { page->StoreToRecord(r); }},
                           nullptr, twoCompressors());
    CameraRecord record = configuredRecord();
    sheet.AttachRecord(&record, CSaveConfigSheet::kResolutionTab);
    EXPECT_EQ(page->parentWidget() != nullptr, true);
    EXPECT_EQ(page->record(), &record);
    sheet.onCancel();
    EXPECT_EQ(window.ids, std::vector<int>{korvel::res::MSG_CLOSE_SAVE_CONFIG});
}
