#include "document/ImageDialogs.h"

#include <algorithm>
#include <cmath>

namespace korvel::document {

OperationParameters RotateSettings::parameters() const {
    const double clamped = std::clamp(angle, 0.0, 360.0);
    return {static_cast<int>(clamped * 1000.0), interpolation, overflow, keepSize ? 1 : 0, 0};
}

ResampleSettings ResampleSettings::forPicture(int pictureWidth, int pictureHeight) {
    ResampleSettings s;
    s.width = 100;
    s.height = pictureWidth > 0 ? 100 * pictureHeight / pictureWidth : 100;
    return s;
}

OperationParameters ResampleSettings::parameters(int pictureWidth, int pictureHeight) const {
    if (useFactor) {
        // A negative factor scales by its size: -2 doubles as 2 does.
        const double f = std::fabs(factor);
        return {std::max(1, static_cast<int>(f * pictureWidth)),
                std::max(1, static_cast<int>(f * pictureHeight)), interpolation, 0, 0};
    }
    return {std::max(1, width), std::max(1, height), interpolation, 0, 0};
}

double SkewSettings::slopeX(int pictureWidth) const {
    return pictureWidth > 0 ? skewX / pictureWidth : 0.0;
}

double SkewSettings::slopeY(int pictureHeight) const {
    return pictureHeight > 0 ? skewY / pictureHeight : 0.0;
}

OperationParameters SkewSettings::parameters(int pictureWidth, int pictureHeight) const {
    return {static_cast<int>(slopeX(pictureWidth) * 1000.0),
            static_cast<int>(slopeY(pictureHeight) * 1000.0), pivotX, pivotY, interpolate ? 1 : 0};
}

int DecreaseBppSettings::colourCount() const {
    const int depthCount = bpp == 1 ? 2 : bpp == 4 ? 16 : 256;
    return limit ? std::min(maxColors, depthCount) : depthCount;
}

OperationParameters DecreaseBppSettings::parameters() const {
    return {bpp, optimized ? 1 : 0, errorDiffusion ? 1 : 0, colourCount(), 0};
}

OperationParameters ColorizeSettings::parameters() const {
    if (hsl) {
        return {1, hue, saturation, blend, 0};
    }
    return {0, red, green, blue, 0};
}

OperationParameters LightSettings::parameters() const {
    // Hundredths to thousandths.
    return {lighten, contrast, gammaHundredths * 10, 0, 0};
}

const std::array<ImageOpType, 10>& MixSettings::operations() {
    static constexpr std::array<ImageOpType, 10> kOperations{
        OpAdd, OpAnd, OpXor, OpOr, OpScreen, OpMask, OpSrcCopy, OpDstCopy, OpSub, OpSrcBlend};
    return kOperations;
}

const std::array<const char*, 10>& MixSettings::operationNames() {
    static constexpr std::array<const char*, 10> kNames{
        "OpAdd",  "OpAnd",     "OpXor",     "OpOr",  "OpScreen",
        "OpMask", "OpSrcCopy", "OpDstCopy", "OpSub", "OpSrcBlend"};
    return kNames;
}

OptionsSettings OptionsSettings::fromPicture(const KxImage& picture) {
    OptionsSettings s;
    s.quality = picture.GetJpegQuality();
    s.xDpi = picture.GetXDPI();
    s.yDpi = picture.GetYDPI();
    s.tiff = picture.GetCodecOption(KXIMAGE_FORMAT_TIF);
    s.gif = picture.GetCodecOption(KXIMAGE_FORMAT_GIF);
    s.jpeg = picture.GetCodecOption(KXIMAGE_FORMAT_JPG);
    s.png = picture.GetCodecOption(KXIMAGE_FORMAT_PNG);
    return s;
}

void OptionsSettings::applyTo(KxImage& picture) const {
    picture.SetJpegQuality(static_cast<uint8_t>(std::clamp(quality, 0, 255)));
    picture.SetXDPI(xDpi);
    picture.SetYDPI(yDpi);
    picture.SetCodecOption(tiff, KXIMAGE_FORMAT_TIF);
    picture.SetCodecOption(gif, KXIMAGE_FORMAT_GIF);
    picture.SetCodecOption(jpeg, KXIMAGE_FORMAT_JPG);
    picture.SetCodecOption(png, KXIMAGE_FORMAT_PNG);
}

std::optional<QString> integerRangeMessage(int value, int minimum, int maximum) {
    if (value >= minimum && value <= maximum) {
        return std::nullopt;
    }
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);
}

std::optional<QString> validate(const DecreaseBppSettings& s) {
    return integerRangeMessage(s.maxColors, 2, 256);
}

std::optional<QString> validate(const RepairSettings& s) {
    return integerRangeMessage(s.iterations, 1, 50);
}

std::optional<QString> validate(const JpegCompressionSettings& s) {
    return integerRangeMessage(s.quality, 0, 100);
}

std::optional<QString> validate(const OptionsSettings& s) {
    if (auto message = integerRangeMessage(s.quality, 1, 255)) {
        return message;
    }
    if (auto message = integerRangeMessage(s.xDpi, 0, 10000)) {
        return message;
    }
    return integerRangeMessage(s.yDpi, 0, 10000);
}

}  // namespace korvel::document
