// The thumbnail list's rules without a window: which files a folder gives, in which
// order, how saves and removals move entries and their tiles.

#include "browser/ThumbnailGeometry.h"
#include "browser/ThumbnailListModel.h"

#include "BrowserTestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <deque>

namespace korvel::browser {
namespace {

using test::showsFile;
using test::TestFolder;
using test::tileFor;

class ThumbnailListModelTest : public ::testing::Test {
protected:
    // Draws at once unless `deferred`, when requests wait for deliverLater().
    void SetUp() override {
        ThumbnailListModel::Hooks hooks;
        hooks.drawTile = [this](ThumbnailListModel::Ticket ticket, const QString& path, int) {
            drawn.append(path);
            if (deferred) {
                waiting.push_back({ticket, path});
            } else {
                model.deliverTile(ticket, tileFor(path));
            }
        };
        hooks.deleteFile = [this](const QString& path) {
            deleted.append(path);
            return QFile::remove(path);
        };
        model.setHooks(std::move(hooks));
    }

    void setUpIn(const QString& folder) {
        model.setCurrentFolder(folder);
        model.setUp(QStringLiteral("Video"), QImage(2, 2, QImage::Format_RGB32));
    }

    ThumbnailListModel model;
    QStringList drawn;
    QStringList deleted;
    bool deferred = false;
    struct Request {
        ThumbnailListModel::Ticket ticket;
        QString path;
    };
    std::deque<Request> waiting;
};

TEST_F(ThumbnailListModelTest, FiftyFilesHoldTheFirstTwentyFoundInReverseOrder) {
    TestFolder dir;
    for (int i = 0; i < 50; ++i) {
        dir.touch(QStringLiteral("img%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    }
    setUpIn(dir.folder());
    const QStringList found = test::listingOrder(dir.folder());
    ASSERT_EQ(found.size(), 50);

    ASSERT_EQ(model.entryCount(), 21);
    EXPECT_EQ(model.entry(0), "Video");
    for (int i = 1; i <= 20; ++i) {
        // Entry 1 is the 20th file found, entry 20 the first.
        EXPECT_EQ(model.entry(i), dir.path(found[20 - i])) << i;
        EXPECT_TRUE(showsFile(model.slot(i), model.entry(i))) << i;
    }
    EXPECT_EQ(model.shownCount(), 20);  // the tile and 19 files; entry 20 is held only
    EXPECT_EQ(model.label(1), found[19]);
}

TEST_F(ThumbnailListModelTest, TextFilesAndFoldersGiveOnlyTheCameraTile) {
    TestFolder dir;
    dir.touch("notes.txt");
    dir.touch("README");
    dir.makeFolder("sub.jpg");  // a folder, whatever its name says
    dir.makeFolder("photos");
    setUpIn(dir.folder());
    EXPECT_EQ(model.entryCount(), 1);
    EXPECT_EQ(model.shownCount(), 1);
    EXPECT_TRUE(drawn.isEmpty());
}

TEST_F(ThumbnailListModelTest, FolderWithoutFinalSeparatorFindsNothing) {
    TestFolder dir;
    const QString photos = dir.makeFolder("photos");
    QFile(photos + "/a.jpg").open(QIODevice::WriteOnly);
    QFile(photos + "/b.png").open(QIODevice::WriteOnly);
    dir.touch("photos_sibling.jpg");  // matches the run-together pattern, leads nowhere
    setUpIn(photos);
    EXPECT_EQ(model.entryCount(), 1);

    // The same folder with its separator is found.
    EXPECT_TRUE(model.showFolder(photos + "/"));
    EXPECT_EQ(model.entryCount(), 3);
}

TEST_F(ThumbnailListModelTest, ShowFolderReloadsOnlyForAnotherFolder) {
    TestFolder dir;
    dir.touch("a.bmp");
    setUpIn(dir.folder());
    drawn.clear();
    EXPECT_FALSE(model.showFolder(dir.folder()));
    EXPECT_TRUE(drawn.isEmpty());

    TestFolder other;
    other.touch("b.tif");
    other.touch("c.txt");
    EXPECT_TRUE(model.showFolder(other.folder()));
    EXPECT_EQ(model.entries(), QStringList({"Video", other.path("b.tif")}));
    EXPECT_TRUE(model.slot(2).isNull());  // nothing left behind from the first folder
}

TEST_F(ThumbnailListModelTest, SaveOfAShownNameRedrawsThatTileInPlace) {
    TestFolder dir;
    dir.touch("a.jpg");
    dir.touch("b.jpg");
    setUpIn(dir.folder());
    const QStringList before = model.entries();
    drawn.clear();

    EXPECT_EQ(model.addOrRefreshFile(dir.path("a.jpg"), model.shownCount()),
              ThumbnailListModel::SaveResult::Refreshed);
    EXPECT_EQ(model.entries(), before);
    EXPECT_EQ(drawn, QStringList({dir.path("a.jpg")}));
}

TEST_F(ThumbnailListModelTest, SaveOfANewNameComesFirstAndTheLastDropsOut) {
    TestFolder dir;
    for (int i = 0; i < 25; ++i) {
        dir.touch(QStringLiteral("f%1.png").arg(i));
    }
    setUpIn(dir.folder());
    const QStringList before = model.entries();
    const QImage secondTile = model.slot(1);

    const QString saved = dir.touch("new.png");
    EXPECT_EQ(model.addOrRefreshFile(saved, model.shownCount()),
              ThumbnailListModel::SaveResult::Inserted);
    ASSERT_EQ(model.entryCount(), 21);
    EXPECT_EQ(model.entry(1), saved);
    EXPECT_TRUE(showsFile(model.slot(1), saved));
    for (int i = 2; i <= 20; ++i) {
        EXPECT_EQ(model.entry(i), before[i - 1]) << i;
    }
    EXPECT_EQ(model.slot(2), secondTile);  // tiles moved with their entries
    EXPECT_FALSE(model.entries().contains(before[20]));
}

TEST_F(ThumbnailListModelTest, SaveIntoAnotherFolderShowsThatFolder) {
    TestFolder dir;
    dir.touch("a.jpg");
    setUpIn(dir.folder());
    TestFolder other;
    const QString saved = other.touch("KV-1.jpg");
    other.touch("KV-2.jpg");
    EXPECT_EQ(model.addOrRefreshFile(saved, model.shownCount()),
              ThumbnailListModel::SaveResult::FolderShown);
    EXPECT_EQ(model.currentFolder(), other.folder());
    EXPECT_EQ(model.entryCount(), 3);
    EXPECT_TRUE(model.entries().contains(saved));

    EXPECT_EQ(model.addOrRefreshFile(QString(), 20), ThumbnailListModel::SaveResult::Ignored);
}

TEST_F(ThumbnailListModelTest, UnknownFormatKeepsThePictureShiftedIntoItsSlot) {
    TestFolder dir;
    dir.touch("a.jpg");
    setUpIn(dir.folder());
    const QImage first = model.slot(1);
    model.addOrRefreshFile(dir.touch("capture.raw"), model.shownCount());
    EXPECT_EQ(model.entry(1), dir.path("capture.raw"));
    EXPECT_EQ(model.slot(1), first);
    EXPECT_EQ(model.slot(2), first);
}

TEST_F(ThumbnailListModelTest, CameraTileIsNeverRemovedOrReplacedByInsert) {
    TestFolder dir;
    dir.touch("a.jpg");
    setUpIn(dir.folder());
    model.remove(0, true);
    model.insert(0, dir.path("a.jpg"));
    model.remove(7, true);  // beyond the entries
    EXPECT_EQ(model.entries(), QStringList({"Video", dir.path("a.jpg")}));
    EXPECT_TRUE(deleted.isEmpty());

    model.setEntry(0, "Camera X", false);
    EXPECT_EQ(model.label(0), "Camera X");
    EXPECT_FALSE(model.slot(0).isNull());
}

TEST_F(ThumbnailListModelTest, RemoveMovesLaterTilesDownAndDeletesOnlyWhenAsked) {
    TestFolder dir;
    dir.touch("a.jpg");
    dir.touch("b.jpg");
    dir.touch("c.jpg");
    setUpIn(dir.folder());
    const QString second = model.entry(2);
    const QImage secondTile = model.slot(2);
    const QString first = model.entry(1);

    model.remove(1, false);
    EXPECT_TRUE(QFileInfo::exists(first));
    EXPECT_EQ(model.entry(1), second);
    EXPECT_EQ(model.slot(1), secondTile);

    model.remove(1, true);
    EXPECT_FALSE(QFileInfo::exists(second));
    EXPECT_EQ(deleted, QStringList({second}));
    EXPECT_EQ(model.entryCount(), 2);
}

TEST_F(ThumbnailListModelTest, ATileThatCouldNotBeTrashedStays) {
    TestFolder dir;
    dir.touch("a.jpg");
    setUpIn(dir.folder());
    QFile::remove(dir.path("a.jpg"));  // the trash cannot take what is gone
    model.remove(1, true);
    EXPECT_EQ(model.entryCount(), 2);
}

TEST_F(ThumbnailListModelTest, LateTilesLandInTheSlotOfTheirEntry) {
    TestFolder dir;
    dir.touch("a.jpg");
    dir.touch("b.jpg");
    deferred = true;
    setUpIn(dir.folder());
    ASSERT_EQ(waiting.size(), 2u);
    // A save moves both down before any tile is ready.
    model.addOrRefreshFile(dir.touch("c.jpg"), model.shownCount());
    ASSERT_EQ(waiting.size(), 3u);
    // Answers come back in reverse order.
    while (!waiting.empty()) {
        model.deliverTile(waiting.back().ticket, tileFor(waiting.back().path));
        waiting.pop_back();
    }
    for (int i = 1; i < model.entryCount(); ++i) {
        EXPECT_TRUE(showsFile(model.slot(i), model.entry(i))) << i;
    }
}

TEST_F(ThumbnailListModelTest, AnswerForARemovedOrRedrawnEntryIsDropped) {
    TestFolder dir;
    dir.touch("a.jpg");
    deferred = true;
    setUpIn(dir.folder());
    const auto stale = waiting.front();
    model.setEntry(1, dir.path("a.jpg"), true);  // a newer drawing for the same entry
    model.deliverTile(stale.ticket, QImage(4, 4, QImage::Format_Mono));
    EXPECT_NE(model.slot(1).format(), QImage::Format_Mono);

    const auto current = waiting.back();
    model.remove(1, false);
    model.deliverTile(current.ticket, tileFor(current.path));
    EXPECT_EQ(model.entryCount(), 1);
    EXPECT_FALSE(showsFile(model.slot(1), current.path));
}

TEST(ThumbnailGeometryTest, FittingKeepsTheAspectAndCentres) {
    const TilePlacement portrait = fitThumbnail(100, 400);
    EXPECT_EQ(portrait.width, 45);
    EXPECT_EQ(portrait.height, 180);
    EXPECT_EQ(portrait.x, 77);
    EXPECT_EQ(portrait.y, 0);

    const TilePlacement landscape = fitThumbnail(400, 100);
    EXPECT_EQ(landscape.width, 200);
    EXPECT_EQ(landscape.height, 50);
    EXPECT_EQ(landscape.x, 0);
    EXPECT_EQ(landscape.y, 65);

    const TilePlacement square = fitThumbnail(300, 300);
    EXPECT_EQ(square.width, 180);
    EXPECT_EQ(square.height, 180);
    EXPECT_EQ(square.x, 10);
    EXPECT_EQ(square.y, 0);

    // Exactly the tile's aspect fills the width.
    const TilePlacement tileShaped = fitThumbnail(2000, 1800);
    EXPECT_EQ(tileShaped.width, 200);
    EXPECT_EQ(tileShaped.height, 180);

    // A sliver keeps one pixel; nothing has no place.
    EXPECT_EQ(fitThumbnail(10000, 1).height, 1);
    EXPECT_EQ(fitThumbnail(0, 10).width, 0);
}

TEST(ThumbnailGeometryTest, JpegScaleKeepsAtLeastThePicturesPixels) {
    const TilePlacement place = fitThumbnail(6000, 4000);
    EXPECT_EQ(jpegScaleDenominator(6000, 4000, place.width, place.height), 8);
    EXPECT_EQ(jpegScaleDenominator(800, 600, 200, 150), 4);
    EXPECT_EQ(jpegScaleDenominator(400, 300, 200, 150), 2);
    EXPECT_EQ(jpegScaleDenominator(201, 100, 200, 100), 1);
    EXPECT_EQ(jpegScaleDenominator(100, 400, 45, 180), 2);
}

}  // namespace
}  // namespace korvel::browser
