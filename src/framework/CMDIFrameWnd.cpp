#include "framework/CMDIFrameWnd.h"

#include "framework/CDocument.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CView.h"
#include "framework/CommandActions.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>

namespace korvel::framework {

CMDIFrameWnd::CMDIFrameWnd(QWidget* parent)
    : QMainWindow(parent),
      workspace_(new QMdiArea(this)),
      router_([this] { return commandRoute(); }),
      actions_(new CommandActions(this, &router_)),
      applicationTarget_(dynamic_cast<CommandTarget*>(QCoreApplication::instance())) {
    workspace_->setViewMode(QMdiArea::TabbedView);
    workspace_->setTabsClosable(true);
    workspace_->setTabsMovable(true);
    workspace_->setDocumentMode(true);
    setCentralWidget(workspace_);
    // The workspace's own activation signal is not enough: a child shown while the main
    // window is still hidden (the first document at start-up) is marked active inside the
    // workspace without the signal, and the workspace reports no active child while
    // another window has the focus. The active child is therefore worked out afresh
    // whenever the workspace, its tabs, a child or the window's activation changes.
    connect(workspace_, &QMdiArea::subWindowActivated, this, [this] { syncActiveChild(); });
    workspace_->installEventFilter(this);
    workspace_->viewport()->installEventFilter(this);
}

CMDIChildWnd* CMDIFrameWnd::findActiveChild() const {
    if (auto* active = qobject_cast<CMDIChildWnd*>(workspace_->activeSubWindow())) {
        return active;
    }
    // Tabs are in creation order, as the workspace lists its windows.
    const QList<QMdiSubWindow*> windows = workspace_->subWindowList();
    if (workspace_->viewMode() == QMdiArea::TabbedView) {
        if (const auto* tabs = workspace_->findChild<QTabBar*>()) {
            const int index = tabs->currentIndex();
            if (index >= 0 && index < windows.size()) {
                if (auto* child = qobject_cast<CMDIChildWnd*>(windows[index])) {
                    return child;
                }
            }
        }
    }
    if (auto* current = qobject_cast<CMDIChildWnd*>(workspace_->currentSubWindow())) {
        return current;
    }
    const QList<QMdiSubWindow*> history =
        workspace_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.crbegin(); it != history.crend(); ++it) {
        if (auto* child = qobject_cast<CMDIChildWnd*>(*it); child && !child->isHidden()) {
            return child;
        }
    }
    return nullptr;
}

void CMDIFrameWnd::syncActiveChild() {
    CMDIChildWnd* current = findActiveChild();
    if (current == activeChild_) {
        return;
    }
    CMDIChildWnd* previous = activeChild_;
    activeChild_ = current;
    onChildActivated(previous, current);
    updateFrameTitle();
}

void CMDIFrameWnd::syncActiveChildLater() {
    if (syncQueued_) {
        return;
    }
    syncQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            syncQueued_ = false;
            syncActiveChild();
        },
        Qt::QueuedConnection);
}

void CMDIFrameWnd::watchChild(QMdiSubWindow* child) {
    connect(child, &QMdiSubWindow::windowStateChanged, this, &CMDIFrameWnd::syncActiveChild,
            Qt::UniqueConnection);
    connect(child, &QObject::destroyed, this, &CMDIFrameWnd::syncActiveChildLater,
            Qt::UniqueConnection);
}

void CMDIFrameWnd::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        syncActiveChildLater();  // after the workspace has taken the change
    }
}

bool CMDIFrameWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (watched == workspace_) {
            // The workspace makes its tab bar when the first child arrives.
            if (auto* tabs = qobject_cast<QTabBar*>(child);
                tabs && event->type() == QEvent::ChildAdded) {
                connect(tabs, &QTabBar::currentChanged, this, &CMDIFrameWnd::syncActiveChild,
                        Qt::UniqueConnection);
            }
        } else if (watched == workspace_->viewport()) {
            if (auto* window = qobject_cast<QMdiSubWindow*>(child);
                window && event->type() == QEvent::ChildAdded) {
                watchChild(window);
            }
            syncActiveChildLater();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

CMDIFrameWnd::~CMDIFrameWnd() {
    // The workspace, its tabs and its children report activation changes while they are
    // torn down; this object is no longer whole by then.
    workspace_->disconnect(this);
    workspace_->removeEventFilter(this);
    workspace_->viewport()->removeEventFilter(this);
    for (QTabBar* tabs : workspace_->findChildren<QTabBar*>()) {
        tabs->disconnect(this);
    }
    // Every child frame, also those already taken out of the workspace's list and
    // waiting for deletion: their destruction must not reach this object.
    for (QMdiSubWindow* child : workspace_->findChildren<QMdiSubWindow*>()) {
        child->disconnect(this);
    }
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
    // The active child stays the route target while the application is inactive.
    return findActiveChild();
}

CView* CMDIFrameWnd::GetActiveView() const {
    const CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveView() : nullptr;
}

CDocument* CMDIFrameWnd::GetActiveDocument() const {
    const CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

std::vector<CommandTarget*> CMDIFrameWnd::commandRoute() const {
    std::vector<CommandTarget*> route;
    if (CMDIChildWnd* child = MDIGetActive()) {
        if (CView* view = child->GetActiveView()) {
            route.push_back(view);
            if (CDocument* document = view->GetDocument()) {
                route.push_back(document);
            }
        }
        route.push_back(child);
    }
    route.push_back(const_cast<CMDIFrameWnd*>(this));
    if (applicationTarget_) {
        route.push_back(applicationTarget_);
    }
    return route;
}

void CMDIFrameWnd::setBaseTitle(const QString& title) {
    baseTitle_ = title;
    updateFrameTitle();
}

void CMDIFrameWnd::updateFrameTitle() {
    const CDocument* document = GetActiveDocument();
    if (document && !document->GetTitle().isEmpty()) {
        setWindowTitle(baseTitle_ + QStringLiteral(" - ") + document->GetTitle());
    } else {
        setWindowTitle(baseTitle_);
    }
}

void CMDIFrameWnd::onChildActivated(CMDIChildWnd* previous, CMDIChildWnd* current) {
    if (previous) {
        if (CView* view = previous->GetActiveView()) {
            view->OnActivateView(false);
        }
    }
    if (current) {
        if (CView* view = current->GetActiveView()) {
            view->OnActivateView(true);
        }
        if (CDocument* document = current->GetActiveDocument()) {
            connect(document, &CDocument::titleChanged, this, &CMDIFrameWnd::updateFrameTitle,
                    Qt::UniqueConnection);
        }
    }
}

}  // namespace korvel::framework
