#pragma once

// What the browser asks of the rest of the program: message boxes with a caption (a test
// answers instead of a person).

#include <QString>

#include <functional>

class QWidget;

namespace korvel::browser {

// Shows `text` under `caption` with the buttons and icon of the framework's message box
// flags and returns the framework's answer (IDOK, IDYES, IDNO, ...). An empty caption
// means the program's own name.
using MessageBoxRunner =
    std::function<int(const QString& text, const QString& caption, unsigned flags)>;

// Moves a file to the user's trash; false when it could not be moved.
bool moveFileToTrash(const QString& path);

// The runner used when none is set: a modal message box over `parent`.
int showMessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags);

}  // namespace korvel::browser
