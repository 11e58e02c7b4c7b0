#pragma once

// The main window: command bars, status bar, the Folder pane and the tabbed workspace.
// It opens the camera on request, routes device, power and file-saved notices, pastes and
// captures pictures into new documents, and saves the workspace and the settings when it
// closes.

#include "app/WindowCapture.h"
#include "framework/CMDIFrameWnd.h"
#include "framework/Message.h"

#include <QPointer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QComboBox;
class QDockWidget;
class QLabel;
class QMenu;
class QToolBar;

namespace korvel::document {
class CKorvelDoc;
class CMagnifierWnd;
}  // namespace korvel::document
namespace korvel::camera {
class CameraListener;
struct CameraVariants;
}  // namespace korvel::camera
namespace korvel::browser {
class CFolderTree;
class CHistogramWnd;
}  // namespace korvel::browser

namespace korvel::app {

struct ApplicationState;

class CMainFrame : public framework::CMDIFrameWnd, public framework::MessageTarget {
    Q_OBJECT

public:
    enum class LookSet { Default, XP };

    // Standard toolbar controls, counted without separators.
    enum StandardControl {
        kNew = 0,
        kOpen,
        kSaveAs,
        kUndo,
        kRedo,
        kMove,
        kMagnifier,
        kZoomIn,
        kZoomOut,
        kZoomList,
        kLongExposure,
        kImageDelete,
        kHelp,
        kStandardControlCount
    };

    explicit CMainFrame(ApplicationState& state, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds bars, panes and placement; false when a bar cannot be made.
    bool create();

    QToolBar* standardToolBar() const { return standardBar_; }
    QToolBar* measureToolBar() const { return measureBar_; }
    QToolBar* imageToolBar() const { return imageBar_; }
    QDockWidget* folderPane() const { return folderPane_; }
    // The folder tree of the Folder pane.
    browser::CFolderTree* folderTree() const { return folderTree_; }
    QComboBox* zoomCombo() const { return zoomCombo_; }
    // The action of Standard toolbar control `index`.
    QAction* standardControl(int index) const;

    // Status bar panes 1 to 7 (pane 0 is the message area).
    QLabel* statusPane(int index) const;
    void setStatusPaneText(int index, const QString& text);

    // The camera window, null when none is open.
    QWidget* cameraWindow() const { return cameraWindow_; }
    void setCameraWindow(QWidget* window) { cameraWindow_ = window; }
    bool longExposureMode() const { return longExposure_; }
    bool isFullScreenMode() const { return fullScreen_; }
    LookSet lookSet() const { return lookSet_; }

    void setWindowEnumerator(std::unique_ptr<WindowEnumerator> enumerator);
    // Chooses between the variants of a camera model; the default runs "Select Camera".
    // Answers the chosen type id, or nothing when the dialog was closed otherwise.
    using VariantChooser = std::function<std::optional<int>(const camera::CameraVariants&)>;
    void setVariantChooser(VariantChooser chooser) { chooseVariant_ = std::move(chooser); }

    // Chooses the window to capture; the default runs the Capture dialog. Tests answer.
    using CaptureChooser = std::function<int(const std::vector<CaptureCandidate>& list)>;
    void setCaptureChooser(CaptureChooser chooser) { chooseCapture_ = std::move(chooser); }

    // Operations behind the commands, callable directly.
    void paste();
    void captureWindow();
    void toggleFullScreen();
    void applyLookSet(LookSet look);
    void openCamera();
    // Opens entry `index` of the recent-file list.
    void openRecentFile(int index);
    // The magnifier window, made once when `create` is set; null before.
    document::CMagnifierWnd* magnifier(bool create);
    // Histogram (32876): the histogram window, made on first use, shown and raised.
    void showHistogram();
    // The histogram window; null until Histogram first ran.
    browser::CHistogramWnd* histogramWindow() const { return histogram_.get(); }
    // Repaints the histogram window, if any, for the document active now.
    void refreshHistogram();
    // The picture's context menu (menu 142) at a screen point.
    void showPictureMenu(QPoint globalPosition);
    // Applies the Standard toolbar, Folder pane and status bar rules for the active view.
    void applyViewKind(bool startPage);

    std::intptr_t onMessage(const framework::Message& message) override;

    // Power events, numbered as the power broadcast numbers them.
    enum PowerEvent { kPowerQuerySuspend = 0, kPowerSuspend = 4, kPowerResumeAutomatic = 18 };
    // Before the machine sleeps and when it wakes up by itself the camera window closes:
    // the camera does not survive the sleep. Other events change nothing.
    void onPowerBroadcast(int event);

signals:
    // A file was written (message 1304); the thumbnail list takes it.
    void fileSaved(const QString& path);
    // A camera went away (message 1271).
    void cameraRemoved(int typeId);
    // The camera tile of the thumbnail list shows this label now.
    void cameraTileLabelChanged(const QString& label);

protected:
    void onChildActivated(framework::CMDIChildWnd* previous,
                          framework::CMDIChildWnd* current) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool createStatusBar();
    bool createToolBars();
    void createFolderPane();
    void showMenu(int menuId);
    void addRecentFileEntries();
    // Lists the active picture's calibrations after the "List" entry of `menu` whenever it
    // opens (nothing when the menu has no such entry).
    void watchCalibrationList(QMenu* menu);
    void registerCommands();
    QAction* createControl(int id);
    void dockMeasureBesideStandard();
    void restorePlacement();
    void restoreLayouts();
    void saveLayouts();
    void showTabMenu(int tabIndex, const QPoint& globalPos);
    document::CKorvelDoc* newPictureDocument(const QString& titleFormat);

private slots:
    // logind announces the start of a sleep (true) and the wake-up after it (false).
    void onPrepareForSleep(bool start);

private:
    ApplicationState& state_;
    QToolBar* standardBar_ = nullptr;  // bars and panes are owned by the window
    QToolBar* measureBar_ = nullptr;
    QToolBar* imageBar_ = nullptr;
    QDockWidget* folderPane_ = nullptr;
    browser::CFolderTree* folderTree_ = nullptr;  // owned by the Folder pane
    QComboBox* zoomCombo_ = nullptr;
    std::array<QLabel*, 8> statusPanes_{};
    std::map<int, QAction*> controls_;  // widget actions of special toolbar controls
    int shownMenu_ = 0;
    QPointer<QWidget> cameraWindow_;
    bool longExposure_ = false;
    bool fullScreen_ = false;
    LookSet lookSet_ = LookSet::Default;
    std::unique_ptr<WindowEnumerator> windows_;
    CaptureChooser chooseCapture_;
    VariantChooser chooseVariant_;
    std::unique_ptr<camera::CameraListener> listener_;
    std::unique_ptr<document::CMagnifierWnd> magnifier_;  // made on first use
    std::unique_ptr<browser::CHistogramWnd> histogram_;   // made on first use
    // Closed documents repaint the histogram window; cut before the members go.
    QMetaObject::Connection documentClosed_;
};

}  // namespace korvel::app
