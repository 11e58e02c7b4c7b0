// Prints, per simulated model size, how fast the decode thread turns a raw frame into the
// picture of a 1280 x 960 drawing surface, and how long OpenCV takes for the same steps
// (mosaic to BGR, then a bilinear resize) on one core:
//   preview <width>x<height> fps <f> ms_per_frame <t> opencv_ms <t> ratio <r>
// and what the background correction adds to a frame when it is switched on, with a table of
// 10,000 pixels (about what a large sensor's table holds):
//   preview <width>x<height> correction_ms <t>   (thread CPU time)

#include "camera/CameraRecord.h"
#include "camera/FrameSurface.h"
#include "camera/PreviewGeometry.h"
#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace korvel::camera;

namespace {

constexpr int kSurfaceWidth = 1280;
constexpr int kSurfaceHeight = 960;
constexpr int kCorrectionRecords = 10000;

// Milliseconds per call of `work`: the best of several rounds of at least 0.3 s each, so
// that a busy shared machine disturbs the figure as little as possible.
double millisecondsPerCall(const std::function<void()>& work) {
    using Clock = std::chrono::steady_clock;
    work();  // warm caches and allocations
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        int calls = 0;
        const auto start = Clock::now();
        auto now = start;
        do {
            work();
            ++calls;
            now = Clock::now();
        } while (now - start < std::chrono::milliseconds(300) || calls < 3);
        best =
            std::min(best, std::chrono::duration<double, std::milli>(now - start).count() / calls);
    }
    return best;
}

// The OpenCV conversion for a mosaic phase of the camera library (phase 0 = red at the
// top-left, 1 = green-blue first row, 2 = green-red first row, 3 = blue at the top-left).
int opencvBayerCode(int phase) {
    switch (phase) {
        case 0:
            return cv::COLOR_BayerBG2BGR;  // OpenCV names the pattern by its second row
        case 1:
            return cv::COLOR_BayerGR2BGR;
        case 2:
            return cv::COLOR_BayerGB2BGR;
        default:
            return cv::COLOR_BayerRG2BGR;
    }
}

// Thread CPU milliseconds per call of `work`, best of several rounds: a step this short is
// otherwise measured mostly as the waits of a busy shared machine.
double cpuMillisecondsPerCall(const std::function<void()>& work) {
    auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    };
    work();
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        int calls = 0;
        const double start = now();
        double end = start;
        do {
            work();
            ++calls;
            end = now();
        } while (end - start < 100.0 || calls < 3);
        best = std::min(best, (end - start) / calls);
    }
    return best;
}

// A correction table as the background-correction program writes it: distinct pixels in
// memory order, percentages around 100.
std::vector<PixelCorrection> correctionTable(int width, int height) {
    std::mt19937 random(1208u);
    std::uniform_int_distribution<int> column(0, width - 1);
    std::uniform_int_distribution<int> row(0, height - 1);
    std::uniform_int_distribution<int> percent(10, 255);
    std::set<std::pair<int, int>> pixels;
    while (static_cast<int>(pixels.size()) < kCorrectionRecords) {
        pixels.insert({row(random), column(random)});
    }
    std::vector<PixelCorrection> table;
    for (const auto& [y, x] : pixels) {
        PixelCorrection c;
        c.x = x;
        c.y = y;
        for (auto& p : c.percent) {
            p = static_cast<std::uint8_t>(percent(random));
        }
        table.push_back(c);
    }
    return table;
}

bool openSimulatedCamera(int typeId) {
    const std::string backend = "sim:" + std::to_string(typeId);
    setenv("KRVCAMERA", backend.c_str(), 1);
    krvcamera::resetLibrary();
    KRVCamera_ReflashCamera();
    KRVCameraGetCameraID();
    return KRVCameraInit(0, nullptr, nullptr) == 1;
}

}  // namespace

int main() {
    cv::setNumThreads(0);
    krvcamera::useVirtualClock(true);
    // One model per distinct sensor size, largest first.
    const int types[] = {25, 21, 26, 13, 4, 11, 23, 1, 8};
    std::set<std::pair<int, int>> seen;
    for (const int typeId : types) {
        if (!openSimulatedCamera(typeId)) {
            std::fprintf(stderr, "type %d: the simulated camera did not open\n", typeId);
            continue;
        }
        int width = 0;
        int height = 0;
        KRVCameraGetImageSize(&width, &height);
        if (!seen.insert({width, height}).second) {
            KRVCameraUnInit();
            continue;
        }
        std::vector<std::uint8_t> raw(static_cast<std::size_t>(width) * height);
        for (int attempt = 0; attempt < 100 && KRVCameraGrabFrame(raw.data()) != 1; ++attempt) {
        }
        const int phase = KRVCameraDecodeType();
        std::vector<std::uint8_t> image(previewBufferSize(typeId, width, height));
        const std::vector<PixelCorrection> corrections;  // correction off, as by default
        RegionScaler scaler;
        SurfacePicture surface;
        surface.resize(kSurfaceWidth, kSurfaceHeight);
        const Region whole{0, 0, width, height};

        const double ours = millisecondsPerCall([&] {
            KRVCameraDecode(raw.data(), image.data(), width, height);
            applyPixelCorrections(image.data(), width, height, corrections);
            scaler.scale(image.data(), width, height, whole, surface);
        });

        const cv::Mat mosaic(height, width, CV_8UC1, raw.data());
        cv::Mat bgr;
        cv::Mat scaled;
        const double opencv = millisecondsPerCall([&] {
            if (phase == KRVCAMERA_DECODE_MONO) {
                cv::cvtColor(mosaic, bgr, cv::COLOR_GRAY2BGR);
            } else {
                cv::cvtColor(mosaic, bgr, opencvBayerCode(phase));
            }
            cv::resize(bgr, scaled, cv::Size(kSurfaceWidth, kSurfaceHeight), 0, 0,
                       cv::INTER_LINEAR);
        });
        // Where the time goes, apart from the result line.
        const double decode =
            millisecondsPerCall([&] { KRVCameraDecode(raw.data(), image.data(), width, height); });
        const double scale =
            millisecondsPerCall([&] { scaler.scale(image.data(), width, height, whole, surface); });
        std::fprintf(stderr, "  %dx%d decode_ms %.2f scale_ms %.2f\n", width, height, decode,
                     scale);
        const std::vector<PixelCorrection> table = correctionTable(width, height);
        const double correction = cpuMillisecondsPerCall(
            [&] { applyPixelCorrections(image.data(), width, height, table); });
        std::printf("preview %dx%d fps %.1f ms_per_frame %.2f opencv_ms %.2f ratio %.2f\n", width,
                    height, 1000.0 / ours, ours, opencv, ours / opencv);
        std::printf("preview %dx%d correction_ms %.3f\n", width, height, correction);
        std::fflush(stdout);
        KRVCameraUnInit();
    }
    krvcamera::resetLibrary();
    return 0;
}
