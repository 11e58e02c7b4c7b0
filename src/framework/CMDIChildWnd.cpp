#include "framework/CMDIChildWnd.h"

#include "framework/CDocument.h"
#include "framework/CView.h"

#include <QCloseEvent>

namespace korvel::framework {

CMDIChildWnd::CMDIChildWnd(QWidget* parent) : QMdiSubWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

CMDIChildWnd::~CMDIChildWnd() = default;

CView* CMDIChildWnd::GetActiveView() const {
    return view_;
}

void CMDIChildWnd::setView(CView* view) {
    view_ = view;
}

CDocument* CMDIChildWnd::GetActiveDocument() const {
    const CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

bool CMDIChildWnd::OnCreateClient(std::unique_ptr<CView> view) {
    view_ = view.get();
    setWidget(view.release());  // the frame owns the view
    return true;
}

void CMDIChildWnd::closeEvent(QCloseEvent* event) {
    CDocument* document = GetActiveDocument();
    if (document && !document->CanCloseFrame(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

}  // namespace korvel::framework
