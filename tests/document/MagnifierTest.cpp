#include "document/CMagnifierWnd.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

using korvel::document::CMagnifierWnd;

TEST(Magnifier, FactorTitleAndGeometry) {
    CMagnifierWnd magnifier;
    EXPECT_EQ(magnifier.factor(), 4);
    EXPECT_EQ(magnifier.windowTitle(), "Magnifier-400%");
    magnifier.stepFactor(+10);
    EXPECT_EQ(magnifier.factor(), 8);
    magnifier.stepFactor(-10);
    EXPECT_EQ(magnifier.factor(), 2);
    EXPECT_EQ(magnifier.windowTitle(), "Magnifier-200%");

    EXPECT_EQ(CMagnifierWnd::sourceRect(QPoint(100, 50), QSize(200, 100), 4),
              QRectF(QPointF(75, 37.5), QPointF(125, 62.5)));
    EXPECT_EQ(CMagnifierWnd::centreMark(QSize(200, 100)), QRect(QPoint(98, 48), QPoint(102, 52)));
}

TEST(Magnifier, OneGrabPerTimerPeriod) {
    QWidget source;
    source.resize(300, 200);
    source.show();
    CMagnifierWnd magnifier;
    magnifier.show();
    magnifier.setCursorPoint(&source, QPoint(150, 100));
    EXPECT_FALSE(magnifier.isReady());
    magnifier.setCursorPoint(&source, QPoint(10, 10));  // ignored until the timer fired
    EXPECT_TRUE(QTest::qWaitFor([&] { return magnifier.isReady(); }, 10000));
}

TEST(Magnifier, MaximiseAndMinimiseStepTheFactor) {
    CMagnifierWnd magnifier;
    // The window offers both buttons, though they only change the factor.
    EXPECT_TRUE(magnifier.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(magnifier.windowFlags() & Qt::WindowMinimizeButtonHint);
    magnifier.show();
    magnifier.setWindowState(Qt::WindowMaximized);
    EXPECT_EQ(magnifier.factor(), 5);
    EXPECT_EQ(magnifier.windowTitle(), "Magnifier-500%");
    EXPECT_FALSE(magnifier.windowState() & Qt::WindowMaximized);
    for (int i = 0; i < 6; ++i) {
        magnifier.setWindowState(Qt::WindowMinimized);
    }
    EXPECT_EQ(magnifier.factor(), 2);
    EXPECT_FALSE(magnifier.windowState() & Qt::WindowMinimized);
}
