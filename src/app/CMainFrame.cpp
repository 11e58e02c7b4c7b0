#include "app/CMainFrame.h"

#include "framework/CommandActions.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>

namespace korvel::app {

using namespace korvel::res;

CMainFrame::CMainFrame(QWidget* parent) : framework::CMDIFrameWnd(parent) {
    setBaseTitle(loadString(IDS_MAINFRAME_TITLE));
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::create() {
    if (!createStatusBar()) {
        return false;
    }
    showMenu(IDR_MAINFRAME_MENU);
    if (!createToolBars()) {
        return false;
    }
    createFolderPane();
    commandActions().applyAccelerators(IDR_MAINFRAME_ACCEL);
    resize(850, 650);
    return true;
}

bool CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    // Pane widths in blanks, from the indicator strings of the status bar.
    const std::array<int, 8> stringIds = {0, 59142, 59143, 59144, 59145, 0, 0, 0};
    const std::array<const char*, 8> fixedTexts = {"", "", "", "", "", "CAP", "NUM", "SCRL"};
    for (int i = 1; i < 8; ++i) {
        auto* pane = new QLabel(bar);  // owned by the status bar
        const QString sizing = stringIds[i] ? loadString(stringIds[i]) : fixedTexts[i];
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(sizing) + 6);
        pane->setText(stringIds[i] ? QString() : QString::fromLatin1(fixedTexts[i]));
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

bool CMainFrame::createToolBars() {
    struct BarSpec {
        QToolBar** bar;
        int titleId;
        int resourceId;
    };
    const BarSpec specs[] = {
        {&standardBar_, IDS_TOOLBAR_STANDARD, IDR_TOOLBAR_STANDARD},
        {&measureBar_, IDS_TOOLBAR_MEASURE, IDR_TOOLBAR_MEASURE},
        {&imageBar_, IDS_TOOLBAR_IMAGE, IDR_TOOLBAR_IMAGE},
    };
    for (const BarSpec& entry : specs) {
        auto* bar = new QToolBar(loadString(entry.titleId), this);  // owned by the window
        bar->setObjectName(QStringLiteral("ToolBar%1").arg(entry.resourceId));
        if (!commandActions().fillToolBar(bar, entry.resourceId)) {
            return false;
        }
        addToolBar(Qt::TopToolBarArea, bar);
        *entry.bar = bar;
    }
    imageBar_->hide();
    return true;
}

void CMainFrame::createFolderPane() {
    folderPane_ = new QDockWidget(loadString(IDS_FOLDER_PANE).section('\n', 0, 0).trimmed(),
                                  this);  // owned by the window
    folderPane_->setObjectName(QStringLiteral("Pane1235"));
    folderPane_->setWidget(new QTreeView(folderPane_));
    addDockWidget(Qt::LeftDockWidgetArea, folderPane_);
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
}

void CMainFrame::onChildActivated(framework::CMDIChildWnd* previous,
                                  framework::CMDIChildWnd* current) {
    framework::CMDIFrameWnd::onChildActivated(previous, current);
    // The document menu while a document is active, the frame's own menu otherwise.
    showMenu(current ? IDR_IMAGE_MENU : IDR_MAINFRAME_MENU);
}

}  // namespace korvel::app
