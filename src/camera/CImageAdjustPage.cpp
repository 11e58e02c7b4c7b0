#include "camera/CImageAdjustPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>

#include <algorithm>

#include "camera/PageControls.h"
#include "framework/MessageBox.h"
#include "res/ids.h"
#include "ui/CPageSlider.h"

namespace korvel::camera {

using namespace korvel::res;

namespace {

// The page is 187 x 240 dialog units; these are its pixels and the controls' places.
constexpr QSize kPageSize{281, 390};
constexpr QRect kAdjustGroup{7, 4, 267, 230};
constexpr QRect kFlipGroup{7, 242, 267, 52};
constexpr QRect kBackCorrectionGroup{7, 302, 267, 52};
constexpr int kLabelLeft = 17;
constexpr int kEditLeft = 205;
constexpr int kRowTop[3] = {22, 74, 126};  // gamma, contrast, saturation

constexpr int kSliderIds[3] = {IDC_ADJUST_GAMMA_SLIDER, IDC_ADJUST_CONTRAST_SLIDER,
                               IDC_ADJUST_SATURATION_SLIDER};
constexpr int kEditIds[3] = {IDC_ADJUST_GAMMA_EDIT, IDC_ADJUST_CONTRAST_EDIT,
                             IDC_ADJUST_SATURATION_EDIT};

QRect labelPlace(int row) {
    return {kLabelLeft, kRowTop[row] + 3, 120, 16};
}
QRect editPlace(int row) {
    return {kEditLeft, kRowTop[row], 60, 22};
}
QRect sliderPlace(int row) {
    return {kLabelLeft, kRowTop[row] + 28, 248, 18};
}

}  // namespace

CImageAdjustPage::CImageAdjustPage(QWidget* parent)
    : QWidget(parent),
      adjustGroup_(page::transparent(page::control(
          new QGroupBox(QStringLiteral("Image Adjust"), this), IDC_ADJUST_GROUP, kAdjustGroup))),
      saturationLabel_(nullptr),
      colourEnhancement_(page::transparent(
          page::control(new QCheckBox(QStringLiteral("Color Enhancement"), this),
                        IDC_ADJUST_COLOR_ENHANCEMENT, {kLabelLeft, 180, 200, 20}))),
      monochrome_(
          page::transparent(page::control(new QCheckBox(QStringLiteral("Monochrome"), this),
                                          IDC_ADJUST_MONOCHROME, {kLabelLeft, 204, 200, 20}))),
      flipGroup_(page::transparent(page::control(new QGroupBox(QStringLiteral("Flip"), this),
                                                 IDC_ADJUST_FLIP_GROUP, kFlipGroup))),
      hFlip_(page::transparent(page::control(new QCheckBox(QStringLiteral("H Flip"), this),
                                             IDC_ADJUST_H_FLIP, {kLabelLeft, 266, 110, 20}))),
      vFlip_(page::transparent(page::control(new QCheckBox(QStringLiteral("V Flip"), this),
                                             IDC_ADJUST_V_FLIP, {145, 266, 110, 20}))),
      backCorrectionGroup_(
          page::transparent(page::control(new QGroupBox(QStringLiteral("Back Correction"), this),
                                          IDC_ADJUST_BACK_CORRECTION_GROUP, kBackCorrectionGroup))),
      useBackCorrection_(page::transparent(
          page::control(new QCheckBox(QStringLiteral("Use Back Correction"), this),
                        IDC_ADJUST_USE_BACK_CORRECTION, {kLabelLeft, 326, 220, 20}))),
      groupWidths_{kAdjustGroup.width(), kFlipGroup.width(), kBackCorrectionGroup.width()} {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_IMAGE_ADJUST_PAGE));
    resize(kPageSize);

    // "Gamma:" and "Contrast:" have no id of their own; "Saturation:" is enabled with its
    // slider.
    page::transparent(new QLabel(QStringLiteral("Gamma:"), this))->setGeometry(labelPlace(0));
    page::transparent(new QLabel(QStringLiteral("Contrast:"), this))->setGeometry(labelPlace(1));
    saturationLabel_ =
        page::transparent(page::control(new QLabel(QStringLiteral("Saturation:"), this),
                                        IDC_ADJUST_SATURATION_LABEL, labelPlace(2)));
    for (int i = 0; i < 3; ++i) {
        sliders_[i] = page::slider(this, kSliderIds[i], sliderPlace(i));
        edits_[i] = page::control(new QLineEdit(this), kEditIds[i], editPlace(i));
        const auto step = static_cast<AdjustStep>(i);
        // Only the user's typing counts; the page's own writes into the box do not.
        connect(edits_[i], &QLineEdit::textEdited, this, [this, step] { onStepTextChanged(step); });
    }
    page::colourPage(this, kBackground, edits_[0], edits_[1], edits_[2]);
    for (QGroupBox* group : {adjustGroup_, flipGroup_, backCorrectionGroup_}) {
        group->lower();  // behind the controls it frames
    }

    connect(colourEnhancement_, &QCheckBox::clicked, this, [this] { onColourEnhancement(); });
    connect(hFlip_, &QCheckBox::clicked, this, [this] { onHFlip(); });
    connect(vFlip_, &QCheckBox::clicked, this, [this] { onVFlip(); });
    connect(monochrome_, &QCheckBox::clicked, this, [this] { onMonochrome(); });
    // "Use Back Correction" has no action of its own: the sheet's OK stores it.
}

CImageAdjustPage::~CImageAdjustPage() = default;

ui::CPageSlider* CImageAdjustPage::slider(AdjustStep step) const {
    return sliders_[index(step)];
}

QLineEdit* CImageAdjustPage::edit(AdjustStep step) const {
    return edits_[index(step)];
}

void CImageAdjustPage::AttachRecord(CameraRecord* record) {
    record_ = record;
    if (!record_) {
        return;
    }
    const CameraRecord& r = *record_;
    for (int i = 0; i < 3; ++i) {
        const CameraControl& control = adjustControl(r, static_cast<AdjustStep>(i));
        sliders_[i]->Enable(control.flag != 0);
        sliders_[i]->SetRange(control.minimum, control.maximum);
        sliders_[i]->SetPos(control.value);
        steps_[i] = sliders_[i]->GetPos();
    }

    colourEnhancement_->setEnabled(r.colourEnhancement.flag != 0);
    colourEnhancement_->setChecked(r.colourEnhancement.value != 0);
    showSteps();
    enableSaturation();

    const bool correctionLoaded = r.backgroundCorrectionLoaded != 0;
    useBackCorrection_->setEnabled(correctionLoaded);
    backCorrectionGroup_->setEnabled(correctionLoaded);
    useBackCorrection_->setChecked(r.backgroundCorrectionApplied != 0);

    hFlip_->setEnabled(r.mirror0.flag != 0);
    vFlip_->setEnabled(r.mirror1.flag != 0);
    monochrome_->setEnabled(r.monochrome.flag != 0);
    // A disabled group box disables its children in Qt; the boxes here are its siblings.
    flipGroup_->setEnabled(r.mirror0.flag != 0 || r.mirror1.flag != 0);
    hFlip_->setChecked(r.mirror0.value != 0);
    vFlip_->setChecked(r.mirror1.value != 0);
    monochrome_->setChecked(r.monochrome.value != 0);
}

void CImageAdjustPage::StoreToRecord(CameraRecord* record) {
    if (!record) {
        return;
    }
    readSteps();
    record->gamma.value = sliders_[0]->GetPos();
    record->contrast.value = sliders_[1]->GetPos();
    record->saturation.value = sliders_[2]->GetPos();
    record->colourEnhancement.value = colourEnhancement_->isChecked() ? 1 : 0;
    record->backgroundCorrectionApplied = useBackCorrection_->isChecked() ? 1 : 0;
    record->mirror0.value = hFlip_->isChecked() ? 1 : 0;
    record->mirror1.value = vFlip_->isChecked() ? 1 : 0;
    record->monochrome.value = monochrome_->isChecked() ? 1 : 0;
}

void CImageAdjustPage::showSteps() {
    for (int i = 0; i < 3; ++i) {
        edits_[i]->setText(QString::number(steps_[i]));
    }
}

void CImageAdjustPage::readSteps() {
    for (int i = 0; i < 3; ++i) {
        const StepText text = readStepText(edits_[i]->text());
        if (text.kind == StepText::Invalid) {
            framework::AfxMessageBox(text.message, framework::MB_ICONWARNING, this);
            edits_[i]->setFocus();
            return;
        }
        if (text.kind == StepText::Value) {
            steps_[i] = text.value;
        }
    }
}

void CImageAdjustPage::enableSaturation() {
    const bool editable = record_ && saturationEditable(*record_);
    saturationLabel_->setEnabled(editable);
    edits_[index(AdjustStep::Saturation)]->setEnabled(editable);
    sliders_[index(AdjustStep::Saturation)]->Enable(editable);
}

void CImageAdjustPage::sliderMoved(AdjustStep step, int position) {
    if (!record_) {
        return;
    }
    sendAdjustStep(*record_, step, position);
    steps_[index(step)] = position;
    edits_[index(step)]->setText(QString::number(position));
}

void CImageAdjustPage::onStepTextChanged(AdjustStep step) {
    if (!record_ || edits_[index(step)]->text() == QStringLiteral("-")) {
        return;  // a minus sign alone: the number is still being typed
    }
    readSteps();
    ui::CPageSlider* s = sliders_[index(step)];
    s->SetPos(steps_[index(step)]);
    sendAdjustStep(*record_, step, s->GetPos());
}

void CImageAdjustPage::onColourEnhancement() {
    if (!record_) {
        return;
    }
    sendColourEnhancement(*record_, colourEnhancement_->isChecked());
    enableSaturation();
}

void CImageAdjustPage::onHFlip() {
    if (record_) {
        sendMirror(*record_, 0, hFlip_->isChecked());
    }
}

void CImageAdjustPage::onVFlip() {
    if (record_) {
        sendMirror(*record_, 1, vFlip_->isChecked());
    }
}

void CImageAdjustPage::onMonochrome() {
    if (record_) {
        sendMonochrome(*record_, monochrome_->isChecked());
    }
}

std::intptr_t CImageAdjustPage::onMessage(const framework::Message& message) {
    if (message.id != MSG_SLIDER_MOVING && message.id != MSG_SLIDER_MOVED) {
        return 0;
    }
    const int id = static_cast<int>(message.wParam);
    const int position = static_cast<int>(message.lParam);
    for (int i = 0; i < 3; ++i) {
        if (kSliderIds[i] == id) {
            sliderMoved(static_cast<AdjustStep>(i), position);
        }
    }
    return 0;
}

void CImageAdjustPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The group boxes take half of any width beyond the page's own.
    const int extra = std::max(0, width() - kPageSize.width());
    QGroupBox* groups[3] = {adjustGroup_, flipGroup_, backCorrectionGroup_};
    for (int i = 0; i < 3; ++i) {
        groups[i]->resize(groupWidths_[i] + extra / 2, groups[i]->height());
    }
}

}  // namespace korvel::camera
