// Start-up of the program's own application object, one test per process.

#include "DesktopOpener.h"
#include "MenuTitles.h"
#include "VideoTestSupport.h"
#include "app/ApplicationState.h"
#include "app/CKorvelApp.h"
#include "app/CMainFrame.h"
#include "browser/CFolderTree.h"
#include "browser/CHistogramWnd.h"
#include "browser/CThumbnailList.h"
#include "common/TestEnvironment.h"
#include "document/CKorvelDoc.h"
#include "framework/CDocTemplate.h"
#include "framework/CView.h"
#include "framework/MessageBox.h"
#include "platform/Paths.h"
#include "platform/ProfileSettings.h"
#include "platform/SingleInstanceLock.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QMdiArea>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

#include <functional>

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
    EXPECT_EQ(app.state().settings().jpegQuality, 90);
    EXPECT_EQ(app.state().settings().text.faceName, "Arial");
    EXPECT_TRUE(app.state().savePath.endsWith("/Pictures/"));

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

using korvel::test::menuTitles;

TEST_F(Startup, ThePictureFromTheCommandLineShowsTheDocumentMenu) {
    const QString picture = QDir::current().absoluteFilePath(QStringLiteral("picture.png"));
    ASSERT_TRUE(QFile::copy(
        QString::fromStdString(test::testDataDir() + "/pngsuite/png/basn2c08.png"), picture));
    QByteArray pictureArgument = picture.toLocal8Bit();
    int argc = 2;
    char* argv[] = {gName, pictureArgument.data(), nullptr};
    app::CKorvelApp app(argc, argv);
    ASSERT_TRUE(app.InitInstance());
    QCoreApplication::processEvents();  // the posted open-camera message: "No Camera!"
    app::CMainFrame* frame = app.mainFrame();
    // The Start Page comes first and stays empty behind its browser; the picture opens
    // after it, in a view of its own, and is the active document.
    ASSERT_EQ(app.docTemplate()->documents().size(), 2u);
    auto* startPage = qobject_cast<document::CKorvelDoc*>(app.docTemplate()->documents().front());
    ASSERT_NE(startPage, nullptr);
    EXPECT_TRUE(startPage->isStartPage());
    framework::CDocument* document = app.docTemplate()->documents().back();
    EXPECT_NE(qobject_cast<document::CKorvelDoc*>(document)->image(), nullptr);
    ASSERT_NE(frame->MDIGetActive(), nullptr);
    EXPECT_EQ(frame->GetActiveDocument(), document);
    // The document's own menu, with its image entries.
    EXPECT_TRUE(menuTitles(frame).contains("Image")) << menuTitles(frame).join(' ').toStdString();
    EXPECT_EQ(frame->windowTitle(), "Korvel - picture.png");
    QFile::remove(picture);
}

TEST_F(Startup, HelpNeverHandsTheDesktopARelativeUrl) {
    app::CKorvelApp app(gArgc, gArgv);
    DesktopOpener desktop;
    {
        // A help document in the current folder only: no program or installed copy.
        QFile here(QStringLiteral("Korvel.pdf"));
        ASSERT_TRUE(here.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(app.runCommand(res::ID_HELP_DOCUMENT));
    for (const QUrl& url : desktop.opened) {
        EXPECT_TRUE(url.isLocalFile()) << url.toString().toStdString();
        EXPECT_TRUE(QDir::isAbsolutePath(url.toLocalFile())) << url.toString().toStdString();
    }
    EXPECT_TRUE(messages.isEmpty());  // a missing document is not reported
    QFile::remove(QStringLiteral("Korvel.pdf"));
}

namespace {

// Runs the event loop until `done` holds; false when it never does.
bool waitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(20000);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QString copyPicture(const QString& folder, const QString& name) {
    const QString path = folder + name;
    EXPECT_TRUE(QFile::copy(
        QString::fromStdString(test::testDataDir() + "/pngsuite/png/basn2c08.png"), path));
    return path;
}

QStringList labels(const browser::CThumbnailList& list) {
    QStringList result;
    for (int i = 0; i < list.count(); ++i) {
        result << list.item(i)->text();
    }
    return result;
}

framework::Message fileSaved(const QString& path) {
    return {static_cast<unsigned>(res::MSG_FILE_SAVED), 0, 0, path};
}

}  // namespace

TEST_F(Startup, TheStartPageShowsTheSaveFolderBehindTheCameraTileAndTheTreeSelectsIt) {
    const QString pictures = platform::defaultSaveFolder();
    copyPicture(pictures, "a.png");
    copyPicture(pictures, "b.png");
    QFile(pictures + "notes.txt").open(QIODevice::WriteOnly);
    QDir(pictures).mkdir("sub");

    app::CKorvelApp app(gArgc, gArgv);
    ASSERT_TRUE(app.InitInstance());
    app::CMainFrame* frame = app.mainFrame();
    browser::CThumbnailList* list = app.state().thumbnails;
    ASSERT_NE(list, nullptr);
    // The list fills the Start Page's view.
    auto* startPage = qobject_cast<document::CKorvelDoc*>(app.docTemplate()->documents().front());
    ASSERT_TRUE(startPage->isStartPage());
    framework::CView* view = startPage->views().front();
    EXPECT_EQ(list->parentWidget(), view);
    EXPECT_EQ(list->geometry(), view->rect());
    EXPECT_TRUE(list->isVisible());

    EXPECT_EQ(list->currentFolder(), pictures);
    ASSERT_EQ(list->count(), 3) << labels(*list).join(' ').toStdString();
    EXPECT_EQ(list->item(0)->text(), "Video");
    EXPECT_TRUE(labels(*list).contains("a.png"));
    EXPECT_TRUE(labels(*list).contains("b.png"));

    // The tree follows the list to the save folder.
    browser::CFolderTree* tree = frame->folderTree();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->parentWidget(), frame->folderPane());
    EXPECT_EQ(tree->associatedList(), list);
    EXPECT_TRUE(waitUntil([&] { return tree->selectedFolderPath() == pictures.chopped(1); }))
        << tree->selectedFolderPath().toStdString();
    EXPECT_EQ(list->currentFolder(), pictures);
    EXPECT_EQ(messages, QStringList{"No Camera!"});

    // A file written into the folder comes first; an empty path is ignored.
    const QString snapshot = copyPicture(pictures, "KV0001.png");
    EXPECT_EQ(framework::sendMessage(frame, fileSaved(snapshot)), 0);
    EXPECT_EQ(list->item(1)->text(), "KV0001.png");
    EXPECT_EQ(framework::sendMessage(frame, fileSaved(QString())), 1);
    EXPECT_EQ(list->count(), 4);

    // The camera tile's label: the camera's name, "Video" again when it goes.
    emit frame->cameraTileLabelChanged(QStringLiteral("Sim Camera"));
    EXPECT_EQ(list->item(0)->text(), "Sim Camera");
    framework::sendMessage(frame, {static_cast<unsigned>(res::MSG_CAMERA_REMOVED), 14, 0, {}});
    EXPECT_EQ(list->item(0)->text(), "Video");
    EXPECT_EQ(list->count(), 4);
}

TEST_F(Startup, TheFolderTheBrowserShowsIsTheSaveFolderAndIsStoredAtClose) {
    const QString other = QDir::homePath() + "/elsewhere/";
    QDir().mkpath(other);
    copyPicture(other, "c.png");

    app::CKorvelApp app(gArgc, gArgv);
    ASSERT_TRUE(app.InitInstance());
    QCoreApplication::processEvents();
    browser::CThumbnailList* list = app.state().thumbnails;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(app.state().saveFolder(), platform::defaultSaveFolder());

    // A file saved into another folder takes the browser there: the next snapshots go
    // there too.
    framework::sendMessage(app.mainFrame(), fileSaved(other + "c.png"));
    EXPECT_EQ(list->currentFolder(), other);
    EXPECT_EQ(app.state().saveFolder(), other);
    EXPECT_EQ(list->item(1)->text(), "c.png");

    ASSERT_TRUE(app.mainFrame()->close());
    EXPECT_EQ(app.state().store.getProfileString("FileSave", "sPath", {}), other);
}

TEST_F(Startup, AVideoTileShowsItsSecondFrameOverStripesAndPicturesOpenWithAHistogram) {
    const QString pictures = platform::defaultSaveFolder();
    ASSERT_TRUE(test::writeTwoToneVideo(pictures + "clip.avi", 320, 240));
    const QString picture = copyPicture(pictures, "a.png");

    app::CKorvelApp app(gArgc, gArgv);
    ASSERT_TRUE(app.InitInstance());
    QCoreApplication::processEvents();
    browser::CThumbnailList* list = app.state().thumbnails;
    ASSERT_NE(list, nullptr);
    const int video = labels(*list).indexOf("clip.avi");
    const int still = labels(*list).indexOf("a.png");
    ASSERT_GT(video, 0);
    ASSERT_GT(still, 0);

    // 320 x 240 fills the tile's width, 150 high from y = 15: the stripes show above it.
    const auto tile = [&] { return list->thumbnails().slot(video); };
    ASSERT_TRUE(waitUntil([&] {
        return !tile().isNull() && tile().pixel(100, 40) == qRgb(255, 0, 0);
    })) << std::hex
        << (tile().isNull() ? 0u : tile().pixel(100, 40));
    EXPECT_EQ(tile().pixel(5, 7), qRgb(0x9B, 0x9B, 0x9B));  // a stripe
    EXPECT_EQ(tile().pixel(20, 7), qRgb(255, 255, 255));    // between stripes
    EXPECT_EQ(tile().pixel(100, 150), qRgb(0, 0, 255));     // the lower half, below
    // No file is left beside the video.
    EXPECT_EQ(QDir(pictures).entryList(QDir::Files).size(), 2);

    // A video does not open; a picture opens as a document of its own.
    list->openItem(video);
    EXPECT_EQ(app.docTemplate()->documents().size(), 1u);
    list->openItem(still);
    ASSERT_EQ(app.docTemplate()->documents().size(), 2u);
    auto* opened = qobject_cast<document::CKorvelDoc*>(app.docTemplate()->documents().back());
    EXPECT_EQ(opened->GetPathName(), picture);
    EXPECT_EQ(app.mainFrame()->GetActiveDocument(), opened);

    // Histogram: the window of the active picture, counted when it first paints.
    app::CMainFrame* frame = app.mainFrame();
    frame->router().dispatch(res::ID_VIEW_HISTOGRAM);
    browser::CHistogramWnd* histogram = frame->histogramWindow();
    ASSERT_NE(histogram, nullptr);
    EXPECT_TRUE(histogram->isVisible());
    EXPECT_TRUE(*frame->router().query(res::ID_VIEW_HISTOGRAM).checked);
    histogram->grab();
    EXPECT_GT(opened->histogramMaximum, 0);
}

TEST_F(Startup, ImageDeleteOnTheStartPageDeletesTheSelectedFiles) {
    const QString pictures = platform::defaultSaveFolder();
    const QString doomed = copyPicture(pictures, "a.png");
    copyPicture(pictures, "b.png");

    app::CKorvelApp app(gArgc, gArgv);
    ASSERT_TRUE(app.InitInstance());
    QCoreApplication::processEvents();
    browser::CThumbnailList* list = app.state().thumbnails;
    ASSERT_NE(list, nullptr);
    QStringList asked;
    list->setMessageBoxRunner([&](const QString& text, const QString&, unsigned) {
        asked << text;
        return framework::IDYES;
    });
    QStringList deleted;
    list->setFileDeleter([&](const QString& path) {
        deleted << path;
        return true;
    });
    list->item(labels(*list).indexOf("a.png"))->setSelected(true);
    ASSERT_TRUE(app.mainFrame()->router().query(res::ID_IMAGE_DELETE).enabled);
    app.mainFrame()->router().dispatch(res::ID_IMAGE_DELETE);
    EXPECT_EQ(asked, QStringList{"Do you want to delete the image?"});
    EXPECT_EQ(deleted, QStringList{doomed});
    EXPECT_EQ(labels(*list), (QStringList{"Video", "b.png"}));
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    korvel::test::TestEnvironment environment;
    return RUN_ALL_TESTS();
}
