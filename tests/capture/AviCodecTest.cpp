// Recordings with every compressor this build can write, read back by FFmpeg's own
// programs and by the reader of CAviFile.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AviTestSupport.h"
#include "capture/CAviFile.h"

namespace korvel::capture {
namespace {

using namespace test;

struct CodecCase {
    const char* code;
    const char* ffmpegCodec;  // codec_name as ffprobe reports it
    const char* fileTag;      // codec_tag_string in the file
    bool lossless;
};

class AviCodecTest : public ::testing::TestWithParam<CodecCase> {};

constexpr int kFrames = 30;

TEST_P(AviCodecTest, RecordsAMovingPatternThatFfmpegReadsBack) {
    const CodecCase& param = GetParam();
    const FourCC code = FourCC::fromString(param.code);
    ASSERT_TRUE(canEncode(code));
    // An odd width: rows of 3 x 641 bytes are not a multiple of 4.
    const int width = 641;
    const int height = 481;
    const std::string path =
        (std::filesystem::current_path() / ("codec_" + code.toString() + ".avi")).string();

    CAviFile avi;
    ASSERT_TRUE(avi.SetFrameRate(25));
    ASSERT_TRUE(avi.SetCompressor(code));
    ASSERT_TRUE(avi.Open(path, width, height)) << avi.ErrorText();
    std::vector<std::vector<std::uint8_t>> written;
    for (int i = 0; i < kFrames; ++i) {
        written.push_back(movingPattern(width, height, i));
        ASSERT_TRUE(avi.WriteFrame(written.back()));
    }
    EXPECT_EQ(avi.FrameCount(), kFrames);
    ASSERT_TRUE(avi.Close());
    EXPECT_FALSE(avi.HasFailed()) << avi.ErrorText();

    // ffprobe decodes every frame and reports the stream as written.
    auto probe = probeVideo(path);
    EXPECT_EQ(probe["codec_name"], param.ffmpegCodec);
    EXPECT_EQ(probe["codec_tag_string"], param.fileTag);
    EXPECT_EQ(probe["width"], std::to_string(width));
    EXPECT_EQ(probe["height"], std::to_string(height));
    EXPECT_EQ(probe["r_frame_rate"], "25/1");
    EXPECT_EQ(probe["nb_read_frames"], std::to_string(kFrames));

    // The ffmpeg program's pictures: identical for the lossless compressors, close for
    // the MPEG-4 ones. Every frame is checked, so a skew or a flip shows at once.
    const auto decoded = decodeWithFfmpeg(path, width, height);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), std::size_t(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        if (param.lossless) {
            ASSERT_EQ((*decoded)[i], written[i]) << "frame " << i;
        } else {
            ASSERT_GE(psnr((*decoded)[i], written[i]), 30.0) << "frame " << i;
        }
    }

    // CAviFile's own reader: frame 1 is the second frame.
    CAviFile reader;
    ASSERT_TRUE(reader.OpenForReading(path));
    EXPECT_EQ(reader.Width(), width);
    EXPECT_EQ(reader.Height(), height);
    for (int index : {1, 0, kFrames - 1, 17}) {
        ASSERT_TRUE(reader.ReadFrame(index)) << index;
        const std::vector<std::uint8_t> frame(reader.FrameBuffer().begin(),
                                              reader.FrameBuffer().end());
        if (param.lossless) {
            EXPECT_EQ(frame, written[index]) << "frame " << index;
        } else {
            EXPECT_GE(psnr(frame, written[index]), 30.0) << "frame " << index;
        }
    }
    EXPECT_FALSE(reader.ReadFrame(kFrames));
    EXPECT_FALSE(reader.ReadFrame(-1));
}

TEST_P(AviCodecTest, EveryFrameIsAKeyFrame) {
    const FourCC code = FourCC::fromString(GetParam().code);
    const std::string path =
        (std::filesystem::current_path() / ("keys_" + code.toString() + ".avi")).string();
    CAviFile avi;
    avi.SetCompressor(code);
    ASSERT_TRUE(avi.Open(path, 320, 240));
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(avi.WriteFrame(movingPattern(320, 240, i)));
    }
    avi.Close();
    const auto flags = runCommand(
        "ffprobe -v error -select_streams v:0 -show_entries "
        "packet=flags -of csv=p=0 " +
        shellQuote(path));
    ASSERT_TRUE(flags.has_value());
    int packets = 0;
    std::size_t at = 0;
    while (at < flags->size()) {
        const std::size_t end = flags->find('\n', at);
        const std::string line = flags->substr(at, end - at);
        if (!line.empty()) {
            ++packets;
            EXPECT_EQ(line.front(), 'K') << "packet " << packets;
        }
        at = end == std::string::npos ? flags->size() : end + 1;
    }
    EXPECT_EQ(packets, 12);
}

INSTANTIATE_TEST_SUITE_P(Compressors, AviCodecTest,
                         ::testing::Values(CodecCase{"DIB ", "rawvideo", "[0][0][0][0]", true},
                                           CodecCase{"HFYU", "huffyuv", "HFYU", true},
                                           CodecCase{"MP42", "msmpeg4v2", "MP42", false},
                                           CodecCase{"XVID", "mpeg4", "XVID", false},
                                           CodecCase{"MPG4", "mpeg4", "XVID", false}),
                         [](const auto& info) {
                             std::string name = info.param.code;
                             return name == "DIB " ? std::string("DIB") : name;
                         });

}  // namespace
}  // namespace korvel::capture
