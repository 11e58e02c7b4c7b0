#include "FrameworkFixtures.h"

#include "framework/CMDIFrameWnd.h"
#include "framework/CommandActions.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>

using namespace korvel::framework;
using namespace korvel::framework::testing;

namespace {

class TestFrame : public CMDIFrameWnd {
public:
    using CommandTarget::onCommand;
    using CommandTarget::onUpdateCommand;
};

class TestApplicationTarget : public CommandTarget {
public:
    using CommandTarget::onCommand;
    using CommandTarget::onUpdateCommand;
};

constexpr int kCommand = 40001;

class CommandRouting : public ::testing::Test {
protected:
    void SetUp() override {
        frame.show();
        frame.setApplicationTarget(&app);
        docTemplate->setWorkspace(frame.workspace());
        document = static_cast<LoggingDocument*>(docTemplate->OpenDocumentFile({}));
        ASSERT_NE(document, nullptr);
        frame.workspace()->setActiveSubWindow(frame.workspace()->subWindowList().front());
        ASSERT_NE(frame.MDIGetActive(), nullptr);
        view = static_cast<LoggingView*>(frame.GetActiveView());
        child = static_cast<LoggingChild*>(frame.MDIGetActive());
    }

    // Registers a handler for kCommand on every target that appends its name to `log`.
    void handleEverywhere() {
        view->onCommand(kCommand, [this](int) { log << "view"; });
        document->onCommand(kCommand, [this](int) { log << "document"; });
        child->onCommand(kCommand, [this](int) { log << "child"; });
        frame.onCommand(kCommand, [this](int) { log << "frame"; });
        app.onCommand(kCommand, [this](int) { log << "app"; });
    }

    TestFrame frame;
    TestApplicationTarget app;
    std::unique_ptr<CDocTemplate> docTemplate = makeTemplate();
    LoggingDocument* document = nullptr;
    LoggingView* view = nullptr;
    LoggingChild* child = nullptr;
    QStringList log;
};

}  // namespace

TEST_F(CommandRouting, RouteRunsFromViewToApplication) {
    const std::vector<CommandTarget*> route = frame.commandRoute();
    const std::vector<CommandTarget*> expected = {view, document, child, &frame, &app};
    EXPECT_EQ(route, expected);
}

TEST_F(CommandRouting, FirstHandlerAlongTheRouteWins) {
    handleEverywhere();
    EXPECT_TRUE(frame.router().dispatch(kCommand));
    EXPECT_EQ(log, QStringList{"view"});

    // Without a view handler the document is next, and so on.
    TestApplicationTarget onlyApp;
    onlyApp.onCommand(kCommand + 1, [this](int) { log << "only-app"; });
    frame.setApplicationTarget(&onlyApp);
    document->onCommand(kCommand + 1, [this](int) { log << "document"; });
    EXPECT_TRUE(frame.router().dispatch(kCommand + 1));
    EXPECT_EQ(log, (QStringList{"view", "document"}));
}

TEST_F(CommandRouting, WithoutAnActiveChildTheFrameAndApplicationRemain) {
    handleEverywhere();
    document->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame.MDIGetActive(), nullptr);
    EXPECT_TRUE(frame.router().dispatch(kCommand));
    EXPECT_EQ(log, QStringList{"frame"});
}

TEST_F(CommandRouting, UnhandledCommandsAreDisabledAndDoNothing) {
    const CommandState state = frame.router().query(57600);
    EXPECT_FALSE(state.enabled);
    EXPECT_FALSE(frame.router().dispatch(57600));
}

TEST_F(CommandRouting, StateHandlerDisablesTheCommandAndBlocksItsAction) {
    frame.onCommand(kCommand, [this](int) { log << "frame"; });
    view->onUpdateCommand(kCommand, [](CommandState& s) { s.enable(false); });
    EXPECT_FALSE(frame.router().query(kCommand).enabled);
    EXPECT_FALSE(frame.router().dispatch(kCommand));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(CommandRouting, ActionsFollowTheStateHandlers) {
    bool checked = false;
    int level = 3;
    frame.onCommand(
        kCommand, [&](int) { checked = !checked; }, [&](CommandState& s) { s.setCheck(checked); });
    document->onCommand(
        kCommand + 2, [](int) {},
        [&](CommandState& s) {
            s.enable(level > 0);
            s.setText(QString("Undo Resample (%1)\tCtrl+Z").arg(level));
        });

    CommandActions& actions = frame.commandActions();
    QAction* toggle = actions.action(kCommand);
    QAction* undo = actions.action(kCommand + 2);
    actions.refreshAll();
    EXPECT_TRUE(toggle->isEnabled());
    EXPECT_TRUE(toggle->isCheckable());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(undo->text(), "Undo Resample (3)");

    toggle->trigger();  // runs through the router and refreshes
    EXPECT_TRUE(checked);
    EXPECT_TRUE(toggle->isChecked());

    level = 0;
    actions.refreshAll();
    EXPECT_FALSE(undo->isEnabled());
}

TEST_F(CommandRouting, RangeHandlersCoverEveryIdInTheRange) {
    QList<int> seen;
    child->onCommandRange(9420, 9423, [&](int id) { seen << id; });
    for (int id = 9419; id <= 9424; ++id) {
        frame.router().dispatch(id);
    }
    EXPECT_EQ(seen, (QList<int>{9420, 9421, 9422, 9423}));
}

TEST(CommandText, ShortcutPartIsDroppedFromMenuTexts) {
    EXPECT_EQ(menuTextWithoutShortcut("&Open...\tCtrl+O"), "&Open...");
    EXPECT_EQ(menuTextWithoutShortcut("Histogram"), "Histogram");
}
