#include <gtest/gtest.h>

#include <QImage>

#include <array>
#include <cstring>
#include <vector>

#include "image/KxImage.h"
#include "image/qt/KxMetafileRenderer.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

using WmfRecord = std::pair<uint16_t, std::vector<uint16_t>>;

// A placeable metafile, 100 x 50 units at 96 per inch, with the given records (function and
// 16-bit parameters) and the closing record.
std::vector<uint8_t> PlaceableWmf(const std::vector<WmfRecord>& records) {
    std::vector<uint8_t> out;
    Put32(out, 0x9AC6CDD7);
    Put16(out, 0);
    for (uint32_t v : {0u, 0u, 100u, 50u})
        Put16(out, v);
    Put16(out, 96);
    Put32(out, 0);
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2)
        checksum ^= static_cast<uint16_t>(out[i] | (out[i + 1] << 8));
    Put16(out, checksum);
    Put16(out, 1);
    Put16(out, 9);
    Put16(out, 0x300);
    Put32(out, 0);  // size in words, unused here
    Put16(out, 2);  // objects
    Put32(out, 8);
    Put16(out, 0);
    for (const auto& [function, params] : records) {
        Put32(out, 3 + static_cast<uint32_t>(params.size()));
        Put16(out, function);
        for (uint16_t p : params)
            Put16(out, p);
    }
    Put32(out, 3);
    Put16(out, 0);
    return out;
}

// A red rectangle drawn with no pen from (10,10) to (60,40).
std::vector<uint8_t> RedRectangleWmf() {
    return PlaceableWmf({
        {0x02FC, {0, 0x00FF, 0x0000, 0}},  // solid red brush (COLORREF 0x000000FF)
        {0x012D, {0}},
        {0x02FA, {5, 0, 0, 0, 0}},  // null pen
        {0x012D, {1}},
        {0x041B, {40, 60, 10, 10}},  // bottom, right, top, left
    });
}

using EmfRecord = std::pair<uint32_t, std::vector<uint32_t>>;

// An enhanced metafile with bounds (0,0)-(99,49), the given records and the closing one.
std::vector<uint8_t> Emf(const std::vector<EmfRecord>& records) {
    std::vector<uint8_t> out;
    Put32(out, 1);
    Put32(out, 88);
    for (uint32_t v : {0u, 0u, 99u, 49u})  // bounds
        Put32(out, v);
    for (uint32_t v : {0u, 0u, 2645u, 1322u})  // frame, 0.01 mm
        Put32(out, v);
    Put32(out, 0x464D4520);
    Put32(out, 0x10000);
    Put32(out, 0);  // bytes
    Put32(out, static_cast<uint32_t>(records.size()) + 2);
    Put16(out, 4);  // handles
    Put16(out, 0);
    for (int i = 0; i < 3; ++i)
        Put32(out, 0);
    for (uint32_t v : {1024u, 768u, 320u, 240u})
        Put32(out, v);
    out.resize(88, 0);
    auto record = [&](uint32_t type, const std::vector<uint32_t>& params) {
        Put32(out, type);
        Put32(out, 8 + 4 * static_cast<uint32_t>(params.size()));
        for (uint32_t p : params)
            Put32(out, p);
    };
    for (const auto& [type, params] : records)
        record(type, params);
    record(14, {0, 0, 20});
    return out;
}

std::vector<uint8_t> BlueRectangleEmf() {
    return Emf({
        {39, {1, 0, 0x00FF0000, 0}},  // brush 1: solid blue
        {37, {1}},
        {37, {0x80000008}},  // stock null pen
        {43, {10, 10, 60, 40}},
    });
}

// A bottom-up 2 x 2 bitmap: red and green on top, blue and white below.
std::vector<uint8_t> FourColourDib(int32_t width = 2, int32_t height = 2) {
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, 24);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    for (uint8_t b : {0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00})  // blue, white
        out.push_back(b);
    for (uint8_t b : {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00})  // red, green
        out.push_back(b);
    return out;
}

template <class Word>
std::vector<Word> Words(const std::vector<uint8_t>& bytes) {
    std::vector<Word> words((bytes.size() + sizeof(Word) - 1) / sizeof(Word), 0);
    std::memcpy(words.data(), bytes.data(), bytes.size());
    return words;
}

// The colour at (x, y) counted from the top, as red-green-blue.
std::array<int, 3> ColourAt(const KxImage& image, int32_t x, int32_t y) {
    const RGBQUAD c = image.GetPixelColor(x, int32_t(image.GetHeight()) - 1 - y);
    return {c.rgbRed, c.rgbGreen, c.rgbBlue};
}

TEST(KxImageQt, QImageRoundTripKeepsColoursAndAlpha) {
    QImage source(7, 5, QImage::Format_ARGB32);
    source.fill(qRgba(10, 20, 30, 255));
    source.setPixel(2, 1, qRgba(200, 100, 50, 60));
    KxImage image;
    ASSERT_TRUE(image.CreateFromHBITMAP(source));
    EXPECT_EQ(image.GetBpp(), 24);
    ASSERT_TRUE(image.AlphaIsValid());
    const RGBQUAD c = image.GetPixelColor(2, 5 - 1 - 1);
    EXPECT_EQ(c.rgbRed, 200);
    EXPECT_EQ(c.rgbReserved, 60);
    const QImage back = image.MakeBitmap();
    EXPECT_EQ(back.size(), source.size());
    EXPECT_EQ(back.pixel(2, 1), source.pixel(2, 1));
    EXPECT_EQ(back.pixel(0, 0), source.pixel(0, 0));
}

TEST(KxImageQt, IndexedQImageBecomesAPalettedPicture) {
    QImage source(4, 2, QImage::Format_Indexed8);
    source.setColorCount(3);
    source.setColor(0, qRgb(0, 0, 0));
    source.setColor(1, qRgb(255, 0, 0));
    source.setColor(2, qRgb(0, 0, 255));
    source.fill(1);
    source.setPixel(3, 0, 2);
    KxImage image;
    ASSERT_TRUE(image.CreateFromHBITMAP(source));
    EXPECT_EQ(image.GetBpp(), 4);
    EXPECT_EQ(image.GetPixelIndex(3, 1), 2);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 255);
    EXPECT_FALSE(image.CreateFromHBITMAP(QImage()));
    EXPECT_TRUE(KxImage().MakeBitmap().isNull());
}

TEST(KxImageQt, PlaceableWmfIsRendered) {
    KxMetafileRenderer::Install();
    const std::vector<uint8_t> wmf = RedRectangleWmf();
    KxImage image;
    ASSERT_TRUE(image.Decode(wmf.data(), wmf.size(), KXIMAGE_FORMAT_WMF)) << image.GetLastError();
    EXPECT_EQ(image.GetType(), KXIMAGE_FORMAT_WMF);
    EXPECT_EQ(image.GetWidth(), 100u);
    EXPECT_EQ(image.GetHeight(), 50u);
    EXPECT_EQ(image.GetBpp(), 24);
    // Rows count from the bottom: y = 25 from the top is row 24.
    const RGBQUAD inside = image.GetPixelColor(30, 24);
    EXPECT_EQ(inside.rgbRed, 255);
    EXPECT_EQ(inside.rgbGreen, 0);
    const RGBQUAD outside = image.GetPixelColor(90, 45);
    EXPECT_EQ(outside.rgbGreen, 255);

    KxImage detected;
    ASSERT_TRUE(detected.Decode(wmf.data(), wmf.size(), KXIMAGE_FORMAT_UNKNOWN));
    EXPECT_EQ(detected.GetType(), KXIMAGE_FORMAT_WMF);
}

TEST(KxImageQt, EmfIsRendered) {
    KxMetafileRenderer::Install();
    const std::vector<uint8_t> emf = BlueRectangleEmf();
    KxImage image;
    ASSERT_TRUE(image.Decode(emf.data(), emf.size(), KXIMAGE_FORMAT_WMF)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 100u);
    EXPECT_EQ(image.GetHeight(), 50u);
    EXPECT_EQ(image.GetPixelColor(30, 24).rgbBlue, 255);
    EXPECT_EQ(image.GetPixelColor(30, 24).rgbRed, 0);
    EXPECT_EQ(image.GetPixelColor(80, 45).rgbRed, 255);
}

TEST(KxImageQt, MetafileBitmapsAreDrawnIntoTheirRectangles) {
    KxMetafileRenderer::Install();
    using Colour = std::array<int, 3>;
    const Colour red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255},
        black{0, 0, 0};
    auto expectQuadrants = [&](const KxImage& image) {
        EXPECT_EQ(ColourAt(image, 20, 15), red);
        EXPECT_EQ(ColourAt(image, 40, 15), green);
        EXPECT_EQ(ColourAt(image, 20, 25), blue);
        EXPECT_EQ(ColourAt(image, 40, 25), white);
    };
    // Stretched from 2 x 2 to the 40 x 20 rectangle at (10, 10), then a black bar blitted
    // without a bitmap.
    std::vector<uint16_t> stretch = {0x0020, 0x00CC, 0, 2, 2, 0, 0, 20, 40, 10, 10};
    for (uint16_t w : Words<uint16_t>(FourColourDib()))
        stretch.push_back(w);
    const std::vector<uint8_t> wmf = PlaceableWmf({
        {0x0F43, stretch},
        {0x0940, {0x0042, 0x0000, 0, 0, 0, 5, 10, 40, 70}},  // BLACKNESS at (70,40) 10 x 5
    });
    KxImage image;
    ASSERT_TRUE(image.Decode(wmf.data(), wmf.size(), KXIMAGE_FORMAT_WMF)) << image.GetLastError();
    expectQuadrants(image);
    EXPECT_EQ(ColourAt(image, 75, 42), black);
    EXPECT_EQ(ColourAt(image, 5, 5), white);

    // The same through the enhanced metafile's stretch record, header and bits apart.
    const std::vector<uint8_t> dib = FourColourDib();
    std::vector<uint32_t> params = {0, 0,  99, 49,  10, 10, 0,          0,  2,
                                    2, 80, 40, 120, 16, 0,  0x00CC0020, 40, 20};
    for (uint32_t w : Words<uint32_t>(dib))
        params.push_back(w);
    const std::vector<uint8_t> emf = Emf({{81, params}});
    KxImage enhanced;
    ASSERT_TRUE(enhanced.Decode(emf.data(), emf.size(), KXIMAGE_FORMAT_WMF));
    expectQuadrants(enhanced);

    // Bitmaps whose headers claim more than their bytes hold are left out, the rest drawn.
    for (auto [w, h] : {std::pair{100000, 100000}, {3000, 3000}, {0, 2}}) {
        std::vector<uint16_t> bad = {0x0020, 0x00CC, 0, 2, 2, 0, 0, 20, 40, 10, 10};
        for (uint16_t word : Words<uint16_t>(FourColourDib(w, h)))
            bad.push_back(word);
        const std::vector<uint8_t> hostile =
            PlaceableWmf({{0x0F43, bad}, {0x0940, {0x0042, 0x0000, 0, 0, 0, 5, 10, 40, 70}}});
        KxImage rendered;
        ASSERT_TRUE(rendered.Decode(hostile.data(), hostile.size(), KXIMAGE_FORMAT_WMF));
        EXPECT_EQ(ColourAt(rendered, 20, 15), white) << w;
        EXPECT_EQ(ColourAt(rendered, 75, 42), black) << w;
    }
}

uint32_t FloatBits(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

TEST(KxImageQt, EnhancedPathsClippingCurvesAndTransforms) {
    KxMetafileRenderer::Install();
    using Colour = std::array<int, 3>;
    const Colour red{255, 0, 0}, blue{0, 0, 255}, green{0, 255, 0}, white{255, 255, 255},
        black{0, 0, 0};
    auto render = [](const std::vector<EmfRecord>& records) {
        const std::vector<uint8_t> emf = Emf(records);
        KxImage image;
        EXPECT_TRUE(image.Decode(emf.data(), emf.size(), KXIMAGE_FORMAT_WMF));
        return image;
    };
    const EmfRecord redBrush{39, {1, 0, 0x000000FF, 0}}, selectBrush{37, {1}},
        nullPen{37, {0x80000008}};

    // A triangle built in a path bracket and filled; nothing is drawn inside the bracket.
    const KxImage triangle = render({redBrush,
                                     selectBrush,
                                     nullPen,
                                     {59, {}},
                                     {27, {10, 10}},
                                     {54, {60, 10}},
                                     {54, {10, 40}},
                                     {61, {}},
                                     {60, {}},
                                     {62, {0, 0, 99, 49}}});
    EXPECT_EQ(ColourAt(triangle, 15, 15), red);
    EXPECT_EQ(ColourAt(triangle, 55, 35), white);

    // A clipping rectangle cuts a shape until the saved state comes back.
    const KxImage clipped = render({{39, {1, 0, 0x00FF0000, 0}},
                                    selectBrush,
                                    nullPen,
                                    {33, {}},
                                    {30, {0, 0, 30, 50}},
                                    {43, {10, 10, 60, 40}},
                                    {34, {0xFFFFFFFF}},
                                    {39, {2, 0, 0x0000FF00, 0}},
                                    {37, {2}},
                                    {43, {70, 10, 90, 40}}});
    EXPECT_EQ(ColourAt(clipped, 20, 20), blue);
    EXPECT_EQ(ColourAt(clipped, 50, 20), white);
    EXPECT_EQ(ColourAt(clipped, 80, 20), green);

    // The world transform doubles a small rectangle; excluded parts stay blank.
    const KxImage scaled = render(
        {redBrush,
         selectBrush,
         nullPen,
         {35, {FloatBits(2), FloatBits(0), FloatBits(0), FloatBits(2), FloatBits(0), FloatBits(0)}},
         {29, {10, 10, 15, 15}},
         {43, {5, 5, 20, 15}}});
    EXPECT_EQ(ColourAt(scaled, 35, 25), red);
    EXPECT_EQ(ColourAt(scaled, 25, 25), white);  // (12.5, 12.5) lies in the excluded part
    EXPECT_EQ(ColourAt(scaled, 45, 25), white);

    // A curve with its control points on a line is drawn with the wide pen, not filled.
    const KxImage curve = render({{38, {3, 0, 5, 5, 0}},
                                  {37, {3}},
                                  redBrush,
                                  selectBrush,
                                  {85,
                                   {0, 0, 99, 49, 4, 10 | (45u << 16), 30 | (45u << 16),
                                    60 | (45u << 16), 90 | (45u << 16)}}});
    EXPECT_EQ(ColourAt(curve, 50, 45), black);
    EXPECT_EQ(ColourAt(curve, 50, 30), white);
}

TEST(KxImageQt, EmptyAndBrokenMetafiles) {
    KxMetafileRenderer::Install();
    std::vector<uint8_t> wmf = RedRectangleWmf();
    wmf.resize(22 + 18);  // header only
    KxImage image;
    EXPECT_FALSE(image.Decode(wmf.data(), wmf.size(), KXIMAGE_FORMAT_WMF));
    EXPECT_STREQ(image.GetLastError(), "empty WMF");
    // Every truncation and every flipped byte is handled without a crash.
    const std::vector<uint8_t> full = RedRectangleWmf();
    for (size_t n = 0; n < full.size(); ++n)
        image.Decode(full.data(), n, KXIMAGE_FORMAT_WMF);
    const std::vector<uint8_t> emf = BlueRectangleEmf();
    for (size_t i = 0; i < emf.size(); ++i) {
        std::vector<uint8_t> broken = emf;
        broken[i] ^= 0xA5;
        image.Decode(broken.data(), broken.size(), KXIMAGE_FORMAT_WMF);
    }
    // A flood of saved states is bounded; the picture is still drawn.
    std::vector<WmfRecord> saves(200000, WmfRecord{0x001E, {}});
    saves.push_back({0x02FC, {0, 0x00FF, 0x0000, 0}});
    saves.push_back({0x012D, {0}});
    saves.push_back({0x041B, {40, 60, 10, 10}});
    const std::vector<uint8_t> deep = PlaceableWmf(saves);
    KxImage drawn;
    ASSERT_TRUE(drawn.Decode(deep.data(), deep.size(), KXIMAGE_FORMAT_WMF));
    EXPECT_EQ(drawn.GetPixelColor(30, 24).rgbRed, 255);
    EXPECT_EQ(drawn.GetPixelColor(30, 24).rgbGreen, 0);
    KxImage picture(4, 4, 24);
    std::vector<uint8_t> out;
    EXPECT_FALSE(picture.Encode(out, KXIMAGE_FORMAT_WMF));
    EXPECT_STREQ(picture.GetLastError(), "Save WMF not supported");
}

}  // namespace
