#include "document/RectTracker.h"
#include "document/UndoRing.h"
#include "document/ViewGeometry.h"
#include "document/ZoomRules.h"

#include <gtest/gtest.h>

using namespace korvel::document;

TEST(ZoomLadder, InAndOut) {
    EXPECT_EQ(zoomIn(0.3f), 0.5f);
    EXPECT_EQ(zoomIn(3.0f), 4.0f);
    EXPECT_EQ(zoomIn(0.1f), 0.25f);
    EXPECT_EQ(zoomIn(1.0f), 1.5f);
    EXPECT_EQ(zoomIn(8.0f), 16.0f);
    EXPECT_EQ(zoomIn(16.0f), 16.0f);
    EXPECT_EQ(zoomOut(0.3f), 0.25f);
    EXPECT_EQ(zoomOut(20.0f), 16.0f);
    EXPECT_EQ(zoomOut(16.0f), 8.0f);
    EXPECT_EQ(zoomOut(1.0f), 0.75f);
    EXPECT_EQ(zoomOut(0.05f), 0.05f);
}

TEST(ZoomList, TextRules) {
    EXPECT_EQ(zoomFromText("150%"), 1.5f);
    EXPECT_EQ(zoomFromText(" 100%"), 1.0f);
    EXPECT_EQ(zoomFromText("5"), 0.25f);
    EXPECT_EQ(zoomFromText("3000"), 16.0f);
    EXPECT_EQ(zoomFromText(""), 0.25f);
    EXPECT_EQ(zoomFromText("99999999999999999999"), 16.0f);
    EXPECT_FALSE(zoomFromText("1%5"));
    EXPECT_FALSE(zoomFromText("1.5"));
    EXPECT_FALSE(zoomFromText("abc"));
    EXPECT_EQ(zoomFromText("%"), 0.25f);  // no digits at all reads as 0, clamped to 25 %
}

TEST(ZoomList, Texts) {
    EXPECT_EQ(zoomBoxText(1.5f), "150%");
    EXPECT_EQ(zoomStatusText(1.5f), " 150 %");
    EXPECT_EQ(zoomStatusText(16.0f), "1600 %");
}

TEST(ViewGeometry, SmallPicturesAreCentredAndTheirTopLeftPixelReadsZero) {
    const QRect rect = imageRectangle(QSize(800, 600), QSize(100, 50), 1.0f);
    EXPECT_EQ(rect, QRect(350, 275, 100, 50));
    ViewMapping m{rect, QPoint(0, 0), 1.0f, false, QSize(800, 600), QSize(100, 50)};
    EXPECT_EQ(clientToImage(QPoint(350, 275), m), QPoint(0, 0));
    EXPECT_EQ(clientToImage(QPoint(449, 324), m), QPoint(99, 49));
    EXPECT_EQ(imageRectangle(QSize(800, 600), QSize(1000, 50), 2.0f), QRect(0, 250, 2000, 100));
}

TEST(ViewGeometry, ZoomScrollAndStretch) {
    ViewMapping m{QRect(0, 0, 2000, 1000), QPoint(100, 40), 2.0f, false,
                  QSize(800, 600),         QSize(1000, 500)};
    EXPECT_EQ(clientToImage(QPoint(10, 10), m), QPoint(55, 25));
    ViewMapping s{QRect(), QPoint(0, 0), 1.0f, true, QSize(500, 250), QSize(1000, 500)};
    EXPECT_EQ(clientToImage(QPoint(100, 50), s), QPoint(200, 100));
}

TEST(UndoRing, NinthStoreDropsTheOldestAndKeepsEightLevels) {
    UndoRing<int> ring;
    int picture = 0;
    for (picture = 1; picture <= 9; ++picture) {
        ring.store(&picture);
    }
    EXPECT_EQ(ring.level(), 8);
    auto current = std::make_unique<int>(100);
    int undone = 0;
    while (ring.undo(current)) {
        ++undone;
    }
    EXPECT_EQ(undone, 8);
    EXPECT_EQ(*current, 2);  // step 1 was dropped
}

TEST(UndoRing, UndoThenStoreDiscardsRedo) {
    UndoRing<int> ring;
    auto current = std::make_unique<int>(1);
    ring.store(current.get());
    *current = 2;
    ring.store(current.get());
    *current = 3;
    ASSERT_TRUE(ring.undo(current));
    EXPECT_EQ(*current, 2);
    EXPECT_TRUE(ring.canRedo());
    ring.store(current.get());
    EXPECT_FALSE(ring.canRedo());
    EXPECT_EQ(ring.level(), 2);
    ASSERT_TRUE(ring.undo(current));
    ASSERT_TRUE(ring.redo(current));
    EXPECT_EQ(ring.level(), 2);
}

TEST(UndoRing, NothingToStoreKeepsTheLevel) {
    UndoRing<int> ring;
    ring.store(nullptr);
    EXPECT_EQ(ring.level(), 0);
    EXPECT_FALSE(ring.canUndo());
    EXPECT_FALSE(ring.canRedo());
}

#include "document/SelectionOutline.h"

TEST(SelectionOutline, AShiftDragMakesAClosedFivePointRectangle) {
    SelectionOutline outline;
    outline.dragRectangle(QPoint(10, 20));
    EXPECT_EQ(outline.points().size(), 1u);
    outline.dragRectangle(QPoint(30, 25));
    outline.dragRectangle(QPoint(40, 50));
    ASSERT_EQ(outline.points().size(), 5u);
    EXPECT_TRUE(outline.isRectangle());
    EXPECT_EQ(outline.points()[0], QPoint(10, 20));
    EXPECT_EQ(outline.points()[2], QPoint(40, 50));
    EXPECT_EQ(outline.points()[4], QPoint(10, 20));
    outline.close();  // a rectangle is closed already
    EXPECT_EQ(outline.points().size(), 5u);
    const auto rows = outline.bottomUp(100);
    EXPECT_EQ(rows[0], QPoint(10, 79));
}

TEST(SelectionOutline, FreeHandStopsAt7999PointsWithTheClosingOne) {
    SelectionOutline outline;
    for (int i = 0; i < 9000; ++i) {
        outline.append(QPoint(i, i));
    }
    EXPECT_EQ(outline.points().size(), 7998u);
    outline.close();
    EXPECT_EQ(outline.points().size(), 7999u);
    EXPECT_EQ(outline.points().back(), QPoint(0, 0));
}

TEST(SelectionOutline, MoveAndRotate) {
    SelectionOutline outline;
    outline.dragRectangle(QPoint(0, 0));
    outline.dragRectangle(QPoint(10, 10));
    outline.translate(QPoint(5, -2));
    EXPECT_EQ(outline.points()[2], QPoint(15, 8));
    const double corners[5][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
    outline.rotate(5, 5, std::acos(-1.0), corners);  // half a turn
    EXPECT_EQ(outline.points()[0], QPoint(10, 10));
}

TEST(MarchingAnts, FourWhiteThenFourBlack) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(antsPixelIsWhite(i), i % 8 < 4) << i;
    }
}

TEST(RectTracker, HandlesSitOutsideAndAHandleDraggedAcrossTurnsTheRectangleOver) {
    RectTracker tracker;
    tracker.setRect(QRect(QPoint(10, 10), QPoint(19, 19)));
    EXPECT_EQ(tracker.hitTest(QPoint(8, 8)), RectTracker::kTopLeft);
    EXPECT_EQ(tracker.hitTest(QPoint(21, 21)), RectTracker::kBottomRight);
    EXPECT_EQ(tracker.hitTest(QPoint(15, 8)), RectTracker::kTop);
    EXPECT_EQ(tracker.hitTest(QPoint(8, 15)), RectTracker::kLeft);
    EXPECT_EQ(tracker.hitTest(QPoint(15, 15)), RectTracker::kInside);
    EXPECT_EQ(tracker.hitTest(QPoint(40, 40)), RectTracker::kNothing);

    // The left handle dragged past the right edge: the right edge stays where it was.
    tracker.press(QPoint(8, 15));
    EXPECT_EQ(tracker.release(QPoint(28, 30)), QRect(QPoint(20, 10), QPoint(29, 19)));
    // A press outside starts a rubber band, drawn in any direction.
    tracker.press(QPoint(50, 50));
    EXPECT_TRUE(tracker.rect().isEmpty());
    EXPECT_EQ(tracker.release(QPoint(45, 40)), QRect(QPoint(45, 40), QPoint(50, 50)));
}
