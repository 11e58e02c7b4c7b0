#pragma once

// "Config Property of Save" (dialog 207): the modeless sheet of the camera window with the
// "Snap", "Video" and "Resolution" tabs. The pages edit the camera record; OK stores them,
// Cancel puts back what the record held when the sheet was attached. However it closes, it
// tells the camera window with 1302, which then destroys it.

#include "camera/CameraRecord.h"
#include "capture/CCompressorQualityDialog.h"
#include "capture/CompressorList.h"

#include <QDialog>

#include <chrono>
#include <functional>
#include <optional>

class QTabWidget;

namespace korvel::framework {
class MessageTarget;
}

namespace korvel::capture {

class CSnapPage;
class CVideoPage;

// The "Resolution" tab: the camera's resolution page, given by the camera window.
struct ResolutionTab {
    QWidget* page = nullptr;  // the sheet takes it over as a child
    std::function<void(camera::CameraRecord*)> attach;
    std::function<void(camera::CameraRecord*)> store;
};

class CSaveConfigSheet : public QDialog {
    Q_OBJECT

public:
    enum Tab { kSnapTab = 0, kVideoTab = 1, kResolutionTab = 2 };

    CSaveConfigSheet(framework::MessageTarget* cameraWindow, ResolutionTab resolution,
                     QWidget* parent = nullptr,
                     std::vector<InstalledCompressor> compressors = installedCompressors(),
                     CompressorSettingsTable* compressorSettings = nullptr);
    ~CSaveConfigSheet() override;

    // Loads the three pages from the record and selects `tab`; keeps the backup Cancel
    // restores.
    void AttachRecord(camera::CameraRecord* record, int tab);

    // The buttons' actions.
    void onOk();
    void onCancel();
    void reject() override;  // Escape: as Cancel

    // The 200 ms between closing and reopening the camera (a real sleep unless set).
    void setSleep(std::function<void(std::chrono::milliseconds)> sleep) {
        sleep_ = std::move(sleep);
    }

    CSnapPage* snapPage() const { return snap_; }
    CVideoPage* videoPage() const { return video_; }
    QWidget* resolutionPage() const { return resolution_.page; }
    QTabWidget* tabs() const { return tabs_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The record fields the pages edit, apart from the two only the model sets.
    struct Backup {
        camera::SnapshotSettings snapshot;
        camera::VideoSettings video;
        std::uint8_t captureResolution = 0;
        std::uint8_t previewResolution = 0;
        int resolutionLock = 1;
        int precisionSnapshot = 0;
    };

    void finish();

    framework::MessageTarget* cameraWindow_;
    ResolutionTab resolution_;
    camera::CameraRecord* record_ = nullptr;
    std::optional<Backup> backup_;
    std::function<void(std::chrono::milliseconds)> sleep_;
    bool finished_ = false;

    // Children, owned through Qt's parent.
    QTabWidget* tabs_;
    CSnapPage* snap_;
    CVideoPage* video_;
};

}  // namespace korvel::capture
