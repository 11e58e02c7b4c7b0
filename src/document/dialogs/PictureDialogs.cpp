// Dialogs of the commands that change the picture in place.

#include "document/ImageAlgorithms.h"
#include "document/dialogs/DialogParts.h"
#include "document/dialogs/ImageCommandDialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include <cmath>
#include <numbers>

namespace korvel::document {

using parts::integerEdit;
using parts::radioRow;

namespace {

QSlider* slider(QWidget* owner, int minimum, int maximum, int value) {
    auto* s = new QSlider(Qt::Horizontal, owner);
    s->setRange(minimum, maximum);
    s->setValue(value);
    return s;
}

}  // namespace

// --- Rotate -------------------------------------------------------------------------------

RotateDialog::RotateDialog(const KxImage& picture, const RotateSettings& s, QWidget* parent)
    : FormDialog(QStringLiteral("Rotate"), parent),
      preview_(previewCopy(picture)),
      angle_(new QDoubleSpinBox(this)),
      slider_(slider(this, 0, 360, 0)),
      interpolation_(new QComboBox(this)),
      overflow_(new QComboBox(this)),
      keepSize_(new QCheckBox(QStringLiteral("Keep original size"), this)),
      previews_(new PreviewPair(preview_, this)) {
    angle_->setRange(0.0, 360.0);
    angle_->setDecimals(3);
    form()->addRow(QStringLiteral("Angle [degrees]"), angle_);
    form()->addRow(QString(), slider_);
    auto* turns = new QWidget(this);
    auto* turnLayout = new QHBoxLayout(turns);
    auto* left = new QPushButton(QStringLiteral("-90"), turns);
    auto* right = new QPushButton(QStringLiteral("+90"), turns);
    turnLayout->addWidget(left);
    turnLayout->addWidget(right);
    form()->addRow(QString(), turns);
    interpolation_->addItems({"Nearest neighbour", "Bilinear", "Bicubic (hard)", "Bicubic 2 (soft)",
                              "BSpline (blur)", "Lanzcos (sharp)", "Hermite"});
    overflow_->addItems({"Background (or [0,0] color)", "Background (or Black)",
                         "Background (or White)", "Wrap", "Repeat", "Mirror", "Transparent"});
    form()->addRow(QStringLiteral("Interpolation method"), interpolation_);
    form()->addRow(QStringLiteral("Overflow method"), overflow_);
    form()->addRow(QString(), keepSize_);
    // The method lists and the size box are present but not offered.
    for (QWidget* w : {static_cast<QWidget*>(interpolation_), static_cast<QWidget*>(overflow_),
                       static_cast<QWidget*>(keepSize_)}) {
        w->setEnabled(false);
        form()->setRowVisible(w, false);
    }
    interpolation_->setCurrentIndex(s.interpolation);
    overflow_->setCurrentIndex(s.overflow);
    keepSize_->setChecked(s.keepSize);
    extra()->addWidget(previews_);
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        if (int(angle_->value()) != v) {
            setAngle(v);
        }
    });
    connect(angle_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        slider_->blockSignals(true);
        slider_->setValue(int(v));
        slider_->blockSignals(false);
        refreshPreview();
    });
    connect(left, &QPushButton::clicked, this,
            [this] { setAngle(std::fmod(angle_->value() - 90.0 + 360.0, 360.0)); });
    connect(right, &QPushButton::clicked, this,
            [this] { setAngle(std::fmod(angle_->value() + 90.0, 360.0)); });
    setAngle(s.angle);
    refreshPreview();
}

void RotateDialog::setAngle(double degrees) {
    angle_->setValue(std::clamp(degrees, 0.0, 360.0));
}

void RotateDialog::refreshPreview() {
    KxImage turned(preview_);
    rotatePicture(turned, settings().parameters());
    previews_->setAfter(turned);
}

RotateSettings RotateDialog::settings() const {
    RotateSettings s;
    s.angle = angle_->value();
    s.interpolation = interpolation_->currentIndex();
    s.overflow = overflow_->currentIndex();
    s.keepSize = keepSize_->isChecked();
    return s;
}

// --- Resample -----------------------------------------------------------------------------

ResampleDialog::ResampleDialog(const KxImage& picture, const ResampleSettings& s, QWidget* parent)
    : FormDialog(QStringLiteral("Resample"), parent),
      width_(int(picture.GetWidth())),
      height_(int(picture.GetHeight())),
      factor_(new QDoubleSpinBox(this)),
      pixelWidth_(new QSpinBox(this)),
      pixelHeight_(new QSpinBox(this)),
      keepAspect_(new QCheckBox(QStringLiteral("Maintain original aspect ratio"), this)),
      interpolation_(new QComboBox(this)) {
    mode_ = radioRow(this, form(), QString(), {"Size factor", "Pixel Width x Height"},
                     s.useFactor ? 0 : 1);
    factor_->setRange(-100.0, 100.0);
    factor_->setDecimals(3);
    factor_->setValue(s.factor);
    pixelWidth_->setRange(1, 100000);
    pixelHeight_->setRange(1, 100000);
    pixelWidth_->setValue(s.width);
    pixelHeight_->setValue(s.height);
    keepAspect_->setChecked(s.keepAspect);
    form()->addRow(QStringLiteral("Size factor"), factor_);
    auto* sizes = new QWidget(this);
    auto* sizeLayout = new QHBoxLayout(sizes);
    sizeLayout->setContentsMargins(0, 0, 0, 0);
    sizeLayout->addWidget(pixelWidth_);
    sizeLayout->addWidget(new QLabel(QStringLiteral("x"), sizes));
    sizeLayout->addWidget(pixelHeight_);
    form()->addRow(QStringLiteral("Pixel Width x Height"), sizes);
    form()->addRow(QString(), keepAspect_);
    interpolation_->addItems({"Nearest neighbour", "Bilinear (pixel corner)",
                              "Bilinear 2 (pixel center)", "Bicubic (hard)", "Bicubic 2 (soft)",
                              "BSpline (blur)", "Lanzcos (sharp)", "Hermite"});
    interpolation_->setCurrentIndex(s.interpolation);
    form()->addRow(QStringLiteral("Interpolation:"), interpolation_);
    // With the aspect kept, one size follows the other and the factor sets both.
    connect(pixelWidth_, &QSpinBox::valueChanged, this, [this](int w) {
        if (keepAspect_->isChecked() && width_ > 0 && pixelWidth_->hasFocus()) {
            pixelHeight_->setValue(std::max(1, w * height_ / width_));
        }
    });
    connect(pixelHeight_, &QSpinBox::valueChanged, this, [this](int h) {
        if (keepAspect_->isChecked() && height_ > 0 && pixelHeight_->hasFocus()) {
            pixelWidth_->setValue(std::max(1, h * width_ / height_));
        }
    });
    connect(factor_, &QDoubleSpinBox::valueChanged, this, [this](double f) {
        if (keepAspect_->isChecked()) {
            pixelWidth_->setValue(std::max(1, int(std::fabs(f) * width_)));
            pixelHeight_->setValue(std::max(1, int(std::fabs(f) * height_)));
        }
    });
}

ResampleSettings ResampleDialog::settings() const {
    ResampleSettings s;
    s.useFactor = mode_->checkedId() == 0;
    s.factor = factor_->value();
    s.width = pixelWidth_->value();
    s.height = pixelHeight_->value();
    s.keepAspect = keepAspect_->isChecked();
    s.interpolation = interpolation_->currentIndex();
    return s;
}

// --- Skew ---------------------------------------------------------------------------------

SkewDialog::SkewDialog(const KxImage& picture, const SkewSettings& s, QWidget* parent)
    : FormDialog(QStringLiteral("Skew"), parent),
      width_(int(picture.GetWidth())),
      height_(int(picture.GetHeight())),
      pivotX_(new QSpinBox(this)),
      pivotY_(new QSpinBox(this)),
      skewX_(new QDoubleSpinBox(this)),
      skewY_(new QDoubleSpinBox(this)),
      angle_(new QLineEdit(this)),
      slope_(new QLineEdit(this)),
      interpolate_(new QCheckBox(QStringLiteral("Enable interpolation"), this)) {
    for (QSpinBox* b : {pivotX_, pivotY_}) {
        b->setRange(-100000, 100000);
    }
    for (QDoubleSpinBox* b : {skewX_, skewY_}) {
        b->setRange(-100000.0, 100000.0);
        b->setDecimals(2);
    }
    pivotX_->setValue(s.pivotX);
    pivotY_->setValue(s.pivotY);
    skewX_->setValue(s.skewX);
    skewY_->setValue(s.skewY);
    interpolate_->setChecked(s.interpolate);
    angle_->setReadOnly(true);
    slope_->setReadOnly(true);
    form()->addRow(QStringLiteral("Pivot x"), pivotX_);
    form()->addRow(QStringLiteral("Pivot y"), pivotY_);
    form()->addRow(QStringLiteral("Skew x"), skewX_);
    form()->addRow(QStringLiteral("Skew y"), skewY_);
    form()->addRow(QStringLiteral("Angle"), angle_);
    form()->addRow(QStringLiteral("Slope"), slope_);
    form()->addRow(QString(), interpolate_);
    connect(skewX_, &QDoubleSpinBox::valueChanged, this, [this] { refresh(); });
    connect(skewY_, &QDoubleSpinBox::valueChanged, this, [this] { refresh(); });
    refresh();
}

void SkewDialog::refresh() {
    const SkewSettings s = settings();
    const double sx = s.slopeX(width_), sy = s.slopeY(height_);
    const double toDegrees = 180.0 / std::numbers::pi;
    angle_->setText(QStringLiteral("%1, %2")
                        .arg(std::atan(sx) * toDegrees, 0, 'f', 2)
                        .arg(std::atan(sy) * toDegrees, 0, 'f', 2));
    slope_->setText(QStringLiteral("%1, %2").arg(sx, 0, 'f', 4).arg(sy, 0, 'f', 4));
}

SkewSettings SkewDialog::settings() const {
    SkewSettings s;
    s.pivotX = pivotX_->value();
    s.pivotY = pivotY_->value();
    s.skewX = skewX_->value();
    s.skewY = skewY_->value();
    s.interpolate = interpolate_->isChecked();
    return s;
}

// --- Decrease Bpp -------------------------------------------------------------------------

DecreaseBppDialog::DecreaseBppDialog(const DecreaseBppSettings& s, QWidget* parent)
    : FormDialog(QStringLiteral("Decrease Bpp"), parent),
      diffusion_(new QCheckBox(QStringLiteral(" Error Diffusion"), this)),
      limit_(new QCheckBox(QStringLiteral("Limit max colors:"), this)),
      count_(integerEdit(this, s.maxColors)) {
    bpp_ = radioRow(this, form(), QStringLiteral("Bpp"), {"1", "4", "8"},
                    s.bpp == 1   ? 0
                    : s.bpp == 8 ? 2
                                 : 1);
    palette_ = radioRow(this, form(), QStringLiteral("Palette"), {"Standard", "Optimized"},
                        s.optimized ? 1 : 0);
    diffusion_->setChecked(s.errorDiffusion);
    limit_->setChecked(s.limit);
    form()->addRow(QString(), diffusion_);
    form()->addRow(limit_, count_);
    setCheck([this] { return checkIntegerField(count_, 2, 256); });
}

DecreaseBppSettings DecreaseBppDialog::settings() const {
    DecreaseBppSettings s;
    static constexpr int kDepths[] = {1, 4, 8};
    s.bpp = kDepths[std::clamp(bpp_->checkedId(), 0, 2)];
    s.optimized = palette_->checkedId() == 1;
    s.errorDiffusion = diffusion_->isChecked();
    s.limit = limit_->isChecked();
    s.maxColors = integerField(count_);
    return s;
}

// --- radio choices (Increase Bpp, Dither) ------------------------------------------------

ChoiceDialog::ChoiceDialog(const QString& title, const QStringList& choices,
                           const std::vector<int>& values, int initial, QWidget* parent)
    : FormDialog(title, parent), values_(values) {
    int checked = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] == initial) {
            checked = int(i);
        }
    }
    group_ = radioRow(this, form(), QString(), choices, checked, true);
}

int ChoiceDialog::value() const {
    const int id = group_->checkedId();
    return id >= 0 && id < int(values_.size()) ? values_[std::size_t(id)] : values_.front();
}

// --- Threshold ----------------------------------------------------------------------------

ThresholdDialog::ThresholdDialog(const KxImage& picture, const ThresholdSettings& s,
                                 QWidget* parent)
    : FormDialog(QStringLiteral("Threshold"), parent),
      preview_(previewCopy(picture)),
      level_(slider(this, 0, 255, s.level)),
      previews_(new PreviewPair(preview_, this)) {
    auto* value = new QLabel(QString::number(s.level), this);
    form()->addRow(QStringLiteral("Threshold:"), level_);
    form()->addRow(QString(), value);
    extra()->addWidget(previews_);
    const auto refresh = [this, value] {
        value->setText(QString::number(level_->value()));
        KxImage after(preview_);
        after.Threshold(uint8_t(level_->value()));
        previews_->setAfter(after);
    };
    connect(level_, &QSlider::valueChanged, this, refresh);
    refresh();
}

ThresholdSettings ThresholdDialog::settings() const {
    return ThresholdSettings{level_->value()};
}

// --- Colorize -----------------------------------------------------------------------------

ColorizeDialog::ColorizeDialog(const ColorizeSettings& s, QWidget* parent)
    : FormDialog(QStringLiteral("Colorize"), parent),
      hue_(new QSpinBox(this)),
      saturation_(new QSpinBox(this)),
      blend_(new QSpinBox(this)),
      red_(new QSpinBox(this)),
      green_(new QSpinBox(this)),
      blue_(new QSpinBox(this)) {
    mode_ = radioRow(this, form(), QString(), {"HSL", "RGB"}, s.hsl ? 0 : 1);
    hue_->setRange(0, 255);
    saturation_->setRange(0, 255);
    blend_->setRange(0, 100);
    for (QSpinBox* b : {red_, green_, blue_}) {
        b->setRange(-255, 255);
    }
    hue_->setValue(s.hue);
    saturation_->setValue(s.saturation);
    blend_->setValue(s.blend);
    red_->setValue(s.red);
    green_->setValue(s.green);
    blue_->setValue(s.blue);
    form()->addRow(QStringLiteral("Hue:        [0 : 255]"), hue_);
    form()->addRow(QStringLiteral("Saturation: [0 : 255]"), saturation_);
    form()->addRow(QStringLiteral("Blend: [%]"), blend_);
    form()->addRow(QStringLiteral("Red:     [-255 : 255]"), red_);
    form()->addRow(QStringLiteral("Green:   [-255 : 255]"), green_);
    form()->addRow(QStringLiteral("Blue:    [-255 : 255]"), blue_);
    auto* colours = new QPushButton(QStringLiteral("Colors..."), this);
    extra()->addWidget(colours);
    connect(colours, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(Qt::white, this);
        if (!c.isValid()) {
            return;
        }
        const RGBQUAD hsl =
            KxImage::RGBtoHSL(RGBQUAD{uint8_t(c.blue()), uint8_t(c.green()), uint8_t(c.red()), 0});
        hue_->setValue(hsl.rgbRed);
        saturation_->setValue(hsl.rgbGreen);
    });
}

ColorizeSettings ColorizeDialog::settings() const {
    ColorizeSettings s;
    s.hsl = mode_->checkedId() == 0;
    s.hue = hue_->value();
    s.saturation = saturation_->value();
    s.blend = blend_->value();
    s.red = red_->value();
    s.green = green_->value();
    s.blue = blue_->value();
    return s;
}

// --- Light/Contrast/Gamma -----------------------------------------------------------------

LightDialog::LightDialog(const KxImage& picture, const LightSettings& s, QWidget* parent)
    : FormDialog(QStringLiteral("Light/Contrast/Gamma"), parent),
      preview_(previewCopy(picture)),
      lighten_(slider(this, -100, 100, s.lighten)),
      contrast_(slider(this, -100, 100, s.contrast)),
      gamma_(slider(this, 0, 1000, s.gammaHundredths)),
      gammaText_(new QLabel(this)),
      previews_(new PreviewPair(preview_, this)) {
    form()->addRow(QStringLiteral("Lighten:"), lighten_);
    form()->addRow(QStringLiteral("Contrast:"), contrast_);
    form()->addRow(QStringLiteral("Gamma:"), gamma_);
    form()->addRow(QString(), gammaText_);
    extra()->addWidget(previews_);
    for (QSlider* s : {lighten_, contrast_, gamma_}) {
        connect(s, &QSlider::valueChanged, this, [this] { refresh(); });
    }
    refresh();
}

void LightDialog::refresh() {
    gammaText_->setText(QString::asprintf("%2.2f", gamma_->value() / 100.0));
    KxImage after(preview_);
    after.Light(lighten_->value(), contrast_->value());
    after.Gamma(float(gamma_->value()) / 100.0f);
    previews_->setAfter(after);
}

LightSettings LightDialog::settings() const {
    return LightSettings{lighten_->value(), contrast_->value(), gamma_->value()};
}

// --- Repair -------------------------------------------------------------------------------

RepairDialog::RepairDialog(const RepairSettings& s, QWidget* parent)
    : FormDialog(QStringLiteral("Repair"), parent),
      space_(new QComboBox(this)),
      radius_(new QDoubleSpinBox(this)),
      iterations_(integerEdit(this, s.iterations)) {
    space_->addItems({"RGB", "HSL", "YUV", "YIQ", "XYZ"});
    space_->setCurrentIndex(s.colorSpace);
    radius_->setRange(0.0, 100.0);
    radius_->setDecimals(2);
    radius_->setValue(s.radius);
    form()->addRow(QStringLiteral("Color Space"), space_);
    form()->addRow(QStringLiteral("Radius"), radius_);
    form()->addRow(QStringLiteral("Iterations"), iterations_);
    setCheck([this] { return checkIntegerField(iterations_, 1, 50); });
}

RepairSettings RepairDialog::settings() const {
    return RepairSettings{space_->currentIndex(), radius_->value(), integerField(iterations_)};
}

}  // namespace korvel::document
