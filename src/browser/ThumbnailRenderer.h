#pragma once

// Draws the 200 x 180 tile of one file: the picture fitted into a white tile, grey
// stripes behind the frame of a video, a grey border. Safe to use from several threads
// at once; it keeps no state but the video-frame reader.

#include <QImage>
#include <QString>

#include <functional>

class KxImage;

namespace korvel::browser {

class ThumbnailRenderer {
public:
    // Reads the frame a video's thumbnail shows (the second one) into `frame`; false when
    // the video cannot be opened or read. Called from the loading threads.
    using VideoFrameReader = std::function<bool(const QString& videoPath, KxImage& frame)>;

    ThumbnailRenderer() = default;
    explicit ThumbnailRenderer(VideoFrameReader reader) : readVideoFrame_(std::move(reader)) {}

    // The tile of `path`, loaded as format `formatId` (17 = video). A file that cannot be
    // read gives the no-picture tile and `*ok` false. Without a video-frame reader a video
    // tile shows its stripes alone.
    QImage render(const QString& path, int formatId, bool* ok = nullptr) const;

    // The white tile with the picture (may be null), the video stripes when asked, and the
    // border.
    static QImage composeTile(const KxImage* picture, int x, int y, bool video);
    // The camera tile's picture and the picture of a file that cannot be read.
    static QImage cameraTile();
    static QImage noPictureTile();

private:
    // Loads `path` shrunk to its place in the tile; false when it cannot be read.
    static bool loadFitted(const QString& path, int formatId, KxImage& fitted, int& x, int& y);
    static bool fitPicture(KxImage& picture, int originalWidth, int originalHeight, KxImage& fitted,
                           int& x, int& y);

    VideoFrameReader readVideoFrame_;
};

}  // namespace korvel::browser
