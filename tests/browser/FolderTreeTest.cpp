// The folder tree: "Computer" and its volumes, navigation by path, and the hand-over
// with the thumbnail list at start-up.

#include "browser/CFolderTree.h"
#include "browser/CThumbnailList.h"
#include "browser/FolderVolumes.h"
#include "framework/MessageBox.h"

#include "BrowserTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardItemModel>

namespace korvel::browser {
namespace {

using test::TestFolder;

TEST(FolderVolumesTest, PathBelongsToTheDeepestMountPoint) {
    const QList<Volume> volumes = {{"root", "/"}, {"home", "/home"}, {"data", "/home/data"}};
    EXPECT_EQ(volumeOfPath(volumes, "/home/data/x/"), 2);
    EXPECT_EQ(volumeOfPath(volumes, "/home/database"), 1);
    EXPECT_EQ(volumeOfPath(volumes, "/home"), 1);
    EXPECT_EQ(volumeOfPath(volumes, "/usr/lib"), 0);
    EXPECT_EQ(volumeOfPath({{"home", "/home"}}, "/usr"), -1);
    EXPECT_EQ(componentsBelow("/home", "/home/a/b/"), QStringList({"a", "b"}));
    EXPECT_TRUE(componentsBelow("/", "/").isEmpty());
    EXPECT_TRUE(isVolumeRoot(volumes, "/home/"));
    EXPECT_FALSE(isVolumeRoot(volumes, "/home/a"));
}

TEST(FolderVolumesTest, TheRootFileSystemIsListed) {
    const QList<Volume> volumes = mountedVolumes();
    EXPECT_GE(volumeOfPath(volumes, QDir::homePath()), 0);
}

class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        volumeRoot = dir.makeFolder("volume");
        dir.makeFolder("volume/photos/2024");
        dir.makeFolder("volume/notes");
        tree.setVolumeProvider([this] { return QList<Volume>{{"Test volume", volumeRoot}}; });
        tree.setMessageBoxRunner([this](const QString& text, const QString& caption, unsigned) {
            asked << caption + ": " + text;
            return framework::IDOK;
        });
        list.loader().setSynchronous(true);
        list.setAssociatedTree(&tree);
        tree.setAssociatedList(&list);
    }

    TestFolder dir;
    QString volumeRoot;
    CFolderTree tree;
    CThumbnailList list;
    QStringList asked;
};

TEST_F(FolderTreeTest, ComputerHoldsTheVolumesAndFoldersFillOnExpansion) {
    tree.populate(QString());
    QStandardItemModel* model = tree.folderModel();
    ASSERT_EQ(model->rowCount(), 1);
    QStandardItem* computer = model->item(0);
    EXPECT_EQ(computer->text(), "Computer");
    ASSERT_EQ(computer->rowCount(), 1);
    QStandardItem* volume = computer->child(0);
    EXPECT_EQ(volume->text(), "Test volume");
    EXPECT_EQ(volume->rowCount(), 1);  // the has-children mark
    tree.expand(volume->index());
    ASSERT_EQ(volume->rowCount(), 2);
    EXPECT_EQ(volume->child(0)->text(), "notes");
    EXPECT_EQ(volume->child(1)->text(), "photos");
    EXPECT_EQ(volume->child(0)->rowCount(), 0);  // no sub-folders, no mark
}

TEST_F(FolderTreeTest, NavigateSelectsTheFolderAndTellsTheList) {
    TestFolder shown;
    list.setCurrentFolder(shown.folder());
    list.setUp();
    list.onFolderSelected(2);  // the first selection only turns the tree
    QCoreApplication::processEvents();

    tree.populate(QString());
    const QString target = volumeRoot + "/photos/2024";
    QFile(target + "/x.jpg").open(QIODevice::WriteOnly);
    tree.navigate(target);
    EXPECT_EQ(tree.selectedFolderPath(), target);
    EXPECT_FALSE(tree.isTunnelling());
    EXPECT_EQ(list.windowTitle(), target + "/");
    EXPECT_EQ(list.currentFolder(), target + "/");
    EXPECT_EQ(list.thumbnails().entryCount(), 2);

    // The same folder again changes nothing; a user's click goes to the list.
    tree.navigate(target);
    QStandardItem* notes = tree.folderModel()->item(0)->child(0)->child(0);
    tree.setCurrentIndex(notes->index());
    EXPECT_EQ(list.currentFolder(), volumeRoot + "/notes/");
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(FolderTreeTest, MissingFolderIsReportedAndTheTreeStays) {
    tree.populate(QString());
    tree.navigate(volumeRoot + "/photos");
    tree.navigate(volumeRoot + "/nowhere");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], "Folder not found: " + volumeRoot + "/nowhere");
    EXPECT_EQ(tree.selectedFolderPath(), volumeRoot + "/photos");
}

TEST_F(FolderTreeTest, AtStartUpTheTreeFollowsTheList) {
    const QString stored = volumeRoot + "/photos/";
    QFile(stored + "a.png").open(QIODevice::WriteOnly);
    list.setCurrentFolder(stored);
    list.setUp();
    list.rebuild();

    tree.show();  // the first selection: "Computer"
    EXPECT_FALSE(tree.isPopulated());
    EXPECT_EQ(list.currentFolder(), stored);
    QCoreApplication::processEvents();  // the populate-tree message

    EXPECT_TRUE(tree.isPopulated());
    EXPECT_EQ(tree.windowTitle(), stored);
    EXPECT_EQ(tree.selectedFolderPath(), volumeRoot + "/photos");
    EXPECT_EQ(list.currentFolder(), stored);
    EXPECT_EQ(list.thumbnails().entryCount(), 2);

    // Messages with another first parameter are ignored.
    list.setWindowTitle(volumeRoot + "/notes/");
    list.onFolderSelected(1);
    EXPECT_EQ(list.currentFolder(), stored);
}

}  // namespace
}  // namespace korvel::browser
