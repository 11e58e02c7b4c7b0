// Drawing the picture into a painter and text into the picture.

#include "image/KxImage.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstring>

namespace {

KxImage solid(uint32_t w, uint32_t h, RGBQUAD colour) {
    KxImage image(w, h, 24);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            image.SetPixelColor(int(x), int(y), colour);
        }
    }
    return image;
}

}  // namespace

TEST(KxImageDraw, TheTextRecordDefaultsToArial) {
    tagKxTextInfo info;
    std::strcpy(info.lfont.lfFaceName, "Other");
    KxImage::InitTextInfo(&info);
    EXPECT_STREQ(info.lfont.lfFaceName, "Arial");
    EXPECT_EQ(info.align, KX_TEXT_CENTER);
}

TEST(KxImageDraw, TextIsDrawnIntoThePixelsWithAnOpaqueBackground) {
    KxImage image = solid(120, 60, RGBQUAD{0, 0, 0, 0});
    tagKxTextInfo info;
    KxImage::InitTextInfo(&info);
    std::strcpy(info.text, "Korvel");
    info.fcolor = 0x0000FF;  // red text
    info.bcolor = 0xFF0000;  // blue box
    info.b_opacity = 1.0f;
    info.opaque = 1;
    ASSERT_TRUE(image.DrawStringEx(nullptr, 10, 10, &info));
    EXPECT_EQ(image.GetWidth(), 120u);
    // Somewhere in the box there is blue background and red ink; far away stays black.
    bool blue = false;
    bool red = false;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 120; ++x) {
            const RGBQUAD c = image.GetPixelColor(x, y);
            blue |= c.rgbBlue > 200 && c.rgbRed < 50;
            red |= c.rgbRed > 200 && c.rgbBlue < 50;
        }
    }
    EXPECT_TRUE(blue);
    EXPECT_TRUE(red);
    const RGBQUAD corner = image.GetPixelColor(119, 0);  // bottom right
    EXPECT_EQ(corner.rgbRed + corner.rgbGreen + corner.rgbBlue, 0);
}

TEST(KxImageDraw, DrawHonoursTheTransparentColour) {
    KxImage image = solid(4, 4, RGBQUAD{0, 255, 0, 0});  // green
    image.SetTransColor(RGBQUAD{0, 255, 0, 0});
    image.SetTransIndex(-1);
    QImage canvas(4, 4, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        ASSERT_TRUE(image.Draw(&painter, 0, 0));
    }
    if (image.IsTransparent()) {
        EXPECT_EQ(canvas.pixel(1, 1), qRgb(255, 255, 255));
    }
    KxImage opaque = solid(4, 4, RGBQUAD{255, 0, 0, 0});
    QPainter painter(&canvas);
    ASSERT_TRUE(opaque.Stretch(&painter, 0, 0, 4, 4));
    painter.end();
    EXPECT_EQ(canvas.pixel(2, 2), qRgb(0, 0, 255));
    EXPECT_FALSE(opaque.Draw(nullptr, 0, 0));
}
