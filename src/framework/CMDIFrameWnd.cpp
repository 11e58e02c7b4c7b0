#include "framework/CMDIFrameWnd.h"

#include "framework/CDocument.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CView.h"
#include "framework/CommandActions.h"

#include <QCoreApplication>
#include <QMdiArea>

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
    connect(workspace_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        auto* current = qobject_cast<CMDIChildWnd*>(window);
        if (current == activeChild_) {
            return;
        }
        CMDIChildWnd* previous = activeChild_;
        activeChild_ = current;
        onChildActivated(previous, current);
        updateFrameTitle();
    });
}

CMDIFrameWnd::~CMDIFrameWnd() {
    // The workspace reports activation changes while it tears its windows down; this
    // object is no longer whole by then.
    workspace_->disconnect(this);
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
    // The current window stays the route target while the application is inactive.
    return qobject_cast<CMDIChildWnd*>(workspace_->currentSubWindow());
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
