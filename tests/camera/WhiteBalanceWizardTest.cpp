#include "SheetHarness.h"

#include "camera/CWhiteBalanceWizard.h"
#include "camera/FrameSurface.h"
#include "camera/WhiteBalance.h"

#include <QLabel>

#include <QPushButton>
#include <algorithm>
#include <array>
#include <vector>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::SheetTest;

namespace {

const QRect kScreen{0, 0, 1280, 1024};

class WhiteBalanceWizard : public SheetTest {
protected:
    std::unique_ptr<CWhiteBalanceWizard> openWizard() {
        auto wizard = std::make_unique<CWhiteBalanceWizard>(nullptr, 640, 480, nullptr, kScreen);
        wizard->show();
        return wizard;
    }
    static Gains gains() { return cameraGains(); }
};

}  // namespace

TEST(WizardLayout, PictureIsShapedToTheImageBesideThePanel) {
    const WizardLayout layout = wizardLayout(QSize(1280, 1024), QSize(640, 480));
    // Unshaped: 1020 x 994; d = max(640 / 1020, 480 / 994) = 640 / 1020.
    const double d = 640.0 / 1020.0;
    const int width = static_cast<int>(640 / d) - 8;
    const int height = static_cast<int>(480 / d);
    EXPECT_EQ(layout.picture, QRect((1020 - width) / 2, (994 - height) / 2, width, height));
    EXPECT_EQ(layout.stepPicture, QRect(1280 - 263, 0, 260, 200));
    EXPECT_EQ(layout.step1Text, QRect(1280 - 254, 230, 240, 40));
    EXPECT_EQ(layout.step2Text, layout.step1Text);
    EXPECT_EQ(layout.whiteBalance.topLeft(), QPoint(1280 - 230, 290));
    EXPECT_EQ(layout.whiteBalanceIcon.topLeft(), QPoint(1280 - 100, 288));
    EXPECT_EQ(layout.finish.topLeft(), QPoint(1280 - 230, 350));
    EXPECT_EQ(layout.finishIcon.topLeft(), QPoint(1280 - 100, 348));
    EXPECT_EQ(layout.redo.topLeft(), QPoint(1280 - 230, 410));
    EXPECT_EQ(layout.redoIcon.topLeft(), QPoint(1280 - 100, 408));

    // A tall image is limited by the height; no image leaves the area unshaped.
    const WizardLayout tall = wizardLayout(QSize(1280, 1024), QSize(100, 2000));
    EXPECT_EQ(tall.picture.height(), 994);
    EXPECT_EQ(wizardLayout(QSize(1280, 1024), QSize(0, 0)).picture, QRect(0, 0, 1020, 994));
}

TEST(WizardSteps, ControlsOfEachStep) {
    const WizardStepControls first = wizardStepControls(1);
    EXPECT_TRUE(first.whiteBalance);
    EXPECT_FALSE(first.finish);
    EXPECT_FALSE(first.redo);
    EXPECT_EQ(first.stepBitmap, 250);
    const WizardStepControls second = wizardStepControls(2);
    EXPECT_FALSE(second.whiteBalance);
    EXPECT_TRUE(second.finish);
    EXPECT_TRUE(second.redo);
    EXPECT_EQ(second.stepBitmap, 251);
}

TEST_F(WhiteBalanceWizard, OpensFullScreenInStepOne) {
    openCamera(13);
    auto wizard = openWizard();
    EXPECT_EQ(wizard->windowTitle(), "White Balance Wizard");
    EXPECT_EQ(wizard->geometry().size(), kScreen.size());
    EXPECT_EQ(wizard->picture()->geometry(), wizard->layout().picture);
    EXPECT_EQ(wizard->step(), 1);
    EXPECT_EQ(wizard->step1Text()->text(),
              "Step1:Move the sample out of the view, then click the button of balance");
    EXPECT_EQ(wizard->step2Text()->text(),
              "Step2:Move the sample back , then click the button of finish");
    EXPECT_TRUE(wizard->step1Text()->isVisible());
    EXPECT_FALSE(wizard->step2Text()->isVisible());
    EXPECT_TRUE(wizard->whiteBalanceButton()->isEnabled());
    EXPECT_FALSE(wizard->finishButton()->isEnabled());
    EXPECT_FALSE(wizard->redoButton()->isEnabled());
    EXPECT_FALSE(wizard->referenceButton()->isVisible());
    EXPECT_FALSE(wizard->referenceButton()->isEnabled());
    EXPECT_FALSE(wizard->icon(IDC_WIZARD_REFERENCE_ICON)->isVisible());
    EXPECT_TRUE(wizard->icon(IDC_WIZARD_WHITE_BALANCE_ICON)->isVisible());
    EXPECT_FALSE(wizard->icon(IDC_WIZARD_REDO_ICON)->isVisible());
    EXPECT_EQ(wizard->stepPicture()->property("bitmap").toInt(), 250);
    EXPECT_EQ(wizard->surface().targetSize(), wizard->layout().picture.size());
}

TEST_F(WhiteBalanceWizard, ClosingAtOnceRestoresTheGainsItRead) {
    openCamera(13);
    KRVCameraSetGain(70, 64, 80);
    auto wizard = openWizard();
    EXPECT_EQ(wizard->steps().savedGains(), (Gains{70, 64, 80}));
    KRVCameraSetGain(100, 100, 100);  // anything that happened meanwhile
    krvcamera::clearSimulatorCallLog();
    wizard->close();
    EXPECT_EQ(wizard->result(), QDialog::Rejected);
    EXPECT_EQ(krvcamera::simulatorCallLog(),
              std::vector<std::string>{"KRVCameraSetGain(70, 64, 80)"});
    EXPECT_EQ(gains(), (Gains{70, 64, 80}));
}

TEST_F(WhiteBalanceWizard, RedoRestoresTheStartingGainsAndShowsStepOne) {
    openCamera(13);
    KRVCameraSetGain(64, 64, 64);
    auto wizard = openWizard();
    krvcamera::clearSimulatorCallLog();
    wizard->whiteBalanceButton()->click();
    EXPECT_EQ(krvcamera::simulatorCallLog(), std::vector<std::string>{"KRVCameraSetAWBState(1)"});
    EXPECT_EQ(wizard->step(), 2);
    EXPECT_NE(gains(), (Gains{64, 64, 64}));
    EXPECT_FALSE(wizard->whiteBalanceButton()->isEnabled());
    EXPECT_TRUE(wizard->finishButton()->isEnabled());
    EXPECT_TRUE(wizard->redoButton()->isEnabled());
    EXPECT_TRUE(wizard->step2Text()->isVisible());
    EXPECT_FALSE(wizard->step1Text()->isVisible());
    EXPECT_EQ(wizard->stepPicture()->property("bitmap").toInt(), 251);

    wizard->redoButton()->click();
    EXPECT_EQ(wizard->step(), 1);
    EXPECT_EQ(gains(), (Gains{64, 64, 64}));
    EXPECT_TRUE(wizard->whiteBalanceButton()->isEnabled());
    EXPECT_FALSE(wizard->redoButton()->isEnabled());

    // In step 1 "Redo" is disabled, and does nothing even when asked directly.
    krvcamera::clearSimulatorCallLog();
    wizard->onRedo();
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
    EXPECT_EQ(wizard->step(), 1);
}

TEST_F(WhiteBalanceWizard, FinishKeepsTheBalance) {
    openCamera(13);
    KRVCameraSetGain(64, 64, 64);
    auto wizard = openWizard();
    wizard->whiteBalanceButton()->click();
    const Gains balanced = gains();
    wizard->finishButton()->click();
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(gains(), balanced);
}

namespace {

// Mean blue, green and red of the next decoded live frame.
std::array<double, 3> liveChannelMeans() {
    int width = 0, height = 0;
    KRVCameraGetImageSize(&width, &height);
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(width) * height);
    std::vector<std::uint8_t> image(raw.size() * 3);
    int attempts = 0;
    while (KRVCameraGrabFrame(raw.data()) != 1 && ++attempts < 20) {
    }
    KRVCameraDecode(raw.data(), image.data(), width, height);
    std::array<double, 3> sums{};
    for (std::size_t i = 0; i < image.size(); i += 3) {
        for (std::size_t c = 0; c < 3; ++c) {
            sums[c] += image[i + c];
        }
    }
    for (double& sum : sums) {
        sum /= static_cast<double>(raw.size());
    }
    return sums;
}

double spread(const std::array<double, 3>& means) {
    const auto [lowest, highest] = std::minmax_element(means.begin(), means.end());
    return (*highest - *lowest) / *highest;
}

}  // namespace

TEST_F(WhiteBalanceWizard, BalancingOnTheEmptyFieldMakesTheLivePictureGrey) {
    openCamera(13);
    KRVCameraSetAeState(0);
    KRVCameraSetGain(64, 64, 64);
    KRVCameraSimulatorSetSlide(0);  // step 1: the sample out of the view
    const std::array<double, 3> before = liveChannelMeans();
    ASSERT_GT(spread(before), 0.1);  // the warm lamp tints the unbalanced picture
    ASSERT_LT(before[1], 235.0);     // and nothing is clipped

    auto wizard = openWizard();
    wizard->whiteBalanceButton()->click();
    const std::array<double, 3> after = liveChannelMeans();
    EXPECT_LT(spread(after), 0.03) << after[0] << " " << after[1] << " " << after[2];

    KRVCameraSimulatorSetSlide(1);  // step 2: the sample back
    wizard->finishButton()->click();
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
}
