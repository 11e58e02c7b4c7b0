#pragma once

// Reads the pixel size of a JPEG file from its header alone, so that a thumbnail can be
// decoded at a reduced DCT scale.

#include <QString>

namespace korvel::browser {

struct JpegSize {
    int width = 0;
    int height = 0;
};

// False when the file cannot be opened or is not a JPEG stream.
bool readJpegSize(const QString& path, JpegSize& size);

}  // namespace korvel::browser
