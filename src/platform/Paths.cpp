#include "platform/Paths.h"

#include <QDir>
#include <QStandardPaths>

namespace korvel::platform {

QString withTrailingSlash(const QString& folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}

QString defaultSaveFolder() {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    // A new account may not have its Pictures folder yet: it is made, as the desktop's
    // own folder set-up would, so the first start does not greet the user with "Folder
    // not found". Where it cannot be made, the home folder serves.
    if (pictures.isEmpty() || !QDir().mkpath(pictures)) {
        pictures = QDir::homePath();
    }
    return withTrailingSlash(pictures);
}

QString brenicConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Brenic");
}

QString brenicIniPath() {
    return brenicConfigFolder() + QStringLiteral("/BRENIC.ini");
}

QString folderPart(const QString& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString filePart(const QString& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

}  // namespace korvel::platform
