#pragma once

// The thumbnail list of the Start Page: the camera tile and the image files of the
// current folder as 200 x 180 tiles. The rules live in ThumbnailListModel; this widget
// shows its items, draws tiles through a ThumbnailLoader, and turns double-clicks, the
// context menu and the Delete key into the model's operations. One per process; its
// current folder is the default save folder.

#include "browser/BrowserHooks.h"
#include "browser/CFolderTree.h"
#include "browser/ThumbnailListModel.h"
#include "browser/ThumbnailLoader.h"
#include "browser/ThumbnailRenderer.h"

#include <QListWidget>
#include <QPointer>

#include <functional>
#include <memory>

class QMenu;

namespace korvel::browser {

class CThumbnailList : public QListWidget {
    Q_OBJECT

public:
    static constexpr int kControlId = 103;

    explicit CThumbnailList(QWidget* parent = nullptr);
    ~CThumbnailList() override;

    // What the list asks of the application.
    // The camera tile was double-clicked: send the open-camera message (1313).
    void setOpenCamera(std::function<void()> openCamera) { openCamera_ = std::move(openCamera); }
    // Open a file as an image document, made visible.
    void setOpenDocument(std::function<void(const QString& path)> open) {
        openDocument_ = std::move(open);
    }
    void setMessageBoxRunner(MessageBoxRunner runner) { messageBox_ = std::move(runner); }
    // Reads the frame of a video's tile; set before set-up.
    void setVideoFrameReader(ThumbnailRenderer::VideoFrameReader reader);
    // Moves a file to the trash; the default is moveFileToTrash.
    void setFileDeleter(std::function<bool(const QString& path)> deleter);

    void setAssociatedTree(CFolderTree* tree) { tree_ = tree; }
    CFolderTree* associatedTree() const { return tree_; }

    ThumbnailListModel& thumbnails() { return model_; }
    const ThumbnailListModel& thumbnails() const { return model_; }
    ThumbnailLoader& loader() { return *loader_; }

    // The stored folder (FileSave/sPath) before set-up; the folder shown afterwards.
    QString currentFolder() const { return model_.currentFolder(); }
    void setCurrentFolder(const QString& folder) { model_.setCurrentFolder(folder); }

    // The operations of the list (see ThumbnailListModel); each redraws what it changes.
    void setUp();
    void showFolder(const QString& folder);
    void rebuild();
    void insert(int position, const QString& path);
    void remove(int position, bool deleteFile);
    void setEntry(int index, const QString& path, bool redraw);
    // A file was written (message 1304).
    void addOrRefreshFile(const QString& path);

    // Double-click on item `index`.
    void openItem(int index);
    // Command 32987 and the Delete key: one question, then every selected file to the trash.
    void deleteSelected();
    // The menu the right button shows on item `index`; null for the camera tile and
    // empty space.
    std::unique_ptr<QMenu> contextMenuFor(int index);
    int rightClickedItem() const { return rightClicked_; }
    // The browser's commands (32987); false for any other.
    bool onCommand(int id);

    // The folder tree's folder-selected message (3543): the window text holds the folder.
    void onFolderSelected(int wParam);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateSlot(int slot);
    int ask(const QString& text, const QString& caption, unsigned flags);

    ThumbnailListModel model_;
    std::unique_ptr<ThumbnailLoader> loader_;
    ThumbnailRenderer::VideoFrameReader readVideoFrame_;
    std::function<bool(const QString&)> deleteFile_;
    std::function<void()> openCamera_;
    std::function<void(const QString&)> openDocument_;
    MessageBoxRunner messageBox_;
    QPointer<CFolderTree> tree_;
    bool firstSelection_ = true;
    int rightClicked_ = -1;
};

}  // namespace korvel::browser
