// Snapshots written through the simulated camera: the model rules of the capture step, the
// drive check before any camera call, series of shots of every file type read back with the
// image library, and a BMP (JPEG) snapshot against the frame it was taken from.

#include "camera/CameraFixture.h"

#include "camera/PreviewGeometry.h"
#include "camera/PreviewPipeline.h"
#include "capture/CaptureNaming.h"
#include "capture/SnapshotCapture.h"
#include "capture/SnapshotPath.h"
#include "capture/SnapshotSeries.h"
#include "framework/Message.h"
#include "image/KxImage.h"
#include "res/ids.h"

#include <QDir>

#include <cmath>
#include <filesystem>

using namespace korvel::capture;
using korvel::camera::CameraRecord;
using korvel::camera::PreviewPipeline;
using korvel::camera::Region;
using korvel::camera::test::SimulatedCameraTest;

namespace {

class NoWindow : public korvel::framework::MessageTarget {
public:
    std::intptr_t onMessage(const korvel::framework::Message&) override { return 0; }
};

// The preview as the capture sees it, over a pipeline the test steps by hand.
class PipelineSource : public CaptureSource {
public:
    explicit PipelineSource(PreviewPipeline& pipeline) : pipeline_(pipeline) {}
    bool running() const override { return running_; }
    bool regionActive() const override { return pipeline_.regionActive(); }
    bool copyPicture(CapturedPicture& picture) override {
        const int w = pipeline_.width();
        const int h = pipeline_.height();
        const std::size_t bytes = std::size_t(w) * h * 3;
        if (pipeline_.regionActive()) {
            const Region r = pipeline_.region();
            picture.pixels.assign(std::size_t(r.width()) * r.height() * 3, 0);
            korvel::camera::cropRegion(pipeline_.lastImage().data(), w, h, r,
                                       picture.pixels.data());
            picture.width = r.width();
            picture.height = r.height();
            return true;
        }
        picture.pixels.assign(pipeline_.lastImage().begin(), pipeline_.lastImage().begin() + bytes);
        picture.width = w;
        picture.height = h;
        return true;
    }
    void stopThreads() override { ++stops; }
    void startThreads() override { ++starts; }

    bool running_ = true;
    int stops = 0;
    int starts = 0;

private:
    PreviewPipeline& pipeline_;
};

class SnapshotCaptureTest : public SimulatedCameraTest {
protected:
    void openCamera(int type, std::uint8_t preview, std::uint8_t capture) {
        krvcamera::useVirtualClock(true);
        useCamera("sim:" + std::to_string(type));
        record.typeId = type;
        record.previewResolution = preview;
        record.captureResolution = capture;
        record.state = korvel::camera::kCameraOpen;
        ASSERT_EQ(KRVCameraInit(preview, nullptr, nullptr), 1);
        KRVCameraGetImageSize(&record.width, &record.height);
        pipeline.prepare(record, record.width, record.height);
        // A folder of its own per test: names already taken would change the names.
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = QDir::current()
                     .filePath(QString::fromStdString(std::string(test->test_suite_name()) + "." +
                                                      test->name())
                                   .replace('/', '_'))
                     .toStdString() +
                 "/";
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        pipeline.release();
        KRVCameraUnInit();
        krvcamera::useVirtualClock(false);
        SimulatedCameraTest::TearDown();
    }
    // Grabs and decodes one frame, as the two preview threads do.
    void decodeFrame() {
        for (int i = 0; i < 100; ++i) {
            if (pipeline.grabStep(std::uint32_t(i)) == PreviewPipeline::GrabResult::Published) {
                break;
            }
        }
        ASSERT_TRUE(pipeline.takeFrame());
        pipeline.processFrame();
    }
    CaptureRequest request(const std::string& path) const {
        return {path, record.snapshot.uiFiletype, record.typeId, record.captureResolution};
    }

    CameraRecord record;
    NoWindow window;
    PreviewPipeline pipeline{&window};
    PipelineSource source{pipeline};
    std::string folder;
};

std::size_t fileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : std::size_t(size);
}

// Peak signal-to-noise ratio of a loaded picture against a bottom-up BGR buffer.
double psnr(const KxImage& image, const std::vector<std::uint8_t>& pixels, int w, int h) {
    double squared = 0;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = image.GetBits(std::uint32_t(y));
        const std::uint8_t* expected = pixels.data() + std::size_t(y) * w * 3;
        for (int x = 0; x < w * 3; ++x) {
            const double d = double(row[x]) - expected[x];
            squared += d * d;
        }
    }
    const double mse = squared / (double(w) * h * 3);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace

TEST_F(SnapshotCaptureTest, BmpSnapshotIsTheLastDecodedFrame) {
    openCamera(13, 1, 0);
    decodeFrame();
    record.snapshot.uiFiletype = kFileBmp;
    const CaptureResult result = captureSnapshot(request(folder + "frame.bmp"), source);
    ASSERT_EQ(result.outcome, CaptureOutcome::Written);
    EXPECT_EQ(result.path, folder + "frame.bmp");
    KxImage image;
    ASSERT_TRUE(image.Load(result.path.c_str(), KXIMAGE_FORMAT_BMP));
    ASSERT_EQ(int(image.GetWidth()), record.width);
    ASSERT_EQ(int(image.GetHeight()), record.height);
    EXPECT_EQ(psnr(image, pipeline.lastImage(), record.width, record.height), 99.0);
    // A picture of the preview: the threads keep running.
    EXPECT_EQ(source.stops, 0);
}

TEST_F(SnapshotCaptureTest, JpegSnapshotIsCloseToTheLastDecodedFrame) {
    openCamera(13, 1, 0);
    decodeFrame();
    record.snapshot.uiFiletype = kFileJpeg;
    const CaptureResult result = captureSnapshot(request(folder + "frame.jpg"), source);
    ASSERT_EQ(result.outcome, CaptureOutcome::Written);
    KxImage image;
    ASSERT_TRUE(image.Load(result.path.c_str(), KXIMAGE_FORMAT_JPG));
    ASSERT_EQ(int(image.GetWidth()), record.width);
    EXPECT_GE(psnr(image, pipeline.lastImage(), record.width, record.height), 35.0);
}

TEST_F(SnapshotCaptureTest, RegionOfInterestIsWrittenCropped) {
    openCamera(13, 1, 0);
    pipeline.setRegion(Region{100, 50, 300, 150}, true);
    decodeFrame();
    record.snapshot.uiFiletype = kFileBmp;
    const CaptureResult result = captureSnapshot(request(folder + "cut.bmp"), source);
    ASSERT_EQ(result.outcome, CaptureOutcome::Written);
    KxImage image;
    ASSERT_TRUE(image.Load(result.path.c_str(), KXIMAGE_FORMAT_BMP));
    EXPECT_EQ(image.GetWidth(), 200u);
    EXPECT_EQ(image.GetHeight(), 100u);
}

TEST_F(SnapshotCaptureTest, UnwritableFolderIsRefusedBeforeAnyCameraCall) {
    openCamera(3, 2, 2);
    krvcamera::clearSimulatorCallLog();
    const auto optical = [](const std::string&) { return FolderStatus{true, true, true, true}; };
    const CaptureResult result = captureSnapshot(request(folder + "KV.bmp"), source, optical);
    EXPECT_EQ(result.outcome, CaptureOutcome::Refused);
    EXPECT_TRUE(result.path.empty());
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
    EXPECT_EQ(source.stops, 0);
    EXPECT_EQ(captureSnapshot(request("/no/such/folder/KV.bmp"), source).outcome,
              CaptureOutcome::Refused);
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
}

TEST_F(SnapshotCaptureTest, StoppedPreviewCapturesNothing) {
    openCamera(3, 2, 2);
    source.running_ = false;
    krvcamera::clearSimulatorCallLog();
    const CaptureResult result = captureSnapshot(request(folder + "KV.bmp"), source);
    EXPECT_EQ(result.outcome, CaptureOutcome::NotRunning);
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
    EXPECT_FALSE(std::filesystem::exists(folder + "KV.bmp"));
}

TEST_F(SnapshotCaptureTest, LibraryTiffCaptureAnnouncesTheFileItWrote) {
    openCamera(3, 2, 2);
    record.snapshot.uiFiletype = kFileTiff;
    const CaptureResult result = captureSnapshot(request(folder + "KV.tiff"), source);
    ASSERT_EQ(result.outcome, CaptureOutcome::Written);
    EXPECT_EQ(result.path, folder + "KV.tiff");
    EXPECT_TRUE(std::filesystem::exists(result.path));
    EXPECT_FALSE(std::filesystem::exists(folder + "KV.tif"));
    EXPECT_EQ(source.stops, 1);
    EXPECT_EQ(source.starts, 1);
    EXPECT_EQ(callsOf("KRVCameraCaptureFile"),
              std::vector<std::string>{"KRVCameraCaptureFile(\"" + folder + "KV\", 8, 2)"});
}

TEST_F(SnapshotCaptureTest, RawOnPreviewModelIsAWideCaptureAtSpeedOne) {
    openCamera(13, 1, 1);
    KRVCameraSetSpeedMode(2);
    record.snapshot.uiFiletype = kFileRaw;
    krvcamera::clearSimulatorCallLog();
    const CaptureResult result = captureSnapshot(request(folder + "KV.raw"), source);
    ASSERT_EQ(result.outcome, CaptureOutcome::Written);
    EXPECT_EQ(result.path, folder + "KV.raw");
    EXPECT_EQ(fileSize(result.path), std::size_t(1024) * 768 * 2);  // 16-bit samples
    std::vector<std::string> steps;
    for (const std::string& call : krvcamera::simulatorCallLog()) {
        if (call.rfind("KRVCameraSet", 0) == 0 || call.rfind("KRVCameraCapture", 0) == 0) {
            steps.push_back(call);
        }
    }
    EXPECT_EQ(steps,
              (std::vector<std::string>{"KRVCameraSetSpeedMode(1)", "KRVCameraSetDataWide(1)",
                                        "KRVCameraCaptureFile(\"" + folder + "KV\", 4, 1)",
                                        "KRVCameraSetDataWide(0)", "KRVCameraSetSpeedMode(2)"}));
    EXPECT_EQ(source.stops, 1);
    EXPECT_EQ(source.starts, 1);
}

TEST_F(SnapshotCaptureTest, ModelsBeyondTheTableCaptureNothingButTheVideoDeviceModel) {
    openCamera(3, 2, 2);
    CaptureRequest r = request(folder + "KV.bmp");
    r.typeId = 40;
    EXPECT_EQ(captureSnapshot(r, source).outcome, CaptureOutcome::NoCapture);
    EXPECT_FALSE(std::filesystem::exists(folder + "KV.bmp"));

    // The generic model of a Video4Linux2 camera captures through the library.
    r.typeId = KRVCAMERA_TYPE_VIDEO_DEVICE;
    EXPECT_EQ(captureSnapshot(r, source).outcome, CaptureOutcome::Written);
    EXPECT_TRUE(std::filesystem::exists(folder + "KV.bmp"));
}

namespace {

// A series of five shots at interval 0 through the real message hand-over: the series
// thread sends 1284 to a window on this thread, which names the file and captures it.
class ShotWindow : public korvel::framework::MessageTarget {
public:
    ShotWindow(CameraRecord& record, CaptureSource& source, CaptureDone& done, std::string folder,
               std::function<void()> beforeShot)
        : record_(record),
          source_(source),
          done_(done),
          folder_(std::move(folder)),
          beforeShot_(std::move(beforeShot)) {}
    std::intptr_t onMessage(const korvel::framework::Message& m) override {
        if (m.id != unsigned(korvel::res::MSG_TAKE_SNAPSHOT)) {
            return 0;
        }
        beforeShot_();
        const auto path = snapshotPath(record_, folder_, int(m.wParam), nullptr);
        CaptureResult result;
        if (path) {
            result = captureSnapshot(
                {*path, record_.snapshot.uiFiletype, record_.typeId, record_.captureResolution},
                source_);
        }
        written.push_back(result.path);
        done_.set();  // the 1304 that follows every capture
        return 0;
    }
    std::vector<std::string> written;

private:
    CameraRecord& record_;
    CaptureSource& source_;
    CaptureDone& done_;
    std::string folder_;
    std::function<void()> beforeShot_;
};

}  // namespace

class SeriesOfShots : public SnapshotCaptureTest,
                      public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(SeriesOfShots, FiveShotsWriteFiveFilesAtTheCaptureSize) {
    const auto [type, fileType] = GetParam();
    // Preview-sourced models write the preview picture; the others capture at the
    // resolution index given (640 x 480 for type 3).
    openCamera(type, 1, type == 3 ? 2 : 1);
    record.snapshot.bConfig = 1;
    record.snapshot.bTimeStamp = 0;
    record.snapshot.bLapse = 1;
    record.snapshot.nSpace = 0;
    record.snapshot.nCount = 5;
    record.snapshot.uiFiletype = fileType;
    CaptureDone done;
    ShotWindow shots(record, source, done, folder, [this] { decodeFrame(); });
    SnapshotSeries series(
        done,
        [&shots](int i) {
            korvel::framework::sendMessage(
                &shots, {unsigned(korvel::res::MSG_TAKE_SNAPSHOT), std::uintptr_t(i), 0, {}});
        },
        [] {});
    series.start(seriesPlan(record));
    korvel::framework::waitServingSends(series.finished());
    series.join();

    ASSERT_EQ(shots.written.size(), 5u);
    const bool fromPreview = capturesFromPreview(type);
    int w = 0;
    int h = 0;
    if (fromPreview && fileType != kFileRaw) {
        w = record.width;
        h = record.height;
    } else {
        w = type == 3 ? 640 : 680;
        h = type == 3 ? 480 : 512;
    }
    const std::string extension = snapshotExtension(fileType);
    for (int i = 0; i < 5; ++i) {
        const std::string expected =
            folder + "KV" + (i == 0 ? "" : "-" + std::to_string(i)) + extension;
        EXPECT_EQ(shots.written[std::size_t(i)], expected);
        ASSERT_TRUE(std::filesystem::exists(expected)) << expected;
        if (fileType == kFileRaw) {
            const std::size_t bytesPerSample = fromPreview ? 2 : 1;
            EXPECT_EQ(fileSize(expected), std::size_t(w) * h * bytesPerSample) << expected;
            continue;
        }
        KxImage image;
        ASSERT_TRUE(image.Load(expected.c_str(), 0)) << expected;
        EXPECT_EQ(int(image.GetWidth()), w) << expected;
        EXPECT_EQ(int(image.GetHeight()), h) << expected;
    }
}

INSTANTIATE_TEST_SUITE_P(FileTypes, SeriesOfShots,
                         ::testing::Combine(::testing::Values(3, 17),
                                            ::testing::Values(kFileJpeg, kFileBmp, kFileRaw,
                                                              kFileTiff)));
