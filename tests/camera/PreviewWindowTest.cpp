#include "CameraFixture.h"
#include "CameraWindowFixture.h"
#include "common/ServeEvents.h"

#include "camera/BackgroundCorrection.h"
#include "camera/CCameraFrame.h"
#include "camera/CPreviewWnd.h"
#include "camera/CProgressWnd.h"
#include "common/MessageRecorder.h"
#include "common/RecordingSettingsStore.h"
#include "framework/CommandActions.h"
#include "framework/Message.h"
#include "res/ids.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <chrono>
#include <memory>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::newCameraWindow;
using korvel::camera::test::SimulatedCameraTest;
using korvel::framework::Message;

namespace {

using Recorder = korvel::test::MessageRecorder;

using korvel::test::serveUntil;

// True while a progress window is still on the screen; deferred deletes are served first.
bool visibleProgressWindow() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<CProgressWnd*>(widget) && widget->isVisible()) {
            return true;
        }
    }
    return false;
}

class RecordingSink : public VideoFrameSink {
public:
    void setFrameRate(int fps) override { rate = fps; }
    void setCompress(int c) override { compress = c; }
    bool open(const QString& p, int w, int h) override {
        path = p;
        size = QSize(w, h);
        return true;
    }
    void writeFrame(const std::uint8_t*, int w, int h) override {
        frames.fetch_add(1);
        if (QSize(w, h) != size) {
            mismatched.fetch_add(1);
        }
    }
    int frameCount() const override { return frames.load(); }
    void close() override { closed = true; }

    int rate = 0;
    int compress = -1;
    QString path;
    QSize size;
    std::atomic<int> frames{0};
    std::atomic<int> mismatched{0};
    bool closed = false;
};

// The simulator's clock as a millisecond tick count.
std::uint32_t simulatorTick() {
    return static_cast<std::uint32_t>(krvcamera::simulatorElapsedMs());
}

// Writes a background-correction table of `records` (x, y, one percentage for all three
// bytes) for the camera `typeId` at `width` x `height` into `folder`, as the external
// background-correction program does.
void writeCorrectionTable(const QString& folder, int typeId, int width, int height,
                          const std::vector<std::array<int, 3>>& records) {
    QFile index(folder + "/BackCorr.ini");
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write(QStringLiteral("[CAMERA_%1]\r\n%2_%3=%4\r\n")
                    .arg(typeId)
                    .arg(width)
                    .arg(height)
                    .arg(records.size())
                    .toLatin1());
    QByteArray bytes;
    for (const auto& [x, y, percent] : records) {
        for (const int v : {x, y}) {
            for (int shift = 0; shift < 32; shift += 8) {
                bytes.append(static_cast<char>((static_cast<std::uint32_t>(v) >> shift) & 0xFF));
            }
        }
        bytes.append(3, static_cast<char>(percent));
        bytes.append('\0');
    }
    QFile table(folder + QStringLiteral("/Camera_%1_%2_%3.bin").arg(typeId).arg(width).arg(height));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write(bytes);
}

// Tells, from the decode thread, whether the frames it writes carry the correction: each
// listed pixel of the written image against the same frame before correction.
class CorrectionCheckingSink : public RecordingSink {
public:
    CorrectionCheckingSink(const PreviewPipeline& pipeline, std::vector<std::array<int, 3>> list)
        : pipeline_(pipeline), list_(std::move(list)) {}
    void writeFrame(const std::uint8_t* image, int w, int h) override {
        RecordingSink::writeFrame(image, w, h);
        const std::uint8_t* before = pipeline_.lastImage().data();
        bool asCorrected = true;
        bool asUncorrected = true;
        for (const auto& [x, y, percent] : list_) {
            const std::size_t at = (static_cast<std::size_t>(y) * w + x) * 3;
            for (int i = 0; i < 3; ++i) {
                const int v = before[at + i];
                asCorrected = asCorrected && image[at + i] == std::min(255, v * 100 / percent);
                asUncorrected = asUncorrected && image[at + i] == v;
            }
        }
        if (asCorrected != asUncorrected) {  // all-black pixels tell nothing
            (asCorrected ? corrected : uncorrected).fetch_add(1);
            if (!asCorrected && corrected.load() > 0) {
                uncorrectedAfterCorrected.fetch_add(1);
            }
        }
    }
    std::atomic<int> corrected{0};
    std::atomic<int> uncorrected{0};
    std::atomic<int> uncorrectedAfterCorrected{0};

private:
    const PreviewPipeline& pipeline_;
    std::vector<std::array<int, 3>> list_;
};

class PreviewTest : public SimulatedCameraTest {
protected:
    void openCamera(int type = 13) {
        krvcamera::useVirtualClock(true);
        useCamera("sim:" + std::to_string(type));
        record.typeId = type;
        ASSERT_EQ(KRVCameraInit(record.previewResolution, nullptr, nullptr), 1);
        KRVCameraGetImageSize(&record.width, &record.height);
    }
    void TearDown() override {
        window.reset();
        KRVCameraUnInit();
        krvcamera::useVirtualClock(false);
        SimulatedCameraTest::TearDown();
    }
    std::unique_ptr<CPreviewWnd> makeWindow() {
        auto preview = std::make_unique<CPreviewWnd>(&recorder);
        preview->setSleep([](std::chrono::milliseconds) {});
        preview->resize(640, 480);
        preview->show();
        return preview;
    }
    // Waits for `count` pictures to reach the drawing surface.
    bool drawn(std::uint64_t count) {
        return serveUntil(
            [&] { return window->drawingSurface()->frames().publishedCount() >= count; });
    }

    CameraRecord record;
    Recorder recorder;
    std::unique_ptr<CPreviewWnd> window;
};

}  // namespace

TEST_F(PreviewTest, SkippingDropsExactlyOneFrameWithoutBrightness) {
    openCamera();
    PreviewPipeline pipeline(&recorder);
    pipeline.prepare(record, record.width, record.height);
    pipeline.skipNextFrame();
    PreviewPipeline::GrabResult first = PreviewPipeline::GrabResult::NoFrame;
    for (int i = 0; i < 50 && first == PreviewPipeline::GrabResult::NoFrame; ++i) {
        first = pipeline.grabStep(1000);
    }
    EXPECT_EQ(first, PreviewPipeline::GrabResult::Dropped);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(recorder.count(MSG_FRAME_BRIGHTNESS), 0);
    EXPECT_FALSE(pipeline.takeFrame());

    PreviewPipeline::GrabResult second = PreviewPipeline::GrabResult::NoFrame;
    for (int i = 0; i < 50 && second == PreviewPipeline::GrabResult::NoFrame; ++i) {
        second = pipeline.grabStep(1040);
    }
    EXPECT_EQ(second, PreviewPipeline::GrabResult::Published);
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(recorder.count(MSG_FRAME_BRIGHTNESS), 1);
    EXPECT_GE(recorder.messages.front().wParam, 1u);
    EXPECT_LE(recorder.messages.front().wParam, 255u);
    EXPECT_TRUE(pipeline.takeFrame());
    pipeline.release();
}

TEST_F(PreviewTest, FrameRateCountsDeliveredFramesOnlyDuringLongExposures) {
    openCamera();
    // Above 500 ms every frame comes after one or more bounded waits without a frame.
    ASSERT_EQ(KRVCameraSetExposureTime(1000), 1);
    PreviewPipeline pipeline(&recorder);
    pipeline.prepare(record, record.width, record.height);
    int attempts = 0;
    int published = 0;
    while (published < 4 && attempts < 100) {
        ++attempts;
        // Stamped as the grab loop does it, before the library call.
        const std::uint32_t tick = simulatorTick();
        published += pipeline.grabStep(tick) == PreviewPipeline::GrabResult::Published;
        if (published == 1) {
            EXPECT_EQ(pipeline.frameRate(), 0.0f);  // one frame is no rate yet
        }
    }
    ASSERT_EQ(published, 4);
    EXPECT_GT(attempts, published);  // the waits really were there
    EXPECT_NEAR(pipeline.frameRate(), 1.0f, 0.01f);
    EXPECT_EQ(recordingFrameRate(pipeline.frameRate()), 1);

    // Read after the frame has arrived, as the preview window does.
    for (int i = 0; i < 20 && published < 7; ++i) {
        published += pipeline.grabStep(&simulatorTick) == PreviewPipeline::GrabResult::Published;
    }
    ASSERT_EQ(published, 7);
    EXPECT_NEAR(pipeline.frameRate(), 1.0f, 0.01f);
    pipeline.release();
}

TEST_F(PreviewTest, ARecordingOfALongExposureIsWrittenAtTheCamerasRate) {
    openCamera();
    ASSERT_EQ(KRVCameraSetExposureTime(1000), 1);
    window = makeWindow();
    window->setTickSource(&simulatorTick);
    RecordingSink sink;
    window->setVideoSink(&sink);
    const auto stop = qScopeGuard([&] { window->stopRecording(record); });  // before `sink` goes
    ASSERT_TRUE(window->start(record));
    ASSERT_TRUE(serveUntil([&] { return recorder.count(MSG_FRAME_BRIGHTNESS) >= 3; }));
    EXPECT_NEAR(window->frameRate(), 1.0f, 0.01f);
    ASSERT_EQ(window->startRecording("/tmp/long.avi", record), 1);
    EXPECT_EQ(sink.rate, 1);
}

TEST_F(PreviewTest, CorrectionLoadedWhileThePipelineRunsCorrectsTheNextFrame) {
    openCamera();
    record.backgroundCorrectionApplied = 1;
    PreviewPipeline pipeline(&recorder);
    pipeline.prepare(record, record.width, record.height);
    const auto nextFrame = [&] {
        for (int i = 0; i < 100; ++i) {
            if (pipeline.grabStep(i) == PreviewPipeline::GrabResult::Published) {
                break;
            }
        }
        ASSERT_TRUE(pipeline.takeFrame());
        pipeline.processFrame();
    };
    // A row of pixels in the middle of the picture, halved in the table (so doubled here).
    const int y = record.height / 2;
    std::vector<std::array<int, 3>> list;
    for (int x = record.width / 2; x < record.width / 2 + 32; ++x) {
        list.push_back({x, y, 50});
    }
    const auto pixel = [&](const std::vector<std::uint8_t>& image, int x, int i) {
        return int(image[(std::size_t(y) * record.width + x) * 3 + i]);
    };
    nextFrame();
    bool lit = false;
    for (const auto& [x, yy, p] : list) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(pixel(pipeline.image(), x, i), pixel(pipeline.lastImage(), x, i));
            lit = lit || pixel(pipeline.lastImage(), x, i) > 0;
        }
    }
    ASSERT_TRUE(lit) << "the test row is black; choose another";

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    writeCorrectionTable(folder.path(), 13, record.width, record.height, list);
    ASSERT_TRUE(loadBackgroundCorrection(record, 13, 1, folder.path()));
    nextFrame();
    for (const auto& [x, yy, p] : list) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(pixel(pipeline.image(), x, i),
                      std::min(255, pixel(pipeline.lastImage(), x, i) * 2));
        }
    }
    // Freed again (the camera closes): the next frame is left alone.
    record.pixelCorrections.clear();
    nextFrame();
    for (const auto& [x, yy, p] : list) {
        EXPECT_EQ(pixel(pipeline.image(), x, 0), pixel(pipeline.lastImage(), x, 0));
    }
    pipeline.release();
}

TEST_F(PreviewTest, CorrectionReplacedWhileTheThreadsRunReachesTheFollowingFrames) {
    record.previewResolution = 1;  // 1024 x 768 keeps it quick under the thread checker
    openCamera();
    record.backgroundCorrectionApplied = 1;
    window = makeWindow();
    const int y = record.height / 2;
    std::vector<std::array<int, 3>> list;
    for (int x = 100; x < record.width - 100; x += 7) {
        list.push_back({x, y, 50});
    }
    CorrectionCheckingSink sink(window->pipeline(), list);
    window->setVideoSink(&sink);
    const auto stop = qScopeGuard([&] { window->stopRecording(record); });  // before `sink` goes
    ASSERT_TRUE(window->start(record));
    ASSERT_EQ(window->startRecording("/tmp/corrected.avi", record), 1);
    ASSERT_TRUE(serveUntil([&] { return sink.uncorrected.load() >= 1; }));
    EXPECT_EQ(sink.corrected.load(), 0);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    writeCorrectionTable(folder.path(), 13, record.width, record.height, list);
    ASSERT_TRUE(loadBackgroundCorrection(record, 13, 1, folder.path()));
    ASSERT_TRUE(serveUntil([&] { return sink.corrected.load() >= 2; }));
    EXPECT_EQ(sink.uncorrectedAfterCorrected.load(), 0);

    // Replaced and freed again and again while frames keep coming.
    for (int i = 0; i < 20; ++i) {
        record.pixelCorrections.clear();
        ASSERT_TRUE(loadBackgroundCorrection(record, 13, 1, folder.path()));
    }
    EXPECT_TRUE(drawn(window->drawingSurface()->frames().publishedCount() + 2));
}

TEST_F(PreviewTest, EveryTakenFrameIsDrawnOnceAndRecordedOnce) {
    openCamera();
    PreviewPipeline pipeline(&recorder);
    FrameSurface surface;
    surface.setTargetSize(QSize(320, 240));
    pipeline.setSurface(&surface);
    pipeline.prepare(record, record.width, record.height);
    RecordingSink sink;
    sink.size = QSize(record.width, record.height);
    pipeline.startRecording(&sink);

    int published = 0;
    for (int i = 0; i < 200 && published < 3; ++i) {
        published += pipeline.grabStep(static_cast<std::uint32_t>(i)) ==
                     PreviewPipeline::GrabResult::Published;
    }
    ASSERT_EQ(published, 3);
    ASSERT_TRUE(pipeline.takeFrame());  // only the newest of the three
    pipeline.processFrame();
    EXPECT_FALSE(pipeline.takeFrame());
    EXPECT_EQ(surface.publishedCount(), 1u);
    EXPECT_EQ(sink.frames.load(), 1);
    EXPECT_EQ(sink.mismatched.load(), 0);
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(recorder.count(MSG_STATUS_TEXT), 1);
    EXPECT_TRUE(recorder.messages.back().text.endsWith(QStringLiteral(" 1")));

    // The zoom target takes the pictures while it is set.
    FrameSurface zoom;
    zoom.setTargetSize(QSize(100, 75));
    pipeline.setZoomTarget(&zoom);
    pipeline.processFrame();
    EXPECT_EQ(zoom.publishedCount(), 1u);
    EXPECT_EQ(zoom.takeNewest().width, 100);
    EXPECT_EQ(surface.publishedCount(), 1u);
    pipeline.stopRecording();
    pipeline.release();
}

TEST_F(PreviewTest, StartPauseResumeStop) {
    openCamera();
    window = makeWindow();
    EXPECT_EQ(window->runState(), CPreviewWnd::kStopped);
    EXPECT_FALSE(window->drawingSurface()->isVisible());
    ASSERT_TRUE(window->start(record));
    EXPECT_FALSE(window->start(record));  // only when stopped
    EXPECT_TRUE(window->isRunning());
    EXPECT_EQ(window->pipeline().bufferSize(), std::size_t(record.width) * record.height * 3);
    EXPECT_EQ(window->drawingSurface()->objectName(), QStringLiteral("1234"));
    EXPECT_TRUE(window->drawingSurface()->isVisible());
    ASSERT_TRUE(drawn(2));
    EXPECT_TRUE(serveUntil([&] { return recorder.count(MSG_FRAME_BRIGHTNESS) > 0; }));
    EXPECT_GT(window->frameRate(), 0.0f);

    window->pause();
    EXPECT_EQ(window->runState(), CPreviewWnd::kPaused);
    EXPECT_FALSE(window->isRunning());
    window->resume();
    EXPECT_EQ(window->runState(), CPreviewWnd::kRunning);
    const auto before = window->drawingSurface()->frames().publishedCount();
    EXPECT_TRUE(drawn(before + 1));

    window->stop();
    EXPECT_EQ(window->runState(), CPreviewWnd::kStopped);
    EXPECT_FALSE(window->drawingSurface()->isVisible());
    window->stop();                      // only when running: nothing happens
    ASSERT_TRUE(window->start(record));  // and it starts again
    EXPECT_TRUE(drawn(window->drawingSurface()->frames().publishedCount() + 1));
}

TEST_F(PreviewTest, DestroyingTheWindowWhileRunningStopsTheThreads) {
    openCamera();
    window = makeWindow();
    ASSERT_TRUE(window->start(record));
    ASSERT_TRUE(drawn(1));
    window->pause();
    window.reset();  // a paused window too
    window = makeWindow();
    ASSERT_TRUE(window->start(record));
    window.reset();
    SUCCEED();
}

TEST_F(PreviewTest, CutAndRestoreTheRegionWhileFramesKeepComing) {
    openCamera();  // 2048 x 1536
    window = makeWindow();
    window->setRectangleSelector([](QWidget*) { return QRect(10, 10, 100, 50); });
    EXPECT_FALSE(window->cutRegion());  // only while running
    ASSERT_TRUE(window->start(record));
    ASSERT_EQ(window->drawingSurface()->size(), QSize(640, 480));
    ASSERT_TRUE(window->cutRegion());
    EXPECT_TRUE(window->regionActive());
    EXPECT_EQ(window->region(), (Region{32, 32, 352, 192}));
    // The surface now has the region's aspect (2:1), centred.
    EXPECT_EQ(window->drawingSurface()->geometry(), QRect(0, 80, 640, 320));
    EXPECT_TRUE(drawn(window->drawingSurface()->frames().publishedCount() + 2));

    // A window resize fits again.
    window->resize(400, 400);
    EXPECT_EQ(window->drawingSurface()->geometry(), QRect(0, 100, 400, 200));

    window->setRectangleSelector([](QWidget*) { return std::nullopt; });
    EXPECT_TRUE(window->cutRegion());  // cancelled: the region stays
    window->restoreRegion();
    EXPECT_FALSE(window->regionActive());
    EXPECT_EQ(window->region(), (Region{0, 0, record.width, record.height}));
    EXPECT_EQ(window->drawingSurface()->geometry(), QRect(0, 50, 400, 300));
    EXPECT_TRUE(drawn(window->drawingSurface()->frames().publishedCount() + 2));
}

TEST_F(PreviewTest, AreaWhiteBalanceSetsGainsAndRestarts) {
    openCamera();
    window = makeWindow();
    window->setRectangleSelector([](QWidget*) { return QRect(100, 100, 200, 150); });
    ASSERT_TRUE(window->start(record));
    ASSERT_TRUE(drawn(1));
    krvcamera::clearSimulatorCallLog();
    ASSERT_TRUE(window->areaWhiteBalance());
    const auto gains = callsOf("KRVCameraSetGain(");
    ASSERT_EQ(gains.size(), 1u);
    EXPECT_EQ(record.colourGains.green.value, 64);
    EXPECT_GT(record.colourGains.red.value, 0);
    EXPECT_EQ(gains[0], "KRVCameraSetGain(" + std::to_string(record.colourGains.red.value) +
                            ", 64, " + std::to_string(record.colourGains.blue.value) + ")");
    EXPECT_TRUE(window->isRunning());
    EXPECT_TRUE(drawn(window->drawingSurface()->frames().publishedCount() + 1));
}

TEST_F(PreviewTest, RecordingTakesTheMeasuredRateAndTheRegionSize) {
    openCamera();
    window = makeWindow();
    Recorder mainWindow;
    RecordingSink sink;
    window->setMainWindow(&mainWindow);
    record.video.Compress = 3;
    EXPECT_EQ(window->startRecording("/tmp/none.avi", record), 0);  // no writer yet
    window->setVideoSink(&sink);
    ASSERT_TRUE(window->start(record));
    window->setRectangleSelector([](QWidget*) { return QRect(0, 0, 320, 240); });
    ASSERT_TRUE(window->cutRegion());
    ASSERT_TRUE(drawn(2));
    EXPECT_EQ(window->startRecording("/tmp/a.avi", record), 1);
    EXPECT_EQ(window->startRecording("/tmp/b.avi", record), 0);
    EXPECT_GE(sink.rate, 1);
    EXPECT_EQ(sink.compress, 3);
    EXPECT_EQ(sink.size, QSize(1024, 768));
    EXPECT_TRUE(serveUntil([&] { return sink.frames.load() >= 2; }));
    window->restoreRegion();  // frames keep the size the file was opened with
    EXPECT_TRUE(drawn(window->drawingSurface()->frames().publishedCount() + 2));
    EXPECT_EQ(window->stopRecording(record), 1);
    EXPECT_EQ(window->stopRecording(record), 0);
    EXPECT_TRUE(sink.closed);
    EXPECT_EQ(sink.mismatched.load(), 0);
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(mainWindow.count(MSG_FILE_SAVED), 1);
    EXPECT_EQ(mainWindow.messages.back().wParam, 1u);
    EXPECT_EQ(mainWindow.messages.back().text, QStringLiteral("/tmp/a.avi"));
    EXPECT_TRUE(serveUntil([&] { return recorder.count(MSG_STATUS_TEXT) > 0; }));
}

TEST_F(PreviewTest, CaptureWithoutLongExposureHappensAtTheFirstTick) {
    openCamera();
    window = makeWindow();
    QString captured;
    window->setCaptureHandler([&](const QString& path, CameraRecord&) { captured = path; });
    window->captureToFile(QStringLiteral("/pics/KV0001"), record);
    ASSERT_NE(window->waitWindow(), nullptr);
    EXPECT_EQ(window->waitLimit(), 0);
    EXPECT_TRUE(serveUntil([&] { return !captured.isEmpty(); }));
    EXPECT_EQ(captured, QStringLiteral("/pics/KV0001"));
    EXPECT_EQ(window->waitWindow(), nullptr);
    EXPECT_FALSE(visibleProgressWindow());  // gone from the screen, not only forgotten
}

TEST_F(PreviewTest, ALongExposureWaitCanBeCancelled) {
    openCamera();
    record.longExposureMode = 1;
    ASSERT_EQ(KRVCameraSetExposureTime(30000), 1);
    window = makeWindow();
    bool captured = false;
    window->setCaptureHandler([&](const QString&, CameraRecord&) { captured = true; });
    krvcamera::clearSimulatorCallLog();
    window->captureToFile(QStringLiteral("/pics/KV0002"), record);
    EXPECT_EQ(callsOf("KRVCameraReStartLongExpTime").size(), 1u);
    EXPECT_EQ(window->waitLimit(), (30000 + 99) / 100 + 20);
    CProgressWnd* progress = window->waitWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->bar()->maximum(), 100);
    EXPECT_TRUE(serveUntil([&] { return window->waitTicks() >= 2; }));
    EXPECT_EQ(progress->bar()->value(), window->waitTicks() * 100 / window->waitLimit());
    progress->cancelButton()->click();
    EXPECT_TRUE(serveUntil([&] { return recorder.count(MSG_CAPTURE_FINISHED) == 1; }));
    EXPECT_TRUE(recorder.messages.back().text.isEmpty());
    EXPECT_FALSE(captured);
    EXPECT_EQ(window->waitWindow(), nullptr);
    EXPECT_FALSE(visibleProgressWindow());
}

TEST_F(PreviewTest, PrecisionCaptureRestoresSpeedGainAndExposure) {
    openCamera(25);  // waits without a progress bar
    record.longExposureMode = 1;
    record.precisionSnapshot = 1;
    window = makeWindow();
    std::vector<std::string> during;
    window->setCaptureHandler(
        [&](const QString&, CameraRecord&) { during = krvcamera::simulatorCallLog(); });
    krvcamera::clearSimulatorCallLog();
    window->captureToFile(QStringLiteral("/pics/KV0003"), record);
    ASSERT_FALSE(during.empty());  // captured at once
    EXPECT_EQ(window->waitWindow(), nullptr);
    const auto sets = [](const std::vector<std::string>& log) {
        std::vector<std::string> found;
        for (const auto& call : log) {
            if (call.rfind("KRVCameraSetSpeedMode", 0) == 0 ||
                call.rfind("KRVCameraSetAnalogGain", 0) == 0) {
                found.push_back(call);
            }
        }
        return found;
    };
    EXPECT_EQ(sets(during), (std::vector<std::string>{"KRVCameraSetSpeedMode(3)",
                                                      "KRVCameraSetAnalogGain(171)"}));
    const auto all = sets(krvcamera::simulatorCallLog());
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[2].rfind("KRVCameraSetSpeedMode(", 0), 0u);
    EXPECT_EQ(all[3].rfind("KRVCameraSetAnalogGain(", 0), 0u);
}

TEST_F(PreviewTest, DoubleClickAndEscapePostCommandsToTheCameraWindow) {
    openCamera();
    window = makeWindow();
    ASSERT_TRUE(window->start(record));
    QTest::mouseDClick(window->drawingSurface(), Qt::LeftButton);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents();
    std::vector<std::uintptr_t> commands;
    for (const Message& m : recorder.messages) {
        if (m.id == kCommandMessage) {
            commands.push_back(m.wParam);
        }
    }
    EXPECT_EQ(commands,
              (std::vector<std::uintptr_t>{ID_CAMERA_FULLSCREEN, ID_CAMERA_VIDEO_RESTORE}));
}

namespace {

class CameraFrameWithPreview : public SimulatedCameraTest {
protected:
    CCameraFrame* makeFrame() {
        krvcamera::useVirtualClock(true);
        useCamera("sim:13");
        return newCameraWindow(13, store, iniPath());
    }
    void TearDown() override {
        krvcamera::useVirtualClock(false);
        SimulatedCameraTest::TearDown();
    }
    korvel::test::RecordingSettingsStore store;
};

}  // namespace

TEST_F(CameraFrameWithPreview, CutRestoreAndFullScreenCommands) {
    CCameraFrame* frame = makeFrame();
    ASSERT_TRUE(frame->create());
    frame->show();
    CPreviewWnd* preview = frame->previewWindow();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isRunning());
    preview->setRectangleSelector([](QWidget*) { return QRect(5, 5, 60, 40); });
    auto& actions = frame->commandActions();

    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_VIDEO_CUT));
    EXPECT_TRUE(preview->regionActive());
    EXPECT_FALSE(actions.action(ID_CAMERA_VIDEO_CUT)->isVisible());
    EXPECT_TRUE(actions.action(ID_CAMERA_VIDEO_RESTORE)->isVisible());
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);

    // Escape on the preview restores through the camera window.
    QTest::keyClick(preview, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(preview->regionActive());
    EXPECT_TRUE(actions.action(ID_CAMERA_VIDEO_CUT)->isVisible());
    EXPECT_FALSE(actions.action(ID_CAMERA_VIDEO_RESTORE)->isVisible());

    // A double-click enters full screen, a second one leaves it.
    QTest::mouseDClick(preview->drawingSurface(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(frame->fullScreen());
    EXPECT_FALSE(frame->toolBar()->isVisible());
    QTest::mouseDClick(preview->drawingSurface(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(frame->fullScreen());
    EXPECT_TRUE(frame->toolBar()->isVisible());

    // Area white balance sets the gains from the selection and keeps them in set 0.
    krvcamera::clearSimulatorCallLog();
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_AREA_WHITE_BALANCE_SAVE_GAINS));
    EXPECT_EQ(callsOf("KRVCameraSetGain(").size(), 1u);
    EXPECT_EQ(callsOf("KRVCameraSaveParameter(0)").size(), 1u);
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    EXPECT_TRUE(preview->isRunning());

    frame->close();  // closes the camera with the preview running
    EXPECT_FALSE(preview->isRunning());
}

TEST_F(CameraFrameWithPreview, ClosingStopsTheRecordingBeforeTheParameterSetIsStored) {
    CCameraFrame* frame = makeFrame();
    ASSERT_TRUE(frame->create());
    CPreviewWnd* preview = frame->previewWindow();
    ASSERT_TRUE(preview->isRunning());

    // The writer notes what the camera library had been asked when its file was closed.
    class LogCheckingSink : public RecordingSink {
    public:
        void close() override {
            RecordingSink::close();
            logAtClose = krvcamera::simulatorCallLog();
        }
        std::vector<std::string> logAtClose;
    } sink;
    preview->setVideoSink(&sink);
    // Closing deletes the window later; until then a failed check must not leave it
    // writing to `sink`.
    const auto stop = qScopeGuard([&] { preview->stopRecording(frame->record()); });
    ASSERT_EQ(preview->startRecording("/tmp/closing.avi", frame->record()), 1);
    ASSERT_TRUE(serveUntil([&] { return sink.frames.load() >= 1; }));

    krvcamera::clearSimulatorCallLog();
    frame->close();
    ASSERT_TRUE(sink.closed);
    EXPECT_FALSE(preview->recording());
    const auto named = [](const std::vector<std::string>& log, const std::string& prefix) {
        return std::count_if(log.begin(), log.end(),
                             [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
    };
    EXPECT_EQ(named(sink.logAtClose, "KRVCameraReadParameter"), 0);
    EXPECT_EQ(named(sink.logAtClose, "KRVCameraSaveParameter"), 0);
    EXPECT_EQ(named(sink.logAtClose, "KRVCameraUnInit"), 0);
    const auto log = krvcamera::simulatorCallLog();
    EXPECT_EQ(named(log, "KRVCameraSaveParameter"), 1);
    EXPECT_EQ(named(log, "KRVCameraUnInit"), 1);
}
