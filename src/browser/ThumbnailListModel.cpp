#include "browser/ThumbnailListModel.h"

#include "browser/ThumbnailRenderer.h"
#include "document/ImageFormats.h"

#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace korvel::browser {

ThumbnailListModel::ThumbnailListModel() = default;

ThumbnailListModel::ThumbnailListModel(Hooks hooks) : hooks_(std::move(hooks)) {}

QString ThumbnailListModel::fileName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ThumbnailListModel::folderOf(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringList ThumbnailListModel::entries() const {
    QStringList list;
    for (const Entry& entry : entries_) {
        list << entry.text;
    }
    return list;
}

int ThumbnailListModel::shownCount() const {
    return std::min(entryCount(), kMaxShownItems);
}

QString ThumbnailListModel::label(int index) const {
    if (index < 0 || index >= entryCount()) {
        return {};
    }
    return index == 0 ? entries_[0].text : fileName(entries_[index].text);
}

void ThumbnailListModel::setUp(const QString& tileLabel, const QImage& tilePicture) {
    if (initialised_) {
        return;
    }
    initialised_ = true;
    entries_.assign(1, Entry{tileLabel, nextTicket_++});
    slots_[0] = tilePicture;
    loadFolder();
}

bool ThumbnailListModel::showFolder(const QString& folder) {
    if (samePath(folder, currentFolder_)) {
        return false;
    }
    currentFolder_ = folder;
    if (!initialised_) {
        return false;  // set-up loads it
    }
    entries_.resize(1);
    std::fill(slots_.begin() + 1, slots_.end(), QImage());
    if (hooks_.forgetPending) {
        hooks_.forgetPending();
    }
    loadFolder();
    return true;
}

// The folder is searched with the folder text followed by a pattern matching every name,
// so a folder written without its final separator searches its parent for names that
// begin with the folder's own name. Full paths are the folder text and the name; only
// those naming an existing file are taken, so that such a search finds nothing instead
// of paths that lead nowhere. Names come in the order the file system lists them; the
// file found last ends up first.
void ThumbnailListModel::loadFolder() {
    if (entries_.empty()) {
        return;
    }
    const QString& folder = currentFolder_;
    const qsizetype cut = folder.lastIndexOf(QLatin1Char('/'));
    if (cut < 0) {
        return;  // not a path at all
    }
    const QString directory = folder.left(cut + 1);
    const QString prefix = folder.mid(cut + 1);
    QDirIterator it(directory,
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entryCount() < kMaxEntries && it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = info.fileName();
        if (info.isDir() || !name.startsWith(prefix)) {
            continue;
        }
        const QString path = folder + name;
        if (document::fileTypeFromName(path) == 0) {
            continue;
        }
        if (!prefix.isEmpty() && !QFileInfo(path).isFile()) {
            continue;
        }
        insert(1, path);
    }
}

void ThumbnailListModel::insert(int position, const QString& path) {
    if (position <= 0 || entries_.empty()) {
        return;
    }
    if (entryCount() >= kMaxEntries) {
        remove(entryCount() - 1, false);
    }
    position = std::min(position, entryCount());
    for (int i = kMaxEntries - 1; i > position; --i) {
        slots_[i] = slots_[i - 1];
    }
    entries_.insert(entries_.begin() + position, Entry{path, nextTicket_++});
    draw(position);
}

void ThumbnailListModel::remove(int position, bool deleteFile) {
    if (position <= 0 || position >= entryCount()) {
        return;
    }
    // A file that could not be moved to the trash is still there, so its tile stays.
    if (deleteFile && hooks_.deleteFile && !hooks_.deleteFile(entries_[position].text)) {
        return;
    }
    for (int i = position; i < kMaxEntries - 1; ++i) {
        slots_[i] = slots_[i + 1];
    }
    slots_[kMaxEntries - 1] = QImage();
    entries_.erase(entries_.begin() + position);
}

void ThumbnailListModel::setEntry(int index, const QString& path, bool redraw) {
    if (index < 0 || index >= entryCount()) {
        return;
    }
    entries_[index].text = path;
    if (redraw) {
        // A drawing still under way for the old text must not land here.
        entries_[index].ticket = nextTicket_++;
        draw(index);
    }
}

ThumbnailListModel::SaveResult ThumbnailListModel::addOrRefreshFile(const QString& path,
                                                                    int shownItems) {
    if (path.isEmpty() || entries_.empty()) {
        return SaveResult::Ignored;
    }
    const QString folder = folderOf(path);
    if (!samePath(folder, currentFolder_)) {
        showFolder(folder);
        return SaveResult::FolderShown;
    }
    const QString name = fileName(path);
    const int items = std::min(shownItems, entryCount());
    for (int i = 1; i < items; ++i) {
        if (samePath(label(i), name)) {
            setEntry(i, path, true);
            return SaveResult::Refreshed;
        }
    }
    insert(1, path);
    return SaveResult::Inserted;
}

void ThumbnailListModel::deliverTile(Ticket ticket, const QImage& tile) {
    for (int i = 0; i < entryCount(); ++i) {
        if (entries_[i].ticket == ticket) {
            slots_[i] = tile;
            notifySlot(i);
            return;
        }
    }
}

// A file whose name has no known format keeps the picture shifted into its slot.
void ThumbnailListModel::draw(int slot) {
    const Entry& entry = entries_[slot];
    const int formatId = document::fileTypeFromName(entry.text);
    if (formatId == 0 || !hooks_.drawTile) {
        return;
    }
    // Until the drawer answers, the slot shows an empty tile rather than its neighbour.
    static const QImage pending = ThumbnailRenderer::composeTile(nullptr, 0, 0, false);
    slots_[slot] = pending;
    hooks_.drawTile(entry.ticket, entry.text, formatId);
}

void ThumbnailListModel::notifySlot(int slot) {
    if (hooks_.slotChanged) {
        hooks_.slotChanged(slot);
    }
}

}  // namespace korvel::browser
