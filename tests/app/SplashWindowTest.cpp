#include "app/SplashWindow.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

using korvel::app::SplashWindow;

TEST(SplashWindow, ShowsItsPictureCentredUntilTheTimerRemovesIt) {
    SplashWindow splash;
    splash.show();
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.size(), SplashWindow::artwork().size());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 10000));
}

TEST(SplashWindow, TheFirstKeyOrMousePressRemovesIt) {
    SplashWindow splash;
    splash.show();
    const QEvent move(QEvent::MouseMove);
    splash.filterInput(&move);
    EXPECT_TRUE(splash.isVisible());
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    splash.filterInput(&key);
    EXPECT_FALSE(splash.isVisible());

    SplashWindow second;
    second.show();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    second.filterInput(&press);
    EXPECT_FALSE(second.isVisible());
}
