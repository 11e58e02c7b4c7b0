#pragma once

// The Open and Save dialogs for pictures, with the filters of the image format table.

#include "document/ImageFormats.h"

#include <functional>

class QWidget;

namespace korvel::document {

// One run of the dialog: what it shows, and what the user chose.
struct ImageFileRequest {
    FileDialogMode mode = FileDialogMode::Open;
    QString title;          // "Open image file" or "Save image file"
    FileDialogSetup setup;  // filters, starting filter, default extension
    QString path;           // in: the proposed name; out: the chosen file
    int chosenFilter = 1;   // out: 1-based filter the user left selected
};

// Shows the dialog and fills the answer; false when the user cancelled.
using ImageFileDialogRunner = std::function<bool(ImageFileRequest& request, QWidget* parent)>;

// The runner with the platform's file dialog.
bool runImageFileDialog(ImageFileRequest& request, QWidget* parent);

// Asks for a picture file. `formatId` (may be null) starts the dialog on that format and,
// on OK, receives the format of the filter the user chose. True only on OK.
bool promptForImageFile(QString& path, FileDialogMode mode, int* formatId,
                        const ImageFileDialogRunner& runner, QWidget* parent = nullptr);

}  // namespace korvel::document
