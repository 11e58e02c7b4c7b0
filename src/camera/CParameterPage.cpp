#include "camera/CParameterPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>

#include <algorithm>

#include "camera/ImageAdjustControls.h"
#include "camera/PageControls.h"
#include "framework/MessageBox.h"
#include "res/ids.h"
#include "ui/CPageSlider.h"

namespace korvel::camera {

using namespace korvel::res;

namespace {

// The page is 187 x 240 dialog units; these are its pixels and the controls' places.
constexpr QSize kPageSize{281, 390};
constexpr QRect kGroups[5] = {
    {7, 4, 267, 112},   // RGB
    {7, 122, 267, 44},  // Frame Speed
    {7, 172, 267, 44},  // Light Frequency
    {7, 222, 267, 44},  // Image Quality
    {7, 272, 267, 110}  // Parameter Mode
};
constexpr int kGroupIds[5] = {IDC_PARAM_RGB_GROUP, IDC_PARAM_SPEED_GROUP, IDC_PARAM_FREQUENCY_GROUP,
                              IDC_PARAM_QUALITY_GROUP, IDC_PARAM_MODE_GROUP};
const char* const kGroupTexts[5] = {"RGB", "Frame Speed", "Light Frequency", "Image Quality",
                                    "Parameter Mode"};

constexpr int kSliderIds[3] = {IDC_PARAM_RED_SLIDER, IDC_PARAM_GREEN_SLIDER, IDC_PARAM_BLUE_SLIDER};
constexpr int kEditIds[3] = {IDC_PARAM_RED_EDIT, IDC_PARAM_GREEN_EDIT, IDC_PARAM_BLUE_EDIT};
const char* const kChannelLetters[3] = {"R", "G", "B"};
const QColor kChannelTints[3] = {QColor(210, 40, 40), QColor(40, 160, 40), QColor(40, 70, 210)};
constexpr int kGainRowTop[3] = {24, 54, 84};

constexpr int kModeIds[3][2] = {{IDC_PARAM_NORMAL_SPEED, IDC_PARAM_HIGH_SPEED},
                                {IDC_PARAM_50HZ, IDC_PARAM_60HZ},
                                {IDC_PARAM_SMOOTH, IDC_PARAM_SHARP}};
const char* const kModeTexts[3][2] = {
    {"Normal Speed", "High Speed"}, {"50 Hz", "60 Hz"}, {"Smooth", "Sharp"}};

constexpr int kSetIds[4] = {IDC_PARAM_SET_A, IDC_PARAM_SET_B, IDC_PARAM_SET_C, IDC_PARAM_SET_D};
const char* const kSetTexts[4] = {"A", "B", "C", "D"};

CameraControl& channel(CameraRecord& record, int index) {
    return index == 0 ? record.colourGains.red
                      : (index == 1 ? record.colourGains.green : record.colourGains.blue);
}

// Ticks the button of `value` in a group of two, or clears both for -1.
void tick(QButtonGroup* group, QRadioButton* const (&buttons)[2], int value) {
    group->setExclusive(false);
    buttons[0]->setChecked(value == 0);
    buttons[1]->setChecked(value == 1);
    group->setExclusive(true);
}

}  // namespace

CParameterPage::CParameterPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_PARAMETER_PAGE));
    resize(kPageSize);

    for (int i = 0; i < 5; ++i) {
        groups_[i] = page::transparent(page::control(
            new QGroupBox(QString::fromLatin1(kGroupTexts[i]), this), kGroupIds[i], kGroups[i]));
        groupWidths_[i] = kGroups[i].width();
    }

    for (int i = 0; i < 3; ++i) {
        const int top = kGainRowTop[i];
        page::transparent(new QLabel(QString::fromLatin1(kChannelLetters[i]), this))
            ->setGeometry(17, top + 1, 14, 16);
        sliders_[i] = page::slider(this, kSliderIds[i], {32, top, 170, 18});
        sliders_[i]->SetBitmaps(
            page::channelPixmap(sliders_[i]->size(), kChannelTints[i], kBackground), {}, {});
        edits_[i] = page::control(new QLineEdit(this), kEditIds[i], {210, top - 2, 55, 22});
        connect(edits_[i], &QLineEdit::textEdited, this, [this, i] { onGainTextChanged(i); });
    }

    for (int m = 0; m < 3; ++m) {
        modeGroups_[m] = new QButtonGroup(this);
        const int top = kGroups[m + 1].top() + 18;
        for (int v = 0; v < 2; ++v) {
            modeButtons_[m][v] = page::transparent(
                page::control(new QRadioButton(QString::fromLatin1(kModeTexts[m][v]), this),
                              kModeIds[m][v], {17 + 128 * v, top, 120, 20}));
            modeGroups_[m]->addButton(modeButtons_[m][v]);
            const auto mode = static_cast<CameraMode>(m);
            connect(modeButtons_[m][v], &QRadioButton::clicked, this,
                    [this, mode, v] { onModeButton(mode, v); });
        }
    }

    setGroup_ = new QButtonGroup(this);
    for (int s = 0; s < 4; ++s) {
        setButtons_[s] = page::transparent(
            page::control(new QRadioButton(QString::fromLatin1(kSetTexts[s]), this), kSetIds[s],
                          {17 + 50 * s, 292, 44, 20}));
        setGroup_->addButton(setButtons_[s]);
        const int id = kSetIds[s];
        connect(setButtons_[s], &QRadioButton::clicked, this, [this, id] { onSetButton(id); });
    }
    setButtons_[3]->hide();  // "D", the working set, is never offered

    save_ = page::control(new QPushButton(QStringLiteral("Save"), this), IDC_PARAM_SAVE,
                          {17, 320, 80, 24});
    load_ = page::control(new QPushButton(QStringLiteral("Load"), this), IDC_PARAM_LOAD,
                          {105, 320, 80, 24});
    for (QPushButton* button : {save_, load_}) {
        button->setAutoDefault(false);
    }
    connect(save_, &QPushButton::clicked, this, [this] { onSave(); });
    connect(load_, &QPushButton::clicked, this, [this] { onLoad(); });

    loadAtStart_ = page::transparent(
        page::control(new QCheckBox(QStringLiteral("Load this mode when next start"), this),
                      IDC_PARAM_LOAD_AT_START, {17, 352, 240, 20}));
    loadAtStart_->setLayoutDirection(Qt::RightToLeft);  // the text stands left of the box
    loadAtStart_->setChecked(false);
    // Ticking it has no action of its own: the sheet's OK stores it.

    page::colourPage(this, kBackground, edits_[0], edits_[1], edits_[2]);
    for (QGroupBox* group : groups_) {
        group->lower();
    }
}

CParameterPage::~CParameterPage() = default;

QRadioButton* CParameterPage::modeButton(CameraMode mode, int value) const {
    return modeButtons_[static_cast<int>(mode)][value != 0 ? 1 : 0];
}

QRadioButton* CParameterPage::setButton(int controlId) const {
    for (int s = 0; s < 4; ++s) {
        if (kSetIds[s] == controlId) {
            return setButtons_[s];
        }
    }
    return nullptr;
}

void CParameterPage::AttachRecord(CameraRecord* record) {
    record_ = record;
    if (!record_) {
        return;
    }
    CameraRecord& r = *record_;
    for (int i = 0; i < 3; ++i) {
        const CameraControl& gain = channel(r, i);
        sliders_[i]->Enable(gain.flag != 0);
        edits_[i]->setEnabled(gain.flag != 0);
        sliders_[i]->SetRange(gain.minimum, gain.maximum);
        sliders_[i]->SetPos(gain.value);
        gains_[i] = sliders_[i]->GetPos();
    }
    showGains();

    for (int m = 0; m < 3; ++m) {
        const CameraSwitch& mode = modeSwitch(r, static_cast<CameraMode>(m));
        const bool available = mode.flag != 0;
        modeButtons_[m][0]->setEnabled(available);
        modeButtons_[m][1]->setEnabled(available);
        tick(modeGroups_[m], modeButtons_[m], -1);
        if (available) {
            const int value = mode.value != 0 ? 1 : 0;
            tick(modeGroups_[m], modeButtons_[m], value);
            modes_[m] = value;
        }
    }

    setGroup_->setExclusive(false);
    for (QRadioButton* button : setButtons_) {
        button->setEnabled(true);
        button->setChecked(false);
    }
    setGroup_->setExclusive(true);
    chosenSet_ = r.parameterSetInUse;
    setButton(buttonOfParameterSet(chosenSet_))->setChecked(true);

    loadAtStart_->setEnabled(loadAtStartEnabled(chosenSet_));
    loadAtStart_->setChecked(loadAtStartTicked(chosenSet_, r.parameterSetAtOpen));
}

void CParameterPage::StoreToRecord(CameraRecord* record) {
    if (!record) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        channel(*record, i).value = sliders_[i]->GetPos();
    }
    for (int m = 0; m < 3; ++m) {
        modeSwitch(*record, static_cast<CameraMode>(m)).value = modes_[m];
    }
    record->parameterSetInUse = chosenSet_;
    readGains();
    record->parameterSetAtOpen = setToLoadAtStart(chosenSet_, loadAtStart_->isChecked());
}

void CParameterPage::showGains() {
    for (int i = 0; i < 3; ++i) {
        edits_[i]->setText(QString::number(gains_[i]));
    }
}

void CParameterPage::readGains() {
    for (int i = 0; i < 3; ++i) {
        const std::optional<int> value = readIntegerText(edits_[i]->text());
        if (!value) {
            framework::AfxMessageBox(integerExpectedMessage(), framework::MB_ICONWARNING, this);
            edits_[i]->setFocus();
            return;
        }
        gains_[i] = *value;
    }
}

std::intptr_t CParameterPage::onMessage(const framework::Message& message) {
    if (message.id != MSG_SLIDER_MOVING && message.id != MSG_SLIDER_MOVED) {
        return 0;
    }
    const int id = static_cast<int>(message.wParam);
    if (!record_ ||
        std::find(std::begin(kSliderIds), std::end(kSliderIds), id) == std::end(kSliderIds)) {
        return 0;
    }
    // All three gains go together, each as its slider stands.
    for (int i = 0; i < 3; ++i) {
        gains_[i] = sliders_[i]->GetPos();
    }
    showGains();
    sendColourGains(*record_, gains_[0], gains_[1], gains_[2]);
    return 0;
}

void CParameterPage::onGainTextChanged(int index) {
    if (!record_) {
        return;
    }
    readGains();
    sliders_[index]->SetPos(gains_[index]);
    sendColourGains(*record_, sliders_[0]->GetPos(), sliders_[1]->GetPos(), sliders_[2]->GetPos());
}

void CParameterPage::onModeButton(CameraMode mode, int value) {
    if (!record_) {
        return;
    }
    sendMode(*record_, mode, value);
    modes_[static_cast<int>(mode)] = modeSwitch(*record_, mode).value;
}

void CParameterPage::onSetButton(int controlId) {
    chosenSet_ = parameterSetOfButton(controlId);
    if (controlId == IDC_PARAM_SET_D || !record_) {
        return;
    }
    loadAtStart_->setEnabled(true);
    loadAtStart_->setChecked(loadAtStartTicked(chosenSet_, record_->parameterSetAtOpen));
}

void CParameterPage::onSave() {
    saveParameterSet(chosenSet_);
}

void CParameterPage::onLoad() {
    if (!record_) {
        return;
    }
    loadParameterSet(*record_, chosenSet_);
    // The camera window reads everything back, applies it and reloads the pages.
    if (framework::MessageTarget* target = cameraWindow()) {
        framework::sendMessage(target, {static_cast<unsigned>(MSG_READ_BACK_ALL), 0, 0, {}});
    }
}

framework::MessageTarget* CParameterPage::cameraWindow() const {
    if (cameraWindow_) {
        return cameraWindow_;
    }
    // The nearest message target above is the sheet; the camera window is its owner.
    return page::targetAbove(dynamic_cast<const QWidget*>(page::targetAbove(this)));
}

void CParameterPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int extra = std::max(0, width() - kPageSize.width());
    for (int i = 0; i < 5; ++i) {
        groups_[i]->resize(groupWidths_[i] + extra / 2, groups_[i]->height());
    }
}

}  // namespace korvel::camera
