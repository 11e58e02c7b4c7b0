#pragma once

// The toolbar customisation sheet: an options page, and a commands page where the user
// adds commands to a toolbar and removes them. Changes apply at once; the main frame
// keeps them with its command-bar state.

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QListWidget;
class QToolBar;

namespace korvel::framework {
class CommandActions;
}

namespace korvel::app {

class CustomizeDialog : public QDialog {
    Q_OBJECT

public:
    CustomizeDialog(framework::CommandActions& actions, QList<QToolBar*> toolBars,
                    QWidget* parent = nullptr);

    // The categories of the commands page, in order: the menus of the image menu, then
    // all commands, the built-in menus and a new menu.
    QStringList categories() const;
    // Command ids of a category (empty for the menu categories at the end).
    QList<int> commandsOf(int category) const;

    // Adds `id` to the chosen toolbar after its selected button (at the end when none).
    void addCommand(int id);
    // Removes the toolbar's selected button.
    void removeSelected();
    void selectToolBar(int index);
    QListWidget* toolBarList() const { return toolBarButtons_; }

private:
    QWidget* makeOptionsPage();
    QWidget* makeCommandsPage();
    void showCategory(int category);
    void showToolBar();
    QToolBar* currentToolBar() const;

    framework::CommandActions& actions_;
    QList<QToolBar*> toolBars_;
    QStringList categories_;
    QList<QList<int>> categoryCommands_;
    QListWidget* categoryList_ = nullptr;  // widgets are owned by the dialog
    QListWidget* commandList_ = nullptr;
    QComboBox* toolBarChoice_ = nullptr;
    QListWidget* toolBarButtons_ = nullptr;
};

}  // namespace korvel::app
