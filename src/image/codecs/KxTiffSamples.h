#pragma once

// The decoded samples of one TIFF page, whatever their width and number format, and their
// mapping to the 8-bit grey or RGB pixels (plus straight alpha) that KxImage holds.

#include <tiffio.h>

#include <cstdint>
#include <vector>

namespace kx {

// How the extra sample after the colour channels is to be read.
enum class TiffAlpha { None, Straight, Premultiplied };

// Layout of a page's samples, from its tags.
struct TiffLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t samplesPerPixel = 1;
    uint16_t bitsPerSample = 8;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    bool separatePlanes = false;
    uint16_t colorChannels = 1;  // 1 grey, 3 RGB, 4 CMYK
    TiffAlpha alpha = TiffAlpha::None;
};

// True when the layout is one the sample reader maps: grey, RGB or CMYK with 8, 16, 32 or
// 64-bit integer or floating-point samples, interleaved or in planes, strips or tiles.
bool TiffSamplesSupported(const TiffLayout& layout);

// Reads every sample of the current page, then hands out 8-bit pixels. Grey pictures of
// more than 8 bits and all floating-point pictures are scaled over the range of their own
// finite values, so that a 12-bit camera frame or a float measurement shows its contrast.
class TiffSamples {
public:
    explicit TiffSamples(const TiffLayout& layout) : layout_(layout) {}

    // Decodes the page; false (with libtiff's message through its handler) on a bad file.
    // `byteLimit` bounds the decoded size.
    bool Read(TIFF* tif, uint64_t byteLimit);

    // Pixel (x, y), y from the top, as blue, green, red and straight alpha.
    void Pixel(uint32_t x, uint32_t y, uint8_t bgra[4]) const;

private:
    double Sample(uint32_t x, uint32_t y, uint16_t channel) const;
    // Scales one colour or alpha sample to 0..1.
    double Unit(double v, bool colour) const;
    void FindRange();

    TiffLayout layout_;
    std::vector<std::vector<uint8_t>> planes_;
    size_t rowBytes_ = 0;
    bool ranged_ = false;
    double low_ = 0, high_ = 0;
};

}  // namespace kx
