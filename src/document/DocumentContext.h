#pragma once

// The application-wide state that image documents read and write: the closing flag that
// lets the Start Page close, the counter that numbers new pictures, the JPEG quality and
// the scale-line setting. The application object owns the one instance.

#include <QPoint>
#include <QString>

#include "document/ImageFileDialog.h"
#include "image/KxTypes.h"

#include <functional>
#include <memory>

namespace korvel::framework {
class CDocTemplate;
}

namespace korvel::document {

class CMagnifierWnd;
class ImageDialogs;

struct DocumentContext {
    // Set when the save-all step of shutdown starts; until then the Start Page stays.
    bool closing = false;
    // Numbers "Clipboard Image %d", "Captured Image %d" and the other new pictures.
    int imageCounter = 1;
    int jpegQuality = 90;
    int showScaleLine = 1;
    framework::CDocTemplate* docTemplate = nullptr;
    // The text tool's record, edited by "Place text to image" and drawn on a click.
    tagKxTextInfo textInfo;
    // Runs "Place text to image" on a copy of the record; true with OK (a test answers).
    std::function<bool(tagKxTextInfo& record)> editText;
    // Runs the image file dialog (a test may answer instead of a person).
    ImageFileDialogRunner fileDialog;
    // The main window's zoom box: its text, and a new text for it.
    std::function<QString()> zoomBoxText;
    std::function<void(const QString&)> setZoomBoxText;
    // The magnifier window: made and shown once on request, null before.
    std::function<CMagnifierWnd*(bool create)> magnifier;
    // Shows the picture's context menu at a screen point.
    std::function<void(QPoint globalPosition)> showPictureMenu;
    // Escape in a view: the main window leaves full screen when it is in it.
    std::function<void()> escapePressed;
    // Hands a command to the image browser (its thumbnail list); unset while there is none.
    std::function<void(int command)> browserCommand;
    // Answers the dialogs of the image-processing commands; unset: the dialogs are shown.
    std::shared_ptr<ImageDialogs> imageDialogs;
    // Writes pane `index` of the main window's status bar.
    std::function<void(int index, const QString& text)> setStatusPane;

    // The counter's value for one more picture; post-incremented.
    int takeImageNumber() { return imageCounter++; }
};

}  // namespace korvel::document
