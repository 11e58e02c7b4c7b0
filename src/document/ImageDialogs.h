#pragma once

// The answers of the image-processing dialogs, with the values each dialog starts from,
// and the seam through which a command asks them. The widgets live in dialogs/; a test
// puts its own answers in their place.

#include "image/KxImage.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace korvel::document {

class CKorvelDoc;

// Stored parameters of a worker operation.
using OperationParameters = std::array<int, 5>;

struct RotateSettings {
    double angle = 0.0;     // degrees, 0...360
    int interpolation = 1;  // list position
    int overflow = 1;       // list position
    bool keepSize = false;
    OperationParameters parameters() const;
};

struct ResampleSettings {
    bool useFactor = true;
    double factor = 2.0;
    int width = 100;
    int height = 100;
    bool keepAspect = true;
    int interpolation = 2;  // list position
    // The pixel sizes the dialog starts from for a picture of this size.
    static ResampleSettings forPicture(int pictureWidth, int pictureHeight);
    OperationParameters parameters(int pictureWidth, int pictureHeight) const;
};

struct SkewSettings {
    int pivotX = 0;
    int pivotY = 0;
    double skewX = 5.5;
    double skewY = -5.0;
    bool interpolate = true;
    double slopeX(int pictureWidth) const;
    double slopeY(int pictureHeight) const;
    OperationParameters parameters(int pictureWidth, int pictureHeight) const;
};

struct DecreaseBppSettings {
    int bpp = 4;  // 1, 4 or 8
    bool optimized = true;
    bool errorDiffusion = false;
    bool limit = false;
    int maxColors = 256;  // 2...256
    // Without the limit the count of the depth, with it capped there.
    int colourCount() const;
    OperationParameters parameters() const;
};

struct IncreaseBppSettings {
    int bpp = 24;  // 4, 8 or 24
};

struct DitherSettings {
    int method = 0;  // list position 0...7
};

struct ThresholdSettings {
    int level = 128;  // 0...255; the dialog starts from the picture's mean grey
};

struct ColorizeSettings {
    bool hsl = true;
    int hue = 12;
    int saturation = 50;
    int blend = 50;  // per cent
    int red = 50;
    int green = 0;
    int blue = -50;
    OperationParameters parameters() const;
};

struct LightSettings {
    int lighten = 0;            // -100...100
    int contrast = 0;           // -100...100
    int gammaHundredths = 123;  // 0...1000
    OperationParameters parameters() const;
};

struct RepairSettings {
    int colorSpace = 0;
    double radius = 0.25;
    int iterations = 2;  // 1...50
};

// Component lists of Combine: 0 gray, 1 red, 2 green, 3 blue.
struct CombineSettings {
    std::array<CKorvelDoc*, 4> sources{};  // red, green, blue, alpha; null = "(None)"
    std::array<int, 4> components{1, 2, 3, 0};
    int colorSpace = 0;
};

struct FftSettings {
    CKorvelDoc* real = nullptr;  // null = "(None)"
    CKorvelDoc* imaginary = nullptr;
    bool inverse = false;
    bool magnitude = false;
    bool force = true;
    // OK is refused while both pickers show "(None)".
    bool acceptable() const { return real != nullptr || imaginary != nullptr; }
};

struct MixSettings {
    CKorvelDoc* destination = nullptr;
    CKorvelDoc* source = nullptr;
    int operationPosition = 1;
    int xOffset = 0;
    int yOffset = 0;
    bool mixAlpha = false;
    // The list's positions in order and the operation each stands for.
    static const std::array<ImageOpType, 10>& operations();
    static const std::array<const char*, 10>& operationNames();
};

struct JpegCompressionSettings {
    int quality = 50;               // 0...100
    int type = KXIMAGE_FORMAT_JPG;  // or KXIMAGE_FORMAT_JPC
};

struct OpacitySettings {
    int level = 255;
};

struct OptionsSettings {
    int quality = 90;  // 1...255
    int xDpi = 96;     // 0...10000
    int yDpi = 96;
    uint32_t tiff = 0;
    uint32_t gif = 0;
    uint32_t jpeg = 0;
    uint32_t png = 0;
    static OptionsSettings fromPicture(const KxImage& picture);
    void applyTo(KxImage& picture) const;
};

// The Palette dialog's answer: the entries shown, whether they were loaded or edited,
// and how the picture takes them.
struct PaletteSettings {
    enum Mapping { MaintainIndexes = 0, NearestColour = 1, ErrorDiffusion = 2 };
    std::vector<RGBQUAD> entries;
    bool changed = false;
    Mapping mapping = MaintainIndexes;
};

// The framework's range messages: nullopt when every field is in range.
std::optional<QString> integerRangeMessage(int value, int minimum, int maximum);
std::optional<QString> validate(const DecreaseBppSettings& s);
std::optional<QString> validate(const RepairSettings& s);
std::optional<QString> validate(const JpegCompressionSettings& s);
std::optional<QString> validate(const OptionsSettings& s);

// Asks a command's parameters. Each call receives the settings filled with the dialog's
// initial values and returns true for OK (with the settings as the user left them).
class ImageDialogs {
public:
    virtual ~ImageDialogs() = default;
    virtual bool rotate(const KxImage& picture, RotateSettings& s) = 0;
    virtual bool resample(const KxImage& picture, ResampleSettings& s) = 0;
    virtual bool skew(const KxImage& picture, SkewSettings& s) = 0;
    virtual bool decreaseBpp(DecreaseBppSettings& s) = 0;
    virtual bool increaseBpp(IncreaseBppSettings& s) = 0;
    virtual bool dither(DitherSettings& s) = 0;
    virtual bool threshold(const KxImage& picture, ThresholdSettings& s) = 0;
    virtual bool colorize(ColorizeSettings& s) = 0;
    virtual bool light(const KxImage& picture, LightSettings& s) = 0;
    virtual bool repair(RepairSettings& s) = 0;
    virtual bool opacity(OpacitySettings& s) = 0;
    virtual bool options(OptionsSettings& s, const QString& exifReport) = 0;
    virtual bool palette(const KxImage& picture, PaletteSettings& s) = 0;
    // Pickers: `documents` lists every document a picker offers, in order.
    virtual bool combine(const std::vector<CKorvelDoc*>& documents, CombineSettings& s) = 0;
    virtual bool fft(const std::vector<CKorvelDoc*>& documents, FftSettings& s) = 0;
    virtual bool mix(const std::vector<CKorvelDoc*>& documents, MixSettings& s) = 0;
    virtual bool jpegCompression(JpegCompressionSettings& s) = 0;
};

// Answers every dialog with OK and its initial values, without showing anything; FFT is
// refused as its dialog refuses both pickers on "(None)".
class DefaultImageDialogs : public ImageDialogs {
public:
    bool rotate(const KxImage&, RotateSettings&) override { return true; }
    bool resample(const KxImage&, ResampleSettings&) override { return true; }
    bool skew(const KxImage&, SkewSettings&) override { return true; }
    bool decreaseBpp(DecreaseBppSettings& s) override { return !validate(s); }
    bool increaseBpp(IncreaseBppSettings&) override { return true; }
    bool dither(DitherSettings&) override { return true; }
    bool threshold(const KxImage&, ThresholdSettings&) override { return true; }
    bool colorize(ColorizeSettings&) override { return true; }
    bool light(const KxImage&, LightSettings&) override { return true; }
    bool repair(RepairSettings& s) override { return !validate(s); }
    bool opacity(OpacitySettings&) override { return true; }
    bool options(OptionsSettings& s, const QString&) override { return !validate(s); }
    bool palette(const KxImage&, PaletteSettings&) override { return true; }
    bool combine(const std::vector<CKorvelDoc*>&, CombineSettings&) override { return true; }
    bool fft(const std::vector<CKorvelDoc*>&, FftSettings& s) override { return s.acceptable(); }
    bool mix(const std::vector<CKorvelDoc*>&, MixSettings&) override { return true; }
    bool jpegCompression(JpegCompressionSettings& s) override { return !validate(s); }
};

}  // namespace korvel::document
