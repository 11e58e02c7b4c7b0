#pragma once

// The device-independent-bitmap records, laid out byte for byte as in a BMP file or a
// clipboard DIB on a little-endian machine.

#include <cstdint>

struct RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct rgb_color {
    uint8_t r;
    uint8_t g;
    uint8_t b;
};

struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(RGBQUAD) == 4);

struct RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct POINT {
    int32_t x;
    int32_t y;
};

inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t BI_RLE8 = 1;
inline constexpr uint32_t BI_RLE4 = 2;
inline constexpr uint32_t BI_BITFIELDS = 3;

inline RGBQUAD KxRGB(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 0) {
    return RGBQUAD{b, g, r, a};
}

// The font of a text record, as the text tool stores it.
struct KxLogFont {
    int32_t lfHeight = 0;  // pixels; negative = character height
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;  // 0 = default, 400 normal, 700 bold
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {};  // terminator included
};

// Alignment of the lines of a text record.
enum KxTextAlign : int32_t { KX_TEXT_LEFT = 0, KX_TEXT_CENTER = 1, KX_TEXT_RIGHT = 2 };

// The text-drawing record of InitTextInfo and DrawStringEx.
struct tagKxTextInfo {
    char text[4096] = {};      // UTF-8, lines separated by '\n'
    KxLogFont lfont;
    uint32_t fcolor = 0;        // text colour 0x00BBGGRR
    int32_t align = KX_TEXT_CENTER;
    uint8_t smooth = 1;         // antialiased glyphs
    uint8_t opaque = 1;         // draw the background box
    uint32_t bcolor = 0xFFFFFF; // background colour 0x00BBGGRR
    float b_opacity = 0.0f;     // background opacity 0..1
    uint8_t b_outline = 0;      // width of the background's outline
    uint8_t b_round = 10;       // rounding radius of the background, percent
};
