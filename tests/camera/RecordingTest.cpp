// Recording through the camera window's Record command into real AVI files, read back by
// FFmpeg's own programs; and the background-correction command.

#include "CameraFixture.h"
#include "CameraWindowFixture.h"
#include "common/ServeEvents.h"

#include "camera/CCameraFrame.h"
#include "camera/CPreviewWnd.h"
#include "capture/AviTestSupport.h"
#include "capture/CAviFile.h"
#include "common/MessageRecorder.h"
#include "common/RecordingSettingsStore.h"
#include "framework/CommandActions.h"
#include "framework/Message.h"
#include "framework/MessageBox.h"
#include "res/ids.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <csignal>

#include <chrono>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::newCameraWindow;
using korvel::camera::test::SimulatedCameraTest;
using korvel::capture::test::probeVideo;
using korvel::framework::Message;

namespace {

using Recorder = korvel::test::MessageRecorder;

using korvel::test::serveUntil;

// Message boxes answered with OK and kept.
class MessageBoxes {
public:
    MessageBoxes()
        : interceptor_([this](const QString& text, unsigned) {
              texts.push_back(text);
              return korvel::framework::IDOK;
          }) {}
    std::vector<QString> texts;

private:
    korvel::framework::ScopedMessageBoxInterceptor interceptor_;
};

class Recording : public SimulatedCameraTest {
protected:
    // A camera window on a 640 x 480 camera whose save folder is a fresh folder.
    CCameraFrame* makeFrame(const QString& saveFolder = {}) {
        krvcamera::useVirtualClock(true);
        useCamera("sim:8");
        folder_ = saveFolder.isEmpty() ? temp.path() + "/" : saveFolder;
        frame = newCameraWindow(8, store, iniPath(),
                                {[this] { return folder_; }, nullptr, &mainWindow});
        // No test ever waits on a real file dialog.
        frame->recordingControl().setSaveDialog(
            [](const korvel::capture::SaveDialogRequest&) { return std::nullopt; });
        return frame;
    }
    // Creates the window (which reads the saved settings) and names videos
    // "<save folder>clip.avi", "clip_1.avi", ...
    bool create() {
        if (!frame->create()) {
            return false;
        }
        frame->record().video.bConfig = 1;
        frame->record().video.bTimeStamp = 0;
        frame->record().video.sFilename = "clip";
        return true;
    }
    void TearDown() override {
        if (frame) {
            frame->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        krvcamera::useVirtualClock(false);
        SimulatedCameraTest::TearDown();
    }
    QString recordTooltip() const {
        return frame->commandActions().action(ID_CAMERA_RECORD)->toolTip();
    }
    // Runs until the status bar has counted `frames` frames, noting each count shown.
    bool countFrames(int frames, std::vector<int>& shown) {
        return serveUntil([&] {
            const QString text = frame->textPane()->text();
            if (text.startsWith("Frame Count: ")) {
                const int count = text.section(' ', -1).toInt();
                if (shown.empty() || shown.back() != count) {
                    shown.push_back(count);
                }
            }
            return !shown.empty() && shown.back() >= frames;
        });
    }

    QTemporaryDir temp;
    QString folder_;
    korvel::test::RecordingSettingsStore store;
    Recorder mainWindow;
    QPointer<CCameraFrame> frame;
};

// The frame count of the last status text.
int lastCount(const QString& text) {
    return text.section(' ', -1).toInt();
}

}  // namespace

TEST_F(Recording, RecordCommandWritesEveryFrameUntilPressedAgain) {
    makeFrame();
    ASSERT_TRUE(create());
    ASSERT_TRUE(frame->previewWindow()->isRunning());
    EXPECT_EQ(recordTooltip(), "Start Record");

    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    EXPECT_TRUE(frame->recordingControl().recording());
    EXPECT_EQ(frame->busy(), CCameraFrame::kRecording);
    EXPECT_EQ(recordTooltip(), "Stop Record");
    const QString path = folder_ + "clip.avi";
    EXPECT_EQ(frame->recordingControl().path(), path);

    // Other operations wait while recording; Record itself stays available.
    EXPECT_TRUE(frame->router().dispatch(ID_CAMERA_VIDEO_CUT));
    EXPECT_FALSE(frame->previewWindow()->regionActive());

    std::vector<int> shown;
    ASSERT_TRUE(countFrames(6, shown));
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GE(shown.front(), 1);
    EXPECT_EQ(frame->textPane()->text(), QString("Frame Count:  %1").arg(shown.back()));

    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    EXPECT_FALSE(frame->recordingControl().recording());
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    EXPECT_EQ(recordTooltip(), "Start Record");
    const std::uint32_t rate = frame->recordingControl().sink().file().FrameRate();
    EXPECT_GE(rate, 1u);

    // Every status text has arrived; the last one counts every frame in the file.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const int frames = lastCount(frame->textPane()->text());
    ASSERT_TRUE(serveUntil([&] { return !mainWindow.of(MSG_FILE_SAVED).empty(); }));
    const auto saved = mainWindow.of(MSG_FILE_SAVED);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].wParam, 1u);
    EXPECT_EQ(saved[0].text, path);

    auto probe = probeVideo(path.toStdString());
    EXPECT_EQ(probe["width"], "640");
    EXPECT_EQ(probe["height"], "480");
    EXPECT_EQ(probe["nb_frames"], std::to_string(frames));
    EXPECT_EQ(probe["nb_read_frames"], std::to_string(frames));
    EXPECT_EQ(probe["r_frame_rate"], std::to_string(rate) + "/1");
    korvel::capture::CAviFile reader;
    ASSERT_TRUE(reader.OpenForReading(path.toStdString()));
    EXPECT_EQ(reader.Width(), 640);
    EXPECT_TRUE(reader.ReadFrame(frames - 1));

    // The next automatic name does not overwrite the first file.
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    EXPECT_EQ(frame->recordingControl().path(), folder_ + "clip_1.avi");
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
}

TEST_F(Recording, TheRegionOfInterestSetsTheFrameSize) {
    makeFrame();
    ASSERT_TRUE(create());
    frame->previewWindow()->setRectangleSelector(
        [](QWidget* surface) { return QRect(0, 0, surface->width() / 2, surface->height() / 2); });
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_VIDEO_CUT));
    const Region region = frame->previewWindow()->region();
    ASSERT_TRUE(frame->previewWindow()->regionActive());
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    std::vector<int> shown;
    ASSERT_TRUE(countFrames(3, shown));
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    auto probe = probeVideo((folder_ + "clip.avi").toStdString());
    EXPECT_EQ(probe["width"], std::to_string(region.width()));
    EXPECT_EQ(probe["height"], std::to_string(region.height()));
    EXPECT_GE(std::stoi(probe["nb_read_frames"]), 3);
}

TEST_F(Recording, WithoutAutomaticNamesTheFileDialogAsksAndCancelRecordsNothing) {
    makeFrame();
    ASSERT_TRUE(create());
    frame->record().video.bConfig = 0;
    std::optional<korvel::capture::SaveDialogRequest> asked;
    std::string answer;
    frame->recordingControl().setSaveDialog([&](const korvel::capture::SaveDialogRequest& r) {
        asked = r;
        return answer.empty() ? std::nullopt
                              : std::optional<korvel::capture::SaveDialogAnswer>({answer, 1});
    });
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->title, "camera save *.avi files");
    EXPECT_EQ(asked->defaultName, "Korvel");
    ASSERT_EQ(asked->filters.size(), 1u);
    EXPECT_EQ(asked->filters[0].description, "AVI Files (*.avi)");
    EXPECT_EQ(asked->folder, folder_.toStdString());
    EXPECT_FALSE(frame->recordingControl().recording());
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);

    answer = (temp.path() + "/chosen.avi").toStdString();
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    EXPECT_TRUE(frame->recordingControl().recording());
    std::vector<int> shown;
    ASSERT_TRUE(countFrames(2, shown));
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    EXPECT_GE(std::stoi(probeVideo(answer)["nb_read_frames"]), 2);
}

TEST_F(Recording, ClosingTheWindowWhileRecordingLeavesACompleteFile) {
    makeFrame();
    ASSERT_TRUE(create());
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    std::vector<int> shown;
    ASSERT_TRUE(countFrames(4, shown));
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull());

    const std::string path = (folder_ + "clip.avi").toStdString();
    ASSERT_TRUE(serveUntil([&] { return !mainWindow.of(MSG_FILE_SAVED).empty(); }));
    EXPECT_EQ(mainWindow.of(MSG_FILE_SAVED)[0].text.toStdString(), path);
    auto probe = probeVideo(path);
    EXPECT_GE(std::stoi(probe["nb_read_frames"]), 4);
    EXPECT_EQ(probe["nb_frames"], probe["nb_read_frames"]);
}

TEST_F(Recording, TheChosenCompressorWritesTheFile) {
    makeFrame();
    ASSERT_TRUE(create());
    frame->record().video.Compress =
        static_cast<int>(korvel::capture::FourCC::fromString("HFYU").value());
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    std::vector<int> shown;
    ASSERT_TRUE(countFrames(3, shown));
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    EXPECT_EQ(frame->recordingControl().sink().file().Compressor().toString(), "HFYU");
    auto probe = probeVideo((folder_ + "clip.avi").toStdString());
    EXPECT_EQ(probe["codec_tag_string"], "HFYU");
    EXPECT_EQ(probe["codec_name"], "huffyuv");
    EXPECT_GE(std::stoi(probe["nb_read_frames"]), 3);
}

// The main window closes the camera window when the camera is unplugged.
TEST_F(Recording, UnpluggingWhileRecordingLeavesACompleteFile) {
    makeFrame();
    ASSERT_TRUE(create());
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    std::vector<int> shown;
    ASSERT_TRUE(countFrames(3, shown));
    KRVCameraSimulatorSetPlugged(0);
    QTest::qWait(50);
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(serveUntil([&] { return !mainWindow.of(MSG_FILE_SAVED).empty(); }));
    auto probe = probeVideo((folder_ + "clip.avi").toStdString());
    EXPECT_GE(std::stoi(probe["nb_read_frames"]), 3);
    EXPECT_EQ(probe["nb_frames"], probe["nb_read_frames"]);
}

TEST_F(Recording, AnUnwritableFolderIsReportedAndNothingRecords) {
    // A plain file where the folder should be.
    QFile plain(temp.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    makeFrame(temp.path() + "/plain/");
    ASSERT_TRUE(create());
    MessageBoxes boxes;
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    EXPECT_FALSE(frame->recordingControl().recording());
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    EXPECT_EQ(recordTooltip(), "Start Record");
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_TRUE(boxes.texts[0].contains(frame->recordingControl().sink().errorText()));
    EXPECT_FALSE(frame->recordingControl().sink().errorText().isEmpty());
    EXPECT_TRUE(mainWindow.of(MSG_FILE_SAVED).empty());
    EXPECT_TRUE(frame->previewWindow()->isRunning());
}

// A full disk, made by a file size limit: the writer stops, the window shows the recording
// as stopped and says why, and the frames written before stay readable.
TEST_F(Recording, AFullDiskEndsTheRecordingWithAMessageAndKeepsTheFramesWritten) {
    makeFrame();
    ASSERT_TRUE(create());
    MessageBoxes boxes;
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 4'000'000;  // four frames of 921600 bytes and a little
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    const bool started =
        frame->router().dispatch(ID_CAMERA_RECORD) && frame->recordingControl().recording();
    const bool ended = started && serveUntil([&] { return !boxes.texts.empty(); });
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_TRUE(started);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(frame->recordingControl().recording());
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    EXPECT_EQ(recordTooltip(), "Start Record");
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_TRUE(boxes.texts[0].contains("stopped"));
    EXPECT_TRUE(boxes.texts[0].contains(frame->recordingControl().sink().errorText()));

    // The file is announced and FFmpeg reads what was written, to the last frame.
    ASSERT_TRUE(serveUntil([&] { return !mainWindow.of(MSG_FILE_SAVED).empty(); }));
    auto probe = probeVideo((folder_ + "clip.avi").toStdString());
    EXPECT_GE(std::stoi(probe["nb_read_frames"]), 1);
    EXPECT_EQ(probe["nb_frames"], probe["nb_read_frames"]);

    // The next recording, with room again, works.
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    EXPECT_TRUE(frame->recordingControl().recording());
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST_F(Recording, BackCorrectionClosesTheCameraStartsTheProgramAndPreviewReloadsTheTable) {
    makeFrame();
    const QString tables = temp.path() + "/tables";
    ASSERT_TRUE(QDir().mkpath(tables));
    frame->setCorrectionFolder(tables);
    ASSERT_TRUE(create());
    // A program file beside the "executable"; the start itself is only noted.
    const QString programs = temp.path() + "/bin";
    ASSERT_TRUE(QDir().mkpath(programs));
    QFile program(programs + "/BC");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("#!/bin/sh\n");
    program.close();
    program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    struct Start {
        QString program;
        QStringList arguments;
        QString folder;
    };
    std::vector<Start> starts;
    CorrectionProgram& correction = frame->correctionProgram();
    correction.setApplicationFolder(programs);
    correction.setStarter([&](const QString& p, const QStringList& a, const QString& f) {
        starts.push_back({p, a, f});
        return true;
    });

    // A recording running at that moment is completed first.
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_RECORD));
    std::vector<int> shown;
    ASSERT_TRUE(countFrames(2, shown));
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_BACK_CORRECTION));
    EXPECT_EQ(frame->record().state, kCameraClosed);
    EXPECT_FALSE(frame->recordingControl().recording());
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    EXPECT_TRUE(frame->commandActions().action(ID_CAMERA_PREVIEW)->isVisible());
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program, programs + "/BC");
    EXPECT_EQ(starts[0].arguments, QStringList{QString::number(frame->winId())});
    EXPECT_EQ(starts[0].folder, tables);
    ASSERT_TRUE(serveUntil([&] { return !mainWindow.of(MSG_FILE_SAVED).empty(); }));
    EXPECT_GE(std::stoi(probeVideo((folder_ + "clip.avi").toStdString())["nb_read_frames"]), 2);

    // The program's tables, as it leaves them: "Preview" reopens the camera and loads them.
    QFile index(tables + "/BackCorr.ini");
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write(QStringLiteral("[CAMERA_8]\r\n640_480=2\r\n").toLatin1());
    index.close();
    QFile table(tables + "/Camera_8_640_480.bin");
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    const char records[24] = {10, 0, 0, 0, 20, 0, 0, 0, 50, 50, 50, 0,
                              11, 0, 0, 0, 20, 0, 0, 0, 80, 80, 80, 0};
    table.write(records, sizeof records);
    table.close();
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_PREVIEW));
    EXPECT_EQ(frame->record().state, kCameraOpen);
    EXPECT_EQ(frame->record().pixelCorrections.size(), 2u);
}

TEST_F(Recording, AMissingCorrectionProgramIsReported) {
    makeFrame();
    ASSERT_TRUE(create());
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", temp.path().toLocal8Bit());  // nothing to find there
    CorrectionProgram& correction = frame->correctionProgram();
    correction.setApplicationFolder(temp.path());
    int started = 0;
    correction.setStarter([&](const QString&, const QStringList&, const QString&) {
        ++started;
        return true;
    });
    MessageBoxes boxes;
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_BACK_CORRECTION));
    qputenv("PATH", path);
    EXPECT_EQ(started, 0);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_TRUE(boxes.texts[0].contains("not found"));
    // The camera stays closed until "Preview".
    EXPECT_EQ(frame->record().state, kCameraClosed);
    EXPECT_TRUE(frame->commandActions().action(ID_CAMERA_PREVIEW)->isVisible());
}

#ifdef KORVEL_BC_PROGRAM
// The program itself measures the camera in the window's folder; "Preview" then loads what
// it wrote.
TEST_F(Recording, TheTablesTheProgramWritesAreLoadedByPreview) {
    makeFrame();
    const QString tables = temp.path() + "/tables";
    ASSERT_TRUE(QDir().mkpath(tables));
    frame->setCorrectionFolder(tables);
    ASSERT_TRUE(create());
    const QString bc = QStringLiteral(KORVEL_BC_PROGRAM);
    CorrectionProgram& correction = frame->correctionProgram();
    correction.setApplicationFolder(QFileInfo(bc).absolutePath());
    QString started;
    // Run unattended and waited for, instead of detached with its questions.
    correction.setStarter(
        [&](const QString& program, const QStringList& arguments, const QString& folder) {
            started = program;
            QProcess process;
            process.setWorkingDirectory(folder);
            process.start(program, QStringList{"--yes", "--frames", "2"} + arguments);
            return process.waitForFinished(120000) &&
                   process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        });
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_BACK_CORRECTION));
    EXPECT_EQ(QFileInfo(started), QFileInfo(bc));
    EXPECT_EQ(frame->record().state, kCameraClosed);

    const QSettings index(tables + "/BackCorr.ini", QSettings::IniFormat);
    const int written = index.value("CAMERA_8/640_480", 0).toInt();
    ASSERT_GT(written, 0);
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_PREVIEW));
    EXPECT_EQ(frame->record().state, kCameraOpen);
    EXPECT_EQ(frame->record().pixelCorrections.size(), std::size_t(written));
}
#endif
