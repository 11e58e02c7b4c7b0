#include "app/HelpDocument.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace korvel::app {

QStringList helpDocumentFolders() {
    return {QCoreApplication::applicationDirPath(), QStringLiteral(KORVEL_DOCDIR)};
}

QString locateHelpDocument(const QString& name, const QStringList& folders) {
    for (const QString& folder : folders) {
        if (folder.isEmpty()) {
            continue;
        }
        const QFileInfo candidate(QDir(folder), name);
        if (candidate.isFile()) {
            return candidate.absoluteFilePath();
        }
    }
    return {};
}

void openHelpDocument(const QString& name) {
    const QString path = locateHelpDocument(name, helpDocumentFolders());
    if (!path.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

}  // namespace korvel::app
