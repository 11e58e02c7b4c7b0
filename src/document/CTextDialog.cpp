#include "document/CTextDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <cmath>
#include <cstring>

namespace korvel::document {

namespace {

QFont fontOf(const KxLogFont& lf) {
    QFont font(QString::fromUtf8(lf.lfFaceName, int(strnlen(lf.lfFaceName, 32))));
    font.setPixelSize(std::max(1, lf.lfHeight == 0 ? 16 : std::abs(lf.lfHeight)));
    if (lf.lfWeight > 0) {
        font.setWeight(QFont::Weight(std::clamp(lf.lfWeight, 100, 900)));
    }
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    return font;
}

void storeFont(const QFont& font, KxLogFont& lf) {
    const QByteArray face = font.family().toUtf8().left(31);
    std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
    std::memcpy(lf.lfFaceName, face.constData(), size_t(face.size()));
    lf.lfHeight = -(font.pixelSize() > 0 ? font.pixelSize()
                                         : int(std::lround(font.pointSizeF() * 96.0 / 72.0)));
    lf.lfWeight = font.weight();
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
}

QColor colourOf(uint32_t ref) {
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

uint32_t refOf(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

}  // namespace

CTextDialog::CTextDialog(const tagKxTextInfo& record, QWidget* parent)
    : QDialog(parent),
      record_(record),
      text_(new QPlainTextEdit(this)),
      background_(new QCheckBox(tr("Text has background"), this)),
      opacity_(new QSlider(Qt::Horizontal, this)),
      radius_(new QSlider(Qt::Horizontal, this)),
      opacityLabel_(new QLabel(this)),
      radiusLabel_(new QLabel(this)),
      centred_(new QRadioButton(tr("centered"), this)),
      left_(new QRadioButton(tr("to left"), this)),
      right_(new QRadioButton(tr("to right"), this)) {
    setWindowTitle(tr("Place text to image"));
    text_->setPlainText(
        QString::fromUtf8(record_.text, int(strnlen(record_.text, sizeof(record_.text)))));
    text_->setFont(fontOf(record_.lfont));
    background_->setChecked(record_.opaque != 0);
    opacity_->setRange(0, 100);
    opacity_->setValue(int(std::lround(record_.b_opacity * 100.0f)));
    radius_->setRange(0, 50);
    radius_->setValue(record_.b_round);
    (record_.align == KX_TEXT_LEFT    ? left_
     : record_.align == KX_TEXT_RIGHT ? right_
                                      : centred_)
        ->setChecked(true);

    auto* font = new QPushButton(tr("Font"), this);
    auto* textColour = new QPushButton(tr("Color..."), this);
    auto* backColour = new QPushButton(tr("Color..."), this);
    connect(font, &QPushButton::clicked, this, &CTextDialog::chooseFont);
    connect(textColour, &QPushButton::clicked, this, [this] { chooseColour(record_.fcolor); });
    connect(backColour, &QPushButton::clicked, this, [this] { chooseColour(record_.bcolor); });
    connect(opacity_, &QSlider::valueChanged, this, &CTextDialog::showValues);
    connect(radius_, &QSlider::valueChanged, this, &CTextDialog::showValues);

    auto* alignment = new QGroupBox(tr("Alignment"), this);
    auto* alignLayout = new QHBoxLayout(alignment);
    alignLayout->addWidget(centred_);
    alignLayout->addWidget(left_);
    alignLayout->addWidget(right_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("Text to place:"), this), 0, 0, 1, 3);
    grid->addWidget(text_, 1, 0, 1, 3);
    grid->addWidget(font, 2, 0);
    grid->addWidget(textColour, 2, 1);
    grid->addWidget(background_, 3, 0);
    grid->addWidget(backColour, 3, 1);
    grid->addWidget(new QLabel(tr("Opacity:"), this), 4, 0);
    grid->addWidget(opacity_, 4, 1);
    grid->addWidget(opacityLabel_, 4, 2);
    grid->addWidget(new QLabel(tr("Round radius:"), this), 5, 0);
    grid->addWidget(radius_, 5, 1);
    grid->addWidget(radiusLabel_, 5, 2);
    grid->addWidget(alignment, 6, 0, 1, 3);
    grid->addWidget(buttons, 7, 0, 1, 3);
    showValues();
}

void CTextDialog::showValues() {
    opacityLabel_->setText(QString::asprintf("%.0f%%", double(opacity_->value())));
    radiusLabel_->setText(QString::asprintf("%d%%", radius_->value()));
}

void CTextDialog::chooseFont() {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, fontOf(record_.lfont), this);
    if (ok) {
        storeFont(font, record_.lfont);
        text_->setFont(font);
    }
}

void CTextDialog::chooseColour(uint32_t& colour) {
    const QColor chosen = QColorDialog::getColor(colourOf(colour), this);
    if (chosen.isValid()) {
        colour = refOf(chosen);
    }
}

tagKxTextInfo CTextDialog::record() const {
    tagKxTextInfo out = record_;
    const QByteArray text = text_->toPlainText().toUtf8().left(int(sizeof(out.text)) - 1);
    std::memset(out.text, 0, sizeof(out.text));
    std::memcpy(out.text, text.constData(), size_t(text.size()));
    out.opaque = background_->isChecked() ? 1 : 0;
    out.b_opacity = float(opacity_->value()) * 0.01f;
    out.b_round = uint8_t(radius_->value());
    out.align = left_->isChecked()    ? KX_TEXT_LEFT
                : right_->isChecked() ? KX_TEXT_RIGHT
                                      : KX_TEXT_CENTER;
    return out;
}

}  // namespace korvel::document
