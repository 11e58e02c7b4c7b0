#include "MenuTitles.h"
#include "app/ApplicationState.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CRulerBar.h"
#include "app/CustomizeDialog.h"
#include "browser/CFolderTree.h"
#include "browser/CHistogramWnd.h"
#include "common/RecordingSettingsStore.h"
#include "common/TestEnvironment.h"
#include "document/CKorvelDoc.h"
#include "document/CKorvelView.h"
#include "framework/CDocTemplate.h"
#include "framework/CommandActions.h"
#include "framework/MessageBox.h"
#include "image/KxImage.h"
#include "krvmeasure/CKRMeasure.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

#include <cstring>

using namespace korvel::app;
using namespace korvel::res;
using korvel::document::CKorvelDoc;
using korvel::framework::CDocTemplate;
using korvel::test::RecordingSettingsStore;

namespace {

// Windows a test lists for the Capture command, with a grab that paints a known colour.
class FakeWindows : public WindowEnumerator {
public:
    std::vector<CaptureCandidate> topLevelWindows() const override { return windows; }
    QImage grab(quintptr, const QRect& area) const override {
        QImage image(area.size(), QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        grabbed.push_back(area);
        return image;
    }
    void setTopmost(quintptr, bool) const override {}
    std::vector<CaptureCandidate> windows;
    mutable std::vector<QRect> grabbed;
};

class MainFrameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        docTemplate = std::make_unique<CDocTemplate>(
            IDR_KORVEL_TYPE,
            QStringLiteral("\nKorvel\nKorvel\n\n\nKorvel.Document\nKorvel Document"),
            [this] { return std::make_unique<CKorvelDoc>(state.documents); },
            [] { return std::make_unique<CChildFrame>(); },
            [] { return std::make_unique<korvel::document::CKorvelView>(); });
        state.documents.docTemplate = docTemplate.get();
        frame = std::make_unique<CMainFrame>(state);
        ASSERT_TRUE(frame->create());
        docTemplate->setWorkspace(frame->workspace());
        auto fake = std::make_unique<FakeWindows>();
        windows = fake.get();
        frame->setWindowEnumerator(std::move(fake));
        frame->show();
    }
    void TearDown() override {
        frame.reset();
        docTemplate.reset();
    }

    CKorvelDoc* openStartPage() {
        auto* doc = qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile({}));
        doc->setStartPage(true);
        frame->applyViewKind(true);
        return doc;
    }

    QStringList titles() const {
        QStringList result;
        for (const auto* d : docTemplate->documents()) {
            result << d->GetTitle();
        }
        return result;
    }

    RecordingSettingsStore store;
    ApplicationState state{store};
    std::unique_ptr<CDocTemplate> docTemplate;
    std::unique_ptr<CMainFrame> frame;
    FakeWindows* windows = nullptr;
    QStringList messages;
    korvel::framework::ScopedMessageBoxInterceptor answer{[this](const QString& text, unsigned) {
        messages << text;
        return korvel::framework::IDOK;
    }};
};

}  // namespace

TEST_F(MainFrameFixture, CreatesTitledWindowWithBarsAndPanes) {
    EXPECT_EQ(frame->windowTitle(), "Korvel");
    EXPECT_FALSE(frame->menuBar()->actions().isEmpty());
    EXPECT_EQ(frame->standardToolBar()->windowTitle(), "Standard");
    EXPECT_EQ(frame->measureToolBar()->windowTitle(), "Measure");
    EXPECT_EQ(frame->imageToolBar()->windowTitle(), "Image");
    EXPECT_TRUE(frame->imageToolBar()->isHidden());
    // Measure shares the Standard toolbar's row, to its right.
    EXPECT_EQ(frame->toolBarArea(frame->measureToolBar()), Qt::TopToolBarArea);
    EXPECT_FALSE(frame->toolBarBreak(frame->measureToolBar()));
    EXPECT_EQ(frame->statusPane(5)->text(), "CAP");
    EXPECT_EQ(frame->statusPane(7)->text(), "SCRL");
    EXPECT_EQ(frame->folderPane()->windowTitle(), "Folder");
    EXPECT_EQ(frame->dockWidgetArea(frame->folderPane()), Qt::LeftDockWidgetArea);
}

TEST_F(MainFrameFixture, ZoomComboHasNineLevelsWithHundredPercentSelected) {
    QComboBox* zoom = frame->zoomCombo();
    ASSERT_NE(zoom, nullptr);
    ASSERT_EQ(zoom->count(), 9);
    EXPECT_EQ(zoom->itemText(0), " 25%");
    EXPECT_EQ(zoom->itemText(8), " 1600%");
    EXPECT_EQ(zoom->currentText(), " 100%");
    EXPECT_EQ(zoom->width(), 70);
}

TEST_F(MainFrameFixture, AcceleratorsIncludeTheKeypadKeys) {
    auto& actions = frame->commandActions();
    EXPECT_TRUE(actions.findAction(ID_EDIT_COPY)->shortcuts().contains(QKeySequence("Ctrl+C")));
    EXPECT_TRUE(actions.findAction(ID_EDIT_COPY)->shortcuts().contains(QKeySequence("Ctrl+Ins")));
    const QKeySequence keypadPlus(QKeyCombination(Qt::KeypadModifier, Qt::Key_Plus));
    EXPECT_TRUE(actions.findAction(ID_VIEW_ZOOM_IN)->shortcuts().contains(keypadPlus));
}

TEST_F(MainFrameFixture, NewHasNoHandlerAndStaysDisabled) {
    EXPECT_FALSE(frame->router().query(ID_FILE_NEW).enabled);
}

TEST_F(MainFrameFixture, PasteCapturePasteAreNumberedInTurn) {
    QApplication::clipboard()->setImage(QImage(8, 6, QImage::Format_RGB32));
    windows->windows = {{7, "Notes", QRect(10, 10, 200, 100), QSize(200, 100)}};
    frame->setCaptureChooser(
        [](const std::vector<CaptureCandidate>& list) { return list.size() > 1 ? 1 : -1; });
    frame->paste();
    frame->captureWindow();
    frame->paste();
    EXPECT_EQ(titles(),
              (QStringList{"Clipboard Image 1", "Captured Image 2", "Clipboard Image 3"}));
    ASSERT_EQ(windows->grabbed.size(), 1u);
    EXPECT_EQ(windows->grabbed[0], QRect(0, 0, 200, 100));
    EXPECT_TRUE(qobject_cast<CKorvelDoc*>(docTemplate->documents()[1])->hasPicture());
}

TEST_F(MainFrameFixture, PasteWithoutABitmapStillMakesAnEmptyDocument) {
    QApplication::clipboard()->setText("no picture here");
    EXPECT_FALSE(frame->router().query(ID_EDIT_PASTE).enabled);
    frame->paste();
    ASSERT_EQ(docTemplate->documents().size(), 1u);
    EXPECT_FALSE(qobject_cast<CKorvelDoc*>(docTemplate->documents()[0])->hasPicture());
}

TEST_F(MainFrameFixture, CancelledOrOffScreenCaptureMakesNoDocument) {
    windows->windows = {{7, "Far away", QRect(5000, 10, 200, 100), QSize(200, 100)}};
    frame->setCaptureChooser([](const auto&) { return -1; });
    frame->captureWindow();
    frame->setCaptureChooser([](const auto&) { return 1; });
    frame->captureWindow();
    EXPECT_TRUE(docTemplate->documents().empty());
    EXPECT_EQ(state.documents.imageCounter, 1);
}

TEST_F(MainFrameFixture, StartPageRefusesToCloseUntilTheClosingFlagIsSet) {
    CKorvelDoc* startPage = openStartPage();
    QMdiSubWindow* child = frame->workspace()->subWindowList().front();
    EXPECT_FALSE(child->close());
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("Start Page\uFF0CCannot close!")});
    EXPECT_EQ(docTemplate->documents().front(), startPage);

    state.documents.closing = true;
    EXPECT_TRUE(child->close());
}

TEST_F(MainFrameFixture, StandardToolbarFollowsTheKindOfView) {
    openStartPage();
    const auto visible = [this](int control) {
        return frame->standardControl(control)->isVisible();
    };
    EXPECT_FALSE(visible(CMainFrame::kNew));
    for (int i = CMainFrame::kSaveAs; i <= CMainFrame::kZoomList; ++i) {
        EXPECT_FALSE(visible(i)) << i;
    }
    EXPECT_TRUE(visible(CMainFrame::kLongExposure));
    EXPECT_TRUE(visible(CMainFrame::kImageDelete));
    EXPECT_TRUE(visible(CMainFrame::kOpen));
    EXPECT_TRUE(visible(CMainFrame::kHelp));
    EXPECT_TRUE(frame->folderPane()->isVisible());
    EXPECT_FALSE(frame->statusBar()->isVisible());

    // A second document is an image view.
    docTemplate->OpenDocumentFile({});
    EXPECT_FALSE(visible(CMainFrame::kNew));
    for (int i = CMainFrame::kSaveAs; i <= CMainFrame::kZoomList; ++i) {
        EXPECT_TRUE(visible(i)) << i;
    }
    EXPECT_FALSE(visible(CMainFrame::kLongExposure));
    EXPECT_FALSE(visible(CMainFrame::kImageDelete));
    EXPECT_FALSE(frame->folderPane()->isVisible());
    EXPECT_TRUE(frame->statusBar()->isVisible());
}

TEST_F(MainFrameFixture, LongExposureTogglesOnlyWithoutACameraWindow) {
    auto& router = frame->router();
    EXPECT_FALSE(*router.query(ID_VIEW_LONG_EXPOSURE).checked);
    router.dispatch(ID_VIEW_LONG_EXPOSURE);
    EXPECT_TRUE(frame->longExposureMode());
    EXPECT_TRUE(*router.query(ID_VIEW_LONG_EXPOSURE).checked);

    QWidget camera;
    frame->setCameraWindow(&camera);
    router.dispatch(ID_VIEW_LONG_EXPOSURE);
    EXPECT_TRUE(frame->longExposureMode());
}

TEST_F(MainFrameFixture, FullScreenHidesAndRestoresTheBars) {
    frame->toggleFullScreen();
    EXPECT_TRUE(frame->isFullScreenMode());
    EXPECT_TRUE(*frame->router().query(ID_VIEW_FULLSCREEN).checked);
    EXPECT_FALSE(frame->standardToolBar()->isVisible());
    EXPECT_FALSE(frame->measureToolBar()->isVisible());
    EXPECT_FALSE(frame->statusBar()->isVisible());
    frame->toggleFullScreen();
    EXPECT_FALSE(frame->isFullScreenMode());
    EXPECT_TRUE(frame->standardToolBar()->isVisible());
    EXPECT_TRUE(frame->measureToolBar()->isVisible());
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->toolBarBreak(frame->measureToolBar()));
}

TEST_F(MainFrameFixture, LookSetsAreDistinguishable) {
    frame->applyLookSet(CMainFrame::LookSet::XP);
    const QColor xpWindow = QApplication::palette().color(QPalette::Window);
    EXPECT_TRUE(*frame->router().query(ID_VIEW_MENU_STYLE_XP).checked);
    frame->applyLookSet(CMainFrame::LookSet::Default);
    EXPECT_NE(QApplication::palette().color(QPalette::Window), xpWindow);
    EXPECT_EQ(frame->workspace()->tabShape(), QTabWidget::Rounded);
}

TEST_F(MainFrameFixture, FileSavedAndCameraMessages) {
    QStringList saved;
    QObject::connect(frame.get(), &CMainFrame::fileSaved, [&](const QString& p) { saved << p; });
    EXPECT_EQ(frame->onMessage({MSG_FILE_SAVED, 0, 0, {}}), 1);
    EXPECT_EQ(frame->onMessage({MSG_FILE_SAVED, 0, 0, "/pics/a.jpg"}), 0);
    EXPECT_EQ(saved, QStringList{"/pics/a.jpg"});

    QWidget camera;
    camera.show();
    frame->setCameraWindow(&camera);
    frame->onMessage({MSG_CAMERA_REMOVED, std::uintptr_t(-1), 0, {}});
    EXPECT_TRUE(camera.isVisible());
    frame->onMessage({MSG_CAMERA_REMOVED, 13, 0, {}});
    EXPECT_FALSE(camera.isVisible());
}

TEST_F(MainFrameFixture, OpenCameraWithoutACameraSaysSo) {
    frame->onMessage({MSG_OPEN_CAMERA, 0, 0, {}});
    EXPECT_EQ(messages, QStringList{"No Camera!"});
}

TEST_F(MainFrameFixture, CloseWritesSettingsInOrderAndLetsTheStartPageGo) {
    openStartPage();
    store.writes.clear();
    EXPECT_TRUE(frame->close());
    const QStringList expectedOrder = {
        "Screen/maximized",       "Screen/left",       "Screen/top",
        "Screen/right",           "Screen/bottom",     "TextTool/lfFaceName",
        "TextTool/lfCharSet",     "TextTool/lfWeight", "TextTool/lfItalic",
        "TextTool/lfUnderline",   "TextTool/fcolor",   "TextTool/bcolor",
        "TextTool/opacity",       "TextTool/r_radius", "Options/JpegQuality",
        "Measure/bShowScaleLine", "FileSave/sPath",    "CommandBars/State",
        "NormalLayout/State",
    };
    EXPECT_EQ(store.writes, expectedOrder);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(state.documents.closing);
}

TEST_F(MainFrameFixture, ToolbarCustomisationSurvivesARestart) {
    {
        CustomizeDialog dialog(
            frame->commandActions(),
            {frame->standardToolBar(), frame->measureToolBar(), frame->imageToolBar()});
        EXPECT_EQ(dialog.categories().front(), "File");
        EXPECT_EQ(dialog.categories().mid(dialog.categories().size() - 3),
                  (QStringList{"All Commands", "Built-in Menus", "New Menu"}));
        dialog.selectToolBar(0);
        dialog.toolBarList()->setCurrentRow(-1);
        dialog.addCommand(ID_VIEW_FULLSCREEN);
    }
    EXPECT_EQ(korvel::framework::CommandActions::toolBarCommands(frame->standardToolBar()).last(),
              ID_VIEW_FULLSCREEN);
    frame->close();

    CMainFrame second(state);
    ASSERT_TRUE(second.create());
    EXPECT_EQ(korvel::framework::CommandActions::toolBarCommands(second.standardToolBar()).last(),
              ID_VIEW_FULLSCREEN);
}

TEST_F(MainFrameFixture, FirstStartOpensAtThreeQuartersOfTheScreenCentred) {
    const QRect available = frame->screen()->availableGeometry();
    const QRect placed = frame->geometry();
    EXPECT_NEAR(placed.width(), available.width() * 3 / 4, 1);
    EXPECT_NEAR(placed.height(), available.height() * 3 / 4, 1);
    EXPECT_NEAR(placed.center().x(), available.center().x(), 1);
    EXPECT_NEAR(placed.center().y(), available.center().y(), 1);
}

TEST_F(MainFrameFixture, TheRectangleCloseStoresIsTheOneTheNextStartRestores) {
    frame->setGeometry(QRect(60, 50, 640, 480));
    const QRect before = frame->geometry();
    ASSERT_TRUE(frame->close());

    CMainFrame second(state);
    ASSERT_TRUE(second.create());
    second.show();
    EXPECT_EQ(second.geometry(), before);
}

TEST_F(MainFrameFixture, CloseWritesTheSettingsAsTheyAreThenNotAsTheyWereAtStartUp) {
    // The documents change these while the program runs.
    state.documents.jpegQuality = 55;
    state.documents.showScaleLine = 0;
    std::strcpy(state.documents.textInfo.lfont.lfFaceName, "DejaVu Serif");
    state.documents.textInfo.b_round = 12;
    state.savePath = QStringLiteral("/srv/pictures/");
    ASSERT_TRUE(frame->close());
    EXPECT_EQ(store.values["Options/JpegQuality"].toInt(), 55);
    EXPECT_EQ(store.values["Measure/bShowScaleLine"].toInt(), 0);
    EXPECT_EQ(store.values["TextTool/lfFaceName"].toString(), "DejaVu Serif");
    EXPECT_EQ(store.values["TextTool/r_radius"].toInt(), 12);
    EXPECT_EQ(store.values["FileSave/sPath"].toString(), "/srv/pictures/");
}

TEST(ApplicationStateTest, SettingsAreReadIntoTheStateTheDocumentsUse) {
    RecordingSettingsStore store;
    store.values["Options/JpegQuality"] = 70;
    store.values["Measure/bShowScaleLine"] = 0;
    store.values["TextTool/lfFaceName"] = "Liberation Sans";
    store.values["Screen/maximized"] = 1;
    ApplicationState state(store);
    EXPECT_EQ(state.documents.jpegQuality, 90);  // defaults before the store is read
    EXPECT_STREQ(state.documents.textInfo.lfont.lfFaceName, "Arial");
    state.loadSettings(QStringLiteral("/home/u/Pictures/"));
    EXPECT_EQ(state.documents.jpegQuality, 70);
    EXPECT_EQ(state.documents.showScaleLine, 0);
    EXPECT_STREQ(state.documents.textInfo.lfont.lfFaceName, "Liberation Sans");
    EXPECT_EQ(state.maximized, 1);
    EXPECT_EQ(state.savePath, "/home/u/Pictures/");
    state.documents.jpegQuality = 20;
    EXPECT_EQ(state.settings().jpegQuality, 20);
}

TEST_F(MainFrameFixture, TheFrameStartsInTheDefaultLook) {
    // Whatever the desktop's colours were, a new frame shows the Default look.
    QPalette desktop = QApplication::palette();
    desktop.setColor(QPalette::Window, QColor(0x20, 0x40, 0x60));
    desktop.setColor(QPalette::Button, QColor(0x60, 0x20, 0x40));
    QApplication::setPalette(desktop);
    frame->workspace()->setTabShape(QTabWidget::Triangular);

    CMainFrame fresh(state);
    ASSERT_TRUE(fresh.create());
    EXPECT_EQ(fresh.lookSet(), CMainFrame::LookSet::Default);
    const QPalette atStart = QApplication::palette();
    const QTabWidget::TabShape shapeAtStart = fresh.workspace()->tabShape();

    fresh.applyLookSet(CMainFrame::LookSet::XP);
    fresh.applyLookSet(CMainFrame::LookSet::Default);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), atStart.color(QPalette::Window));
    EXPECT_EQ(QApplication::palette().color(QPalette::Button), atStart.color(QPalette::Button));
    EXPECT_EQ(fresh.workspace()->tabShape(), shapeAtStart);
}

TEST_F(MainFrameFixture, TheCameraWindowClosesBeforeSleepAndWhenTheMachineWakesUp) {
    QWidget camera;
    frame->setCameraWindow(&camera);
    const auto sleepNotice = [this](bool start) {
        // logind's PrepareForSleep reaches the frame through its meta-object.
        return QMetaObject::invokeMethod(frame.get(), "onPrepareForSleep", Q_ARG(bool, start));
    };

    camera.show();
    ASSERT_TRUE(sleepNotice(true));
    EXPECT_FALSE(camera.isVisible());

    camera.show();
    ASSERT_TRUE(sleepNotice(false));  // the automatic resume after it
    EXPECT_FALSE(camera.isVisible());

    for (int event : {CMainFrame::kPowerQuerySuspend, CMainFrame::kPowerSuspend,
                      CMainFrame::kPowerResumeAutomatic}) {
        camera.show();
        frame->onPowerBroadcast(event);
        EXPECT_FALSE(camera.isVisible()) << event;
    }
    // Other power events, such as a change of power source (10), leave the camera alone.
    camera.show();
    frame->onPowerBroadcast(10);
    EXPECT_TRUE(camera.isVisible());
}

using korvel::test::menuTitles;

TEST(MainFrameActivation, DocumentsOpenedBeforeTheFrameShowsGiveTheDocumentMenu) {
    // As at start-up: the first document is made while the main window is still hidden.
    RecordingSettingsStore store;
    ApplicationState state{store};
    CDocTemplate docTemplate(
        IDR_KORVEL_TYPE, QStringLiteral("\nKorvel\nKorvel\n\n\nKorvel.Document\nKorvel Document"),
        [&state] { return std::make_unique<CKorvelDoc>(state.documents); },
        [] { return std::make_unique<CChildFrame>(); },
        [] { return std::make_unique<korvel::document::CKorvelView>(); });
    state.documents.docTemplate = &docTemplate;
    CMainFrame frame(state);
    ASSERT_TRUE(frame.create());
    docTemplate.setWorkspace(frame.workspace());
    korvel::framework::CDocument* first = docTemplate.OpenDocumentFile({});
    frame.show();
    QApplication::processEvents();
    EXPECT_EQ(frame.GetActiveDocument(), first);
    EXPECT_TRUE(menuTitles(&frame).contains("Image")) << menuTitles(&frame).join(' ').toStdString();
    EXPECT_EQ(frame.windowTitle(), "Korvel - Korvel1");

    // Another window takes the focus (a dialog, the camera window): the document stays
    // active and its menu stays.
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(frame.GetActiveDocument(), first);
    EXPECT_TRUE(menuTitles(&frame).contains("Image"));
    frame.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(frame.GetActiveDocument(), first);
    EXPECT_TRUE(menuTitles(&frame).contains("Image"));
    state.documents.closing = true;
    docTemplate.CloseAllDocuments();
}

TEST_F(MainFrameFixture, TheMenuFollowsTheTabThatIsActivated) {
    openStartPage();
    auto* second = docTemplate->OpenDocumentFile({});
    EXPECT_TRUE(menuTitles(frame.get()).contains("Image"));
    EXPECT_EQ(frame->GetActiveDocument(), second);

    // Clicking the first tab activates the Start Page's frame.
    auto* tabs = frame->workspace()->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 2);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QApplication::processEvents();
    EXPECT_EQ(frame->GetActiveDocument(), docTemplate->documents().front());
    EXPECT_TRUE(menuTitles(frame.get()).contains("Image"));
    EXPECT_TRUE(frame->folderPane()->isVisible());  // the Start Page's view kind

    // With every document closed, the frame's own menu comes back.
    state.documents.closing = true;
    docTemplate->CloseAllDocuments();
    QApplication::processEvents();
    EXPECT_EQ(frame->GetActiveDocument(), nullptr);
    EXPECT_FALSE(menuTitles(frame.get()).contains("Image"));
    EXPECT_EQ(frame->windowTitle(), "Korvel");
}

TEST_F(MainFrameFixture, RulerTicksOfColumnAndRowZeroMeetThePictureCorner) {
    openStartPage();
    const QString path =
        QString::fromStdString(korvel::test::testDataDir() + "/pngsuite/png/basn2c08.png");
    auto* doc = qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile(path));
    ASSERT_NE(doc, nullptr);
    auto* view = qobject_cast<korvel::document::CKorvelView*>(doc->views().front());
    auto* child = qobject_cast<CChildFrame*>(view->GetParentFrame());
    ASSERT_NE(child, nullptr);
    frame->resize(900, 700);

    for (const float zoom : {1.0f, 4.0f}) {
        doc->zoom = zoom;
        doc->UpdateAllViews(nullptr, HINT_FULL_REFRESH);
        QApplication::processEvents();
        CRulerBar* horizontal = child->horizontalRuler();
        CRulerBar* vertical = child->verticalRuler();
        ASSERT_TRUE(horizontal->isVisible());
        ASSERT_TRUE(vertical->isVisible());

        // The picture's top-left corner and the first ticks, all in the child frame.
        const QPoint scroll(view->horizontalScrollBar()->value(),
                            view->verticalScrollBar()->value());
        const QRect shown = view->imageRect().translated(-scroll);
        const QPoint corner = view->viewport()->mapTo(child, shown.topLeft());
        const RulerLayout across = layoutRuler(horizontal->layoutInput());
        const RulerLayout down = layoutRuler(vertical->layoutInput());
        ASSERT_FALSE(across.ticks.empty());
        ASSERT_FALSE(down.ticks.empty());
        EXPECT_EQ(horizontal->mapTo(child, QPoint(across.ticks[0].position, 0)).x(), corner.x())
            << zoom;
        EXPECT_EQ(vertical->mapTo(child, QPoint(0, down.ticks[0].position)).y(), corner.y())
            << zoom;
        // Column 5 is the next tick.
        EXPECT_EQ(across.ticks[1].position - across.ticks[0].position, int(5 * zoom));

        // What is painted: a tick line in the column of the picture's left edge, none
        // in the column before it.
        const QImage ruler = horizontal->grab().toImage();
        const int x = across.ticks[0].position;
        const int y = horizontal->height() - 3;
        const QColor background = CRulerBar::kBackground;
        EXPECT_NE(ruler.pixelColor(x, y), background) << zoom;
        EXPECT_EQ(ruler.pixelColor(x - 1, y), background) << zoom;

        // The cursor marker over picture column 0 sits on that tick too.
        child->updateRulers(CRulerBar::UpdateCursor, 0, 0, shown.topLeft(), view->imageRect(),
                            zoom);
        EXPECT_EQ(horizontal->markerPosition(), across.ticks[0].position);
        EXPECT_EQ(vertical->markerPosition(), down.ticks[0].position);
    }
}

TEST_F(MainFrameFixture, HistogramMakesOneWindowThatEachRunShowsAndRaises) {
    auto& router = frame->router();
    openStartPage();
    auto* picture = qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile(
        QString::fromStdString(korvel::test::testDataDir() + "/pngsuite/png/basn2c08.png")));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(frame->histogramWindow(), nullptr);
    EXPECT_FALSE(*router.query(ID_VIEW_HISTOGRAM).checked);

    router.dispatch(ID_VIEW_HISTOGRAM);
    korvel::browser::CHistogramWnd* window = frame->histogramWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), frame.get());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(*router.query(ID_VIEW_HISTOGRAM).checked);
    // The first paint counts the active picture.
    window->grab();
    EXPECT_GT(picture->histogramMaximum, 0);

    // A second run is no toggle: the same window stays shown and checked.
    router.dispatch(ID_VIEW_HISTOGRAM);
    EXPECT_EQ(frame->histogramWindow(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(*router.query(ID_VIEW_HISTOGRAM).checked);

    // Closed by the user it loses the check mark; the next run brings the same one back.
    window->close();
    EXPECT_FALSE(*router.query(ID_VIEW_HISTOGRAM).checked);
    router.dispatch(ID_VIEW_HISTOGRAM);
    EXPECT_EQ(frame->histogramWindow(), window);
    EXPECT_TRUE(window->isVisible());

    // The frame deletes it when it closes.
    ASSERT_TRUE(frame->close());
    EXPECT_EQ(frame->histogramWindow(), nullptr);
}

TEST_F(MainFrameFixture, TheFolderPaneHoldsTheFolderTree) {
    ASSERT_NE(frame->folderTree(), nullptr);
    EXPECT_EQ(frame->folderPane()->widget(), frame->folderTree());
}

TEST_F(MainFrameFixture, TheCalibrationListMenusListTheActivePicturesCalibrations) {
    QFile::remove(krvmeasure::defaultCalibrationPath());
    openStartPage();
    auto* doc = qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile({}));
    doc->setImage(std::make_unique<KxImage>(40, 30, 24, KXIMAGE_FORMAT_UNKNOWN));
    QApplication::processEvents();
    ASSERT_EQ(frame->GetActiveDocument(), doc);
    QAction* placeholder = frame->commandActions().action(ID_MEASURE_CALIBRATE_LIST);
    // The Measure menu's "Calibration List" and the Calibrate Table button's drop-down.
    std::vector<QMenu*> lists;
    for (QMenu* menu : frame->findChildren<QMenu*>()) {
        if (menu->actions().contains(placeholder)) {
            lists.push_back(menu);
        }
    }
    ASSERT_EQ(lists.size(), 2u);
    const auto opened = [](QMenu* menu) {
        emit menu->aboutToShow();
        QStringList shown;
        for (QAction* a : menu->actions()) {
            if (a->isVisible()) {
                shown << a->text();
            }
        }
        return shown;
    };
    for (QMenu* menu : lists) {
        EXPECT_TRUE(opened(menu).isEmpty());
    }
    // Seven calibrations: six have entries, each choosing its own.
    std::vector<krvmeasure::Calibration> seven;
    for (int i = 1; i <= 7; ++i) {
        seven.push_back({QStringLiteral("x%1").arg(i), double(i), krvmeasure::Unit::Micrometre});
    }
    ASSERT_TRUE(krvmeasure::CalibrationStore().save({seven, {}, 2}));
    for (QMenu* menu : lists) {
        EXPECT_EQ(opened(menu), (QStringList{"x1", "x2", "x3", "x4", "x5", "x6"}));
    }
    QAction* fourth = frame->commandActions().action(ID_MEASURE_CALIBRATION_FIRST + 3);
    EXPECT_TRUE(fourth->isEnabled());
    fourth->trigger();
    EXPECT_EQ(doc->measurement.measure()->ActiveCalibration().name, QStringLiteral("x4"));
}
