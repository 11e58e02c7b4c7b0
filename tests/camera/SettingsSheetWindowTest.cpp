#include "CameraFixture.h"
#include "CameraWindowFixture.h"

#include "camera/CCameraFrame.h"
#include "camera/CCameraSettingSheet.h"
#include "camera/CExposurePage.h"
#include "camera/CImageAdjustPage.h"
#include "camera/CParameterPage.h"
#include "camera/CPreviewWnd.h"
#include "camera/CWhiteBalanceWizard.h"
#include "camera/ImageAdjustControls.h"
#include "common/RecordingSettingsStore.h"
#include "framework/CommandActions.h"
#include "res/ids.h"
#include "ui/CPageSlider.h"

#include <QCoreApplication>

#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <filesystem>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::newCameraWindow;
using korvel::camera::test::SimulatedCameraTest;
using korvel::test::RecordingSettingsStore;

namespace {

class SheetWindow : public SimulatedCameraTest {
protected:
    CCameraFrame* makeWindow(int type) {
        // A camera without stored parameter sets.
        std::filesystem::remove(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Brenic" /
                                "KRVCamera.param");
        useCamera("sim:" + std::to_string(type));
        auto* frame = newCameraWindow(type, store, iniPath());
        EXPECT_TRUE(frame->create());
        return frame;
    }
    // Runs deleteLater() and posted messages.
    static void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    RecordingSettingsStore store;
};

}  // namespace

TEST_F(SheetWindow, PropertyOpensOneSheetWhileIdleAndOkDestroysIt) {
    CCameraFrame* frame = makeWindow(1);
    auto& router = frame->router();
    EXPECT_EQ(router.query(ID_CAMERA_PROPERTY).checked, false);
    ASSERT_TRUE(router.dispatch(ID_CAMERA_PROPERTY));
    QPointer<CCameraSettingSheet> sheet = frame->settingsSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(frame->busy(), CCameraFrame::kSettingsSheet);
    EXPECT_EQ(sheet->record(), &frame->record());
    EXPECT_EQ(router.query(ID_CAMERA_PROPERTY).checked, true);

    // A second Property brings the same sheet to the front.
    router.dispatch(ID_CAMERA_PROPERTY);
    EXPECT_EQ(frame->settingsSheet(), sheet.data());
    EXPECT_EQ(frame->findChildren<CCameraSettingSheet*>().size(), 1);

    krvcamera::clearSimulatorCallLog();
    sheet->okButton()->click();
    EXPECT_EQ(frame->settingsSheet(), nullptr);
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    settle();
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(callsOf("KRVCameraSaveParameter"),
              std::vector<std::string>{"KRVCameraSaveParameter(0)"});
    EXPECT_EQ(router.query(ID_CAMERA_PROPERTY).checked, false);
    frame->close();
}

TEST_F(SheetWindow, PropertyIsRefusedWhileBusyAndTheCloseBoxEndsTheSheet) {
    CCameraFrame* frame = makeWindow(1);
    frame->router().dispatch(ID_CAMERA_EXPOSURE);  // the exposure pop-up
    ASSERT_EQ(frame->busy(), CCameraFrame::kExposurePopup);
    frame->router().dispatch(ID_CAMERA_PROPERTY);
    EXPECT_EQ(frame->settingsSheet(), nullptr);
    frame->router().dispatch(ID_CAMERA_EXPOSURE);  // closes it again
    ASSERT_EQ(frame->busy(), CCameraFrame::kIdle);

    frame->router().dispatch(ID_CAMERA_PROPERTY);
    ASSERT_NE(frame->settingsSheet(), nullptr);
    krvcamera::clearSimulatorCallLog();
    frame->settingsSheet()->close();  // the close box: nothing stored, nothing restored
    EXPECT_EQ(frame->settingsSheet(), nullptr);
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    EXPECT_TRUE(callsOf("KRVCameraSaveParameter").empty());
    settle();
    frame->close();
}

TEST_F(SheetWindow, CancelAppliesTheRecordAndReloadsTheSheetBeforeItCloses) {
    CCameraFrame* frame = makeWindow(1);
    // Earlier tests may have left the camera's working set with auto exposure off.
    frame->record().autoExposure.value = 1;
    KRVCameraSetAeState(1);
    frame->router().dispatch(ID_CAMERA_PROPERTY);
    CCameraSettingSheet* sheet = frame->settingsSheet();
    ASSERT_TRUE(sheet);
    sheet->exposurePage()->manualButton()->click();
    ASSERT_EQ(frame->record().autoExposure.value, 0);

    // 1301 while the sheet exists gives it the record again.
    frame->record().gamma.value = 5;
    frame->onMessage({MSG_APPLY_ALL, 0, 0, {}});
    EXPECT_EQ(sheet->imageAdjustPage()->slider(AdjustStep::Gamma)->GetPos(), 5);

    sheet->cancelButton()->click();
    EXPECT_EQ(frame->record().autoExposure.value, 1);
    int state = 0;
    KRVCameraGetAeState(&state);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(frame->settingsSheet(), nullptr);
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    frame->close();
}

TEST_F(SheetWindow, BalanceMessagesReachTheSheet) {
    CCameraFrame* frame = makeWindow(1);
    frame->router().dispatch(ID_CAMERA_PROPERTY);
    CCameraSettingSheet* sheet = frame->settingsSheet();
    ASSERT_TRUE(sheet);
    frame->onMessage({MSG_BLACK_BALANCE, 0, 0, {}});
    EXPECT_EQ(frame->record().colourGains.red.value, 97);
    EXPECT_EQ(sheet->parameterPage()->gainSlider(0)->GetPos(), 97);

    // "W.Balance" on the exposure page: the parameter page shows what the camera reports.
    sheet->exposurePage()->onWhiteBalance();
    int red = 0, green = 0, blue = 0;
    KRVCameraGetGain(&red, &green, &blue);
    EXPECT_EQ(frame->record().colourGains.red.value, red);
    EXPECT_EQ(sheet->parameterPage()->gainSlider(0)->GetPos(), std::clamp(red, 20, 200));
    EXPECT_EQ(sheet->parameterPage()->gainSlider(2)->GetPos(), std::clamp(blue, 20, 200));
    frame->close();
}

TEST_F(SheetWindow, TheWizardRunsOverTheLivePictureAndItsGainsAreSaved) {
    CCameraFrame* frame = makeWindow(13);
    KRVCameraSetGain(64, 64, 64);
    bool sawSurface = false;
    frame->setWizardRunner([&](CWhiteBalanceWizard& wizard) {
        sawSurface = frame->previewWindow()->pipeline().zoomTarget() == &wizard.surface();
        wizard.whiteBalanceButton()->click();
        wizard.finishButton()->click();
        return wizard.result();
    });
    krvcamera::clearSimulatorCallLog();
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_WHITE_BALANCE_WIZARD));
    EXPECT_TRUE(sawSurface);
    EXPECT_EQ(frame->previewWindow()->pipeline().zoomTarget(), nullptr);
    int red = 0, green = 0, blue = 0;
    KRVCameraGetGain(&red, &green, &blue);
    EXPECT_NE(red, 64);
    EXPECT_EQ(frame->record().colourGains.red.value, red);
    EXPECT_EQ(frame->record().colourGains.blue.value, blue);
    EXPECT_EQ(callsOf("KRVCameraSaveParameter"),
              std::vector<std::string>{"KRVCameraSaveParameter(0)"});

    // Closed with the close box: the starting gains come back, and are saved.
    frame->setWizardRunner([](CWhiteBalanceWizard& wizard) {
        wizard.whiteBalanceButton()->click();
        wizard.close();
        return wizard.result();
    });
    frame->router().dispatch(ID_CAMERA_WHITE_BALANCE_WIZARD);
    EXPECT_EQ(frame->record().colourGains.red.value, red);
    frame->close();
}
