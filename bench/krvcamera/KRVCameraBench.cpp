// bench_krvcamera: KRVCameraDecode and KRVCameraGrabFrame per simulated model, at the
// model's largest resolution. The simulator runs on its virtual clock, so grabbing measures
// the frame synthesis rather than the camera's frame pacing.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"

namespace {

struct OpenCamera {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> raw;
    std::vector<std::uint8_t> image;

    explicit OpenCamera(int typeId) {
        krvcamera::resetLibrary();
        krvcamera::useVirtualClock(true);
        setenv("KRVCAMERA", ("sim:" + std::to_string(typeId)).c_str(), 1);
        KRVCamera_ReflashCamera();
        if (KRVCameraInit(0, nullptr, nullptr) != 1 ||
            KRVCameraGetImageSize(&width, &height) != 1) {
            return;
        }
        raw.resize(static_cast<std::size_t>(width) * height);
        image.resize(raw.size() * 3);
        while (KRVCameraGrabFrame(raw.data()) != 1) {
        }
    }
    ~OpenCamera() { KRVCameraUnInit(); }
    bool ok() const { return !raw.empty(); }
};

void label(benchmark::State& state, const OpenCamera& camera) {
    state.SetLabel(std::to_string(camera.width) + "x" + std::to_string(camera.height));
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(camera.raw.size()));
}

// range(0) = type id; range(1) = 0 plain, 1 sharp, 2 gamma + contrast + saturation,
// 3 gamma only, 4 saturation only
void BM_Decode(benchmark::State& state) {
    OpenCamera camera(static_cast<int>(state.range(0)));
    if (!camera.ok()) {
        state.SkipWithError("camera did not open");
        return;
    }
    switch (state.range(1)) {
        case 1:
            KRVCameraSetB2RGBMode(1);
            break;
        case 2:
            KRVCameraSetGamma(130);
            KRVCameraSetContrast(40);
            KRVCameraSetSaturation(170);
            break;
        case 3:
            KRVCameraSetGamma(130);
            break;
        case 4:
            KRVCameraSetSaturation(170);
            break;
        default:
            break;
    }
    for (auto _ : state) {
        KRVCameraDecode(camera.raw.data(), camera.image.data(), camera.width, camera.height);
        benchmark::DoNotOptimize(camera.image.data());
    }
    label(state, camera);
}

void BM_Grab(benchmark::State& state) {
    OpenCamera camera(static_cast<int>(state.range(0)));
    if (!camera.ok()) {
        state.SkipWithError("camera did not open");
        return;
    }
    KRVCameraSetExposureTime(1);
    for (auto _ : state) {
        KRVCameraGrabFrame(camera.raw.data());
        benchmark::DoNotOptimize(camera.raw.data());
    }
    label(state, camera);
}

void models(benchmark::internal::Benchmark* bench) {
    for (int type : {1, 3, 4, 8, 10, 11, 12, 13, 14, 16, 17, 18, 21, 23, 24, 25, 26, 27, 28}) {
        bench->Args({type, 0});
    }
    bench->Args({25, 1})->Args({25, 2})->Args({25, 3})->Args({25, 4});
}

}  // namespace

BENCHMARK(BM_Decode)->Apply(models)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grab)->Arg(13)->Arg(25)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
