#pragma once

// The multiple-document main window: a tabbed workspace of child frames, and the command
// route that offers each command to the active view, its document, its child frame, this
// frame and the application, in that order.

#include "framework/CommandTarget.h"

#include <QMainWindow>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;

namespace korvel::framework {

class CDocument;
class CMDIChildWnd;
class CView;
class CommandActions;

class CMDIFrameWnd : public QMainWindow, public CommandTarget {
    Q_OBJECT

public:
    explicit CMDIFrameWnd(QWidget* parent = nullptr);
    ~CMDIFrameWnd() override;

    QMdiArea* workspace() const { return workspace_; }
    CMDIChildWnd* MDIGetActive() const;
    CView* GetActiveView() const;
    CDocument* GetActiveDocument() const;

    const CommandRouter& router() const { return router_; }
    CommandActions& commandActions() const { return *actions_; }

    // The application's command target, last on the route. Defaults to the application
    // object when it is a command target.
    void setApplicationTarget(CommandTarget* target) { applicationTarget_ = target; }

    // The route for the current activation, first target first.
    std::vector<CommandTarget*> commandRoute() const;

    // The title shown when no document is active ("Korvel"); the active document's title
    // is appended as "Korvel - <title>".
    void setBaseTitle(const QString& title);
    void updateFrameTitle();

protected:
    // Activation of a child frame changed; the default tells the views.
    virtual void onChildActivated(CMDIChildWnd* previous, CMDIChildWnd* current);

    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The child frame that is active for menus and commands: the workspace's active one,
    // else the one whose tab is current, else the one activated last. It stays active
    // while another window (a dialog, the camera window) has the focus.
    CMDIChildWnd* findActiveChild() const;
    // Compares that with the child last reported and reports a change.
    void syncActiveChild();
    // The same once the workspace has finished what it is doing.
    void syncActiveChildLater();
    void watchChild(QMdiSubWindow* child);

    QMdiArea* workspace_;  // central widget, owned by the window
    CommandRouter router_;
    CommandActions* actions_;  // owned by the window
    CommandTarget* applicationTarget_;
    QPointer<CMDIChildWnd> activeChild_;
    bool syncQueued_ = false;
    QString baseTitle_;
};

}  // namespace korvel::framework
