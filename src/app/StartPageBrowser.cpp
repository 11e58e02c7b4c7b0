#include "app/StartPageBrowser.h"

#include "app/ApplicationState.h"
#include "app/CMainFrame.h"
#include "app/VideoThumbnail.h"
#include "browser/CFolderTree.h"
#include "browser/CThumbnailList.h"
#include "framework/CDocTemplate.h"
#include "framework/CView.h"
#include "framework/Message.h"
#include "res/ids.h"

#include <QEvent>

namespace korvel::app {

namespace {

// Keeps a widget covering its parent: the list fills the Start Page's view whatever size
// the workspace gives the view. Owned by the widget it keeps in place.
class FillParent : public QObject {
public:
    explicit FillParent(QWidget* child) : QObject(child), child_(child) {
        child->parentWidget()->installEventFilter(this);
        child->setGeometry(child->parentWidget()->rect());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == child_->parentWidget()) {
            child_->setGeometry(child_->parentWidget()->rect());
        }
        return false;
    }

private:
    QWidget* child_;
};

}  // namespace

browser::CThumbnailList* installThumbnailList(framework::CView& view, ApplicationState& state,
                                              CMainFrame& frame) {
    auto* list = new browser::CThumbnailList(&view);  // owned by the view
    new FillParent(list);
    list->show();
    list->raise();
    // The view takes the focus when its tab is chosen; the keys belong to the list.
    view.setFocusProxy(list);

    list->setOpenCamera([&frame] {
        framework::sendMessage(&frame, {static_cast<unsigned>(res::MSG_OPEN_CAMERA), 0, 0, {}});
    });
    list->setOpenDocument([&state](const QString& path) {
        if (state.documents.docTemplate) {
            state.documents.docTemplate->OpenDocumentFile(path, true);
        }
    });
    list->setVideoFrameReader(&readVideoThumbnailFrame);

    // The stored folder goes to the list, which owns the default save folder from now on.
    list->setCurrentFolder(state.savePath);
    list->setUp();
    list->rebuild();
    state.thumbnails = list;

    if (browser::CFolderTree* tree = frame.folderTree()) {
        list->setAssociatedTree(tree);
        tree->setAssociatedList(list);
    }

    QObject::connect(&frame, &CMainFrame::fileSaved, list,
                     &browser::CThumbnailList::addOrRefreshFile);
    QObject::connect(&frame, &CMainFrame::cameraTileLabelChanged, list,
                     [list](const QString& label) {
                         // The tile keeps its picture; only its label changes.
                         list->setEntry(0, label, false);
                         list->rebuild();
                     });

    // Image Delete on the Start Page deletes the selected tiles' files.
    state.documents.browserCommand = [list = QPointer(list)](int command) {
        if (list) {
            list->onCommand(command);
        }
    };
    // The Start Page closes only at shutdown, after the settings were written.
    QObject::connect(list, &QObject::destroyed, &frame,
                     [&state] { state.documents.browserCommand = nullptr; });
    return list;
}

}  // namespace korvel::app
