#include "app/CustomizeDialog.h"

#include "framework/CommandActions.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <set>

namespace korvel::app {

using namespace korvel::res;

namespace {
constexpr int kAllCommandsString = 9337;
constexpr int kBuiltInMenusString = 9350;
constexpr int kNewMenuString = 9314;

QString withoutMnemonic(QString text) {
    return framework::menuTextWithoutShortcut(text.remove('&'));
}
}  // namespace

CustomizeDialog::CustomizeDialog(framework::CommandActions& actions, QList<QToolBar*> toolBars,
                                 QWidget* parent)
    : QDialog(parent), actions_(actions), toolBars_(std::move(toolBars)) {
    setWindowTitle(tr("Customize"));
    // Categories: the top menus of the image menu with the commands inside them.
    QList<int> all;
    std::set<int> seen;
    int depth = 0;
    for (const MenuEntry& entry : menuResource(IDR_IMAGE_MENU)) {
        if (entry.kind == MenuEntryKind::Popup) {
            if (depth++ == 0) {
                categories_ << withoutMnemonic(QString::fromUtf8(entry.text));
                categoryCommands_.append(QList<int>{});
            }
        } else if (entry.kind == MenuEntryKind::End) {
            --depth;
        } else if (entry.kind == MenuEntryKind::Item && !categoryCommands_.isEmpty()) {
            categoryCommands_.last() << entry.id;
            if (seen.insert(entry.id).second) {
                all << entry.id;
            }
        }
    }
    categories_ << loadString(kAllCommandsString) << loadString(kBuiltInMenusString)
                << loadString(kNewMenuString);
    categoryCommands_ << all << QList<int>{} << QList<int>{};

    auto* tabs = new QTabWidget(this);
    tabs->addTab(makeCommandsPage(), tr("Commands"));
    tabs->addTab(makeOptionsPage(), tr("Options"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(640, 440);
}

QStringList CustomizeDialog::categories() const {
    return categories_;
}

QList<int> CustomizeDialog::commandsOf(int category) const {
    return category >= 0 && category < categoryCommands_.size() ? categoryCommands_[category]
                                                                : QList<int>{};
}

QWidget* CustomizeDialog::makeOptionsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* tips = new QCheckBox(tr("Show ScreenTips on toolbars"), page);
    auto* large = new QCheckBox(tr("Large icons"), page);
    auto* text = new QCheckBox(tr("Show text below icons"), page);
    tips->setChecked(true);
    large->setChecked(!toolBars_.isEmpty() && toolBars_.front()->iconSize().width() > 20);
    text->setChecked(!toolBars_.isEmpty() &&
                     toolBars_.front()->toolButtonStyle() == Qt::ToolButtonTextUnderIcon);
    connect(tips, &QCheckBox::toggled, this, [this](bool on) {
        for (QToolBar* bar : toolBars_) {
            bar->setToolTipDuration(on ? -1 : 1);
        }
    });
    connect(large, &QCheckBox::toggled, this, [this](bool on) {
        for (QToolBar* bar : toolBars_) {
            bar->setIconSize(on ? QSize(32, 32) : QSize(16, 16));
        }
    });
    connect(text, &QCheckBox::toggled, this, [this](bool on) {
        for (QToolBar* bar : toolBars_) {
            bar->setToolButtonStyle(on ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        }
    });
    layout->addWidget(tips);
    layout->addWidget(large);
    layout->addWidget(text);
    layout->addStretch();
    return page;
}

QWidget* CustomizeDialog::makeCommandsPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    categoryList_ = new QListWidget(page);
    categoryList_->addItems(categories_);
    commandList_ = new QListWidget(page);
    toolBarChoice_ = new QComboBox(page);
    for (const QToolBar* bar : toolBars_) {
        toolBarChoice_->addItem(bar->windowTitle());
    }
    toolBarButtons_ = new QListWidget(page);
    auto* add = new QPushButton(tr("Add >>"), page);
    auto* remove = new QPushButton(tr("<< Remove"), page);
    auto* separator = new QPushButton(tr("Add Separator"), page);

    grid->addWidget(new QLabel(tr("Categories:"), page), 0, 0);
    grid->addWidget(new QLabel(tr("Commands:"), page), 0, 1);
    grid->addWidget(toolBarChoice_, 0, 3);
    grid->addWidget(categoryList_, 1, 0, 4, 1);
    grid->addWidget(commandList_, 1, 1, 4, 1);
    grid->addWidget(add, 1, 2);
    grid->addWidget(remove, 2, 2);
    grid->addWidget(separator, 3, 2);
    grid->addWidget(toolBarButtons_, 1, 3, 4, 1);

    connect(categoryList_, &QListWidget::currentRowChanged, this, &CustomizeDialog::showCategory);
    connect(toolBarChoice_, &QComboBox::currentIndexChanged, this, &CustomizeDialog::showToolBar);
    connect(add, &QPushButton::clicked, this, [this] {
        if (const QListWidgetItem* item = commandList_->currentItem()) {
            if (item->flags() & Qt::ItemIsEnabled) {
                addCommand(item->data(Qt::UserRole).toInt());
            }
        }
    });
    connect(separator, &QPushButton::clicked, this, [this] { addCommand(0); });
    connect(remove, &QPushButton::clicked, this, &CustomizeDialog::removeSelected);
    categoryList_->setCurrentRow(0);
    showToolBar();
    return page;
}

void CustomizeDialog::showCategory(int category) {
    commandList_->clear();
    const int builtInMenus = static_cast<int>(categories_.size()) - 2;
    if (category == builtInMenus) {
        for (int i = 0; i < builtInMenus - 1; ++i) {
            auto* item = new QListWidgetItem(categories_[i], commandList_);
            item->setFlags(Qt::NoItemFlags);
        }
        return;
    }
    if (category == builtInMenus + 1) {
        auto* item = new QListWidgetItem(categories_[category], commandList_);
        item->setFlags(Qt::NoItemFlags);
        return;
    }
    for (const int id : commandsOf(category)) {
        QAction* action = actions_.action(id);
        auto* item =
            new QListWidgetItem(action->icon(), withoutMnemonic(action->text()), commandList_);
        item->setData(Qt::UserRole, id);
    }
}

QToolBar* CustomizeDialog::currentToolBar() const {
    const int index = toolBarChoice_->currentIndex();
    return index >= 0 && index < toolBars_.size() ? toolBars_[index] : nullptr;
}

void CustomizeDialog::selectToolBar(int index) {
    toolBarChoice_->setCurrentIndex(index);
}

void CustomizeDialog::showToolBar() {
    toolBarButtons_->clear();
    const QToolBar* bar = currentToolBar();
    if (!bar) {
        return;
    }
    for (const int id : framework::CommandActions::toolBarCommands(bar)) {
        const QString text = id == 0 ? QStringLiteral("----")
                                     : withoutMnemonic(actions_.action(id)->text().isEmpty()
                                                           ? actions_.action(id)->toolTip()
                                                           : actions_.action(id)->text());
        auto* item = new QListWidgetItem(text, toolBarButtons_);
        item->setData(Qt::UserRole, id);
    }
}

void CustomizeDialog::addCommand(int id) {
    QToolBar* bar = currentToolBar();
    if (!bar) {
        return;
    }
    QList<int> ids = framework::CommandActions::toolBarCommands(bar);
    const int row = toolBarButtons_->currentRow();
    const int at = row >= 0 ? row + 1 : static_cast<int>(ids.size());
    ids.insert(at, id);
    actions_.setToolBarCommands(bar, ids);
    showToolBar();
    toolBarButtons_->setCurrentRow(at);
}

void CustomizeDialog::removeSelected() {
    QToolBar* bar = currentToolBar();
    const int row = toolBarButtons_->currentRow();
    if (!bar || row < 0) {
        return;
    }
    QList<int> ids = framework::CommandActions::toolBarCommands(bar);
    if (row < ids.size()) {
        ids.removeAt(row);
    }
    actions_.setToolBarCommands(bar, ids);
    showToolBar();
}

}  // namespace korvel::app
