#include "camera/CExposurePage.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>

#include "camera/CTimeEntryCtrl.h"
#include "camera/CameraModels.h"
#include "camera/ExposureControls.h"
#include "camera/PageControls.h"
#include "res/ids.h"
#include "ui/CPageSlider.h"

namespace korvel::camera {

using namespace korvel::res;

namespace {

// The page is 187 x 240 dialog units; these are its pixels and the controls' places.
constexpr QSize kPageSize{281, 390};
constexpr int kGroupLeft = 7;
constexpr int kGroupWidth = 267;
constexpr QRect kExposureGroup{kGroupLeft, 4, kGroupWidth, 252};
constexpr QRect kAutoButton{17, 22, 120, 20};
constexpr QRect kManualButton{140, 22, 130, 20};  // room for the whole "Manual Exposure"
constexpr QRect kDarkLabel{17, 48, 60, 16};
constexpr QRect kBrightLabel{205, 48, 60, 16};
constexpr QRect kTargetSlider{17, 64, 248, 18};
constexpr QRect kTimeLabel{17, 92, 120, 16};
constexpr QRect kTimeEntry{12, 110, 150, 38};
constexpr QRect kSetTimeButton{175, 112, 90, 24};
constexpr QRect kExposureSlider{17, 156, 248, 18};
constexpr QRect kGainLabel{17, 190, 60, 16};
constexpr QRect kGainText{190, 186, 75, 22};
constexpr QRect kGainSlider{17, 218, 248, 18};
constexpr QRect kBalanceGroup{kGroupLeft, 264, kGroupWidth, 64};
constexpr QRect kWhiteBalance{17, 290, 90, 24};
constexpr QRect kBlackBalance{115, 290, 90, 24};
constexpr QRect kDefault{kGroupLeft, 342, 90, 26};
}  // namespace

CExposurePage::CExposurePage(QWidget* parent)
    : QWidget(parent),
      exposureGroup_(page::transparent(page::control(
          new QGroupBox(QStringLiteral("Exposure"), this), IDC_EXPOSURE_GROUP, kExposureGroup))),
      auto_(page::transparent(page::control(new QRadioButton(QStringLiteral("Auto Exposure"), this),
                                            IDC_EXPOSURE_AUTO, kAutoButton))),
      manual_(
          page::transparent(page::control(new QRadioButton(QStringLiteral("Manual Exposure"), this),
                                          IDC_EXPOSURE_MANUAL, kManualButton))),
      autoManual_(new QButtonGroup(this)),
      targetSlider_(page::slider(this, IDC_EXPOSURE_TARGET_SLIDER, kTargetSlider)),
      darkLabel_(page::transparent(page::control(new QLabel(QStringLiteral("Dark"), this),
                                                 IDC_EXPOSURE_TARGET_DARK, kDarkLabel))),
      brightLabel_(page::transparent(page::control(new QLabel(QStringLiteral("Bright"), this),
                                                   IDC_EXPOSURE_TARGET_BRIGHT, kBrightLabel))),
      timeEntry_(new CTimeEntryCtrl(kTimeEntry, IDC_EXPOSURE_TIME_ENTRY, this)),
      timeLabel_(page::transparent(page::control(new QLabel(QStringLiteral("Exposure Time:"), this),
                                                 IDC_EXPOSURE_TIME_LABEL, kTimeLabel))),
      exposureSlider_(page::slider(this, IDC_EXPOSURE_TIME_SLIDER, kExposureSlider)),
      setTimeButton_(page::control(new QPushButton(QStringLiteral("Update time"), this),
                                   IDC_EXPOSURE_SET_TIME, kSetTimeButton)),
      gainLabel_(page::transparent(page::control(new QLabel(QStringLiteral("Gain:"), this),
                                                 IDC_EXPOSURE_GAIN_LABEL, kGainLabel))),
      gainSlider_(page::slider(this, IDC_EXPOSURE_GAIN_SLIDER, kGainSlider)),
      gainText_(page::control(new QLineEdit(this), IDC_EXPOSURE_GAIN_TEXT, kGainText)),
      balanceGroup_(
          page::transparent(page::control(new QGroupBox(QStringLiteral("White Balance"), this),
                                          IDC_EXPOSURE_WB_GROUP, kBalanceGroup))),
      whiteBalance_(page::control(new QPushButton(QStringLiteral("W.Balance"), this),
                                  IDC_EXPOSURE_WHITE_BALANCE, kWhiteBalance)),
      blackBalance_(page::control(new QPushButton(QStringLiteral("B.Balance"), this),
                                  IDC_EXPOSURE_BLACK_BALANCE, kBlackBalance)),
      default_(page::control(new QPushButton(QStringLiteral("Default"), this), IDC_EXPOSURE_DEFAULT,
                             kDefault)),
      groupWidth_(kGroupWidth) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_EXPOSURE_PAGE));
    resize(kPageSize);

    // The page's colour behind every control but the gain text, which keeps its own look,
    // disabled look included.
    page::colourPage(this, kBackground, gainText_);

    // Group boxes stay behind the controls they frame.
    exposureGroup_->lower();
    balanceGroup_->lower();

    autoManual_->addButton(auto_);
    autoManual_->addButton(manual_);

    timeEntry_->setObjectName(QString::number(IDC_EXPOSURE_TIME_ENTRY));
    timeEntry_->SetSelectedField(3);
    timeEntry_->ShowSlider(false);
    timeEntry_->SetBackgroundColor(kBackground);

    for (QPushButton* button : {setTimeButton_, whiteBalance_, blackBalance_, default_}) {
        button->setAutoDefault(false);
    }
    setTimeButton_->setText(QStringLiteral("Set time"));

    connect(auto_, &QRadioButton::clicked, this, [this] { onAutoExposure(); });
    connect(manual_, &QRadioButton::clicked, this, [this] { onManualExposure(); });
    connect(setTimeButton_, &QPushButton::clicked, this, [this] { onSetTime(); });
    connect(default_, &QPushButton::clicked, this, [this] { onDefault(); });
    connect(whiteBalance_, &QPushButton::clicked, this, [this] { onWhiteBalance(); });
    connect(blackBalance_, &QPushButton::clicked, this, [this] { onBlackBalance(); });
    // Typing into the gain text has no lasting effect: the slider's ISO text comes back.
    connect(gainText_, &QLineEdit::textEdited, this, [this] { showIsoText(); });
}

CExposurePage::~CExposurePage() = default;

void CExposurePage::AttachRecord(CameraRecord* record) {
    record_ = record;
    if (!record_) {
        return;
    }
    const CameraRecord& r = *record_;
    const bool aeAvailable = r.autoExposure.flag != 0;
    auto_->setEnabled(aeAvailable);
    manual_->setEnabled(aeAvailable);
    blackBalance_->setEnabled(r.quickBalance.flag != 0);
    tickAutoExposure();

    targetSlider_->Enable(r.aeTarget.flag != 0);
    targetSlider_->SetRange(r.aeTarget.minimum, r.aeTarget.maximum);
    targetSlider_->SetPos(r.aeTarget.value);

    exposureSlider_->Enable(r.exposure.flag != 0);
    exposureSlider_->SetRange(r.exposure.minimum, r.exposure.maximum);
    exposureSlider_->SetPos(r.exposure.value);
    timeEntry_->Enable(r.exposure.flag != 0);
    timeEntry_->SetLongExposureMode(r.longExposureMode != 0);
    const TimeLimit limit = exposureTimeLimit(r.exposure.maximum, r.longExposureMode != 0);
    timeEntry_->SetMaxTime(limit.minutes, limit.seconds, limit.milliseconds);
    timeEntry_->SetTimeMs(r.exposure.value);
    timeEntry_->SetSelectedField(3);

    gainSlider_->Enable(r.analogGain.flag != 0);
    gainSlider_->SetRange(r.analogGain.minimum, r.analogGain.maximum);
    gainSlider_->SetPos(r.analogGain.value);

    isoText_ = camera::isoText(gainSlider_->GetPos());
    showIsoText();

    const bool whiteBalance = r.colourGains.flag != 0;
    balanceGroup_->setEnabled(whiteBalance);
    whiteBalance_->setEnabled(whiteBalance);
    Refresh();
}

void CExposurePage::StoreToRecord(CameraRecord* record) const {
    if (!record) {
        return;
    }
    record->aeTarget.value = targetSlider_->GetPos();
    record->exposure.value = exposureSlider_->GetPos();
    record->analogGain.value = gainSlider_->GetPos();
}

void CExposurePage::Refresh() {
    if (!record_) {
        return;
    }
    CameraRecord& r = *record_;
    const ExposurePageEnabling enabling = exposurePageEnabling(r, setTime_);
    targetSlider_->Enable(enabling.target);
    darkLabel_->setEnabled(enabling.target);
    brightLabel_->setEnabled(enabling.target);
    exposureSlider_->Enable(enabling.exposure);
    timeEntry_->Enable(enabling.exposure);
    timeLabel_->setEnabled(enabling.exposure);
    gainSlider_->Enable(enabling.gain);
    gainText_->setEnabled(enabling.gain);
    gainLabel_->setEnabled(enabling.gain);

    // The camera's exposure as it stands, not what the sliders last showed.
    // A camera that does not answer leaves the values as they were.
    const int milliseconds = cameraExposureMs(r.exposureSent);
    r.exposureSent = milliseconds;
    r.exposure.value = exposureValueForMs(milliseconds, r.longExposureMode != 0);
    exposureSlider_->SetPos(r.exposure.value);
    timeEntry_->SetTimeMs(exposureSlider_->GetPos());
    timeEntry_->SetSelectedField(3);

    gainSlider_->SetPos(cameraGainStep(r.typeId, r.analogGain.value));
    r.analogGain.value = gainSlider_->GetPos();
    isoText_ = camera::isoText(gainSlider_->GetPos());
    showIsoText();

    tickAutoExposure();
    setTimeButton_->setEnabled(enabling.setTime);
}

void CExposurePage::tickAutoExposure() {
    const bool on = record_ && record_->autoExposure.value != 0;
    (on ? auto_ : manual_)->setChecked(true);
}

void CExposurePage::showIsoText() {
    isoText_ = camera::isoText(gainSlider_->GetPos());
    gainText_->setText(isoText_);
}

void CExposurePage::onAutoExposure() {
    if (!record_ || record_->autoExposure.value != 0) {
        tickAutoExposure();
        return;
    }
    record_->autoExposure.value = 1;
    record_->runningBrightness = 0;
    sendAutoExposureState(*record_);
    Refresh();
}

void CExposurePage::onManualExposure() {
    if (!record_ || record_->autoExposure.value == 0) {
        tickAutoExposure();
        return;
    }
    record_->autoExposure.value = 0;
    sendAutoExposureState(*record_);
    Refresh();
}

void CExposurePage::onSetTime() {
    if (!record_) {
        return;
    }
    if (!setTime_) {
        setTime_ = true;
        setTimeButton_->setText(QStringLiteral("Update time"));
    } else {
        // The entered time is applied by the camera window, the only way to the camera.
        exposureSlider_->SetPos(timeEntry_->GetTimeMs());
        record_->exposure.value = exposureSlider_->GetPos();
        sendToCameraWindow(MSG_SET_EXPOSURE, record_->exposure.value);
        setTime_ = false;
        setTimeButton_->setText(QStringLiteral("Set time"));
    }
    Refresh();
}

void CExposurePage::onDefault() {
    if (!record_) {
        return;
    }
    initializeCameraModel(*record_);
    sendToCameraWindow(MSG_APPLY_ALL);
}

void CExposurePage::onWhiteBalance() {
    sendToSheet(MSG_QUICK_WHITE_BALANCE);
}

void CExposurePage::onBlackBalance() {
    sendToSheet(MSG_BLACK_BALANCE);
}

void CExposurePage::sliderMoved(int controlId, int position) {
    if (!record_) {
        return;
    }
    switch (controlId) {
        case IDC_EXPOSURE_TIME_SLIDER:
            // Only the shown time changes; "Update time" applies it.
            record_->exposure.value = position;
            timeEntry_->SetTimeMs(position);
            timeEntry_->SetSelectedField(3);
            break;
        case IDC_EXPOSURE_TARGET_SLIDER:
            sendTargetStep(*record_, position);
            break;
        case IDC_EXPOSURE_GAIN_SLIDER:
            isoText_ = camera::isoText(position);
            gainText_->setText(isoText_);
            sendGainStep(*record_, position);
            break;
        default:
            break;
    }
}

std::intptr_t CExposurePage::onMessage(const framework::Message& message) {
    switch (message.id) {
        case MSG_SLIDER_MOVING:
        case MSG_SLIDER_MOVED:
            sliderMoved(static_cast<int>(message.wParam), static_cast<int>(message.lParam));
            return 0;
        default:
            return 0;  // WM_TIMECHANGE included: the time is read when the user asks
    }
}

framework::MessageTarget* CExposurePage::sheet() const {
    return sheet_ ? sheet_ : page::targetAbove(this);
}

framework::MessageTarget* CExposurePage::cameraWindow() const {
    if (cameraWindow_) {
        return cameraWindow_;
    }
    return page::targetAbove(dynamic_cast<const QWidget*>(sheet()));
}

std::intptr_t CExposurePage::sendToSheet(int message) {
    framework::MessageTarget* target = sheet();
    return target ? framework::sendMessage(target, {static_cast<unsigned>(message), 0, 0, {}}) : 0;
}

std::intptr_t CExposurePage::sendToCameraWindow(int message, int value) {
    framework::MessageTarget* target = cameraWindow();
    if (!target) {
        return 0;
    }
    return framework::sendMessage(
        target, {static_cast<unsigned>(message), static_cast<std::uintptr_t>(value), 0, {}});
}

void CExposurePage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Both group boxes take half of any width beyond the page's own.
    const int extra = std::max(0, width() - kPageSize.width());
    for (QGroupBox* group : {exposureGroup_, balanceGroup_}) {
        group->resize(groupWidth_ + extra / 2, group->height());
    }
}

}  // namespace korvel::camera
