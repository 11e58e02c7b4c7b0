// Snapshots through the camera window and its simulated camera: Snap (1230) runs the series
// thread, each shot (1284) is named or asked for, the preview captures, 1304 reaches the main
// window unless the file is RAW; the series ends at once when the camera closes. The save
// configuration commands open the sheet on their tab.

#include "camera/CameraFixture.h"
#include "camera/CameraWindowFixture.h"
#include "common/ServeEvents.h"

#include "camera/CCameraFrame.h"
#include "camera/CPreviewWnd.h"
#include "capture/CSaveConfigSheet.h"
#include "common/RecordingSettingsStore.h"
#include "framework/MessageBox.h"
#include "res/ids.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QTabWidget>
#include <QTest>

#include <chrono>
#include <filesystem>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::newCameraWindow;
using korvel::camera::test::SimulatedCameraTest;
using korvel::test::RecordingSettingsStore;

namespace {

class MainWindow : public korvel::framework::MessageTarget {
public:
    std::intptr_t onMessage(const korvel::framework::Message& m) override {
        if (m.id == unsigned(MSG_FILE_SAVED)) {
            saved.push_back(m.text.toStdString());
        }
        return 0;
    }
    std::vector<std::string> saved;
};

using korvel::test::serveUntil;

class CameraWindowSnapshot : public SimulatedCameraTest {
protected:
    CCameraFrame* makeWindow(int type) {
        useCamera("sim:" + std::to_string(type));
        folder = QDir::current().filePath("snaps").toStdString() + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        frame = newCameraWindow(
            type, store, iniPath(),
            {[this] { return QString::fromStdString(folder); }, nullptr, &mainWindow});
        EXPECT_TRUE(frame->create());
        EXPECT_EQ(frame->record().state, kCameraOpen);
        return frame.data();
    }
    void TearDown() override {
        if (frame) {
            frame->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SimulatedCameraTest::TearDown();
    }
    void configureSeries(int fileType, int count, int interval) {
        SnapshotSettings& s = frame->record().snapshot;
        s.bConfig = 1;
        s.sFilename = "KV";
        s.bTimeStamp = 0;
        s.bLapse = 1;
        s.nCount = count;
        s.nSpace = interval;
        s.uiFiletype = fileType;
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(folder + name); }

    RecordingSettingsStore store;
    MainWindow mainWindow;
    QPointer<CCameraFrame> frame;
    std::string folder;
};

}  // namespace

TEST_F(CameraWindowSnapshot, SnapWritesTheSeriesAndTellsTheMainWindow) {
    makeWindow(3);
    configureSeries(2, 3, 0);
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_SNAP));
    EXPECT_EQ(frame->busy(), CCameraFrame::kSnapshot);
    EXPECT_TRUE(frame->router().query(ID_CAMERA_SNAP).checked);
    // A second Snap while the series runs is ignored.
    frame->router().dispatch(ID_CAMERA_SNAP);
    ASSERT_TRUE(serveUntil([&] { return frame->busy() == CCameraFrame::kIdle; }));
    EXPECT_EQ(mainWindow.saved, (std::vector<std::string>{folder + "KV.bmp", folder + "KV-1.bmp",
                                                          folder + "KV-2.bmp"}));
    EXPECT_TRUE(exists("KV.bmp") && exists("KV-1.bmp") && exists("KV-2.bmp"));
    EXPECT_FALSE(exists("KV-3.bmp"));
}

TEST_F(CameraWindowSnapshot, RawFilesAreWrittenButNotAnnounced) {
    makeWindow(3);
    configureSeries(4, 1, 0);
    frame->record().snapshot.bLapse = 0;
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_SNAP));
    ASSERT_TRUE(serveUntil([&] { return frame->busy() == CCameraFrame::kIdle; }));
    EXPECT_TRUE(exists("KV.raw"));
    EXPECT_TRUE(mainWindow.saved.empty());
}

TEST_F(CameraWindowSnapshot, DialogNameAndFilterChooseTheFile) {
    makeWindow(3);
    frame->record().snapshot.bConfig = 0;
    frame->record().snapshot.uiFiletype = 2;
    int asked = 0;
    frame->setSnapshotDialog([&](const korvel::capture::SaveDialogRequest& request) {
        ++asked;
        EXPECT_EQ(request.initialFilter, 1);
        return std::optional<korvel::capture::SaveDialogAnswer>({folder + "pick.jpg", 2});
    });
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_SNAP));
    ASSERT_TRUE(serveUntil([&] { return frame->busy() == CCameraFrame::kIdle; }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(frame->record().snapshot.uiFiletype, 1);
    EXPECT_TRUE(exists("pick.jpg"));
    EXPECT_EQ(mainWindow.saved, std::vector<std::string>{folder + "pick.jpg"});
}

TEST_F(CameraWindowSnapshot, CancellingTheFirstShotsDialogEndsTheSeries) {
    makeWindow(3);
    frame->record().snapshot.bConfig = 0;
    frame->setSnapshotDialog([](const korvel::capture::SaveDialogRequest&) {
        return std::optional<korvel::capture::SaveDialogAnswer>{};
    });
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_SNAP));
    ASSERT_TRUE(serveUntil([&] { return frame->busy() == CCameraFrame::kIdle; }));
    EXPECT_TRUE(mainWindow.saved.empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    // The next Snap starts again.
    EXPECT_TRUE(frame->router().dispatch(ID_CAMERA_SNAP));
    EXPECT_EQ(frame->busy(), CCameraFrame::kSnapshot);
    ASSERT_TRUE(serveUntil([&] { return frame->busy() == CCameraFrame::kIdle; }));
}

TEST_F(CameraWindowSnapshot, UnwritableFolderIsRefusedWithoutTouchingTheCamera) {
    makeWindow(3);
    configureSeries(2, 1, 0);
    frame->previewWindow()->setFolderProbe([](const std::string&) {
        return korvel::capture::FolderStatus{true, true, false, true};  // an optical disc
    });
    QStringList boxes;
    korvel::framework::ScopedMessageBoxInterceptor answer([&](const QString& text, unsigned) {
        boxes << text;
        return int(korvel::framework::IDOK);
    });
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_SNAP));
    ASSERT_TRUE(serveUntil([&] { return frame->busy() == CCameraFrame::kIdle; }));
    EXPECT_EQ(boxes, QStringList{"This path can't save image!"});
    EXPECT_TRUE(callsOf("KRVCameraCaptureFile").empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    // The shot counts as done without a file.
    EXPECT_EQ(mainWindow.saved, std::vector<std::string>{""});
}

TEST_F(CameraWindowSnapshot, ClosingTheCameraEndsASeriesAtOnce) {
    makeWindow(3);
    configureSeries(2, 3, 60);  // a minute between shots
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_SNAP));
    ASSERT_TRUE(serveUntil([&] { return exists("KV.bmp"); }));
    frame->onMessage({unsigned(MSG_CAMERA_CLOSE), 0, 0, {}});
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    QCoreApplication::processEvents();
    EXPECT_FALSE(exists("KV-1.bmp"));
}

TEST_F(CameraWindowSnapshot, ClosingTheWindowEndsASeriesAtOnce) {
    makeWindow(3);
    configureSeries(2, 3, 60);
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_SNAP));
    ASSERT_TRUE(serveUntil([&] { return exists("KV.bmp"); }));
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull());
    // The closing window wrote its snapshot settings.
    EXPECT_EQ(store.getProfileInt("FileSave", "nCount", 0), 3);
    EXPECT_EQ(store.getProfileInt("FileSave", "nSpace", 0), 60);
}

TEST_F(CameraWindowSnapshot, ConfigCommandsOpenTheSheetOnTheirTab) {
    makeWindow(3);
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_VIDEO_CONFIG));
    EXPECT_EQ(frame->busy(), CCameraFrame::kSaveConfiguration);
    QPointer<korvel::capture::CSaveConfigSheet> sheet = frame->saveConfigSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->tabs()->currentIndex(), 1);
    // Busy: Snap and the other configuration commands are ignored.
    frame->router().dispatch(ID_CAMERA_SNAP);
    frame->router().dispatch(ID_CAMERA_RESOLUTION_CONFIG);
    EXPECT_EQ(frame->busy(), CCameraFrame::kSaveConfiguration);
    EXPECT_EQ(sheet->tabs()->currentIndex(), 1);
    sheet->onCancel();
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    EXPECT_EQ(frame->saveConfigSheet(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(sheet.isNull());

    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RESOLUTION_CONFIG));
    ASSERT_TRUE(frame->saveConfigSheet());
    EXPECT_EQ(frame->saveConfigSheet()->tabs()->currentIndex(), 2);
    // Closing the camera window closes the sheet with it.
}
