#pragma once

// The application-wide state that image documents read and write: the closing flag that
// lets the Start Page close, the counter that numbers new pictures, the JPEG quality and
// the scale-line setting. The application object owns the one instance.

#include <QString>

#include <functional>

namespace korvel::framework {
class CDocTemplate;
}

namespace korvel::document {

struct DocumentContext {
    // Set when the save-all step of shutdown starts; until then the Start Page stays.
    bool closing = false;
    // Numbers "Clipboard Image %d", "Captured Image %d" and the other new pictures.
    int imageCounter = 1;
    int jpegQuality = 90;
    int showScaleLine = 1;
    framework::CDocTemplate* docTemplate = nullptr;
    // Writes pane `index` of the main window's status bar.
    std::function<void(int index, const QString& text)> setStatusPane;

    // The counter's value for one more picture; post-incremented.
    int takeImageNumber() { return imageCounter++; }
};

}  // namespace korvel::document
