// Prints, per simulated model size, how fast the decode thread turns a raw frame into the
// picture of a 1280 x 960 drawing surface, and how long OpenCV takes for the same steps
// (mosaic to BGR, then a bilinear resize) on one core:
//   preview <width>x<height> fps <f> ms_per_frame <t> opencv_ms <t> ratio <r>

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
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace korvel::camera;

namespace {

constexpr int kSurfaceWidth = 1280;
constexpr int kSurfaceHeight = 960;

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
        std::printf("preview %dx%d fps %.1f ms_per_frame %.2f opencv_ms %.2f ratio %.2f\n", width,
                    height, 1000.0 / ours, ours, opencv, ours / opencv);
        std::fflush(stdout);
        KRVCameraUnInit();
    }
    krvcamera::resetLibrary();
    return 0;
}
