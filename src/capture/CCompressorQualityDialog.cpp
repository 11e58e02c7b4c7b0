#include "capture/CCompressorQualityDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace korvel::capture {

CCompressorQualityDialog::CCompressorQualityDialog(const QString& compressor,
                                                   const CompressorSettings& settings,
                                                   QWidget* parent)
    : QDialog(parent), quality_(new QSpinBox(this)), keyFrames_(new QSpinBox(this)) {
    setWindowTitle(compressor);
    quality_->setRange(1, 100);
    quality_->setValue(settings.quality);
    keyFrames_->setRange(1, 1000);
    keyFrames_->setValue(std::max(settings.keyFrameInterval, 1));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Quality:"), quality_);
    form->addRow(QStringLiteral("Key frame every:"), keyFrames_);
    form->addRow(buttons);
}

CompressorSettings CCompressorQualityDialog::settings() const {
    return {quality_->value(), keyFrames_->value()};
}

}  // namespace korvel::capture
