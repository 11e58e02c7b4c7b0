#include "framework/CommandActions.h"

#include "res/Resources.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>
#include <QWidgetAction>

#include <vector>

namespace korvel::framework {

QString menuTextWithoutShortcut(const QString& text) {
    const qsizetype tab = text.indexOf('\t');
    return tab < 0 ? text : text.left(tab);
}

CommandActions::CommandActions(QWidget* window, const CommandRouter* router,
                               res::CommandScope scope)
    : QObject(window), window_(window), router_(router), scope_(scope) {
    idleTimer_.setInterval(100);
    connect(&idleTimer_, &QTimer::timeout, this, &CommandActions::refreshAll);
    idleTimer_.start();
}

CommandActions::~CommandActions() = default;

QAction* CommandActions::findAction(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* CommandActions::action(int id) {
    if (QAction* existing = findAction(id)) {
        return existing;
    }
    auto* action = new QAction(window_);  // owned by the window
    action->setData(id);
    // The string of the same id holds "status prompt\ntooltip".
    const QString prompt = res::loadString(id, scope_);
    const qsizetype newline = prompt.indexOf('\n');
    if (newline >= 0) {
        action->setStatusTip(prompt.left(newline));
        action->setToolTip(prompt.mid(newline + 1).trimmed());
    } else if (!prompt.isEmpty()) {
        action->setStatusTip(prompt);
    }
    action->setIcon(res::commandIcon(id, scope_));
    action->setIconVisibleInMenu(false);
    connect(action, &QAction::triggered, this, [this, id] { trigger(id); });
    window_->addAction(action);
    actions_.emplace(id, action);
    return action;
}

void CommandActions::trigger(int id) {
    router_->dispatch(id);
    refreshAll();
}

void CommandActions::fillMenuBar(QMenuBar* bar, int menuId) {
    // Top-level popups become the bar's menus; top-level items become bar actions.
    std::vector<QMenu*> open;
    for (const res::MenuEntry& entry : res::menuResource(menuId)) {
        QMenu* current = open.empty() ? nullptr : open.back();
        switch (entry.kind) {
            case res::MenuEntryKind::Popup: {
                const QString title = QString::fromUtf8(entry.text);
                QMenu* menu = current ? current->addMenu(title) : bar->addMenu(title);
                connect(menu, &QMenu::aboutToShow, this, [this, menu] { refreshMenu(menu); });
                open.push_back(menu);
                break;
            }
            case res::MenuEntryKind::End:
                if (!open.empty()) {
                    open.pop_back();
                }
                break;
            case res::MenuEntryKind::Separator:
                if (current) {
                    current->addSeparator();
                }
                break;
            case res::MenuEntryKind::Item: {
                QAction* a = action(entry.id);
                const QString text = QString::fromUtf8(entry.text);
                resourceTexts_[entry.id] = menuTextWithoutShortcut(text);
                a->setText(resourceTexts_[entry.id]);
                if (current) {
                    current->addAction(a);
                } else {
                    bar->addAction(a);
                }
                break;
            }
        }
    }
}

void CommandActions::fillMenu(QMenu* menu, int menuId) {
    // A context menu resource has one top popup whose items form the menu itself.
    std::vector<QMenu*> open;
    int depth = 0;
    for (const res::MenuEntry& entry : res::menuResource(menuId)) {
        QMenu* current = open.empty() ? menu : open.back();
        switch (entry.kind) {
            case res::MenuEntryKind::Popup:
                if (depth++ > 0) {
                    QMenu* sub = current->addMenu(QString::fromUtf8(entry.text));
                    connect(sub, &QMenu::aboutToShow, this, [this, sub] { refreshMenu(sub); });
                    open.push_back(sub);
                }
                break;
            case res::MenuEntryKind::End:
                if (--depth > 0 && !open.empty()) {
                    open.pop_back();
                }
                break;
            case res::MenuEntryKind::Separator:
                current->addSeparator();
                break;
            case res::MenuEntryKind::Item: {
                QAction* a = action(entry.id);
                resourceTexts_[entry.id] = menuTextWithoutShortcut(QString::fromUtf8(entry.text));
                a->setText(resourceTexts_[entry.id]);
                current->addAction(a);
                break;
            }
        }
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { refreshMenu(menu); });
}

QAction* CommandActions::makeSplitButton(int id, int menuId) {
    auto* button = new QToolButton;  // owned by its widget action
    button->setDefaultAction(action(id));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(button);  // owned by the button
    fillMenu(menu, menuId);
    button->setMenu(menu);
    auto* control = new QWidgetAction(window_);  // owned by the window
    control->setDefaultWidget(button);
    control->setData(id);
    control->setText(action(id)->toolTip());
    return control;
}

bool CommandActions::fillToolBar(QToolBar* bar, int toolbarId) {
    const std::span<const int> buttons = res::toolbarResource(toolbarId);
    if (buttons.empty()) {
        return false;
    }
    setToolBarCommands(bar, QList<int>(buttons.begin(), buttons.end()));
    return true;
}

void CommandActions::setToolBarCommands(QToolBar* bar, const QList<int>& ids) {
    // Our actions belong to the window; clearing the bar only takes them off it.
    bar->clear();
    for (const int id : ids) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* control = controlFactory_ ? controlFactory_(id) : nullptr;
        if (!control) {
            control = action(id);
            if (control->text().isEmpty()) {
                control->setText(control->toolTip().isEmpty() ? control->statusTip()
                                                              : control->toolTip());
            }
        }
        control->setData(id);
        bar->addAction(control);
    }
}

QList<int> CommandActions::toolBarCommands(const QToolBar* bar) {
    QList<int> ids;
    for (const QAction* a : bar->actions()) {
        ids << (a->isSeparator() ? 0 : a->data().toInt());
    }
    return ids;
}

void CommandActions::applyAccelerators(int tableId) {
    std::map<int, QList<QKeySequence>> keys;
    for (const res::AcceleratorEntry& entry : res::acceleratorTable(tableId)) {
        keys[entry.command].append(QKeySequence(entry.keys));
    }
    for (const auto& [id, sequences] : keys) {
        QAction* a = action(id);
        a->setShortcuts(sequences);
        a->setShortcutContext(Qt::WindowShortcut);
    }
}

void CommandActions::refresh(QAction* a) {
    const int id = a->data().toInt();
    const CommandState state = router_->query(id);
    a->setEnabled(state.enabled);
    a->setCheckable(state.checked.has_value());
    if (state.checked) {
        a->setChecked(*state.checked);
    }
    if (state.text) {
        a->setText(menuTextWithoutShortcut(*state.text));
    } else if (const auto it = resourceTexts_.find(id); it != resourceTexts_.end()) {
        a->setText(it->second);
    }
}

void CommandActions::refreshAll() {
    for (const auto& [id, a] : actions_) {
        refresh(a);
    }
}

void CommandActions::refreshMenu(QMenu* menu) {
    for (QAction* a : menu->actions()) {
        if (findAction(a->data().toInt()) == a) {
            refresh(a);
        }
    }
}

}  // namespace korvel::framework
