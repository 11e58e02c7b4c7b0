#pragma once

// The modeless "Digital Camera Setting" dialog (dialog 185): the exposure, image-adjust and
// parameter pages as tabs over the camera window's record. Every page change reaches the
// camera at once; OK stores the pages and saves the working parameter set, Cancel takes
// back the backed-up record fields and has the camera window apply the record again. It
// also carries out the exposure page's white and black balance.

#include <QColor>
#include <QDialog>

#include "camera/CameraRecord.h"
#include "camera/SettingsSheetControls.h"
#include "camera/WhiteBalance.h"
#include "framework/Message.h"

class QPushButton;
class QTabWidget;

namespace korvel::camera {

class CExposurePage;
class CImageAdjustPage;
class CParameterPage;

class CCameraSettingSheet : public QDialog, public framework::MessageTarget {
public:
    static constexpr QColor kBackground{216, 231, 252};

    // `cameraWindow` receives 1288 and 1301 (and, through the pages, 1298, 1301 and 1314);
    // `parent` is the window the sheet is centred on. `sleep` serves the quick white
    // balance's wait (a real sleep when empty).
    CCameraSettingSheet(framework::MessageTarget* cameraWindow, QWidget* parent = nullptr,
                        Sleep sleep = {});
    ~CCameraSettingSheet() override;

    // Binds the sheet and its pages, in the order exposure, image adjust, parameter.
    void AttachRecord(CameraRecord* record);
    // The record fields that Cancel takes back.
    void Backup();
    void Restore();

    CameraRecord* record() const { return record_; }
    const SheetBackup& backup() const { return backup_; }

    CExposurePage* exposurePage() const { return exposurePage_; }
    CImageAdjustPage* imageAdjustPage() const { return imageAdjustPage_; }
    CParameterPage* parameterPage() const { return parameterPage_; }
    QTabWidget* tabs() const { return tabs_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // 1285 quick white balance, 1316 black balance (from the exposure page).
    std::intptr_t onMessage(const framework::Message& message) override;

    void onOk();
    void onCancel();
    void quickWhiteBalance();
    void blackBalance();

    // The close box and Escape: the camera window destroys the sheet; nothing is stored
    // or restored.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sendToCameraWindow(int message);

    framework::MessageTarget* cameraWindow_;
    Sleep sleep_;
    CameraRecord* record_ = nullptr;
    SheetBackup backup_;

    // Children, owned through Qt's parent.
    QTabWidget* tabs_;
    CExposurePage* exposurePage_;
    CImageAdjustPage* imageAdjustPage_;
    CParameterPage* parameterPage_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool centred_ = false;
};

}  // namespace korvel::camera
