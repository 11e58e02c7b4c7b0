#include "browser/CThumbnailList.h"

#include "browser/CFolderTree.h"
#include "document/ImageFormats.h"
#include "framework/MessageBox.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>

namespace korvel::browser {

using namespace res;

using namespace framework;

namespace {

// Shows the wait cursor for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool isVideoEntry(const QString& path) {
    return path.contains(QLatin1String(".avi")) ||
           document::fileTypeFromName(path) == document::kFileTypeAvi;
}

}  // namespace

CThumbnailList::CThumbnailList(QWidget* parent)
    : QListWidget(parent), loader_(std::make_unique<ThumbnailLoader>()) {
    setObjectName(QString::number(kControlId));
    setViewMode(QListView::IconMode);
    setResizeMode(QListView::Adjust);  // automatic arrangement
    setMovement(QListView::Static);
    setIconSize(QSize(kTileWidth, kTileHeight));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setWordWrap(true);

    deleteFile_ = &moveFileToTrash;
    ThumbnailListModel::Hooks hooks;
    hooks.drawTile = [this](ThumbnailListModel::Ticket ticket, const QString& path, int formatId) {
        loader_->request(ticket, path, formatId);
    };
    hooks.slotChanged = [this](int slot) { updateSlot(slot); };
    hooks.deleteFile = [this](const QString& path) { return deleteFile_ && deleteFile_(path); };
    hooks.forgetPending = [this] { loader_->cancelPending(); };
    model_.setHooks(std::move(hooks));
    connect(loader_.get(), &ThumbnailLoader::tileReady, this,
            [this](quint64 ticket, const QImage& tile) { model_.deliverTile(ticket, tile); });
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openItem(row(item)); });
}

CThumbnailList::~CThumbnailList() = default;

void CThumbnailList::setVideoFrameReader(ThumbnailRenderer::VideoFrameReader reader) {
    readVideoFrame_ = reader;
    loader_->setRenderer(ThumbnailRenderer(std::move(reader)));
}

void CThumbnailList::setFileDeleter(std::function<bool(const QString&)> deleter) {
    deleteFile_ = std::move(deleter);
}

int CThumbnailList::ask(const QString& text, const QString& caption, unsigned flags) {
    return messageBox_ ? messageBox_(text, caption, flags)
                       : showMessageBox(this, text, caption, flags);
}

void CThumbnailList::setUp() {
    model_.setUp(res::loadString(IDS_CAMERA_TILE_VIDEO), ThumbnailRenderer::cameraTile());
}

void CThumbnailList::showFolder(const QString& folder) {
    if (model_.showFolder(folder)) {
        rebuild();
    }
}

void CThumbnailList::rebuild() {
    setUpdatesEnabled(false);
    clear();
    const int shown = model_.shownCount();
    for (int i = 0; i < shown; ++i) {
        auto* item = new QListWidgetItem(model_.label(i), this);  // owned by the list
        item->setSizeHint(QSize(kTileWidth + 16, kTileHeight + 2 * fontMetrics().height() + 8));
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        const QImage& tile = model_.slot(i);
        if (!tile.isNull()) {
            item->setIcon(QIcon(QPixmap::fromImage(tile)));
        }
    }
    setUpdatesEnabled(true);
    viewport()->update();
}

void CThumbnailList::updateSlot(int slot) {
    if (QListWidgetItem* shown = item(slot)) {
        shown->setIcon(QIcon(QPixmap::fromImage(model_.slot(slot))));
    }
}

void CThumbnailList::insert(int position, const QString& path) {
    model_.insert(position, path);
}

void CThumbnailList::remove(int position, bool deleteFile) {
    model_.remove(position, deleteFile);
}

void CThumbnailList::setEntry(int index, const QString& path, bool redraw) {
    model_.setEntry(index, path, redraw);
}

void CThumbnailList::addOrRefreshFile(const QString& path) {
    switch (model_.addOrRefreshFile(path, count())) {
        case ThumbnailListModel::SaveResult::FolderShown:
        case ThumbnailListModel::SaveResult::Inserted:
            rebuild();
            break;
        case ThumbnailListModel::SaveResult::Ignored:
        case ThumbnailListModel::SaveResult::Refreshed:
            break;
    }
}

void CThumbnailList::openItem(int index) {
    if (index < 0 || index >= model_.entryCount()) {
        return;
    }
    WaitCursor wait;
    if (index == 0) {
        if (openCamera_) {
            openCamera_();
        }
        return;
    }
    const QString path = model_.entry(index);
    if (isVideoEntry(path)) {
        return;
    }
    if (!QFileInfo::exists(path)) {
        ask(res::loadString(IDS_FILE_NOT_EXISTS), QString(), MB_OK | MB_ICONWARNING);
        model_.remove(index, false);
        rebuild();
        return;
    }
    if (openDocument_) {
        openDocument_(path);
    }
}

void CThumbnailList::deleteSelected() {
    const int answer = ask(res::loadString(IDS_DELETE_QUESTION),
                           res::loadString(IDS_DELETE_CAPTION), MB_YESNO | MB_ICONQUESTION);
    if (answer == IDNO) {
        return;
    }
    // From the end, so the indices still to look at stay where they were.
    for (int n = model_.entryCount() - 1; n >= 1; --n) {
        const QListWidgetItem* shown = item(n);
        if (shown && shown->isSelected()) {
            model_.remove(n, true);
        }
    }
    rebuild();
}

std::unique_ptr<QMenu> CThumbnailList::contextMenuFor(int index) {
    if (index <= 0 || index >= count()) {
        return nullptr;
    }
    rightClicked_ = index;
    auto menu = std::make_unique<QMenu>(this);
    for (const res::MenuEntry& entry : res::menuResource(IDR_BROWSER_CONTEXT_MENU)) {
        if (entry.kind == res::MenuEntryKind::Item) {
            QAction* action = menu->addAction(QString::fromUtf8(entry.text));
            const int id = entry.id;
            connect(action, &QAction::triggered, this, [this, id] { onCommand(id); });
        } else if (entry.kind == res::MenuEntryKind::Separator) {
            menu->addSeparator();
        }
    }
    return menu;
}

bool CThumbnailList::onCommand(int id) {
    if (id != ID_BROWSER_DELETE) {
        return false;
    }
    deleteSelected();
    return true;
}

void CThumbnailList::contextMenuEvent(QContextMenuEvent* event) {
    QListWidgetItem* clicked = itemAt(event->pos());
    if (auto menu = contextMenuFor(clicked ? row(clicked) : -1)) {
        menu->exec(event->globalPos());
    }
}

void CThumbnailList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        deleteSelected();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void CThumbnailList::onFolderSelected(int wParam) {
    if (wParam != 2) {
        return;
    }
    if (firstSelection_) {
        // The first selection makes the tree follow the list: the list was loaded from
        // the stored folder at set-up.
        firstSelection_ = false;
        if (tree_) {
            tree_->setWindowTitle(model_.currentFolder());
            QMetaObject::invokeMethod(
                tree_, [tree = tree_] { tree->onPopulateTree(2); }, Qt::QueuedConnection);
        }
        return;
    }
    showFolder(windowTitle());
}

}  // namespace korvel::browser
