#pragma once

// The frame of one view in the tabbed workspace. Closing it asks the document first.

#include "framework/CommandTarget.h"

#include <QMdiSubWindow>

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

    // Called by the template after the view is attached; subclasses add their bars here.
    virtual bool OnCreateClient();

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace korvel::framework
