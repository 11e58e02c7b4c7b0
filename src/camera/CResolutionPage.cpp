#include "camera/CResolutionPage.h"

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

#include "camera/PageControls.h"
#include "camera/SettingsSheetControls.h"
#include "krvcamera/KRVCamera.h"
#include "res/ids.h"

namespace korvel::camera {

using namespace korvel::res;

namespace {

constexpr QSize kPageSize{281, 390};
constexpr QRect kPreviewList{17, 40, 170, 24};
constexpr QRect kCaptureList{17, 110, 170, 24};
constexpr QRect kLock{210, 70, 32, 34};

// The camera library's way into a list: one entry per resolution.
void appendEntry(void* list, const char* text) {
    static_cast<QComboBox*>(list)->addItem(QString::fromUtf8(text ? text : ""));
}

// A padlock, closed (the lists go together) or open.
QPixmap lockPicture(bool closed) {
    QPixmap pixmap(24, 28);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 3));
    QPainterPath shackle;
    const qreal lift = closed ? 0 : 5;
    shackle.moveTo(6, 14 - lift);
    shackle.lineTo(6, 9 - lift);
    shackle.arcTo(6, 3 - lift, 12, 12, 180, -180);
    shackle.lineTo(18, closed ? 14 : 9 - lift);
    painter.drawPath(shackle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(closed ? QColor(200, 150, 30) : QColor(160, 160, 160));
    painter.drawRoundedRect(QRectF(2, 13, 20, 14), 2, 2);
    return pixmap;
}

}  // namespace

CResolutionPage::CResolutionPage(QWidget* parent)
    : QWidget(parent),
      preview_(page::control(new QComboBox(this), IDC_RESOLUTION_PREVIEW_LIST, kPreviewList)),
      capture_(page::control(new QComboBox(this), IDC_RESOLUTION_CAPTURE_LIST, kCaptureList)),
      lock_(page::control(new QPushButton(this), IDC_RESOLUTION_LOCK, kLock)),
      lockHome_(kLock.topLeft()) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_RESOLUTION_PAGE));
    resize(kPageSize);
    page::transparent(new QLabel(QStringLiteral("Preview Resolution"), this))
        ->setGeometry(17, 20, 170, 16);
    page::transparent(new QLabel(QStringLiteral("Capture Resolution"), this))
        ->setGeometry(17, 90, 170, 16);

    // Both lists come from the camera, in resolution-index order.
    preview_->clear();
    KRVCamera_Registerpixel(preview_, appendEntry);
    capture_->clear();
    KRVCamera_Registerpixel(capture_, appendEntry);

    page::colourPage(this, kBackground, preview_, capture_);

    QIcon lockIcon;
    lockIcon.addPixmap(lockPicture(true), QIcon::Normal, QIcon::On);
    lockIcon.addPixmap(lockPicture(false), QIcon::Normal, QIcon::Off);
    lock_->setIcon(lockIcon);
    lock_->setIconSize(QSize(24, 28));
    lock_->setCheckable(true);
    lock_->setAutoDefault(false);

    connect(preview_, &QComboBox::activated, this, [this](int index) { onPreviewChosen(index); });
    connect(capture_, &QComboBox::activated, this, [this](int index) { onCaptureChosen(index); });
    connect(lock_, &QPushButton::clicked, this, [this] { onLock(); });
}

CResolutionPage::~CResolutionPage() = default;

bool CResolutionPage::locked() const {
    return lock_->isChecked();
}

void CResolutionPage::AttachRecord(CameraRecord* record) {
    record_ = record;
    if (!record_) {
        return;
    }
    preview_->setCurrentIndex(
        record_->previewResolution < preview_->count() ? record_->previewResolution : -1);
    capture_->setCurrentIndex(
        record_->captureResolution < capture_->count() ? record_->captureResolution : -1);
    lock_->setChecked(effectiveResolutionLock(*record_, record_->resolutionLock != 0));
    update();
}

void CResolutionPage::StoreToRecord(CameraRecord* record) {
    if (!record) {
        return;
    }
    record->resolutionLock = lock_->isChecked() ? 1 : 0;
    // An empty list (no camera) leaves the indices as they are.
    if (preview_->currentIndex() >= 0) {
        record->previewResolution = static_cast<std::uint8_t>(preview_->currentIndex());
    }
    if (capture_->currentIndex() >= 0) {
        record->captureResolution = static_cast<std::uint8_t>(capture_->currentIndex());
    }
}

void CResolutionPage::onPreviewChosen(int index) {
    capture_->setCurrentIndex(otherResolutionEntry(locked(), index, capture_->currentIndex()));
}

void CResolutionPage::onCaptureChosen(int index) {
    preview_->setCurrentIndex(otherResolutionEntry(locked(), index, preview_->currentIndex()));
}

void CResolutionPage::onLock() {
    if (record_) {
        lock_->setChecked(effectiveResolutionLock(*record_, lock_->isChecked()));
    }
    if (locked()) {
        capture_->setCurrentIndex(preview_->currentIndex());
    }
    update();
}

void CResolutionPage::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!locked()) {
        return;
    }
    // A bracket from each list to the lock.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Shadow), 3));
    const QRect lock = lock_->geometry();
    const int x = lock.center().x();
    const int previewMiddle = preview_->geometry().center().y();
    const int captureMiddle = capture_->geometry().center().y();
    painter.drawLine(x, previewMiddle, x, lock.top());
    painter.drawLine(x, previewMiddle, preview_->geometry().left(), previewMiddle);
    painter.drawLine(x, captureMiddle, x, lock.bottom());
    painter.drawLine(x, captureMiddle, capture_->geometry().left(), captureMiddle);
}

void CResolutionPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int extra = std::max(0, width() - kPageSize.width());
    lock_->move(lockHome_.x() + extra / 2, lockHome_.y());
}

}  // namespace korvel::camera
