// Decoder paths our own encoders never produce, fed with small hand-built files.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/KxImage.h"

namespace {

KxImage DecodeOk(const std::vector<uint8_t>& bytes, uint32_t type) {
    KxImage image;
    EXPECT_TRUE(image.Decode(bytes.data(), bytes.size(), type))
        << type << ": " << image.GetLastError();
    return image;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Pixel (x, y) counted from the top row.
RGBQUAD Top(const KxImage& image, int32_t x, int32_t y) {
    return image.GetPixelColor(x, static_cast<int32_t>(image.GetHeight()) - 1 - y);
}

TEST(ForeignPnm, AsciiBitmapGreyAndColour) {
    KxImage bitmap = DecodeOk(Bytes("P1\n# a comment\n3 2\n1 0 1\n0 1 0\n"), KXIMAGE_FORMAT_PNM);
    EXPECT_EQ(bitmap.GetBpp(), 1);
    EXPECT_EQ(Top(bitmap, 0, 0).rgbRed, 0);  // 1 is black
    EXPECT_EQ(Top(bitmap, 1, 0).rgbRed, 255);
    EXPECT_EQ(Top(bitmap, 1, 1).rgbRed, 0);

    KxImage deep = DecodeOk(Bytes("P2\n2 1\n65535\n0 65535\n"), KXIMAGE_FORMAT_PNM);
    EXPECT_EQ(Top(deep, 0, 0).rgbRed, 0);
    EXPECT_EQ(Top(deep, 1, 0).rgbRed, 255);

    KxImage colour =
        DecodeOk(Bytes("P3\n2 2\n255\n255 0 0 0 255 0\n0 0 255 9 9 9\n"), KXIMAGE_FORMAT_PNM);
    EXPECT_EQ(Top(colour, 0, 0).rgbRed, 255);
    EXPECT_EQ(Top(colour, 1, 0).rgbGreen, 255);
    EXPECT_EQ(Top(colour, 0, 1).rgbBlue, 255);

    // Sixteen-bit binary samples, big-endian, scaled by maxval.
    std::vector<uint8_t> p6 = Bytes("P6\n1 1\n1023\n");
    p6.insert(p6.end(), {0x03, 0xFF, 0x00, 0x00, 0x01, 0xFF});
    KxImage wide = DecodeOk(p6, KXIMAGE_FORMAT_PNM);
    EXPECT_EQ(Top(wide, 0, 0).rgbRed, 255);
    EXPECT_EQ(Top(wide, 0, 0).rgbGreen, 0);
    EXPECT_EQ(Top(wide, 0, 0).rgbBlue, 127);

    KxImage refused;
    const std::vector<uint8_t> shortFile = Bytes("P5\n4 4\n255\nab");
    EXPECT_FALSE(refused.Decode(shortFile.data(), shortFile.size(), KXIMAGE_FORMAT_PNM));
}

TEST(ForeignPgx, SignedTwelveBitLittleEndian) {
    std::vector<uint8_t> pgx = Bytes("PG LM -12 2 1\n");
    pgx.insert(pgx.end(), {0x00, 0x08, 0xFF, 0x07});  // -2048 and 2047
    KxImage image = DecodeOk(pgx, KXIMAGE_FORMAT_PGX);
    EXPECT_TRUE(image.IsGrayScale());
    EXPECT_EQ(Top(image, 0, 0).rgbRed, 0);
    EXPECT_EQ(Top(image, 1, 0).rgbRed, 255);
}

TEST(ForeignTga, RunLengthTopDown) {
    std::vector<uint8_t> tga = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2, 0, 24, 0x20};
    tga.insert(tga.end(), {0x83, 1, 2, 3});  // top row: four times blue 1, green 2, red 3
    tga.insert(tga.end(), {0x03, 10, 0, 0, 20, 0, 0, 30, 0, 0, 40, 0, 0});
    KxImage image = DecodeOk(tga, KXIMAGE_FORMAT_TGA);
    EXPECT_EQ(Top(image, 3, 0).rgbRed, 3);
    EXPECT_EQ(Top(image, 3, 0).rgbBlue, 1);
    EXPECT_EQ(Top(image, 2, 1).rgbBlue, 30);

    std::vector<uint8_t> truncated(tga.begin(), tga.end() - 4);
    KxImage refused;
    EXPECT_FALSE(refused.Decode(truncated.data(), truncated.size(), KXIMAGE_FORMAT_TGA));
    EXPECT_STREQ(refused.GetLastError(), "Not a TGA");
}

std::vector<uint8_t> SunHeader(uint32_t w, uint32_t h, uint32_t depth, uint32_t type,
                               uint32_t mapType, uint32_t mapLength) {
    std::vector<uint8_t> out;
    for (uint32_t v : {0x59A66A95u, w, h, depth, 0u, type, mapType, mapLength})
        for (int i = 3; i >= 0; --i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return out;
}

TEST(ForeignSunRaster, RunLengthMappedAndRgbOrder) {
    std::vector<uint8_t> ras = SunHeader(6, 1, 8, 2, 1, 6);
    ras.insert(ras.end(), {0, 255, 0, 0, 0, 0});  // map: red levels 0,255; green; blue
    ras.insert(ras.end(), {0x80, 0x03, 0x01, 0x80, 0x00, 0x00});  // 4 x index 1, literal 0x80, 0
    KxImage mapped = DecodeOk(ras, KXIMAGE_FORMAT_RAS);
    EXPECT_EQ(mapped.GetPixelIndex(3, 0), 1);
    EXPECT_EQ(mapped.GetPixelIndex(4, 0), 0x80);
    EXPECT_EQ(mapped.GetPixelIndex(5, 0), 0);
    EXPECT_EQ(mapped.GetPixelColor(0, 0).rgbRed, 255);

    std::vector<uint8_t> rgb = SunHeader(1, 1, 24, 3, 0, 0);
    rgb.insert(rgb.end(), {10, 20, 30, 0});
    KxImage ordered = DecodeOk(rgb, KXIMAGE_FORMAT_RAS);
    EXPECT_EQ(ordered.GetPixelColor(0, 0).rgbRed, 10);
    EXPECT_EQ(ordered.GetPixelColor(0, 0).rgbBlue, 30);
}

TEST(ForeignBmp, Os2CoreHeader) {
    std::vector<uint8_t> bmp = {'B', 'M', 30, 0, 0, 0, 0, 0, 0, 0,  26, 0, 0, 0, 12,
                                0,   0,   0,  1, 0, 1, 0, 1, 0, 24, 0,  7, 8, 9, 0};
    KxImage image = DecodeOk(bmp, KXIMAGE_FORMAT_BMP);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 9);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbBlue, 7);
}

TEST(ForeignPcx, FourBitPixelsInOnePlane) {
    std::vector<uint8_t> pcx(128, 0);
    pcx[0] = 0x0A;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx[3] = 4;             // bits per pixel
    pcx[8] = 1;             // xmax: two pixels wide
    pcx[16 + 3] = 200;      // palette entry 1: red 200
    pcx[16 + 6 + 2] = 100;  // palette entry 2: blue 100
    pcx[65] = 1;            // planes
    pcx[66] = 2;            // bytes per line
    pcx.insert(pcx.end(), {0x12, 0x00});
    KxImage image = DecodeOk(pcx, KXIMAGE_FORMAT_PCX);
    EXPECT_EQ(image.GetBpp(), 4);
    EXPECT_EQ(image.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 2);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 200);
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbBlue, 100);
}

// Packs LZW codes of the given widths, least significant bit first.
std::vector<uint8_t> PackCodes(const std::vector<std::pair<int, int>>& codes) {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int count = 0;
    for (auto [code, width] : codes) {
        bits |= static_cast<uint32_t>(code) << count;
        count += width;
        while (count >= 8) {
            out.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0)
        out.push_back(static_cast<uint8_t>(bits));
    return out;
}

TEST(ForeignGif, InterlacedRowsComeBackInPlace) {
    // 1 x 4, four colours, interlaced: stored rows 0, 2, 1, 3.
    std::vector<uint8_t> gif = {'G', 'I',  'F', '8', '7', 'a', 1, 0, 4,   0, 0x81, 0,
                                0,   0,    0,   0,   80,  0,   0, 0, 160, 0, 0,    0,
                                240, 0x2C, 0,   0,   0,   0,   1, 0, 4,   0, 0x40, 2};
    // Clear, the indices 0 1 2 3 as stored, end; the decoder widens after the third.
    const std::vector<uint8_t> data = PackCodes({{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}});
    gif.push_back(static_cast<uint8_t>(data.size()));
    gif.insert(gif.end(), data.begin(), data.end());
    gif.insert(gif.end(), {0, 0x3B});
    KxImage image = DecodeOk(gif, KXIMAGE_FORMAT_GIF);
    ASSERT_EQ(image.GetHeight(), 4u);
    EXPECT_EQ(Top(image, 0, 0).rgbRed, 0);      // stored first
    EXPECT_EQ(Top(image, 0, 2).rgbRed, 80);     // stored second
    EXPECT_EQ(Top(image, 0, 1).rgbGreen, 160);  // stored third
    EXPECT_EQ(Top(image, 0, 3).rgbBlue, 240);
}

TEST(ForeignIco, SecondEntryAndMaskFromTransparentIndex) {
    KxImage first(8, 8, 24);
    KxImage second(4, 4, 4);
    second.SetPaletteColor(1, 0, 255, 0);
    second.Clear(1);
    second.SetPixelIndex(0, 0, 0);
    second.SetTransIndex(0);
    std::vector<uint8_t> a, b;
    ASSERT_TRUE(first.Encode(a, KXIMAGE_FORMAT_ICO));
    ASSERT_TRUE(second.Encode(b, KXIMAGE_FORMAT_ICO));
    // Join the two single-entry files into one directory of two.
    std::vector<uint8_t> ico = {0, 0, 1, 0, 2, 0};
    const uint32_t blobA = static_cast<uint32_t>(a.size() - 22);
    std::vector<uint8_t> entryA(a.begin() + 6, a.begin() + 22),
        entryB(b.begin() + 6, b.begin() + 22);
    const uint32_t offsetA = 6 + 32, offsetB = offsetA + blobA;
    std::memcpy(entryA.data() + 12, &offsetA, 4);
    std::memcpy(entryB.data() + 12, &offsetB, 4);
    ico.insert(ico.end(), entryA.begin(), entryA.end());
    ico.insert(ico.end(), entryB.begin(), entryB.end());
    ico.insert(ico.end(), a.begin() + 22, a.end());
    ico.insert(ico.end(), b.begin() + 22, b.end());

    KxImage image;
    image.SetFrame(1);
    ASSERT_TRUE(image.Decode(ico.data(), ico.size(), KXIMAGE_FORMAT_ICO)) << image.GetLastError();
    EXPECT_EQ(image.GetNumFrames(), 2);
    EXPECT_EQ(image.GetWidth(), 4u);
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(0, 0), 0);
    EXPECT_EQ(image.AlphaGet(1, 0), 255);
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbGreen, 255);
}

TEST(ForeignJpeg, ScaledDecodeAndGreyFromFourBits) {
    KxImage grey(40, 24, 4);
    for (uint8_t i = 0; i < 16; ++i)
        grey.SetPaletteColor(i, i * 17, i * 17, i * 17);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 40; ++x)
            grey.SetPixelIndex(x, y, static_cast<uint8_t>(x / 3));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(grey.Encode(bytes, KXIMAGE_FORMAT_JPG)) << grey.GetLastError();
    KxImage full = DecodeOk(bytes, KXIMAGE_FORMAT_JPG);
    EXPECT_EQ(full.GetBpp(), 8);
    EXPECT_NEAR(full.GetPixelColor(20, 5).rgbRed, 6 * 17, 6);
    KxImage half;
    half.SetJpegScale(2);
    ASSERT_TRUE(half.Decode(bytes.data(), bytes.size(), KXIMAGE_FORMAT_JPG));
    EXPECT_EQ(half.GetWidth(), 20u);
    EXPECT_EQ(half.GetHeight(), 12u);
}

TEST(ForeignTiff, PlanarSixteenBitGoesThroughTheGenericReader) {
    const char* path = "planar.tif";
    TIFF* tif = TIFFOpen(path, "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 3);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 2);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2);
    for (uint16_t plane = 0; plane < 3; ++plane) {
        uint16_t samples[6];
        for (int i = 0; i < 6; ++i)
            samples[i] = static_cast<uint16_t>(plane == 0 ? 0xFFFF : (plane == 1 ? i * 0x1000 : 0));
        TIFFWriteEncodedStrip(tif, plane, samples, sizeof(samples));
    }
    TIFFClose(tif);
    KxImage image;
    ASSERT_TRUE(image.Load(path, KXIMAGE_FORMAT_TIF)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(Top(image, 0, 0).rgbRed, 255);
    EXPECT_EQ(Top(image, 2, 1).rgbGreen, 0x50);
    EXPECT_EQ(Top(image, 1, 1).rgbBlue, 0);
}

}  // namespace
