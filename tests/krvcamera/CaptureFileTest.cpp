#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "DecodedByImageMagick.h"
#include "SimulatorFixture.h"

namespace krvcamera::test {
namespace {

namespace fs = std::filesystem;
using CaptureFiles = SimulatorTest;

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::size_t filesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST_F(CaptureFiles, CaptureWritesEachTypeWithItsExtension) {
    ASSERT_TRUE(open("sim:13", 1));
    const fs::path base = fs::current_path() / "shot";

    ASSERT_EQ(KRVCameraCaptureFile(base.c_str(), KRVCAMERA_FILE_BMP, 1), 1);
    const auto bmp = readFile(base.string() + ".bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(le32(bmp, 18), 1024u);
    EXPECT_EQ(le32(bmp, 22), 768u);
    EXPECT_EQ(bmp.size(), 54u + 1024u * 3u * 768u);

    ASSERT_EQ(KRVCameraCaptureFile(base.c_str(), KRVCAMERA_FILE_JPEG, 1), 1);
    const auto jpg = readFile(base.string() + ".jpg");
    ASSERT_GT(jpg.size(), 1000u);
    EXPECT_EQ(jpg[0], 0xFF);
    EXPECT_EQ(jpg[1], 0xD8);
    EXPECT_EQ(jpg[jpg.size() - 2], 0xFF);
    EXPECT_EQ(jpg[jpg.size() - 1], 0xD9);

    ASSERT_EQ(KRVCameraCaptureFile(base.c_str(), KRVCAMERA_FILE_TIFF, 1), 1);
    const auto tiff = readFile(base.string() + ".tiff");
    ASSERT_GT(tiff.size(), 1024u * 768u * 3u);
    EXPECT_TRUE((tiff[0] == 'I' && tiff[1] == 'I') || (tiff[0] == 'M' && tiff[1] == 'M'));

    // The capture resolution may differ from the preview's.
    ASSERT_EQ(KRVCameraCaptureFile(base.c_str(), KRVCAMERA_FILE_RAW, 0), 1);
    EXPECT_EQ(fs::file_size(base.string() + ".raw"), 2048u * 1536u);
}

TEST_F(CaptureFiles, WideDataAppliesToTheNextRawCaptureOnly) {
    ASSERT_TRUE(open("sim:13", 1));
    const fs::path base = fs::current_path() / "wide";
    ASSERT_EQ(KRVCameraSetDataWide(1), 1);
    ASSERT_EQ(KRVCameraCaptureFile(base.c_str(), KRVCAMERA_FILE_RAW, 1), 1);
    const auto wide = readFile(base.string() + ".raw");
    ASSERT_EQ(wide.size(), 2u * 1024u * 768u);
    std::uint16_t largest = 0;
    for (std::size_t i = 0; i < wide.size(); i += 2) {
        largest = std::max<std::uint16_t>(largest, wide[i] | wide[i + 1] << 8);
    }
    EXPECT_GT(largest, 255);
    EXPECT_LE(largest, 4095);
    ASSERT_EQ(KRVCameraCaptureFile(base.c_str(), KRVCAMERA_FILE_RAW, 1), 1);
    EXPECT_EQ(fs::file_size(base.string() + ".raw"), 1024u * 768u);
}

TEST_F(CaptureFiles, BadRequestsWriteNothing) {
    const fs::path folder = fs::current_path() / "bad";
    fs::create_directory(folder);
    const std::string base = (folder / "x").string();
    // No camera open.
    EXPECT_EQ(KRVCameraCaptureFile(base.c_str(), KRVCAMERA_FILE_BMP, 0), 0);
    ASSERT_TRUE(open("sim:13", 1));
    EXPECT_EQ(KRVCameraCaptureFile(base.c_str(), 3, 0), 0);
    EXPECT_EQ(KRVCameraCaptureFile(nullptr, KRVCAMERA_FILE_BMP, 0), 0);
    EXPECT_EQ(KRVCameraCaptureFile((folder / "missing" / "x").c_str(), KRVCAMERA_FILE_BMP, 1), 0);
    EXPECT_EQ(filesIn(folder), 0u);

    std::vector<std::uint8_t> image(4 * 4 * 3, 128);
    EXPECT_EQ(KRVCameraSave(KRVCAMERA_FILE_BMP, (folder / "a.bmp").c_str(), image.data(), 0, 4), 0);
    EXPECT_EQ(KRVCameraSave(KRVCAMERA_FILE_BMP, (folder / "a.bmp").c_str(), nullptr, 4, 4), 0);
    EXPECT_EQ(KRVCameraSave(16, (folder / "a.bmp").c_str(), image.data(), 4, 4), 0);
    EXPECT_EQ(
        KRVCameraSave(KRVCAMERA_FILE_JPEG, (folder / "no" / "a.jpg").c_str(), image.data(), 4, 4),
        0);
    EXPECT_EQ(filesIn(folder), 0u);
}

TEST_F(CaptureFiles, SaveWritesTheGivenPictureWithoutACamera) {
    // 3 x 2 picture, bottom row first: bottom row blue, top row red.
    const int w = 3, h = 2;
    std::vector<std::uint8_t> image(w * h * 3, 0);
    for (int x = 0; x < w; ++x) {
        image[x * 3] = 255;            // bottom row: blue
        image[(w + x) * 3 + 2] = 255;  // top row: red
    }
    const fs::path bmpPath = fs::current_path() / "given.bmp";
    ASSERT_EQ(KRVCameraSave(KRVCAMERA_FILE_BMP, bmpPath.c_str(), image.data(), w, h), 1);
    const auto bmp = readFile(bmpPath);
    const std::size_t stride = 12;  // 9 bytes padded to 4
    ASSERT_EQ(bmp.size(), 54u + stride * h);
    EXPECT_EQ(bmp[54], 255);               // first stored row is the bottom one: blue
    EXPECT_EQ(bmp[54 + stride + 2], 255);  // then the top row: red

    for (int type : {KRVCAMERA_FILE_JPEG, KRVCAMERA_FILE_TIFF, KRVCAMERA_FILE_RAW}) {
        const fs::path path = fs::current_path() / ("given" + std::to_string(type));
        ASSERT_EQ(KRVCameraSave(static_cast<uint8_t>(type), path.c_str(), image.data(), w, h), 1);
        EXPECT_GT(fs::file_size(path), 0u);
    }
    EXPECT_EQ(fs::file_size(fs::current_path() / "given4"), static_cast<std::uintmax_t>(w * h * 3));
}

TEST_F(CaptureFiles, LargePicturesReadBackByAnotherDecoder) {
    // Rows of 3003 bytes need padding in BMP, and the picture spans several of the writers'
    // output blocks.
    const int w = 1001, h = 1200;
    std::vector<std::uint8_t> image(std::size_t(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &image[(std::size_t(y) * w + x) * 3];
            p[0] = static_cast<std::uint8_t>(x);      // blue
            p[1] = static_cast<std::uint8_t>(y);      // green
            p[2] = static_cast<std::uint8_t>(x + y);  // red
        }
    }
    // What the file must hold: red-green-blue, top row first.
    std::vector<std::uint8_t> expected(image.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* in = &image[(std::size_t(h - 1 - y) * w + x) * 3];
            std::uint8_t* out = &expected[(std::size_t(y) * w + x) * 3];
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    for (int type : {KRVCAMERA_FILE_BMP, KRVCAMERA_FILE_TIFF, KRVCAMERA_FILE_JPEG}) {
        SCOPED_TRACE(type);
        const fs::path path = fs::current_path() / ("large" + std::to_string(type) +
                                                    (type == KRVCAMERA_FILE_BMP    ? ".bmp"
                                                     : type == KRVCAMERA_FILE_TIFF ? ".tiff"
                                                                                   : ".jpg"));
        ASSERT_EQ(KRVCameraSave(static_cast<uint8_t>(type), path.c_str(), image.data(), w, h), 1);
        const auto decoded = decodedByImageMagick(path);
        ASSERT_EQ(decoded.size(), expected.size());
        if (type != KRVCAMERA_FILE_JPEG) {
            EXPECT_TRUE(decoded == expected);
            continue;
        }
        double error = 0;
        for (std::size_t i = 0; i < decoded.size(); ++i) {
            error += std::abs(int(decoded[i]) - int(expected[i]));
        }
        EXPECT_LT(error / double(decoded.size()), 3.0);  // quality 95 of smooth ramps
    }
    const auto bmp = readFile(fs::current_path() / "large2.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.size(), 54u + 3004u * h);
    EXPECT_EQ(le32(bmp, 2), bmp.size());
}

}  // namespace
}  // namespace krvcamera::test
