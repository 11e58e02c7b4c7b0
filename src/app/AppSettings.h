#pragma once

// The application-wide settings as the store keeps them: read once at start-up with their
// defaults, written once at close in a fixed order. This is a record for reading and
// writing; the running program keeps its one live copy in ApplicationState.

#include "image/KxTypes.h"

#include <QString>

#include <cstdint>

namespace korvel::platform {
class SettingsStore;
}

namespace korvel::app {

// The text tool's parameters as the settings keep them.
struct TextToolSettings {
    static constexpr int kFaceNameCapacity = 32;  // characters, terminator included

    QString faceName = QStringLiteral("Arial");
    std::uint8_t charSet = 238;
    int weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint32_t foreground = 0xA0FFFF;  // 0x00BBGGRR
    std::uint32_t background = 0x6020;    // 0x00BBGGRR
    std::uint8_t opaque = 1;
    float opacity = 0.0f;  // 0.0 to 1.0
    std::uint8_t roundRadius = 25;
};

struct AppSettings {
    QString savePath;  // the default save folder
    TextToolSettings text;
    int jpegQuality = 90;
    int maximized = 0;
    int showScaleLine = 1;

    // Reads every key with its default; `defaultSavePath` stands for a missing sPath.
    static AppSettings load(const platform::SettingsStore& store, const QString& defaultSavePath);

    // Writes the keys that are kept at close, in this order: the TextTool keys lfFaceName,
    // lfCharSet, lfWeight, lfItalic, lfUnderline, fcolor, bcolor, opacity, r_radius, then
    // Options/JpegQuality, Measure/bShowScaleLine and FileSave/sPath. The opaque flag is
    // never written, and the rounding radius goes to r_radius, not back to roundradius.
    void saveAtClose(platform::SettingsStore& store) const;
};

// The text tool's record from the settings, and the settings from the record.
tagKxTextInfo toTextInfo(const TextToolSettings& settings);
void fromTextInfo(const tagKxTextInfo& record, TextToolSettings& settings);

// Stored percent -> opacity, in single precision (37 -> 0.37f, 10 -> 0.099999994f).
float opacityFromPercent(int percent);
// Opacity -> stored percent, truncated toward zero (0.37f -> 37, 0.099999994f -> 9).
int percentFromOpacity(float opacity);
// A face name fitted into its field: at most 31 characters.
QString fitFaceName(const QString& name);

}  // namespace korvel::app
