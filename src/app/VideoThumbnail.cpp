#include "app/VideoThumbnail.h"

#include "capture/CAviFile.h"
#include "image/KxImage.h"

#include <QFile>

namespace korvel::app {

namespace {
// The second frame: the first one of a recording is often still dark.
constexpr int kThumbnailFrame = 1;
}  // namespace

bool readVideoThumbnailFrame(const QString& videoPath, KxImage& frame) {
    capture::CAviFile video;
    if (!video.OpenForReading(QFile::encodeName(videoPath).toStdString()) ||
        !video.ReadFrame(kThumbnailFrame)) {
        return false;
    }
    const int width = video.Width();
    const int height = video.Height();
    const std::size_t stride = std::size_t(width) * 3;
    const auto pixels = video.FrameBuffer();
    if (width <= 0 || height <= 0 || pixels.size() < stride * std::size_t(height)) {
        return false;
    }
    // The reader hands packed blue-green-red rows, bottom row first, as the picture keeps
    // them: no flip.
    return frame.CreateFromArray(pixels.data(), uint32_t(width), uint32_t(height), 24,
                                 uint32_t(stride), false);
}

}  // namespace korvel::app
