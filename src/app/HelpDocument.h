#pragma once

// Finding the help document: the desktop only opens absolute paths, so the document is
// looked for next to the program first, then in the installed documentation folder.

#include <QString>
#include <QStringList>

namespace korvel::app {

// The folders searched, in order: the program's own folder, then the documentation
// folder the program was installed with.
QStringList helpDocumentFolders();

// The absolute path of the file `name` in the first of `folders` that holds it, or an
// empty string when none does.
QString locateHelpDocument(const QString& name, const QStringList& folders);

// Hands the document, when found, to the desktop to open; the outcome is not reported.
void openHelpDocument(const QString& name);

}  // namespace korvel::app
