#pragma once

// The thumbnail list without its window: the entries (the camera tile's label, then up
// to 20 file paths), one tile picture per entry slot, and the current folder, which is
// also the folder snapshots are saved into. Drawing a tile is asked of a drawer that may
// answer at once or later from another thread; every answer carries the ticket of its
// entry, so a tile lands in the slot its entry occupies when the answer comes, however
// the entries moved meanwhile.

#include "browser/ThumbnailGeometry.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvel::browser {

class ThumbnailListModel {
public:
    using Ticket = std::uint64_t;

    struct Hooks {
        // Draw the tile of `path` (format id != 0) and hand it to deliverTile(ticket, ...).
        std::function<void(Ticket ticket, const QString& path, int formatId)> drawTile;
        // The tile of slot `slot` changed (its item, if shown, takes the new picture).
        std::function<void(int slot)> slotChanged;
        // Move a file to the trash; false when it could not be moved.
        std::function<bool(const QString& path)> deleteFile;
        // Nothing more should be drawn for the files that were shown so far.
        std::function<void()> forgetPending;
    };

    ThumbnailListModel();
    explicit ThumbnailListModel(Hooks hooks);

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // Once: the camera tile (label and picture) and the files of the current folder.
    // Further calls do nothing.
    void setUp(const QString& tileLabel, const QImage& tilePicture);
    bool isSetUp() const { return initialised_; }

    // Makes `folder` current and loads it; true when it differed and the list must be
    // rebuilt. An equal folder does nothing.
    bool showFolder(const QString& folder);
    // Adds the image files of the current folder (see loadFolder in the .cpp).
    void loadFolder();

    // Inserts `path` at `position` (>= 1), dropping the last entry when 21 are held.
    void insert(int position, const QString& path);
    // Removes entry `position` (>= 1), moving its file to the trash when asked.
    void remove(int position, bool deleteFile);
    // Replaces the text of entry `index`, drawing its tile when asked.
    void setEntry(int index, const QString& path, bool redraw);

    enum class SaveResult { Ignored, FolderShown, Refreshed, Inserted };
    // A file was written: switch to its folder, or refresh the shown tile of the same
    // name, or insert it as the first file. `shownItems` is the number of items the list
    // shows. The list is rebuilt after every result but Ignored and Refreshed.
    SaveResult addOrRefreshFile(const QString& path, int shownItems);

    // A drawer's answer: the tile goes to the slot of the entry holding `ticket`, if any.
    void deliverTile(Ticket ticket, const QImage& tile);

    const QString& currentFolder() const { return currentFolder_; }
    // The stored folder, before set-up loads it.
    void setCurrentFolder(const QString& folder) { currentFolder_ = folder; }

    int entryCount() const { return static_cast<int>(entries_.size()); }
    const QString& entry(int index) const { return entries_.at(index).text; }
    QStringList entries() const;
    const QImage& slot(int index) const { return slots_.at(index); }

    // How many items the list shows for the entries held: the tile and at most 19 files.
    int shownCount() const;
    // The label of item `index`: the tile's text, or the file name of a path.
    QString label(int index) const;

    // Whether two folder or file paths name the same thing. Linux file systems tell case
    // apart, so this is an exact comparison.
    static bool samePath(const QString& a, const QString& b) { return a == b; }
    // The file name of a path: the text after its last separator.
    static QString fileName(const QString& path);
    // The folder of a path: everything up to and including its last separator.
    static QString folderOf(const QString& path);

private:
    struct Entry {
        QString text;
        Ticket ticket = 0;
    };

    void draw(int slot);
    void notifySlot(int slot);

    Hooks hooks_;
    std::vector<Entry> entries_;
    std::array<QImage, kMaxEntries> slots_;
    QString currentFolder_;
    bool initialised_ = false;
    Ticket nextTicket_ = 1;
};

}  // namespace korvel::browser
