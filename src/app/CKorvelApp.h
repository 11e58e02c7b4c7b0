#pragma once

// The application object: one per process. It refuses a second instance, opens the
// settings store, registers the document template, creates the main frame and starts
// the first document.

#include "framework/CommandTarget.h"

#include <QApplication>

#include <memory>

namespace korvel::platform {
class ProfileSettings;
class SingleInstanceLock;
}  // namespace korvel::platform

namespace korvel::framework {
class CDocTemplate;
}

namespace korvel::app {

class CMainFrame;

class CKorvelApp : public QApplication, public framework::CommandTarget {
    Q_OBJECT

public:
    CKorvelApp(int& argc, char** argv);
    ~CKorvelApp() override;

    // Runs the start-up steps; false ends the process.
    bool InitInstance();

    static CKorvelApp* instance();

    framework::CDocTemplate* docTemplate() const { return docTemplate_.get(); }
    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    platform::ProfileSettings& settings() const { return *settings_; }

private:
    std::unique_ptr<platform::SingleInstanceLock> instanceLock_;
    std::unique_ptr<platform::ProfileSettings> settings_;
    std::unique_ptr<framework::CDocTemplate> docTemplate_;
    std::unique_ptr<CMainFrame> mainFrame_;
};

}  // namespace korvel::app
