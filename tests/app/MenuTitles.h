#pragma once

// The titles of a window's menu bar, without their mnemonic marks.

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QStringList>

namespace korvel::test {

inline QStringList menuTitles(const QMainWindow* frame) {
    QStringList titles;
    for (const QAction* action : frame->menuBar()->actions()) {
        titles << action->text().remove('&');
    }
    return titles;
}

}  // namespace korvel::test
