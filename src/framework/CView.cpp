#include "framework/CView.h"

#include "framework/CDocument.h"
#include "framework/CMDIChildWnd.h"

namespace korvel::framework {

CView::CView(QWidget* parent) : QAbstractScrollArea(parent) {}

CDocument* CView::GetDocument() const {
    return document_;
}

CView::~CView() {
    if (document_) {
        document_->RemoveView(this);
    }
}

CMDIChildWnd* CView::GetParentFrame() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<CMDIChildWnd*>(w)) {
            return frame;
        }
    }
    return nullptr;
}

void CView::OnInitialUpdate() {
    OnUpdate(nullptr, 0);
}

void CView::OnUpdate(CView*, std::intptr_t) {
    viewport()->update();
}

void CView::OnActivateView(bool) {}

}  // namespace korvel::framework
