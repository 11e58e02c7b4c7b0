#include "app/CKorvelApp.h"

#include "app/AboutDialog.h"
#include "app/ApplicationState.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/HelpDocument.h"
#include "app/SplashWindow.h"
#include "app/StartPageBrowser.h"
#include "document/CKorvelDoc.h"
#include "document/CKorvelView.h"
#include "framework/CDocTemplate.h"
#include "framework/CDocument.h"
#include "framework/Message.h"
#include "framework/MessageBox.h"
#include "image/qt/KxMetafileRenderer.h"
#include "krvmeasure/CKRMeasure.h"
#include "platform/Paths.h"
#include "platform/ProfileSettings.h"
#include "platform/SingleInstanceLock.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QComboBox>
#include <QCommandLineParser>
#include <QPageSetupDialog>
#include <QPrinter>

namespace korvel::app {

using namespace korvel::res;

CKorvelApp::CKorvelApp(int& argc, char** argv) : QApplication(argc, argv) {
    // The name doubles as the message boxes' title. No display name is set: the X11
    // platform would append it to every window title ("Korvel - a.png — Korvel").
    setApplicationName(loadString(IDS_MAINFRAME_TITLE));
    setApplicationVersion(QStringLiteral("7.1.1.2"));
    setOrganizationName(QString::fromLatin1(platform::kCompanyKey));
    registerCommands();
    // WMF and EMF pictures are rendered by the display side of the image library.
    KxMetafileRenderer::Install();
}

CKorvelApp::~CKorvelApp() {
    if (state_ && settings_) {
        state_->recentFiles.save(*settings_);
    }
    // Windows go before the documents they show, documents before the template.
    splash_.reset();
    mainFrame_.reset();
    docTemplate_.reset();
}

CKorvelApp* CKorvelApp::instance() {
    return qobject_cast<CKorvelApp*>(QCoreApplication::instance());
}

void CKorvelApp::registerCommands() {
    onCommand(ID_FILE_OPEN, [this](int) { onFileOpen(); });
    onCommand(ID_FILE_PRINT_SETUP, [this](int) {
        QPrinter printer;
        QPageSetupDialog dialog(&printer, mainFrame_.get());
        dialog.exec();
    });
    onCommand(ID_APP_ABOUT, [this](int) {
        AboutDialog about(mainFrame_.get());
        about.exec();
    });
    onCommand(ID_HELP_DOCUMENT, [this](int) { onHelp(); });
    onCommand(ID_APP_EXIT, [this](int) {
        if (mainFrame_) {
            mainFrame_->close();
        }
    });
    // New (57600) has no handler here, so its button and Ctrl+N stay disabled.
}

bool CKorvelApp::PromptForImageFile(QString& path, document::FileDialogMode mode, int* formatId) {
    return document::promptForImageFile(path, mode, formatId, fileDialogRunner_, mainFrame_.get());
}

void CKorvelApp::onFileOpen() {
    QString path;
    int format = document::kFormatAllSupported;
    if (PromptForImageFile(path, document::FileDialogMode::Open, &format)) {
        docTemplate_->OpenDocumentFile(path);
    }
}

void CKorvelApp::onHelp() {
    // A missing help document is not reported.
    openHelpDocument(loadString(IDS_HELP_DOCUMENT));
}

bool CKorvelApp::eventFilter(QObject* watched, QEvent* event) {
    if (splash_ && splash_->isVisible()) {
        splash_->filterInput(event);
    }
    return QApplication::eventFilter(watched, event);
}

bool CKorvelApp::InitInstance() {
    // --help and --version answer before anything else happens.
    QCommandLineParser parser;
    parser.setApplicationDescription(commandLineDescription());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), fileArgumentDescription(),
                                 QStringLiteral("[file]"));
    if (!parser.parse(arguments())) {
        qWarning("%s", qPrintable(parser.errorText()));
        exitCode_ = 2;
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(0);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    const QString fileArgument = parser.positionalArguments().value(0);

    // 1. One instance per user; the first one is left alone.
    instanceLock_ = std::make_unique<platform::SingleInstanceLock>(QStringLiteral("Brenic"));
    if (!instanceLock_->tryAcquire()) {
        framework::AfxMessageBox(loadString(IDS_ALREADY_RUNNING));
        exitCode_ = 1;
        return false;
    }

    // 3, 4. The settings store and the default save folder.
    settings_ = std::make_unique<platform::ProfileSettings>(loadString(IDS_APP_TITLE));
    // The text tool, JPEG, window and scale-line settings are read here too (step 8).
    state_ = std::make_unique<ApplicationState>(*settings_);
    state_->loadSettings(platform::defaultSaveFolder());

    // 5. The document template.
    document::DocumentContext& documents = state_->documents;
    docTemplate_ = std::make_unique<framework::CDocTemplate>(
        IDR_KORVEL_TYPE, loadString(IDS_DOC_TEMPLATE),
        [&documents] { return std::make_unique<document::CKorvelDoc>(documents); },
        [] { return std::make_unique<CChildFrame>(); },
        [] { return std::make_unique<document::CKorvelView>(); });
    documents.docTemplate = docTemplate_.get();
    state_->recentFiles.load(*settings_);
    connect(docTemplate_.get(), &framework::CDocTemplate::documentOpened, this,
            [this](framework::CDocument* document) {
                state_->recentFiles.add(document->GetPathName());
            });

    // 6. The main frame, with the splash while it is built.
    mainFrame_ = std::make_unique<CMainFrame>(*state_);
    splash_ = std::make_unique<SplashWindow>(mainFrame_.get());
    splash_->show();
    installEventFilter(this);
    if (!mainFrame_->create()) {
        exitCode_ = 1;
        return false;
    }
    docTemplate_->setWorkspace(mainFrame_->workspace());
    documents.setStatusPane = [frame = mainFrame_.get()](int index, const QString& text) {
        frame->setStatusPaneText(index, text);
    };
    documents.zoomBoxText = [frame = mainFrame_.get()] {
        return frame->zoomCombo() ? frame->zoomCombo()->currentText() : QString();
    };
    documents.setZoomBoxText = [frame = mainFrame_.get()](const QString& text) {
        if (frame->zoomCombo()) {
            frame->zoomCombo()->setEditText(text);
        }
    };
    documents.fileDialog = fileDialogRunner_;
    documents.magnifier = [frame = mainFrame_.get()](bool create) {
        return frame->magnifier(create);
    };
    documents.showPictureMenu = [frame = mainFrame_.get()](QPoint at) {
        frame->showPictureMenu(at);
    };
    documents.escapePressed = [frame = mainFrame_.get()] {
        if (frame->isFullScreenMode()) {
            QMetaObject::invokeMethod(
                frame, [frame] { frame->router().dispatch(ID_VIEW_FULLSCREEN); },
                Qt::QueuedConnection);
        }
    };

    // 7. The first document becomes the Start Page, whose view holds the image browser.
    // It is always a new, empty one: a picture named on the command line opens after it,
    // in a view of its own, so that the browser does not cover it. A file that cannot be
    // opened has shown its error and the program starts with the Start Page alone.
    auto* startPage = qobject_cast<document::CKorvelDoc*>(docTemplate_->OpenDocumentFile({}));
    if (!startPage) {
        exitCode_ = 1;
        return false;
    }
    startPage->setStartPage(true);
    if (!startPage->views().empty()) {
        installThumbnailList(*startPage->views().front(), *state_, *mainFrame_);
    }
    mainFrame_->applyViewKind(true);
    if (!fileArgument.isEmpty()) {
        docTemplate_->OpenDocumentFile(fileArgument);
    }

    // 9. Show, maximised when the last session ended so.
    if (state_->maximized != 0) {
        mainFrame_->showMaximized();
    } else {
        mainFrame_->show();
    }

    // 11. The measurement library's cursors, once per run.
    CKRMeasure::CreateCursor();

    // 12. Ask the main frame to open the camera once the event loop runs.
    framework::postMessage(mainFrame_.get(), {static_cast<unsigned>(MSG_OPEN_CAMERA), 0, 0, {}});
    return true;
}

}  // namespace korvel::app
