#pragma once

// A view shows a document in a child frame and takes commands before its document does.

#include "framework/CommandTarget.h"

#include <QAbstractScrollArea>
#include <QPointer>

#include <cstdint>

namespace korvel::framework {

class CDocument;
class CMDIChildWnd;

class CView : public QAbstractScrollArea, public CommandTarget {
    Q_OBJECT

public:
    explicit CView(QWidget* parent = nullptr);
    ~CView() override;

    CDocument* GetDocument() const;
    // The child frame that holds the view, or null.
    CMDIChildWnd* GetParentFrame() const;

    // Called once after the view is attached and its frame exists.
    virtual void OnInitialUpdate();
    // Called by the document's UpdateAllViews.
    virtual void OnUpdate(CView* sender, std::intptr_t hint);
    // Called when the view's frame becomes (or stops being) the active one.
    virtual void OnActivateView(bool activate);

private:
    friend class CDocument;

    QPointer<CDocument> document_;
};

}  // namespace korvel::framework
