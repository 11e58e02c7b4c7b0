#include "browser/CFolderTree.h"

#include "browser/CThumbnailList.h"
#include "framework/MessageBox.h"

#include <QApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QStandardItemModel>

#include <algorithm>

namespace korvel::browser {

using namespace framework;

namespace {

constexpr QDir::Filters kFolderFilter = QDir::Dirs | QDir::NoDotAndDotDot;

bool hasSubFolders(const QString& path) {
    QDirIterator it(path, kFolderFilter);
    return it.hasNext();
}

QString childPath(const QString& parent, const QString& name) {
    return parent.endsWith(QLatin1Char('/')) ? parent + name : parent + QLatin1Char('/') + name;
}

}  // namespace

CFolderTree::CFolderTree(QWidget* parent)
    : QTreeView(parent), model_(new QStandardItemModel(this)), volumes_(&mountedVolumes) {
    setModel(model_);
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { fill(model_->itemFromIndex(index)); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onCurrentChanged(current); });
}

CFolderTree::~CFolderTree() = default;

int CFolderTree::ask(const QString& text, const QString& caption, unsigned flags) {
    return messageBox_ ? messageBox_(text, caption, flags)
                       : showMessageBox(this, text, caption, flags);
}

void CFolderTree::setAssociatedList(CThumbnailList* list) {
    list_ = list;
    if (list_ && started_) {
        list_->onFolderSelected(2);
    }
}

CThumbnailList* CFolderTree::associatedList() const {
    return list_;
}

void CFolderTree::showEvent(QShowEvent* event) {
    QTreeView::showEvent(event);
    if (started_) {
        return;
    }
    // The tree comes up with "Computer" selected; that first selection goes to the list,
    // which answers by sending the tree to its own folder.
    started_ = true;
    if (model_->rowCount() == 0) {
        populate(QString());
    }
    if (QStandardItem* top = model_->item(0)) {
        const QSignalBlocker block(selectionModel());
        setCurrentIndex(top->index());
    }
    if (list_) {
        list_->onFolderSelected(2);
    }
}

QStandardItem* CFolderTree::addFolder(QStandardItem* parent, const QString& name,
                                      const QString& path) {
    auto* item = new QStandardItem(QIcon::fromTheme(QStringLiteral("folder")), name);
    item->setData(path, kPathRole);
    item->setData(false, kFilledRole);
    if (hasSubFolders(path)) {
        item->appendRow(new QStandardItem());  // the has-children mark until filled
    }
    parent->appendRow(item);  // the parent owns it
    return item;
}

void CFolderTree::populate(const QString& rootPath) {
    setUpdatesEnabled(false);
    {
        const QSignalBlocker block(selectionModel());
        model_->clear();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStandardItem* top = nullptr;
    if (rootPath.isEmpty()) {
        top = new QStandardItem(QIcon::fromTheme(QStringLiteral("computer")),
                                QStringLiteral("Computer"));
        model_->appendRow(top);
        shownVolumes_ = volumes_ ? volumes_() : QList<Volume>();
        for (const Volume& volume : shownVolumes_) {
            QStandardItem* item = addFolder(top, volume.name, volume.rootPath);
            item->setIcon(QIcon::fromTheme(QStringLiteral("drive-harddisk")));
        }
        top->setData(true, kFilledRole);
    } else {
        top = new QStandardItem(QIcon::fromTheme(QStringLiteral("folder")),
                                QFileInfo(rootPath).fileName());
        top->setData(rootPath, kPathRole);
        top->setData(false, kFilledRole);
        model_->appendRow(top);
        shownVolumes_ = {{rootPath, rootPath}};
        fill(top);
    }
    QApplication::restoreOverrideCursor();
    expand(top->index());
    setUpdatesEnabled(true);
}

void CFolderTree::fill(QStandardItem* item) {
    if (!item || item->data(kFilledRole).toBool()) {
        return;
    }
    item->setData(true, kFilledRole);
    item->removeRows(0, item->rowCount());
    const QString path = item->data(kPathRole).toString();
    QDir folder(path);
    const QStringList names =
        folder.entryList(kFolderFilter, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString& name : names) {
        addFolder(item, name, childPath(path, name));
    }
}

QStandardItem* CFolderTree::childNamed(QStandardItem* parent, const QString& name) {
    for (int row = 0; row < parent->rowCount(); ++row) {
        QStandardItem* child = parent->child(row);
        if (child && child->text() == name) {
            return child;
        }
    }
    return nullptr;
}

void CFolderTree::select(QStandardItem* item) {
    setCurrentIndex(item->index());
}

void CFolderTree::expandItem(QStandardItem* item) {
    fill(item);
    expand(item->index());
}

QString CFolderTree::selectedFolderPath() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.data(kPathRole).toString() : QString();
}

void CFolderTree::navigate(const QString& requested) {
    QString path = requested;
    if (!QFileInfo::exists(path) && !isVolumeRoot(shownVolumes_, path)) {
        ask(path, QStringLiteral("Folder not found"), MB_OK | MB_ICONERROR);
        return;
    }
    if (selectedFolderPath() == path) {
        return;
    }
    tunnelling_ = true;
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    setUpdatesEnabled(false);
    for (int row = 0; row < model_->rowCount(); ++row) {
        QStandardItem* top = model_->item(row);
        if (!isExpanded(top->index())) {
            expandItem(top);
        }
        QList<Volume> volumes;
        for (int i = 0; i < top->rowCount(); ++i) {
            volumes.append({top->child(i)->text(), top->child(i)->data(kPathRole).toString()});
        }
        const int volume = volumeOfPath(volumes, path);
        if (volume < 0) {
            continue;
        }
        QStandardItem* current = top->child(volume);
        select(current);
        for (const QString& name : componentsBelow(volumes[volume].rootPath, path)) {
            expandItem(current);
            QStandardItem* next = childNamed(current, name);
            if (!next) {
                break;
            }
            current = next;
            select(current);
        }
        expandItem(current);
        scrollTo(current->index());
        break;
    }
    setUpdatesEnabled(true);
    tunnelling_ = false;
    selectionChanged(model_->itemFromIndex(currentIndex()), path);
}

void CFolderTree::onCurrentChanged(const QModelIndex& current) {
    QStandardItem* item = model_->itemFromIndex(current);
    const QString path = current.data(kPathRole).toString();
    if (path.isEmpty()) {
        return;  // "Computer" is no folder
    }
    selectionChanged(item, path);
}

void CFolderTree::selectionChanged(QStandardItem* item, const QString& path) {
    if (tunnelling_ || !item) {
        return;
    }
    selectedPath_ = path;
    if (list_) {
        list_->setWindowTitle(path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'));
        list_->onFolderSelected(2);
    }
}

void CFolderTree::onPopulateTree(int wParam) {
    Q_UNUSED(wParam);
    const QString text = windowTitle();
    if (!populated_) {
        populated_ = true;
        populate(QString());
    }
    navigate(text);
}

}  // namespace korvel::browser
