#pragma once

// The recent-file list of the File menu: newest first, at most nine entries, kept in the
// settings store under "Recent File List" as File1 ... File9.

#include <QString>
#include <QStringList>

namespace korvel::platform {
class SettingsStore;
}

namespace korvel::framework {

class RecentFileList {
public:
    static constexpr int kMaxEntries = 9;

    void load(const platform::SettingsStore& store);
    void save(platform::SettingsStore& store) const;

    // Puts `path` first, dropping an older entry for the same file and the oldest when
    // the list is full.
    void add(const QString& path);
    void remove(const QString& path);

    const QStringList& entries() const { return entries_; }

    // The menu text of entry `index`: "&1 path".
    QString menuText(int index) const;

private:
    QStringList entries_;
};

}  // namespace korvel::framework
