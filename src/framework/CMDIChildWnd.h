#pragma once

// The frame of one view in the tabbed workspace. Closing it asks the document first.

#include "framework/CommandTarget.h"

#include <QMdiSubWindow>
#include <QPointer>

#include <memory>

namespace korvel::framework {

class CDocument;
class CView;

class CMDIChildWnd : public QMdiSubWindow, public CommandTarget {
    Q_OBJECT

public:
    explicit CMDIChildWnd(QWidget* parent = nullptr);
    ~CMDIChildWnd() override;

    CView* GetActiveView() const;
    CDocument* GetActiveDocument() const;

    // Takes the view; the default makes it the frame's only widget. Frames with bars
    // around the view put it into a layout of their own.
    virtual bool OnCreateClient(std::unique_ptr<CView> view);

protected:
    void closeEvent(QCloseEvent* event) override;

    // For subclasses that place the view themselves.
    void setView(CView* view);

private:
    QPointer<CView> view_;
};

}  // namespace korvel::framework
