#pragma once

// The folder tree of the Folder pane: "Computer" on top, the mounted volumes below it,
// deeper folders filled in when a folder is expanded. Selecting a folder tells the
// associated thumbnail list to show it; at start-up the tree follows the list instead
// (see CThumbnailList::onFolderSelected).

#include "browser/BrowserHooks.h"
#include "browser/FolderVolumes.h"

#include <QPointer>
#include <QTreeView>

#include <functional>

class QStandardItem;
class QStandardItemModel;

namespace korvel::browser {

class CThumbnailList;

class CFolderTree : public QTreeView {
    Q_OBJECT

public:
    static constexpr int kPathRole = Qt::UserRole + 1;
    static constexpr int kFilledRole = Qt::UserRole + 2;

    explicit CFolderTree(QWidget* parent = nullptr);
    ~CFolderTree() override;

    // The list that shows the selected folder. A selection made before the list was
    // associated is reported to it now.
    void setAssociatedList(CThumbnailList* list);
    CThumbnailList* associatedList() const;
    void setMessageBoxRunner(MessageBoxRunner runner) { messageBox_ = std::move(runner); }
    // The volumes under "Computer"; the default lists the mounted ones.
    void setVolumeProvider(std::function<QList<Volume>()> provider) {
        volumes_ = std::move(provider);
    }

    // Fills the tree: with an empty root "Computer" and the volumes, else that folder.
    void populate(const QString& rootPath);
    bool isPopulated() const { return populated_; }
    // Selects the folder `path`; "Folder not found" when it does not exist.
    void navigate(const QString& path);
    // The populate-tree message (1318): the window text holds the folder to go to.
    void onPopulateTree(int wParam);

    bool isTunnelling() const { return tunnelling_; }
    // The path of the selected folder; empty for "Computer" or no selection.
    QString selectedFolderPath() const;
    QStandardItemModel* folderModel() const { return model_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill(QStandardItem* item);
    QStandardItem* addFolder(QStandardItem* parent, const QString& name, const QString& path);
    QStandardItem* childNamed(QStandardItem* parent, const QString& name);
    void select(QStandardItem* item);
    void expandItem(QStandardItem* item);
    void selectionChanged(QStandardItem* item, const QString& path);
    void onCurrentChanged(const QModelIndex& current);
    int ask(const QString& text, const QString& caption, unsigned flags);

    QStandardItemModel* model_;  // owned by the tree
    QPointer<CThumbnailList> list_;
    MessageBoxRunner messageBox_;
    std::function<QList<Volume>()> volumes_;
    QList<Volume> shownVolumes_;
    bool populated_ = false;
    bool tunnelling_ = false;
    bool started_ = false;
    QString selectedPath_;
};

}  // namespace korvel::browser
