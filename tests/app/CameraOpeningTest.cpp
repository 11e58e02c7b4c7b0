// The main window opening the camera: detection, "Select Camera", long-exposure mode, and
// the window closing when the camera is unplugged.

#include "FakeVideoDevice.h"
#include "app/ApplicationState.h"
#include "app/CMainFrame.h"
#include "camera/CCameraFrame.h"
#include "camera/SelectCameraDialog.h"
#include "common/RecordingSettingsStore.h"
#include "framework/CommandActions.h"
#include "framework/MessageBox.h"
#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"
#include "krvcamera/KRVCameraVideoDevices.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QToolBar>

#include <cstdlib>

using namespace korvel::app;
using korvel::test::RecordingSettingsStore;

namespace {

class CameraOpening : public ::testing::Test {
protected:
    void useCamera(const char* backend) {
        setenv("KRVCAMERA", backend, 1);
        krvcamera::resetLibrary();
    }
    void SetUp() override {
        frame = std::make_unique<CMainFrame>(state);
        ASSERT_TRUE(frame->create());
        QObject::connect(frame.get(), &CMainFrame::cameraTileLabelChanged,
                         [this](const QString& label) { tileLabels << label; });
    }
    void TearDown() override {
        frame.reset();
        setenv("KRVCAMERA", "none", 1);
        krvcamera::resetLibrary();
    }
    korvel::camera::CCameraFrame* cameraWindow() const {
        return qobject_cast<korvel::camera::CCameraFrame*>(frame->cameraWindow());
    }

    RecordingSettingsStore store;
    ApplicationState state{store};
    std::unique_ptr<CMainFrame> frame;
    QStringList tileLabels;
    QStringList messages;
    korvel::framework::ScopedMessageBoxInterceptor answer{[this](const QString& text, unsigned) {
        messages << text;
        return korvel::framework::IDOK;
    }};
};

}  // namespace

TEST_F(CameraOpening, ADetectedCameraGetsAWindowAndTheTileItsName) {
    useCamera("sim:14");
    frame->openCamera();
    ASSERT_NE(cameraWindow(), nullptr);
    EXPECT_EQ(cameraWindow()->record().typeId, 14);
    EXPECT_EQ(cameraWindow()->record().state, korvel::camera::kCameraOpen);
    EXPECT_EQ(tileLabels.size(), 1);
    EXPECT_FALSE(tileLabels.front().isEmpty());
    EXPECT_TRUE(messages.isEmpty());

    // A second request only brings the window to the top.
    korvel::camera::CCameraFrame* first = cameraWindow();
    frame->openCamera();
    EXPECT_EQ(cameraWindow(), first);
    cameraWindow()->close();
}

TEST_F(CameraOpening, PairedModelsAskWhichVariantIsPlugged) {
    useCamera("sim:13");
    std::vector<int> offered;
    frame->setVariantChooser([&](const korvel::camera::CameraVariants& v) {
        offered = {v.monoTypeId, v.colourTypeId};
        return std::optional<int>(v.monoTypeId);
    });
    frame->openCamera();
    EXPECT_EQ(offered, (std::vector<int>{12, 13}));
    ASSERT_NE(cameraWindow(), nullptr);
    EXPECT_EQ(cameraWindow()->record().typeId, 12);
    cameraWindow()->close();
}

TEST_F(CameraOpening, LongExposureModeSkipsModelsWithoutItButRelabelsTheTile) {
    useCamera("sim:3");
    frame->router().dispatch(korvel::res::ID_VIEW_LONG_EXPOSURE);
    ASSERT_TRUE(frame->longExposureMode());
    frame->setVariantChooser([](const auto&) -> std::optional<int> {
        ADD_FAILURE() << "no dialog for a model that gets no window";
        return std::nullopt;
    });
    frame->openCamera();
    EXPECT_EQ(frame->cameraWindow(), nullptr);
    ASSERT_EQ(tileLabels.size(), 1);
    EXPECT_FALSE(tileLabels.front().isEmpty());
}

TEST_F(CameraOpening, UnpluggingTheCameraClosesItsWindow) {
    useCamera("sim:14");
    frame->openCamera();
    ASSERT_NE(cameraWindow(), nullptr);
    KRVCameraSimulatorSetPlugged(0);
    for (int i = 0; i < 100 && frame->cameraWindow(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(frame->cameraWindow(), nullptr);
    EXPECT_EQ(tileLabels.last(), "Video");
}

TEST_F(CameraOpening, NoCameraSaysSo) {
    useCamera("none");
    frame->openCamera();
    EXPECT_EQ(messages, QStringList{"No Camera!"});
    EXPECT_EQ(frame->cameraWindow(), nullptr);
    EXPECT_TRUE(tileLabels.isEmpty());
}

// A scripted Video4Linux2 camera in place of the system's devices.
class VideoCameraOpening : public CameraOpening {
protected:
    void SetUp() override {
        krvcamera::useVideoDevices(camera.source());
        CameraOpening::SetUp();
    }
    void TearDown() override {
        CameraOpening::TearDown();
        krvcamera::useVideoDevices(krvcamera::systemVideoDevices());
    }
    krvcamera::test::FakeCamera camera;
};

TEST_F(VideoCameraOpening, ABusyDeviceLeavesTheWindowOpenWithPreviewToRetry) {
    using korvel::res::ID_CAMERA_PREVIEW;
    camera.addAllControls();
    camera.setBusy(true);  // another program holds it
    useCamera("v4l2");
    frame->openCamera();
    ASSERT_NE(cameraWindow(), nullptr);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(cameraWindow()->record().state, korvel::camera::kCameraClosed);
    EXPECT_TRUE(cameraWindow()->commandActions().action(ID_CAMERA_PREVIEW)->isVisible());

    // Once the other program lets go, "Preview" opens it and frames flow.
    camera.setBusy(false);
    ASSERT_TRUE(cameraWindow()->router().dispatch(ID_CAMERA_PREVIEW));
    EXPECT_EQ(cameraWindow()->record().state, korvel::camera::kCameraOpen);
    EXPECT_FALSE(cameraWindow()->commandActions().action(ID_CAMERA_PREVIEW)->isVisible());
    for (int i = 0; i < 200 && camera.framesDelivered() < 3; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_GE(camera.framesDelivered(), 3u);
    cameraWindow()->close();
}

TEST_F(VideoCameraOpening, NoDeviceSaysNoCamera) {
    camera.unplug();
    useCamera("v4l2");
    frame->openCamera();
    EXPECT_EQ(messages, QStringList{"No Camera!"});
    EXPECT_EQ(frame->cameraWindow(), nullptr);
}

TEST_F(CameraOpening, F11InTheWorkspaceTogglesTheCameraToolbar) {
    using korvel::res::ID_CAMERA_TOGGLE_TOOLBAR;
    // Without a camera window the entry has nothing to act on.
    EXPECT_FALSE(frame->router().query(ID_CAMERA_TOGGLE_TOOLBAR).enabled);

    useCamera("sim:14");
    frame->openCamera();
    ASSERT_NE(cameraWindow(), nullptr);
    cameraWindow()->show();
    const bool shown = cameraWindow()->toolBar()->isVisible();
    EXPECT_TRUE(frame->router().query(ID_CAMERA_TOGGLE_TOOLBAR).enabled);
    EXPECT_EQ(frame->router().query(ID_CAMERA_TOGGLE_TOOLBAR).checked.value_or(false), shown);

    EXPECT_TRUE(frame->router().dispatch(ID_CAMERA_TOGGLE_TOOLBAR));
    EXPECT_NE(cameraWindow()->toolBar()->isVisible(), shown);
    EXPECT_TRUE(frame->router().dispatch(ID_CAMERA_TOGGLE_TOOLBAR));
    EXPECT_EQ(cameraWindow()->toolBar()->isVisible(), shown);
    cameraWindow()->close();
}
