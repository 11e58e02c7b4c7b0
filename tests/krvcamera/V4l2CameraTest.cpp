// The Video4Linux2 backend through the library's C interface, against a scripted device.

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "DecodedByImageMagick.h"
#include "FakeCameraFixture.h"
#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"
#include "krvcamera/KRVCameraVideoDevices.h"
#include "krvcamera/RawSynthesis.h"

namespace krvcamera::test {
namespace {

class V4l2CameraTest : public FakeCameraTest {
protected:
    void SetUp() override {
        FakeCameraTest::SetUp();
        std::filesystem::remove(parameterFile());
    }

    static std::filesystem::path parameterFile() {
        return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Brenic" / "KRVCamera.param";
    }

    static KRVCameraID detect(const char* selection = "v4l2") {
        setenv("KRVCAMERA", selection, 1);
        KRVCamera_ReflashCamera();
        return KRVCameraGetCameraID();
    }

    static bool open(std::uint8_t resolution) {
        detect();
        return KRVCameraInit(resolution, nullptr, nullptr) == 1;
    }

    struct Frame {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> raw;    // mosaic, top row first, and a guard
        std::vector<std::uint8_t> image;  // BGR, bottom row first
    };

    // The raw buffer is one byte per pixel and guarded: the grab must stay inside it.
    static Frame grab() {
        Frame frame;
        EXPECT_EQ(KRVCameraGetImageSize(&frame.width, &frame.height), 1);
        const auto pixels = static_cast<std::size_t>(frame.width) * frame.height;
        frame.raw.assign(pixels + kGuard, 0xA5);
        frame.image.resize(pixels * 3);
        int attempts = 0;
        while (KRVCameraGrabFrame(frame.raw.data()) != 1 && ++attempts < 20) {
        }
        EXPECT_LT(attempts, 20);
        for (std::size_t i = pixels; i < frame.raw.size(); ++i) {
            EXPECT_EQ(frame.raw[i], 0xA5) << "written beyond the raw frame at " << i;
        }
        EXPECT_EQ(KRVCameraDecode(frame.raw.data(), frame.image.data(), frame.width, frame.height),
                  1);
        return frame;
    }

    static constexpr std::size_t kGuard = 4096;
};

TEST_F(V4l2CameraTest, CameraWithEveryControlReportsItsSizesAndRanges) {
    camera.addAllControls();
    const KRVCameraID id = detect();
    EXPECT_EQ(id.typeId, kVideoDeviceTypeId);
    EXPECT_STREQ(id.name, "USB2.0 Microscope");

    const std::optional<DeviceCapabilities> caps = videoDeviceCapabilities();
    ASSERT_TRUE(caps.has_value());
    EXPECT_EQ(caps->busInfo, "usb-0000:00:14.0-2");
    const std::vector<FrameSize> largestFirst = {{1280, 1024}, {640, 480}, {320, 240}};
    EXPECT_EQ(caps->sizes, largestFirst);
    for (std::size_t i = 0; i < kDeviceControlCount; ++i) {
        EXPECT_TRUE(caps->controls[i].available) << "control " << i;
    }
    const ControlRange& exposure = caps->control(DeviceControl::ExposureAbsolute);
    EXPECT_EQ(exposure.minimum, 3);
    EXPECT_EQ(exposure.maximum, 2047);
    EXPECT_EQ(exposure.defaultValue, 157);
    EXPECT_EQ(caps->control(DeviceControl::WhiteBalanceTemperature).maximum, 6500);

    std::vector<std::string> names;
    KRVCamera_Registerpixel(&names, [](void* list, const char* text) {
        static_cast<std::vector<std::string>*>(list)->push_back(text);
    });
    EXPECT_EQ(names, (std::vector<std::string>{"1280x1024", "640x480", "320x240"}));
}

TEST_F(V4l2CameraTest, CameraWithOnlyExposureReportsTheRestUnavailable) {
    camera.addExposureOnly();
    detect();
    const std::optional<DeviceCapabilities> caps = videoDeviceCapabilities();
    ASSERT_TRUE(caps.has_value());
    for (std::size_t i = 0; i < kDeviceControlCount; ++i) {
        EXPECT_EQ(caps->controls[i].available,
                  static_cast<DeviceControl>(i) == DeviceControl::ExposureAbsolute)
            << "control " << i;
    }
}

TEST_F(V4l2CameraTest, CameraThatListsNoSizesOffersTheOneItIsSetTo) {
    camera.addExposureOnly();
    camera.listsSizes = false;
    EXPECT_EQ(detect().typeId, kVideoDeviceTypeId);
    ASSERT_EQ(videoDeviceCapabilities()->sizes, (std::vector<FrameSize>{{640, 480}}));
    ASSERT_TRUE(open(0));
    const Frame frame = grab();
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
}

TEST_F(V4l2CameraTest, SettersReachTheirControlsInTheDriversUnits) {
    camera.addAllControls();
    ASSERT_TRUE(open(1));
    // The library keeps the colour gains, so the camera's own balance is switched off.
    EXPECT_EQ(camera.control(V4L2_CID_AUTO_WHITE_BALANCE), 0);

    // Milliseconds against 100 us steps, clamped to the driver's range.
    EXPECT_EQ(KRVCameraSetExposureTime(50), 1);
    EXPECT_EQ(camera.control(V4L2_CID_EXPOSURE_ABSOLUTE), 500);
    EXPECT_EQ(KRVCameraSetExposureTime(1000), 1);
    EXPECT_EQ(camera.control(V4L2_CID_EXPOSURE_ABSOLUTE), 2047);
    int ms = 0;
    KRVCameraGetExposureTime(&ms);
    EXPECT_EQ(ms, 205);

    EXPECT_EQ(KRVCameraSetAeState(1), 1);
    EXPECT_EQ(camera.control(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_APERTURE_PRIORITY);
    EXPECT_EQ(KRVCameraSetAeState(0), 1);
    EXPECT_EQ(camera.control(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_MANUAL);

    KRVCameraSetAnalogGain(150);
    EXPECT_EQ(camera.control(V4L2_CID_GAIN), 100);
    int gain = 0;
    KRVCameraGetAnalogGain(&gain);
    EXPECT_EQ(gain, 100);

    // 64 is unity, the control's default the camera's neutral balance.
    KRVCameraSetGain(96, 64, 32);
    EXPECT_EQ(camera.control(V4L2_CID_RED_BALANCE), 192);
    EXPECT_EQ(camera.control(V4L2_CID_BLUE_BALANCE), 64);

    KRVCameraSetGamma(150);
    EXPECT_EQ(camera.control(V4L2_CID_GAMMA), 150);
    KRVCameraSetContrast(60);  // 1.5 times the default
    EXPECT_EQ(camera.control(V4L2_CID_CONTRAST), 48);
    KRVCameraSetContrast(0);
    EXPECT_EQ(camera.control(V4L2_CID_CONTRAST), 32);
    // The saturation acts under colour enhancement only.
    KRVCameraSetSaturation(64);  // half
    EXPECT_EQ(camera.control(V4L2_CID_SATURATION), 64);
    KRVCameraSetColorEnhancement(1);
    EXPECT_EQ(camera.control(V4L2_CID_SATURATION), 32);
    KRVCameraSetColorEnhancement(0);
    EXPECT_EQ(camera.control(V4L2_CID_SATURATION), 64);

    KRVCameraSetMirror(0, 1);
    EXPECT_EQ(camera.control(V4L2_CID_HFLIP), 1);
    EXPECT_EQ(camera.control(V4L2_CID_VFLIP), 0);
    KRVCameraSetMirror(1, 1);
    EXPECT_EQ(camera.control(V4L2_CID_VFLIP), 1);

    KRVCameraSetLightFrquency(1);
    EXPECT_EQ(camera.control(V4L2_CID_POWER_LINE_FREQUENCY), V4L2_CID_POWER_LINE_FREQUENCY_60HZ);
    KRVCameraSetLightFrquency(0);
    EXPECT_EQ(camera.control(V4L2_CID_POWER_LINE_FREQUENCY), V4L2_CID_POWER_LINE_FREQUENCY_50HZ);
}

TEST_F(V4l2CameraTest, RefusedValueLeavesTheCamerasOwn) {
    camera.addAllControls();
    camera.controls[V4L2_CID_GAIN].refusedValue = 50;
    ASSERT_TRUE(open(0));
    KRVCameraSetAnalogGain(20);
    KRVCameraSetAnalogGain(50);
    int gain = 0;
    EXPECT_EQ(KRVCameraGetAnalogGain(&gain), 1);
    EXPECT_EQ(gain, 20);
    EXPECT_EQ(camera.control(V4L2_CID_GAIN), 20);
}

TEST_F(V4l2CameraTest, WhatTheCameraLacksIsDoneOnTheFrame) {
    camera.addExposureOnly();
    ASSERT_TRUE(open(2));
    const Frame plain = grab();
    // Row 0 of the picture is the bottom row of the frame: blue, green, red.
    const int h = plain.height;
    EXPECT_EQ(plain.image[0], FakeCamera::kBlue);
    EXPECT_EQ(plain.image[1], FakeCamera::green(h - 1));

    KRVCameraSetGain(64, 64, 128);  // no balance controls: applied in software
    Frame frame = grab();
    EXPECT_EQ(frame.image[0], 2 * FakeCamera::kBlue);

    KRVCameraSetMirror(0, 1);  // no flip controls: the frame is turned over here
    KRVCameraSetMirror(1, 1);
    frame = grab();
    EXPECT_EQ(frame.image[1], FakeCamera::green(0));
    EXPECT_EQ(frame.image[2], FakeCamera::red(frame.width - 1, camera.framesDelivered()));
    // The raw frame is turned over too, so an area picked on the picture is the same area
    // of the mosaic.
    const std::uint8_t phase = KRVCameraDecodeType();
    const int greenColumn = mosaicChannel(phase, 0, 0) == 1 ? 0 : 1;
    EXPECT_EQ(frame.raw[static_cast<std::size_t>(greenColumn)], FakeCamera::green(h - 1));

    KRVCameraSetSaturation(0);  // grey, once colour enhancement lets it act
    frame = grab();
    EXPECT_NE(frame.image[0], frame.image[2]);
    KRVCameraSetColorEnhancement(1);
    frame = grab();
    EXPECT_EQ(frame.image[0], frame.image[2]);
    KRVCameraSetColorEnhancement(0);

    KRVCameraSetMonochrome(1);
    frame = grab();
    for (std::size_t i = 0; i < frame.image.size(); i += 3 * 97) {
        EXPECT_EQ(frame.image[i], frame.image[i + 1]);
        EXPECT_EQ(frame.image[i + 1], frame.image[i + 2]);
    }
}

TEST_F(V4l2CameraTest, FramesArriveNewestFirstInThePreviewsLayout) {
    camera.addAllControls();
    ASSERT_TRUE(open(2));
    const std::uint8_t phase = KRVCameraDecodeType();
    ASSERT_LT(phase, KRVCAMERA_DECODE_MONO);
    const Frame first = grab();
    ASSERT_EQ(first.width, 320);
    ASSERT_EQ(first.height, 240);
    const std::uint32_t sequence = camera.framesDelivered();
    // Raw: the colour frame sampled as the reported mosaic, top row first, without the
    // driver's row padding.
    auto expected = [](int x, int y, std::uint32_t n, std::uint8_t phase) {
        const std::uint8_t rgb[3] = {FakeCamera::red(x, n), FakeCamera::green(y),
                                     FakeCamera::kBlue};
        return rgb[mosaicChannel(phase, y, x)];
    };
    for (int y : {0, 1, 2, 239}) {
        for (int x : {0, 1, 2, 319}) {
            EXPECT_EQ(first.raw[static_cast<std::size_t>(y) * 320 + x],
                      expected(x, y, sequence, phase))
                << x << "," << y;
        }
    }
    // The picture is the full colour frame: blue-green-red, bottom row first.
    EXPECT_EQ(first.image[0], FakeCamera::kBlue);
    EXPECT_EQ(first.image[1], FakeCamera::green(239));
    EXPECT_EQ(first.image[2], FakeCamera::red(0, sequence));
    EXPECT_EQ(first.image[3 * 5 + 2], FakeCamera::red(5, sequence));

    const Frame second = grab();
    EXPECT_GT(camera.framesDelivered(), sequence);
    EXPECT_EQ(second.image[2], FakeCamera::red(0, camera.framesDelivered()));
    EXPECT_NE(second.image[2], first.image[2]);

    // A raw frame the library no longer holds in colour is demosaiced.
    const std::vector<std::uint8_t> copy = second.raw;
    std::vector<std::uint8_t> image(second.image.size());
    ASSERT_EQ(KRVCameraDecode(copy.data(), image.data(), 320, 240), 1);
    EXPECT_EQ(image[0], FakeCamera::kBlue);
    EXPECT_NEAR(image[1], FakeCamera::green(239), 1);
}

TEST_F(V4l2CameraTest, ResolutionChangesBetweenOpeningsAndForCaptures) {
    camera.addAllControls();
    ASSERT_TRUE(open(1));
    EXPECT_EQ(grab().width, 640);
    KRVCameraUnInit();
    ASSERT_EQ(KRVCameraInit(0, nullptr, nullptr), 1);
    Frame frame = grab();
    EXPECT_EQ(frame.width, 1280);
    EXPECT_EQ(frame.height, 1024);
    KRVCameraUnInit();

    // A capture at another resolution than the preview's.
    ASSERT_EQ(KRVCameraInit(2, nullptr, nullptr), 1);
    const std::filesystem::path base = std::filesystem::path(testing::TempDir()) / "v4l2_capture";
    ASSERT_EQ(KRVCameraCaptureFile(base.c_str(), KRVCAMERA_FILE_RAW, 0), 1);
    EXPECT_EQ(std::filesystem::file_size(base.string() + ".raw"), 1280u * 1024u * 3u);
    ASSERT_EQ(KRVCameraCaptureFile(base.c_str(), KRVCAMERA_FILE_BMP, 1), 1);
    std::ifstream bmp(base.string() + ".bmp", std::ios::binary);
    const std::vector<unsigned char> header((std::istreambuf_iterator<char>(bmp)), {});
    ASSERT_GT(header.size(), 26u);
    EXPECT_EQ(header[0], 'B');
    EXPECT_EQ(header[18] | header[19] << 8, 640);
    EXPECT_EQ(header[22] | header[23] << 8, 480);
    // The preview goes on at its own size.
    frame = grab();
    EXPECT_EQ(frame.width, 320);
    std::filesystem::remove(base.string() + ".raw");
    std::filesystem::remove(base.string() + ".bmp");
}

TEST_F(V4l2CameraTest, CaptureFilesReadBackByImageMagickShowTheFrame) {
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/convert")) << "install imagemagick";
    camera.addAllControls();
    ASSERT_TRUE(open(2));
    const std::string base = (std::filesystem::path(testing::TempDir()) / "v4l2_readback").string();
    const struct {
        std::uint8_t type;
        const char* extension;
        int tolerance;  // JPEG is lossy
    } files[] = {{KRVCAMERA_FILE_BMP, ".bmp", 0},
                 {KRVCAMERA_FILE_TIFF, ".tiff", 0},
                 {KRVCAMERA_FILE_JPEG, ".jpg", 12}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.extension);
        ASSERT_EQ(KRVCameraCaptureFile(base.c_str(), file.type, 2), 1);
        const std::vector<std::uint8_t> rgb = decodedByImageMagick(base + file.extension);
        ASSERT_EQ(rgb.size(), 320u * 240u * 3u);
        // The camera's pattern, upright: green counts the rows down, blue is constant, red
        // climbs by one per column (from wherever the frame's sequence started it).
        for (int y : {0, 60, 239}) {
            for (int x : {0, 10, 300}) {
                const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * 320 + x) * 3;
                EXPECT_NEAR(p[1], FakeCamera::green(y), file.tolerance) << x << "," << y;
                EXPECT_NEAR(p[2], FakeCamera::kBlue, file.tolerance) << x << "," << y;
            }
        }
        const std::uint8_t* row = rgb.data() + 100 * 320 * 3;
        EXPECT_NEAR(static_cast<std::uint8_t>(row[3 * 20] - row[0]), 20, file.tolerance);
        std::filesystem::remove(base + file.extension);
    }
}

TEST_F(V4l2CameraTest, UnplugWhileStreamingClosesCleanly) {
    camera.addAllControls();
    static std::atomic<int> removals{0};
    removals = 0;
    KRVCameraRegisterDeviceNotification(
        [](void*, int arrived, const char*) {
            if (!arrived) {
                ++removals;
            }
        },
        nullptr);
    ASSERT_TRUE(open(2));
    camera.unplugAfter(3);
    std::vector<std::uint8_t> raw(320 * 240 * 3);
    int frames = 0;
    for (int i = 0; i < 10; ++i) {
        frames += KRVCameraGrabFrame(raw.data());
    }
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(removals.load(), 1);
    EXPECT_FALSE(camera.streaming());
    int w = 0;
    int h = 0;
    EXPECT_EQ(KRVCameraGetImageSize(&w, &h), 0);
    EXPECT_EQ(KRVCameraSetExposureTime(10), 0);
    KRVCameraUnInit();
    EXPECT_EQ(detect().typeId, -1);
    EXPECT_EQ(KRVCameraInit(0, nullptr, nullptr), 0);
}

TEST_F(V4l2CameraTest, BusyCameraFailsToOpenUntilReleased) {
    camera.addAllControls();
    camera.setBusy(true);
    EXPECT_EQ(detect().typeId, kVideoDeviceTypeId);
    EXPECT_EQ(KRVCameraInit(0, nullptr, nullptr), 0);
    int w = 0;
    int h = 0;
    EXPECT_EQ(KRVCameraGetImageSize(&w, &h), 0);
    camera.setBusy(false);
    EXPECT_EQ(KRVCameraInit(0, nullptr, nullptr), 1);
}

TEST_F(V4l2CameraTest, FrameThatNeverComesEndsTheGrabAndClosingDoesNotHang) {
    camera.addAllControls();
    ASSERT_TRUE(open(2));
    camera.setStalled(true);
    std::vector<std::uint8_t> raw(320 * 240 * 3);
    EXPECT_EQ(KRVCameraGrabFrame(raw.data()), 0);
    EXPECT_EQ(KRVCameraUnInit(), 1);
    EXPECT_FALSE(camera.streaming());
}

TEST_F(V4l2CameraTest, GrabDecodeAndSettersOnThreeThreadsThenClose) {
    camera.addAllControls();
    ASSERT_TRUE(open(2));
    std::atomic<bool> run{true};
    std::atomic<int> frames{0};
    std::vector<std::uint8_t> raw(320 * 240 * 3);
    std::vector<std::uint8_t> image(raw.size());
    std::thread grabber([&] {
        while (run) {
            if (KRVCameraGrabFrame(raw.data()) == 1) {
                KRVCameraDecode(raw.data(), image.data(), 320, 240);
                ++frames;
            }
        }
    });
    for (int i = 0; i < 200 || frames < 5; ++i) {
        KRVCameraSetExposureTime(1 + i % 40);
        KRVCameraSetGain(64 + i % 20, 64, 64);
        KRVCameraSetMonochrome(i % 2);
    }
    // Closing while the grab thread still runs must neither hang nor crash.
    EXPECT_EQ(KRVCameraUnInit(), 1);
    run = false;
    grabber.join();
    EXPECT_GE(frames.load(), 5);
}

TEST_F(V4l2CameraTest, WhiteBalanceOnceEqualsTheChannelMeans) {
    camera.addExposureOnly();
    ASSERT_TRUE(open(2));
    grab();
    ASSERT_EQ(KRVCameraSetAWBState(1), 1);
    int red = 0;
    int green = 0;
    int blue = 0;
    KRVCameraGetGain(&red, &green, &blue);
    EXPECT_EQ(green, 64);
    // Green averages (0 + 239) / 2 over the rows, blue is 77 everywhere.
    EXPECT_NEAR(blue, 64.0 * 119.5 / 77.0, 1.0);
    const Frame balanced = grab();
    double sums[3] = {};
    for (std::size_t i = 0; i < balanced.image.size(); i += 3) {
        for (int c = 0; c < 3; ++c)
            sums[c] += balanced.image[i + c];
    }
    EXPECT_NEAR(sums[0] / sums[1], 1.0, 0.02);
}

TEST_F(V4l2CameraTest, ParameterSetsAreKeptPerDevice) {
    camera.addAllControls();
    ASSERT_TRUE(open(0));
    KRVCameraSetExposureTime(20);
    ASSERT_EQ(KRVCameraSaveParameter(0), 1);
    KRVCameraUnInit();
    resetLibrary();

    ASSERT_TRUE(open(0));
    int ms = 0;
    KRVCameraGetExposureTime(&ms);
    EXPECT_EQ(ms, 20);
    EXPECT_EQ(camera.control(V4L2_CID_EXPOSURE_ABSOLUTE), 200);
    KRVCameraUnInit();
    resetLibrary();

    camera.busInfo = "usb-0000:00:14.0-4";  // another camera of the same kind
    ASSERT_TRUE(open(0));
    KRVCameraGetExposureTime(&ms);
    EXPECT_EQ(ms, 16);  // the camera's default of 157 steps
}

TEST_F(V4l2CameraTest, AutoTakesACaptureDeviceOrFallsBackOnlyWhenAsked) {
    camera.addAllControls();
    EXPECT_EQ(detect("auto").typeId, kVideoDeviceTypeId);
    resetLibrary();
    camera.unplug();
    EXPECT_EQ(detect("auto").typeId, -1);
    resetLibrary();
    EXPECT_EQ(detect("auto,sim:13").typeId, 13);
}

}  // namespace
}  // namespace krvcamera::test
