#include "app/AppSettings.h"

#include "image/KxImage.h"
#include "platform/SettingsStore.h"

#include <cstring>

namespace korvel::app {

namespace {
const QString kTextTool = QStringLiteral("TextTool");
const QString kOptions = QStringLiteral("Options");
const QString kScreen = QStringLiteral("Screen");
const QString kMeasure = QStringLiteral("Measure");
const QString kFileSave = QStringLiteral("FileSave");
}  // namespace

float opacityFromPercent(int percent) {
    return static_cast<float>(percent) * 0.01f;
}

int percentFromOpacity(float opacity) {
    return static_cast<int>(static_cast<double>(opacity) * 100.0);
}

tagKxTextInfo toTextInfo(const TextToolSettings& t) {
    tagKxTextInfo record;
    KxImage::InitTextInfo(&record);
    const QByteArray face = fitFaceName(t.faceName).toUtf8().left(31);
    std::memset(record.lfont.lfFaceName, 0, sizeof(record.lfont.lfFaceName));
    std::memcpy(record.lfont.lfFaceName, face.constData(), std::size_t(face.size()));
    record.lfont.lfCharSet = t.charSet;
    record.lfont.lfWeight = t.weight;
    record.lfont.lfItalic = t.italic;
    record.lfont.lfUnderline = t.underline;
    record.fcolor = t.foreground;
    record.bcolor = t.background;
    record.opaque = t.opaque;
    record.b_opacity = t.opacity;
    record.b_round = t.roundRadius;
    return record;
}

void fromTextInfo(const tagKxTextInfo& record, TextToolSettings& t) {
    t.faceName =
        QString::fromUtf8(record.lfont.lfFaceName, int(strnlen(record.lfont.lfFaceName, 32)));
    t.charSet = record.lfont.lfCharSet;
    t.weight = record.lfont.lfWeight;
    t.italic = record.lfont.lfItalic;
    t.underline = record.lfont.lfUnderline;
    t.foreground = record.fcolor;
    t.background = record.bcolor;
    t.opaque = record.opaque;
    t.opacity = record.b_opacity;
    t.roundRadius = record.b_round;
}

QString fitFaceName(const QString& name) {
    return name.left(TextToolSettings::kFaceNameCapacity - 1);
}

AppSettings AppSettings::load(const platform::SettingsStore& store,
                              const QString& defaultSavePath) {
    AppSettings s;
    const TextToolSettings defaults;
    s.savePath = store.getProfileString(kFileSave, QStringLiteral("sPath"), defaultSavePath);

    TextToolSettings& t = s.text;
    t.faceName = fitFaceName(
        store.getProfileString(kTextTool, QStringLiteral("lfFaceName"), defaults.faceName));
    t.charSet = static_cast<std::uint8_t>(
        store.getProfileInt(kTextTool, QStringLiteral("lfCharSet"), defaults.charSet));
    t.weight = store.getProfileInt(kTextTool, QStringLiteral("lfWeight"), defaults.weight);
    t.italic = static_cast<std::uint8_t>(
        store.getProfileInt(kTextTool, QStringLiteral("lfItalic"), defaults.italic));
    t.underline = static_cast<std::uint8_t>(
        store.getProfileInt(kTextTool, QStringLiteral("lfUnderline"), defaults.underline));
    t.foreground = static_cast<std::uint32_t>(store.getProfileInt(
        kTextTool, QStringLiteral("fcolor"), static_cast<int>(defaults.foreground)));
    t.background = static_cast<std::uint32_t>(store.getProfileInt(
        kTextTool, QStringLiteral("bcolor"), static_cast<int>(defaults.background)));
    t.opaque = static_cast<std::uint8_t>(
        store.getProfileInt(kTextTool, QStringLiteral("opaque"), defaults.opaque));
    t.opacity = opacityFromPercent(store.getProfileInt(kTextTool, QStringLiteral("opacity"), 0));
    t.roundRadius = static_cast<std::uint8_t>(
        store.getProfileInt(kTextTool, QStringLiteral("roundradius"), defaults.roundRadius));

    s.jpegQuality = store.getProfileInt(kOptions, QStringLiteral("JpegQuality"), 90);
    s.maximized = store.getProfileInt(kScreen, QStringLiteral("maximized"), 0);
    s.showScaleLine = store.getProfileInt(kMeasure, QStringLiteral("bShowScaleLine"), 1);
    return s;
}

void AppSettings::saveAtClose(platform::SettingsStore& store) const {
    store.writeProfileString(kTextTool, QStringLiteral("lfFaceName"), fitFaceName(text.faceName));
    store.writeProfileInt(kTextTool, QStringLiteral("lfCharSet"), text.charSet);
    store.writeProfileInt(kTextTool, QStringLiteral("lfWeight"), text.weight);
    store.writeProfileInt(kTextTool, QStringLiteral("lfItalic"), text.italic);
    store.writeProfileInt(kTextTool, QStringLiteral("lfUnderline"), text.underline);
    store.writeProfileInt(kTextTool, QStringLiteral("fcolor"), static_cast<int>(text.foreground));
    store.writeProfileInt(kTextTool, QStringLiteral("bcolor"), static_cast<int>(text.background));
    store.writeProfileInt(kTextTool, QStringLiteral("opacity"), percentFromOpacity(text.opacity));
    store.writeProfileInt(kTextTool, QStringLiteral("r_radius"), text.roundRadius);
    store.writeProfileInt(kOptions, QStringLiteral("JpegQuality"), jpegQuality);
    store.writeProfileInt(kMeasure, QStringLiteral("bShowScaleLine"), showScaleLine);
    store.writeProfileString(kFileSave, QStringLiteral("sPath"), savePath);
}

}  // namespace korvel::app
