#pragma once

// The text of the "EXIF" message box of the Options dialog, built line by line from the
// EXIF record of the last opened JPEG file.

#include "image/KxImageJPG.h"

#include <QString>

namespace korvel::document {

QString exifReport(const tag_ExifInfo& exif);

// The name of an EXIF orientation value (1 normal ... 8 turned 270 degrees).
QString orientationName(int orientation);

}  // namespace korvel::document
