#include "SheetHarness.h"

#include "camera/CParameterPage.h"
#include "camera/ParameterControls.h"
#include "framework/MessageBox.h"
#include "ui/CPageSlider.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::CameraWindowStandIn;
using korvel::camera::test::SheetTest;

namespace {

class ParameterPage : public SheetTest {
protected:
    void attach(int type) {
        openCamera(type);
        page.SetCameraWindow(&window);
        page.AttachRecord(&record);
        krvcamera::clearSimulatorCallLog();
    }
    CameraWindowStandIn window{record};
    CParameterPage page;
};

}  // namespace

TEST(ParameterSets, ButtonsAndTheSetToLoadAtStart) {
    EXPECT_EQ(parameterSetOfButton(IDC_PARAM_SET_A), 3);
    EXPECT_EQ(parameterSetOfButton(IDC_PARAM_SET_B), 1);
    EXPECT_EQ(parameterSetOfButton(IDC_PARAM_SET_C), 2);
    EXPECT_EQ(parameterSetOfButton(IDC_PARAM_SET_D), 0);
    EXPECT_EQ(buttonOfParameterSet(3), IDC_PARAM_SET_A);
    EXPECT_EQ(buttonOfParameterSet(0), IDC_PARAM_SET_D);
    EXPECT_EQ(buttonOfParameterSet(9), IDC_PARAM_SET_D);

    EXPECT_FALSE(loadAtStartEnabled(0));
    EXPECT_TRUE(loadAtStartEnabled(2));
    EXPECT_TRUE(loadAtStartTicked(1, 1));
    EXPECT_FALSE(loadAtStartTicked(2, 1));
    EXPECT_FALSE(loadAtStartTicked(0, 0));
    EXPECT_EQ(setToLoadAtStart(3, true), 3);
    EXPECT_EQ(setToLoadAtStart(3, false), 0);
}

TEST_F(ParameterPage, TheWorkingSetTicksTheHiddenD) {
    attach(1);
    EXPECT_TRUE(page.setButton(IDC_PARAM_SET_D)->isChecked());
    EXPECT_TRUE(page.setButton(IDC_PARAM_SET_D)->isHidden());
    EXPECT_FALSE(page.loadAtStartBox()->isEnabled());
    EXPECT_FALSE(page.loadAtStartBox()->isChecked());
    EXPECT_EQ(page.chosenSet(), 0);
}

TEST_F(ParameterPage, ChoosingASetTicksTheBoxWhenItIsTheOneLoadedAtStart) {
    openCamera(1);
    record.parameterSetInUse = 1;
    record.parameterSetAtOpen = 1;
    page.AttachRecord(&record);
    EXPECT_TRUE(page.setButton(IDC_PARAM_SET_B)->isChecked());
    EXPECT_TRUE(page.loadAtStartBox()->isEnabled());
    EXPECT_TRUE(page.loadAtStartBox()->isChecked());

    page.setButton(IDC_PARAM_SET_C)->click();
    EXPECT_EQ(page.chosenSet(), 2);
    EXPECT_TRUE(page.loadAtStartBox()->isEnabled());
    EXPECT_FALSE(page.loadAtStartBox()->isChecked());

    page.setButton(IDC_PARAM_SET_B)->click();
    EXPECT_TRUE(page.loadAtStartBox()->isChecked());

    // "D" only chooses the working set.
    page.onSetButton(IDC_PARAM_SET_D);
    EXPECT_EQ(page.chosenSet(), 0);
    EXPECT_TRUE(page.loadAtStartBox()->isEnabled());
}

TEST_F(ParameterPage, StoringWithSetARemembersItOnlyWhenTicked) {
    attach(1);
    page.setButton(IDC_PARAM_SET_A)->click();
    page.loadAtStartBox()->click();
    ASSERT_TRUE(page.loadAtStartBox()->isChecked());
    page.StoreToRecord(&record);
    EXPECT_EQ(record.parameterSetInUse, 3);
    EXPECT_EQ(record.parameterSetAtOpen, 3);

    page.loadAtStartBox()->click();
    page.StoreToRecord(&record);
    EXPECT_EQ(record.parameterSetAtOpen, 0);
}

TEST_F(ParameterPage, AnyGainSliderSendsAllThreeGains) {
    attach(1);
    page.gainSlider(0)->SetPos(70);
    page.gainSlider(2)->SetPos(90);
    page.gainSlider(1)->SetPos(100);
    page.onMessage({unsigned(MSG_SLIDER_MOVING), std::uintptr_t(IDC_PARAM_GREEN_SLIDER), 100, {}});
    EXPECT_EQ(krvcamera::simulatorCallLog(),
              std::vector<std::string>{"KRVCameraSetGain(70, 100, 90)"});
    EXPECT_EQ(record.colourGains.red.value, 70);
    EXPECT_EQ(record.colourGains.green.value, 100);
    EXPECT_EQ(record.colourGains.blue.value, 90);
    EXPECT_EQ(page.gainEdit(0)->text(), "70");
    EXPECT_EQ(page.gainEdit(1)->text(), "100");
    EXPECT_EQ(page.gainEdit(2)->text(), "90");
}

TEST_F(ParameterPage, ATypedGainIsClampedToItsSliderAndSentWithTheOthers) {
    attach(1);
    QLineEdit* red = page.gainEdit(0);
    red->clear();
    QTest::keyClicks(red, "150");
    EXPECT_EQ(krvcamera::simulatorCallLog().back(), "KRVCameraSetGain(150, 64, 64)");
    EXPECT_EQ(record.colourGains.red.value, 150);

    red->clear();
    QTest::keyClicks(red, "9");  // below the range: the slider's minimum is sent
    EXPECT_EQ(krvcamera::simulatorCallLog().back(), "KRVCameraSetGain(20, 64, 64)");
    EXPECT_EQ(record.colourGains.red.value, 20);

    std::vector<QString> asked;
    korvel::framework::ScopedMessageBoxInterceptor boxes([&](const QString& text, unsigned) {
        asked.push_back(text);
        return korvel::framework::IDOK;
    });
    QTest::keyClicks(red, "x");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Please enter an integer.");
    EXPECT_EQ(record.colourGains.red.value, 20);
}

TEST_F(ParameterPage, ModeButtonsReachTheCameraAndTheRecord) {
    attach(1);
    page.modeButton(CameraMode::FrameSpeed, 1)->click();
    page.modeButton(CameraMode::LightFrequency, 1)->click();
    page.modeButton(CameraMode::ImageQuality, 1)->click();
    page.modeButton(CameraMode::LightFrequency, 0)->click();
    const std::vector<std::string> expected = {
        "KRVCameraSetFrameSpeed(1)", "KRVCameraSetLightFrquency(1)", "KRVCameraSetB2RGBMode(1)",
        "KRVCameraSetLightFrquency(0)"};
    EXPECT_EQ(krvcamera::simulatorCallLog(), expected);
    EXPECT_EQ(record.frameSpeed.value, 1);
    EXPECT_EQ(record.lightFrequency.value, 0);
    EXPECT_EQ(record.mosaicMode.value, 1);
    EXPECT_EQ(page.modeValue(CameraMode::ImageQuality), 1);

    // A model without frame speed: both buttons disabled and clear.
    record.frameSpeed = {0, 1};
    page.AttachRecord(&record);
    EXPECT_FALSE(page.modeButton(CameraMode::FrameSpeed, 0)->isEnabled());
    EXPECT_FALSE(page.modeButton(CameraMode::FrameSpeed, 1)->isChecked());
    EXPECT_FALSE(page.modeButton(CameraMode::FrameSpeed, 0)->isChecked());
    EXPECT_TRUE(page.modeButton(CameraMode::ImageQuality, 1)->isChecked());
}

TEST_F(ParameterPage, SaveAndLoadUseTheChosenSetAndLoadReadsEverythingBack) {
    attach(1);
    page.setButton(IDC_PARAM_SET_B)->click();
    page.saveButton()->click();
    EXPECT_EQ(krvcamera::simulatorCallLog(), std::vector<std::string>{"KRVCameraSaveParameter(1)"});

    krvcamera::clearSimulatorCallLog();
    page.loadButton()->click();
    ASSERT_FALSE(krvcamera::simulatorCallLog().empty());
    EXPECT_EQ(krvcamera::simulatorCallLog().front(), "KRVCameraReadParameter(1)");
    EXPECT_EQ(record.parameterSetInUse, 1);
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(window.messages.front(), unsigned(MSG_READ_BACK_ALL));
}
