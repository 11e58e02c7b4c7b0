#include "app/CMainFrame.h"
#include "framework/CommandActions.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>

using namespace korvel::app;

TEST(MainFrame, CreatesTitledWindowWithBarsAndPanes) {
    CMainFrame frame;
    ASSERT_TRUE(frame.create());
    EXPECT_EQ(frame.windowTitle(), "Korvel");
    EXPECT_FALSE(frame.menuBar()->actions().isEmpty());
    ASSERT_NE(frame.standardToolBar(), nullptr);
    EXPECT_EQ(frame.standardToolBar()->windowTitle(), "Standard");
    EXPECT_EQ(frame.measureToolBar()->windowTitle(), "Measure");
    EXPECT_EQ(frame.imageToolBar()->windowTitle(), "Image");
    EXPECT_TRUE(frame.imageToolBar()->isHidden());
    EXPECT_EQ(frame.statusPane(5)->text(), "CAP");
    EXPECT_EQ(frame.statusPane(7)->text(), "SCRL");
    frame.setStatusPaneText(2, "Time (s): 0.125");
    EXPECT_EQ(frame.statusPane(2)->text(), "Time (s): 0.125");
}

TEST(MainFrame, AcceleratorsReachTheirActions) {
    CMainFrame frame;
    ASSERT_TRUE(frame.create());
    QAction* copy = frame.commandActions().findAction(korvel::res::ID_EDIT_COPY);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->shortcuts().contains(QKeySequence("Ctrl+C")));
    EXPECT_TRUE(copy->shortcuts().contains(QKeySequence("Ctrl+Ins")));
}
