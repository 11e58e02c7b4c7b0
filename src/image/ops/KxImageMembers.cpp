// The processing members of KxImage: each hands the picture to its operation.

#include "image/KxImage.h"
#include "image/ops/KxImageOps.h"

bool KxImage::SelectionAddRect(RECT r) {
    return kxops::SelectionAddRect(*this, r);
}

bool KxImage::SelectionAddPolygon(const POINT* points, int32_t npoints) {
    return kxops::SelectionAddPolygon(*this, points, npoints);
}

bool KxImage::SelectionGetBox(RECT& r) {
    if (!kxops::SelectionGetBox(*this, r)) {
        return false;
    }
    // The box is kept with the picture's information as well.
    info.rSelectionBox = r;
    return true;
}

bool KxImage::SelectionClear() {
    return kxops::SelectionClear(*this);
}

bool KxImage::AlphaInvert() {
    return kxops::AlphaInvert(*this);
}

bool KxImage::AlphaStrip() {
    return kxops::AlphaStrip(*this);
}

bool KxImage::AlphaSplit(KxImage* dest) const {
    return kxops::AlphaSplit(*this, dest);
}

bool KxImage::AlphaSet(const KxImage& from) {
    return kxops::AlphaSet(*this, from);
}

bool KxImage::Flip() {
    return kxops::Flip(*this);
}

bool KxImage::Mirror() {
    return kxops::Mirror(*this);
}

bool KxImage::RotateLeft(KxImage* iDst) {
    return kxops::RotateLeft(*this, iDst);
}

bool KxImage::RotateRight(KxImage* iDst) {
    return kxops::RotateRight(*this, iDst);
}

bool KxImage::Rotate2(float angle, KxImage* iDst, InterpolationMethod inMethod,
                      OverflowMethod ofMethod, RGBQUAD* replColor, bool optimizeRightAngles,
                      bool bKeepOriginalSize) {
    return kxops::Rotate2(*this, angle, iDst, inMethod, ofMethod, replColor, optimizeRightAngles,
                          bKeepOriginalSize);
}

bool KxImage::Resample(int32_t newx, int32_t newy, int32_t mode, KxImage* iDst) {
    return kxops::Resample(*this, newx, newy, mode, iDst);
}

bool KxImage::Resample2(int32_t newx, int32_t newy, InterpolationMethod inMethod,
                        OverflowMethod ofMethod, KxImage* iDst, bool disableAveraging) {
    return kxops::Resample2(*this, newx, newy, inMethod, ofMethod, iDst, disableAveraging);
}

bool KxImage::Crop(RECT rect, KxImage* iDst) {
    return kxops::Crop(*this, rect, iDst);
}

bool KxImage::CropRotatedRectangle(int32_t topx, int32_t topy, int32_t width, int32_t height,
                                   float angle, KxImage* iDst) {
    return kxops::CropRotatedRectangle(*this, topx, topy, width, height, angle, iDst);
}

bool KxImage::Skew(float xgain, float ygain, int32_t xpivot, int32_t ypivot,
                   bool bEnableInterpolation) {
    return kxops::Skew(*this, xgain, ygain, xpivot, ypivot, bEnableInterpolation);
}

bool KxImage::CircleTransform(int32_t type, int32_t rmax, float Koeff) {
    return kxops::CircleTransform(*this, type, rmax, Koeff);
}

bool KxImage::IncreaseBpp(uint32_t nbit) {
    return kxops::IncreaseBpp(*this, nbit);
}

bool KxImage::DecreaseBpp(uint32_t nbit, bool errordiffusion, const RGBQUAD* ppal,
                          uint32_t clrimportant) {
    return kxops::DecreaseBpp(*this, nbit, errordiffusion, ppal, clrimportant);
}

bool KxImage::Dither(int32_t method) {
    return kxops::Dither(*this, method);
}

bool KxImage::Threshold(uint8_t level) {
    return kxops::Threshold(*this, level);
}

bool KxImage::Colorize(uint8_t hue, uint8_t sat, float blend) {
    return kxops::Colorize(*this, hue, sat, blend);
}

bool KxImage::ShiftRGB(int32_t r, int32_t g, int32_t b) {
    return kxops::ShiftRGB(*this, r, g, b);
}

bool KxImage::Light(int32_t brightness, int32_t contrast) {
    return kxops::Light(*this, brightness, contrast);
}

bool KxImage::Gamma(float gamma) {
    return kxops::Gamma(*this, gamma);
}

bool KxImage::Negative() {
    return kxops::Negative(*this);
}

bool KxImage::GrayScale() {
    return kxops::GrayScale(*this);
}

bool KxImage::HistogramStretch(int32_t method) {
    return kxops::HistogramStretch(*this, method);
}

bool KxImage::HistogramEqualize() {
    return kxops::HistogramEqualize(*this);
}

bool KxImage::HistogramNormalize() {
    return kxops::HistogramNormalize(*this);
}

bool KxImage::HistogramLog() {
    return kxops::HistogramLog(*this);
}

bool KxImage::HistogramRoot() {
    return kxops::HistogramRoot(*this);
}

int32_t KxImage::Histogram(int32_t* red, int32_t* green, int32_t* blue, int32_t* gray,
                           int32_t colorspace) const {
    return kxops::Histogram(*this, red, green, blue, gray, colorspace);
}

float KxImage::Mean() const {
    return kxops::Mean(*this);
}

bool KxImage::Filter(const int32_t* kernel, int32_t Ksize, int32_t Kfactor, int32_t Koffset) {
    return kxops::Filter(*this, kernel, Ksize, Kfactor, Koffset);
}

bool KxImage::Erode(int32_t Ksize) {
    return kxops::Erode(*this, Ksize);
}

bool KxImage::Dilate(int32_t Ksize) {
    return kxops::Dilate(*this, Ksize);
}

bool KxImage::Edge(int32_t Ksize) {
    return kxops::Edge(*this, Ksize);
}

bool KxImage::Median(int32_t Ksize) {
    return kxops::Median(*this, Ksize);
}

bool KxImage::Contour() {
    return kxops::Contour(*this);
}

bool KxImage::Noise(int32_t level) {
    return kxops::Noise(*this, level);
}

bool KxImage::Jitter(int32_t radius) {
    return kxops::Jitter(*this, radius);
}

bool KxImage::Repair(float radius, int32_t niterations, int32_t colorspace) {
    return kxops::Repair(*this, radius, niterations, colorspace);
}

bool KxImage::SplitRGB(KxImage* r, KxImage* g, KxImage* b) {
    return kxops::SplitRGB(*this, r, g, b);
}

bool KxImage::SplitYUV(KxImage* y, KxImage* u, KxImage* v) {
    return kxops::SplitYUV(*this, y, u, v);
}

bool KxImage::SplitYIQ(KxImage* y, KxImage* i, KxImage* q) {
    return kxops::SplitYIQ(*this, y, i, q);
}

bool KxImage::SplitXYZ(KxImage* x, KxImage* y, KxImage* z) {
    return kxops::SplitXYZ(*this, x, y, z);
}

bool KxImage::SplitHSL(KxImage* h, KxImage* s, KxImage* l) {
    return kxops::SplitHSL(*this, h, s, l);
}

bool KxImage::SplitCMYK(KxImage* c, KxImage* m, KxImage* y, KxImage* k) {
    return kxops::SplitCMYK(*this, c, m, y, k);
}

bool KxImage::Combine(const KxImage* r, const KxImage* g, const KxImage* b, const KxImage* a,
                      int32_t colorspace) {
    return kxops::Combine(*this, r, g, b, a, colorspace);
}

bool KxImage::Mix(const KxImage& imgsrc2, ImageOpType op, int32_t lXOffset, int32_t lYOffset,
                  bool bMixAlpha) {
    return kxops::Mix(*this, imgsrc2, op, lXOffset, lYOffset, bMixAlpha);
}

bool KxImage::FFT2(KxImage* srcReal, KxImage* srcImag, KxImage* dstReal, KxImage* dstImag,
                   int32_t direction, bool bForceFFT, bool bMagnitude) {
    return kxops::FFT2(*this, srcReal, srcImag, dstReal, dstImag, direction, bForceFFT, bMagnitude);
}
