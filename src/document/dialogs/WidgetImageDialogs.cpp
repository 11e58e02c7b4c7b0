#include "document/dialogs/WidgetImageDialogs.h"

#include "document/dialogs/ImageCommandDialogs.h"

#include <QApplication>
#include <QFormLayout>
#include <QSpinBox>

namespace korvel::document {

namespace {

// Shows a `Dialog` made from `arguments` modally over the active window; on OK copies its
// answer to `settings`.
template <typename Dialog, typename Settings, typename... Arguments>
bool ask(Settings& settings, const Arguments&... arguments) {
    Dialog dialog(arguments..., QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    settings = dialog.settings();
    return true;
}

// Offers `choices` in a list; on OK sets `value` to the chosen entry of `values`.
bool askChoice(const QString& title, const QStringList& choices, const std::vector<int>& values,
               int& value) {
    ChoiceDialog dialog(title, choices, values, value, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    value = dialog.value();
    return true;
}

class WidgetImageDialogs : public ImageDialogs {
public:
    bool rotate(const KxImage& picture, RotateSettings& s) override {
        return ask<RotateDialog>(s, picture, s);
    }
    bool resample(const KxImage& picture, ResampleSettings& s) override {
        return ask<ResampleDialog>(s, picture, s);
    }
    bool skew(const KxImage& picture, SkewSettings& s) override {
        return ask<SkewDialog>(s, picture, s);
    }
    bool decreaseBpp(DecreaseBppSettings& s) override { return ask<DecreaseBppDialog>(s, s); }
    bool increaseBpp(IncreaseBppSettings& s) override {
        return askChoice(QStringLiteral("Increase Bpp"), {"4", "8", "24"}, {4, 8, 24}, s.bpp);
    }
    bool dither(DitherSettings& s) override {
        return askChoice(
            QStringLiteral("Dither"),
            {"Floyd-Steinberg", "Ordered dither", "Burkes", "Stucki", "Jarvis-Judice-Ninke",
             "Sierra", "Stevenson-Arce", "Bayer matrix (4x4 ordered dither)"},
            {0, 1, 2, 3, 4, 5, 6, 7}, s.method);
    }
    bool threshold(const KxImage& picture, ThresholdSettings& s) override {
        return ask<ThresholdDialog>(s, picture, s);
    }
    bool colorize(ColorizeSettings& s) override { return ask<ColorizeDialog>(s, s); }
    bool light(const KxImage& picture, LightSettings& s) override {
        return ask<LightDialog>(s, picture, s);
    }
    bool repair(RepairSettings& s) override { return ask<RepairDialog>(s, s); }
    bool opacity(OpacitySettings& s) override {
        FormDialog d(QStringLiteral("Opacity"), QApplication::activeWindow());
        auto* level = new QSpinBox(&d);
        level->setRange(0, 255);
        level->setValue(s.level);
        d.form()->addRow(QStringLiteral("Level [0 ... 255]"), level);
        if (d.exec() != QDialog::Accepted) {
            return false;
        }
        s.level = level->value();
        return true;
    }
    bool options(OptionsSettings& s, const QString& exifReport) override {
        return ask<OptionsDialog>(s, s, exifReport);
    }
    bool palette(const KxImage&, PaletteSettings& s) override { return ask<PaletteDialog>(s, s); }
    bool combine(const std::vector<CKorvelDoc*>& documents, CombineSettings& s) override {
        return ask<CombineDialog>(s, documents, s);
    }
    bool fft(const std::vector<CKorvelDoc*>& documents, FftSettings& s) override {
        return ask<FftDialog>(s, documents, s);
    }
    bool mix(const std::vector<CKorvelDoc*>& documents, MixSettings& s) override {
        return ask<MixDialog>(s, documents, s);
    }
    bool jpegCompression(JpegCompressionSettings& s) override {
        return ask<JpegCompressionDialog>(s, s);
    }
};

}  // namespace

std::unique_ptr<ImageDialogs> makeWidgetImageDialogs() {
    return std::make_unique<WidgetImageDialogs>();
}

}  // namespace korvel::document
