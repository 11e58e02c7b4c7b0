// A whole background-correction run on the simulated camera, then the correction applied
// as the live picture applies it.

#include "CorrectionRun.h"

#include "camera/BackgroundCorrection.h"
#include "camera/CameraRecord.h"
#include "camera/PreviewGeometry.h"
#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"
#include "krvcamera/SensorDefects.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace bc {
namespace {

constexpr int kTypeId = 13;     // a colour model: defects spill through the interpolation
constexpr int kResolution = 1;  // 1024 x 768
constexpr int kFrames = 16;
// The check averages more frames than BC does, so that what remains of the read-out noise
// does not hide the fixed pattern being measured.
constexpr int kCheckFrames = 64;

class Run : public testing::Test {
protected:
    void SetUp() override {
        krvcamera::resetLibrary();
        krvcamera::useVirtualClock(true);
        std::filesystem::remove(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Brenic" /
                                "KRVCamera.param");
        setenv("KRVCAMERA", ("sim:" + std::to_string(kTypeId)).c_str(), 1);
    }
    void TearDown() override {
        KRVCameraUnInit();
        krvcamera::resetLibrary();
        setenv("KRVCAMERA", "none", 1);
    }

    RunOptions options() const {
        RunOptions o;
        o.directory = folder_.path();
        o.frames = kFrames;
        o.resolution = kResolution;
        return o;
    }

    // Runs BC's logic to the end; the returned run tells how it went.
    std::unique_ptr<CorrectionRun> runToEnd(const RunOptions& o) {
        auto run = std::make_unique<CorrectionRun>(o);
        if (!run->detect()) {
            return run;
        }
        run->fieldEmptied();
        int steps = 0;
        while (run->step() && ++steps < 10000) {
        }
        return run;
    }

    // The mean of `kCheckFrames` decoded frames of the open camera, each corrected first when
    // `corrections` is given.
    std::vector<float> averagedFrames(
        int width, int height, const korvel::camera::PixelCorrectionList::List* corrections) {
        const std::size_t pixels = static_cast<std::size_t>(width) * height;
        std::vector<std::uint8_t> raw(pixels);
        std::vector<std::uint8_t> image(pixels * 3);
        std::vector<float> sum(pixels * 3, 0.0f);
        for (int i = 0; i < kCheckFrames; ++i) {
            while (KRVCameraGrabFrame(raw.data()) != 1) {
            }
            EXPECT_EQ(KRVCameraDecode(raw.data(), image.data(), width, height), 1);
            if (corrections) {
                korvel::camera::applyPixelCorrections(image.data(), width, height, *corrections);
            }
            for (std::size_t j = 0; j < image.size(); ++j) {
                sum[j] += image[j];
            }
        }
        for (float& v : sum) {
            v /= kCheckFrames;
        }
        return sum;
    }

    QTemporaryDir folder_;
};

// Each byte's difference from the median of its 7 x 7 neighbourhood (its own 3 x 3 left
// out): the pixel-to-pixel unevenness, without the lens's slow fall-off.
float neighbourhoodMedian(const std::vector<float>& field, int width, int height, int x, int y,
                          int b) {
    std::vector<float> window;
    for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
            const int xx = x + dx;
            const int yy = y + dy;
            if ((std::abs(dx) <= 1 && std::abs(dy) <= 1) || xx < 0 || yy < 0 || xx >= width ||
                yy >= height) {
                continue;
            }
            window.push_back(field[(static_cast<std::size_t>(yy) * width + xx) * 3 + b]);
        }
    }
    auto middle = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
    std::nth_element(window.begin(), middle, window.end());
    return *middle;
}

double unevenness(const std::vector<float>& field, int width, int height) {
    // Against a 9-pixel box mean of the same bytes: cheap, and enough to see the pattern.
    double sum = 0.0;
    double squares = 0.0;
    long count = 0;
    for (int y = 4; y < height - 4; ++y) {
        for (int x = 4; x < width - 4; ++x) {
            for (int b = 0; b < 3; ++b) {
                double mean = 0.0;
                for (int dy = -4; dy <= 4; dy += 2) {
                    for (int dx = -4; dx <= 4; dx += 2) {
                        mean += field[(static_cast<std::size_t>(y + dy) * width + x + dx) * 3 + b];
                    }
                }
                const double d =
                    field[(static_cast<std::size_t>(y) * width + x) * 3 + b] - mean / 25.0;
                sum += d;
                squares += d * d;
                ++count;
            }
        }
    }
    const double mean = sum / count;
    return std::sqrt(squares / count - mean * mean);
}

TEST_F(Run, TheCorrectionEvensOutTheSimulatedSensor) {
    const auto run = runToEnd(options());
    ASSERT_FALSE(run->failed()) << run->error().toStdString();
    EXPECT_EQ(run->typeId(), kTypeId);
    ASSERT_EQ(run->written().size(), 1u);
    const WrittenTable table = run->written().front();
    EXPECT_EQ(table.width, 1024);
    EXPECT_EQ(table.height, 768);
    EXPECT_EQ(KRVCameraGetImageSize(nullptr, nullptr), 0) << "the camera is released";

    // The camera window's loader finds the table.
    korvel::camera::CameraRecord record;
    record.width = table.width;
    record.height = table.height;
    ASSERT_TRUE(korvel::camera::loadBackgroundCorrection(record, kTypeId, 1, folder_.path()));
    const auto corrections = record.pixelCorrections.snapshot();
    EXPECT_EQ(corrections->size(), table.records);

    // The same empty field again, plain and corrected.
    KRVCamera_ReflashCamera();
    ASSERT_EQ(KRVCameraInit(kResolution, nullptr, nullptr), 1);
    KRVCameraSimulatorSetSlide(0);
    const int width = table.width;
    const int height = table.height;
    const std::vector<float> plain = averagedFrames(width, height, nullptr);
    const std::vector<float> corrected = averagedFrames(width, height, corrections.get());
    const double before = unevenness(plain, width, height);
    const double after = unevenness(corrected, width, height);
    std::cout << "[ bc ] unevenness " << before << " -> " << after << " with "
              << corrections->size() << " records\n";
    EXPECT_LT(after, before * 0.5);

    // Every hot and dead pixel the sensor has is found and brought in line with its
    // neighbourhood, in every byte.
    const auto defects = krvcamera::makeSensorDefects(kTypeId, width, height);
    int planted = 0;
    int found = 0;
    int mended = 0;
    for (const krvcamera::SensorDefect& d : defects->pixels) {
        if (d.factor >= krvcamera::kDeadFactorBound && d.factor <= krvcamera::kHotFactorBound) {
            continue;
        }
        ++planted;
        const int x = static_cast<int>(d.offset % static_cast<std::uint32_t>(width));
        const int rawRow = static_cast<int>(d.offset / static_cast<std::uint32_t>(width));
        const int y = height - 1 - rawRow;  // the decoded picture lies bottom row first
        found += std::ranges::any_of(*corrections, [&](const korvel::camera::PixelCorrection& c) {
            return c.x == x && c.y == y;
        });
        bool inLine = true;
        for (int b = 0; b < 3; ++b) {
            const float expected = neighbourhoodMedian(corrected, width, height, x, y, b);
            const float value = corrected[(static_cast<std::size_t>(y) * width + x) * 3 + b];
            if (std::abs(value - expected) > std::max(0.1f * expected, 4.0f)) {
                inLine = false;
                ADD_FAILURE() << "pixel " << x << "," << y << " byte " << b << ": " << value
                              << " against " << expected << " (factor " << d.factor << ")";
            }
        }
        mended += inLine;
    }
    std::cout << "[ bc ] hot and dead pixels: " << planted << " planted, " << found << " found, "
              << mended << " corrected\n";
    EXPECT_GT(planted, 0);
    EXPECT_EQ(found, planted);
    EXPECT_EQ(mended, planted);
}

TEST_F(Run, ATooDarkFieldIsRefusedAndNothingIsWritten) {
    // The camera window last left the camera at the shortest exposure.
    KRVCamera_ReflashCamera();
    ASSERT_EQ(KRVCameraInit(kResolution, nullptr, nullptr), 1);
    ASSERT_EQ(KRVCameraSetExposureTime(1), 1);
    ASSERT_EQ(KRVCameraSaveParameter(0), 1);
    ASSERT_EQ(KRVCameraUnInit(), 1);

    const auto run = runToEnd(options());
    ASSERT_TRUE(run->failed());
    EXPECT_EQ(run->error(), verdictMessage(FieldVerdict::TooDark));
    EXPECT_TRUE(run->error().contains(QStringLiteral("too dark")));
    EXPECT_TRUE(run->written().empty());
    EXPECT_TRUE(QDir(folder_.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(KRVCameraGetImageSize(nullptr, nullptr), 0) << "the camera is released";
}

TEST_F(Run, WithoutACameraNothingHappens) {
    setenv("KRVCAMERA", "none", 1);
    const auto run = runToEnd(options());
    ASSERT_TRUE(run->failed());
    EXPECT_EQ(run->error(), QStringLiteral("No Camera!"));
    EXPECT_TRUE(QDir(folder_.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(Run, EveryResolutionGetsItsOwnTable) {
    RunOptions o = options();
    o.resolution.reset();
    o.frames = 4;
    const auto run = runToEnd(o);
    ASSERT_FALSE(run->failed()) << run->error().toStdString();
    ASSERT_EQ(run->written().size(), 2u);
    for (const WrittenTable& t : run->written()) {
        EXPECT_TRUE(QFileInfo::exists(
            QDir(folder_.path())
                .filePath(QStringLiteral("Camera_13_%1_%2.bin").arg(t.width).arg(t.height))));
        EXPECT_GT(t.records, 0u);
    }
}

}  // namespace
}  // namespace bc
