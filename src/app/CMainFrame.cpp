#include "app/CMainFrame.h"

#include "app/ApplicationState.h"
#include "app/CaptureDialog.h"
#include "app/CustomizeDialog.h"
#include "app/WindowPlacement.h"
#include "browser/CFolderTree.h"
#include "browser/CHistogramWnd.h"
#include "camera/CCameraFrame.h"
#include "camera/CameraListener.h"
#include "camera/CameraModels.h"
#include "camera/SelectCameraDialog.h"
#include "document/CKorvelDoc.h"
#include "document/CMagnifierWnd.h"
#include "framework/CDocTemplate.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CommandActions.h"
#include "framework/MessageBox.h"
#include "krvcamera/KRVCamera.h"
#include "krvmeasure/CKRMeasure.h"
#include "measure/CalibrationListMenu.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDBusConnection>
#include <QDataStream>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTabBar>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

namespace korvel::app {

using namespace korvel::res;
using framework::CommandState;

namespace {

const QString kCommandBars = QStringLiteral("CommandBars");
const QString kNormalLayout = QStringLiteral("NormalLayout");
constexpr quint32 kLayoutMagic = 0x4B524C31;  // "KRL1"

QScreen* screenOf(const QWidget* widget) {
    QScreen* screen = widget->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

QSize screenSize(const QWidget* widget) {
    const QScreen* screen = screenOf(widget);
    return screen ? screen->geometry().size() : QSize(1920, 1080);
}

}  // namespace

CMainFrame::CMainFrame(ApplicationState& state, QWidget* parent)
    : framework::CMDIFrameWnd(parent), state_(state), windows_(makeDesktopWindowEnumerator()) {
    setObjectName(QStringLiteral("MainFrame"));
    setBaseTitle(loadString(IDS_MAINFRAME_TITLE));
    setAcceptDrops(true);
    registerCommands();
}

CMainFrame::~CMainFrame() {
    // The workspace's documents close after this body, when the members are gone.
    disconnect(documentClosed_);
    // The camera window is a top-level window of its own that calls back into this frame
    // (its save folder, its messages). A closed one may still wait for its deferred
    // deletion with messages queued for it; it must not outlive the frame.
    if (cameraWindow_) {
        cameraWindow_->close();
        delete cameraWindow_.data();
    }
}

void CMainFrame::setWindowEnumerator(std::unique_ptr<WindowEnumerator> enumerator) {
    windows_ = std::move(enumerator);
}

bool CMainFrame::create() {
    if (!createStatusBar()) {
        return false;
    }
    showMenu(IDR_MAINFRAME_MENU);
    if (!createToolBars()) {
        return false;
    }
    createFolderPane();
    // The bars, panes and tabs start in the Default look, as choosing it would set them.
    applyLookSet(LookSet::Default);
    commandActions().applyAccelerators(IDR_MAINFRAME_ACCEL);
    if (QTabBar* tabs = workspace()->findChild<QTabBar*>()) {
        tabs->installEventFilter(this);
    }
    workspace()->installEventFilter(this);
    fullScreen_ = false;
    restorePlacement();
    restoreLayouts();
    // 11. The camera listener, then 12. the camera library's detection.
    listener_ = std::make_unique<camera::CameraListener>(this);
    if (!listener_->registerNotifications()) {
        framework::AfxMessageBox(
            QStringLiteral("Register Camera Listen make a error, Register Fail!"));
    }
    KRVCamera_ReflashCamera();
    KRVCameraGetCameraID();
    QDBusConnection::systemBus().connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(onPrepareForSleep(bool)));
    // A closed picture leaves the histogram window to the document active after it.
    if (framework::CDocTemplate* docTemplate = state_.documents.docTemplate) {
        documentClosed_ = connect(docTemplate, &framework::CDocTemplate::documentClosed, this,
                                  &CMainFrame::refreshHistogram);
    }
    return true;
}

// --- bars and panes ------------------------------------------------------------------

bool CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar%1").arg(IDW_STATUS_BAR));
    // Panes 1 to 4 are as wide as their indicator strings of blanks.
    const std::array<int, 8> sizingStrings = {0, 59142, 59143, 59144, 59145, 0, 0, 0};
    const std::array<const char*, 8> indicators = {"", "", "", "", "", "CAP", "NUM", "SCRL"};
    for (int i = 1; i < 8; ++i) {
        auto* pane = new QLabel(bar);  // owned by the status bar
        const QString sizing =
            sizingStrings[i] ? loadString(sizingStrings[i]) : QString::fromLatin1(indicators[i]);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(sizing) + 6);
        pane->setText(QString::fromLatin1(indicators[i]));
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(pane);
        statusPanes_[i] = pane;
    }
    return true;
}

QLabel* CMainFrame::statusPane(int index) const {
    return index > 0 && index < 8 ? statusPanes_[index] : nullptr;
}

void CMainFrame::setStatusPaneText(int index, const QString& text) {
    if (index == 0) {
        statusBar()->showMessage(text);
    } else if (QLabel* pane = statusPane(index)) {
        pane->setText(text);
    }
}

QAction* CMainFrame::createControl(int id) {
    if (const auto it = controls_.find(id); it != controls_.end()) {
        return it->second;
    }
    QWidget* widget = nullptr;
    if (id == ID_VIEW_ZOOM_LIST) {
        auto* combo = new QComboBox;  // owned by its widget action
        combo->setObjectName(QStringLiteral("ZoomList"));
        combo->addItems({QStringLiteral(" 25%"), QStringLiteral(" 50%"), QStringLiteral(" 75%"),
                         QStringLiteral(" 100%"), QStringLiteral(" 150%"), QStringLiteral(" 200%"),
                         QStringLiteral(" 400%"), QStringLiteral(" 800%"),
                         QStringLiteral(" 1600%")});
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setFixedWidth(70);
        combo->setCurrentIndex(3);
        zoomCombo_ = combo;
        // Choosing a level or pressing Enter in the box is the Zoom List command.
        connect(combo, &QComboBox::activated, this,
                [this] { router().dispatch(ID_VIEW_ZOOM_LIST); });
        connect(combo->lineEdit(), &QLineEdit::returnPressed, this,
                [this] { router().dispatch(ID_VIEW_ZOOM_LIST); });
        widget = combo;
    } else if (id == ID_MEASURE_CALIBRATE_TABLE) {
        QAction* control = commandActions().makeSplitButton(id, IDR_CALIBRATE_TABLE_MENU);
        if (auto* button =
                qobject_cast<QToolButton*>(static_cast<QWidgetAction*>(control)->defaultWidget());
            button && button->menu()) {
            watchCalibrationList(button->menu());
        }
        controls_.emplace(id, control);
        return control;
    } else {
        return nullptr;
    }
    auto* control = new QWidgetAction(this);  // owned by the window
    control->setDefaultWidget(widget);
    control->setData(id);
    control->setText(commandActions().action(id)->toolTip());
    controls_.emplace(id, control);
    return control;
}

bool CMainFrame::createToolBars() {
    struct BarEntry {
        QToolBar** bar;
        int titleId;
        int resourceId;
    };
    const BarEntry bars[] = {
        {&standardBar_, IDS_TOOLBAR_STANDARD, IDR_TOOLBAR_STANDARD},
        {&measureBar_, IDS_TOOLBAR_MEASURE, IDR_TOOLBAR_MEASURE},
        {&imageBar_, IDS_TOOLBAR_IMAGE, IDR_TOOLBAR_IMAGE},
    };
    commandActions().setControlFactory([this](int id) { return createControl(id); });
    for (const BarEntry& entry : bars) {
        auto* bar = new QToolBar(loadString(entry.titleId), this);  // owned by the window
        bar->setObjectName(QStringLiteral("ToolBar%1").arg(entry.resourceId));
        if (!commandActions().fillToolBar(bar, entry.resourceId)) {
            return false;
        }
        addToolBar(Qt::TopToolBarArea, bar);
        *entry.bar = bar;
    }
    dockMeasureBesideStandard();
    imageBar_->hide();
    return true;
}

void CMainFrame::dockMeasureBesideStandard() {
    // The Measure toolbar shares the Standard toolbar's row, right of it.
    removeToolBar(measureBar_);
    insertToolBar(imageBar_ && toolBarArea(imageBar_) == Qt::TopToolBarArea ? imageBar_ : nullptr,
                  measureBar_);
    measureBar_->show();
}

QAction* CMainFrame::standardControl(int index) const {
    int count = 0;
    for (QAction* action : standardBar_->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        if (count++ == index) {
            return action;
        }
    }
    return nullptr;
}

void CMainFrame::createFolderPane() {
    folderPane_ = new QDockWidget(loadString(IDS_FOLDER_PANE).section('\n', 0, 0).trimmed(),
                                  this);  // owned by the window
    folderPane_->setObjectName(QStringLiteral("Pane1235"));
    folderTree_ = new browser::CFolderTree(folderPane_);  // owned by the pane
    folderTree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    folderTree_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    folderPane_->setWidget(folderTree_);
    folderPane_->resize(200, 120);
    addDockWidget(Qt::LeftDockWidgetArea, folderPane_);
    resizeDocks({folderPane_}, {200}, Qt::Horizontal);
}

void CMainFrame::showMenu(int menuId) {
    if (shownMenu_ == menuId) {
        return;
    }
    // The bar's menus are its children; clearing only drops their actions.
    const QList<QMenu*> oldMenus = menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
    menuBar()->clear();
    qDeleteAll(oldMenus);
    commandActions().fillMenuBar(menuBar(), menuId);
    shownMenu_ = menuId;
    addRecentFileEntries();
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        watchCalibrationList(menu);
    }
}

void CMainFrame::watchCalibrationList(QMenu* menu) {
    QAction* placeholder = commandActions().action(ID_MEASURE_CALIBRATE_LIST);
    if (!menu->actions().contains(placeholder)) {
        return;
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu, placeholder] {
        auto* doc = qobject_cast<document::CKorvelDoc*>(GetActiveDocument());
        CKRMeasure* measure = doc ? doc->measurement.measure() : nullptr;
        measure::expandCalibrationList(*menu, placeholder,
                                       measure ? measure->GetActiveCalibrateList() : nullptr,
                                       [this](int id) {
                                           QAction* entry = commandActions().action(id);
                                           commandActions().refresh(entry);
                                           return entry;
                                       });
    });
}

void CMainFrame::addRecentFileEntries() {
    // The menu has one "Recent File" entry; the other eight follow it and show only
    // while the list has that many files.
    QAction* first = commandActions().action(ID_FILE_MRU_FILE1);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        const qsizetype at = menu->actions().indexOf(first);
        if (at < 0) {
            continue;
        }
        QAction* before = menu->actions().value(at + 1);
        for (int i = 1; i < framework::RecentFileList::kMaxEntries; ++i) {
            menu->insertAction(before, commandActions().action(ID_FILE_MRU_FILE1 + i));
        }
        connect(menu, &QMenu::aboutToShow, this, [this] {
            const auto count = static_cast<int>(state_.recentFiles.entries().size());
            for (int i = 1; i < framework::RecentFileList::kMaxEntries; ++i) {
                commandActions().action(ID_FILE_MRU_FILE1 + i)->setVisible(i < count);
            }
        });
    }
}

// --- commands ------------------------------------------------------------------------

void CMainFrame::registerCommands() {
    onCommand(
        ID_EDIT_PASTE, [this](int) { paste(); },
        [](CommandState& s) {
            const QMimeData* data = QApplication::clipboard()->mimeData();
            s.enable(data && (data->hasImage() || data->hasFormat(QStringLiteral("image/bmp"))));
        });
    onCommand(ID_EDIT_CAPTURE, [this](int) { captureWindow(); });
    onCommand(
        ID_VIEW_MENU_STYLE_DEFAULT, [this](int) { applyLookSet(LookSet::Default); },
        [this](CommandState& s) { s.setCheck(lookSet_ == LookSet::Default); });
    onCommand(
        ID_VIEW_MENU_STYLE_XP, [this](int) { applyLookSet(LookSet::XP); },
        [this](CommandState& s) { s.setCheck(lookSet_ == LookSet::XP); });
    onCommand(
        ID_VIEW_FULLSCREEN, [this](int) { toggleFullScreen(); },
        [this](CommandState& s) { s.setCheck(fullScreen_); });
    onCommand(
        ID_VIEW_LONG_EXPOSURE,
        [this](int) {
            if (!cameraWindow_) {
                longExposure_ = !longExposure_;
            }
        },
        [this](CommandState& s) { s.setCheck(longExposure_); });
    onCommand(ID_TOOLS_CUSTOMIZE, [this](int) {
        CustomizeDialog dialog(commandActions(), {standardBar_, measureBar_, imageBar_}, this);
        dialog.exec();
    });
    onCommandRange(
        ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + framework::RecentFileList::kMaxEntries - 1,
        [this](int id) { openRecentFile(id - ID_FILE_MRU_FILE1); },
        [this](CommandState& s) {
            const int index = s.id - ID_FILE_MRU_FILE1;
            const bool present = index < static_cast<int>(state_.recentFiles.entries().size());
            s.enable(present);
            s.setText(present ? state_.recentFiles.menuText(index) : QStringLiteral("Recent File"));
        });
    // F11 and the View menu's entry reach the camera window's toolbar toggle from the
    // workspace too; without a camera window there is nothing to toggle.
    onCommand(
        ID_CAMERA_TOGGLE_TOOLBAR,
        [this](int id) {
            if (auto* camera = qobject_cast<camera::CCameraFrame*>(cameraWindow_.data())) {
                camera->router().dispatch(id);
            }
        },
        [this](CommandState& s) {
            auto* camera = qobject_cast<camera::CCameraFrame*>(cameraWindow_.data());
            s.enable(camera != nullptr);
            s.setCheck(camera && camera->toolBar()->isVisible());
        });
    onCommand(
        ID_VIEW_HISTOGRAM, [this](int) { showHistogram(); },
        [this](CommandState& s) { s.setCheck(histogram_ && histogram_->isVisible()); });
    onCommand(ID_NEXT_PANE, [this](int) { workspace()->activateNextSubWindow(); });
    onCommand(ID_PREV_PANE, [this](int) { workspace()->activatePreviousSubWindow(); });
}

document::CKorvelDoc* CMainFrame::newPictureDocument(const QString& titleFormat) {
    framework::CDocTemplate* docTemplate = state_.documents.docTemplate;
    if (!docTemplate) {
        return nullptr;
    }
    auto* document = qobject_cast<document::CKorvelDoc*>(docTemplate->OpenDocumentFile({}));
    if (document) {
        document->SetTitle(titleFormat.arg(state_.documents.takeImageNumber()));
    }
    return document;
}

void CMainFrame::openRecentFile(int index) {
    const QString path = state_.recentFiles.entries().value(index);
    framework::CDocTemplate* docTemplate = state_.documents.docTemplate;
    if (path.isEmpty() || !docTemplate) {
        return;
    }
    if (!docTemplate->OpenDocumentFile(path)) {
        state_.recentFiles.remove(path);  // gone or unreadable: drop it from the list
    }
}

void CMainFrame::paste() {
    document::CKorvelDoc* document = newPictureDocument(QStringLiteral("Clipboard Image %1"));
    if (!document) {
        return;
    }
    const QMimeData* data = QApplication::clipboard()->mimeData();
    const QString bitmap = QStringLiteral("image/bmp");
    if (data && !(data->hasFormat(bitmap) && document->attachBitmapBytes(data->data(bitmap))) &&
        data->hasImage()) {
        document->attachPicture(qvariant_cast<QImage>(data->imageData()));
    }
    document->UpdateAllViews(nullptr, HINT_FULL_REFRESH);
    document->refreshStatus();
}

void CMainFrame::captureWindow() {
    if (cameraWindow_) {
        cameraWindow_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        cameraWindow_->show();
    }
    const QSize screen = screenSize(this);
    const std::vector<CaptureCandidate> list = captureList(windows_->topLevelWindows(), screen);
    int chosen = -1;
    if (chooseCapture_) {
        chosen = chooseCapture_(list);
    } else {
        CaptureDialog dialog(list, this);
        if (dialog.exec() == QDialog::Accepted) {
            chosen = dialog.selectedIndex();
        }
    }
    const auto releaseCamera = [this] {
        if (cameraWindow_) {
            cameraWindow_->setWindowFlag(Qt::WindowStaysOnTopHint, false);
            cameraWindow_->show();
        }
    };
    if (chosen < 0 || chosen >= static_cast<int>(list.size())) {
        releaseCamera();
        return;
    }
    const CaptureCandidate& target = list[static_cast<std::size_t>(chosen)];
    if (!cameraWindow_ || cameraWindow_->winId() != target.windowId) {
        releaseCamera();
    }
    const std::optional<CaptureArea> area = clipCaptureArea(target.frame, screen);
    if (!area) {
        return;
    }
    windows_->setTopmost(target.windowId, true);
    QThread::msleep(100);
    // Grab the clipped area from the window's own pixels, starting at the source offset.
    const QRect source(area->sourceOffset, area->screenArea.size());
    const QImage picture =
        windows_->grab(target.windowId, target.windowId ? source : area->screenArea);
    windows_->setTopmost(target.windowId, false);
    raise();

    document::CKorvelDoc* document = newPictureDocument(QStringLiteral("Captured Image %1"));
    if (!document) {
        return;
    }
    document->attachPicture(picture);
    document->UpdateAllViews(nullptr, HINT_FULL_REFRESH);
    document->refreshStatus();
}

void CMainFrame::toggleFullScreen() {
    if (!fullScreen_) {
        fullScreen_ = true;
        setWindowFlag(Qt::FramelessWindowHint, true);
        showMaximized();
        standardBar_->hide();
        measureBar_->hide();
        statusBar()->hide();
    } else {
        fullScreen_ = false;
        setWindowFlag(Qt::FramelessWindowHint, false);
        showNormal();
        standardBar_->show();
        dockMeasureBesideStandard();
        statusBar()->show();
    }
}

void CMainFrame::applyLookSet(LookSet look) {
    lookSet_ = look;
    // Two clearly different looks: the plain one, and a bluer one with slanted tabs.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette = QApplication::style()->standardPalette();
    if (look == LookSet::XP) {
        palette.setColor(QPalette::Window, QColor(0xEC, 0xE9, 0xD8));
        palette.setColor(QPalette::Button, QColor(0xE3, 0xEF, 0xFF));
        palette.setColor(QPalette::Highlight, QColor(0x31, 0x6A, 0xC5));
        workspace()->setTabShape(QTabWidget::Triangular);
    } else {
        workspace()->setTabShape(QTabWidget::Rounded);
    }
    QApplication::setPalette(palette);
    update();
}

void CMainFrame::openCamera() {
    if (cameraWindow_) {
        // A minimised window brought to the top would stay out of sight.
        if (cameraWindow_->isMinimized()) {
            cameraWindow_->showNormal();
        }
        cameraWindow_->raise();
        cameraWindow_->activateWindow();
        return;
    }
    KRVCamera_ReflashCamera();
    int typeId = KRVCameraGetCameraID().typeId;
    if (typeId == -1) {
        framework::AfxMessageBox(QStringLiteral("No Camera!"));
        return;
    }
    if (!longExposure_ || camera::supportsLongExposure(typeId)) {
        if (const std::optional<camera::CameraVariants> variants = camera::cameraVariants(typeId)) {
            std::optional<int> chosen;
            if (chooseVariant_) {
                chosen = chooseVariant_(*variants);
            } else {
                camera::SelectCameraDialog dialog(*variants, this);
                if (dialog.exec() == QDialog::Accepted) {
                    chosen = dialog.chosenTypeId();
                }
            }
            if (chosen) {
                typeId = *chosen;
                KRVCamera_SetCamera(typeId);
            }
        }
        auto* frame = new camera::CCameraFrame(  // deletes itself when it closes
            typeId, longExposure_,
            camera::CCameraFrame::Environment{state_.store,
                                              platform::brenicIniPath(),
                                              [this] { return state_.saveFolder(); },
                                              nullptr,
                                              {},
                                              this,
                                              [this](int id) { router().dispatch(id); }});
        cameraWindow_ = frame;
        frame->show();
        frame->create();
    }
    emit cameraTileLabelChanged(QString::fromUtf8(KRVCameraGetCameraID().name));
}

// --- view kinds and activation ---------------------------------------------------------

void CMainFrame::applyViewKind(bool startPage) {
    for (int i = 0; i < kStandardControlCount; ++i) {
        QAction* control = standardControl(i);
        if (!control) {
            continue;
        }
        if (i == kNew) {
            control->setVisible(false);
        } else if (i >= kSaveAs && i <= kZoomList) {
            control->setVisible(!startPage);
        } else if (i == kLongExposure || i == kImageDelete) {
            control->setVisible(startPage);
        }
    }
    if (startPage) {
        if (dockWidgetArea(folderPane_) != Qt::LeftDockWidgetArea) {
            addDockWidget(Qt::LeftDockWidgetArea, folderPane_);
        }
        folderPane_->show();
        statusBar()->hide();
    } else {
        folderPane_->hide();
        if (!fullScreen_) {
            statusBar()->show();
        }
    }
}

void CMainFrame::onChildActivated(framework::CMDIChildWnd* previous,
                                  framework::CMDIChildWnd* current) {
    framework::CMDIFrameWnd::onChildActivated(previous, current);
    refreshHistogram();
    // The document menu while a document is active, the frame's own menu otherwise.
    showMenu(current ? IDR_IMAGE_MENU : IDR_MAINFRAME_MENU);
    if (current) {
        const auto* document = qobject_cast<document::CKorvelDoc*>(current->GetActiveDocument());
        applyViewKind(document && document->isStartPage());
        if (document && !document->isStartPage() && zoomCombo_) {
            zoomCombo_->setEditText(QString::asprintf("%d%%", int(document->zoom * 100.0f)));
        }
    }
}

// --- messages --------------------------------------------------------------------------

std::intptr_t CMainFrame::onMessage(const framework::Message& message) {
    switch (message.id) {
        case MSG_OPEN_CAMERA:
            openCamera();
            return 0;
        case MSG_FILE_SAVED:
            if (message.text.isEmpty()) {
                return 1;
            }
            emit fileSaved(message.text);
            return 0;
        case MSG_CAMERA_REMOVED: {
            const int typeId = static_cast<int>(static_cast<std::intptr_t>(message.wParam));
            if (typeId == -1) {
                return 0;
            }
            if (cameraWindow_) {
                cameraWindow_->close();
            }
            emit cameraRemoved(typeId);
            emit cameraTileLabelChanged(loadString(IDS_CAMERA_TILE_VIDEO));
            return 0;
        }
        default:
            return 0;
    }
}

void CMainFrame::onPowerBroadcast(int event) {
    const bool closesCamera =
        event == kPowerQuerySuspend || event == kPowerSuspend || event == kPowerResumeAutomatic;
    if (closesCamera && cameraWindow_) {
        cameraWindow_->close();
    }
}

void CMainFrame::onPrepareForSleep(bool start) {
    onPowerBroadcast(start ? kPowerSuspend : kPowerResumeAutomatic);
}

// --- tabs, drops -----------------------------------------------------------------------

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded && watched == workspace()) {
        // The workspace makes its tab bar when the first document arrives.
        if (QTabBar* tabs = workspace()->findChild<QTabBar*>()) {
            tabs->removeEventFilter(this);
            tabs->installEventFilter(this);
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* tabs = qobject_cast<QTabBar*>(watched);
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (tabs && mouse->button() == Qt::RightButton) {
            const int index = tabs->tabAt(mouse->position().toPoint());
            if (index >= 0) {
                showTabMenu(index, mouse->globalPosition().toPoint());
                return true;
            }
        }
    }
    return framework::CMDIFrameWnd::eventFilter(watched, event);
}

void CMainFrame::showTabMenu(int tabIndex, const QPoint& globalPos) {
    const QList<QMdiSubWindow*> windows = workspace()->subWindowList();
    if (tabIndex >= windows.size()) {
        return;
    }
    workspace()->setActiveSubWindow(windows[tabIndex]);
    QMenu menu(this);
    const std::pair<int, const char*> entries[] = {
        {ID_FILE_SAVE, "Save"}, {ID_FILE_SAVE_AS, "Save &As..."}, {ID_FILE_CLOSE, "Close"}};
    for (const auto& [id, text] : entries) {
        menu.addAction(QString::fromLatin1(text))->setData(id);
    }
    if (QAction* chosen = menu.exec(globalPos)) {
        const int id = chosen->data().toInt();
        if (id == ID_FILE_CLOSE) {
            windows[tabIndex]->close();
        } else {
            router().dispatch(id);
        }
    }
}

document::CMagnifierWnd* CMainFrame::magnifier(bool create) {
    if (!magnifier_ && create) {
        magnifier_ = std::make_unique<document::CMagnifierWnd>(this);
    }
    return magnifier_.get();
}

void CMainFrame::showHistogram() {
    if (!histogram_) {
        histogram_ = std::make_unique<browser::CHistogramWnd>(this);
        // The counts belong to the active picture document; the window only draws them.
        histogram_->setSourceProvider([this]() -> browser::HistogramSource {
            auto* doc = qobject_cast<document::CKorvelDoc*>(GetActiveDocument());
            // A running operation is changing the pixels: nothing to count then.
            if (!doc || !doc->hasPicture() || doc->isBusy()) {
                return {};
            }
            return {doc->image(), &doc->histogram, &doc->histogramMaximum};
        });
    }
    histogram_->show();
    histogram_->raise();
}

void CMainFrame::refreshHistogram() {
    if (histogram_) {
        histogram_->update();
    }
}

void CMainFrame::showPictureMenu(QPoint globalPosition) {
    QMenu menu(this);
    commandActions().fillMenu(&menu, IDR_IMAGE_CONTEXT_MENU);
    commandActions().refreshAll();
    menu.exec(globalPosition);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    framework::CDocTemplate* docTemplate = state_.documents.docTemplate;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile() && docTemplate) {
            docTemplate->OpenDocumentFile(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
}

// --- placement, layouts and close -------------------------------------------------------

void CMainFrame::restorePlacement() {
    // The rectangle close stores is the one restored here: the window without its frame.
    // Storing the frame and restoring it as the inside made the window creep at each start.
    if (const std::optional<QRect> rect = placementToRestore(readPlacement(state_.store))) {
        setGeometry(*rect);
    } else {
        const QScreen* screen = screenOf(this);
        const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        setGeometry(defaultPlacement(available));
    }
}

void CMainFrame::restoreLayouts() {
    QByteArray bars = state_.store.getProfileBinary(kCommandBars, QStringLiteral("State"));
    QDataStream in(&bars, QIODevice::ReadOnly);
    quint32 magic = 0;
    QMap<QString, QList<int>> buttons;
    QByteArray windowState;
    in >> magic >> buttons >> windowState;
    if (in.status() == QDataStream::Ok && magic == kLayoutMagic) {
        for (QToolBar* bar : {standardBar_, measureBar_, imageBar_}) {
            const auto it = buttons.find(bar->objectName());
            if (it != buttons.end()) {
                commandActions().setToolBarCommands(bar, *it);
            }
        }
        restoreState(windowState);
    }
    const QByteArray panes = state_.store.getProfileBinary(kNormalLayout, QStringLiteral("State"));
    if (!panes.isEmpty()) {
        restoreDockWidget(folderPane_);
        folderPane_->restoreGeometry(panes);
    }
}

void CMainFrame::saveLayouts() {
    QMap<QString, QList<int>> buttons;
    for (QToolBar* bar : {standardBar_, measureBar_, imageBar_}) {
        buttons.insert(bar->objectName(), framework::CommandActions::toolBarCommands(bar));
    }
    QByteArray bars;
    QDataStream out(&bars, QIODevice::WriteOnly);
    out << kLayoutMagic << buttons << saveState();
    state_.store.writeProfileBinary(kCommandBars, QStringLiteral("State"), bars);
    state_.store.writeProfileBinary(kNormalLayout, QStringLiteral("State"),
                                    folderPane_->saveGeometry());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // 1. The camera window goes first: it stops recording and closes the camera.
    if (cameraWindow_) {
        cameraWindow_->close();
    }
    // 2. The histogram window.
    histogram_.reset();
    // 3. The camera listener goes.
    if (listener_ && !listener_->unregisterNotifications()) {
        framework::AfxMessageBox(
            QStringLiteral("UnRegister Camera Listen make a error, Unregister Fail!"));
    }
    listener_.reset();
    // 4. The magnifier window.
    magnifier_.reset();
    // 5, 6. Placement: maximised or the clamped normal rectangle.
    state_.store.writeProfileInt(QStringLiteral("Screen"), QStringLiteral("maximized"),
                                 isMaximized() ? 1 : 0);
    if (!isMaximized() && !isMinimized()) {
        writePlacement(state_.store, placementToStore(geometry(), screenSize(this)));
    }
    // 7. The application's settings, then 8. the layouts.
    state_.settings().saveAtClose(state_.store);
    saveLayouts();
    // 9. Documents: the Start Page may close from now on.
    state_.documents.closing = true;
    framework::CDocTemplate* docTemplate = state_.documents.docTemplate;
    if (docTemplate && !docTemplate->SaveAllModified()) {
        state_.documents.closing = false;  // the user kept the program open
        event->ignore();
        return;
    }
    if (docTemplate) {
        docTemplate->CloseAllDocuments();
    }
    event->accept();
}

}  // namespace korvel::app
