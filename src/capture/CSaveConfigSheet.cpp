#include "capture/CSaveConfigSheet.h"

#include "capture/CSnapPage.h"
#include "capture/CVideoPage.h"
#include "framework/Message.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>

namespace korvel::capture {

using namespace korvel::res;

namespace {

const QColor kPageColour(216, 231, 252);

void colourPage(QWidget* page) {
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, kPageColour);
    page->setPalette(palette);
    page->setAutoFillBackground(true);
}

}  // namespace

CSaveConfigSheet::CSaveConfigSheet(framework::MessageTarget* cameraWindow, ResolutionTab resolution,
                                   QWidget* parent, std::vector<InstalledCompressor> compressors,
                                   CompressorSettingsTable* compressorSettings)
    : QDialog(parent),
      cameraWindow_(cameraWindow),
      resolution_(std::move(resolution)),
      tabs_(new QTabWidget(this)),
      snap_(new CSnapPage(this)),
      video_(new CVideoPage(std::move(compressors), compressorSettings, this)) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_SAVE_CONFIG));
    setWindowTitle(QStringLiteral("Config Property of Save"));
    setModal(false);
    tabs_->setObjectName(QString::number(1056));
    tabs_->addTab(snap_, loadString(IDS_TAB_SNAP));
    tabs_->addTab(video_, loadString(IDS_TAB_VIDEO));
    if (!resolution_.page) {
        // No camera page given: an empty tab keeps the tab order.
        resolution_.page = new QWidget(this);
    }
    tabs_->addTab(resolution_.page, loadString(IDS_TAB_RESOLUTION));
    for (QWidget* page : {static_cast<QWidget*>(snap_), static_cast<QWidget*>(video_)}) {
        colourPage(page);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(IDC_OK));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QString::number(IDC_CANCEL));
    connect(ok, &QPushButton::clicked, this, &CSaveConfigSheet::onOk);
    connect(cancel, &QPushButton::clicked, this, &CSaveConfigSheet::onCancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);

    if (parent) {
        adjustSize();
        move(parent->geometry().center() - rect().center());
    }
}

CSaveConfigSheet::~CSaveConfigSheet() = default;

void CSaveConfigSheet::AttachRecord(camera::CameraRecord* record, int tab) {
    record_ = record;
    if (!record_) {
        return;
    }
    backup_ =
        Backup{record_->snapshot,          record_->video,          record_->captureResolution,
               record_->previewResolution, record_->resolutionLock, record_->precisionSnapshot};
    snap_->AttachRecord(*record_);
    video_->AttachRecord(*record_);
    if (resolution_.attach) {
        resolution_.attach(record_);
    }
    tabs_->setCurrentIndex(tab >= kSnapTab && tab <= kResolutionTab ? tab : kSnapTab);
}

void CSaveConfigSheet::onOk() {
    if (finished_) {
        return;
    }
    if (record_) {
        snap_->StoreToRecord(*record_);
        video_->StoreToRecord(*record_);
        if (resolution_.store) {
            resolution_.store(record_);
        }
        if (backup_ && record_->previewResolution != backup_->previewResolution) {
            // A new preview resolution takes a reopened camera.
            framework::sendMessage(cameraWindow_, {unsigned(MSG_CAMERA_CLOSE), 0, 0, {}});
            if (sleep_) {
                sleep_(std::chrono::milliseconds(200));
            } else {
                QThread::msleep(200);
            }
            framework::sendMessage(
                cameraWindow_, {unsigned(MSG_CAMERA_OPEN),
                                static_cast<std::uintptr_t>(record_->backgroundCorrectionApplied),
                                0,
                                {}});
        }
    }
    finish();
}

void CSaveConfigSheet::onCancel() {
    if (finished_) {
        return;
    }
    if (record_ && backup_) {
        record_->snapshot = backup_->snapshot;
        record_->video = backup_->video;
        record_->captureResolution = backup_->captureResolution;
        record_->previewResolution = backup_->previewResolution;
        record_->resolutionLock = backup_->resolutionLock;
        record_->precisionSnapshot = backup_->precisionSnapshot;
    }
    finish();
}

void CSaveConfigSheet::reject() {
    onCancel();
}

void CSaveConfigSheet::closeEvent(QCloseEvent* event) {
    // The close box: the record keeps whatever was stored before.
    finish();
    event->accept();
}

void CSaveConfigSheet::finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    hide();
    framework::sendMessage(cameraWindow_, {unsigned(MSG_CLOSE_SAVE_CONFIG), 0, 0, {}});
}

}  // namespace korvel::capture
