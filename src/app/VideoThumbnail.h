#pragma once

// The picture a video's thumbnail shows: the second frame of its first video stream.

#include <QString>

class KxImage;

namespace korvel::app {

// Reads the frame of `videoPath` that its thumbnail shows into `frame`; false when the
// video cannot be opened or has no such frame. Each call uses a reader of its own, so the
// browser's loading threads may call it at once.
bool readVideoThumbnailFrame(const QString& videoPath, KxImage& frame);

}  // namespace korvel::app
