#include "document/dialogs/WidgetImageDialogs.h"

#include "document/dialogs/ImageCommandDialogs.h"

#include <QApplication>
#include <QFormLayout>
#include <QSpinBox>

namespace korvel::document {

namespace {

// Runs `dialog` modally over the active window; on OK copies its answer to `settings`.
template <typename Dialog, typename Settings>
bool run(Dialog& dialog, Settings& settings) {
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    settings = dialog.settings();
    return true;
}

class WidgetImageDialogs : public ImageDialogs {
public:
    bool rotate(const KxImage& picture, RotateSettings& s) override {
        RotateDialog d(picture, s, QApplication::activeWindow());
        return run(d, s);
    }
    bool resample(const KxImage& picture, ResampleSettings& s) override {
        ResampleDialog d(picture, s, QApplication::activeWindow());
        return run(d, s);
    }
    bool skew(const KxImage& picture, SkewSettings& s) override {
        SkewDialog d(picture, s, QApplication::activeWindow());
        return run(d, s);
    }
    bool decreaseBpp(DecreaseBppSettings& s) override {
        DecreaseBppDialog d(s, QApplication::activeWindow());
        return run(d, s);
    }
    bool increaseBpp(IncreaseBppSettings& s) override {
        ChoiceDialog d(QStringLiteral("Increase Bpp"), {"4", "8", "24"}, {4, 8, 24}, s.bpp,
                       QApplication::activeWindow());
        if (d.exec() != QDialog::Accepted) {
            return false;
        }
        s.bpp = d.value();
        return true;
    }
    bool dither(DitherSettings& s) override {
        ChoiceDialog d(
            QStringLiteral("Dither"),
            {"Floyd-Steinberg", "Ordered dither", "Burkes", "Stucki", "Jarvis-Judice-Ninke",
             "Sierra", "Stevenson-Arce", "Bayer matrix (4x4 ordered dither)"},
            {0, 1, 2, 3, 4, 5, 6, 7}, s.method, QApplication::activeWindow());
        if (d.exec() != QDialog::Accepted) {
            return false;
        }
        s.method = d.value();
        return true;
    }
    bool threshold(const KxImage& picture, ThresholdSettings& s) override {
        ThresholdDialog d(picture, s, QApplication::activeWindow());
        return run(d, s);
    }
    bool colorize(ColorizeSettings& s) override {
        ColorizeDialog d(s, QApplication::activeWindow());
        return run(d, s);
    }
    bool light(const KxImage& picture, LightSettings& s) override {
        LightDialog d(picture, s, QApplication::activeWindow());
        return run(d, s);
    }
    bool repair(RepairSettings& s) override {
        RepairDialog d(s, QApplication::activeWindow());
        return run(d, s);
    }
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
        OptionsDialog d(s, exifReport, QApplication::activeWindow());
        return run(d, s);
    }
    bool palette(const KxImage&, PaletteSettings& s) override {
        PaletteDialog d(s, QApplication::activeWindow());
        return run(d, s);
    }
    bool combine(const std::vector<CKorvelDoc*>& documents, CombineSettings& s) override {
        CombineDialog d(documents, s, QApplication::activeWindow());
        return run(d, s);
    }
    bool fft(const std::vector<CKorvelDoc*>& documents, FftSettings& s) override {
        FftDialog d(documents, s, QApplication::activeWindow());
        return run(d, s);
    }
    bool mix(const std::vector<CKorvelDoc*>& documents, MixSettings& s) override {
        MixDialog d(documents, s, QApplication::activeWindow());
        return run(d, s);
    }
    bool jpegCompression(JpegCompressionSettings& s) override {
        JpegCompressionDialog d(s, QApplication::activeWindow());
        return run(d, s);
    }
};

}  // namespace

std::unique_ptr<ImageDialogs> makeWidgetImageDialogs() {
    return std::make_unique<WidgetImageDialogs>();
}

}  // namespace korvel::document
