#pragma once

// Creates documents together with their child frame and view, and keeps the open
// documents in the order they were created.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QMdiArea;

namespace korvel::framework {

class CDocument;
class CMDIChildWnd;
class CView;

class CDocTemplate : public QObject {
    Q_OBJECT

public:
    using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
    using FrameFactory = std::function<std::unique_ptr<CMDIChildWnd>()>;
    using ViewFactory = std::function<std::unique_ptr<CView>()>;

    // The parts of the document string, separated by '\n'.
    enum DocStringIndex {
        windowTitle = 0,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName,
    };

    CDocTemplate(int resourceId, QString documentString, DocumentFactory makeDocument,
                 FrameFactory makeFrame, ViewFactory makeView);
    ~CDocTemplate() override;

    int resourceId() const { return resourceId_; }
    QString GetDocString(DocStringIndex index) const;

    // The workspace that receives new child frames. Without one, frames stay top-level
    // (tests use that).
    void setWorkspace(QMdiArea* workspace) { workspace_ = workspace; }

    // Opens `path` in a new document with its frame and view, or activates the document
    // that already shows it. An empty path makes a new untitled document. Null when the
    // document cannot be created or opened (nothing is left behind then).
    CDocument* OpenDocumentFile(const QString& path, bool makeVisible = true);

    // Open documents in creation order.
    std::vector<CDocument*> documents() const;
    CDocument* findDocumentByPath(const QString& path) const;

    // Asks every modified document to save; false as soon as one cancels.
    bool SaveAllModified();
    // Closes every document without asking.
    void CloseAllDocuments();

signals:
    void documentOpened(korvel::framework::CDocument* document);
    void documentClosed(korvel::framework::CDocument* document);

private:
    friend class CDocument;

    CMDIChildWnd* createFrame(CDocument* document);
    // Called when a document lost its last view or closed itself; deletes it later.
    void removeDocument(CDocument* document);
    QString nextUntitledTitle();

    int resourceId_;
    QString documentString_;
    DocumentFactory makeDocument_;
    FrameFactory makeFrame_;
    ViewFactory makeView_;
    QMdiArea* workspace_ = nullptr;
    std::vector<std::unique_ptr<CDocument>> documents_;
    int untitledCount_ = 0;
};

}  // namespace korvel::framework
