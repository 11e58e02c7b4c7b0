#pragma once

// The camera window: a top-level window with the camera toolbar, the preview and a status
// bar with a brightness bar. It owns the camera record, opens the camera when it is made
// and closes it, in a fixed order, when it closes.

#include "camera/CameraRecord.h"
#include "camera/CameraSession.h"
#include "camera/CorrectionProgram.h"
#include "camera/FrameSurface.h"
#include "camera/RecordingControl.h"
#include "capture/CompressorList.h"
#include "capture/SnapshotPath.h"
#include "capture/SnapshotSeries.h"
#include "framework/CommandTarget.h"
#include "framework/Message.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QToolBar;

namespace korvel::framework {
class CommandActions;
}
namespace korvel::platform {
class SettingsStore;
}

namespace korvel::capture {
class CSaveConfigSheet;
}

namespace korvel::camera {

class CCameraSettingSheet;
class CExposurePage;
class CExposurePopup;
class CPreviewWnd;
class CWhiteBalanceWizard;

// Where the camera window goes for an image: the image fits the screen (shrunk by the
// larger of the two ratios when needed) with room for toolbar and caption, centred.
QRect fitCameraWindow(QSize image, int toolbarHeight, int captionHeight, QSize screen);

class CCameraFrame : public QMainWindow,
                     public framework::CommandTarget,
                     public framework::MessageTarget {
    Q_OBJECT

public:
    // Busy codes: the one user operation in progress.
    enum Busy {
        kIdle = 0,
        kSnapshot = 1,
        kAutoWhiteBalance = 3,
        kAreaWhiteBalance = 4,
        kExposurePopup = 6,
        kSettingsSheet = 7,
        kSaveConfiguration = 8,
        kCutting = 9,
        kRestoring = 10,
        kEnteringFullScreen = 11,
        kLeavingFullScreen = 12,
        kRecording = 13,
        kQuickBlackBalance = 14,
    };

    struct Environment {
        platform::SettingsStore& store;
        QString iniPath;                      // BRENIC.ini
        std::function<QString()> saveFolder;  // the default save folder
        PreviewControl* preview = nullptr;    // replaces the window's own live preview
        std::function<void(std::chrono::milliseconds)> sleep;  // waits of the camera steps
        framework::MessageTarget* mainWindow = nullptr;        // told of every file written
        std::function<void(int command)> mainWindowCommand;    // commands passed on to it
    };

    CCameraFrame(int typeId, bool longExposureMode, Environment environment,
                 QWidget* parent = nullptr);
    ~CCameraFrame() override;

    // The creation steps; ends by opening the camera.
    bool create();
    // Where the background-correction tables are read from (the current folder unless set).
    void setCorrectionFolder(const QString& folder) { correctionFolder_ = folder; }

    CameraRecord& record() { return record_; }
    CameraSession& session() { return session_; }
    int busy() const { return busy_; }
    QToolBar* toolBar() const { return toolBar_; }
    QProgressBar* brightnessBar() const { return brightnessBar_; }
    QLabel* textPane() const { return textPane_; }
    CPreviewWnd* previewWindow() const { return previewWindow_; }
    bool fullScreen() const { return fullScreen_; }
    framework::CommandActions& commandActions() const { return *actions_; }
    // The exposure pop-up while it is open, else null.
    CExposurePopup* exposurePopup() const { return exposurePopup_; }
    // The exposure page of the settings sheet, refreshed when the software auto exposure
    // ends; the sheet sets it while it exists.
    void setExposurePage(CExposurePage* page);
    // The camera settings sheet while it exists, else null.
    CCameraSettingSheet* settingsSheet() const;
    // Shows the white-balance wizard and returns its result (modal exec() unless set).
    void setWizardRunner(std::function<int(CWhiteBalanceWizard&)> run) {
        wizardRunner_ = std::move(run);
    }
    const framework::CommandRouter& router() const { return router_; }
    // Recording (1234) and the background-correction program (32938).
    RecordingControl& recordingControl() { return *recorder_; }
    CorrectionProgram& correctionProgram() { return correctionProgram_; }
    // The save configuration sheet while it is open, else null.
    capture::CSaveConfigSheet* saveConfigSheet() const { return saveConfigSheet_; }
    // The settings "Config" chose per video compressor, for the recording.
    const capture::CompressorSettingsTable& compressorSettings() const {
        return compressorSettings_;
    }
    // Replaces the snapshot file dialog (tests).
    void setSnapshotDialog(capture::AskSavePath ask) { askSavePath_ = std::move(ask); }

    std::intptr_t onMessage(const framework::Message& message) override;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void registerCommands();
    void applyOpenedVisibility();
    void loadBackgroundCorrection();
    void stopRecording();
    void fitToImage();
    void refreshPrompts();
    bool runBusy(Busy code, const std::function<void()>& operation);
    void enterFullScreen();
    void leaveFullScreen();
    void showCutButton(bool cut);
    void wait(std::chrono::milliseconds duration);
    void openExposurePopup();
    void closeExposurePopup(bool lostActivation);
    void destroyExposurePopup();
    void runSoftwareAutoExposure(int brightness);
    void startSnapshotSeries();
    void takeSnapshot(int index);
    void endSnapshotSeries();
    void openSaveConfiguration(int tab);
    void openSettingsSheet();
    void destroySettingsSheet();
    void runWhiteBalanceWizard();

    CameraRecord record_;
    Environment environment_;
    CPreviewWnd* previewWindow_;  // owned by the window (Qt parent)
    CameraSession session_;
    framework::CommandRouter router_;
    framework::CommandActions* actions_;  // owned by the window
    QToolBar* toolBar_ = nullptr;
    QLabel* textPane_ = nullptr;
    QProgressBar* brightnessBar_ = nullptr;
    int busy_ = kIdle;
    bool closing_ = false;
    bool fullScreen_ = false;
    capture::CaptureDone captureDone_;  // shared with the snapshot series thread
    std::unique_ptr<capture::SnapshotSeries> series_;
    int snapshotDepth_ = 0;  // > 0 while a shot is being taken (the series thread waits on it)
    capture::AskSavePath askSavePath_;
    capture::CSaveConfigSheet* saveConfigSheet_ = nullptr;  // owned by the window (Qt parent)
    capture::CompressorSettingsTable compressorSettings_;
    QRect savedGeometry_;  // window rectangle before full screen
    QString correctionFolder_;
    CExposurePopup* exposurePopup_ = nullptr;      // owned by the window (Qt parent) while open
    QPointer<CExposurePage> exposurePage_;         // owned by the settings sheet
    QPointer<CCameraSettingSheet> settingsSheet_;  // owned by the window (Qt parent)
    // The white-balance wizard's live picture. It lives as long as the window, which ends
    // the preview's threads first, so a frame still being drawn as the wizard closes
    // never finds it gone.
    FrameSurface wizardSurface_;
    std::function<int(CWhiteBalanceWizard&)> wizardRunner_;
    // Writes into the preview's recording hook; the preview is deleted before it.
    std::unique_ptr<RecordingControl> recorder_;
    CorrectionProgram correctionProgram_;
};

}  // namespace korvel::camera
