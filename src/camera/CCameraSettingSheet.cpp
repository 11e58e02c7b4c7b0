#include "camera/CCameraSettingSheet.h"

#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QThread>

#include "camera/CExposurePage.h"
#include "camera/CImageAdjustPage.h"
#include "camera/CParameterPage.h"
#include "camera/ExposureControls.h"
#include "camera/PageControls.h"
#include "krvcamera/KRVCamera.h"
#include "res/Resources.h"
#include "res/ids.h"

namespace korvel::camera {

using namespace korvel::res;

namespace {

// The tab control stands where static 1056 is; the pages are 281 x 390 pixels.
constexpr QRect kTabPlace{8, 8, 290, 420};
constexpr QSize kSheetSize{306, 474};
constexpr QRect kOk{120, 438, 84, 26};
constexpr QRect kCancel{214, 438, 84, 26};

}  // namespace

CCameraSettingSheet::CCameraSettingSheet(framework::MessageTarget* cameraWindow, QWidget* parent,
                                         Sleep sleep)
    : QDialog(parent),
      cameraWindow_(cameraWindow),
      sleep_(std::move(sleep)),
      tabs_(page::control(new QTabWidget(this), IDC_SHEET_TAB_PLACE, kTabPlace)),
      exposurePage_(new CExposurePage),
      imageAdjustPage_(new CImageAdjustPage),
      parameterPage_(new CParameterPage),
      ok_(page::control(new QPushButton(QStringLiteral("OK"), this), IDC_OK, kOk)),
      cancel_(page::control(new QPushButton(QStringLiteral("Cancel"), this), IDC_CANCEL, kCancel)) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_CAMERA_SETTINGS));
    setWindowTitle(QStringLiteral("Digital Camera Setting"));
    setModal(false);
    setFixedSize(kSheetSize);
    page::colourPage(this, kBackground);

    // The tab widget takes the pages as its children.
    tabs_->addTab(exposurePage_, loadString(IDS_TAB_MAIN));
    tabs_->addTab(imageAdjustPage_, loadString(IDS_TAB_IMAGE_ADJUST));
    tabs_->addTab(parameterPage_, loadString(IDS_TAB_PARAMETER));

    exposurePage_->SetSheet(this);
    exposurePage_->SetCameraWindow(cameraWindow_);
    parameterPage_->SetCameraWindow(cameraWindow_);

    for (QPushButton* button : {ok_, cancel_}) {
        button->setAutoDefault(false);
    }
    connect(ok_, &QPushButton::clicked, this, [this] { onOk(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { onCancel(); });
}

CCameraSettingSheet::~CCameraSettingSheet() = default;

void CCameraSettingSheet::AttachRecord(CameraRecord* record) {
    record_ = record;
    exposurePage_->AttachRecord(record);
    imageAdjustPage_->AttachRecord(record);
    parameterPage_->AttachRecord(record);
}

void CCameraSettingSheet::Backup() {
    if (record_) {
        backup_ = takeSheetBackup(*record_);
    }
}

void CCameraSettingSheet::Restore() {
    if (record_) {
        restoreSheetBackup(backup_, *record_);
    }
}

void CCameraSettingSheet::sendToCameraWindow(int message) {
    if (cameraWindow_) {
        framework::sendMessage(cameraWindow_, {static_cast<unsigned>(message), 0, 0, {}});
    }
}

void CCameraSettingSheet::onOk() {
    if (record_) {
        exposurePage_->StoreToRecord(record_);
        imageAdjustPage_->StoreToRecord(record_);
        parameterPage_->StoreToRecord(record_);
    }
    KRVCameraSaveParameter(0);
    sendToCameraWindow(MSG_CLOSE_SETTINGS_SHEET);
}

void CCameraSettingSheet::onCancel() {
    Restore();
    if (record_) {
        // The camera takes the set in use back; applying the record then gives it the
        // record's values again, and the colour gains come back from the set.
        KRVCameraReadParameter(record_->parameterSetInUse);
        // The set brought its own exposure time, which the exposure last sent no longer
        // describes. Unless the record learns it, applying the record skips an exposure
        // equal to the one last sent, and the camera keeps the set's time while the pages
        // show the record's.
        record_->exposureSent = cameraExposureMs(-1);
    }
    sendToCameraWindow(MSG_APPLY_ALL);
    sendToCameraWindow(MSG_CLOSE_SETTINGS_SHEET);
}

void CCameraSettingSheet::reject() {
    sendToCameraWindow(MSG_CLOSE_SETTINGS_SHEET);
    QDialog::reject();
}

void CCameraSettingSheet::quickWhiteBalance() {
    if (!record_) {
        return;
    }
    sheetQuickWhiteBalance(
        *record_, sleep_ ? sleep_ : [](std::chrono::milliseconds duration) {
            QThread::msleep(static_cast<unsigned long>(duration.count()));
        });
    parameterPage_->AttachRecord(record_);
}

void CCameraSettingSheet::blackBalance() {
    if (!record_ || !sheetBlackBalance(*record_)) {
        return;
    }
    imageAdjustPage_->AttachRecord(record_);
    // The gains changed too: without this the parameter page would show, and its OK store,
    // the gains from before the balance.
    parameterPage_->AttachRecord(record_);
}

std::intptr_t CCameraSettingSheet::onMessage(const framework::Message& message) {
    switch (message.id) {
        case MSG_QUICK_WHITE_BALANCE:
            quickWhiteBalance();
            return 0;
        case MSG_BLACK_BALANCE:
            blackBalance();
            return 0;
        default:
            return 0;
    }
}

void CCameraSettingSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_ && parentWidget()) {
        centred_ = true;
        const QRect owner = parentWidget()->frameGeometry();
        move(owner.center() - rect().center());
    }
}

}  // namespace korvel::camera
