// Snapshot naming, the drive check, the snapshot path of one shot, the capture step's
// model rules and the snapshot series, without a window.

#include "capture/CaptureNaming.h"
#include "capture/DriveCheck.h"
#include "capture/SnapshotCapture.h"
#include "capture/SnapshotPath.h"
#include "capture/SnapshotSeries.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace korvel::capture;
using korvel::camera::CameraRecord;

namespace {

CameraRecord namingRecord(int fileType, bool timeStamp) {
    CameraRecord record;
    record.snapshot.bConfig = 1;
    record.snapshot.sFilename = "KV";
    record.snapshot.uiFiletype = fileType;
    record.snapshot.bTimeStamp = timeStamp ? 1 : 0;
    return record;
}

LocalTime fixedTime() {
    return {3, 7, 9, 5, 2};
}

// A folder whose files are a set of names.
struct FakeFolder {
    std::set<std::string> files;
    FileExists exists() {
        return [this](const std::string& path) { return files.count(path) > 0; };
    }
};

}  // namespace

TEST(CaptureNaming, SeriesWithoutTimeStampNumbersFromTheSecondShot) {
    const CameraRecord record = namingRecord(kFileBmp, false);
    FakeFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        names.push_back(captureName(record, "/pics/", i, false, fixedTime, folder.exists()));
        folder.files.insert(names.back());
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"/pics/KV.bmp", "/pics/KV-1.bmp", "/pics/KV-2.bmp"}));
}

TEST(CaptureNaming, TakenNamesGetTheFirstFreeSuffix) {
    const CameraRecord record = namingRecord(kFileBmp, false);
    FakeFolder folder{{"/pics/KV-2.bmp", "/pics/KV-2_1.bmp"}};
    EXPECT_EQ(captureName(record, "/pics/", 2, false, fixedTime, folder.exists()),
              "/pics/KV-2_2.bmp");
}

TEST(CaptureNaming, TwoTimeStampedShotsInOneSecond) {
    const CameraRecord record = namingRecord(kFileJpeg, true);
    FakeFolder folder;
    const std::string first = captureName(record, "/pics/", 0, false, fixedTime, folder.exists());
    folder.files.insert(first);
    const std::string second = captureName(record, "/pics/", 1, false, fixedTime, folder.exists());
    EXPECT_EQ(first, "/pics/0307090502.jpg");
    EXPECT_EQ(second, "/pics/0307090502_1.jpg");
}

TEST(CaptureNaming, ExtensionsFollowTheFileType) {
    FakeFolder none;
    const auto name = [&](int type) {
        return captureName(namingRecord(type, false), "/p/", 0, false, fixedTime, none.exists());
    };
    EXPECT_EQ(name(kFileJpeg), "/p/KV.jpg");
    EXPECT_EQ(name(kFileBmp), "/p/KV.bmp");
    EXPECT_EQ(name(kFileTiff), "/p/KV.tiff");
    // RAW files are named as the library writes them, so one never overwrites another.
    EXPECT_EQ(name(kFileRaw), "/p/KV.raw");
    EXPECT_EQ(name(3), "/p/KV.bmp");
}

TEST(CaptureNaming, VideoNamesUseTheVideoSettings) {
    CameraRecord record = namingRecord(kFileJpeg, false);
    record.video.sFilename = "Movie";
    record.video.bTimeStamp = 0;
    FakeFolder folder{{"/v/Movie-4.avi"}};
    EXPECT_EQ(captureName(record, "/v/", 4, true, fixedTime, folder.exists()), "/v/Movie-4_1.avi");
    record.video.bTimeStamp = 1;
    EXPECT_EQ(captureName(record, "/v/", 4, true, fixedTime, folder.exists()), "/v/0307090502.avi");
}

TEST(CaptureNaming, RealFolderSkipsExistingFiles) {
    const std::filesystem::path dir = std::filesystem::current_path() / "naming";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "KV.bmp") << "x";
    const std::string folder = dir.string() + "/";
    EXPECT_EQ(captureName(namingRecord(kFileBmp, false), folder, 0, false), folder + "KV_1.bmp");
}

TEST(DriveCheck, RefusesMissingReadOnlyAndOpticalFolders) {
    EXPECT_FALSE(canSaveTo("/no/such/folder/KV.bmp"));
    const auto probe = [](FolderStatus status) {
        return [status](const std::string&) { return status; };
    };
    EXPECT_TRUE(canSaveTo("/d/KV.bmp", probe({true, true, false, false})));
    EXPECT_FALSE(canSaveTo("/d/KV.bmp", probe({true, false, false, false})));
    EXPECT_FALSE(canSaveTo("/d/KV.bmp", probe({true, true, true, false})));
    EXPECT_FALSE(canSaveTo("/d/KV.bmp", probe({true, true, false, true})));
    EXPECT_FALSE(canSaveTo("/d/", probe({true, true, false, false})));
    // The folder of the path is what is probed.
    std::string probed;
    canSaveTo("/a/b.c/KV", [&](const std::string& f) {
        probed = f;
        return FolderStatus{};
    });
    EXPECT_EQ(probed, "/a/b.c/");
    EXPECT_TRUE(canSaveTo(std::filesystem::current_path().string() + "/x.bmp"));
}

TEST(SnapshotPath, AutomaticNamesNeedNoDialog) {
    CameraRecord record = namingRecord(kFileBmp, false);
    FakeFolder folder;
    bool asked = false;
    const auto path = snapshotPath(
        record, "/p/", 2,
        [&](const SaveDialogRequest&) {
            asked = true;
            return std::optional<SaveDialogAnswer>{};
        },
        fixedTime, folder.exists());
    EXPECT_EQ(path, "/p/KV-2.bmp");
    EXPECT_FALSE(asked);
}

TEST(SnapshotPath, DialogFilterFollowsAndSetsTheFileType) {
    CameraRecord record = namingRecord(kFileRaw, false);
    record.snapshot.bConfig = 0;
    SaveDialogRequest seen;
    const auto path = snapshotPath(record, "/p/", 0, [&](const SaveDialogRequest& request) {
        seen = request;
        return std::optional<SaveDialogAnswer>(SaveDialogAnswer{"/q/cells.tiff", 3});
    });
    EXPECT_EQ(seen.title, "camera snap files");
    EXPECT_EQ(seen.defaultName, "Korvel");
    EXPECT_EQ(seen.defaultExtension, "bmp");
    ASSERT_EQ(seen.filters.size(), 4u);
    EXPECT_EQ(seen.filters[0].description, "BMP Files (*.bmp)");
    EXPECT_EQ(seen.filters[1].description, "JPEG Files (*.jpg)");
    EXPECT_EQ(seen.filters[2].description, "TIFF Files (*.tiff)");
    EXPECT_EQ(seen.filters[3].description, "RAW Files (*.raw)");
    EXPECT_EQ(seen.initialFilter, 4);
    EXPECT_EQ(path, "/q/cells.tiff");
    EXPECT_EQ(record.snapshot.uiFiletype, kFileTiff);

    EXPECT_EQ(snapFilterForType(kFileJpeg), 2);
    EXPECT_EQ(snapFilterForType(kFileTiff), 3);
    EXPECT_EQ(snapFilterForType(kFileBmp), 1);
    EXPECT_EQ(snapFilterForType(77), 1);
    EXPECT_EQ(fileTypeForSnapFilter(2), kFileJpeg);
    EXPECT_EQ(fileTypeForSnapFilter(4), kFileRaw);
    EXPECT_EQ(fileTypeForSnapFilter(1), kFileBmp);
    EXPECT_EQ(fileTypeForSnapFilter(0), kFileBmp);
}

TEST(SnapshotPath, CancelledDialogGivesNoPathAndKeepsTheType) {
    CameraRecord record = namingRecord(kFileJpeg, false);
    record.snapshot.bConfig = 0;
    const auto path = snapshotPath(record, "/p/", 0, [](const SaveDialogRequest&) {
        return std::optional<SaveDialogAnswer>{};
    });
    EXPECT_FALSE(path.has_value());
    EXPECT_EQ(record.snapshot.uiFiletype, kFileJpeg);
}

TEST(LibraryCapturePath, AnnouncesTheFileTheLibraryWrote) {
    EXPECT_EQ(pathWithoutExtension("/p/KV-1.tiff"), "/p/KV-1");
    EXPECT_EQ(pathWithoutExtension("/p.d/KV"), "/p.d/KV");
    EXPECT_EQ(pathWithoutExtension("KV.x.bmp"), "KV.x");
    // Carrying only four characters would announce "/p/KV.tif", a file that does not
    // exist; the library wrote "/p/KV.tiff".
    EXPECT_EQ(libraryCapturePath("/p/KV.tiff", kFileTiff), "/p/KV.tiff");
    EXPECT_EQ(libraryCapturePath("/p/KV.jpeg", kFileJpeg), "/p/KV.jpg");
    EXPECT_EQ(libraryCapturePath("/p/KV.bmp", kFileRaw), "/p/KV.raw");
}

TEST(CaptureModels, PreviewSourcedModels) {
    for (int type : {9, 10, 11, 12, 13, 14, 16, 17, 21, 23, 24}) {
        EXPECT_TRUE(capturesFromPreview(type)) << type;
    }
    for (int type : {-1, 0, 1, 8, 15, 18, 22, 25, 28, 29}) {
        EXPECT_FALSE(capturesFromPreview(type)) << type;
    }
}

// --- The snapshot series -------------------------------------------------------------

namespace {

// Stands in for the camera window: each requested shot finishes at once (or later).
struct SeriesHarness {
    CaptureDone done;
    std::mutex mutex;
    std::vector<int> shots;
    std::atomic<int> ended{0};
    bool finishShots = true;

    SnapshotSeries::Shot shot() {
        return [this](int index) {
            {
                std::lock_guard lock(mutex);
                shots.push_back(index);
            }
            if (finishShots) {
                done.set();
            }
        };
    }
    SnapshotSeries::Ended end() {
        return [this] { ended.fetch_add(1); };
    }
};

SeriesPlan plan(int shots, std::chrono::milliseconds interval) {
    return {true, shots, interval};
}

}  // namespace

TEST(SnapshotSeries, PlanFollowsTheSettings) {
    CameraRecord record = namingRecord(kFileBmp, false);
    record.state = korvel::camera::kCameraOpen;
    record.snapshot.bLapse = 1;
    record.snapshot.nCount = 3;
    record.snapshot.nSpace = 256 + 5;  // used as a byte
    SeriesPlan p = seriesPlan(record);
    EXPECT_TRUE(p.cameraOpen);
    EXPECT_EQ(p.shots, 3);
    EXPECT_EQ(p.interval, std::chrono::seconds(5));
    record.snapshot.bConfig = 0;  // with the file dialog: one shot
    p = seriesPlan(record);
    EXPECT_EQ(p.shots, 1);
    EXPECT_EQ(p.interval.count(), 0);
    record.state = korvel::camera::kCameraClosed;
    EXPECT_FALSE(seriesPlan(record).cameraOpen);
}

TEST(SnapshotSeries, RequestsEachShotInTurnThenEnds) {
    SeriesHarness h;
    SnapshotSeries series(h.done, h.shot(), h.end());
    series.start(plan(5, std::chrono::milliseconds(0)));
    series.finished().wait();
    series.join();
    EXPECT_EQ(h.shots, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(h.ended.load(), 1);
    EXPECT_TRUE(h.done.isSet());
}

TEST(SnapshotSeries, ClosedCameraTakesNoShot) {
    SeriesHarness h;
    SnapshotSeries series(h.done, h.shot(), h.end());
    series.start({false, 3, std::chrono::milliseconds(0)});
    series.finished().wait();
    EXPECT_TRUE(h.shots.empty());
    EXPECT_EQ(h.ended.load(), 1);
}

TEST(SnapshotSeries, CancelledFirstShotStillEndsTheSeries) {
    // A cancelled dialog marks the capture done without a file.
    SeriesHarness h;
    SnapshotSeries series(h.done, h.shot(), h.end());
    series.start(plan(1, std::chrono::milliseconds(0)));
    series.finished().wait();
    EXPECT_EQ(h.shots, std::vector<int>{0});
    EXPECT_EQ(h.ended.load(), 1);
}

TEST(SnapshotSeries, StopEndsAWaitForACaptureThatNeverComes) {
    SeriesHarness h;
    h.finishShots = false;  // the preview stopped: no capture will finish
    SnapshotSeries series(h.done, h.shot(), h.end());
    series.start(plan(3, std::chrono::milliseconds(0)));
    while (true) {
        std::lock_guard lock(h.mutex);
        if (!h.shots.empty()) {
            break;
        }
    }
    EXPECT_FALSE(series.finished().isSet());
    series.stop();
    series.finished().wait();
    series.join();
    EXPECT_EQ(h.shots, std::vector<int>{0});
    EXPECT_EQ(h.ended.load(), 1);
}

TEST(SnapshotSeries, StopCutsTheIntervalShort) {
    SeriesHarness h;
    SnapshotSeries series(h.done, h.shot(), h.end());
    // An hour between shots: only the stop can end this series.
    series.start(plan(2, std::chrono::hours(1)));
    while (true) {
        std::lock_guard lock(h.mutex);
        if (!h.shots.empty()) {
            break;
        }
    }
    series.stop();
    series.finished().wait();
    EXPECT_EQ(h.shots, std::vector<int>{0});
}

TEST(SnapshotSeries, DestroyingARunningSeriesStopsIt) {
    SeriesHarness h;
    h.finishShots = false;
    {
        SnapshotSeries series(h.done, h.shot(), h.end());
        series.start(plan(3, std::chrono::milliseconds(0)));
    }
    EXPECT_EQ(h.ended.load(), 1);
}
