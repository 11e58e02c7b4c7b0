// bench_capture: how long one snapshot takes, per file type, at the largest simulated model
// sizes, against encoding the same frame with the image library alone:
//   capture <type> ms <t> encode_ms <t> ratio <r>
// ms = the whole snapshot (drive check, the capture step, the file written by the camera
// library); encode_ms = KxImage writing the same decoded frame as that type (RAW: the same
// number of bytes written as they are). ratio = ms / encode_ms; the target is 1.2 or less.
// Medians of several runs. Model 25 (3264 x 2448) captures through the library itself
// (its frame synthesis included); model 21 (3032 x 2016) writes the preview's picture.

#include "capture/SnapshotCapture.h"
#include "image/KxImage.h"
#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace korvel::capture;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 7;

// The decoded frame of the simulated camera, standing for the running preview.
class FrameSource : public CaptureSource {
public:
    FrameSource(std::vector<std::uint8_t> pixels, int width, int height)
        : pixels_(std::move(pixels)), width_(width), height_(height) {}
    bool running() const override { return true; }
    bool regionActive() const override { return false; }
    bool copyPicture(CapturedPicture& picture) override {
        picture.pixels = pixels_;
        picture.width = width_;
        picture.height = height_;
        return true;
    }
    void stopThreads() override {}
    void startThreads() override {}

private:
    std::vector<std::uint8_t> pixels_;
    int width_;
    int height_;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct FileKind {
    const char* name;
    int code;
    std::uint32_t kximageType;  // 0: raw bytes
    const char* extension;
};

bool openModel(int type, int& width, int& height, std::vector<std::uint8_t>& frame) {
    const std::string backend = "sim:" + std::to_string(type);
    setenv("KRVCAMERA", backend.c_str(), 1);
    krvcamera::resetLibrary();
    krvcamera::useVirtualClock(true);
    KRVCamera_ReflashCamera();
    KRVCameraGetCameraID();
    if (KRVCameraInit(0, nullptr, nullptr) != 1 || KRVCameraGetImageSize(&width, &height) != 1) {
        return false;
    }
    std::vector<std::uint8_t> raw(std::size_t(width) * height);
    frame.assign(std::size_t(width) * height * 3, 0);
    for (int i = 0; i < 200 && KRVCameraGrabFrame(raw.data()) != 1; ++i) {
    }
    return KRVCameraDecode(raw.data(), frame.data(), width, height) == 1;
}

void benchModel(int type, const fs::path& dir) {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> frame;
    if (!openModel(type, width, height, frame)) {
        std::printf("# model %d: no camera\n", type);
        return;
    }
    std::printf("# model %d %dx%d (%s)\n", type, width, height,
                capturesFromPreview(type) ? "picture of the preview" : "library capture");
    FrameSource source(frame, width, height);
    KxImage image;
    image.CreateFromArray(frame.data(), std::uint32_t(width), std::uint32_t(height), 24,
                          std::uint32_t(width) * 3, false);
    image.SetJpegQuality(95);  // the camera library's JPEG quality

    const FileKind kinds[] = {{"jpeg", 1, KXIMAGE_FORMAT_JPG, ".jpg"},
                              {"bmp", 2, KXIMAGE_FORMAT_BMP, ".bmp"},
                              {"tiff", 8, KXIMAGE_FORMAT_TIF, ".tiff"},
                              {"raw", 4, 0, ".raw"}};
    int serial = 0;
    for (const FileKind& kind : kinds) {
        std::vector<double> capture;
        std::vector<double> encode;
        std::uintmax_t bytes = 0;
        for (int run = 0; run < kRuns; ++run) {
            const std::string path =
                (dir / ("snap" + std::to_string(++serial) + kind.extension)).string();
            const auto start = Clock::now();
            const CaptureResult result = captureSnapshot({path, kind.code, type, 0}, source);
            capture.push_back(msSince(start));
            if (result.outcome != CaptureOutcome::Written) {
                std::printf("# %s: capture failed\n", kind.name);
                return;
            }
            bytes = fs::file_size(result.path);
            fs::remove(result.path);
        }
        for (int run = 0; run < kRuns; ++run) {
            const std::string path =
                (dir / ("enc" + std::to_string(++serial) + kind.extension)).string();
            const auto start = Clock::now();
            if (kind.kximageType != 0) {
                image.Save(path.c_str(), kind.kximageType);
            } else {
                // The library's raw file holds sensor samples; the same bytes written as they are.
                std::FILE* file = std::fopen(path.c_str(), "wb");
                std::size_t left = std::size_t(bytes);
                while (file && left > 0) {
                    const std::size_t n = std::min(left, frame.size());
                    std::fwrite(frame.data(), 1, n, file);
                    left -= n;
                }
                if (file) {
                    std::fclose(file);
                }
            }
            encode.push_back(msSince(start));
            fs::remove(path);
        }
        // The camera library's own call alone, with the same arguments.
        std::vector<double> library;
        for (int run = 0; run < kRuns; ++run) {
            const std::string stem = (dir / ("lib" + std::to_string(++serial))).string();
            const std::string path = stem + kind.extension;
            const auto start = Clock::now();
            if (capturesFromPreview(type) && kind.code != 4) {
                KRVCameraSave(std::uint8_t(kind.code), path.c_str(), frame.data(), width, height);
            } else {
                KRVCameraCaptureFile(stem.c_str(), std::uint8_t(kind.code), 0);
            }
            library.push_back(msSince(start));
            fs::remove(path);
        }
        const double ms = median(capture);
        const double encodeMs = median(encode);
        std::printf("capture %s ms %.1f encode_ms %.1f ratio %.2f\n", kind.name, ms, encodeMs,
                    ms / encodeMs);
        std::printf("#   %s: camera library call alone %.1f ms, the rest of the snapshot %.1f ms\n",
                    kind.name, median(library), ms - median(library));
    }
    KRVCameraUnInit();
}

}  // namespace

int main() {
    const fs::path dir =
        fs::temp_directory_path() / ("bench_capture_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    benchModel(25, dir);
    benchModel(21, dir);
    fs::remove_all(dir);
    setenv("KRVCAMERA", "none", 1);
    krvcamera::resetLibrary();
    return 0;
}
