#include "camera/CProgressWnd.h"
#include "camera/CRectSelectionDlg.h"
#include "camera/SelectionTracker.h"

#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>

using namespace korvel::camera;

namespace {
const QRect kBounds(100, 50, 400, 300);  // the drawing surface on the screen
}

TEST(SelectionTracker, FirstPressGivesAnEightySquareClippedToTheBounds) {
    SelectionTracker t(kBounds);
    t.leftPress(QPoint(300, 200));
    EXPECT_TRUE(t.dragging());
    EXPECT_EQ(t.selection(), QRect(260, 160, 80, 80));
    EXPECT_FALSE(t.buttonsVisible());

    SelectionTracker corner(kBounds);
    corner.leftPress(QPoint(105, 55));
    EXPECT_EQ(corner.selection(), QRect(100, 50, 45, 45));

    SelectionTracker outside(kBounds);
    outside.leftPress(QPoint(10, 10));
    EXPECT_FALSE(outside.hasSelection());
    EXPECT_FALSE(outside.dragging());
}

TEST(SelectionTracker, DraggingStartsFourPixelsInAndClampsToTheBounds) {
    SelectionTracker t(kBounds);
    t.leftPress(QPoint(200, 100));
    t.mouseMove(QPoint(900, 900));
    EXPECT_EQ(t.selection(), QRect(QPoint(204, 104), QPoint(499, 349)));
    t.leftRelease(QPoint(300, 180));
    EXPECT_FALSE(t.dragging());
    EXPECT_EQ(t.selection(), QRect(QPoint(204, 104), QPoint(299, 179)));
    ASSERT_TRUE(t.buttonsVisible());
    EXPECT_EQ(t.cancelButtonRect(), QRect(300 - 90, 182, 34, 23));
    EXPECT_EQ(t.okButtonRect(), QRect(300 - 57, 182, 58, 23));
    EXPECT_EQ(t.outcome(), SelectionTracker::Outcome::Running);
}

TEST(SelectionTracker, SmallSelectionsKeepTheButtonsHidden) {
    SelectionTracker t(kBounds);
    t.leftPress(QPoint(200, 100));
    t.leftRelease(QPoint(209, 300));  // 5 pixels wide
    EXPECT_FALSE(t.buttonsVisible());
    // Dragged up and left: normalised on release.
    SelectionTracker back(kBounds);
    back.leftPress(QPoint(300, 200));
    back.leftRelease(QPoint(200, 120));
    EXPECT_TRUE(back.buttonsVisible());
    EXPECT_EQ(back.selection(), QRect(QPoint(200, 120), QPoint(303, 203)));
}

TEST(SelectionTracker, TheTrackerMovesAndResizesInsideTheBounds) {
    SelectionTracker t(kBounds);
    t.leftPress(QPoint(200, 100));
    t.leftRelease(QPoint(300, 200));
    const QRect drawn = t.selection();
    // Inside: move, held inside the bounds.
    t.leftPress(drawn.center());
    t.mouseMove(drawn.center() + QPoint(1000, 0));
    t.leftRelease(drawn.center() + QPoint(1000, 0));
    EXPECT_EQ(t.selection().size(), drawn.size());
    EXPECT_EQ(t.selection().right(), kBounds.right());
    // The bottom-right handle resizes.
    const QRect moved = t.selection();
    t.leftPress(moved.bottomRight());
    t.leftRelease(QPoint(moved.right() - 20, moved.bottom() - 10));
    EXPECT_EQ(t.selection().topLeft(), moved.topLeft());
    EXPECT_EQ(t.selection().size(), moved.size() - QSize(21, 11));
}

TEST(SelectionTracker, EndingRules) {
    SelectionTracker t(kBounds);
    t.leftPress(QPoint(200, 100));
    t.leftRelease(QPoint(300, 200));
    t.cancelButton();  // clears only
    EXPECT_FALSE(t.hasSelection());
    EXPECT_FALSE(t.buttonsVisible());
    EXPECT_EQ(t.outcome(), SelectionTracker::Outcome::Running);

    t.leftPress(QPoint(200, 100));
    t.leftRelease(QPoint(300, 200));
    t.rightPress();  // clears an existing selection
    EXPECT_FALSE(t.hasSelection());
    t.rightPress();  // and ends without one otherwise
    EXPECT_EQ(t.outcome(), SelectionTracker::Outcome::Accepted);
    EXPECT_FALSE(t.result());

    SelectionTracker e(kBounds);
    e.leftPress(QPoint(200, 100));
    e.leftRelease(QPoint(300, 200));
    e.escape();
    EXPECT_FALSE(e.hasSelection());
    EXPECT_EQ(e.outcome(), SelectionTracker::Outcome::Running);
    e.escape();
    EXPECT_EQ(e.outcome(), SelectionTracker::Outcome::Cancelled);

    SelectionTracker d(kBounds);
    d.leftPress(QPoint(200, 100));
    d.leftRelease(QPoint(300, 200));
    d.leftDoubleClick(QPoint(10, 10));  // outside: nothing
    EXPECT_EQ(d.outcome(), SelectionTracker::Outcome::Running);
    d.leftDoubleClick(QPoint(250, 150));
    EXPECT_EQ(d.outcome(), SelectionTracker::Outcome::Accepted);
    ASSERT_TRUE(d.result());
    EXPECT_EQ(*d.result(), QRect(QPoint(204, 104), QPoint(299, 199)));
}

TEST(SelectionOverlay, CoversTheScreenAndEndsWithOk) {
    CRectSelectionDlg dialog(kBounds);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("1067"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("1031"));
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(ok->isHidden());
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.selection());
}

TEST(ProgressWindow, TextRangeAndCancelling) {
    CProgressWnd progress(nullptr);
    EXPECT_EQ(progress.cancelButton()->text(), QStringLiteral("Cancel"));
    progress.setRange(0, 0);
    EXPECT_EQ(progress.bar()->maximum(), 1);
    progress.setRange(0, 100);
    progress.setPos(40);
    progress.setText(QStringLiteral("Complete"));
    EXPECT_EQ(progress.bar()->text(), QStringLiteral("Complete: 40%"));
    progress.setText(QStringLiteral("Wait a moment!"));
    EXPECT_EQ(progress.bar()->text(), QStringLiteral("Wait a moment!"));

    progress.cancelButton()->click();  // not allowed yet
    EXPECT_FALSE(progress.cancelled());
    progress.allowCancel(true);
    progress.show();
    progress.cancelButton()->click();
    EXPECT_TRUE(progress.cancelled());
    EXPECT_TRUE(progress.isVisible());  // "Cancel" does not close the window
}
