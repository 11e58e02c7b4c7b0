#pragma once

// One QAction per command id for one window, built from the resource tables and wired to
// the window's command router. Menus and toolbars made here share those actions. State is
// refreshed when a menu is about to show and on a 100 ms idle timer for everything else.

#include "framework/CommandTarget.h"
#include "res/Resources.h"

#include <QObject>
#include <QTimer>

#include <map>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace korvel::framework {

class CommandActions : public QObject {
    Q_OBJECT

public:
    // `window` receives the actions (so their shortcuts work in it) and parents them.
    // The scope picks the texts and icons of ids that mean other commands elsewhere.
    CommandActions(QWidget* window, const CommandRouter* router,
                   res::CommandScope scope = res::CommandScope::Workspace);
    ~CommandActions() override;

    // The action of `id`, created on first use with the resource texts and icon.
    QAction* action(int id);
    QAction* findAction(int id) const;

    // Fills a menu bar, or a context menu, from menu resource `menuId`.
    void fillMenuBar(QMenuBar* bar, int menuId);
    void fillMenu(QMenu* menu, int menuId);
    // Special toolbar controls: the factory answers an id with an action that shows a
    // widget (a QWidgetAction it keeps), or null for an ordinary button.
    using ControlFactory = std::function<QAction*(int id)>;
    void setControlFactory(ControlFactory factory) { controlFactory_ = std::move(factory); }

    // A split button for a toolbar: the command's button with icon and caption, and a
    // drop-down with menu resource `menuId`. The returned action belongs to the window.
    QAction* makeSplitButton(int id, int menuId);

    // Fills a toolbar from toolbar resource `toolbarId`; false when there is no such toolbar.
    bool fillToolBar(QToolBar* bar, int toolbarId);
    // Replaces a toolbar's buttons by `ids` in order (0 = separator).
    void setToolBarCommands(QToolBar* bar, const QList<int>& ids);
    // The command ids of a toolbar's buttons in order (0 = separator).
    static QList<int> toolBarCommands(const QToolBar* bar);

    // Gives the actions the key sequences of accelerator table `tableId`.
    void applyAccelerators(int tableId);

    // Sets enabled, checked and text of every action from the router now.
    void refreshAll();
    void refresh(QAction* action);

private:
    void refreshMenu(QMenu* menu);
    void trigger(int id);

    QWidget* window_;
    const CommandRouter* router_;
    res::CommandScope scope_;
    std::map<int, QAction*> actions_;  // parented to window_
    std::map<int, QString> resourceTexts_;
    ControlFactory controlFactory_;
    QTimer idleTimer_;
};

// The menu text without its shortcut part: "&Open...\tCtrl+O" -> "&Open...".
QString menuTextWithoutShortcut(const QString& text);

}  // namespace korvel::framework
