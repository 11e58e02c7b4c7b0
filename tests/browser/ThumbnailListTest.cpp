// The thumbnail list widget on the offscreen platform, and the tiles it draws from
// pictures written by ImageMagick.

#include "browser/CThumbnailList.h"
#include "browser/ThumbnailRenderer.h"
#include "framework/MessageBox.h"
#include "image/KxImage.h"
#include "res/ids.h"

#include "BrowserTestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QTest>

namespace korvel::browser {
namespace {

using test::TestFolder;

struct Asked {
    QString text;
    QString caption;
    unsigned flags = 0;
};

class ThumbnailListTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.loader().setSynchronous(true);
        list.setMessageBoxRunner(
            [this](const QString& text, const QString& caption, unsigned flags) {
                asked.push_back({text, caption, flags});
                return answer;
            });
        list.setOpenCamera([this] { ++cameraOpened; });
        list.setOpenDocument([this](const QString& path) { opened << path; });
        list.resize(900, 700);
    }

    void start(const QString& folder) {
        list.setCurrentFolder(folder);
        list.setUp();
        list.rebuild();
    }

    QStringList shownLabels() const {
        QStringList labels;
        for (int i = 0; i < list.count(); ++i) {
            labels << list.item(i)->text();
        }
        return labels;
    }

    CThumbnailList list;
    std::vector<Asked> asked;
    int answer = framework::IDYES;
    int cameraOpened = 0;
    QStringList opened;
};

TEST_F(ThumbnailListTest, ShowsTheCameraTileAndAtMostNineteenFiles) {
    TestFolder dir;
    for (int i = 0; i < 30; ++i) {
        dir.touch(QStringLiteral("p%1.bmp").arg(i));
    }
    start(dir.folder());
    EXPECT_EQ(list.thumbnails().entryCount(), 21);
    ASSERT_EQ(list.count(), 20);
    EXPECT_EQ(list.item(0)->text(), "Video");
    EXPECT_EQ(list.item(1)->text(), QFileInfo(list.thumbnails().entry(1)).fileName());
    EXPECT_EQ(list.iconSize(), QSize(200, 180));
    EXPECT_EQ(list.viewMode(), QListView::IconMode);

    list.setUp();  // a second set-up changes nothing
    EXPECT_EQ(list.thumbnails().entryCount(), 21);
}

TEST_F(ThumbnailListTest, CameraTileReadsVideoHasNoMenuAndOpensTheCamera) {
    TestFolder dir;
    dir.touch("a.png");
    start(dir.folder());
    EXPECT_EQ(list.item(0)->text(), "Video");
    EXPECT_EQ(list.contextMenuFor(0), nullptr);
    EXPECT_EQ(list.contextMenuFor(5), nullptr);  // empty space
    auto menu = list.contextMenuFor(1);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "&Delete");
    EXPECT_EQ(list.rightClickedItem(), 1);

    // The double-click itself, through the mouse.
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.doItemsLayout();
    const QRect tile = list.visualItemRect(list.item(0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, tile.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, tile.center());
    EXPECT_EQ(cameraOpened, 1);

    // The main frame relabels the tile when a camera is found, and back on removal.
    list.setEntry(0, "KRV-1300", false);
    list.rebuild();
    EXPECT_EQ(list.item(0)->text(), "KRV-1300");
    EXPECT_EQ(list.thumbnails().entryCount(), 2);
}

TEST_F(ThumbnailListTest, DoubleClickOpensPicturesButNotVideos) {
    TestFolder dir;
    dir.touch("clip.avi");
    dir.touch("shot.jpg");
    start(dir.folder());
    const int video = list.thumbnails().entries().indexOf(dir.path("clip.avi"));
    const int picture = list.thumbnails().entries().indexOf(dir.path("shot.jpg"));
    list.openItem(video);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(asked.empty());
    list.openItem(picture);
    EXPECT_EQ(opened, QStringList({dir.path("shot.jpg")}));
    list.openItem(99);
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(ThumbnailListTest, DoubleClickOnAVanishedFileSaysSoAndDropsIt) {
    TestFolder dir;
    dir.touch("gone.jpg");
    dir.touch("here.jpg");
    start(dir.folder());
    const int gone = list.thumbnails().entries().indexOf(dir.path("gone.jpg"));
    QFile::remove(dir.path("gone.jpg"));
    list.openItem(gone);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "This file not exists!");
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(shownLabels(), QStringList({"Video", "here.jpg"}));
}

TEST_F(ThumbnailListTest, DeleteAsksOnceAndTrashesEverySelectedFile) {
    TestFolder dir;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
        dir.touch(name);
    }
    start(dir.folder());
    list.item(1)->setSelected(true);
    list.item(3)->setSelected(true);
    const QString first = list.thumbnails().entry(1);
    const QString third = list.thumbnails().entry(3);

    answer = framework::IDNO;
    list.onCommand(res::ID_BROWSER_DELETE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Do you want to delete the image?");
    EXPECT_EQ(asked[0].caption, "Attention");
    EXPECT_EQ(asked[0].flags, framework::MB_YESNO | framework::MB_ICONQUESTION);
    EXPECT_EQ(list.count(), 5);
    EXPECT_TRUE(QFileInfo::exists(first));

    answer = framework::IDYES;
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_FALSE(QFileInfo::exists(third));
    EXPECT_EQ(list.count(), 3);
    EXPECT_FALSE(list.thumbnails().entries().contains(first));
    // In the trash, not gone for good.
    const QString trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files/";
    EXPECT_TRUE(QFileInfo::exists(trash + QFileInfo(first).fileName()));
    EXPECT_TRUE(QFileInfo::exists(trash + QFileInfo(third).fileName()));
}

TEST_F(ThumbnailListTest, SavedFilesAppearAtOnce) {
    TestFolder dir;
    dir.touch("a.jpg");
    start(dir.folder());
    list.addOrRefreshFile(dir.touch("KV-3.jpg"));
    EXPECT_EQ(shownLabels(), QStringList({"Video", "KV-3.jpg", "a.jpg"}));

    TestFolder other;
    other.touch("x.png");
    list.addOrRefreshFile(other.touch("y.png"));
    EXPECT_EQ(list.currentFolder(), other.folder());
    EXPECT_EQ(list.count(), 3);
}

TEST_F(ThumbnailListTest, TilesDrawnOffTheInterfaceThreadLandInTheirSlots) {
    TestFolder dir;
    const char* colours[] = {"red", "lime", "blue", "yellow", "magenta", "cyan"};
    for (int i = 0; i < 6; ++i) {
        if (!test::magick(QStringLiteral("-size %1x%2 xc:%3 %4")
                              .arg(300 + 100 * i)
                              .arg(200 + 50 * i)
                              .arg(colours[i])
                              .arg(dir.path(QStringLiteral("c%1.jpg").arg(i))))) {
            GTEST_SKIP() << "ImageMagick is not available";
        }
    }
    CThumbnailList async;
    async.setCurrentFolder(dir.folder());
    async.setUp();
    async.rebuild();
    // A save while the folder is still being drawn.
    ASSERT_TRUE(test::magick("-size 640x480 xc:white " + dir.path("late.jpg")));
    async.addOrRefreshFile(dir.path("late.jpg"));
    ASSERT_TRUE(async.loader().waitForIdle());

    const ThumbnailRenderer renderer;
    for (int i = 1; i < async.thumbnails().entryCount(); ++i) {
        const QString path = async.thumbnails().entry(i);
        EXPECT_EQ(async.thumbnails().slot(i), renderer.render(path, 3)) << path.toStdString();
        const QImage shown = async.item(i)->icon().pixmap(200, 180).toImage();
        EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32),
                  async.thumbnails().slot(i).convertToFormat(QImage::Format_RGB32));
    }
}

TEST_F(ThumbnailListTest, AnotherFolderWhileDrawingGetsOnlyItsOwnTiles) {
    TestFolder first;
    TestFolder second;
    for (int i = 0; i < 4; ++i) {
        if (!test::magick(QStringLiteral("-size 1600x1200 xc:red %1")
                              .arg(first.path(QStringLiteral("r%1.jpg").arg(i)))) ||
            !test::magick(QStringLiteral("-size 800x600 xc:blue %1")
                              .arg(second.path(QStringLiteral("b%1.jpg").arg(i))))) {
            GTEST_SKIP() << "ImageMagick is not available";
        }
    }
    {
        // A list that goes away while its tiles are still being drawn.
        CThumbnailList leaving;
        leaving.setCurrentFolder(first.folder());
        leaving.setUp();
    }
    CThumbnailList async;
    async.setCurrentFolder(first.folder());
    async.setUp();
    async.showFolder(second.folder());
    ASSERT_TRUE(async.loader().waitForIdle());
    ASSERT_EQ(async.thumbnails().entryCount(), 5);
    for (int i = 1; i < 5; ++i) {
        const QImage& tile = async.thumbnails().slot(i);
        EXPECT_EQ(tile, ThumbnailRenderer().render(async.thumbnails().entry(i), 3)) << i;
        EXPECT_GT(qBlue(tile.pixel(100, 90)), 200) << i;
    }
}

// Tiles of pictures made by another program.
class ThumbnailTileTest : public ::testing::Test {
protected:
    TestFolder dir;
};

TEST_F(ThumbnailTileTest, PictureIsFittedOnWhiteWithAGreyBorder) {
    const QString portrait = dir.path("portrait.png");
    if (!test::magick("-size 100x400 xc:'#FF0000' " + portrait)) {
        GTEST_SKIP() << "ImageMagick is not available";
    }
    bool ok = false;
    const QImage tile = ThumbnailRenderer().render(portrait, 4, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(tile.size(), QSize(200, 180));
    EXPECT_EQ(tile.pixel(0, 0) & 0xFFFFFF, 0x828282u);
    EXPECT_EQ(tile.pixel(199, 179) & 0xFFFFFF, 0x828282u);
    // Picture 45 x 180 at (77, 0): red inside, white beside it.
    EXPECT_EQ(tile.pixel(77, 90) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(tile.pixel(121, 90) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(tile.pixel(76, 90) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(tile.pixel(122, 90) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ThumbnailTileTest, LargeJpegDecodedSmallGivesTheSamePlace) {
    const QString photo = dir.path("photo.jpg");
    if (!test::magick("-size 3000x1000 xc:'#0000FF' -quality 95 " + photo)) {
        GTEST_SKIP() << "ImageMagick is not available";
    }
    const QImage tile = ThumbnailRenderer().render(photo, 3);
    // 200 x 66 at (0, 57).
    auto blue = [](QRgb pixel) { return qBlue(pixel) > 230 && qRed(pixel) < 30; };
    EXPECT_TRUE(blue(tile.pixel(100, 57)));
    EXPECT_TRUE(blue(tile.pixel(100, 122)));
    EXPECT_EQ(tile.pixel(100, 56) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(tile.pixel(100, 123) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ThumbnailTileTest, UnreadableFileShowsTheNoPictureTile) {
    dir.touch("broken.jpg");
    bool ok = true;
    EXPECT_EQ(ThumbnailRenderer().render(dir.path("broken.jpg"), 3, &ok),
              ThumbnailRenderer::noPictureTile());
    EXPECT_FALSE(ok);
    EXPECT_EQ(ThumbnailRenderer().render(dir.path("missing.png"), 4),
              ThumbnailRenderer::noPictureTile());
}

TEST_F(ThumbnailTileTest, VideoTileHasStripesBehindItsFrame) {
    int reads = 0;
    ThumbnailRenderer renderer([&reads](const QString&, KxImage& frame) {
        ++reads;
        frame.Create(400, 100, 24);
        frame.Clear(0);  // black
        return true;
    });
    const QImage tile = renderer.render(dir.path("clip.avi"), 17);
    EXPECT_EQ(reads, 1);
    // Stripes 15 wide every 31 pixels, above and below the 200 x 50 frame at y 65.
    EXPECT_EQ(tile.pixel(5, 20) & 0xFFFFFF, 0x9B9B9Bu);
    EXPECT_EQ(tile.pixel(20, 20) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(tile.pixel(31, 20) & 0xFFFFFF, 0x9B9B9Bu);
    EXPECT_EQ(tile.pixel(45, 20) & 0xFFFFFF, 0x9B9B9Bu);
    EXPECT_EQ(tile.pixel(46, 20) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(tile.pixel(20, 90) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(tile.pixel(0, 90) & 0xFFFFFF, 0x828282u);

    ThumbnailRenderer failing([](const QString&, KxImage&) { return false; });
    EXPECT_EQ(failing.render(dir.path("clip.avi"), 17), ThumbnailRenderer::noPictureTile());
    // Without a reader the stripes alone.
    EXPECT_EQ(ThumbnailRenderer().render(dir.path("clip.avi"), 17).pixel(5, 90) & 0xFFFFFF,
              0x9B9B9Bu);
}

}  // namespace
}  // namespace korvel::browser
