#pragma once

// Processing operations of the image object: selection and alpha planes, geometry, colour
// depth, tone, neighbourhood filters, channel splitting, mixing and the Fourier transform.
//
// Each function works on the picture it is given, exactly as the KxImage member of the same
// name does (the members forward here). Operations that change the picture return true on
// success; on failure the picture's last-error text says why. Long operations advance the
// picture's progress from 0 to 100 and stop early, returning false with "Cancelled", as
// soon as its escape field becomes non-zero; the picture is then still valid (either
// untouched or with whole rows finished).
//
// Coordinates are pixels with y counted from the bottom row unless a function says
// otherwise. Rectangles are half open: [left, right) x [bottom, top).

#include <cstdint>
#include <vector>

#include "image/KxImage.h"

namespace kxops {

// Selection (Selection.cpp). The mask holds 255 inside and 0 outside.
bool SelectionAddRect(KxImage& img, RECT r);
// Even-odd fill of the polygon through the pixel centres.
bool SelectionAddPolygon(KxImage& img, const POINT* points, int32_t npoints);
// Bounding box of the selected pixels; false when nothing is selected.
bool SelectionGetBox(const KxImage& img, RECT& r);
bool SelectionClear(KxImage& img);

// Alpha (Alpha.cpp).
bool AlphaInvert(KxImage& img);
// Blends the alpha plane (scaled by the alpha maximum) and an enabled alpha palette
// against the transparent colour into the pixels, then removes the alpha.
bool AlphaStrip(KxImage& img);
// The alpha plane as an 8-bit grey picture.
bool AlphaSplit(const KxImage& img, KxImage* dest);
// The alpha plane from the grey levels of a picture of the same size.
bool AlphaSet(KxImage& img, const KxImage& from);

// Geometry (Geometry.cpp).
bool Flip(KxImage& img);
bool Mirror(KxImage& img);
bool RotateLeft(KxImage& img, KxImage* iDst = nullptr);
bool RotateRight(KxImage& img, KxImage* iDst = nullptr);
// Positive angles turn the picture clockwise as it is shown.
bool Rotate2(KxImage& img, float angle, KxImage* iDst = nullptr,
             InterpolationMethod inMethod = IM_BILINEAR, OverflowMethod ofMethod = OM_BACKGROUND,
             RGBQUAD* replColor = nullptr, bool optimizeRightAngles = true,
             bool bKeepOriginalSize = false);
// mode 0 = bilinear, 1 = nearest neighbour.
bool Resample(KxImage& img, int32_t newx, int32_t newy, int32_t mode = 1, KxImage* iDst = nullptr);
bool Resample2(KxImage& img, int32_t newx, int32_t newy, InterpolationMethod inMethod = IM_BICUBIC2,
               OverflowMethod ofMethod = OM_REPEAT, KxImage* iDst = nullptr,
               bool disableAveraging = false);
bool Crop(KxImage& img, RECT rect, KxImage* iDst = nullptr);
// The corner, lengths and angle (radians) are measured with y running downwards.
bool CropRotatedRectangle(KxImage& img, int32_t topx, int32_t topy, int32_t width, int32_t height,
                          float angle, KxImage* iDst = nullptr);
bool Skew(KxImage& img, float xgain, float ygain, int32_t xpivot = 0, int32_t ypivot = 0,
          bool bEnableInterpolation = false);
// type 0 punch, 1 pinch, 2 twirl, 3 cylinder, 4 bathroom; rmax 0 = whole picture.
bool CircleTransform(KxImage& img, int32_t type, int32_t rmax = 0, float Koeff = 1.0f);

// Colour depth (ColourDepth.cpp).
bool IncreaseBpp(KxImage& img, uint32_t nbit);
bool DecreaseBpp(KxImage& img, uint32_t nbit, bool errordiffusion, const RGBQUAD* ppal = nullptr,
                 uint32_t clrimportant = 0);
// 0 Floyd-Steinberg, 1 ordered (8 x 8), 2 Burkes, 3 Stucki, 4 Jarvis-Judice-Ninke, 5 Sierra,
// 6 Stevenson-Arce, 7 Bayer 4 x 4. The result is a black and white 1-bpp picture.
bool Dither(KxImage& img, int32_t method = 0);
// Octree colour quantiser: at most maxColors entries from colorBits bits per component.
bool OctreeQuantize(const KxImage& img, uint32_t maxColors, uint32_t colorBits,
                    std::vector<RGBQUAD>& palette);

// Tone (Tone.cpp).
bool Threshold(KxImage& img, uint8_t level);
bool Colorize(KxImage& img, uint8_t hue, uint8_t sat, float blend = 1.0f);
bool ShiftRGB(KxImage& img, int32_t r, int32_t g, int32_t b);
bool Light(KxImage& img, int32_t brightness, int32_t contrast = 0);
bool Gamma(KxImage& img, float gamma);
bool Negative(KxImage& img);
bool GrayScale(KxImage& img);
// 0 = luminance range, same mapping for every channel; 1 = each channel on its own;
// 2 = luminance only, keeping the colour.
bool HistogramStretch(KxImage& img, int32_t method = 0);
bool HistogramEqualize(KxImage& img);
bool HistogramNormalize(KxImage& img);
bool HistogramLog(KxImage& img);
bool HistogramRoot(KxImage& img);
// Counts the channels of the colour space (any array may be null); returns the largest
// count, 0 on failure.
int32_t Histogram(const KxImage& img, int32_t* red, int32_t* green = nullptr,
                  int32_t* blue = nullptr, int32_t* gray = nullptr, int32_t colorspace = 0);
float Mean(const KxImage& img);

// Neighbourhood (Neighbourhood.cpp). Windows of size k cover the offsets -k/2 ... k-k/2-1.
bool Filter(KxImage& img, const int32_t* kernel, int32_t Ksize, int32_t Kfactor, int32_t Koffset);
bool Erode(KxImage& img, int32_t Ksize = 2);
bool Dilate(KxImage& img, int32_t Ksize = 2);
bool Edge(KxImage& img, int32_t Ksize = 2);
bool Median(KxImage& img, int32_t Ksize = 3);
bool Contour(KxImage& img);
bool Noise(KxImage& img, int32_t level);
bool Jitter(KxImage& img, int32_t radius = 2);
bool Repair(KxImage& img, float radius = 0.25f, int32_t niterations = 1, int32_t colorspace = 0);

// Channels (Channels.cpp). Destinations receive 8-bit grey pictures; any may be null.
bool SplitRGB(KxImage& img, KxImage* r, KxImage* g, KxImage* b);
bool SplitYUV(KxImage& img, KxImage* y, KxImage* u, KxImage* v);
bool SplitYIQ(KxImage& img, KxImage* y, KxImage* i, KxImage* q);
bool SplitXYZ(KxImage& img, KxImage* x, KxImage* y, KxImage* z);
bool SplitHSL(KxImage& img, KxImage* h, KxImage* s, KxImage* l);
bool SplitCMYK(KxImage& img, KxImage* c, KxImage* m, KxImage* y, KxImage* k);
// Builds a 24-bit picture (with alpha when given) from three channel pictures.
bool Combine(KxImage& img, const KxImage* r, const KxImage* g, const KxImage* b, const KxImage* a,
             int32_t colorspace = 0);

// Mix (Mix.cpp): the source is laid on the picture with its bottom-left corner at
// (lXOffset, lYOffset).
bool Mix(KxImage& img, const KxImage& imgsrc2, ImageOpType op, int32_t lXOffset = 0,
         int32_t lYOffset = 0, bool bMixAlpha = false);

// Fourier transform (FFT.cpp). Spectra are stored with 128 as zero.
bool FFT2(KxImage& img, KxImage* srcReal, KxImage* srcImag, KxImage* dstReal, KxImage* dstImag,
          int32_t direction = 1, bool bForceFFT = true, bool bMagnitude = true);

}  // namespace kxops
