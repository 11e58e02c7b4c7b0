#pragma once

// The mounted volumes the folder tree shows under "Computer", and which of them holds a
// path. A volume stands where a drive letter stood.

#include <QList>
#include <QString>
#include <QStringList>

namespace korvel::browser {

struct Volume {
    QString name;      // what the tree shows
    QString rootPath;  // where it is mounted, without a final separator ("/" for the root)
};

// The volumes of real file systems (no kernel or pseudo file systems), each mount point
// once, sorted by name.
QList<Volume> mountedVolumes();

// The volume whose mount point is the longest leading part of `path`; -1 when none is.
int volumeOfPath(const QList<Volume>& volumes, const QString& path);

// The folder names of `path` below the mount point `rootPath`.
QStringList componentsBelow(const QString& rootPath, const QString& path);

// Whether `path` (with or without a final separator) is the mount point of a volume.
bool isVolumeRoot(const QList<Volume>& volumes, const QString& path);

}  // namespace korvel::browser
