#pragma once

// The image browser on the Start Page: the thumbnail list filling the first view, loaded
// from the default save folder and joined to the folder tree, the camera tile, the
// file-saved notices and the Image Delete command.

namespace korvel::framework {
class CView;
}
namespace korvel::browser {
class CThumbnailList;
}

namespace korvel::app {

class CMainFrame;
struct ApplicationState;

// Creates the thumbnail list as a child of `view` that follows its size, hands it the
// stored save folder, sets it up and shows it. The view owns the list; `state` keeps a
// pointer to it. Call once, for the Start Page's view.
browser::CThumbnailList* installThumbnailList(framework::CView& view, ApplicationState& state,
                                              CMainFrame& frame);

}  // namespace korvel::app
