#include "CameraFixture.h"
#include "CameraWindowFixture.h"

#include "camera/CCameraFrame.h"
#include "camera/CameraListener.h"
#include "camera/CameraSettings.h"
#include "camera/SelectCameraDialog.h"
#include "common/MessageRecorder.h"
#include "common/RecordingSettingsStore.h"
#include "framework/CommandActions.h"
#include "platform/UsbHotplugMonitor.h"
#include "res/ids.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QToolBar>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::newCameraWindow;
using korvel::camera::test::SimulatedCameraTest;
using korvel::test::RecordingSettingsStore;

namespace {

using Recorder = korvel::test::MessageRecorder;

class CameraWindow : public SimulatedCameraTest {
protected:
    CCameraFrame* makeWindow(int type) {
        useCamera("sim:" + std::to_string(type));
        return newCameraWindow(type, store, iniPath(), {.mainWindow = mainWindowTarget()});
    }
    korvel::framework::MessageTarget* mainWindowTarget() { return &mainWindow; }
    RecordingSettingsStore store;
    Recorder mainWindow;
};

}  // namespace

TEST(CameraWindowFit, ImageFitsTheScreenAndIsCentred) {
    const QRect small = fitCameraWindow(QSize(640, 480), 30, 20, QSize(1920, 1080));
    EXPECT_EQ(small.size(), QSize(640 + 46, 480 + 30 + 20 + 6));
    EXPECT_EQ(small.x(), (1920 - 686) / 2);
    EXPECT_EQ(small.y(), (1080 - 30 - 536) / 2);

    const QRect large = fitCameraWindow(QSize(3264, 2448), 30, 20, QSize(1920, 1080));
    // Available 1914 x (1080 - 2 x 30 - 20 - 6): the height decides.
    const double ratio = 2448.0 / 994.0;
    EXPECT_EQ(large.width(), static_cast<int>(3264 / ratio) + 46);
    EXPECT_EQ(large.height(), static_cast<int>(2448 / ratio) + 56);
    EXPECT_GE(large.y(), 0);

    EXPECT_EQ(fitCameraWindow(QSize(), 0, 0, QSize(1920, 1080)).size(), QSize(686, 486));
}

TEST_F(CameraWindow, CreationOpensTheCameraAndSetsTheToolbar) {
    CCameraFrame* frame = makeWindow(13);
    ASSERT_TRUE(frame->create());
    EXPECT_EQ(frame->record().state, kCameraOpen);
    EXPECT_EQ(frame->brightnessBar()->maximum(), 255);
    auto& actions = frame->commandActions();
    EXPECT_FALSE(actions.action(ID_CAMERA_PREVIEW)->isVisible());
    EXPECT_FALSE(actions.action(ID_CAMERA_VIDEO_RESTORE)->isVisible());
    EXPECT_TRUE(actions.action(ID_CAMERA_VIDEO_CUT)->isVisible());
    EXPECT_TRUE(frame->router().query(ID_CAMERA_QUICK_BLACK_BALANCE).enabled);
    frame->close();
}

TEST_F(CameraWindow, ABrightnessMessageMovesTheBarAndTitlesTheWindowWithTheSaveFolder) {
    CCameraFrame* frame = makeWindow(13);
    ASSERT_TRUE(frame->create());
    // While the software auto exposure runs it titles the window with its exposure instead.
    frame->record().autoExposure.value = 0;
    frame->onMessage({MSG_FRAME_BRIGHTNESS, 117, 0, {}});
    EXPECT_EQ(frame->brightnessBar()->value(), 117);
    EXPECT_EQ(frame->windowTitle(), "/pics/");
    frame->onMessage({MSG_STATUS_TEXT, 0, 0, "Frames: 12"});
    EXPECT_EQ(frame->textPane()->text(), "Frames: 12");
    frame->close();
}

TEST_F(CameraWindow, PreviewStaysOfferedWhileTheCameraCouldNotBeOpened) {
    CCameraFrame* frame = makeWindow(13);
    KRVCameraSimulatorSetPlugged(0);  // KRVCameraInit fails
    ASSERT_TRUE(frame->create());
    EXPECT_EQ(frame->record().state, kCameraClosed);
    auto& actions = frame->commandActions();
    EXPECT_TRUE(actions.action(ID_CAMERA_PREVIEW)->isVisible());

    // "Preview" retries; once the camera is open it is hidden like the other buttons.
    KRVCameraSimulatorSetPlugged(1);
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_PREVIEW));
    EXPECT_EQ(frame->record().state, kCameraOpen);
    EXPECT_FALSE(actions.action(ID_CAMERA_PREVIEW)->isVisible());
    // The background correction needs a working camera, so it is offered while one is open.
    EXPECT_TRUE(actions.action(ID_CAMERA_BACK_CORRECTION)->isVisible());

    // Closing the camera for the background-correction program offers it again.
    frame->onMessage({MSG_CAMERA_CLOSE, 0, 0, {}});
    EXPECT_EQ(frame->record().state, kCameraClosed);
    EXPECT_TRUE(actions.action(ID_CAMERA_PREVIEW)->isVisible());
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_PREVIEW));
    EXPECT_EQ(frame->record().state, kCameraOpen);
    frame->close();
}

TEST_F(CameraWindow, ABrightnessMessageTitlesTheWindowWithTheFolderOfTheNextSnapshotName) {
    CCameraFrame* frame = makeWindow(13);
    ASSERT_TRUE(frame->create());
    frame->record().autoExposure.value = 0;
    frame->record().snapshot.bTimeStamp = 0;
    frame->record().snapshot.sFilename = "cells/KV";
    frame->onMessage({MSG_FRAME_BRIGHTNESS, 90, 0, {}});
    EXPECT_EQ(frame->windowTitle(), "/pics/cells/");
    // A time-stamped name does not use the base name.
    frame->record().snapshot.bTimeStamp = 1;
    frame->onMessage({MSG_FRAME_BRIGHTNESS, 90, 0, {}});
    EXPECT_EQ(frame->windowTitle(), "/pics/");
    frame->close();
}

TEST_F(CameraWindow, BrightnessMessagesFeedTheRunningBrightnessOfTheSoftwareAutoExposure) {
    CCameraFrame* frame = makeWindow(13);
    ASSERT_TRUE(frame->create());
    CameraRecord& record = frame->record();
    ASSERT_EQ(record.softwareAutoExposure, 1);

    // Auto exposure off: the running brightness stays where the regulation left it.
    record.autoExposure.value = 0;
    record.runningBrightness = 0;
    frame->onMessage({MSG_FRAME_BRIGHTNESS, 120, 0, {}});
    EXPECT_EQ(record.runningBrightness, 0);
    EXPECT_EQ(frame->windowTitle(), "/pics/");

    // On: every message is smoothed in.
    record.autoExposure.value = 1;
    record.aeTarget.value = 0;  // T = 100, dark limit 20
    frame->onMessage({MSG_FRAME_BRIGHTNESS, 120, 0, {}});
    EXPECT_EQ(record.runningBrightness, 60);
    frame->onMessage({MSG_FRAME_BRIGHTNESS, 19, 0, {}});  // too dark: counts as 1
    EXPECT_EQ(record.runningBrightness, 30);
    EXPECT_EQ(frame->brightnessBar()->value(), 19);
    frame->close();
}

TEST(SnapshotFolder, FolderPartOfTheNextAutomaticName) {
    SnapshotSettings s;
    s.bTimeStamp = 0;
    s.sFilename = "KV";
    EXPECT_EQ(nextSnapshotFolder(s, "/pics/"), "/pics/");
    s.sFilename = "day1/KV";
    EXPECT_EQ(nextSnapshotFolder(s, "/pics/"), "/pics/day1/");
    // The folder is prefixed unchanged: without its slash the name lands one level up.
    EXPECT_EQ(nextSnapshotFolder(s, "/pics"), "/picsday1/");
    s.sFilename = "KV";
    EXPECT_EQ(nextSnapshotFolder(s, "/pics"), "/");
    s.bTimeStamp = 1;
    s.sFilename = "day1/KV";
    EXPECT_EQ(nextSnapshotFolder(s, "/home/u/Pictures/"), "/home/u/Pictures/");
    EXPECT_EQ(nextSnapshotFolder(s, ""), "");
}

TEST_F(CameraWindow, ClosingWritesTheSettingsInOrderAndClosesTheCamera) {
    CCameraFrame* frame = makeWindow(13);
    ASSERT_TRUE(frame->create());
    bool closedSignal = false;
    QObject::connect(frame, &CCameraFrame::closed, [&] { closedSignal = true; });
    krvcamera::clearSimulatorCallLog();
    store.writes.clear();
    frame->close();
    EXPECT_TRUE(closedSignal);
    const QStringList expected = {
        "FileSave/bConfig",    "FileSave/sFilename",   "FileSave/bNum",   "FileSave/uiFiletype",
        "FileSave/bTimeStamp", "FileSave/bLapse",      "FileSave/nSpace", "FileSave/nCount",
        "VideoSave/bConfig",   "VideoSave/sFilename",  "VideoSave/bNum",  "VideoSave/bTimeStamp",
        "VideoSave/Compress",  "VideoSave/CompressID", "RX3C/Preview",    "RX3C/Capture",
        "RX3C/ResLock"};
    EXPECT_EQ(store.writes, expected);
    EXPECT_EQ(callsOf("KRVCameraUnInit").size(), 1u);
}

TEST_F(CameraWindow, SettingsAreReadWithTheirDefaults) {
    CameraRecord record;
    record.typeId = 14;
    loadCameraSettings(store, record);
    EXPECT_EQ(record.snapshot.sFilename, "KV");
    EXPECT_EQ(record.snapshot.uiFiletype, 2);
    EXPECT_EQ(record.snapshot.nCount, 1);
    EXPECT_EQ(record.video.bTimeStamp, 1);
    EXPECT_EQ(record.previewResolution, 4);
    EXPECT_EQ(record.captureResolution, 4);
    EXPECT_EQ(record.resolutionLock, 1);
}

TEST_F(CameraWindow, TypeTwelveReadsTheResolutionLockAsOn) {
    store.values["RX3/ResLock"] = 0;
    store.values["RX3C/ResLock"] = 0;
    CameraRecord twelve;
    twelve.typeId = 12;
    loadCameraSettings(store, twelve);
    EXPECT_EQ(twelve.resolutionLock, 1);
    CameraRecord thirteen;
    thirteen.typeId = 13;
    loadCameraSettings(store, thirteen);
    EXPECT_EQ(thirteen.resolutionLock, 0);

    // And an opened type 12 camera stores it as on.
    CCameraFrame* frame = makeWindow(12);
    ASSERT_TRUE(frame->create());
    ASSERT_EQ(frame->record().state, kCameraOpen);
    EXPECT_EQ(frame->record().resolutionLock, 1);
    frame->close();
    EXPECT_EQ(store.values.value("RX3/ResLock").toInt(), 1);
}

TEST(SelectCamera, MonoFirstColourSecond) {
    const auto variants = cameraVariants(13);
    ASSERT_TRUE(variants);
    EXPECT_EQ(variants->monoText, "RX-3 B/W");
    EXPECT_EQ(variants->colourText, "RX-3 Color");
    SelectCameraDialog dialog(*variants);
    EXPECT_EQ(dialog.list()->currentRow(), 0);
    EXPECT_EQ(dialog.chosenTypeId(), 12);
    dialog.list()->setCurrentRow(1);
    EXPECT_EQ(dialog.chosenTypeId(), 13);
    EXPECT_EQ(cameraVariants(18)->colourTypeId, 3);
    EXPECT_EQ(cameraVariants(23)->monoTypeId, 17);
    EXPECT_FALSE(cameraVariants(14));
}

TEST_F(SimulatedCameraTest, ListenerTurnsDeviceNamesIntoCameraMessages) {
    useCamera("sim:13");
    Recorder mainWindow;
    CameraListener listener(&mainWindow);
    listener.deviceChanged(
        true, korvel::platform::UsbHotplugMonitor::deviceInterfaceName(0xF0CA, 0xA00D, "X1"));
    listener.deviceChanged(false, "\\\\?\\USB#ROOT_HUB#4&1");
    QCoreApplication::processEvents();
    ASSERT_EQ(mainWindow.messages.size(), 2u);
    EXPECT_EQ(mainWindow.messages[0].id, unsigned(MSG_CAMERA_ARRIVED));
    EXPECT_EQ(int(std::intptr_t(mainWindow.messages[0].wParam)), 13);
    EXPECT_EQ(mainWindow.messages[1].id, unsigned(MSG_CAMERA_REMOVED));
    EXPECT_EQ(int(std::intptr_t(mainWindow.messages[1].wParam)), -1);
}

TEST_F(SimulatedCameraTest, UnpluggingTheSimulatorReachesTheMainWindow) {
    useCamera("sim:13");
    Recorder mainWindow;
    CameraListener listener(&mainWindow);
    ASSERT_TRUE(listener.registerNotifications());
    KRVCameraSimulatorSetPlugged(0);
    for (int i = 0; i < 50 && mainWindow.messages.empty(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_FALSE(mainWindow.messages.empty());
    EXPECT_EQ(mainWindow.messages.back().id, unsigned(MSG_CAMERA_REMOVED));
    EXPECT_EQ(int(std::intptr_t(mainWindow.messages.back().wParam)), 13);
    EXPECT_TRUE(listener.unregisterNotifications());
}

TEST_F(CameraWindow, AFinishedCaptureIsAnnouncedUnlessItIsRaw) {
    CCameraFrame* frame = makeWindow(13);
    ASSERT_TRUE(frame->create());
    frame->record().snapshot.uiFiletype = 1;
    frame->onMessage({MSG_CAPTURE_FINISHED, 0, 0, "/pics/KV.jpg"});
    ASSERT_EQ(mainWindow.messages.size(), 1u);
    EXPECT_EQ(mainWindow.messages[0].id, unsigned(MSG_FILE_SAVED));
    EXPECT_EQ(mainWindow.messages[0].text, "/pics/KV.jpg");
    frame->record().snapshot.uiFiletype = 4;
    frame->onMessage({MSG_CAPTURE_FINISHED, 0, 0, "/pics/KV.raw"});
    EXPECT_EQ(mainWindow.messages.size(), 1u);
    frame->close();
}

TEST_F(CameraWindow, PromptsFollowTheStateAndF11TogglesTheToolbar) {
    CCameraFrame* frame = makeWindow(13);
    ASSERT_TRUE(frame->create());
    auto& actions = frame->commandActions();
    EXPECT_EQ(actions.action(ID_CAMERA_RECORD)->toolTip(), "Start Record");
    EXPECT_EQ(actions.action(ID_CAMERA_EXPOSURE)->toolTip(), "Exposure");
    EXPECT_TRUE(
        actions.action(ID_CAMERA_TOGGLE_TOOLBAR)->shortcuts().contains(QKeySequence("F11")));
    frame->show();
    ASSERT_TRUE(frame->toolBar()->isVisible());
    frame->router().dispatch(ID_CAMERA_TOGGLE_TOOLBAR);
    EXPECT_FALSE(frame->toolBar()->isVisible());
    frame->close();
}
