#include "app/CKorvelApp.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "document/CKorvelDoc.h"
#include "document/CKorvelView.h"
#include "framework/CDocTemplate.h"
#include "platform/ProfileSettings.h"
#include "platform/SingleInstanceLock.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QMessageBox>

namespace korvel::app {

using namespace korvel::res;

CKorvelApp::CKorvelApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(loadString(IDS_APP_TITLE));
    setOrganizationName(QString::fromLatin1(platform::kCompanyKey));
}

CKorvelApp::~CKorvelApp() {
    // Windows go before the documents they show, documents before the template.
    mainFrame_.reset();
    docTemplate_.reset();
}

CKorvelApp* CKorvelApp::instance() {
    return qobject_cast<CKorvelApp*>(QCoreApplication::instance());
}

bool CKorvelApp::InitInstance() {
    instanceLock_ = std::make_unique<platform::SingleInstanceLock>(QStringLiteral("Brenic"));
    if (!instanceLock_->tryAcquire()) {
        QMessageBox::warning(nullptr, loadString(IDS_MAINFRAME_TITLE),
                             loadString(IDS_ALREADY_RUNNING));
        return false;
    }

    settings_ = std::make_unique<platform::ProfileSettings>(loadString(IDS_APP_TITLE));

    docTemplate_ = std::make_unique<framework::CDocTemplate>(
        IDR_KORVEL_TYPE, loadString(IDS_DOC_TEMPLATE),
        [] { return std::make_unique<document::CKorvelDoc>(); },
        [] { return std::make_unique<CChildFrame>(); },
        [] { return std::make_unique<document::CKorvelView>(); });

    mainFrame_ = std::make_unique<CMainFrame>();
    if (!mainFrame_->create()) {
        return false;
    }
    docTemplate_->setWorkspace(mainFrame_->workspace());

    auto* first = qobject_cast<document::CKorvelDoc*>(docTemplate_->OpenDocumentFile({}));
    if (!first) {
        return false;
    }
    first->setStartPage(true);

    mainFrame_->show();
    return true;
}

}  // namespace korvel::app
