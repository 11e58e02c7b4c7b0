#include "framework/CDocTemplate.h"

#include "framework/CDocument.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CView.h"

#include <QFileInfo>
#include <QMdiArea>

namespace korvel::framework {

CDocTemplate::CDocTemplate(int resourceId, QString documentString, DocumentFactory makeDocument,
                           FrameFactory makeFrame, ViewFactory makeView)
    : resourceId_(resourceId),
      documentString_(std::move(documentString)),
      makeDocument_(std::move(makeDocument)),
      makeFrame_(std::move(makeFrame)),
      makeView_(std::move(makeView)) {}

CDocTemplate::~CDocTemplate() {
    for (const auto& document : documents_) {
        document->template_ = nullptr;
    }
}

QString CDocTemplate::GetDocString(DocStringIndex index) const {
    return documentString_.section('\n', index, index);
}

std::vector<CDocument*> CDocTemplate::documents() const {
    std::vector<CDocument*> result;
    result.reserve(documents_.size());
    for (const auto& document : documents_) {
        result.push_back(document.get());
    }
    return result;
}

CDocument* CDocTemplate::findDocumentByPath(const QString& path) const {
    const QString wanted = QFileInfo(path).absoluteFilePath();
    for (const auto& document : documents_) {
        if (!document->GetPathName().isEmpty() &&
            QFileInfo(document->GetPathName()).absoluteFilePath() == wanted) {
            return document.get();
        }
    }
    return nullptr;
}

QString CDocTemplate::nextUntitledTitle() {
    return GetDocString(docName) + QString::number(++untitledCount_);
}

CMDIChildWnd* CDocTemplate::createFrame(CDocument* document) {
    std::unique_ptr<CMDIChildWnd> frame = makeFrame_();
    std::unique_ptr<CView> view = makeView_();
    if (!frame || !view) {
        return nullptr;
    }
    document->AddView(view.get());
    frame->setWindowTitle(document->GetTitle());
    CMDIChildWnd* raw = frame.get();
    connect(document, &CDocument::titleChanged, raw, &QWidget::setWindowTitle);
    if (!raw->OnCreateClient(std::move(view))) {
        return nullptr;  // frame and view are destroyed with `frame`
    }
    if (workspace_) {
        workspace_->addSubWindow(frame.release());
    } else {
        frame.release();  // top-level; deletes itself on close (WA_DeleteOnClose)
    }
    return raw;
}

CDocument* CDocTemplate::OpenDocumentFile(const QString& path, bool makeVisible) {
    if (!path.isEmpty()) {
        if (CDocument* open = findDocumentByPath(path)) {
            if (!open->views().empty()) {
                if (CMDIChildWnd* frame = open->views().front()->GetParentFrame()) {
                    if (QMdiArea* area = frame->mdiArea()) {
                        area->setActiveSubWindow(frame);
                    }
                }
            }
            return open;
        }
    }

    std::unique_ptr<CDocument> owned = makeDocument_();
    if (!owned) {
        return nullptr;
    }
    CDocument* document = owned.get();
    document->template_ = this;
    documents_.push_back(std::move(owned));

    CMDIChildWnd* frame = createFrame(document);
    if (!frame) {
        document->OnCloseDocument();
        return nullptr;
    }

    bool ok = false;
    if (path.isEmpty()) {
        document->SetTitle(nextUntitledTitle());
        ok = document->OnNewDocument();
    } else {
        ok = document->OnOpenDocument(path);
        if (ok) {
            document->SetPathName(path);
        }
    }
    if (!ok) {
        document->OnCloseDocument();
        return nullptr;
    }

    if (CView* view = frame->GetActiveView()) {
        view->OnInitialUpdate();
    }
    if (makeVisible) {
        QMdiArea* area = frame->mdiArea();
        // Tabbed workspaces show every document filling the area.
        if (area && area->viewMode() == QMdiArea::TabbedView) {
            frame->showMaximized();
        } else {
            frame->show();
        }
        if (area) {
            area->setActiveSubWindow(frame);
        }
    }
    emit documentOpened(document);
    return document;
}

void CDocTemplate::removeDocument(CDocument* document) {
    for (auto it = documents_.begin(); it != documents_.end(); ++it) {
        if (it->get() == document) {
            std::unique_ptr<CDocument> leaving = std::move(*it);
            documents_.erase(it);
            leaving->template_ = nullptr;
            emit documentClosed(document);
            // Frames and views may still be unwinding from the close that got us here.
            leaving.release()->deleteLater();
            return;
        }
    }
}

bool CDocTemplate::SaveAllModified() {
    for (CDocument* document : documents()) {
        if (document->IsModified() && !document->SaveModified()) {
            return false;
        }
    }
    return true;
}

void CDocTemplate::CloseAllDocuments() {
    for (CDocument* document : documents()) {
        document->OnCloseDocument();
    }
}

}  // namespace korvel::framework
