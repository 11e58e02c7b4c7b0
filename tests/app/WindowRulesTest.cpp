#include "app/WindowCapture.h"
#include "app/WindowPlacement.h"
#include "common/RecordingSettingsStore.h"

#include <gtest/gtest.h>

using namespace korvel::app;
using korvel::test::RecordingSettingsStore;

TEST(WindowPlacement, AnEmptyStoreOrAZeroValueKeepsTheDefaultPlacement) {
    RecordingSettingsStore store;
    EXPECT_FALSE(placementToRestore(readPlacement(store)));  // left 0, top 0 by default
    store.values["Screen/left"] = 0;
    store.values["Screen/top"] = 40;
    EXPECT_FALSE(placementToRestore(readPlacement(store)));
    store.values["Screen/left"] = 30;
    store.values["Screen/top"] = 0;
    EXPECT_FALSE(placementToRestore(readPlacement(store)));
    store.values["Screen/top"] = 20;
    store.values["Screen/right"] = 830;
    store.values["Screen/bottom"] = 620;
    EXPECT_EQ(placementToRestore(readPlacement(store)), QRect(30, 20, 800, 600));
}

TEST(WindowPlacement, WithoutASavedPlacementThreeQuartersOfTheScreenCentred) {
    EXPECT_EQ(defaultPlacement(QRect(0, 0, 1600, 1000)), QRect(200, 125, 1200, 750));
    // A panel at the top leaves less room; the window centres in what is left.
    const QRect panel = defaultPlacement(QRect(0, 40, 1600, 960));
    EXPECT_EQ(panel.size(), QSize(1200, 720));
    EXPECT_EQ(panel.center(), QRect(0, 40, 1600, 960).center());
    // A second screen to the right.
    EXPECT_EQ(defaultPlacement(QRect(1920, 0, 1280, 1024)), QRect(2080, 128, 960, 768));
}

TEST(WindowPlacement, CloseClampsLeftAndTopButKeepsRightAndBottom) {
    const StoredPlacement far = placementToStore(QRect(5000, 300, 800, 600), QSize(1920, 1080));
    EXPECT_EQ(far.left, 1820);
    EXPECT_EQ(far.top, 300);
    EXPECT_EQ(far.right, 5800);
    EXPECT_EQ(far.bottom, 900);
    const StoredPlacement low = placementToStore(QRect(10, 2000, 100, 100), QSize(1920, 1080));
    EXPECT_EQ(low.top, 980);

    RecordingSettingsStore store;
    writePlacement(store, far);
    EXPECT_EQ(store.writes,
              (QStringList{"Screen/left", "Screen/top", "Screen/right", "Screen/bottom"}));
}

TEST(CaptureList, DesktopFirstThenAtMost254EligibleWindows) {
    std::vector<CaptureCandidate> windows;
    for (int i = 0; i < 300; ++i) {
        windows.push_back(
            {quintptr(100 + i), QString("Window %1").arg(i), QRect(0, 0, 50, 50), QSize(50, 50)});
    }
    const auto list = captureList(windows, QSize(1920, 1080));
    ASSERT_EQ(list.size(), 255u);
    EXPECT_EQ(list[0].title, "Desktop");
    EXPECT_EQ(list[0].windowId, 0u);
    EXPECT_EQ(list[1].title, "Window 0");
    EXPECT_EQ(list[254].title, "Window 253");
}

TEST(CaptureList, HiddenMinimisedUntitledAndTinyWindowsAreLeftOut) {
    const std::vector<CaptureCandidate> windows = {
        {1, "hidden", QRect(0, 0, 50, 50), QSize(50, 50), false, false},
        {2, "minimised", QRect(0, 0, 50, 50), QSize(50, 50), true, true},
        {3, "", QRect(0, 0, 50, 50), QSize(50, 50)},
        {4, "narrow", QRect(0, 0, 4, 50), QSize(4, 50)},
        {5, "flat", QRect(0, 0, 50, 4), QSize(50, 4)},
        {6, QString(300, 'x'), QRect(0, 0, 5, 5), QSize(5, 5)},
    };
    const auto list = captureList(windows, QSize(800, 600));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].windowId, 6u);
    EXPECT_EQ(list[1].title.size(), 259);
}

TEST(CaptureArea, ClippedToTheScreenWithTheCutOffPartAsSourceOffset) {
    const auto inside = clipCaptureArea(QRect(10, 20, 100, 50), QSize(800, 600));
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->screenArea, QRect(10, 20, 100, 50));
    EXPECT_EQ(inside->sourceOffset, QPoint(0, 0));

    const auto leftTop = clipCaptureArea(QRect(-30, -10, 100, 50), QSize(800, 600));
    ASSERT_TRUE(leftTop);
    EXPECT_EQ(leftTop->screenArea, QRect(0, 0, 70, 40));
    EXPECT_EQ(leftTop->sourceOffset, QPoint(30, 10));

    const auto rightBottom = clipCaptureArea(QRect(750, 580, 100, 50), QSize(800, 600));
    ASSERT_TRUE(rightBottom);
    EXPECT_EQ(rightBottom->screenArea, QRect(750, 580, 50, 20));

    EXPECT_FALSE(clipCaptureArea(QRect(900, 10, 100, 50), QSize(800, 600)));
    EXPECT_FALSE(clipCaptureArea(QRect(-200, 10, 100, 50), QSize(800, 600)));
}
