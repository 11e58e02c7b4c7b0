#include "SheetHarness.h"

#include "camera/CCameraSettingSheet.h"
#include "camera/CExposurePage.h"
#include "camera/CImageAdjustPage.h"
#include "camera/CParameterPage.h"
#include "camera/ImageAdjustControls.h"
#include "camera/SettingsSheetControls.h"
#include "ui/CPageSlider.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::CameraWindowStandIn;
using korvel::camera::test::SheetTest;

namespace {

class SettingsSheet : public SheetTest {
protected:
    // Opens the sheet as the camera window does: attach, back up, show.
    void openSheet(int type) {
        openCamera(type);
        sheet = std::make_unique<CCameraSettingSheet>(
            &window, nullptr, [this](std::chrono::milliseconds d) { waits.push_back(d); });
        window.sheet = sheet.get();
        sheet->AttachRecord(&record);
        sheet->Backup();
        sheet->show();
        krvcamera::clearSimulatorCallLog();
    }
    void TearDown() override {
        sheet.reset();
        SheetTest::TearDown();
    }
    CameraWindowStandIn window{record};
    std::unique_ptr<CCameraSettingSheet> sheet;
    std::vector<std::chrono::milliseconds> waits;
};

}  // namespace

TEST(SheetBackup, TakesBackOnlyTheListedFieldsAndKeepsTheCorrectionListItself) {
    CameraRecord record;
    record.precisionSnapshotOffered = 1;
    record.autoExposure = {1, 1};
    record.automaticSpeedSwitching = 1;
    record.pixelCorrections.replace({PixelCorrection{1, 2, {3, 4, 5}, 0}});
    const auto list = record.pixelCorrections.snapshot();
    const SheetBackup backup = takeSheetBackup(record);

    record.precisionSnapshotOffered = 0;
    record.precisionSnapshot = 1;
    record.autoExposure.value = 0;
    record.softwareAutoExposure = 1;
    record.automaticSpeedSwitching = 0;
    record.pixelCorrections.clear();
    record.gamma.value = 7;
    restoreSheetBackup(backup, record);

    EXPECT_EQ(record.precisionSnapshotOffered, 1);
    EXPECT_EQ(record.precisionSnapshot, 0);
    EXPECT_EQ(record.autoExposure.value, 1);
    EXPECT_EQ(record.softwareAutoExposure, 0);
    EXPECT_EQ(record.automaticSpeedSwitching, 1);
    EXPECT_EQ(record.pixelCorrections.snapshot(), list);  // the same list, not a copy
    EXPECT_EQ(record.gamma.value, 7);
}

TEST_F(SettingsSheet, TabsAreMainImageAdjustAndParameter) {
    openSheet(1);
    ASSERT_EQ(sheet->tabs()->count(), 3);
    EXPECT_EQ(sheet->tabs()->tabText(0), "Main");
    EXPECT_EQ(sheet->tabs()->tabText(1), "Image Adjust");
    EXPECT_EQ(sheet->tabs()->tabText(2), "Parameter");
    EXPECT_EQ(sheet->tabs()->widget(0), sheet->exposurePage());
    EXPECT_EQ(sheet->tabs()->widget(1), sheet->imageAdjustPage());
    EXPECT_EQ(sheet->tabs()->widget(2), sheet->parameterPage());
    EXPECT_EQ(sheet->windowTitle(), "Digital Camera Setting");
    EXPECT_FALSE(sheet->isModal());
    EXPECT_EQ(sheet->exposurePage()->record(), &record);
    EXPECT_EQ(sheet->imageAdjustPage()->record(), &record);
    EXPECT_EQ(sheet->parameterPage()->record(), &record);
}

TEST_F(SettingsSheet, OkStoresThePagesAndSavesTheWorkingSet) {
    openSheet(1);
    sheet->imageAdjustPage()->slider(AdjustStep::Contrast)->SetPos(6);
    sheet->parameterPage()->gainSlider(2)->SetPos(120);
    sheet->imageAdjustPage()->hFlipBox()->setChecked(true);  // shown, not yet sent
    sheet->okButton()->click();

    EXPECT_EQ(record.contrast.value, 6);
    EXPECT_EQ(record.colourGains.blue.value, 120);
    EXPECT_EQ(record.mirror0.value, 1);
    EXPECT_EQ(krvcamera::simulatorCallLog(), std::vector<std::string>{"KRVCameraSaveParameter(0)"});
    EXPECT_EQ(window.messages, std::vector<unsigned>{unsigned(MSG_CLOSE_SETTINGS_SHEET)});
}

TEST_F(SettingsSheet, CancelRestoresAutoExposureAndAppliesIt) {
    openSheet(1);
    ASSERT_EQ(record.autoExposure.value, 1);
    sheet->exposurePage()->manualButton()->click();
    ASSERT_EQ(record.autoExposure.value, 0);
    int state = -1;
    KRVCameraGetAeState(&state);
    ASSERT_EQ(state, 0);

    krvcamera::clearSimulatorCallLog();
    sheet->cancelButton()->click();
    EXPECT_EQ(record.autoExposure.value, 1);
    KRVCameraGetAeState(&state);
    EXPECT_EQ(state, 1);
    const std::vector<std::string> log = krvcamera::simulatorCallLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "KRVCameraReadParameter(0)");
    EXPECT_EQ(window.messages,
              (std::vector<unsigned>{unsigned(MSG_APPLY_ALL), unsigned(MSG_CLOSE_SETTINGS_SHEET)}));
}

TEST_F(SettingsSheet, CancelKeepsAChangedGammaInTheRecordAndTheCamera) {
    openSheet(1);
    KRVCameraSaveParameter(0);  // the set in use, as it was before the sheet's changes
    CImageAdjustPage* page = sheet->imageAdjustPage();
    page->slider(AdjustStep::Gamma)->SetPos(-10);
    page->onMessage({unsigned(MSG_SLIDER_MOVED), std::uintptr_t(IDC_ADJUST_GAMMA_SLIDER), -10, {}});
    // The colour gains, in contrast, come back from the parameter set in use.
    KRVCameraSetGain(90, 64, 50);
    record.colourGains.red.value = 90;

    sheet->cancelButton()->click();
    EXPECT_EQ(record.gamma.value, -10);
    std::uint8_t gamma = 0;
    KRVCameraGetGamma(&gamma);
    EXPECT_EQ(gamma, 60);
    EXPECT_EQ(record.colourGains.red.value, 64);
}

TEST_F(SettingsSheet, CancelLeavesTheCameraAtTheRecordsExposureNotTheReloadedSets) {
    openSheet(1);
    // The set in use holds 100 ms ...
    KRVCameraSetExposureTime(100);
    KRVCameraSaveParameter(0);
    // ... and the exposure was sent as 200 ms afterwards, as the software auto exposure does.
    KRVCameraSetExposureTime(200);
    record.exposure.value = 200;
    record.exposureSent = 200;

    sheet->cancelButton()->click();
    int ms = 0;
    KRVCameraGetExposureTime(&ms);
    EXPECT_EQ(ms, 200);
    EXPECT_EQ(record.exposure.value, 200);
    EXPECT_EQ(record.exposureSent, 200);
}

TEST_F(SettingsSheet, DisabledEditBoxesLookDisabled) {
    openSheet(1);
    QLineEdit* saturation = sheet->imageAdjustPage()->edit(AdjustStep::Saturation);
    ASSERT_EQ(record.colourEnhancement.value, 0);  // saturation is locked without it
    ASSERT_FALSE(saturation->isEnabled());
    const QPalette standard = QApplication::palette(saturation);
    ASSERT_NE(standard.color(QPalette::Disabled, QPalette::Text),
              standard.color(QPalette::Active, QPalette::Text));
    for (QLineEdit* edit : {saturation, sheet->parameterPage()->gainEdit(0)}) {
        for (const auto group : {QPalette::Active, QPalette::Disabled}) {
            EXPECT_EQ(edit->palette().color(group, QPalette::Text),
                      standard.color(group, QPalette::Text));
            EXPECT_EQ(edit->palette().color(group, QPalette::Base),
                      standard.color(group, QPalette::Base));
        }
    }
}

TEST_F(SettingsSheet, TheCloseBoxOnlyAsksToBeDestroyed) {
    openSheet(1);
    record.autoExposure.value = 0;
    sheet->close();
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
    EXPECT_EQ(record.autoExposure.value, 0);
    EXPECT_EQ(window.messages, std::vector<unsigned>{unsigned(MSG_CLOSE_SETTINGS_SHEET)});
}

TEST_F(SettingsSheet, QuickWhiteBalanceShowsTheCamerasGainsOnTheParameterPage) {
    openSheet(1);
    sheet->exposurePage()->onWhiteBalance();  // sends 1285 to the sheet
    const std::vector<std::string> log = krvcamera::simulatorCallLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "KRVCameraSetAWBState(1)");
    EXPECT_EQ(log[1], "KRVCameraGetGain()");
    EXPECT_EQ(waits, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(200)});

    int red = 0, green = 0, blue = 0;
    KRVCameraGetGain(&red, &green, &blue);
    EXPECT_NE(red, 64);  // the lamp is warm: the balance moves red and blue
    EXPECT_EQ(record.colourGains.red.value, red);
    EXPECT_EQ(record.colourGains.blue.value, blue);
    EXPECT_EQ(sheet->parameterPage()->gainSlider(0)->GetPos(), std::clamp(red, 20, 200));
    EXPECT_EQ(sheet->parameterPage()->gainEdit(2)->text(),
              QString::number(std::clamp(blue, 20, 200)));
}

TEST_F(SettingsSheet, BlackBalanceWithoutQuickBalanceChangesNothing) {
    openSheet(26);  // no quick balance
    ASSERT_EQ(record.quickBalance.flag, 0);
    record.colourEnhancement.value = 1;
    record.colourGains.red.value = 80;
    sheet->exposurePage()->onBlackBalance();  // sends 1316 to the sheet
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
    EXPECT_EQ(record.colourEnhancement.value, 1);
    EXPECT_EQ(record.colourGains.red.value, 80);
}

TEST_F(SettingsSheet, BlackBalanceSetsTheQuickBalanceGainsAndReloadsThePages) {
    openSheet(1);  // quick balance 97/64/59
    sheet->imageAdjustPage()->colourEnhancementBox()->click();
    ASSERT_EQ(record.colourEnhancement.value, 1);
    krvcamera::clearSimulatorCallLog();
    sheet->onMessage({unsigned(MSG_BLACK_BALANCE), 0, 0, {}});
    const std::vector<std::string> expected = {"KRVCameraSetColorEnhancement(0)",
                                               "KRVCameraSetGain(97, 64, 59)"};
    EXPECT_EQ(krvcamera::simulatorCallLog(), expected);
    EXPECT_EQ(record.colourEnhancement.value, 0);
    EXPECT_FALSE(sheet->imageAdjustPage()->colourEnhancementBox()->isChecked());
    EXPECT_EQ(record.colourGains.red.value, 97);
    EXPECT_EQ(sheet->parameterPage()->gainSlider(2)->GetPos(), 59);
}

TEST_F(SettingsSheet, ASetSavedAsBComesBackWhole) {
    openSheet(1);
    CImageAdjustPage* adjust = sheet->imageAdjustPage();
    CParameterPage* parameters = sheet->parameterPage();
    const auto moveTo = [](QWidget* page, korvel::ui::CPageSlider* slider, int position) {
        slider->SetPos(position);
        dynamic_cast<korvel::framework::MessageTarget*>(page)->onMessage(
            {unsigned(MSG_SLIDER_MOVED), std::uintptr_t(slider->controlId()), position, {}});
    };
    adjust->colourEnhancementBox()->click();
    moveTo(adjust, adjust->slider(AdjustStep::Gamma), -8);
    moveTo(adjust, adjust->slider(AdjustStep::Contrast), 5);
    moveTo(adjust, adjust->slider(AdjustStep::Saturation), 12);
    adjust->hFlipBox()->click();
    adjust->monochromeBox()->click();
    parameters->gainSlider(0)->SetPos(110);
    moveTo(parameters, parameters->gainSlider(1), 70);
    parameters->modeButton(CameraMode::FrameSpeed, 1)->click();
    parameters->modeButton(CameraMode::LightFrequency, 1)->click();
    parameters->modeButton(CameraMode::ImageQuality, 1)->click();
    const CameraRecord saved = record;

    parameters->setButton(IDC_PARAM_SET_B)->click();
    parameters->saveButton()->click();

    // Everything changes, then "B" is loaded again.
    adjust->colourEnhancementBox()->click();
    moveTo(adjust, adjust->slider(AdjustStep::Gamma), 3);
    moveTo(adjust, adjust->slider(AdjustStep::Contrast), -2);
    adjust->hFlipBox()->click();
    adjust->monochromeBox()->click();
    moveTo(parameters, parameters->gainSlider(0), 40);
    parameters->modeButton(CameraMode::FrameSpeed, 0)->click();
    parameters->modeButton(CameraMode::LightFrequency, 0)->click();
    parameters->modeButton(CameraMode::ImageQuality, 0)->click();
    parameters->loadButton()->click();

    EXPECT_EQ(record.gamma.value, saved.gamma.value);
    EXPECT_EQ(record.contrast.value, saved.contrast.value);
    EXPECT_EQ(record.saturation.value, saved.saturation.value);
    EXPECT_EQ(record.colourEnhancement.value, 1);
    EXPECT_EQ(record.mirror0.value, 1);
    EXPECT_EQ(record.monochrome.value, 1);
    EXPECT_EQ(record.colourGains.red.value, 110);
    EXPECT_EQ(record.colourGains.green.value, 70);
    EXPECT_EQ(record.frameSpeed.value, 1);
    EXPECT_EQ(record.lightFrequency.value, 1);
    EXPECT_EQ(record.mosaicMode.value, 1);
    EXPECT_EQ(record.parameterSetInUse, 1);
    // The pages show it: the camera window reloaded them.
    EXPECT_EQ(adjust->slider(AdjustStep::Gamma)->GetPos(), -8);
    EXPECT_TRUE(adjust->hFlipBox()->isChecked());
    EXPECT_EQ(parameters->gainSlider(0)->GetPos(), 110);
    EXPECT_TRUE(parameters->modeButton(CameraMode::LightFrequency, 1)->isChecked());
    EXPECT_TRUE(parameters->setButton(IDC_PARAM_SET_B)->isChecked());

    std::uint8_t contrast = 0, mosaic = 0;
    KRVCameraGetContrast(&contrast);
    KRVCameraGetB2RGBMode(&mosaic);
    EXPECT_EQ(contrast, 40);
    EXPECT_EQ(mosaic, 1);
}

TEST_F(SettingsSheet, PagesArePaintedInThePageColourButEditBoxesKeepTheStandardLook) {
    openSheet(1);
    const QColor page(216, 231, 252);
    EXPECT_EQ(sheet->imageAdjustPage()->palette().color(QPalette::Window), page);
    EXPECT_EQ(sheet->parameterPage()->palette().color(QPalette::Window), page);
    const QPalette standard = QApplication::palette(sheet->parameterPage()->gainEdit(0));
    for (QWidget* edit : {static_cast<QWidget*>(sheet->imageAdjustPage()->edit(AdjustStep::Gamma)),
                          static_cast<QWidget*>(sheet->parameterPage()->gainEdit(1))}) {
        EXPECT_EQ(edit->palette().color(QPalette::Window), standard.color(QPalette::Window));
        EXPECT_EQ(edit->palette().color(QPalette::Base), standard.color(QPalette::Base));
    }
}

TEST_F(SettingsSheet, OkWithSetARemembersItForTheNextStartOnlyWhenTicked) {
    openSheet(1);
    CParameterPage* page = sheet->parameterPage();
    page->setButton(IDC_PARAM_SET_A)->click();
    page->loadAtStartBox()->click();
    sheet->okButton()->click();
    EXPECT_EQ(record.parameterSetInUse, 3);
    EXPECT_EQ(record.parameterSetAtOpen, 3);

    sheet->AttachRecord(&record);
    ASSERT_TRUE(page->loadAtStartBox()->isChecked());
    page->loadAtStartBox()->click();
    sheet->okButton()->click();
    EXPECT_EQ(record.parameterSetAtOpen, 0);
}
