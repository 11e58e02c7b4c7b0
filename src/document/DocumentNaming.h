#pragma once

// How documents name and type their files.

#include <QString>

namespace korvel::document {

// The image type of a file by the text after its last dot, lower-cased; 0 for an unknown
// extension (decoded by detection) and -1 when the name has no dot at all.
int imageTypeFromPath(const QString& path);

// The name Save As proposes for a document that has no file yet: its title, or
// "UntitledImage" when the title holds any of #%;/\ , with the first extension of the
// picture's type appended (".jpg" for JPEG).
QString proposedSaveName(const QString& title, int imageType);

// "%s (%d)\tCtrl+Z" with "Undo" and the undo level.
QString undoMenuText(int level);

// The status bar's size text "(%dx%dx%d)".
QString imageSizeText(int width, int height, int bitsPerPixel);
// "Time (s): %.3f".
QString elapsedTimeText(float seconds);

}  // namespace korvel::document
