// Start-up of the program's own application object, one test per process.

#include "app/ApplicationState.h"
#include "app/CKorvelApp.h"
#include "app/CMainFrame.h"
#include "common/TestEnvironment.h"
#include "document/CKorvelDoc.h"
#include "framework/CDocTemplate.h"
#include "framework/MessageBox.h"
#include "platform/ProfileSettings.h"
#include "platform/SingleInstanceLock.h"

#include <gtest/gtest.h>

#include <QDockWidget>
#include <QMdiArea>
#include <QToolBar>

using namespace korvel;

namespace {

int gArgc = 1;
char gName[] = "korvel";
char* gArgv[] = {gName, nullptr};

class Startup : public ::testing::Test {
protected:
    framework::ScopedMessageBoxInterceptor answer{[this](const QString& text, unsigned) {
        messages << text;
        return framework::IDOK;
    }};
    QStringList messages;
};

}  // namespace

TEST_F(Startup, ASecondInstanceIsRefusedAndTheFirstIsLeftAlone) {
    platform::SingleInstanceLock first("Brenic");
    ASSERT_TRUE(first.tryAcquire());
    app::CKorvelApp app(gArgc, gArgv);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(messages, QStringList{"Korvel is running!"});
    EXPECT_EQ(app.mainFrame(), nullptr);
    EXPECT_TRUE(first.isHeld());
}

TEST_F(Startup, AFreshStartShowsTheMainWindowWithAStartPageAndAsksForTheCamera) {
    app::CKorvelApp app(gArgc, gArgv);
    ASSERT_TRUE(app.InitInstance());
    app::CMainFrame* frame = app.mainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    ASSERT_EQ(app.docTemplate()->documents().size(), 1u);
    auto* first = qobject_cast<document::CKorvelDoc*>(app.docTemplate()->documents().front());
    EXPECT_TRUE(first->isStartPage());
    EXPECT_EQ(first->GetTitle(), "Korvel1");
    EXPECT_TRUE(frame->folderPane()->isVisible());
    // Defaults of an empty store.
    EXPECT_EQ(app.state().settings.jpegQuality, 90);
    EXPECT_EQ(app.state().settings.text.faceName, "Arial");
    EXPECT_TRUE(app.state().settings.savePath.endsWith("/Pictures/"));

    // The posted open-camera message runs once the loop does; no camera is configured.
    QCoreApplication::processEvents();
    EXPECT_EQ(messages, QStringList{"No Camera!"});
}

TEST_F(Startup, PlacementAndMaximisedStateComeBackAtTheNextStart) {
    {
        platform::ProfileSettings store("Korvel 7.1.1.2 eng");
        store.writeProfileInt("Screen", "left", 40);
        store.writeProfileInt("Screen", "top", 30);
        store.writeProfileInt("Screen", "right", 740);
        store.writeProfileInt("Screen", "bottom", 530);
    }
    app::CKorvelApp app(gArgc, gArgv);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.mainFrame()->geometry().size(), QSize(700, 500));
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    korvel::test::TestEnvironment environment;
    return RUN_ALL_TESTS();
}
