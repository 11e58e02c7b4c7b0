#include <atomic>
#include <mutex>
#include <thread>

#include "SimulatorFixture.h"

namespace krvcamera::test {
namespace {

using ThreadSafety = SimulatorTest;

// The preview's calling pattern: a grab thread and a decode thread swapping buffers under
// their own lock, while the user-interface thread changes settings and stores parameter sets.
TEST_F(ThreadSafety, GrabAndDecodeRunWhileSettersChangeEverything) {
    useVirtualClock(false);         // real waits, as the preview threads see them
    ASSERT_TRUE(open("sim:8", 1));  // 320 x 240
    ASSERT_EQ(KRVCameraSetExposureTime(5), 1);
    const int w = 320, h = 240;
    std::vector<std::uint8_t> grabBuffer(w * h), exchangeBuffer(w * h), decodeBuffer(w * h);
    std::vector<std::uint8_t> image(w * h * 3);
    std::mutex exchange;
    std::uint8_t* shared = exchangeBuffer.data();  // guarded by `exchange`
    bool frameReady = false;
    std::atomic<bool> running{true};
    std::atomic<int> decoded{0};

    std::thread grabber([&] {
        std::uint8_t* grab = grabBuffer.data();
        while (running) {
            if (KRVCameraGrabFrame(grab) != 1)
                continue;
            std::lock_guard lock(exchange);
            std::swap(grab, shared);
            frameReady = true;
        }
    });
    std::thread decoder([&] {
        std::uint8_t* decode = decodeBuffer.data();
        while (running) {
            bool taken = false;
            {
                std::lock_guard lock(exchange);
                if (frameReady) {
                    std::swap(decode, shared);
                    frameReady = false;
                    taken = true;
                }
            }
            if (!taken) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if (KRVCameraDecode(decode, image.data(), w, h) == 1)
                ++decoded;
        }
    });

    for (int i = 0; decoded < 30 && i < 5000; ++i) {
        KRVCameraSetExposureTime(3 + i % 7);
        KRVCameraSetGain(40 + i % 50, 64, 90);
        KRVCameraSetMirror(i % 2, (i / 2) % 2);
        KRVCameraSetGamma(60 + i % 90);
        KRVCameraSetMonochrome(i % 3 == 0);
        KRVCameraSetB2RGBMode(i % 2);
        KRVCameraSetAeState(i % 5 == 0);
        if (i % 10 == 0)
            KRVCameraSetAWBState(1);
        if (i % 25 == 0)
            KRVCameraSaveParameter(0);
        int value = 0;
        KRVCameraGetExposureTime(&value);
        KRVCameraDecodeType();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    running = false;
    grabber.join();
    decoder.join();
    EXPECT_GE(decoded, 30);
}

}  // namespace
}  // namespace krvcamera::test
