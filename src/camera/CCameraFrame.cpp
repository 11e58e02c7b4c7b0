#include "camera/CCameraFrame.h"

#include "camera/BackgroundCorrection.h"
#include "camera/CCameraSettingSheet.h"
#include "camera/CExposurePage.h"
#include "camera/CExposurePopup.h"
#include "camera/CPreviewWnd.h"
#include "camera/CResolutionPage.h"
#include "camera/CWhiteBalanceWizard.h"
#include "camera/CameraModels.h"
#include "camera/CameraSettings.h"
#include "camera/ExposureControls.h"
#include "capture/CSaveConfigSheet.h"
#include "capture/CompressorList.h"
#include "capture/SnapshotFileDialog.h"
#include "framework/CommandActions.h"
#include "krvcamera/KRVCamera.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QMoveEvent>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QToolBar>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace korvel::camera {

using namespace korvel::res;
using framework::CommandState;

QRect fitCameraWindow(QSize image, int toolbarHeight, int captionHeight, QSize screen) {
    if (image.width() <= 0 || image.height() <= 0) {
        image = QSize(640, 480);
    }
    const int availableWidth = screen.width() - 6;
    const int availableHeight = screen.height() - 2 * toolbarHeight - captionHeight - 6;
    int width = image.width();
    int height = image.height();
    if (availableWidth > 0 && availableHeight > 0 &&
        (width > availableWidth || height > availableHeight)) {
        const double ratio =
            std::max(double(width) / availableWidth, double(height) / availableHeight);
        width = static_cast<int>(width / ratio);
        height = static_cast<int>(height / ratio);
    }
    const int windowWidth = width + 46;
    const int windowHeight = height + toolbarHeight + captionHeight + 6;
    const int x = std::max(0, (screen.width() - windowWidth) / 2);
    const int y = std::max(0, (screen.height() - toolbarHeight - windowHeight) / 2);
    return {x, y, windowWidth, windowHeight};
}

CCameraFrame::CCameraFrame(int typeId, bool longExposureMode, Environment environment,
                           QWidget* parent)
    : QMainWindow(parent),
      environment_(std::move(environment)),
      previewWindow_(new CPreviewWnd(this, this)),
      session_(record_, environment_.preview ? environment_.preview : previewWindow_,
               SessionHooks{[this] { loadBackgroundCorrection(); }, [this] { refreshPrompts(); },
                            [this] { fitToImage(); }, environment_.sleep}),
      router_([this] { return std::vector<framework::CommandTarget*>{this}; }),
      actions_(new framework::CommandActions(this, &router_, res::CommandScope::Camera)) {
    previewWindow_->setSleep(environment_.sleep);
    record_.typeId = typeId;
    record_.longExposureMode = longExposureMode ? 1 : 0;
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("CameraFrame"));
    setWindowTitle(loadString(IDS_MAINFRAME_TITLE));
    // Recording: a running one marks the window busy (13) and switches the Record prompt.
    recorder_ = std::make_unique<RecordingControl>(
        *previewWindow_, record_, this, environment_.mainWindow,
        RecordingControl::Hooks{environment_.saveFolder, &compressorSettings(), [this](bool on) {
                                    if (on) {
                                        busy_ = kRecording;
                                    } else if (busy_ == kRecording) {
                                        busy_ = kIdle;
                                    }
                                    refreshPrompts();
                                }});
    registerCommands();
}

CCameraFrame::~CCameraFrame() {
    // The pop-up talks to this window and edits its record: it goes first.
    if (exposurePopup_) {
        exposurePopup_->DetachOwner();
        delete exposurePopup_;
    }
    // The series thread sends to this window: it ends before the window does.
    endSnapshotSeries();
    // The preview's threads post to this window: they end before it stops being a target.
    delete previewWindow_;
}

bool CCameraFrame::create() {
    // 1. The preview window (the first pane of the window).
    previewWindow_->setObjectName(QStringLiteral("Preview%1").arg(0xE900));
    setCentralWidget(previewWindow_);

    // 2, 4. Status bar: text pane, brightness bar, indicator pane.
    textPane_ = new QLabel(statusBar());
    textPane_->setMinimumWidth(120);
    brightnessBar_ = new QProgressBar(statusBar());
    brightnessBar_->setRange(0, 255);
    brightnessBar_->setTextVisible(false);
    brightnessBar_->setFixedHeight(20);
    statusBar()->addWidget(textPane_);
    statusBar()->addWidget(brightnessBar_, 1);
    statusBar()->addPermanentWidget(new QLabel(loadString(59142), statusBar()));

    // 3. A hidden menu bar (its accelerators still work), then the "Camera" toolbar.
    actions_->fillMenuBar(menuBar(), IDR_MAINFRAME_MENU);
    menuBar()->hide();
    actions_->applyAccelerators(IDR_MAINFRAME_ACCEL);  // F11 shows and hides the toolbar
    toolBar_ = new QToolBar(QStringLiteral("Camera"), this);
    toolBar_->setObjectName(QStringLiteral("ToolBar%1").arg(IDR_TOOLBAR_CAMERA));
    // Snap, Resolution, Record and Auto WB are split buttons with their drop-down menus.
    actions_->setControlFactory([this](int id) -> QAction* {
        switch (id) {
            case ID_CAMERA_SNAP:
                return actions_->makeSplitButton(id, IDR_CAMERA_SNAP_MENU);
            case ID_CAMERA_RESOLUTION:
                return actions_->makeSplitButton(id, IDR_CAMERA_RESOLUTION_MENU);
            case ID_CAMERA_RECORD:
                return actions_->makeSplitButton(id, IDR_CAMERA_VIDEO_MENU);
            case ID_CAMERA_AUTO_WHITE_BALANCE:
                return actions_->makeSplitButton(id, IDR_CAMERA_WHITE_BALANCE_MENU);
            default:
                return nullptr;
        }
    });
    if (!actions_->fillToolBar(toolBar_, IDR_TOOLBAR_CAMERA)) {
        return false;
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);

    // 6. A quarter in from each side of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        setGeometry(area.adjusted(area.width() / 4, area.height() / 4, -area.width() / 4,
                                  -area.height() / 4));
    }

    // 7. Settings, then open the camera.
    busy_ = kIdle;
    record_.state = kCameraClosed;
    record_.runningBrightness = 0;
    loadCameraSettings(environment_.store, record_);
    // A camera that did not open leaves the toolbar as it is, "Preview" included, so the
    // user can try again.
    onMessage({static_cast<unsigned>(MSG_CAMERA_OPEN), 0, 0, {}});
    return true;
}

void CCameraFrame::applyOpenedVisibility() {
    if (!toolBar_) {
        return;  // opened before the toolbar exists: creation sets it afterwards
    }
    // "BK Correction" stays: it releases the open camera for the correction program itself,
    // and hidden it could be reached only when the camera had failed to open, when the
    // program has no camera to measure with.
    for (const int id :
         {ID_CAMERA_TOGGLE_TOOLBAR, ID_CAMERA_AREA_WHITE_BALANCE, ID_CAMERA_VIDEO_RESTORE,
          ID_CAMERA_FULLSCREEN, ID_CAMERA_IMAGE_SIZE, ID_CAMERA_PREVIEW, ID_CAMERA_BLACK_BALANCE}) {
        actions_->action(id)->setVisible(false);
    }
    actions_->action(ID_CAMERA_VIDEO_CUT)->setVisible(true);
}

void CCameraFrame::loadBackgroundCorrection() {
    // The table belongs to the camera as detected, before any variant was chosen.
    const int detected = KRVCameraGetCameraID().typeId;
    const QString directory = correctionFolder_.isEmpty() ? QDir::currentPath() : correctionFolder_;
    camera::loadBackgroundCorrection(record_, detected, record_.backgroundCorrectionApplied,
                                     directory);
    // The preview reads the list from the record with every frame; the switch it keeps.
    previewWindow_->setBackgroundCorrectionApplied(record_.backgroundCorrectionApplied != 0);
}

void CCameraFrame::stopRecording() {
    if (previewWindow_->recording()) {
        recorder_->stop();
        if (busy_ == kRecording) {
            busy_ = kIdle;
        }
        refreshPrompts();
    }
}

void CCameraFrame::refreshPrompts() {
    // Each prompt is "status text\ntooltip".
    const auto prompt = [this](int command, int stringId) {
        const QString text = loadString(stringId, res::CommandScope::Camera);
        QAction* action = actions_->action(command);
        action->setStatusTip(text.section('\n', 0, 0));
        action->setToolTip(text.section('\n', 1).trimmed());
    };
    prompt(ID_CAMERA_SNAP, IDS_CAMERA_SNAP_PROMPT);
    const bool recording = previewWindow_ && previewWindow_->recording();
    prompt(ID_CAMERA_RECORD, recording ? IDS_STOP_RECORD_PROMPT : IDS_START_RECORD_PROMPT);
    prompt(ID_CAMERA_EXPOSURE,
           busy_ == kExposurePopup ? IDS_EXPOSURE_SET_TIME_PROMPT : IDS_EXPOSURE_PROMPT);
    if (toolBar_) {
        toolBar_->update();
    }
}

void CCameraFrame::fitToImage() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(1280, 1024);
    const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int toolbar = toolBar_ ? toolBar_->sizeHint().height() : 0;
    // The rectangle includes the title bar: the frame goes to its corner, the client area
    // below it. The window is usually shown a moment before, when the window manager has not
    // yet framed it; move() would then take the corner for the client area's and push the
    // title bar off the screen, so the frame position is given to the window itself.
    const QRect window =
        fitCameraWindow(QSize(record_.width, record_.height), toolbar, caption, screenSize);
    resize(window.width(), std::max(1, window.height() - caption));
    if (QWindow* handle = windowHandle()) {
        handle->setFramePosition(window.topLeft());
    } else {
        move(window.topLeft());
    }
}

void CCameraFrame::wait(std::chrono::milliseconds duration) {
    if (environment_.sleep) {
        environment_.sleep(duration);
    } else {
        QThread::msleep(static_cast<unsigned long>(duration.count()));
    }
}

void CCameraFrame::showCutButton(bool cut) {
    actions_->action(ID_CAMERA_VIDEO_CUT)->setVisible(cut);
    actions_->action(ID_CAMERA_VIDEO_RESTORE)->setVisible(!cut);
}

void CCameraFrame::enterFullScreen() {
    savedGeometry_ = geometry();
    toolBar_->hide();
    statusBar()->hide();
    showFullScreen();
    fullScreen_ = true;
}

void CCameraFrame::leaveFullScreen() {
    if (!fullScreen_) {
        return;
    }
    showNormal();
    setGeometry(savedGeometry_);
    toolBar_->show();
    statusBar()->show();
    fullScreen_ = false;
}

bool CCameraFrame::runBusy(Busy code, const std::function<void()>& operation) {
    if (busy_ != kIdle) {
        return false;
    }
    busy_ = code;
    operation();
    busy_ = kIdle;
    return true;
}

void CCameraFrame::registerCommands() {
    const auto whenOpen = [this](CommandState& s) { s.enable(record_.state == kCameraOpen); };
    onCommand(
        ID_CAMERA_AUTO_WHITE_BALANCE,
        [this](int) { runBusy(kAutoWhiteBalance, [this] { session_.quickWhiteBalance(); }); },
        [this](CommandState& s) {
            s.enable(record_.state == kCameraOpen);
            s.setCheck(busy_ == kAutoWhiteBalance);
        });
    onCommand(
        ID_CAMERA_QUICK_WHITE_BALANCE,
        [this](int) {
            if (busy_ == kIdle) {
                session_.quickWhiteBalance();
            }
        },
        whenOpen);
    const auto blackBalance = [this](int) {
        runBusy(kQuickBlackBalance, [this] { session_.quickBlackBalance(); });
    };
    const auto blackBalanceState = [this](CommandState& s) {
        s.enable(record_.state == kCameraOpen && record_.quickBalance.flag);
    };
    onCommand(ID_CAMERA_QUICK_BLACK_BALANCE, blackBalance, blackBalanceState);
    onCommand(ID_CAMERA_BLACK_BALANCE, blackBalance, blackBalanceState);
    onCommand(ID_CAMERA_IMAGE_BROWSER, [this](int id) {
        if (environment_.mainWindowCommand) {
            environment_.mainWindowCommand(id);
        }
    });
    onCommand(ID_CAMERA_PREVIEW, [this](int) {
        if (record_.state != kCameraOpen) {
            onMessage({static_cast<unsigned>(MSG_CAMERA_OPEN), 0, 0, {}});
        }
    });
    const auto areaBalance = [this](bool readGains) {
        runBusy(kAreaWhiteBalance, [this, readGains] {
            previewWindow_->areaWhiteBalance();
            wait(std::chrono::milliseconds(100));
            if (readGains) {
                KRVCameraGetGain(&record_.colourGains.red.value, &record_.colourGains.green.value,
                                 &record_.colourGains.blue.value);
            }
            KRVCameraSaveParameter(0);
        });
    };
    onCommand(
        ID_CAMERA_AREA_WHITE_BALANCE_SAVE_GAINS, [areaBalance](int) { areaBalance(true); },
        whenOpen);
    onCommand(
        ID_CAMERA_AREA_WHITE_BALANCE, [areaBalance](int) { areaBalance(false); }, whenOpen);
    onCommand(
        ID_CAMERA_VIDEO_CUT,
        [this](int) {
            runBusy(kCutting, [this] {
                if (previewWindow_->cutRegion()) {
                    showCutButton(false);
                }
            });
        },
        whenOpen);
    onCommand(
        ID_CAMERA_VIDEO_RESTORE,
        [this](int) {
            runBusy(kRestoring, [this] {
                previewWindow_->restoreRegion();
                showCutButton(true);
            });
        },
        whenOpen);
    onCommand(ID_CAMERA_FULLSCREEN, [this](int) {
        if (fullScreen_) {
            router_.dispatch(ID_CAMERA_IMAGE_SIZE);
        } else {
            runBusy(kEnteringFullScreen, [this] { enterFullScreen(); });
        }
    });
    onCommand(ID_CAMERA_IMAGE_SIZE,
              [this](int) { runBusy(kLeavingFullScreen, [this] { leaveFullScreen(); }); });
    onCommand(
        ID_CAMERA_EXPOSURE,
        [this](int) {
            if (busy_ != kIdle) {
                // Pressed again while the pop-up is open (or anything else runs): close it.
                closeExposurePopup(false);
            } else {
                openExposurePopup();
            }
        },
        [this](CommandState& s) {
            s.enable(record_.state == kCameraOpen || busy_ == kExposurePopup);
            s.setCheck(busy_ == kExposurePopup);
        });
    onCommand(
        ID_CAMERA_SNAP, [this](int) { startSnapshotSeries(); },
        [this](CommandState& s) {
            s.enable(record_.state == kCameraOpen);
            s.setCheck(busy_ == kSnapshot);
        });
    onCommand(
        ID_CAMERA_RESOLUTION, [](int) {}, whenOpen);  // its drop-down holds 33002
    onCommand(ID_CAMERA_SNAP_CONFIG, [this](int) { openSaveConfiguration(0); });
    onCommand(ID_CAMERA_VIDEO_CONFIG, [this](int) { openSaveConfiguration(1); });
    onCommand(ID_CAMERA_RESOLUTION_CONFIG, [this](int) { openSaveConfiguration(2); });
    onCommand(ID_CAMERA_TOGGLE_TOOLBAR,
              [this](int) { toolBar_->setVisible(!toolBar_->isVisible()); });
    onCommand(
        ID_CAMERA_PROPERTY, [this](int) { openSettingsSheet(); },
        [this](CommandState& s) {
            s.enable(record_.state == kCameraOpen || settingsSheet_);
            s.setCheck(!settingsSheet_.isNull());
        });
    onCommand(
        ID_CAMERA_WHITE_BALANCE_WIZARD, [this](int) { runWhiteBalanceWizard(); }, whenOpen);
    // Record (1234): starts or stops; refused while another operation runs.
    onCommand(
        ID_CAMERA_RECORD,
        [this](int) {
            if (busy_ == kIdle || busy_ == kRecording) {
                recorder_->toggle();
            }
        },
        whenOpen);
    // Background correction (32938): the program measures with the camera, so the camera
    // is released first; "Preview" opens it again and reads the new tables.
    onCommand(ID_CAMERA_BACK_CORRECTION, [this](int) {
        onMessage({static_cast<unsigned>(MSG_CAMERA_CLOSE), 0, 0, {}});
        correctionProgram_.run(
            winId(), correctionFolder_.isEmpty() ? QDir::currentPath() : correctionFolder_, this);
    });
}

CCameraSettingSheet* CCameraFrame::settingsSheet() const {
    return settingsSheet_.data();
}

void CCameraFrame::openSettingsSheet() {
    if (settingsSheet_) {
        settingsSheet_->raise();
        settingsSheet_->activateWindow();
        return;
    }
    if (busy_ != kIdle) {
        return;
    }
    busy_ = kSettingsSheet;
    settingsSheet_ = new CCameraSettingSheet(this, this, environment_.sleep);
    settingsSheet_->AttachRecord(&record_);
    settingsSheet_->Backup();
    setExposurePage(settingsSheet_->exposurePage());
    settingsSheet_->show();
    refreshPrompts();
}

void CCameraFrame::destroySettingsSheet() {
    setExposurePage(nullptr);
    if (settingsSheet_) {
        // The sheet may be the one asking, from inside its own button handler.
        settingsSheet_->hide();
        settingsSheet_->deleteLater();
        settingsSheet_ = nullptr;
    }
}

void CCameraFrame::runWhiteBalanceWizard() {
    if (busy_ != kIdle) {
        return;
    }
    camera::runWhiteBalanceWizard(*previewWindow_, wizardSurface_, this, wizardRunner_);
    // Whatever the wizard's result, the camera's gains now are the ones to keep.
    KRVCameraGetGain(&record_.colourGains.red.value, &record_.colourGains.green.value,
                     &record_.colourGains.blue.value);
    KRVCameraSaveParameter(0);
}

std::intptr_t CCameraFrame::onMessage(const framework::Message& message) {
    switch (message.id) {
        case MSG_CAMERA_OPEN:
            if (!session_.open(static_cast<int>(message.wParam), this, previewWindow_,
                               environment_.iniPath)) {
                return 0;
            }
            applyOpenedVisibility();
            return 1;
        case MSG_CAMERA_CLOSE:
            stopRecording();  // the file is completed while the camera still delivers
            // No picture, no more shots: a running series ends here.
            endSnapshotSeries();
            if (record_.state == kCameraOpen && !closing_) {
                // Closed for the background-correction program: "Preview" reopens it.
                actions_->action(ID_CAMERA_PREVIEW)->setVisible(true);
            }
            session_.close();
            return 0;
        case MSG_READ_BACK_ALL:
            session_.readBackAll();
            return onMessage({static_cast<unsigned>(MSG_APPLY_ALL), 0, 0, {}});
        case MSG_APPLY_ALL:
            session_.applyAll();
            if (settingsSheet_) {
                settingsSheet_->AttachRecord(&record_);
            }
            return 0;
        case MSG_QUICK_WHITE_BALANCE:
        case MSG_BLACK_BALANCE:
            // Both are the settings sheet's to carry out.
            return settingsSheet_ ? framework::sendMessage(settingsSheet_.data(), message) : 0;
        case MSG_SET_EXPOSURE:
            session_.setExposure(static_cast<int>(static_cast<std::intptr_t>(message.wParam)));
            return 0;
        case MSG_CLOSE_SETTINGS_SHEET:
            destroySettingsSheet();
            // "Use Back Correction" only reaches the record; the decode thread keeps its own
            // copy of the switch, which follows the record once the sheet is done.
            previewWindow_->setBackgroundCorrectionApplied(record_.backgroundCorrectionApplied !=
                                                           0);
            // The sheet's operation is over.
            busy_ = kIdle;
            refreshPrompts();
            return 0;
        case MSG_CLOSE_SAVE_CONFIG:
            if (saveConfigSheet_) {
                // Deleted later: the sheet sends this from one of its own handlers.
                std::exchange(saveConfigSheet_, nullptr)->deleteLater();
            }
            busy_ = kIdle;
            refreshPrompts();
            return 0;
        case MSG_TAKE_SNAPSHOT:
            takeSnapshot(static_cast<int>(message.wParam));
            return 0;
        case MSG_SNAPSHOT_SERIES_ENDED:
            // The series thread has ended (or was stopped): collect it; idle.
            endSnapshotSeries();
            return 0;
        case MSG_EXPOSURE_POPUP_CLOSING:
            closeExposurePopup(message.wParam != 0);
            return 0;
        case MSG_CAPTURE_FINISHED:
            captureDone_.set();
            // RAW files are not pictures the thumbnail list can show.
            if (record_.snapshot.uiFiletype != 4 && environment_.mainWindow) {
                framework::sendMessage(
                    environment_.mainWindow,
                    {unsigned(MSG_FILE_SAVED), message.wParam, message.lParam, message.text});
            }
            return 0;
        case MSG_STATUS_TEXT:
            textPane_->setText(message.text);
            return 0;
        case MSG_FRAME_BRIGHTNESS: {
            const int brightness = static_cast<int>(message.wParam & 0xFF);
            brightnessBar_->setValue(brightness);
            if (environment_.saveFolder) {
                setWindowTitle(nextSnapshotFolder(record_.snapshot, environment_.saveFolder()));
            }
            if (softwareAutoExposureRunning(record_)) {
                runSoftwareAutoExposure(brightness);
            }
            return 0;
        }
        case kCommandMessage:  // a command posted by the preview
            return router_.dispatch(static_cast<int>(message.wParam)) ? 1 : 0;
        default:
            return 0;
    }
}

void CCameraFrame::startSnapshotSeries() {
    if (busy_ != kIdle || series_) {
        return;
    }
    busy_ = kSnapshot;
    series_ = std::make_unique<capture::SnapshotSeries>(
        captureDone_,
        [this](int index) {
            framework::sendMessage(this, {static_cast<unsigned>(MSG_TAKE_SNAPSHOT),
                                          static_cast<std::uintptr_t>(index),
                                          0,
                                          {}});
        },
        [this] {
            framework::postMessage(this,
                                   {static_cast<unsigned>(MSG_SNAPSHOT_SERIES_ENDED), 0, 0, {}});
        });
    series_->start(capture::seriesPlan(record_));
    refreshPrompts();
}

void CCameraFrame::takeSnapshot(int index) {
    if (closing_ || (series_ && series_->stopRequested())) {
        captureDone_.set();
        return;
    }
    const QPointer<CCameraFrame> alive(this);
    ++snapshotDepth_;
    const QString folder = environment_.saveFolder ? environment_.saveFolder() : QString();
    const capture::AskSavePath ask =
        askSavePath_ ? askSavePath_ : [this](const capture::SaveDialogRequest& request) {
            return capture::askSavePath(this, request);
        };
    const std::optional<std::string> path =
        capture::snapshotPath(record_, folder.toStdString(), index, ask);
    if (!alive) {
        return;  // the window went while its dialog was open
    }
    --snapshotDepth_;
    if (!path || closing_ || (series_ && series_->stopRequested())) {
        // Cancelled, or the window closed while the dialog was open.
        captureDone_.set();
        return;
    }
    previewWindow_->captureToFile(QString::fromStdString(*path), record_);
}

void CCameraFrame::endSnapshotSeries() {
    if (!series_) {
        return;
    }
    series_->stop();
    if (snapshotDepth_ > 0) {
        // Called from inside a shot (its file dialog runs the event loop): the series thread
        // waits for that shot to return, so it is collected afterwards, by 1303 or at the end.
        return;
    }
    // The thread may be sending a shot request right now: it is served while waiting.
    framework::waitServingSends(series_->finished());
    series_->join();
    series_.reset();
    if (busy_ == kSnapshot) {
        busy_ = kIdle;
    }
    refreshPrompts();
}

void CCameraFrame::openSaveConfiguration(int tab) {
    if (busy_ != kIdle) {
        return;
    }
    busy_ = kSaveConfiguration;
    if (saveConfigSheet_) {
        saveConfigSheet_->raise();
        saveConfigSheet_->activateWindow();
        return;
    }
    auto* page = new CResolutionPage;  // the sheet takes it over
    saveConfigSheet_ = new capture::CSaveConfigSheet(
        this,
        capture::ResolutionTab{page, [page](CameraRecord* r) { page->AttachRecord(r); },
                               [page](CameraRecord* r) { page->StoreToRecord(r); }},
        this, capture::installedCompressors(), &compressorSettings_);
    saveConfigSheet_->setSleep(environment_.sleep);
    saveConfigSheet_->show();
    saveConfigSheet_->AttachRecord(&record_, tab);
    refreshPrompts();
}

void CCameraFrame::setExposurePage(CExposurePage* page) {
    exposurePage_ = page;
}

void CCameraFrame::openExposurePopup() {
    if (exposurePopup_) {
        destroyExposurePopup();
    }
    exposurePopup_ = new CExposurePopup(record_, this, this);
    // Above the Exposure button: its left edge 35 pixels left of the button's, its bottom on
    // the toolbar's top.
    QRect place(QPoint(0, 0), CExposurePopup::kSize);
    if (toolBar_) {
        const QPoint toolBarTopLeft = toolBar_->mapToGlobal(QPoint(0, 0));
        const QWidget* button = toolBar_->widgetForAction(actions_->action(ID_CAMERA_EXPOSURE));
        place.moveTo(toolBarTopLeft.x() + (button ? button->x() : 0) - 35,
                     toolBarTopLeft.y() - place.height());
    }
    exposurePopup_->setGeometry(place);
    exposurePopup_->SetExposureRange(record_.exposure.minimum, record_.exposure.maximum,
                                     record_.longExposureMode != 0);
    exposurePopup_->EnableAutoExposureBox(record_.autoExposure.flag != 0);
    exposurePopup_->SetAutoExposure(record_.autoExposure.value != 0);
    exposurePopup_->SetLongExposure(record_.longExposureMode != 0);
    exposurePopup_->SetExposure(record_.exposure.value);
    busy_ = kExposurePopup;
    refreshPrompts();
    exposurePopup_->show();
}

void CCameraFrame::closeExposurePopup(bool lostActivation) {
    if (lostActivation) {
        // A hidden pop-up keeps the window busy; a visible one closes the way the Exposure
        // button closes it.
        if (exposurePopup_ && exposurePopup_->isVisible()) {
            router_.dispatch(ID_CAMERA_EXPOSURE);
        }
        return;
    }
    if (exposurePopup_) {
        record_.autoExposure.value = exposurePopup_->autoExposureBox()->isChecked() ? 1 : 0;
        destroyExposurePopup();
    }
    // Only the pop-up's own busy code ends here: a move of the window while a snapshot
    // series or a recording runs leaves that operation marked.
    if (busy_ == kExposurePopup) {
        busy_ = kIdle;
    }
    refreshPrompts();
}

void CCameraFrame::destroyExposurePopup() {
    // Deleted later: the pop-up may be inside one of its own handlers (a click, losing
    // activation) when it asks to be closed.
    CExposurePopup* popup = std::exchange(exposurePopup_, nullptr);
    popup->DetachOwner();
    popup->hide();
    popup->deleteLater();
}

void CCameraFrame::runSoftwareAutoExposure(int brightness) {
    setWindowTitle(QStringLiteral("%1 ms").arg(record_.exposure.value));
    if (!regulateExposure(record_, brightness).finished()) {
        return;
    }
    // The regulation has switched auto exposure off: the page and the pop-up show it.
    if (exposurePage_) {
        exposurePage_->Refresh();
    }
    if (exposurePopup_) {
        exposurePopup_->SetAutoExposure(record_.autoExposure.value != 0);
        exposurePopup_->SetLongExposure(record_.longExposureMode != 0);
        exposurePopup_->SetExposure(record_.exposure.value);
    }
}

void CCameraFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // Moving the window closes the exposure pop-up; a running snapshot series or
    // recording keeps its busy code.
    onMessage({static_cast<unsigned>(MSG_EXPOSURE_POPUP_CLOSING), 0, 0, {}});
}

void CCameraFrame::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        // A recording ends first: its file is closed while the camera still delivers and
        // before the parameter set is stored and the camera closed.
        stopRecording();
        // The sheets and the pop-up close next, then the camera.
        for (const int id : {MSG_CLOSE_SAVE_CONFIG, MSG_CLOSE_SETTINGS_SHEET,
                             MSG_EXPOSURE_POPUP_CLOSING, MSG_CAMERA_CLOSE}) {
            onMessage({static_cast<unsigned>(id), 0, 0, {}});
        }
        busy_ = kIdle;
        saveCameraSettings(environment_.store, record_);
        emit closed();
    }
    event->accept();
}

}  // namespace korvel::camera
