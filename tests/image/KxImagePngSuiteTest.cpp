#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/TestEnvironment.h"
#include "image/KxImage.h"

namespace fs = std::filesystem;

namespace {

fs::path SuiteDir() {
    return fs::path(korvel::test::testDataDir()) / "pngsuite";
}

// The reference files hold one flat array of RGBA bytes, top row first.
std::vector<int> ReadJsonArray(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<int> values;
    const std::string s = text.str();
    int current = -1;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            current = (current < 0 ? 0 : current * 10) + (c - '0');
        } else if (current >= 0) {
            values.push_back(current);
            current = -1;
        }
    }
    if (current >= 0)
        values.push_back(current);
    return values;
}

// RGBA of a decoded pixel, counting from the top row; a transparent palette index has
// alpha 0.
RGBQUAD PixelRgba(const KxImage& image, uint32_t x, uint32_t yFromTop) {
    const int32_t y = static_cast<int32_t>(image.GetHeight() - 1 - yFromTop);
    RGBQUAD c = image.GetPixelColor(static_cast<int32_t>(x), y, true);
    if (!image.AlphaIsValid()) {
        const bool transparent =
            image.GetNumColors() != 0 && image.GetTransIndex() >= 0 &&
            image.GetPixelIndex(static_cast<int32_t>(x), y) == image.GetTransIndex();
        c.rgbReserved = transparent ? 0 : 255;
    }
    return c;
}

// The reduced references of 16-bit files were made by a converter whose rounding varies
// from sample to sample; we round exactly, so allow one level there.
int ToleranceFor(const std::string& name) {
    return name.size() >= 8 && name.compare(6, 2, "16") == 0 ? 1 : 0;
}

bool Near(int a, int b, int tolerance) {
    return a - b <= tolerance && b - a <= tolerance;
}

std::vector<std::string> SuiteNames(bool corrupt) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(SuiteDir() / "png")) {
        const std::string name = entry.path().stem().string();
        if (entry.path().extension() == ".png" && (name[0] == 'x') == corrupt)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PngSuite, EveryValidFileDecodesToItsReferencePixels) {
    const std::vector<std::string> names = SuiteNames(false);
    ASSERT_GT(names.size(), 100u);
    for (const std::string& name : names) {
        KxImage image;
        const fs::path png = SuiteDir() / "png" / (name + ".png");
        ASSERT_TRUE(image.Load(png.c_str(), KXIMAGE_FORMAT_PNG))
            << name << ": " << image.GetLastError();
        EXPECT_EQ(image.GetType(), KXIMAGE_FORMAT_PNG) << name;
        fs::path reference = SuiteDir() / "json" / (name + "_to8.json");
        if (!fs::exists(reference))
            reference = SuiteDir() / "json" / (name + ".json");
        std::vector<int> rgba = ReadJsonArray(reference);
        // A few 16-bit references have no reduced twin: reduce them the same way.
        if (std::any_of(rgba.begin(), rgba.end(), [](int v) { return v > 255; }))
            for (int& v : rgba)
                v = (v * 255 + 32767) / 65535;
        ASSERT_EQ(rgba.size(), 4ull * image.GetWidth() * image.GetHeight()) << name;
        const int tolerance = ToleranceFor(name);
        int mismatches = 0;
        for (uint32_t y = 0; y < image.GetHeight() && mismatches < 3; ++y)
            for (uint32_t x = 0; x < image.GetWidth() && mismatches < 3; ++x) {
                const RGBQUAD c = PixelRgba(image, x, y);
                const int* e = &rgba[4 * (static_cast<size_t>(y) * image.GetWidth() + x)];
                if (!Near(c.rgbRed, e[0], tolerance) || !Near(c.rgbGreen, e[1], tolerance) ||
                    !Near(c.rgbBlue, e[2], tolerance) || !Near(c.rgbReserved, e[3], tolerance)) {
                    ++mismatches;
                    ADD_FAILURE() << name << " at " << x << "," << y << ": got " << int(c.rgbRed)
                                  << "," << int(c.rgbGreen) << "," << int(c.rgbBlue) << ","
                                  << int(c.rgbReserved) << " want " << e[0] << "," << e[1] << ","
                                  << e[2] << "," << e[3];
                }
            }
    }
}

TEST(PngSuite, EveryCorruptFileIsRefusedWithAnError) {
    const std::vector<std::string> names = SuiteNames(true);
    ASSERT_GT(names.size(), 10u);
    for (const std::string& name : names) {
        KxImage image;
        const fs::path png = SuiteDir() / "png" / (name + ".png");
        KxIOFile file;
        ASSERT_TRUE(file.Open(png.c_str(), "rb"));
        EXPECT_FALSE(image.Decode(&file, KXIMAGE_FORMAT_PNG)) << name;
        EXPECT_STRNE(image.GetLastError(), "") << name;
        EXPECT_FALSE(image.IsValid()) << name;
    }
}

TEST(PngSuite, EveryBmpConversionMatchesItsPng) {
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(SuiteDir() / "bmp")) {
        const std::string name = entry.path().stem().string();
        KxImage bmp, png;
        ASSERT_TRUE(bmp.Load(entry.path().c_str(), KXIMAGE_FORMAT_BMP))
            << name << ": " << bmp.GetLastError();
        EXPECT_EQ(bmp.GetType(), KXIMAGE_FORMAT_BMP);
        const fs::path pngPath = SuiteDir() / "png" / (name + ".png");
        ASSERT_TRUE(png.Load(pngPath.c_str(), KXIMAGE_FORMAT_PNG)) << name;
        ASSERT_EQ(bmp.GetWidth(), png.GetWidth()) << name;
        ASSERT_EQ(bmp.GetHeight(), png.GetHeight()) << name;
        const int tolerance = ToleranceFor(name);
        int mismatches = 0;
        for (uint32_t y = 0; y < png.GetHeight() && mismatches < 3; ++y)
            for (uint32_t x = 0; x < png.GetWidth() && mismatches < 3; ++x) {
                const RGBQUAD a = PixelRgba(png, x, y), b = PixelRgba(bmp, x, y);
                // The colour under a fully transparent pixel carries no meaning.
                if (a.rgbReserved == 0 && b.rgbReserved == 0)
                    continue;
                if (!Near(a.rgbRed, b.rgbRed, tolerance) ||
                    !Near(a.rgbGreen, b.rgbGreen, tolerance) ||
                    !Near(a.rgbBlue, b.rgbBlue, tolerance) ||
                    !Near(a.rgbReserved, b.rgbReserved, tolerance)) {
                    ++mismatches;
                    ADD_FAILURE() << name << " at " << x << "," << y << ": png " << int(a.rgbRed)
                                  << "," << int(a.rgbGreen) << "," << int(a.rgbBlue) << ","
                                  << int(a.rgbReserved) << " bmp " << int(b.rgbRed) << ","
                                  << int(b.rgbGreen) << "," << int(b.rgbBlue) << ","
                                  << int(b.rgbReserved);
                }
            }
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

}  // namespace
