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
    return qobject_cast<CView*>(widget());
}

CDocument* CMDIChildWnd::GetActiveDocument() const {
    const CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

bool CMDIChildWnd::OnCreateClient() {
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
