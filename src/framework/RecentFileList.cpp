#include "framework/RecentFileList.h"

#include "platform/SettingsStore.h"

#include <QFileInfo>

namespace korvel::framework {

namespace {
const QString kSection = QStringLiteral("Recent File List");

QString keyOf(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

bool sameFile(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}
}  // namespace

void RecentFileList::load(const platform::SettingsStore& store) {
    entries_.clear();
    for (int i = 0; i < kMaxEntries; ++i) {
        const QString path = store.getProfileString(kSection, keyOf(i));
        if (!path.isEmpty()) {
            entries_ << path;
        }
    }
}

void RecentFileList::save(platform::SettingsStore& store) const {
    for (int i = 0; i < kMaxEntries; ++i) {
        store.writeProfileString(kSection, keyOf(i), entries_.value(i));
    }
}

void RecentFileList::add(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    remove(path);
    entries_.prepend(QFileInfo(path).absoluteFilePath());
    while (entries_.size() > kMaxEntries) {
        entries_.removeLast();
    }
}

void RecentFileList::remove(const QString& path) {
    entries_.removeIf([&](const QString& entry) { return sameFile(entry, path); });
}

QString RecentFileList::menuText(int index) const {
    return QStringLiteral("&%1 %2").arg(index + 1).arg(entries_.value(index));
}

}  // namespace korvel::framework
