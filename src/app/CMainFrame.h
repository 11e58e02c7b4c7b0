#pragma once

// The main window: command bars, status bar, the Folder pane and the tabbed workspace.

#include "framework/CMDIFrameWnd.h"

#include <array>

class QDockWidget;
class QLabel;
class QToolBar;

namespace korvel::app {

class CMainFrame : public framework::CMDIFrameWnd {
    Q_OBJECT

public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the bars and panes; false when one of them cannot be made.
    bool create();

    QToolBar* standardToolBar() const { return standardBar_; }
    QToolBar* measureToolBar() const { return measureBar_; }
    QToolBar* imageToolBar() const { return imageBar_; }
    QDockWidget* folderPane() const { return folderPane_; }

    // Status bar panes 1 to 7 (pane 0 is the message area).
    QLabel* statusPane(int index) const;
    void setStatusPaneText(int index, const QString& text);

protected:
    void onChildActivated(framework::CMDIChildWnd* previous,
                          framework::CMDIChildWnd* current) override;

private:
    bool createStatusBar();
    bool createToolBars();
    void createFolderPane();
    void showMenu(int menuId);

    QToolBar* standardBar_ = nullptr;
    QToolBar* measureBar_ = nullptr;
    QToolBar* imageBar_ = nullptr;
    QDockWidget* folderPane_ = nullptr;
    std::array<QLabel*, 8> statusPanes_{};
    int shownMenu_ = 0;
};

}  // namespace korvel::app
