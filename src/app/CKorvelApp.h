#pragma once

// The application object: one per process. It refuses a second instance, opens the
// settings store, registers the document template, creates the main frame, starts the
// first document and asks the main frame to open the camera.

#include "document/ImageFileDialog.h"
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
class SplashWindow;
struct ApplicationState;

class CKorvelApp : public QApplication, public framework::CommandTarget {
    Q_OBJECT

public:
    CKorvelApp(int& argc, char** argv);
    ~CKorvelApp() override;

    // Runs the start-up steps; false ends the process (exit code in exitCode()).
    bool InitInstance();
    int exitCode() const { return exitCode_; }

    static CKorvelApp* instance();

    framework::CDocTemplate* docTemplate() const { return docTemplate_.get(); }
    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    ApplicationState& state() const { return *state_; }

    // The image file dialog with the format table; see promptForImageFile.
    bool PromptForImageFile(QString& path, document::FileDialogMode mode, int* formatId);
    // Tests answer the file dialog instead of a person.
    void setFileDialogRunner(document::ImageFileDialogRunner runner) {
        fileDialogRunner_ = std::move(runner);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void registerCommands();
    void onFileOpen();
    void onHelp();

    std::unique_ptr<platform::SingleInstanceLock> instanceLock_;
    std::unique_ptr<platform::ProfileSettings> settings_;
    std::unique_ptr<ApplicationState> state_;
    std::unique_ptr<framework::CDocTemplate> docTemplate_;
    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<SplashWindow> splash_;
    document::ImageFileDialogRunner fileDialogRunner_;
    int exitCode_ = 0;
};

}  // namespace korvel::app
