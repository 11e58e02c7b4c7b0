#include "browser/FolderVolumes.h"

#include <QStorageInfo>

#include <algorithm>
#include <set>

namespace korvel::browser {

namespace {

QString withoutSeparator(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    return path;
}

bool isPseudoFileSystem(const QByteArray& type) {
    static const std::set<QByteArray> pseudo = {
        "autofs", "binfmt_misc", "bpf",        "cgroup",  "cgroup2",   "configfs",   "debugfs",
        "devpts", "devtmpfs",    "efivarfs",   "fusectl", "hugetlbfs", "mqueue",     "nsfs",
        "proc",   "pstore",      "securityfs", "sysfs",   "tracefs",   "rpc_pipefs", "squashfs"};
    return pseudo.count(type) != 0;
}

}  // namespace

QList<Volume> mountedVolumes() {
    QList<Volume> volumes;
    std::set<QString> seen;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid() || !storage.isReady() ||
            isPseudoFileSystem(storage.fileSystemType())) {
            continue;
        }
        const QString root = withoutSeparator(storage.rootPath());
        if (!seen.insert(root).second) {
            continue;
        }
        const QString label = storage.displayName();
        volumes.append({label == storage.rootPath() || label.isEmpty()
                            ? root
                            : QStringLiteral("%1 (%2)").arg(label, root),
                        root});
    }
    std::sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return volumes;
}

int volumeOfPath(const QList<Volume>& volumes, const QString& path) {
    int best = -1;
    qsizetype bestLength = -1;
    const QString target = withoutSeparator(path);
    for (int i = 0; i < volumes.size(); ++i) {
        const QString root = withoutSeparator(volumes[i].rootPath);
        const bool holds = root == QLatin1String("/")
                               ? target.startsWith(QLatin1Char('/'))
                               : target == root || target.startsWith(root + QLatin1Char('/'));
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

QStringList componentsBelow(const QString& rootPath, const QString& path) {
    const QString root = withoutSeparator(rootPath);
    QString rest = withoutSeparator(path).mid(root.size());
    return rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

bool isVolumeRoot(const QList<Volume>& volumes, const QString& path) {
    const QString target = withoutSeparator(path);
    return std::any_of(volumes.begin(), volumes.end(), [&](const Volume& volume) {
        return withoutSeparator(volume.rootPath) == target;
    });
}

}  // namespace korvel::browser
