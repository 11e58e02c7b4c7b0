#include "SheetHarness.h"

#include "camera/CImageAdjustPage.h"
#include "camera/ImageAdjustControls.h"
#include "framework/MessageBox.h"
#include "ui/CPageSlider.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::SheetTest;
using korvel::framework::Message;

namespace {

class ImageAdjustPage : public SheetTest {
protected:
    void attach(int type) {
        openCamera(type);
        page.AttachRecord(&record);
        krvcamera::clearSimulatorCallLog();
    }
    // A slider move as the slider posts it.
    void move(AdjustStep step, int position) {
        page.slider(step)->SetPos(position);
        page.onMessage({unsigned(MSG_SLIDER_MOVED),
                        std::uintptr_t(page.slider(step)->controlId()),
                        page.slider(step)->GetPos(),
                        {}});
    }
    CImageAdjustPage page;
};

}  // namespace

TEST(ImageAdjustSteps, StepsBecomeTheModelsRawBytes) {
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Gamma, -20), 20);
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Gamma, 0), 100);
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Gamma, 20), 150);
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Contrast, -20), 20);
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Contrast, 0), 0);
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Contrast, 1), 24);
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Contrast, 20), 100);
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Saturation, -20), 8);
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Saturation, 0), 128);
    EXPECT_EQ(adjustStepToRaw(1, AdjustStep::Saturation, 20), 248);
    for (const AdjustStep step :
         {AdjustStep::Gamma, AdjustStep::Contrast, AdjustStep::Saturation}) {
        EXPECT_EQ(adjustStepToRaw(2, step, 7), 0);
    }
}

TEST(ImageAdjustSteps, TypedTextIsReadAsTheFrameworkReadsIt) {
    EXPECT_EQ(readStepText("-").kind, StepText::Pending);
    const StepText five = readStepText("-5");
    EXPECT_EQ(five.kind, StepText::Value);
    EXPECT_EQ(five.value, -5);
    EXPECT_EQ(readStepText(" 20").value, 20);

    const StepText outside = readStepText("21");
    EXPECT_EQ(outside.kind, StepText::Invalid);
    EXPECT_EQ(outside.message, "Please enter an integer between -20 and 20.");
    for (const char* text : {"", "abc", "5x", "--5", "99999999999"}) {
        const StepText bad = readStepText(text);
        EXPECT_EQ(bad.kind, StepText::Invalid) << text;
        EXPECT_FALSE(bad.message.isEmpty());
    }
}

TEST_F(ImageAdjustPage, SliderMovesSendTheConvertedBytesAndFollowInTheRecord) {
    attach(1);
    const struct {
        AdjustStep step;
        int position;
        const char* call;
    } cases[] = {
        {AdjustStep::Gamma, -20, "KRVCameraSetGamma(20)"},
        {AdjustStep::Gamma, 0, "KRVCameraSetGamma(100)"},
        {AdjustStep::Gamma, 20, "KRVCameraSetGamma(150)"},
        {AdjustStep::Contrast, -20, "KRVCameraSetContrast(20)"},
        {AdjustStep::Contrast, 0, "KRVCameraSetContrast(0)"},
        {AdjustStep::Contrast, 1, "KRVCameraSetContrast(24)"},
        {AdjustStep::Contrast, 20, "KRVCameraSetContrast(100)"},
        {AdjustStep::Saturation, -20, "KRVCameraSetSaturation(8)"},
        {AdjustStep::Saturation, 0, "KRVCameraSetSaturation(128)"},
        {AdjustStep::Saturation, 20, "KRVCameraSetSaturation(248)"},
    };
    for (const auto& c : cases) {
        krvcamera::clearSimulatorCallLog();
        move(c.step, c.position);
        EXPECT_EQ(krvcamera::simulatorCallLog(), std::vector<std::string>{c.call});
        EXPECT_EQ(adjustControl(record, c.step).value, c.position);
        EXPECT_EQ(page.edit(c.step)->text(), QString::number(c.position));
    }
    EXPECT_EQ(page.saturationStep(), 20);
    uint8_t gamma = 0;
    KRVCameraGetGamma(&gamma);
    EXPECT_EQ(gamma, 150);
}

TEST_F(ImageAdjustPage, AModelWithoutTheControlsIsSentZero) {
    attach(1);
    record.typeId = 2;
    for (const AdjustStep step :
         {AdjustStep::Gamma, AdjustStep::Contrast, AdjustStep::Saturation}) {
        move(step, -7);
        move(step, 9);
    }
    const std::vector<std::string> expected = {
        "KRVCameraSetGamma(0)",    "KRVCameraSetGamma(0)",      "KRVCameraSetContrast(0)",
        "KRVCameraSetContrast(0)", "KRVCameraSetSaturation(0)", "KRVCameraSetSaturation(0)"};
    EXPECT_EQ(krvcamera::simulatorCallLog(), expected);
}

TEST_F(ImageAdjustPage, SaturationControlsFollowColourEnhancement) {
    attach(1);
    ASSERT_EQ(record.colourEnhancement.value, 0);
    EXPECT_FALSE(page.slider(AdjustStep::Saturation)->isEnabled());
    EXPECT_FALSE(page.edit(AdjustStep::Saturation)->isEnabled());
    EXPECT_FALSE(page.saturationLabel()->isEnabled());
    EXPECT_TRUE(page.colourEnhancementBox()->isEnabled());

    page.colourEnhancementBox()->click();
    EXPECT_TRUE(logged("KRVCameraSetColorEnhancement(1)"));
    EXPECT_EQ(record.colourEnhancement.value, 1);
    EXPECT_TRUE(page.slider(AdjustStep::Saturation)->isEnabled());
    EXPECT_TRUE(page.edit(AdjustStep::Saturation)->isEnabled());
    EXPECT_TRUE(page.saturationLabel()->isEnabled());

    page.colourEnhancementBox()->click();
    EXPECT_TRUE(logged("KRVCameraSetColorEnhancement(0)"));
    EXPECT_FALSE(page.slider(AdjustStep::Saturation)->isEnabled());

    // Without a saturation control the box alone changes nothing.
    record.saturation.flag = 0;
    page.AttachRecord(&record);
    page.colourEnhancementBox()->click();
    EXPECT_FALSE(page.slider(AdjustStep::Saturation)->isEnabled());
}

TEST_F(ImageAdjustPage, AMinusSignAloneWaitsForTheDigit) {
    attach(1);
    QLineEdit* gamma = page.edit(AdjustStep::Gamma);
    std::vector<QString> asked;
    korvel::framework::ScopedMessageBoxInterceptor boxes([&](const QString& text, unsigned) {
        asked.push_back(text);
        return korvel::framework::IDOK;
    });
    gamma->clear();
    QTest::keyClicks(gamma, "-");
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(page.slider(AdjustStep::Gamma)->GetPos(), 0);

    QTest::keyClicks(gamma, "5");
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(page.slider(AdjustStep::Gamma)->GetPos(), -5);
    EXPECT_EQ(record.gamma.value, -5);
    EXPECT_EQ(krvcamera::simulatorCallLog(), std::vector<std::string>{"KRVCameraSetGamma(80)"});
}

TEST_F(ImageAdjustPage, RefusedTextShowsTheValidationMessageAndKeepsTheStep) {
    attach(1);
    move(AdjustStep::Contrast, 4);
    krvcamera::clearSimulatorCallLog();
    std::vector<QString> asked;
    korvel::framework::ScopedMessageBoxInterceptor boxes([&](const QString& text, unsigned) {
        asked.push_back(text);
        return korvel::framework::IDOK;
    });
    QLineEdit* contrast = page.edit(AdjustStep::Contrast);
    contrast->clear();
    QTest::keyClicks(contrast, "25");  // "2" is taken, "25" is refused
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Please enter an integer between -20 and 20.");
    EXPECT_EQ(page.contrastStep(), 2);
    EXPECT_EQ(record.contrast.value, 2);

    contrast->setText("x");
    page.onStepTextChanged(AdjustStep::Contrast);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1], "Please enter an integer.");
    EXPECT_EQ(record.contrast.value, 2);
}

TEST_F(ImageAdjustPage, SwitchesReachTheCameraAndStoreWritesEverything) {
    attach(1);
    page.hFlipBox()->click();
    page.vFlipBox()->click();
    page.monochromeBox()->click();
    const std::vector<std::string> expected = {
        "KRVCameraSetMirror(0, 1)", "KRVCameraSetMirror(1, 1)", "KRVCameraSetMonochrome(1)"};
    EXPECT_EQ(krvcamera::simulatorCallLog(), expected);
    EXPECT_EQ(record.mirror0.value, 1);
    EXPECT_EQ(record.mirror1.value, 1);
    EXPECT_EQ(record.monochrome.value, 1);

    // Background correction: offered only with data loaded, stored only by the sheet's OK.
    EXPECT_FALSE(page.useBackCorrectionBox()->isEnabled());
    record.backgroundCorrectionLoaded = 1;
    page.AttachRecord(&record);
    EXPECT_TRUE(page.useBackCorrectionBox()->isEnabled());
    EXPECT_TRUE(page.backCorrectionGroup()->isEnabled());
    krvcamera::clearSimulatorCallLog();
    page.useBackCorrectionBox()->click();
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
    EXPECT_EQ(record.backgroundCorrectionApplied, 0);

    page.slider(AdjustStep::Gamma)->SetPos(-3);
    page.StoreToRecord(&record);
    EXPECT_EQ(record.gamma.value, -3);
    EXPECT_EQ(record.backgroundCorrectionApplied, 1);
    EXPECT_EQ(record.mirror0.value, 1);
}

TEST_F(ImageAdjustPage, AttachLoadsEnablingAndValuesFromTheRecord) {
    attach(1);
    record.gamma = {1, -20, 20, 30};  // out of range: the slider clamps, the member follows
    record.contrast = {0, -20, 20, -4};
    record.mirror0.flag = 0;
    record.mirror1.flag = 0;
    record.monochrome = {0, 1};
    page.AttachRecord(&record);
    EXPECT_EQ(page.slider(AdjustStep::Gamma)->GetPos(), 20);
    EXPECT_EQ(page.gammaStep(), 20);
    EXPECT_EQ(page.edit(AdjustStep::Gamma)->text(), "20");
    EXPECT_FALSE(page.slider(AdjustStep::Contrast)->isEnabled());
    EXPECT_EQ(page.edit(AdjustStep::Contrast)->text(), "-4");
    EXPECT_FALSE(page.flipGroup()->isEnabled());
    EXPECT_FALSE(page.hFlipBox()->isEnabled());
    EXPECT_FALSE(page.monochromeBox()->isEnabled());
    EXPECT_TRUE(page.monochromeBox()->isChecked());
}
