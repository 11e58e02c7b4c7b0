#include "framework/CDocument.h"

#include "framework/CDocTemplate.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CView.h"

#include <QFileInfo>
#include <QMdiArea>

#include <algorithm>

namespace korvel::framework {

CDocument::CDocument() = default;

CDocument::~CDocument() {
    for (CView* view : views_) {
        view->document_ = nullptr;
    }
}

void CDocument::SetTitle(const QString& title) {
    title_ = title;
    emit titleChanged(title_);
}

void CDocument::SetPathName(const QString& path) {
    pathName_ = path;
    SetTitle(QFileInfo(path).fileName());
}

void CDocument::AddView(CView* view) {
    if (std::find(views_.begin(), views_.end(), view) == views_.end()) {
        views_.push_back(view);
        view->document_ = this;
    }
}

void CDocument::RemoveView(CView* view) {
    std::erase(views_, view);
    if (view->document_ == this) {
        view->document_ = nullptr;
    }
    if (views_.empty() && template_) {
        template_->removeDocument(this);
    }
}

void CDocument::UpdateAllViews(CView* sender, std::intptr_t hint) {
    // A view may close while updating; walk a copy.
    const std::vector<CView*> views = views_;
    for (CView* view : views) {
        if (view != sender) {
            view->OnUpdate(sender, hint);
        }
    }
}

bool CDocument::OnNewDocument() {
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const QString&) {
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const QString&) {
    SetModifiedFlag(false);
    return true;
}

bool CDocument::DoSave(const QString& path, bool replace) {
    if (path.isEmpty()) {
        return false;
    }
    if (!OnSaveDocument(path)) {
        return false;
    }
    if (replace) {
        SetPathName(path);
    }
    return true;
}

bool CDocument::SaveModified() {
    return true;
}

bool CDocument::CanCloseFrame(CMDIChildWnd*) {
    // Only the last frame of a document needs the question.
    return views_.size() > 1 || SaveModified();
}

void CDocument::OnCloseDocument() {
    const std::vector<CView*> views = views_;
    for (CView* view : views) {
        if (CMDIChildWnd* frame = view->GetParentFrame()) {
            frame->hide();
            if (QMdiArea* area = frame->mdiArea()) {
                area->removeSubWindow(frame);
            }
            frame->deleteLater();
        }
    }
    if (template_) {
        template_->removeDocument(this);
    }
}

}  // namespace korvel::framework
