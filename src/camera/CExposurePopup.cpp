#include "camera/CExposurePopup.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

#include "camera/CTimeEntryCtrl.h"
#include "camera/CameraModels.h"
#include "camera/ExposureControls.h"
#include "res/ids.h"
#include "ui/CPageSlider.h"

namespace korvel::camera {

using namespace korvel::res;

namespace {

constexpr QRect kAutoBox{2, 8, 12, 14};
constexpr QPoint kCaptionAt{15, 8};
constexpr const char* kCaption = "Auto-Exposure";
constexpr const char* kFontFace = "MS Sans Serif";
constexpr int kFontHeight = 13;
constexpr int kSmallestFontHeight = 8;
constexpr QRect kSlider{95, 40, 115, 18};
constexpr QRect kSetButton{5, 35, 75, 22};
constexpr QRect kTimeEntry{90, 5, 115, 35};  // (90, 5) to (205, 40)
constexpr int kTimeFieldHeight = 18;
constexpr int kSliderMaximum = 10000;

}  // namespace

CExposurePopup::CExposurePopup(CameraRecord& record, framework::MessageTarget* owner,
                               QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      record_(record),
      owner_(owner),
      autoBox_(new QCheckBox(this)),
      slider_(new ui::CPageSlider(IDC_POPUP_EXPOSURE_SLIDER, this)),
      setButton_(new QPushButton(QStringLiteral("Set"), this)),
      timeEntry_(new CTimeEntryCtrl(kTimeEntry, 0, this)) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_EXPOSURE_POPUP));
    resize(kSize);

    autoBox_->setObjectName(QString::number(IDC_POPUP_AUTO_EXPOSURE));
    autoBox_->setGeometry(kAutoBox);
    slider_->setObjectName(QString::number(IDC_POPUP_EXPOSURE_SLIDER));
    slider_->setGeometry(kSlider);
    slider_->SetRange(0, kSliderMaximum);
    setButton_->setObjectName(QString::number(IDC_POPUP_SET));
    setButton_->setGeometry(kSetButton);
    setButton_->setAutoDefault(false);

    timeEntry_->SetFieldHeight(kTimeFieldHeight);
    timeEntry_->ShowSlider(false);
    timeEntry_->SetBackgroundColor(kTimeEntryBackground);
    timeEntry_->SetSelectedField(3);
    enableTimeControls(false);

    connect(autoBox_, &QCheckBox::clicked, this, [this] { onAutoExposureClicked(); });
    connect(setButton_, &QPushButton::clicked, this, [this] { onSet(); });
}

CExposurePopup::~CExposurePopup() = default;

void CExposurePopup::enableTimeControls(bool enabled) {
    slider_->Enable(enabled);
    timeEntry_->Enable(enabled);
}

void CExposurePopup::showSlider() {
    timeEntry_->SetTimeMs(slider_->GetPos());
    timeEntry_->SetSelectedField(3);
}

void CExposurePopup::SetAutoExposure(bool on) {
    autoExposure_ = on;
    autoBox_->setChecked(on);
    setButton_->setEnabled(!on);
    enableTimeControls(!on && setTime_);
}

void CExposurePopup::SetExposure(int value) {
    slider_->SetPos(value);
    showSlider();
}

void CExposurePopup::SetExposureRange(int minimum, int maximum, bool longExposure) {
    const TimeLimit limit = exposureTimeLimit(maximum, longExposure);
    timeEntry_->SetMaxTime(limit.minutes, limit.seconds, limit.milliseconds);
    slider_->SetRange(minimum, maximum);
}

void CExposurePopup::EnableAutoExposureBox(bool enabled) {
    autoBox_->setEnabled(enabled);
}

void CExposurePopup::SetLongExposure(bool on) {
    longExposure_ = on;
    timeEntry_->SetLongExposureMode(on);
}

void CExposurePopup::onAutoExposureClicked() {
    autoExposure_ = autoBox_->isChecked();
    setTime_ = false;
    setButton_->setText(QStringLiteral("Set"));
    enableTimeControls(false);
    setButton_->setEnabled(!autoExposure_);

    record_.runningBrightness = 0;
    record_.autoExposure.value = autoExposure_ ? 1 : 0;
    sendAutoExposureState(record_);
    const int unread = longExposure_ ? longExposureIndexToMs(slider_->GetPos()) : slider_->GetPos();
    slider_->SetPos(exposureValueForMs(cameraExposureMs(unread), longExposure_));
    showSlider();
}

void CExposurePopup::onSet() {
    if (setTime_) {
        // The entered time goes to the camera window, which applies it.
        slider_->SetPos(timeEntry_->GetTimeMs());
        if (owner_) {
            framework::sendMessage(owner_, {static_cast<unsigned>(MSG_SET_EXPOSURE),
                                            static_cast<std::uintptr_t>(slider_->GetPos()),
                                            0,
                                            {}});
        }
        setTime_ = false;
        enableTimeControls(false);
        setButton_->setText(QStringLiteral("Set"));
    } else {
        setTime_ = true;
        setButton_->setText(QStringLiteral("Update"));
        enableTimeControls(!autoExposure_);
        slider_->SetPos(timeEntry_->GetTimeMs());
    }
}

std::intptr_t CExposurePopup::onMessage(const framework::Message& message) {
    if ((message.id == MSG_SLIDER_MOVING || message.id == MSG_SLIDER_MOVED) &&
        static_cast<int>(message.wParam) == IDC_POPUP_EXPOSURE_SLIDER) {
        showSlider();
    }
    return 0;  // the time-entry control's notices need nothing: the time is read on "Update"
}

QToolButton* CExposurePopup::exposureButton() const {
    const QWidget* owner = parentWidget();
    if (!owner) {
        return nullptr;
    }
    for (QToolButton* button : owner->findChildren<QToolButton*>()) {
        const QAction* action = button->defaultAction();
        if (action && action->data().toInt() == ID_CAMERA_EXPOSURE && button->isVisible()) {
            return button;
        }
    }
    return nullptr;
}

bool CExposurePopup::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && owner_) {
        // The camera window closes the pop-up once it is no longer the active window. A
        // click on the Exposure button closes it through the button's own command; closing
        // it here as well would let that same click open it again.
        const QToolButton* button = exposureButton();
        const bool onButton =
            button && button->rect().contains(button->mapFromGlobal(QCursor::pos()));
        if (!onButton) {
            framework::sendMessage(owner_,
                                   {static_cast<unsigned>(MSG_EXPOSURE_POPUP_CLOSING), 1, 0, {}});
        }
    }
    return QWidget::event(event);
}

void CExposurePopup::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Above the Exposure button while that is on the screen; below the toolbar when the
    // camera window stands at the top of the screen.
    if (const QToolButton* button = exposureButton(); button && button->parentWidget()) {
        const QWidget* toolBar = button->parentWidget();
        const QRect buttonRect(button->mapToGlobal(QPoint(0, 0)), button->size());
        const QRect toolBarRect(toolBar->mapToGlobal(QPoint(0, 0)), toolBar->size());
        const QRect available = screen() ? screen()->availableGeometry() : QRect();
        setGeometry(exposurePopupPlace(buttonRect, toolBarRect, size(), available));
    }
    // Shown active, like a dialog: a click anywhere else then closes it, instead of
    // leaving it open and the camera window busy.
    raise();
    activateWindow();
}

QFont CExposurePopup::captionFont() const {
    QFont font(QString::fromLatin1(kFontFace));
    font.setPixelSize(kFontHeight);
    const QString caption = QString::fromLatin1(kCaption);
    const int room = kTimeEntry.left() - kCaptionAt.x() - 2;
    const auto fits = [&] { return QFontMetrics(font).horizontalAdvance(caption) <= room; };
    if (fits()) {
        return font;
    }
    font.setStretch(QFont::Condensed);
    for (int height = kFontHeight; height > kSmallestFontHeight && !fits(); --height) {
        font.setPixelSize(height - 1);
    }
    return font;
}

void CExposurePopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setFont(captionFont());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(QRect(kCaptionAt, QSize(kTimeEntry.left() - kCaptionAt.x(), kFontHeight + 4)),
                     Qt::AlignLeft | Qt::AlignTop, QString::fromLatin1(kCaption));
}

void CExposurePopup::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();  // Enter does not close the pop-up
            return;
        case Qt::Key_Escape:
            // Closed the way the camera window closes it, so its busy code is released.
            event->accept();
            if (owner_) {
                framework::sendMessage(
                    owner_, {static_cast<unsigned>(MSG_EXPOSURE_POPUP_CLOSING), 1, 0, {}});
            }
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void CExposurePopup::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    // A click anywhere on the background drags the pop-up like a caption would; where the
    // window system cannot move it for us, the pop-up follows the pointer itself.
    if (windowHandle() && windowHandle()->startSystemMove()) {
        return;
    }
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CExposurePopup::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void CExposurePopup::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

}  // namespace korvel::camera
