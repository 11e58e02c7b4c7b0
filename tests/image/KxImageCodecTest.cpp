#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "image/KxImage.h"
#include "image/KxImageGIF.h"
#include "image/KxImageJPG.h"
#include "image/KxImageTIF.h"

namespace {

// A picture with distinct values everywhere, so that flipped rows, swapped channels or
// lost bits show up.
KxImage MakePattern(uint32_t bpp, uint32_t w = 37, uint32_t h = 23) {
    KxImage image(w, h, bpp);
    if (bpp <= 8) {
        const uint32_t n = image.GetNumColors();
        for (uint32_t i = 0; i < n; ++i)
            image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 37 + 5),
                                  static_cast<uint8_t>(255 - i * 11), static_cast<uint8_t>(i * 3));
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                image.SetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y),
                                    static_cast<uint8_t>((x * 3 + y * 5) % n));
    } else {
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                image.SetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y),
                                    KxRGB(static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 11),
                                          static_cast<uint8_t>((x + y) * 5)));
    }
    return image;
}

KxImage MakeGrey(uint32_t w = 31, uint32_t h = 17) {
    KxImage image(w, h, 8);
    image.SetGrayPalette();
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            image.SetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y),
                                static_cast<uint8_t>(x * 8 + y));
    return image;
}

// Smooth colours: what a lossy coder should reproduce closely.
KxImage MakeSmooth(uint32_t w = 64, uint32_t h = 48) {
    KxImage image(w, h, 24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            image.SetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y),
                                KxRGB(static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 5),
                                      static_cast<uint8_t>(128 + 60 * std::sin((x + y) / 9.0))));
    return image;
}

void ExpectSamePixels(const KxImage& expected, const KxImage& actual, const std::string& what) {
    ASSERT_TRUE(actual.IsValid()) << what;
    ASSERT_EQ(actual.GetWidth(), expected.GetWidth()) << what;
    ASSERT_EQ(actual.GetHeight(), expected.GetHeight()) << what;
    int mismatches = 0;
    for (uint32_t y = 0; y < expected.GetHeight(); ++y)
        for (uint32_t x = 0; x < expected.GetWidth(); ++x) {
            const RGBQUAD a =
                expected.GetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y), false);
            const RGBQUAD b =
                actual.GetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y), false);
            if ((a.rgbRed != b.rgbRed || a.rgbGreen != b.rgbGreen || a.rgbBlue != b.rgbBlue) &&
                ++mismatches < 4)
                ADD_FAILURE() << what << " at " << x << "," << y << ": " << int(a.rgbRed) << "/"
                              << int(a.rgbGreen) << "/" << int(a.rgbBlue) << " became "
                              << int(b.rgbRed) << "/" << int(b.rgbGreen) << "/" << int(b.rgbBlue);
        }
    EXPECT_EQ(mismatches, 0) << what;
}

double Psnr(const KxImage& a, const KxImage& b) {
    double sum = 0;
    for (uint32_t y = 0; y < a.GetHeight(); ++y)
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            const RGBQUAD p = a.GetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y));
            const RGBQUAD q = b.GetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y));
            sum += std::pow(p.rgbRed - q.rgbRed, 2) + std::pow(p.rgbGreen - q.rgbGreen, 2) +
                   std::pow(p.rgbBlue - q.rgbBlue, 2);
        }
    const double mse = sum / (3.0 * a.GetWidth() * a.GetHeight());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::vector<uint8_t> EncodeOrFail(KxImage& image, uint32_t type) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(image.Encode(bytes, type)) << type << ": " << image.GetLastError();
    return bytes;
}

KxImage DecodeBytes(const std::vector<uint8_t>& bytes, uint32_t type) {
    KxImage image;
    EXPECT_TRUE(image.Decode(bytes.data(), bytes.size(), type))
        << type << ": " << image.GetLastError();
    return image;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

struct LosslessCase {
    uint32_t type;
    uint32_t bpp;
};

// Every writable format at every depth it takes, through memory, pixel for pixel.
TEST(KxImageRoundTrip, LosslessFormatsAtEveryDepth) {
    const LosslessCase cases[] = {
        {KXIMAGE_FORMAT_BMP, 1},  {KXIMAGE_FORMAT_BMP, 4},  {KXIMAGE_FORMAT_BMP, 8},
        {KXIMAGE_FORMAT_BMP, 24}, {KXIMAGE_FORMAT_GIF, 1},  {KXIMAGE_FORMAT_GIF, 4},
        {KXIMAGE_FORMAT_GIF, 8},  {KXIMAGE_FORMAT_PNG, 1},  {KXIMAGE_FORMAT_PNG, 4},
        {KXIMAGE_FORMAT_PNG, 8},  {KXIMAGE_FORMAT_PNG, 24}, {KXIMAGE_FORMAT_ICO, 1},
        {KXIMAGE_FORMAT_ICO, 4},  {KXIMAGE_FORMAT_ICO, 8},  {KXIMAGE_FORMAT_ICO, 24},
        {KXIMAGE_FORMAT_TIF, 1},  {KXIMAGE_FORMAT_TIF, 4},  {KXIMAGE_FORMAT_TIF, 8},
        {KXIMAGE_FORMAT_TIF, 24}, {KXIMAGE_FORMAT_TGA, 8},  {KXIMAGE_FORMAT_TGA, 24},
        {KXIMAGE_FORMAT_PCX, 1},  {KXIMAGE_FORMAT_PCX, 4},  {KXIMAGE_FORMAT_PCX, 8},
        {KXIMAGE_FORMAT_PCX, 24}, {KXIMAGE_FORMAT_JP2, 24}, {KXIMAGE_FORMAT_JPC, 24},
        {KXIMAGE_FORMAT_PNM, 1},  {KXIMAGE_FORMAT_PNM, 4},  {KXIMAGE_FORMAT_PNM, 8},
        {KXIMAGE_FORMAT_PNM, 24}, {KXIMAGE_FORMAT_RAS, 1},  {KXIMAGE_FORMAT_RAS, 4},
        {KXIMAGE_FORMAT_RAS, 8},  {KXIMAGE_FORMAT_RAS, 24},
    };
    for (const LosslessCase& c : cases) {
        const std::string what = "type " + std::to_string(c.type) + " bpp " + std::to_string(c.bpp);
        KxImage original = MakePattern(c.bpp);
        const std::vector<uint8_t> bytes = EncodeOrFail(original, c.type);
        ASSERT_FALSE(bytes.empty()) << what;
        KxImage decoded = DecodeBytes(bytes, c.type);
        EXPECT_EQ(decoded.GetType(), c.type) << what;
        ExpectSamePixels(original, decoded, what);
        // Auto-detection finds the same picture (type 12 streams are found as 11).
        KxImage detected = DecodeBytes(bytes, KXIMAGE_FORMAT_UNKNOWN);
        ExpectSamePixels(original, detected, what + " (detected)");
    }
}

TEST(KxImageRoundTrip, EveryRowWidthKeepsChannelOrder) {
    // Widths around the 5-pixel steps of the channel swapping and its tail.
    for (uint32_t w = 1; w <= 41; ++w)
        for (uint32_t type : {KXIMAGE_FORMAT_PNM, KXIMAGE_FORMAT_TIF}) {
            KxImage original = MakePattern(24, w, 3);
            ExpectSamePixels(original, DecodeBytes(EncodeOrFail(original, type), type),
                             "width " + std::to_string(w) + " type " + std::to_string(type));
        }
}

TEST(KxImageRoundTrip, GreyOnlyFormats) {
    for (uint32_t type :
         {KXIMAGE_FORMAT_PGX, KXIMAGE_FORMAT_JP2, KXIMAGE_FORMAT_JPC, KXIMAGE_FORMAT_JPG,
          KXIMAGE_FORMAT_PNM, KXIMAGE_FORMAT_TIF, KXIMAGE_FORMAT_PNG, KXIMAGE_FORMAT_TGA}) {
        KxImage grey = MakeGrey();
        KxImage decoded = DecodeBytes(EncodeOrFail(grey, type), type);
        EXPECT_TRUE(decoded.IsGrayScale()) << type;
        if (type == KXIMAGE_FORMAT_JPG)
            EXPECT_GT(Psnr(grey, decoded), 40.0);
        else
            ExpectSamePixels(grey, decoded, "grey type " + std::to_string(type));
    }
}

TEST(KxImageRoundTrip, WbmpKeepsBlackAndWhite) {
    KxImage image(19, 7, 1);
    image.SetPaletteColor(0, 255, 255, 255);  // inverted palette: index 0 is white
    image.SetPaletteColor(1, 0, 0, 0);
    for (int32_t x = 0; x < 19; ++x)
        image.SetPixelIndex(x, x % 7, 1);
    KxImage decoded = DecodeBytes(EncodeOrFail(image, KXIMAGE_FORMAT_WBMP), KXIMAGE_FORMAT_WBMP);
    ExpectSamePixels(image, decoded, "wbmp");
}

TEST(KxImageRoundTrip, JpegQuality90KeepsDetail) {
    KxImage original = MakeSmooth();
    original.SetJpegQuality(90);
    KxImage decoded = DecodeBytes(EncodeOrFail(original, KXIMAGE_FORMAT_JPG), KXIMAGE_FORMAT_JPG);
    EXPECT_EQ(decoded.GetBpp(), 24);
    EXPECT_GE(Psnr(original, decoded), 40.0);
}

TEST(KxImageRoundTrip, AlphaSurvivesWhereTheFormatHasIt) {
    for (uint32_t type : {KXIMAGE_FORMAT_BMP, KXIMAGE_FORMAT_PNG, KXIMAGE_FORMAT_TIF,
                          KXIMAGE_FORMAT_TGA, KXIMAGE_FORMAT_ICO, KXIMAGE_FORMAT_JP2}) {
        KxImage original = MakePattern(24, 20, 12);
        ASSERT_TRUE(original.AlphaCreate());
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 20; ++x)
                original.AlphaSet(x, y, static_cast<uint8_t>(x * 12 + y));
        KxImage decoded = DecodeBytes(EncodeOrFail(original, type), type);
        ASSERT_TRUE(decoded.AlphaIsValid()) << type;
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 20; ++x)
                ASSERT_EQ(decoded.AlphaGet(x, y), original.AlphaGet(x, y))
                    << type << " " << x << "," << y;
        ExpectSamePixels(original, decoded, "alpha type " + std::to_string(type));
    }
}

TEST(KxImageRoundTrip, TransparentIndexSurvivesInGifAndPng) {
    for (uint32_t type : {KXIMAGE_FORMAT_GIF, KXIMAGE_FORMAT_PNG}) {
        KxImage original = MakePattern(8);
        original.SetTransIndex(7);
        KxImage decoded = DecodeBytes(EncodeOrFail(original, type), type);
        EXPECT_EQ(decoded.GetTransIndex(), 7) << type;
        ExpectSamePixels(original, decoded, "transparent type " + std::to_string(type));
    }
}

TEST(KxImageRoundTrip, ResolutionTravelsWithTheFile) {
    for (uint32_t type : {KXIMAGE_FORMAT_BMP, KXIMAGE_FORMAT_PNG, KXIMAGE_FORMAT_JPG,
                          KXIMAGE_FORMAT_TIF, KXIMAGE_FORMAT_PCX}) {
        KxImage original = MakePattern(24, 8, 8);
        original.SetXDPI(300);
        original.SetYDPI(150);
        KxImage decoded = DecodeBytes(EncodeOrFail(original, type), type);
        EXPECT_EQ(decoded.GetXDPI(), 300) << type;
        EXPECT_EQ(decoded.GetYDPI(), 150) << type;
    }
}

TEST(KxImageGifCoding, AllThreeOptionWordsDecodeToTheSamePixels) {
    std::vector<size_t> sizes;
    for (uint32_t option : {0u, 1u, 2u}) {
        KxImage original = MakePattern(8, 120, 40);
        // Long runs, so that run-length coding has something to do.
        for (int32_t x = 0; x < 120; ++x)
            original.SetPixelIndex(x, 5, 3);
        original.SetCodecOption(option, KXIMAGE_FORMAT_GIF);
        const std::vector<uint8_t> bytes = EncodeOrFail(original, KXIMAGE_FORMAT_GIF);
        sizes.push_back(bytes.size());
        ExpectSamePixels(original, DecodeBytes(bytes, KXIMAGE_FORMAT_GIF),
                         "gif option " + std::to_string(option));
    }
    EXPECT_NE(sizes[0], sizes[1]);
    EXPECT_NE(sizes[1], sizes[2]);
    EXPECT_LT(sizes[0], sizes[1]);
}

TEST(KxImageGifCoding, LargeNoisyPictureFillsTheCodeTable) {
    KxImage original(300, 200, 8);
    uint32_t seed = 1;
    for (uint32_t i = 0; i < 256; ++i)
        original.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0, 0);
    for (int32_t y = 0; y < 200; ++y)
        for (int32_t x = 0; x < 300; ++x) {
            seed = seed * 1103515245 + 12345;
            original.SetPixelIndex(x, y, static_cast<uint8_t>((seed >> 16) & ((x / 50 + 1) * 31)));
        }
    ExpectSamePixels(original,
                     DecodeBytes(EncodeOrFail(original, KXIMAGE_FORMAT_GIF), KXIMAGE_FORMAT_GIF),
                     "noisy gif");
}

TEST(KxImageGifCoding, TrueColourIsReducedToAPalette) {
    KxImage few = MakePattern(24, 10, 10);  // fewer than 256 colours: exact
    ExpectSamePixels(few, DecodeBytes(EncodeOrFail(few, KXIMAGE_FORMAT_GIF), KXIMAGE_FORMAT_GIF),
                     "few");
    KxImage many = MakeSmooth();
    KxImage decoded = DecodeBytes(EncodeOrFail(many, KXIMAGE_FORMAT_GIF), KXIMAGE_FORMAT_GIF);
    EXPECT_GT(Psnr(many, decoded), 20.0);
}

TEST(KxImageMultiPage, TiffPagesReadBackOneByOne) {
    KxImage pages[3] = {MakePattern(24, 20, 10), MakePattern(8, 15, 9), MakeGrey(7, 5)};
    KxImage* list[3] = {&pages[0], &pages[1], &pages[2]};
    KxMemFile file;
    file.Open();
    KxImage writer;
    ASSERT_TRUE(writer.Encode(&file, list, 3, KXIMAGE_FORMAT_TIF)) << writer.GetLastError();
    const std::vector<uint8_t> bytes = file.GetBuffer(true);
    for (int i = 0; i < 3; ++i) {
        KxImage page;
        page.SetFrame(i);
        ASSERT_TRUE(page.Decode(bytes.data(), bytes.size(), KXIMAGE_FORMAT_TIF))
            << page.GetLastError();
        EXPECT_EQ(page.GetNumFrames(), 3);
        ExpectSamePixels(pages[i], page, "tiff page " + std::to_string(i));
    }
    KxImage missing;
    missing.SetFrame(3);
    EXPECT_FALSE(missing.Decode(bytes.data(), bytes.size(), KXIMAGE_FORMAT_TIF));
    EXPECT_STREQ(missing.GetLastError(), "Error: page not present in TIFF file");
}

TEST(KxImageMultiPage, TiffAppendAddsAPage) {
    KxImage first = MakePattern(24, 9, 9), second = MakePattern(8, 5, 4);
    KxMemFile file;
    file.Open();
    KxImageTIF writer;
    ASSERT_TRUE(writer.Ghost(&first));
    ASSERT_TRUE(writer.Encode(&file, false));
    KxImageTIF appender;
    ASSERT_TRUE(appender.Ghost(&second));
    file.Seek(0, SEEK_SET);
    ASSERT_TRUE(appender.Encode(&file, true)) << appender.GetLastError();
    const std::vector<uint8_t> bytes = file.GetBuffer(true);
    KxImage page;
    page.SetFrame(1);
    ASSERT_TRUE(page.Decode(bytes.data(), bytes.size(), KXIMAGE_FORMAT_TIF)) << page.GetLastError();
    EXPECT_EQ(page.GetNumFrames(), 2);
    ExpectSamePixels(second, page, "appended page");
}

TEST(KxImageMultiPage, AnimatedGifFramesReadBackWithLoopsAndComment) {
    KxImage frames[3] = {MakePattern(8, 16, 12), MakePattern(8, 16, 12), MakePattern(8, 16, 12)};
    for (int i = 0; i < 3; ++i) {
        frames[i].SetPixelIndex(i, i, 200);
        frames[i].SetFrameDelay(10 * (i + 1));
    }
    KxImage* list[3] = {&frames[0], &frames[1], &frames[2]};
    KxImageGIF writer;
    writer.SetLoops(3);
    writer.SetDisposalMethod(2);
    writer.SetComment("korvel");
    KxMemFile file;
    file.Open();
    ASSERT_TRUE(writer.Encode(&file, list, 3, false)) << writer.GetLastError();
    const std::vector<uint8_t> bytes = file.GetBuffer(true);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("NETSCAPE2.0"), std::string::npos);
    for (int i = 0; i < 3; ++i) {
        KxImageGIF reader;
        reader.SetFrame(i);
        KxMemFile in(bytes.data(), bytes.size());
        ASSERT_TRUE(reader.Decode(&in)) << reader.GetLastError();
        EXPECT_EQ(reader.GetNumFrames(), 3);
        EXPECT_EQ(reader.GetFrameDelay(), 10u * (i + 1));
        EXPECT_EQ(reader.GetLoops(), 3);
        EXPECT_EQ(reader.GetComment(), "korvel");
        ExpectSamePixels(frames[i], reader, "gif frame " + std::to_string(i));
    }
}

TEST(KxImageMultiPage, GifFramesWithTransparencyComposeOverEachOther) {
    KxImage base = MakePattern(8, 10, 10);
    KxImage overlay = MakePattern(8, 10, 10);
    overlay.SetTransIndex(0);
    overlay.Clear(0);
    overlay.SetPixelIndex(4, 4, 9);
    KxImage* list[2] = {&base, &overlay};
    KxImage writer;
    KxMemFile file;
    file.Open();
    ASSERT_TRUE(writer.Encode(&file, list, 2, KXIMAGE_FORMAT_GIF));
    const std::vector<uint8_t> bytes = file.GetBuffer(true);
    KxImage second;
    second.SetFrame(1);
    ASSERT_TRUE(second.Decode(bytes.data(), bytes.size(), KXIMAGE_FORMAT_GIF));
    KxImage expected(base);
    expected.SetPixelIndex(4, 4, 9);
    ExpectSamePixels(expected, second, "composed frame");
}

TEST(KxImageMultiPage, OtherFormatsRefuseMultiPageEncode) {
    KxImage page = MakePattern(24);
    KxImage* list[1] = {&page};
    KxMemFile file;
    file.Open();
    KxImage writer;
    EXPECT_FALSE(writer.Encode(&file, list, 1, KXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(writer.GetLastError(), "Multipage Encode, Unsupported operation for this format");
}

bool Contains(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& needle) {
    return std::search(bytes.begin(), bytes.end(), needle.begin(), needle.end()) != bytes.end();
}

// The compression tag (259) of the first directory of a little-endian TIFF.
int TiffCompressionTag(const std::vector<uint8_t>& bytes) {
    const uint32_t ifd = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] << 24);
    const uint32_t count = bytes[ifd] | (bytes[ifd + 1] << 8);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = bytes.data() + ifd + 2 + 12 * i;
        if ((e[0] | (e[1] << 8)) == 259)
            return e[8] | (e[9] << 8);
    }
    return -1;
}

TEST(KxImageOptions, TiffCompressionWordSelectsTheCodec) {
    struct Case {
        uint32_t option, bpp;
        int tag;
    } cases[] = {{0, 1, 4}, {0, 24, 5}, {1, 24, 1}, {2, 1, 2},          {3, 1, 4},
                 {4, 1, 4}, {5, 8, 5},  {7, 24, 7}, {32773, 24, 32773}, {2, 24, 5}};
    for (const Case& c : cases) {
        KxImage image = MakePattern(c.bpp);
        if (c.bpp == 1) {
            image.SetPaletteColor(0, 0, 0, 0);
            image.SetPaletteColor(1, 255, 255, 255);
        }
        image.SetCodecOption(c.option, KXIMAGE_FORMAT_TIF);
        const std::vector<uint8_t> bytes = EncodeOrFail(image, KXIMAGE_FORMAT_TIF);
        EXPECT_EQ(TiffCompressionTag(bytes), c.tag) << c.option << " " << c.bpp;
        KxImage decoded = DecodeBytes(bytes, KXIMAGE_FORMAT_TIF);
        if (c.tag == 7)
            EXPECT_GT(Psnr(image, decoded), 30.0);
        else
            ExpectSamePixels(image, decoded, "tiff option " + std::to_string(c.option));
    }
}

TEST(KxImageOptions, PngInterlaceWord) {
    KxImage image = MakePattern(24);
    const std::vector<uint8_t> plain = EncodeOrFail(image, KXIMAGE_FORMAT_PNG);
    image.SetCodecOption(1, KXIMAGE_FORMAT_PNG);
    const std::vector<uint8_t> interlaced = EncodeOrFail(image, KXIMAGE_FORMAT_PNG);
    EXPECT_EQ(plain[28], 0);  // IHDR interlace byte
    EXPECT_EQ(interlaced[28], 1);
    ExpectSamePixels(image, DecodeBytes(interlaced, KXIMAGE_FORMAT_PNG), "interlaced png");
    // Interlaced with alpha takes the buffered path.
    ASSERT_TRUE(image.AlphaCreate());
    image.AlphaSet(3, 3, 7);
    KxImage decoded = DecodeBytes(EncodeOrFail(image, KXIMAGE_FORMAT_PNG), KXIMAGE_FORMAT_PNG);
    EXPECT_EQ(decoded.AlphaGet(3, 3), 7);
}

TEST(KxImageOptions, JpegProgressiveAndOptimisedBits) {
    KxImage image = MakeSmooth();
    const std::vector<uint8_t> baseline = EncodeOrFail(image, KXIMAGE_FORMAT_JPG);
    image.SetCodecOption(16, KXIMAGE_FORMAT_JPG);
    const std::vector<uint8_t> progressive = EncodeOrFail(image, KXIMAGE_FORMAT_JPG);
    image.SetCodecOption(8, KXIMAGE_FORMAT_JPG);
    const std::vector<uint8_t> optimised = EncodeOrFail(image, KXIMAGE_FORMAT_JPG);
    EXPECT_TRUE(Contains(baseline, {0xFF, 0xC0}));
    EXPECT_FALSE(Contains(baseline, {0xFF, 0xC2}));
    EXPECT_TRUE(Contains(progressive, {0xFF, 0xC2}));
    EXPECT_LT(optimised.size(), baseline.size());
    EXPECT_GE(Psnr(image, DecodeBytes(progressive, KXIMAGE_FORMAT_JPG)), 40.0);
}

TEST(KxImageSaveErrors, FormatsRefuseWhatTheyCannotHold) {
    struct Case {
        uint32_t type, bpp;
        const char* error;
    } cases[] = {
        {KXIMAGE_FORMAT_JPG, 4, "JPEG can save only RGB or GreyScale images"},
        {KXIMAGE_FORMAT_WMF, 24, "Save WMF not supported"},
        {KXIMAGE_FORMAT_WBMP, 8, "Can't save this image as WBMP"},
        {KXIMAGE_FORMAT_TGA, 4, "Bit depth must be 8 or 24"},
        {KXIMAGE_FORMAT_TGA, 1, "Bit depth must be 8 or 24"},
        {KXIMAGE_FORMAT_PGX, 24, "PGX can save only GrayScale images"},
        {KXIMAGE_FORMAT_JP2, 8, "JasPer can save only RGB or GrayScale images"},
        {KXIMAGE_FORMAT_UNKNOWN, 24, "Encode: Unknown format"},
        {16, 24, "Encode: Unknown format"},
    };
    for (const Case& c : cases) {
        KxImage image = MakePattern(c.bpp);
        std::vector<uint8_t> bytes;
        EXPECT_FALSE(image.Encode(bytes, c.type)) << c.type;
        EXPECT_STREQ(image.GetLastError(), c.error) << c.type;
    }
    KxImage big(300, 20, 24);
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(big.Encode(bytes, KXIMAGE_FORMAT_ICO));
    EXPECT_STREQ(big.GetLastError(), "Can't save this image as icon");
    KxImage image = MakePattern(24);
    bytes = {1};
    EXPECT_FALSE(image.Encode(bytes, KXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "the buffer must be empty");
    KxImage empty;
    bytes.clear();
    EXPECT_FALSE(empty.Encode(bytes, KXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    EXPECT_FALSE(image.Encode(static_cast<KxFile*>(nullptr), KXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
}

TEST(KxImageFiles, SaveAndLoadThroughTheFileSystem) {
    KxImage image = MakePattern(24);
    ASSERT_TRUE(image.Save("picture.png", KXIMAGE_FORMAT_PNG)) << image.GetLastError();
    KxImage loaded("picture.png", KXIMAGE_FORMAT_PNG);
    ExpectSamePixels(image, loaded, "file png");

    // A wrong type falls back to auto-detection and takes the real type.
    KxImage fallback;
    ASSERT_TRUE(fallback.Load("picture.png", KXIMAGE_FORMAT_JPG));
    EXPECT_EQ(fallback.GetType(), KXIMAGE_FORMAT_PNG);

    // A refused save leaves no file behind.
    KxImage palette = MakePattern(4);
    EXPECT_FALSE(palette.Save("refused.tga", KXIMAGE_FORMAT_TGA));
    EXPECT_FALSE(std::ifstream("refused.tga").good());
}

TEST(KxImageFiles, UnknownFileKeepsTheErrorOfTheGivenType) {
    WriteFile("garbage.bin", std::vector<uint8_t>(300, 0x55));
    KxImage image;
    EXPECT_FALSE(image.Load("garbage.bin", KXIMAGE_FORMAT_JPG));
    KxImage jpeg;
    EXPECT_FALSE(jpeg.Load("garbage.bin", KXIMAGE_FORMAT_JPG));
    KxImageJPG direct;
    KxIOFile file;
    ASSERT_TRUE(file.Open("garbage.bin", "rb"));
    EXPECT_FALSE(direct.Decode(&file));
    EXPECT_STREQ(image.GetLastError(), direct.GetLastError());
    KxImage detect;
    EXPECT_FALSE(detect.Load("garbage.bin", KXIMAGE_FORMAT_UNKNOWN));
    EXPECT_STREQ(detect.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(detect.Load("does-not-exist.png", KXIMAGE_FORMAT_PNG));
}

TEST(KxImageFiles, DetectionRewindsBetweenTries) {
    // A stream that does not start at offset 0: every decoder sees the same start.
    KxImage image = MakePattern(8);
    std::vector<uint8_t> bytes = EncodeOrFail(image, KXIMAGE_FORMAT_PCX);
    std::vector<uint8_t> shifted(7, 0xAB);
    shifted.insert(shifted.end(), bytes.begin(), bytes.end());
    KxMemFile file(shifted.data(), shifted.size());
    file.Seek(7, SEEK_SET);
    KxImage decoded;
    ASSERT_TRUE(decoded.Decode(&file, KXIMAGE_FORMAT_UNKNOWN)) << decoded.GetLastError();
    EXPECT_EQ(decoded.GetType(), KXIMAGE_FORMAT_PCX);
    ExpectSamePixels(image, decoded, "shifted pcx");
}

TEST(KxImageDecodeErrors, LoadTextsPerFormat) {
    const std::vector<uint8_t> junk(64, 0x11);
    struct Case {
        uint32_t type;
        const char* error;
    } cases[] = {{KXIMAGE_FORMAT_BMP, "Not a BMP"},
                 {KXIMAGE_FORMAT_PNG, "Not a PNG file"},
                 {KXIMAGE_FORMAT_TGA, "Not a TGA"},
                 {KXIMAGE_FORMAT_PCX, "Error: Not a PCX file"},
                 {KXIMAGE_FORMAT_WBMP, "Not a WBMP"}};
    for (const Case& c : cases) {
        KxImage image;
        EXPECT_FALSE(image.Decode(junk.data(), junk.size(), c.type));
        EXPECT_STREQ(image.GetLastError(), c.error) << c.type;
    }
    KxImage image;
    EXPECT_FALSE(image.Decode(static_cast<KxFile*>(nullptr), KXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
    // A JPEG stream with tables but no frame.
    const std::vector<uint8_t> tablesOnly = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_FALSE(image.Decode(tablesOnly.data(), tablesOnly.size(), KXIMAGE_FORMAT_JPG));
    EXPECT_STREQ(image.GetLastError(), "No image in jpeg!\n");
}

TEST(KxImageDecodeErrors, HugeHeadersAreRefusedNotAllocated) {
    // BMP claiming 100000 x 100000 x 24.
    KxImage small = MakePattern(24, 4, 4);
    std::vector<uint8_t> bmp = EncodeOrFail(small, KXIMAGE_FORMAT_BMP);
    const int32_t huge = 100000;
    std::memcpy(bmp.data() + 18, &huge, 4);
    std::memcpy(bmp.data() + 22, &huge, 4);
    KxImage image;
    EXPECT_FALSE(image.Decode(bmp.data(), bmp.size(), KXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "KXIMAGE_MAX_MEMORY exceeded");

    // PNM, TGA and Sun raster with impossible sizes.
    const std::string pnm = "P6\n100000 100000\n255\n";
    EXPECT_FALSE(
        image.Decode(reinterpret_cast<const uint8_t*>(pnm.data()), pnm.size(), KXIMAGE_FORMAT_PNM));
    EXPECT_STREQ(image.GetLastError(), "KXIMAGE_MAX_MEMORY exceeded");
    std::vector<uint8_t> tga = EncodeOrFail(small, KXIMAGE_FORMAT_TGA);
    tga[12] = tga[13] = tga[14] = tga[15] = 0xFF;
    EXPECT_FALSE(image.Decode(tga.data(), tga.size(), KXIMAGE_FORMAT_TGA));
    std::vector<uint8_t> png = EncodeOrFail(small, KXIMAGE_FORMAT_PNG);
    EXPECT_TRUE(image.Decode(png.data(), png.size(), KXIMAGE_FORMAT_PNG));

    // A 1 x 1 GIF whose frame claims 65535 x 65535: only the visible pixel matters.
    const std::vector<uint8_t> gif = {'G',  'I', 'F',  '8',  '9', 'a',  1,    0,    1,    0,
                                      0x80, 0,   0,    0,    0,   0,    255,  255,  255,  // black,
                                                                                          // white
                                      0x2C, 0,   0,    0,    0,   0xFF, 0xFF, 0xFF, 0xFF, 0,
                                      2,    2,   0x4C, 0x01, 0,  // clear, 1, end
                                      0x3B};
    ASSERT_TRUE(image.Decode(gif.data(), gif.size(), KXIMAGE_FORMAT_GIF)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 1u);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 255);
}

TEST(KxImageDecodeErrors, TruncatedFilesFailCleanly) {
    for (uint32_t type :
         {KXIMAGE_FORMAT_BMP, KXIMAGE_FORMAT_GIF, KXIMAGE_FORMAT_PNG, KXIMAGE_FORMAT_TIF,
          KXIMAGE_FORMAT_TGA, KXIMAGE_FORMAT_PCX, KXIMAGE_FORMAT_ICO, KXIMAGE_FORMAT_PNM,
          KXIMAGE_FORMAT_RAS, KXIMAGE_FORMAT_JP2, KXIMAGE_FORMAT_JPG, KXIMAGE_FORMAT_WBMP}) {
        KxImage image = MakePattern(type == KXIMAGE_FORMAT_WBMP ? 1 : 24, 40, 30);
        const std::vector<uint8_t> bytes = EncodeOrFail(image, type);
        for (size_t cut : {size_t{3}, bytes.size() / 3, bytes.size() - 5}) {
            KxImage decoded;
            const bool ok = decoded.Decode(bytes.data(), cut, type);
            if (!ok) {
                EXPECT_STRNE(decoded.GetLastError(), "") << type << " cut " << cut;
            }
        }
    }
}

TEST(KxImageDecode, EscapeCancelsDecoding) {
    KxImage source = MakeSmooth(256, 256);
    const std::vector<uint8_t> bytes = EncodeOrFail(source, KXIMAGE_FORMAT_JPG);
    KxImage image;
    image.SetEscape(1);
    EXPECT_FALSE(image.Decode(bytes.data(), bytes.size(), KXIMAGE_FORMAT_JPG));
    EXPECT_STREQ(image.GetLastError(), "Cancelled");
    EXPECT_FALSE(image.IsValid());
}

TEST(KxImageDecode, ProgressReachesTheCaller) {
    KxImage source = MakeSmooth(64, 600);
    const std::vector<uint8_t> bytes = EncodeOrFail(source, KXIMAGE_FORMAT_BMP);
    KxImage image;
    ASSERT_TRUE(image.Decode(bytes.data(), bytes.size(), KXIMAGE_FORMAT_BMP));
    KxImage png;
    const std::vector<uint8_t> pngBytes = EncodeOrFail(source, KXIMAGE_FORMAT_PNG);
    ASSERT_TRUE(png.Decode(pngBytes.data(), pngBytes.size(), KXIMAGE_FORMAT_PNG));
    EXPECT_GT(png.GetProgress(), 0);
}

// --- BMP variants we do not write ourselves --------------------------------------------

std::vector<uint8_t> BmpHeader(int32_t w, int32_t h, uint16_t bpp, uint32_t compression,
                               uint32_t colors, uint32_t dataSize) {
    std::vector<uint8_t> out = {'B', 'M'};
    const uint32_t offset = 14 + 40 + colors * 4;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    put32(offset + dataSize);
    put32(0);
    put32(offset);
    put32(40);
    put32(static_cast<uint32_t>(w));
    put32(static_cast<uint32_t>(h));
    put16(1);
    put16(bpp);
    put32(compression);
    put32(dataSize);
    put32(2835);
    put32(2835);
    put32(colors);
    put32(0);
    return out;
}

TEST(KxImageBmp, Rle8AndRle4Decode) {
    std::vector<uint8_t> bmp = BmpHeader(4, 2, 8, 1, 4, 0);
    for (int i = 0; i < 4; ++i)
        bmp.insert(bmp.end(), {static_cast<uint8_t>(i * 60), 0, 0, 0});
    // Row 0: run of 3 x index 2, then absolute 1 pixel... ; row 1: delta then run.
    bmp.insert(bmp.end(), {3, 2, 0, 3, 1, 3, 0, 0, 0, 0, 0, 2, 1, 0, 3, 1, 0, 1});
    KxImage image;
    ASSERT_TRUE(image.Decode(bmp.data(), bmp.size(), KXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(image.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(image.GetPixelIndex(2, 0), 2);
    EXPECT_EQ(image.GetPixelIndex(3, 0), 1);
    EXPECT_EQ(image.GetPixelIndex(0, 1), 0);  // skipped by the delta
    EXPECT_EQ(image.GetPixelIndex(1, 1), 1);
    EXPECT_EQ(image.GetPixelIndex(3, 1), 1);

    std::vector<uint8_t> rle4 = BmpHeader(5, 1, 4, 2, 16, 0);
    for (int i = 0; i < 16; ++i)
        rle4.insert(rle4.end(), {static_cast<uint8_t>(i * 16), 0, 0, 0});
    rle4.insert(rle4.end(), {5, 0x12, 0, 1});
    ASSERT_TRUE(image.Decode(rle4.data(), rle4.size(), KXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(image.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 2);
    EXPECT_EQ(image.GetPixelIndex(4, 0), 1);

    // Runs that overshoot the picture are clipped, never written outside.
    std::vector<uint8_t> wild = BmpHeader(2, 2, 8, 1, 2, 0);
    wild.insert(wild.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    wild.insert(wild.end(), {255, 1, 0, 2, 200, 200, 255, 1, 0, 1});
    EXPECT_TRUE(image.Decode(wild.data(), wild.size(), KXIMAGE_FORMAT_BMP));
}

TEST(KxImageBmp, SixteenBitTopDownAndBitFields) {
    // 2x2, 16-bit 5-5-5, top-down: first stored row is the top one.
    std::vector<uint8_t> bmp = BmpHeader(2, -2, 16, 0, 0, 8);
    const uint16_t top[2] = {0x7C00, 0x03E0};     // red, green
    const uint16_t bottom[2] = {0x001F, 0x7FFF};  // blue, white
    for (uint16_t v : top)
        bmp.insert(bmp.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
    for (uint16_t v : bottom)
        bmp.insert(bmp.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
    KxImage image;
    ASSERT_TRUE(image.Decode(bmp.data(), bmp.size(), KXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.GetPixelColor(0, 1).rgbRed, 255);
    EXPECT_EQ(image.GetPixelColor(1, 1).rgbGreen, 255);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbBlue, 255);
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbRed, 255);
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbBlue, 255);
}

// --- EXIF -------------------------------------------------------------------------------

// Builds an APP1 EXIF block in Intel byte order with the given IFD0 and EXIF-IFD entries.
class ExifBuilder {
public:
    struct Entry {
        uint16_t tag, format;
        uint32_t count;
        std::vector<uint8_t> value;
    };

    static Entry Ascii(uint16_t tag, const std::string& text) {
        std::vector<uint8_t> v(text.begin(), text.end());
        v.push_back(0);
        return {tag, 2, static_cast<uint32_t>(v.size()), v};
    }
    static Entry Short(uint16_t tag, uint16_t value) {
        return {tag, 3, 1, {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), 0, 0}};
    }
    static Entry Long(uint16_t tag, uint32_t value) {
        std::vector<uint8_t> v(4);
        std::memcpy(v.data(), &value, 4);
        return {tag, 4, 1, v};
    }
    static Entry Rational(uint16_t tag, uint32_t num, uint32_t den, uint16_t format = 5) {
        std::vector<uint8_t> v(8);
        std::memcpy(v.data(), &num, 4);
        std::memcpy(v.data() + 4, &den, 4);
        return {tag, format, 1, v};
    }
    static Entry Undefined(uint16_t tag, const std::vector<uint8_t>& bytes) {
        return {tag, 7, static_cast<uint32_t>(bytes.size()), bytes};
    }

    // Returns the APP1 segment (marker, length, payload).
    static std::vector<uint8_t> Build(std::vector<Entry> ifd0, const std::vector<Entry>& exif) {
        std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
        const uint32_t ifd0Size = 2 + 12 * static_cast<uint32_t>(ifd0.size() + 1) + 4;
        const uint32_t exifOffset = 8 + ifd0Size;
        ifd0.push_back(Long(0x8769, exifOffset));
        const uint32_t exifSize = 2 + 12 * static_cast<uint32_t>(exif.size()) + 4;
        uint32_t dataOffset = exifOffset + exifSize;
        std::vector<uint8_t> data;
        auto writeIfd = [&](const std::vector<Entry>& entries) {
            put16(tiff, static_cast<uint16_t>(entries.size()));
            for (const Entry& e : entries) {
                put16(tiff, e.tag);
                put16(tiff, e.format);
                put32(tiff, e.count);
                if (e.value.size() <= 4) {
                    std::vector<uint8_t> v = e.value;
                    v.resize(4, 0);
                    tiff.insert(tiff.end(), v.begin(), v.end());
                } else {
                    put32(tiff, dataOffset + static_cast<uint32_t>(data.size()));
                    data.insert(data.end(), e.value.begin(), e.value.end());
                }
            }
            put32(tiff, 0);
        };
        // Values of both directories go after the second one.
        writeIfd(ifd0);
        writeIfd(exif);
        tiff.insert(tiff.end(), data.begin(), data.end());
        std::vector<uint8_t> payload = {'E', 'x', 'i', 'f', 0, 0};
        payload.insert(payload.end(), tiff.begin(), tiff.end());
        std::vector<uint8_t> segment = {0xFF, 0xE1};
        put16be(segment, static_cast<uint16_t>(payload.size() + 2));
        segment.insert(segment.end(), payload.begin(), payload.end());
        return segment;
    }

private:
    static void put16(std::vector<uint8_t>& out, uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    }
    static void put16be(std::vector<uint8_t>& out, uint16_t v) {
        out.push_back(static_cast<uint8_t>(v >> 8));
        out.push_back(static_cast<uint8_t>(v));
    }
    static void put32(std::vector<uint8_t>& out, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
};

std::vector<uint8_t> JpegWithSegment(const std::vector<uint8_t>& segment) {
    KxImage image = MakeSmooth(32, 24);
    std::vector<uint8_t> jpeg = EncodeOrFail(image, KXIMAGE_FORMAT_JPG);
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}

TEST(KxImageExif, ReadsTheFieldsOfAKnownBlock) {
    using B = ExifBuilder;
    std::vector<uint8_t> comment = {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'e', 'l', 'l', 'o'};
    const std::vector<uint8_t> app1 =
        B::Build({B::Ascii(0x010F, "Brenic"), B::Ascii(0x0110, "KX-5000"),
                  B::Ascii(0x0132, "2026:12:08 01:02:03"), B::Rational(0x011A, 300, 1),
                  B::Rational(0x011B, 300, 1), B::Short(0x0128, 2), B::Short(0x0112, 6)},
                 {B::Undefined(0x9000, {'0', '2', '3', '0'}), B::Rational(0x829A, 1, 250),
                  B::Rational(0x829D, 28, 10), B::Short(0x8827, 400), B::Short(0x9209, 1),
                  B::Rational(0x920A, 50, 1), B::Rational(0x9204, static_cast<uint32_t>(-1), 3, 10),
                  B::Rational(0x9203, 5, 2, 10), B::Rational(0x9206, 3, 2), B::Short(0x9207, 5),
                  B::Short(0x8822, 2), B::Short(0xA403, 1), B::Rational(0x9102, 4, 1),
                  B::Long(0xA002, 4000), B::Rational(0xA20E, 4000, 10), B::Short(0xA210, 4),
                  B::Ascii(0x9003, "2026:12:07 23:59:58"), B::Undefined(0x9286, comment)});
    const std::vector<uint8_t> jpeg = JpegWithSegment(app1);

    KxImageJPG reader;
    KxMemFile file(jpeg.data(), jpeg.size());
    ASSERT_TRUE(reader.DecodeExif(&file)) << reader.GetLastError();
    const tag_ExifInfo& e = reader.GetExifInfo();
    EXPECT_TRUE(e.IsExif);
    EXPECT_EQ(e.CameraMake, "Brenic");
    EXPECT_EQ(e.CameraModel, "KX-5000");
    EXPECT_EQ(e.DateTime, "2026:12:07 23:59:58");  // the original's time wins
    EXPECT_EQ(e.Version, "0230");
    EXPECT_FLOAT_EQ(e.Xresolution, 300);
    EXPECT_FLOAT_EQ(e.Yresolution, 300);
    EXPECT_FLOAT_EQ(e.ResolutionUnit, 2);
    EXPECT_EQ(e.Orientation, 6);
    EXPECT_EQ(e.FlashUsed, 1);
    EXPECT_FLOAT_EQ(e.FocalLength, 50);
    EXPECT_FLOAT_EQ(e.ExposureTime, 1.0f / 250);
    EXPECT_FLOAT_EQ(e.ApertureFNumber, 2.8f);
    EXPECT_FLOAT_EQ(e.Distance, 1.5f);
    EXPECT_EQ(e.ISOequivalent, 400);
    EXPECT_NEAR(e.ExposureBias, -1.0f / 3, 1e-6);
    EXPECT_FLOAT_EQ(e.Brightness, 2.5f);
    EXPECT_EQ(e.Whitebalance, 1);
    EXPECT_EQ(e.MeteringMode, 5);
    EXPECT_EQ(e.ExposureProgram, 2);
    EXPECT_EQ(e.CompressionLevel, 4);
    EXPECT_FLOAT_EQ(e.CCDWidth, 10.0f);  // 4000 px at 400 px/mm
    EXPECT_EQ(e.Comments, "hello");
    EXPECT_EQ(e.Process, 0xC0);
    EXPECT_EQ(e.Width, 32);
    EXPECT_EQ(e.Height, 24);
    EXPECT_TRUE(e.IsColor);

    // A full decode reads the same block and keeps the picture intact.
    KxImageJPG full;
    KxMemFile again(jpeg.data(), jpeg.size());
    ASSERT_TRUE(full.Decode(&again)) << full.GetLastError();
    EXPECT_EQ(full.GetExifInfo().CameraModel, "KX-5000");
    EXPECT_EQ(full.GetWidth(), 32u);
}

TEST(KxImageExif, MalformedBlocksNeverReadOutside) {
    using B = ExifBuilder;
    const std::vector<uint8_t> good =
        B::Build({B::Ascii(0x010F, "Brenic"), B::Ascii(0x0110, "A long model name")},
                 {B::Rational(0x829A, 1, 60)});
    // Cut the block at every length and corrupt every byte in turn: the reader must fail
    // or succeed, never crash (the address sanitizer build checks the reads).
    const std::vector<uint8_t> payload(good.begin() + 4, good.end());
    for (size_t n = 0; n <= payload.size(); ++n) {
        tag_ExifInfo info;
        KxImageJPG::KxExifInfo reader(&info);
        reader.ProcessExif(payload.data(), n);
    }
    for (size_t i = 6; i < payload.size(); ++i) {
        std::vector<uint8_t> broken = payload;
        broken[i] ^= 0xFF;
        tag_ExifInfo info;
        KxImageJPG::KxExifInfo reader(&info);
        reader.ProcessExif(broken.data(), broken.size());
    }
    // A directory that points at itself ends.
    std::vector<uint8_t> loop = {'E',  'x',  'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
                                 0x69, 0x87, 4,   0,   1, 0, 0,   0,   8,  0, 0, 0, 0, 0, 0, 0};
    tag_ExifInfo info;
    KxImageJPG::KxExifInfo reader(&info);
    EXPECT_TRUE(reader.ProcessExif(loop.data(), loop.size()));

    KxImageJPG noExif;
    KxImage plain = MakeSmooth(8, 8);
    const std::vector<uint8_t> jpeg = EncodeOrFail(plain, KXIMAGE_FORMAT_JPG);
    KxMemFile file(jpeg.data(), jpeg.size());
    EXPECT_FALSE(noExif.DecodeExif(&file));
}

}  // namespace
