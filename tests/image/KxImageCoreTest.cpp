#include <gtest/gtest.h>

#include <cstring>

#include "image/KxImage.h"

namespace {

constexpr char kSizeError[] = "KxImage::Create : width and height must be greater than zero";

TEST(KxImageConstruction, DefaultsOfAnEmptyImage) {
    KxImage image(KXIMAGE_FORMAT_PNG);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.GetType(), KXIMAGE_FORMAT_PNG);
    EXPECT_EQ(image.GetTransIndex(), -1);
    EXPECT_EQ(image.GetJpegQuality(), 90);
    EXPECT_EQ(image.GetXDPI(), 96);
    EXPECT_EQ(image.GetYDPI(), 96);
    EXPECT_EQ(image.AlphaGetMax(), 255);
    EXPECT_EQ(image.GetProgress(), 0);
    EXPECT_EQ(image.GetEscape(), 0);
    EXPECT_EQ(image.GetNumFrames(), 0);
    EXPECT_STREQ(image.GetLastError(), "");
    EXPECT_EQ(image.GetBits(0), nullptr);
    EXPECT_FALSE(image.SelectionIsValid());
    EXPECT_FALSE(image.AlphaIsValid());
}

TEST(KxImageCreate, ZeroSizeIsRefusedAndLeavesTheImageEmpty) {
    KxImage image;
    EXPECT_EQ(image.Create(0, 10, 24, KXIMAGE_FORMAT_BMP), nullptr);
    EXPECT_STREQ(image.GetLastError(), kSizeError);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.Create(10, 0, 8), nullptr);
    EXPECT_STREQ(image.GetLastError(), kSizeError);
}

// Callers size their loops by the header: an empty picture must report no pixels.
TEST(KxImageDestroy, EmptyPictureReportsNoSize) {
    KxImage image(40, 30, 24);
    image.AlphaCreate();
    ASSERT_TRUE(image.Destroy());
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.GetWidth(), 0u);
    EXPECT_EQ(image.GetHeight(), 0u);
    EXPECT_EQ(image.GetBpp(), 0);
    EXPECT_EQ(image.GetEffWidth(), 0u);
    EXPECT_EQ(image.GetNumColors(), 0u);
    EXPECT_EQ(image.GetSize(), 0u);
    EXPECT_FALSE(image.AlphaIsValid());

    KxImage refused(16, 8, 8);
    EXPECT_EQ(refused.Create(0, 8, 8), nullptr);
    EXPECT_EQ(refused.GetWidth(), 0u);
    EXPECT_EQ(refused.GetHeight(), 0u);
    EXPECT_EQ(refused.GetBpp(), 0);
    EXPECT_EQ(refused.GetNumColors(), 0u);
    EXPECT_EQ(refused.GetBits(0), nullptr);

    KxImage tooLarge(16, 8, 24);
    EXPECT_EQ(tooLarge.Create(100000, 100000, 24), nullptr);
    EXPECT_STREQ(tooLarge.GetLastError(), "KXIMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(tooLarge.GetWidth(), 0u);
    EXPECT_EQ(tooLarge.GetBpp(), 0);

    // A ghost keeps its borrowed picture: its Destroy is refused.
    KxImage owner(4, 4, 8);
    KxImage ghost;
    ASSERT_TRUE(ghost.Ghost(&owner));
    EXPECT_FALSE(ghost.Destroy());
    EXPECT_EQ(ghost.GetWidth(), 4u);
}

TEST(KxImageCreate, RoundsBitDepthAndSizesThePalette) {
    struct Case {
        uint32_t requested, bpp, colors;
    } cases[] = {{0, 1, 2},   {1, 1, 2},  {2, 4, 16},  {4, 4, 16}, {5, 8, 256},
                 {8, 8, 256}, {9, 24, 0}, {24, 24, 0}, {32, 24, 0}};
    for (const Case& c : cases) {
        KxImage image;
        ASSERT_NE(image.Create(7, 3, c.requested, KXIMAGE_FORMAT_TIF), nullptr) << c.requested;
        EXPECT_EQ(image.GetBpp(), c.bpp) << c.requested;
        EXPECT_EQ(image.GetNumColors(), c.colors) << c.requested;
        EXPECT_EQ(image.GetType(), KXIMAGE_FORMAT_TIF);
        EXPECT_EQ(image.GetEffWidth(), ((7 * c.bpp + 31) / 32) * 4);
        EXPECT_EQ(image.GetHeader().biSizeImage, image.GetEffWidth() * 3);
        EXPECT_EQ(image.GetSize(), 40 + c.colors * 4 + image.GetEffWidth() * 3);
        EXPECT_EQ(image.GetHeader().biSize, 40u);
        EXPECT_EQ(image.GetHeader().biPlanes, 1);
        EXPECT_EQ(image.GetHeader().biCompression, 0u);
        EXPECT_EQ(image.GetHeader().biClrImportant, 0u);
    }
}

TEST(KxImageCreate, NarrowOneBitImageHasAFourByteStride) {
    KxImage image(1, 5, 1);
    EXPECT_EQ(image.GetEffWidth(), 4u);
}

TEST(KxImageCreate, BlockHoldsHeaderZeroPaletteAndBlackPixels) {
    KxImage image(5, 4, 8);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image.GetDIB());
    EXPECT_EQ(header->biWidth, 5);
    EXPECT_EQ(header->biHeight, 4);
    EXPECT_EQ(image.GetPaletteColor(200).rgbRed, 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(image.GetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y)), 0);
    EXPECT_EQ(image.GetBits(0), image.GetDIB() + 40 + 256 * 4);
    EXPECT_EQ(image.GetBits(3), image.GetBits(0) + 3 * image.GetEffWidth());
    EXPECT_EQ(image.GetBits(4), nullptr);
}

TEST(KxImageCreate, ForOverwriteClearsPaletteAndRowPadding) {
    // Whatever the allocator hands back, only the pixel bytes may be left unset.
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        KxImage image;
        ASSERT_NE(image.CreateForOverwrite(13, 6, bpp), nullptr);
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image.GetDIB());
        EXPECT_EQ(header->biBitCount, bpp);
        EXPECT_EQ(header->biSizeImage, image.GetEffWidth() * 6);
        for (uint32_t i = 0; i < image.GetNumColors(); ++i)
            EXPECT_EQ(image.GetPaletteColor(static_cast<uint8_t>(i)).rgbGreen, 0);
        const uint32_t fullBytes = 13 * bpp / 8;
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t b = fullBytes; b < image.GetEffWidth(); ++b)
                EXPECT_EQ(image.GetBits(y)[b], 0) << bpp << " " << y << " " << b;
    }
    KxImage refused;
    EXPECT_EQ(refused.CreateForOverwrite(100000, 100000, 24), nullptr);
    EXPECT_STREQ(refused.GetLastError(), "KXIMAGE_MAX_MEMORY exceeded");
}

TEST(KxImageCreate, MemoryLimitIsCheckedBeforeAllocating) {
    KxImage image;
    EXPECT_EQ(image.Create(100000, 100000, 24), nullptr);
    EXPECT_STREQ(image.GetLastError(), "KXIMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(image.Create(0xFFFFFFFFu, 0xFFFFFFFFu, 24), nullptr);
    EXPECT_STREQ(image.GetLastError(), "KXIMAGE_MAX_MEMORY exceeded");
    EXPECT_FALSE(image.IsValid());
    // Just inside the limit at 1 bpp is fine.
    EXPECT_NE(image.Create(40000, 40000, 1), nullptr);
}

TEST(KxImageCreate, DeletesSelectionAndAlpha) {
    KxImage image(4, 4, 24);
    ASSERT_TRUE(image.AlphaCreate());
    ASSERT_TRUE(image.SelectionCreate());
    image.Create(3, 3, 8);
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_FALSE(image.SelectionIsValid());
}

TEST(KxImageCopy, CopiesPixelsPaletteInfoAndPlanes) {
    KxImage source(6, 5, 8, KXIMAGE_FORMAT_GIF);
    source.SetGrayPalette();
    source.SetPixelIndex(2, 3, 77);
    source.SetXDPI(300);
    source.SetJpegQuality(55);
    source.SetTransIndex(4);
    ASSERT_TRUE(source.AlphaCreate());
    source.AlphaSet(1, 1, 9);
    ASSERT_TRUE(source.SelectionCreate());

    KxImage copy(source);
    EXPECT_EQ(copy.GetType(), KXIMAGE_FORMAT_GIF);
    EXPECT_EQ(copy.GetPixelIndex(2, 3), 77);
    EXPECT_EQ(copy.GetXDPI(), 300);
    EXPECT_EQ(copy.GetJpegQuality(), 55);
    EXPECT_EQ(copy.GetTransIndex(), 4);
    EXPECT_EQ(copy.AlphaGet(1, 1), 9);
    EXPECT_TRUE(copy.SelectionIsValid());
    EXPECT_NE(copy.GetDIB(), source.GetDIB());

    KxImage assigned;
    assigned = source;
    EXPECT_EQ(assigned.GetPixelIndex(2, 3), 77);
    EXPECT_TRUE(assigned.AlphaIsValid());
}

TEST(KxImageCopy, WithoutPixelsStillCopiesPaletteAndInfo) {
    KxImage source(6, 5, 8, KXIMAGE_FORMAT_PNG);
    source.SetPaletteColor(10, 1, 2, 3);
    source.SetPixelIndex(0, 0, 10);
    source.SetYDPI(150);
    source.SetTransIndex(10);
    source.SetJpegQuality(40);
    KxImage copy;
    copy.Copy(source, false, false, false);
    EXPECT_EQ(copy.GetType(), KXIMAGE_FORMAT_PNG);
    EXPECT_EQ(copy.GetPaletteColor(10).rgbBlue, 3);
    EXPECT_EQ(copy.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(copy.GetYDPI(), 150);
    EXPECT_EQ(copy.GetTransIndex(), 10);
    EXPECT_EQ(copy.GetJpegQuality(), 40);
    EXPECT_FALSE(copy.AlphaIsValid());
}

TEST(KxImageCopy, CopyInfoOnlyIntoAnEmptyImage) {
    KxImage source(KXIMAGE_FORMAT_JPG);
    source.SetJpegQuality(12);
    KxImage empty;
    empty.CopyInfo(source);
    EXPECT_EQ(empty.GetJpegQuality(), 12);
    EXPECT_EQ(empty.GetType(), KXIMAGE_FORMAT_JPG);
    KxImage full(2, 2, 24);
    full.CopyInfo(source);
    EXPECT_EQ(full.GetJpegQuality(), 90);
}

TEST(KxImageTransfer, MovesEverythingAndEmptiesTheSource) {
    KxImage source(4, 3, 24, KXIMAGE_FORMAT_TGA);
    source.SetPixelColor(1, 2, KxRGB(10, 20, 30));
    ASSERT_TRUE(source.AlphaCreate());
    ASSERT_TRUE(source.SelectionCreate());
    source.AlphaSet(3, 2, 17);
    const uint8_t* dib = source.GetDIB();

    KxImage target(9, 9, 8);
    ASSERT_TRUE(target.Transfer(source));
    EXPECT_FALSE(source.IsValid());
    EXPECT_FALSE(source.AlphaIsValid());
    EXPECT_FALSE(source.SelectionIsValid());
    EXPECT_EQ(target.GetDIB(), dib);
    EXPECT_EQ(target.GetWidth(), 4u);
    EXPECT_EQ(target.GetType(), KXIMAGE_FORMAT_TGA);
    EXPECT_EQ(target.GetPixelColor(1, 2).rgbGreen, 20);
    EXPECT_TRUE(target.AlphaIsValid());
    EXPECT_TRUE(target.SelectionIsValid());
    EXPECT_EQ(target.AlphaGet(3, 2), 17);
}

TEST(KxImageGhost, SharesBuffersAndRefusesDestroy) {
    KxImage owner(4, 4, 24);
    owner.SetPixelColor(0, 0, KxRGB(1, 2, 3));
    {
        KxImage ghost;
        ASSERT_TRUE(ghost.Ghost(&owner));
        EXPECT_TRUE(ghost.IsGhost());
        EXPECT_EQ(ghost.GetDIB(), owner.GetDIB());
        EXPECT_FALSE(ghost.Destroy());
        EXPECT_TRUE(ghost.IsValid());
        EXPECT_EQ(ghost.Create(2, 2, 8), nullptr);
    }
    // The ghost going away leaves the owner's buffers intact.
    EXPECT_TRUE(owner.IsValid());
    EXPECT_EQ(owner.GetPixelColor(0, 0).rgbRed, 1);
    EXPECT_TRUE(owner.Destroy());
    EXPECT_FALSE(owner.IsValid());
}

TEST(KxImageClear, FillRulesPerDepth) {
    KxImage one(9, 2, 1);
    one.Clear(3);
    EXPECT_EQ(one.GetBits(0)[0], 255);
    KxImage four(3, 2, 4);
    four.Clear(0x1A);
    EXPECT_EQ(four.GetBits(1)[0], 0xAA);
    EXPECT_EQ(four.GetPixelIndex(2, 1), 0x0A);
    KxImage eight(3, 2, 8);
    eight.Clear(7);
    EXPECT_EQ(eight.GetPixelIndex(2, 1), 7);
}

TEST(KxImageSetters, DpiBelowOneBecomes96) {
    KxImage image(2, 2, 24);
    image.SetXDPI(0);
    EXPECT_EQ(image.GetXDPI(), 96);
    EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 3780);
    image.SetYDPI(-5);
    EXPECT_EQ(image.GetYDPI(), 96);
    EXPECT_EQ(image.GetHeader().biYPelsPerMeter, 3780);
    image.SetXDPI(300);
    EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 11811);
    EXPECT_EQ(reinterpret_cast<const BITMAPINFOHEADER*>(image.GetDIB())->biXPelsPerMeter, 11811);
}

TEST(KxImageSetters, TransColorClearsTheFourthByte) {
    KxImage image(2, 2, 24);
    image.SetTransColor(RGBQUAD{1, 2, 3, 200});
    const RGBQUAD c = image.GetTransColor();
    EXPECT_EQ(c.rgbBlue, 1);
    EXPECT_EQ(c.rgbGreen, 2);
    EXPECT_EQ(c.rgbRed, 3);
    EXPECT_EQ(c.rgbReserved, 0);
}

TEST(KxImageSetters, CodecOptionsPerType) {
    KxImage image(KXIMAGE_FORMAT_TIF);
    EXPECT_TRUE(image.SetCodecOption(5));  // type 0: the image's own type
    EXPECT_EQ(image.GetCodecOption(KXIMAGE_FORMAT_TIF), 5u);
    EXPECT_EQ(image.GetCodecOption(), 5u);
    EXPECT_TRUE(image.SetCodecOption(16, KXIMAGE_FORMAT_JPG));
    EXPECT_EQ(image.GetCodecOption(KXIMAGE_FORMAT_JPG), 16u);
    EXPECT_FALSE(image.SetCodecOption(1, 16));
    EXPECT_EQ(image.GetCodecOption(16), 0u);
    EXPECT_EQ(image.GetCodecOption(1000), 0u);
}

TEST(KxImageSetters, JpegQualityIsClamped) {
    KxImage image;
    image.SetJpegQuality(250);
    EXPECT_EQ(image.GetJpegQuality(), 100);
}

TEST(KxImagePixels, IndexOutsideGivesTransparentIndexOrFirstByte) {
    KxImage image(4, 4, 8);
    image.SetPixelIndex(0, 0, 9);
    image.SetPixelIndex(3, 3, 5);
    EXPECT_EQ(image.GetPixelIndex(-1, 0), 9);  // first pixel byte
    image.SetTransIndex(42);
    EXPECT_EQ(image.GetPixelIndex(-1, 0), 42);
    EXPECT_EQ(image.GetPixelIndex(4, 4), 42);
    EXPECT_EQ(image.GetPixelIndex(3, 3), 5);
}

TEST(KxImagePixels, IndexedDepthsStoreEveryPixelIndependently) {
    for (uint32_t bpp : {1u, 4u, 8u}) {
        KxImage image(13, 3, bpp);
        const int max = (1 << bpp) - 1;
        for (int32_t x = 0; x < 13; ++x)
            image.SetPixelIndex(x, 1, static_cast<uint8_t>((x * 7) & max));
        for (int32_t x = 0; x < 13; ++x) {
            EXPECT_EQ(image.GetPixelIndex(x, 1), (x * 7) & max) << bpp << " " << x;
            EXPECT_EQ(image.GetPixelIndex(x, 0), 0);
        }
    }
}

TEST(KxImagePixels, ColorsThroughPaletteAndTrueColor) {
    KxImage rgb(3, 3, 24);
    rgb.SetPixelColor(1, 2, KxRGB(200, 100, 50, 77), true);
    RGBQUAD c = rgb.GetPixelColor(1, 2);
    EXPECT_EQ(c.rgbRed, 200);
    EXPECT_EQ(c.rgbGreen, 100);
    EXPECT_EQ(c.rgbBlue, 50);
    EXPECT_EQ(c.rgbReserved, 0);  // no alpha plane
    ASSERT_TRUE(rgb.AlphaCreate());
    rgb.SetPixelColor(1, 2, KxRGB(200, 100, 50, 77), true);
    EXPECT_EQ(rgb.GetPixelColor(1, 2).rgbReserved, 77);
    EXPECT_EQ(rgb.GetPixelColor(1, 2, false).rgbReserved, 0);

    KxImage indexed(3, 3, 4);
    indexed.SetPaletteColor(3, 255, 0, 0);
    indexed.SetPaletteColor(5, 0, 0, 255);
    indexed.SetPixelColor(0, 0, KxRGB(250, 10, 0));  // nearest entry: red
    EXPECT_EQ(indexed.GetPixelIndex(0, 0), 3);
    indexed.SetPixelColor(1, 0, KxRGB(0, 0, 240));
    EXPECT_EQ(indexed.GetPixelIndex(1, 0), 5);
    EXPECT_EQ(indexed.GetPixelColor(1, 0).rgbBlue, 255);
}

TEST(KxImagePixels, OutsideAndInsideChecks) {
    KxImage image(4, 2, 24);
    EXPECT_TRUE(image.IsInside(0, 0));
    EXPECT_TRUE(image.IsInside(3, 1));
    EXPECT_FALSE(image.IsInside(4, 0));
    EXPECT_FALSE(image.IsInside(0, 2));
    EXPECT_FALSE(image.IsInside(-1, 0));
    KxImage empty;
    EXPECT_FALSE(empty.IsInside(0, 0));
}

TEST(KxImagePixels, InterpolationAndOverflow) {
    KxImage image(2, 1, 24);
    image.SetPixelColor(0, 0, KxRGB(0, 0, 0));
    image.SetPixelColor(1, 0, KxRGB(200, 100, 50));
    RGBQUAD mid = image.GetPixelColorInterpolated(0.5f, 0.0f, IM_BILINEAR, OM_REPEAT);
    EXPECT_EQ(mid.rgbRed, 100);
    EXPECT_EQ(mid.rgbGreen, 50);
    EXPECT_EQ(image.GetPixelColorInterpolated(0.6f, 0.0f, IM_NEAREST_NEIGHBOUR).rgbRed, 200);
    const RGBQUAD replacement = KxRGB(1, 2, 3);
    EXPECT_EQ(
        image.GetPixelColorInterpolated(-5.0f, 0.0f, IM_NEAREST_NEIGHBOUR, OM_COLOR, &replacement)
            .rgbGreen,
        2);
    EXPECT_EQ(image.GetPixelColorInterpolated(2.0f, 0.0f, IM_NEAREST_NEIGHBOUR, OM_WRAP).rgbRed, 0);
    EXPECT_EQ(image.GetPixelColorInterpolated(2.0f, 0.0f, IM_NEAREST_NEIGHBOUR, OM_MIRROR).rgbRed,
              200);
    // Every kernel reproduces a flat area exactly and survives absurd coordinates.
    KxImage flat(8, 8, 24);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            flat.SetPixelColor(x, y, KxRGB(90, 90, 90));
    for (int m = IM_NEAREST_NEIGHBOUR; m <= IM_HAMMING; ++m) {
        const RGBQUAD c = flat.GetPixelColorInterpolated(
            3.3f, 4.7f, static_cast<InterpolationMethod>(m), OM_REPEAT);
        EXPECT_NEAR(c.rgbRed, 90, 1) << m;
        flat.GetPixelColorInterpolated(1e30f, -1e30f, static_cast<InterpolationMethod>(m),
                                       OM_MIRROR);
    }
}

TEST(KxImagePalette, GreyHueAndGreyScaleTest) {
    KxImage image(2, 2, 8);
    EXPECT_TRUE(image.IsGrayScale());  // all-black palette is grey
    image.HuePalette();
    EXPECT_FALSE(image.IsGrayScale());
    image.SetGrayPalette();
    EXPECT_TRUE(image.IsGrayScale());
    EXPECT_EQ(image.GetPaletteColor(128).rgbRed, 128);
    KxImage four(2, 2, 4);
    four.SetGrayPalette();
    EXPECT_EQ(four.GetPaletteColor(15).rgbGreen, 255);
    EXPECT_EQ(four.GetPaletteColor(1).rgbGreen, 17);
    KxImage rgb(2, 2, 24);
    EXPECT_FALSE(rgb.IsGrayScale());
    EXPECT_EQ(rgb.GetPalette(), nullptr);
    EXPECT_EQ(KxImage::GrayLevel(KxRGB(255, 255, 255)), 255);
}

TEST(KxImagePalette, HslRoundTrip) {
    for (RGBQUAD c :
         {KxRGB(255, 0, 0), KxRGB(0, 128, 255), KxRGB(30, 200, 90), KxRGB(77, 77, 77)}) {
        const RGBQUAD back = KxImage::HSLtoRGB(KxImage::RGBtoHSL(c));
        EXPECT_NEAR(back.rgbRed, c.rgbRed, 4);
        EXPECT_NEAR(back.rgbGreen, c.rgbGreen, 4);
        EXPECT_NEAR(back.rgbBlue, c.rgbBlue, 4);
    }
}

TEST(KxImageArray, BuildsFromRawBuffersWithAndWithoutFlip) {
    const uint8_t pixels[2 * 8] = {1, 2, 3, 40, 4,  5,  6,  50,  // first row
                                   7, 8, 9, 60, 10, 11, 12, 70};
    KxImage image;
    ASSERT_TRUE(image.CreateFromArray(pixels, 2, 2, 32, 8, false));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbRed, 6);
    EXPECT_EQ(image.AlphaGet(1, 1), 70);
    ASSERT_TRUE(image.CreateFromArray(pixels, 2, 2, 32, 8, true));
    EXPECT_EQ(image.GetPixelColor(1, 1).rgbRed, 6);
    EXPECT_FALSE(image.CreateFromArray(pixels, 2, 2, 32, 4, false));
    EXPECT_FALSE(image.CreateFromArray(nullptr, 2, 2, 8, 4, false));
    EXPECT_STREQ(image.GetLastError(), "null image!!!");
    ASSERT_TRUE(image.CreateFromArray(pixels, 4, 2, 8, 8, false));
    EXPECT_TRUE(image.IsGrayScale());
    EXPECT_EQ(image.GetPixelIndex(3, 1), 60);
}

TEST(KxImageHandle, PackedDibRoundTrip) {
    KxImage image(5, 3, 8);
    image.SetGrayPalette();
    image.SetPixelIndex(4, 2, 99);
    image.SetXDPI(200);
    const std::vector<uint8_t> block = image.CopyToHandle();
    ASSERT_EQ(block.size(), image.GetSize());
    KxImage pasted;
    ASSERT_TRUE(pasted.CreateFromHANDLE(block));
    EXPECT_EQ(pasted.GetWidth(), 5u);
    EXPECT_EQ(pasted.GetBpp(), 8);
    EXPECT_EQ(pasted.GetPixelIndex(4, 2), 99);
    EXPECT_EQ(pasted.GetXDPI(), 200);
    EXPECT_TRUE(KxImage().CopyToHandle().empty());
    EXPECT_FALSE(pasted.CreateFromHANDLE({}));
}

TEST(KxImageHandle, PackedDibWithBitFieldsAndHugeClaims) {
    // 2x1, 32-bit bit fields: masks follow the 40-byte header.
    std::vector<uint8_t> dib(40 + 12 + 8, 0);
    dib[0] = 40;
    dib[4] = 2;
    dib[8] = 1;
    dib[12] = 1;
    dib[14] = 32;
    dib[16] = 3;
    const uint32_t masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    std::memcpy(dib.data() + 40, masks, 12);
    const uint8_t pixels[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    std::memcpy(dib.data() + 52, pixels, 8);
    KxImage image;
    ASSERT_TRUE(image.CreateFromHANDLE(dib));
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbRed, 6);
    EXPECT_FALSE(image.AlphaIsValid());

    // A header claiming 100000 x 100000 is refused without allocating.
    int32_t huge = 100000;
    std::memcpy(dib.data() + 4, &huge, 4);
    std::memcpy(dib.data() + 8, &huge, 4);
    EXPECT_FALSE(image.CreateFromHANDLE(dib));
    EXPECT_STREQ(image.GetLastError(), "KXIMAGE_MAX_MEMORY exceeded");
    EXPECT_TRUE(image.IsValid());  // the previous picture survives a failed paste
}

TEST(KxImagePlanes, AlphaAndSelectionHaveOneBytePerPixel) {
    KxImage image(5, 3, 24);
    ASSERT_TRUE(image.AlphaCreate());
    EXPECT_EQ(image.AlphaGet(4, 2), 255);
    EXPECT_EQ(image.AlphaGet(5, 2), 0);
    image.AlphaSet(4, 2, 3);
    EXPECT_EQ(image.AlphaGetPointer(0, 2)[4], 3);
    image.AlphaDelete();
    EXPECT_EQ(image.AlphaGet(4, 2), 0);
    ASSERT_TRUE(image.SelectionCreate());
    EXPECT_EQ(image.SelectionGetPointer()[14], 0);
    EXPECT_TRUE(image.SelectionDelete());
    EXPECT_FALSE(image.SelectionIsValid());
}

TEST(KxMemFile, GrowsSeeksAndDetaches) {
    KxMemFile file;
    ASSERT_TRUE(file.Open());
    EXPECT_EQ(file.Write("abc", 1, 3), 3u);
    EXPECT_TRUE(file.Seek(6, SEEK_SET));
    EXPECT_EQ(file.Write("z", 1, 1), 1u);
    EXPECT_EQ(file.Size(), 7);
    EXPECT_EQ(file.GetBuffer()[4], 0);  // the gap is zero-filled
    EXPECT_TRUE(file.Seek(-7, SEEK_END));
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 2, 4), 3u);  // whole items only
    EXPECT_FALSE(file.Seek(-1, SEEK_SET));
    EXPECT_TRUE(file.Seek(0, SEEK_SET));
    EXPECT_EQ(file.GetC(), 'a');
    const std::vector<uint8_t> bytes = file.GetBuffer(true);
    EXPECT_EQ(bytes.size(), 7u);
    EXPECT_EQ(file.Size(), 0);
}

TEST(KxMemFile, BorrowedBufferIsCopiedOnWrite) {
    const uint8_t data[4] = {1, 2, 3, 4};
    KxMemFile file(data, sizeof(data));
    EXPECT_EQ(file.GetBuffer(), data);
    file.Seek(1, SEEK_SET);
    EXPECT_EQ(file.Write("\x09", 1, 1), 1u);
    EXPECT_EQ(data[1], 2);  // untouched
    EXPECT_EQ(file.GetBuffer()[1], 9);
    EXPECT_TRUE(file.Eof() == false);
}

}  // namespace
