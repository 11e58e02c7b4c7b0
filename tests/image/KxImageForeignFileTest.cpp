// Files written by other programs: small hand-built ones for paths no tool writes, and
// files made in the test by ImageMagick, netpbm, the libtiff and OpenJPEG tools and Pillow,
// decoded by us and compared pixel by pixel with those programs' own decoders. Our
// encoders' files go the other way, read back by the other programs.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "KxForeignTools.h"
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

using kxtest::DecodeWithConvert;
using kxtest::DecodeWithPillow;
using kxtest::kConvert;
using kxtest::kOpjCompress;
using kxtest::kOpjDecompress;
using kxtest::kTiffcp;
using kxtest::Netpbm;
using kxtest::ReadNetpbm;
using kxtest::Reference;
using kxtest::RunPillow;
using kxtest::RunTool;
using kxtest::SamePixels;

constexpr uint32_t kW = 37, kH = 23;  // odd sizes: row padding and flips both show

// Twelve colours, pure red among them for the transparent tests.
constexpr uint8_t kPalette[12][3] = {{255, 0, 0},   {0, 128, 0},   {0, 0, 255},   {255, 255, 0},
                                     {0, 255, 255}, {255, 0, 255}, {20, 20, 20},  {240, 240, 240},
                                     {128, 64, 0},  {64, 0, 128},  {90, 160, 30}, {200, 100, 150}};

// Source pictures every foreign encoder starts from; none is symmetric.
class ForeignFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> rgb, rgba, grey, greyAlpha, palette;
        std::string bits;
        for (uint32_t y = 0; y < kH; ++y)
            for (uint32_t x = 0; x < kW; ++x) {
                const uint8_t r = static_cast<uint8_t>(x * 7), g = static_cast<uint8_t>(y * 11),
                              b = static_cast<uint8_t>((x * y * 3) & 255);
                const uint8_t a =
                    x == 0 ? 0 : (x == 1 ? 255 : static_cast<uint8_t>(40 + (x * 5 + y * 3) % 216));
                rgb.insert(rgb.end(), {r, g, b});
                rgba.insert(rgba.end(), {r, g, b, a});
                grey.push_back(static_cast<uint8_t>((x * 6 + y * 4) & 255));
                greyAlpha.insert(greyAlpha.end(), {static_cast<uint8_t>((x * 6 + y * 4) & 255), a});
                const auto& c = kPalette[(x / 4 + y / 3) % 12];
                palette.insert(palette.end(), {c[0], c[1], c[2]});
                bits.push_back((x + 2 * y) % 5 < 2 ? '1' : '0');
            }
        kxtest::WritePpm("rgb.ppm", kW, kH, rgb);
        kxtest::WritePam("rgba.pam", kW, kH, 4, rgba);
        kxtest::WritePam("grey.pam", kW, kH, 1, grey);
        kxtest::WritePam("greya.pam", kW, kH, 2, greyAlpha);
        kxtest::WritePpm("pal.ppm", kW, kH, palette);
        std::FILE* pbm = std::fopen("bw.pbm", "w");
        ASSERT_NE(pbm, nullptr);
        std::fprintf(pbm, "P1\n%u %u\n%s\n", kW, kH, bits.c_str());
        std::fclose(pbm);
    }

    // Decodes `file` with us (type `type`, page `page`) and compares with `theirs`.
    static ::testing::AssertionResult Matches(const std::string& file, uint32_t type,
                                              const Reference& theirs, int tolerance = 0,
                                              int32_t page = 0) {
        KxImage ours;
        ours.SetFrame(page);
        if (!ours.Load(file.c_str(), type))
            return ::testing::AssertionFailure() << file << ": " << ours.GetLastError();
        if (ours.GetType() != type)
            return ::testing::AssertionFailure() << file << " decoded as type " << ours.GetType();
        auto same = SamePixels(ours, theirs, tolerance);
        if (!same)
            return same << " (" << file << ")";
        // Without a type the file is recognised by its content. The JPEG 2000 reader takes
        // code streams too, and comes first.
        KxImage detected;
        detected.SetFrame(page);
        const uint32_t detectedAs = type == KXIMAGE_FORMAT_JPC ? KXIMAGE_FORMAT_JP2 : type;
        if (!detected.Load(file.c_str(), KXIMAGE_FORMAT_UNKNOWN) ||
            detected.GetType() != detectedAs)
            return ::testing::AssertionFailure()
                   << file << " auto-detected as type " << detected.GetType() << ": "
                   << detected.GetLastError();
        return same;
    }

    // As Matches, with ImageMagick's decoding as the reference.
    static void ExpectLikeConvert(const std::string& file, uint32_t type, int tolerance = 0,
                                  int32_t page = 0, const std::string& options = "") {
        Reference theirs;
        ASSERT_TRUE(DecodeWithConvert(file, theirs,
                                      page > 0 ? "[" + std::to_string(page) + "]" : "", options));
        EXPECT_TRUE(Matches(file, type, theirs, tolerance, page));
    }

    static void ExpectLikeNetpbm(const std::string& file, const std::string& decoder,
                                 uint32_t type) {
        Reference theirs;
        ASSERT_TRUE(RunTool(Netpbm(decoder.c_str()), "'" + file + "' > '" + file + ".ref.pnm'"));
        ASSERT_TRUE(ReadNetpbm(file + ".ref.pnm", theirs));
        EXPECT_TRUE(Matches(file, type, theirs));
    }

    static void ExpectLikePillow(const std::string& file, uint32_t type) {
        Reference theirs;
        ASSERT_TRUE(DecodeWithPillow(file, theirs));
        EXPECT_TRUE(Matches(file, type, theirs));
    }

    static void ExpectLikeOpenJpeg(const std::string& file, uint32_t type, const char* ext,
                                   int tolerance = 0) {
        Reference theirs;
        const std::string target = file + ".ref." + ext;
        ASSERT_TRUE(
            RunTool(kOpjDecompress, "-quiet -i '" + file + "' -o '" + target + "' > /dev/null"));
        ASSERT_TRUE(ReadNetpbm(target, theirs));
        EXPECT_TRUE(Matches(file, type, theirs, tolerance));
    }
};

TEST_F(ForeignFiles, BmpDepthsAndRunLengths) {
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm BMP3:rgb24.bmp"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -type Palette BMP3:pal8.bmp"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -type Palette -compress RLE BMP3:rle8.bmp"));
    ASSERT_TRUE(RunTool(kConvert, "rgba.pam BMP:rgba32.bmp"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -define bmp:subtype=RGB565 BMP:rgb565.bmp"));
    ASSERT_TRUE(RunTool(Netpbm("ppmtobmp"), "-bpp 4 pal.ppm > pal4.bmp"));
    ASSERT_TRUE(RunTool(Netpbm("ppmtobmp"), "-bpp 1 bw.pbm > bw1.bmp"));
    ASSERT_TRUE(RunTool(Netpbm("ppmtobmp"), "-bpp 24 -os2 rgb.ppm > os2.bmp"));
    for (const char* file :
         {"rgb24.bmp", "pal8.bmp", "rle8.bmp", "rgba32.bmp", "pal4.bmp", "bw1.bmp", "os2.bmp"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_BMP);
    // Five-bit channels: rounding or repeating the top bits may differ by one.
    ExpectLikeConvert("rgb565.bmp", KXIMAGE_FORMAT_BMP, 1);
}

TEST_F(ForeignFiles, GifWithTransparency) {
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm pal.gif"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -transparent '#FF0000' pal.ppm anim.gif"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -transparent '#FF0000' trans.gif"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -interlace GIF interlaced.gif"));
    ASSERT_TRUE(RunTool(Netpbm("pamtogif"), "-transparent '#0000FF' pal.ppm > netpbm.gif"));
    for (const char* file : {"pal.gif", "trans.gif", "interlaced.gif", "netpbm.gif"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_GIF);
    ExpectLikeConvert("anim.gif", KXIMAGE_FORMAT_GIF, 0, 0);
    ExpectLikeConvert("anim.gif", KXIMAGE_FORMAT_GIF, 0, 1);
}

TEST_F(ForeignFiles, JpegBaselineProgressiveAndGrey) {
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -quality 92 baseline.jpg"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -quality 92 -interlace Plane progressive.jpg"));
    ASSERT_TRUE(RunTool(kConvert, "grey.pam -quality 92 grey.jpg"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtojpeg"), "--quality=90 --progressive rgb.ppm > netpbm.jpg"));
    for (const char* file : {"baseline.jpg", "progressive.jpg", "grey.jpg", "netpbm.jpg"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_JPG, 3);
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -colorspace CMYK -quality 95 cmyk.jpg"));
    ExpectLikeConvert("cmyk.jpg", KXIMAGE_FORMAT_JPG, 3, 0, "-colorspace sRGB");
}

TEST_F(ForeignFiles, PngPaletteGreyAlphaAndSixteenBits) {
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm PNG8:pal.png"));
    ASSERT_TRUE(RunTool(kConvert, "greya.pam -define png:color-type=4 greya.png"));
    ASSERT_TRUE(RunTool(kConvert, "rgba.pam PNG32:rgba.png"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -evaluate multiply 0.93 -depth 16 PNG48:rgb16.png"));
    ASSERT_TRUE(RunTool(Netpbm("pamdepth"), "1000 grey.pam > grey1000.pam"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtopng"), "grey1000.pam > grey16.png"));
    ASSERT_TRUE(RunPillow(
        "im = Image.frombytes('LA', (37, 23), open('greya.pam', 'rb').read()[-37 * 23 * 2:])\n"
        "im.save('pillow-la.png')\n"));
    ASSERT_TRUE(RunTool(kConvert, "rgba.pam -interlace PNG interlaced.png"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtopng"), "bw.pbm > bw.png"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtopng"), "-transparent '#00FF00' pal.ppm > trns.png"));
    for (const char* file : {"pal.png", "greya.png", "rgba.png", "rgb16.png", "grey16.png",
                             "pillow-la.png", "interlaced.png", "bw.png", "trns.png"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_PNG, 1);
}

TEST_F(ForeignFiles, IconsWithBitmapAndPngEntries) {
    ASSERT_TRUE(RunTool(kConvert, "rgba.pam -resize '32x32!' rgba.ico"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -resize '16x16!' -colors 16 pal.ico"));
    ASSERT_TRUE(RunTool(Netpbm("pamcut"), "-width 32 -height 16 rgb.ppm > cut.ppm"));
    ASSERT_TRUE(RunTool(Netpbm("pamtowinicon"), "cut.ppm > netpbm.ico"));
    ASSERT_TRUE(RunPillow(
        "im = Image.frombytes('RGBA', (37, 23), open('rgba.pam', 'rb').read()[-37 * 23 * 4:])\n"
        "im.resize((32, 32), Image.NEAREST).save('pillow.ico', sizes=[(32, 32)])\n"));
    ASSERT_TRUE(RunTool(kConvert, "rgba.pam -define icon:auto-resize=32,16 sizes.ico"));
    for (const char* file : {"rgba.ico", "pal.ico", "pillow.ico", "sizes.ico"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_ICO);
    ExpectLikeConvert("sizes.ico", KXIMAGE_FORMAT_ICO, 0, 1);
    // netpbm leaves the alpha bytes of an opaque picture at zero and clears the mask: the
    // mask says opaque (as the desktop shows such icons), where ImageMagick and Pillow read
    // the zero alpha. Compare the colours, and expect opacity.
    Reference theirs;
    ASSERT_TRUE(DecodeWithConvert("netpbm.ico", theirs));
    for (size_t i = 3; i < theirs.samples.size(); i += 4)
        theirs.samples[i] = 255;
    EXPECT_TRUE(Matches("netpbm.ico", KXIMAGE_FORMAT_ICO, theirs));
}

TEST_F(ForeignFiles, TiffCompressionsPlanesTilesAndPages) {
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -compress LZW lzw.tif"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -compress Zip deflate.tif"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -compress RLE packbits.tif"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -interlace Plane planar.tif"));
    ASSERT_TRUE(RunTool(kConvert, "grey.pam -compress LZW grey.tif"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -type Palette palette.tif"));
    ASSERT_TRUE(RunTool(kConvert, "bw.pbm -compress Group4 g4.tif"));
    ASSERT_TRUE(RunTool(kTiffcp, "-c lzw:2 lzw.tif predictor.tif"));
    ASSERT_TRUE(RunTool(kTiffcp, "-c zip -t -w 16 -l 16 lzw.tif tiled.tif"));
    ASSERT_TRUE(RunTool(kTiffcp, "-c packbits grey.tif packbits-grey.tif"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtotiff"), "-lzw rgb.ppm > netpbm.tif"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -evaluate multiply 0.9 -depth 16 rgb16.tif"));
    ASSERT_TRUE(RunTool(kConvert, "bw.pbm -compress Fax fax3.tif"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -endian MSB -compress LZW motorola.tif"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -colors 12 -depth 4 -type Palette pal4.tif"));
    for (const char* file :
         {"lzw.tif", "deflate.tif", "packbits.tif", "planar.tif", "grey.tif", "palette.tif",
          "g4.tif", "predictor.tif", "tiled.tif", "packbits-grey.tif", "netpbm.tif", "fax3.tif",
          "motorola.tif", "pal4.tif"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_TIF);
    // Sixteen-bit samples round to the nearest 8-bit level; ImageMagick's output may round
    // the other way.
    ExpectLikeConvert("rgb16.tif", KXIMAGE_FORMAT_TIF, 1);

    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -compress JPEG -quality 92 jpeg.tif"));
    ASSERT_TRUE(RunTool(kTiffcp, "-c jpeg:r:90 lzw.tif jpeg-ycbcr.tif"));
    ExpectLikeConvert("jpeg.tif", KXIMAGE_FORMAT_TIF, 3);
    ExpectLikeConvert("jpeg-ycbcr.tif", KXIMAGE_FORMAT_TIF, 4);

    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm grey.pam pal.ppm -compress LZW pages.tif"));
    ASSERT_TRUE(RunTool(kTiffcp, "grey.tif lzw.tif joined.tif"));
    for (int32_t page : {0, 1, 2})
        ExpectLikeConvert("pages.tif", KXIMAGE_FORMAT_TIF, 0, page);
    ExpectLikeConvert("joined.tif", KXIMAGE_FORMAT_TIF, 0, 1);
    KxImage counted;
    ASSERT_TRUE(counted.Load("pages.tif", KXIMAGE_FORMAT_TIF));
    EXPECT_EQ(counted.GetNumFrames(), 3);
}

// Straight ("unassociated") alpha is kept as it stands; premultiplied ("associated")
// colours are divided by their alpha again, as KxImage's alpha plane is straight.
TEST_F(ForeignFiles, TiffAlphaAssociatedAndUnassociated) {
    ASSERT_TRUE(RunTool(kConvert, "rgba.pam -define tiff:alpha=unassociated ua8.tif"));
    ASSERT_TRUE(RunTool(kConvert, "rgba.pam -define tiff:alpha=unassociated -depth 16 ua16.tif"));
    ASSERT_TRUE(RunTool(kConvert, "greya.pam -define tiff:alpha=unassociated uagrey.tif"));
    ASSERT_TRUE(RunTool(kConvert,
                        "rgba.pam -define tiff:alpha=unassociated -interlace Plane uaplanar.tif"));
    ASSERT_TRUE(RunTool(kTiffcp, "-t -w 16 -l 16 ua8.tif uatiled.tif"));
    for (const char* file : {"ua8.tif", "ua16.tif", "uagrey.tif", "uaplanar.tif", "uatiled.tif"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_TIF, 1);

    // Associated files: compare with the straight source, within the rounding that
    // premultiplying an 8-bit colour by an alpha of 40 or more costs.
    ASSERT_TRUE(RunTool(kConvert, "rgba.pam -define tiff:alpha=associated as8.tif"));
    ASSERT_TRUE(RunTool(kConvert, "rgba.pam -define tiff:alpha=associated -depth 16 as16.tif"));
    Reference source;
    ASSERT_TRUE(ReadNetpbm("rgba.pam", source));
    EXPECT_TRUE(Matches("as8.tif", KXIMAGE_FORMAT_TIF, source, 4));
    EXPECT_TRUE(Matches("as16.tif", KXIMAGE_FORMAT_TIF, source, 1));
}

TEST_F(ForeignFiles, TiffCmykBecomesRgb) {
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -colorspace CMYK cmyk.tif"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm -colorspace CMYK -depth 16 -compress Zip cmyk16.tif"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtotiffcmyk"), "rgb.ppm > netpbm-cmyk.tif"));
    for (const char* file : {"cmyk.tif", "cmyk16.tif", "netpbm-cmyk.tif"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_TIF, 1, 0, "-colorspace sRGB");
}

// Floating-point and deep grey pictures spread their own value range over 0..255.
TEST_F(ForeignFiles, TiffFloatAndDeepGreyScaleOverTheirRange) {
    ASSERT_TRUE(RunPillow(
        "import struct\n"
        "w, h = 37, 23\n"
        "v = [x * 0.25 - y * 1.5 + 100 for y in range(h) for x in range(w)]\n"
        "v[w + 1] = float('nan'); v[w + 2] = float('inf'); v[w + 3] = float('-inf')\n"
        "Image.frombytes('F', (w, h), struct.pack('<%df' % (w * h), *v)).save('float.tif')\n"
        "Image.new('F', (w, h), 7.5).save('flat.tif')\n"
        "d = [1000 + x * 61 + y * 7 for y in range(h) for x in range(w)]\n"
        "Image.frombytes('I;16', (w, h), struct.pack('<%dH' % (w * h), *d)).save('deep.tif')\n"));
    ASSERT_TRUE(RunTool(kTiffcp, "-c lzw float.tif float-lzw.tif"));
    ASSERT_TRUE(RunTool(kTiffcp, "-c zip deep.tif deep-zip.tif"));

    auto expectRamp = [](const char* file, auto value) {
        KxImage image;
        ASSERT_TRUE(image.Load(file, KXIMAGE_FORMAT_TIF)) << file << ": " << image.GetLastError();
        ASSERT_EQ(image.GetWidth(), kW);
        double low = 1e300, high = -1e300;
        for (uint32_t y = 0; y < kH; ++y)
            for (uint32_t x = 0; x < kW; ++x)
                if (y != 1 || x < 1 || x > 3) {
                    low = std::min(low, value(x, y));
                    high = std::max(high, value(x, y));
                }
        for (uint32_t y = 0; y < kH; ++y)
            for (uint32_t x = 0; x < kW; ++x) {
                if (y == 1 && x >= 1 && x <= 3 && value(0, 0) < 500)
                    continue;  // NaN and infinities, checked below
                const double want = (value(x, y) - low) * 255.0 / (high - low);
                ASSERT_NEAR(Top(image, x, y).rgbRed, want, 0.51) << file << " at " << x << "," << y;
            }
    };
    auto ramp = [](uint32_t x, uint32_t y) {
        return static_cast<double>(static_cast<float>(x * 0.25 - y * 1.5 + 100));
    };
    expectRamp("float.tif", ramp);
    expectRamp("float-lzw.tif", ramp);
    auto deep = [](uint32_t x, uint32_t y) { return 1000.0 + x * 61 + y * 7; };
    expectRamp("deep.tif", deep);
    expectRamp("deep-zip.tif", deep);

    KxImage special;
    ASSERT_TRUE(special.Load("float.tif", KXIMAGE_FORMAT_TIF));
    EXPECT_EQ(Top(special, 1, 1).rgbRed, 0);    // NaN
    EXPECT_EQ(Top(special, 2, 1).rgbRed, 255);  // +infinity
    EXPECT_EQ(Top(special, 3, 1).rgbRed, 0);    // -infinity
    KxImage flat;
    ASSERT_TRUE(flat.Load("flat.tif", KXIMAGE_FORMAT_TIF)) << flat.GetLastError();
    EXPECT_EQ(Top(flat, 0, 0).rgbRed, 128);
    EXPECT_EQ(Top(flat, 36, 22).rgbRed, 128);
}

// Targa rows run from the bottom unless the descriptor's bit 5 says top first; bit 4
// reverses each row.
TEST_F(ForeignFiles, TgaBothOriginsAndRunLengths) {
    ASSERT_TRUE(RunTool(Netpbm("pamtotga"), "-norle rgb.ppm > netpbm.tga"));
    ASSERT_TRUE(RunTool(Netpbm("pamtotga"), "rgb.ppm > netpbm-rle.tga"));
    ASSERT_TRUE(RunTool(Netpbm("pamtotga"), "-norle -cmap pal.ppm > netpbm-map.tga"));
    ASSERT_TRUE(RunTool(Netpbm("pamtotga"), "-mono grey.pam > netpbm-grey.tga"));
    ASSERT_TRUE(RunPillow(
        "rgba = Image.frombytes('RGBA', (37, 23), open('rgba.pam', 'rb').read()[-37 * 23 * 4:])\n"
        "rgb = rgba.convert('RGB')\n"
        "for name, im in [('rgb', rgb), ('rgba', rgba), ('grey', rgb.convert('L')),\n"
        "                 ('map', rgb.quantize(40))]:\n"
        "    im.save('pillow-%s-bottom.tga' % name)\n"
        "    im.save('pillow-%s-top.tga' % name, orientation=1)\n"
        "    im.save('pillow-%s-bottom-rle.tga' % name, compression='tga_rle')\n"
        "    im.save('pillow-%s-top-rle.tga' % name, compression='tga_rle', orientation=1)\n"));
    for (const char* file : {"netpbm.tga", "netpbm-rle.tga", "netpbm-map.tga", "netpbm-grey.tga"})
        ExpectLikeNetpbm(file, "tgatoppm", KXIMAGE_FORMAT_TGA);
    for (const char* name : {"rgb", "rgba", "grey", "map"})
        for (const char* variant : {"bottom", "top", "bottom-rle", "top-rle"})
            ExpectLikePillow(std::string("pillow-") + name + "-" + variant + ".tga",
                             KXIMAGE_FORMAT_TGA);

    // No tool writes right-to-left rows: turn Pillow's file round by hand.
    std::FILE* in = std::fopen("pillow-rgb-top.tga", "rb");
    ASSERT_NE(in, nullptr);
    std::vector<uint8_t> tga(18 + kW * kH * 3);
    ASSERT_EQ(std::fread(tga.data(), 1, tga.size(), in), tga.size());
    std::fclose(in);
    ASSERT_EQ(tga[17] & 0x30, 0x20);
    tga[17] |= 0x10;
    for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW / 2; ++x)
            for (int c = 0; c < 3; ++c)
                std::swap(tga[18 + (y * kW + x) * 3 + c], tga[18 + (y * kW + kW - 1 - x) * 3 + c]);
    KxImage mirrored = DecodeOk(tga, KXIMAGE_FORMAT_TGA);
    Reference theirs;
    ASSERT_TRUE(DecodeWithPillow("pillow-rgb-top.tga", theirs));
    EXPECT_TRUE(SamePixels(mirrored, theirs));
}

TEST_F(ForeignFiles, PcxPlanesAndPalettes) {
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm rgb.pcx"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -type Palette pal.pcx"));
    ASSERT_TRUE(RunTool(Netpbm("ppmtopcx"), "pal.ppm > netpbm-planes.pcx"));
    ASSERT_TRUE(RunTool(Netpbm("ppmtopcx"), "-8bit pal.ppm > netpbm-8.pcx"));
    ASSERT_TRUE(RunTool(Netpbm("ppmtopcx"), "-24bit rgb.ppm > netpbm-24.pcx"));
    ASSERT_TRUE(RunTool(Netpbm("ppmtopcx"), "bw.pbm > netpbm-bw.pcx"));
    ASSERT_TRUE(
        RunPillow("Image.open('pal.ppm').save('pillow.pcx')\n"
                  "Image.open('pal.ppm').convert('L').save('pillow-grey.pcx')\n"));
    for (const char* file : {"rgb.pcx", "pal.pcx", "netpbm-planes.pcx", "netpbm-8.pcx",
                             "netpbm-24.pcx", "pillow.pcx", "pillow-grey.pcx"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_PCX);
    // ImageMagick ignores the header palette of one-bit files (netpbm writes black first);
    // Pillow honours it.
    ExpectLikePillow("netpbm-bw.pcx", KXIMAGE_FORMAT_PCX);
}

TEST_F(ForeignFiles, WbmpFromBothTools) {
    ASSERT_TRUE(RunTool(kConvert, "bw.pbm bw.wbmp"));
    ASSERT_TRUE(RunTool(Netpbm("pbmtowbmp"), "bw.pbm > netpbm.wbmp"));
    for (const char* file : {"bw.wbmp", "netpbm.wbmp"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_WBMP);
}

TEST_F(ForeignFiles, PnmAllSixKindsAndSixteenBits) {
    ASSERT_TRUE(RunTool(Netpbm("pnmtoplainpnm"), "bw.pbm > p1.pbm"));
    ASSERT_TRUE(
        RunTool(Netpbm("pamtopnm"), "grey.pam | " + Netpbm("pnmtoplainpnm").path + " > p2.pgm"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtoplainpnm"), "rgb.ppm > p3.ppm"));
    ASSERT_TRUE(RunTool(Netpbm("pbmtopgm"),
                        "1 1 bw.pbm | " + Netpbm("pgmtopbm").path + " -threshold > p4.pbm"));
    ASSERT_TRUE(RunTool(Netpbm("pamtopnm"), "grey.pam > p5.pgm"));
    ASSERT_TRUE(RunTool(Netpbm("pamdepth"), "255 rgb.ppm > p6.ppm"));
    ASSERT_TRUE(RunTool(Netpbm("pamdepth"), "65535 rgb.ppm > p6-16.ppm"));
    ASSERT_TRUE(
        RunTool(Netpbm("pamdepth"), "4000 grey.pam | " + Netpbm("pamtopnm").path + " > p5-12.pgm"));
    ASSERT_TRUE(RunTool(Netpbm("pamdepth"),
                        "1000 grey.pam | " + Netpbm("pamtopnm").path + " -plain > p2-10.pgm"));
    for (const char* file : {"p1.pbm", "p2.pgm", "p3.ppm", "p4.pbm", "p5.pgm", "p6.ppm",
                             "p6-16.ppm", "p5-12.pgm", "p2-10.pgm"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_PNM, 1);
}

TEST_F(ForeignFiles, Jpeg2000PgxAndSunRaster) {
    ASSERT_TRUE(RunTool(kOpjCompress, "-n 3 -i rgb.ppm -o rgb.jp2 > /dev/null"));
    ASSERT_TRUE(RunTool(kOpjCompress, "-n 3 -i rgb.ppm -o rgb.j2k > /dev/null"));
    ASSERT_TRUE(RunTool(kOpjCompress, "-n 3 -i rgb.ppm -r 20 -o lossy.jp2 > /dev/null"));
    ASSERT_TRUE(RunTool(Netpbm("pamtopnm"), "grey.pam > grey.pgm"));
    ASSERT_TRUE(RunTool(kOpjCompress, "-n 3 -i grey.pgm -o grey.j2k > /dev/null"));
    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm magick.jp2"));
    ExpectLikeOpenJpeg("rgb.jp2", KXIMAGE_FORMAT_JP2, "ppm");
    ExpectLikeOpenJpeg("rgb.j2k", KXIMAGE_FORMAT_JPC, "ppm");
    ExpectLikeOpenJpeg("lossy.jp2", KXIMAGE_FORMAT_JP2, "ppm", 1);
    ExpectLikeOpenJpeg("grey.j2k", KXIMAGE_FORMAT_JPC, "pgm");
    ExpectLikeOpenJpeg("magick.jp2", KXIMAGE_FORMAT_JP2, "ppm");
    ASSERT_TRUE(RunTool(Netpbm("pamdepth"), "65535 rgb.ppm > rgb16.ppm"));
    ASSERT_TRUE(RunTool(kOpjCompress, "-n 3 -i rgb16.ppm -o rgb16.jp2 > /dev/null"));
    ExpectLikeOpenJpeg("rgb16.jp2", KXIMAGE_FORMAT_JP2, "ppm", 1);

    ASSERT_TRUE(RunTool(kOpjDecompress, "-quiet -i grey.j2k -o grey.pgx > /dev/null"));
    Reference greySource;
    ASSERT_TRUE(ReadNetpbm("grey.pgm", greySource));
    EXPECT_TRUE(Matches("grey_0.pgx", KXIMAGE_FORMAT_PGX, greySource));

    ASSERT_TRUE(RunTool(kConvert, "rgb.ppm rgb.ras"));
    ASSERT_TRUE(RunTool(kConvert, "pal.ppm -type Palette pal.ras"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtorast"), "-rle rgb.ppm > netpbm-rle.ras"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtorast"), "-standard bw.pbm > netpbm-bw.ras"));
    ASSERT_TRUE(RunTool(Netpbm("pnmtorast"), "-rle pal.ppm > netpbm-pal.ras"));
    for (const char* file : {"rgb.ras", "pal.ras", "netpbm-rle.ras", "netpbm-bw.ras"})
        ExpectLikeConvert(file, KXIMAGE_FORMAT_RAS);
    // ImageMagick stops short in the last row of netpbm's run-length mapped file: compare
    // with the lossless source instead.
    Reference paletteSource;
    ASSERT_TRUE(ReadNetpbm("pal.ppm", paletteSource));
    EXPECT_TRUE(Matches("netpbm-pal.ras", KXIMAGE_FORMAT_RAS, paletteSource));
}

// Our files, read back by the other programs.
TEST_F(ForeignFiles, OurFilesReadByOtherDecoders) {
    KxImage rgb, grey, palette, rgba;
    ASSERT_TRUE(rgb.Load("rgb.ppm", KXIMAGE_FORMAT_PNM));
    ASSERT_NE(palette.Create(kW, kH, 8, KXIMAGE_FORMAT_BMP), nullptr);
    for (uint8_t i = 0; i < 12; ++i)
        palette.SetPaletteColor(i, kPalette[i][0], kPalette[i][1], kPalette[i][2]);
    for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW; ++x)
            palette.SetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(kH - 1 - y),
                                  static_cast<uint8_t>((x / 4 + y / 3) % 12));
    ASSERT_TRUE(RunTool(Netpbm("pamtopnm"), "grey.pam > grey.pgm"));
    ASSERT_TRUE(grey.Load("grey.pgm", KXIMAGE_FORMAT_PNM)) << grey.GetLastError();
    rgba.Copy(rgb);
    ASSERT_TRUE(rgba.AlphaCreate());
    for (int32_t y = 0; y < static_cast<int32_t>(kH); ++y)
        for (int32_t x = 0; x < static_cast<int32_t>(kW); ++x)
            rgba.AlphaSet(x, y, static_cast<uint8_t>(x == 0 ? 0 : 30 + x * 6));

    struct Output {
        const KxImage* image;
        uint32_t type;
        const char* file;
    };
    const Output outputs[] = {
        {&rgb, KXIMAGE_FORMAT_BMP, "our-rgb.bmp"},
        {&palette, KXIMAGE_FORMAT_BMP, "our-pal.bmp"},
        {&rgb, KXIMAGE_FORMAT_PNG, "our-rgb.png"},
        {&rgba, KXIMAGE_FORMAT_PNG, "our-rgba.png"},
        {&palette, KXIMAGE_FORMAT_PNG, "our-pal.png"},
        {&grey, KXIMAGE_FORMAT_PNG, "our-grey.png"},
        {&rgb, KXIMAGE_FORMAT_TIF, "our-rgb.tif"},
        {&rgba, KXIMAGE_FORMAT_TIF, "our-rgba.tif"},
        {&palette, KXIMAGE_FORMAT_TIF, "our-pal.tif"},
        {&grey, KXIMAGE_FORMAT_TIF, "our-grey.tif"},
        {&rgb, KXIMAGE_FORMAT_PCX, "our-rgb.pcx"},
        {&palette, KXIMAGE_FORMAT_PCX, "our-pal.pcx"},
        {&rgb, KXIMAGE_FORMAT_PNM, "our-rgb.ppm"},
        {&grey, KXIMAGE_FORMAT_PNM, "our-grey.pgm"},
    };
    for (const Output& out : outputs) {
        KxImage copy(*out.image);
        ASSERT_TRUE(copy.Save(out.file, out.type)) << out.file << ": " << copy.GetLastError();
        Reference theirs;
        ASSERT_TRUE(DecodeWithConvert(out.file, theirs));
        EXPECT_TRUE(SamePixels(*out.image, theirs)) << out.file;
    }

    // Targa by netpbm and Pillow, which both honour the row order.
    for (const KxImage* image : {&rgb, &palette, &grey}) {
        KxImage copy(*image);
        ASSERT_TRUE(copy.Save("our.tga", KXIMAGE_FORMAT_TGA)) << copy.GetLastError();
        Reference netpbm, pillow;
        ASSERT_TRUE(RunTool(Netpbm("tgatoppm"), "our.tga > our-tga.ppm"));
        ASSERT_TRUE(ReadNetpbm("our-tga.ppm", netpbm));
        EXPECT_TRUE(SamePixels(*image, netpbm));
        ASSERT_TRUE(DecodeWithPillow("our.tga", pillow));
        EXPECT_TRUE(SamePixels(*image, pillow));
    }
    KxImage alphaCopy(rgba);
    ASSERT_TRUE(alphaCopy.Save("our-rgba.tga", KXIMAGE_FORMAT_TGA));
    Reference pillowAlpha;
    ASSERT_TRUE(DecodeWithPillow("our-rgba.tga", pillowAlpha));
    EXPECT_TRUE(SamePixels(rgba, pillowAlpha));

    // JPEG 2000 by OpenJPEG's own decoder.
    for (auto [image, type, file, ext] :
         {std::tuple{&rgb, KXIMAGE_FORMAT_JP2, "our.jp2", "ppm"},
          std::tuple{&grey, KXIMAGE_FORMAT_JPC, "our.j2k", "pgm"}}) {
        KxImage copy(*image);
        ASSERT_TRUE(copy.Save(file, type)) << copy.GetLastError();
        Reference theirs;
        const std::string target = std::string(file) + ".ref." + ext;
        ASSERT_TRUE(RunTool(kOpjDecompress,
                            std::string("-quiet -i ") + file + " -o " + target + " > /dev/null"));
        ASSERT_TRUE(ReadNetpbm(target, theirs));
        EXPECT_TRUE(SamePixels(*image, theirs)) << file;
    }
}

}  // namespace
