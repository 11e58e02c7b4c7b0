// The frame a video's thumbnail shows, read from files of our own AVI writer and of FFmpeg.

#include "app/VideoThumbnail.h"
#include "image/KxImage.h"

#include "VideoTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using korvel::app::readVideoThumbnailFrame;
using namespace korvel::test;

namespace {

// The colour at picture row `y` (0 = top) and column `x`, as 0xRRGGBB.
std::uint32_t colourAt(KxImage& picture, int x, int y) {
    const RGBQUAD c = picture.GetPixelColor(x, int(picture.GetHeight()) - 1 - y);
    return (std::uint32_t(c.rgbRed) << 16) | (std::uint32_t(c.rgbGreen) << 8) | c.rgbBlue;
}

bool near(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 12) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(VideoThumbnailTest, TheSecondFrameComesUpRightWayRoundAtAnOddWidth) {
    QTemporaryDir dir;
    // 3 x 65 bytes a row: a reader that assumed rows padded to four bytes would shear it.
    const QString path = dir.filePath("odd.avi");
    ASSERT_TRUE(writeTwoToneVideo(path, 65, 40));
    KxImage frame;
    ASSERT_TRUE(readVideoThumbnailFrame(path, frame));
    ASSERT_EQ(frame.GetWidth(), 65u);
    ASSERT_EQ(frame.GetHeight(), 40u);
    for (const int x : {0, 32, 64}) {
        EXPECT_EQ(colourAt(frame, x, 0), 0xFF0000u) << x;   // red on top
        EXPECT_EQ(colourAt(frame, x, 39), 0x0000FFu) << x;  // blue below
    }
}

TEST(VideoThumbnailTest, AVideoMadeByFfmpegReadsTheSameWay) {
    QTemporaryDir dir;
    const QString picture = dir.filePath("two.ppm");
    const QString video = dir.filePath("ffmpeg.avi");
    if (!runQuietly(QStringLiteral("convert -size 48x16 xc:red -size 48x16 xc:blue -append %1")
                        .arg(picture)) ||
        !runQuietly(QStringLiteral("ffmpeg -y -loop 1 -i %1 -frames:v 3 -c:v rawvideo "
                                   "-pix_fmt bgr24 %2")
                        .arg(picture, video))) {
        GTEST_SKIP() << "ImageMagick or FFmpeg is not available";
    }
    KxImage frame;
    ASSERT_TRUE(readVideoThumbnailFrame(video, frame));
    EXPECT_EQ(frame.GetWidth(), 48u);
    EXPECT_TRUE(near(colourAt(frame, 10, 2), 0xFF0000));
    EXPECT_TRUE(near(colourAt(frame, 10, 29), 0x0000FF));
}

TEST(VideoThumbnailTest, MissingShortAndBrokenVideosGiveNoFrame) {
    QTemporaryDir dir;
    KxImage frame;
    EXPECT_FALSE(readVideoThumbnailFrame(dir.filePath("missing.avi"), frame));

    // One frame only: there is no second frame to show.
    const QString single = dir.filePath("single.avi");
    {
        korvel::capture::CAviFile avi;
        ASSERT_TRUE(avi.Open(single.toStdString(), 16, 16));
        ASSERT_TRUE(avi.WriteFrame(twoToneFrame(16, 16, 0xFFFFFF, 0)));
        avi.Close();
    }
    EXPECT_FALSE(readVideoThumbnailFrame(single, frame));

    const QString garbage = dir.filePath("garbage.avi");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_FALSE(readVideoThumbnailFrame(garbage, frame));
}
