// The writer's and reader's rules: accepted compressors, refused opens, the frame counter,
// the file's headers, the thumbnail BMP, failures of the file and a Close from another
// thread.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "AviTestSupport.h"
#include "capture/CAviFile.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace korvel::capture {
namespace {

using namespace test;

std::string tempPath(const std::string& name) {
    return (std::filesystem::current_path() / name).string();
}

// ---------------------------------------------------------------------------------------
// Settings

TEST(CAviFileSettings, StartsUncompressedAtTenFramesASecond) {
    CAviFile avi;
    EXPECT_EQ(avi.Compressor(), kUncompressedCode);
    EXPECT_EQ(avi.FrameRate(), 10u);
    EXPECT_EQ(avi.FrameCount(), 0);
    EXPECT_FALSE(avi.IsReady());
    EXPECT_FALSE(avi.HasFailed());
}

TEST(CAviFileSettings, AcceptsOnlyTheSixCompressorCodes) {
    CAviFile avi;
    for (const char* code : {"MP42", "WMV3", "MPG4", "XVID", "HFYU", "ACDV"}) {
        EXPECT_TRUE(avi.SetCompressor(FourCC::fromString(code)));
        EXPECT_EQ(avi.Compressor().toString(), code);
    }
    for (const char* code : {"mp42", "H264", "DIB ", "xvid", "MJPG", "", "HFYUV"}) {
        avi.SetCompressor(FourCC{'H', 'F', 'Y', 'U'});
        EXPECT_TRUE(avi.SetCompressor(FourCC::fromString(code)));
        EXPECT_EQ(avi.Compressor(), kUncompressedCode) << code;
    }
}

TEST(CAviFileSettings, IgnoresAFrameRateOfZero) {
    CAviFile avi;
    EXPECT_FALSE(avi.SetFrameRate(0));
    EXPECT_EQ(avi.FrameRate(), 10u);
    EXPECT_TRUE(avi.SetFrameRate(30));
    EXPECT_EQ(avi.FrameRate(), 30u);
}

TEST(CAviFileSettings, OffersTheCompressorsFfmpegCanWrite) {
    std::vector<std::string> codes;
    for (FourCC code : encodableCompressors()) {
        codes.push_back(code.toString());
        EXPECT_FALSE(compressorDescription(code).empty());
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"MP42", "MPG4", "XVID", "HFYU"}));
    EXPECT_TRUE(canEncode(kUncompressedCode));
    EXPECT_FALSE(canEncode(FourCC::fromString("WMV3")));
    EXPECT_FALSE(canEncode(FourCC::fromString("ACDV")));
    EXPECT_FALSE(canEncode(FourCC::fromString("H264")));
}

// ---------------------------------------------------------------------------------------
// Opening, writing, closing

TEST(CAviFileWriting, RefusesAZeroSizeOrAnEmptyName) {
    CAviFile avi;
    const auto frame = movingPattern(64, 48, 0);
    EXPECT_FALSE(avi.Open(tempPath("zero.avi"), 0, 48));
    EXPECT_FALSE(avi.Open(tempPath("zero.avi"), 64, 0));
    EXPECT_FALSE(avi.Open(tempPath("big.avi"), 65536, 48));
    EXPECT_FALSE(avi.Open("", 64, 48));
    EXPECT_FALSE(avi.IsReady());
    EXPECT_FALSE(avi.WriteFrame(frame));
    EXPECT_EQ(avi.FrameCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(tempPath("zero.avi")));
    EXPECT_FALSE(std::filesystem::exists(tempPath("big.avi")));
}

TEST(CAviFileWriting, RefusesFramesTooLargeForTheFile) {
    for (const char* code : {"DIB ", "HFYU", "XVID"}) {
        CAviFile avi;
        avi.SetCompressor(FourCC::fromString(code));
        const std::string path = tempPath("huge.avi");
        EXPECT_FALSE(avi.Open(path, 65535, 65535)) << code;
        EXPECT_TRUE(avi.HasFailed());
        EXPECT_FALSE(avi.ErrorText().empty());
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST(CAviFileWriting, CountsFramesAndResetsTheCounterOnClose) {
    CAviFile avi;
    const std::string path = tempPath("count.avi");
    ASSERT_TRUE(avi.Open(path, 64, 48));
    EXPECT_TRUE(avi.IsReady());
    for (int i = 0; i < 25; ++i) {
        ASSERT_TRUE(avi.WriteFrame(movingPattern(64, 48, i)));
    }
    EXPECT_EQ(avi.FrameCount(), 25);
    EXPECT_TRUE(avi.Close());
    EXPECT_EQ(avi.FrameCount(), 0);
    EXPECT_FALSE(avi.IsReady());
    EXPECT_FALSE(avi.WriteFrame(movingPattern(64, 48, 0)));
    EXPECT_EQ(avi.FrameCount(), 0);
    EXPECT_EQ(probeVideo(path)["nb_read_frames"], "25");
    EXPECT_TRUE(avi.Close());  // closing twice is harmless
}

TEST(CAviFileWriting, RefusesAMissingOrShortFrameWithoutCounting) {
    CAviFile avi;
    ASSERT_TRUE(avi.Open(tempPath("short.avi"), 64, 48));
    const auto frame = movingPattern(64, 48, 0);
    EXPECT_FALSE(avi.WriteFrame({}));
    EXPECT_FALSE(avi.WriteFrame(std::span(frame.data(), frame.size() - 1)));
    EXPECT_EQ(avi.FrameCount(), 0);
    EXPECT_TRUE(avi.WriteFrame(frame));
    EXPECT_EQ(avi.FrameCount(), 1);
}

TEST(CAviFileWriting, ReopensAfterCloseAndCompletesAnOpenRecordingOnOpen) {
    CAviFile avi;
    avi.SetCompressor(FourCC::fromString("HFYU"));
    ASSERT_TRUE(avi.Open(tempPath("first.avi"), 80, 60));
    for (int i = 0; i < 3; ++i) {
        avi.WriteFrame(movingPattern(80, 60, i));
    }
    // A second Open without Close completes the first file.
    ASSERT_TRUE(avi.Open(tempPath("second.avi"), 40, 30));
    EXPECT_EQ(avi.FrameCount(), 0);
    for (int i = 0; i < 5; ++i) {
        avi.WriteFrame(movingPattern(40, 30, i));
    }
    avi.Close();
    ASSERT_TRUE(avi.Open(tempPath("third.avi"), 40, 30));
    avi.WriteFrame(movingPattern(40, 30, 0));
    avi.Close();
    EXPECT_EQ(probeVideo(tempPath("first.avi"))["nb_read_frames"], "3");
    EXPECT_EQ(probeVideo(tempPath("second.avi"))["nb_read_frames"], "5");
    EXPECT_EQ(probeVideo(tempPath("third.avi"))["nb_read_frames"], "1");
}

TEST(CAviFileWriting, CompressorsWithoutAnEncoderFailToOpen) {
    for (const char* code : {"WMV3", "ACDV"}) {
        CAviFile avi;
        avi.SetCompressor(FourCC::fromString(code));
        const std::string path = tempPath(std::string("no_") + code + ".avi");
        EXPECT_FALSE(avi.Open(path, 64, 48));
        EXPECT_TRUE(avi.HasFailed());
        EXPECT_NE(avi.ErrorText().find(code), std::string::npos) << avi.ErrorText();
        EXPECT_FALSE(avi.WriteFrame(movingPattern(64, 48, 0)));
        EXPECT_EQ(avi.FrameCount(), 0);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

// The headers a reader of the file sees: scale 1 and rate = the frame rate, the suggested
// buffer, the frame rectangle, and an ordinary bottom-up 24-bit bitmap header.
TEST(CAviFileWriting, WritesTheStreamAndBitmapHeaders) {
    CAviFile avi;
    avi.SetFrameRate(15);
    const std::string path = tempPath("headers.avi");
    ASSERT_TRUE(avi.Open(path, 641, 3));
    for (int i = 0; i < 4; ++i) {
        avi.WriteFrame(movingPattern(641, 3, i));
    }
    avi.Close();
    const auto bytes = readFile(path);
    const auto strh = findChunk(bytes, "strh");
    ASSERT_TRUE(strh.has_value());
    const std::size_t h = *strh + 8;
    EXPECT_EQ(std::string(bytes.begin() + h, bytes.begin() + h + 4), "vids");
    EXPECT_EQ(u32At(bytes, h + 4), 0u);                  // handler
    EXPECT_EQ(u32At(bytes, h + 20), 1u);                 // scale
    EXPECT_EQ(u32At(bytes, h + 24), 15u);                // rate
    EXPECT_EQ(u32At(bytes, h + 32), 4u);                 // length in frames
    EXPECT_GE(u32At(bytes, h + 36), 641u * 3 * 3);       // suggested buffer
    EXPECT_EQ(u32At(bytes, h + 48), 0u);                 // frame left, top
    EXPECT_EQ(u32At(bytes, h + 52), 641u | (3u << 16));  // frame right, bottom
    const auto strf = findChunk(bytes, "strf");
    ASSERT_TRUE(strf.has_value());
    const std::size_t b = *strf + 8;
    EXPECT_EQ(u32At(bytes, b), 40u);
    EXPECT_EQ(u32At(bytes, b + 4), 641u);
    EXPECT_EQ(u32At(bytes, b + 8), 3u);  // positive: bottom-up rows
    EXPECT_EQ(u32At(bytes, b + 12), 1u | (24u << 16));
    EXPECT_EQ(u32At(bytes, b + 16), 0u);  // no compression
    // The uncompressed frames hold rows padded to 4 bytes: 3 rows of 1924 bytes each.
    const auto movi = findChunk(bytes, "movi");
    ASSERT_TRUE(movi.has_value());
    const std::vector<std::uint8_t> frames(bytes.begin() + *movi, bytes.end());
    const auto frame = findChunk(frames, "00dc");
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(u32At(frames, *frame + 4), 1924u * 3);

    // libavformat agrees.
    AVFormatContext* input = nullptr;
    ASSERT_EQ(avformat_open_input(&input, path.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(input, nullptr), 0);
    ASSERT_EQ(input->nb_streams, 1u);
    const AVStream* stream = input->streams[0];
    EXPECT_EQ(stream->codecpar->codec_id, AV_CODEC_ID_RAWVIDEO);
    EXPECT_EQ(stream->codecpar->width, 641);
    EXPECT_EQ(stream->codecpar->height, 3);
    EXPECT_EQ(stream->time_base.num, 1);
    EXPECT_EQ(stream->time_base.den, 15);
    EXPECT_EQ(stream->nb_frames, 4);
    AVPacket* packet = av_packet_alloc();
    int packets = 0;
    while (av_read_frame(input, packet) >= 0) {
        EXPECT_EQ(packet->size, 1924 * 3);
        EXPECT_TRUE(packet->flags & AV_PKT_FLAG_KEY);
        ++packets;
        av_packet_unref(packet);
    }
    EXPECT_EQ(packets, 4);
    av_packet_free(&packet);
    avformat_close_input(&input);
}

// ---------------------------------------------------------------------------------------
// Reading and the thumbnail BMP

TEST(CAviFileReading, SavesTheSecondFrameAsABmpBesideTheVideo) {
    const std::string path = tempPath("thumb.avi");
    {
        CAviFile avi;
        avi.SetCompressor(FourCC::fromString("HFYU"));
        ASSERT_TRUE(avi.Open(path, 640, 480));
        for (int i = 0; i < 3; ++i) {
            avi.WriteFrame(movingPattern(640, 480, i));
        }
    }  // the destructor closes
    CAviFile avi;
    ASSERT_TRUE(avi.OpenForReading(path));
    ASSERT_TRUE(avi.ReadFrame(1));
    std::string bmp;
    ASSERT_TRUE(avi.SaveFrameAsBmp(bmp));
    EXPECT_EQ(bmp, path + ".bmp");
    const auto bytes = readFile(bmp);
    ASSERT_EQ(bytes.size(), 54u + 640u * 480u * 3u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(u32At(bytes, 2), 54u + 640u * 480u * 3u);
    EXPECT_EQ(u32At(bytes, 10), 54u);
    EXPECT_EQ(u32At(bytes, 14), 40u);
    EXPECT_EQ(u32At(bytes, 22), 480u);
    const auto second = movingPattern(640, 480, 1);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), bytes.begin() + 54));
    avi.Close();
    EXPECT_TRUE(avi.FrameBuffer().empty());
    EXPECT_FALSE(avi.SaveFrameAsBmp(bmp));
}

TEST(CAviFileReading, OddWidthBmpHasPaddedRowsThatFfmpegReads) {
    const std::string path = tempPath("odd.avi");
    {
        CAviFile avi;
        ASSERT_TRUE(avi.Open(path, 641, 21));
        avi.WriteFrame(movingPattern(641, 21, 0));
        avi.WriteFrame(movingPattern(641, 21, 1));
    }
    CAviFile avi;
    ASSERT_TRUE(avi.OpenForReading(path));
    ASSERT_TRUE(avi.ReadFrame(1));
    std::string bmp;
    ASSERT_TRUE(avi.SaveFrameAsBmp(bmp));
    EXPECT_EQ(std::filesystem::file_size(bmp), 54u + 1924u * 21u);
    const auto decoded = decodeWithFfmpeg(bmp, 641, 21);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), 1u);
    EXPECT_EQ(decoded->front(), movingPattern(641, 21, 1));
}

TEST(CAviFileReading, RefusesMissingAndBrokenFiles) {
    CAviFile avi;
    EXPECT_FALSE(avi.ReadFrame(0));
    EXPECT_FALSE(avi.OpenForReading(tempPath("missing.avi")));
    EXPECT_FALSE(avi.ReadFrame(0));
    {
        std::ofstream junk(tempPath("junk.avi"), std::ios::binary);
        junk << "RIFF\x10\x00\x00\x00"
                "AVI LIST garbage that is no header";
    }
    EXPECT_FALSE(avi.OpenForReading(tempPath("junk.avi")));
    EXPECT_FALSE(avi.ReadFrame(0));
    std::string bmp;
    EXPECT_FALSE(avi.SaveFrameAsBmp(bmp));
}

TEST(CAviFileReading, RefusesAHeaderWithAnImpossibleFrameSize) {
    const std::string path = tempPath("made_up.avi");
    {
        CAviFile avi;
        ASSERT_TRUE(avi.Open(path, 64, 48));
        avi.WriteFrame(movingPattern(64, 48, 0));
    }
    auto bytes = readFile(path);
    const auto strf = findChunk(bytes, "strf");
    ASSERT_TRUE(strf.has_value());
    for (std::size_t field : {*strf + 12, *strf + 16}) {  // bitmap width and height
        bytes[field] = 0x60;
        bytes[field + 1] = 0xEA;  // 60000
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    CAviFile avi;
    EXPECT_FALSE(avi.OpenForReading(path));
    EXPECT_FALSE(avi.ReadFrame(0));
    EXPECT_TRUE(avi.FrameBuffer().empty());
}

// ---------------------------------------------------------------------------------------
// Failures of the file

TEST(CAviFileFailures, AnUnwritableFolderFailsToOpenWithAReason) {
    const std::string notAFolder = tempPath("plain_file");
    std::ofstream(notAFolder) << "x";
    for (const std::string& path :
         {notAFolder + "/video.avi", tempPath("no/such/folder/video.avi")}) {
        CAviFile avi;
        EXPECT_FALSE(avi.Open(path, 64, 48));
        EXPECT_FALSE(avi.IsReady());
        EXPECT_TRUE(avi.HasFailed());
        EXPECT_NE(avi.ErrorText().find(path), std::string::npos) << avi.ErrorText();
        EXPECT_FALSE(avi.WriteFrame(movingPattern(64, 48, 0)));
        EXPECT_EQ(avi.FrameCount(), 0);
    }
}

// A full disk, made by a file size limit: the write that fails still uses up its place,
// the writer stops, and the frames before it stay readable.
TEST(CAviFileFailures, AFullDiskStopsTheRecordingAndKeepsTheFramesWritten) {
    const std::string path = tempPath("full.avi");
    constexpr int kWidth = 320;
    constexpr int kHeight = 240;  // 230400 bytes a frame
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 2'000'000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    CAviFile avi;
    int written = 0;
    bool opened = avi.Open(path, kWidth, kHeight);
    bool failedWrite = false;
    int countAfterFailure = -1;
    for (int i = 0; opened && i < 20; ++i) {
        if (avi.WriteFrame(movingPattern(kWidth, kHeight, i))) {
            ++written;
        } else {
            failedWrite = true;
            countAfterFailure = avi.FrameCount();
            break;
        }
    }
    const bool readyAfter = avi.IsReady();
    const bool writeAfter = avi.WriteFrame(movingPattern(kWidth, kHeight, 0));
    const int countAfterRefusal = avi.FrameCount();
    avi.Close();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_TRUE(opened);
    ASSERT_TRUE(failedWrite);
    EXPECT_GT(written, 3);
    EXPECT_EQ(countAfterFailure, written + 1);
    EXPECT_FALSE(readyAfter);
    EXPECT_FALSE(writeAfter);
    EXPECT_EQ(countAfterRefusal, written + 1);
    EXPECT_TRUE(avi.HasFailed());
    EXPECT_FALSE(avi.ErrorText().empty());

    auto probe = probeVideo(path);
    EXPECT_EQ(probe["nb_read_frames"], std::to_string(written));
    EXPECT_EQ(probe["nb_frames"], std::to_string(written));
    const auto decoded = decodeWithFfmpeg(path, kWidth, kHeight);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), std::size_t(written));
    EXPECT_EQ(decoded->back(), movingPattern(kWidth, kHeight, written - 1));
    CAviFile reader;
    ASSERT_TRUE(reader.OpenForReading(path));
    EXPECT_TRUE(reader.ReadFrame(written - 1));
    EXPECT_FALSE(reader.ReadFrame(written));
}

// ---------------------------------------------------------------------------------------
// Threads

// The decode thread keeps writing while the user-interface thread closes: no frame goes
// into a closed stream and the file holds exactly the frames whose write succeeded.
TEST(CAviFileThreads, CloseFromAnotherThreadWhileFramesAreWritten) {
    for (const char* code : {"DIB ", "XVID"}) {
        const std::string path = tempPath(std::string("threads_") + code[0] + ".avi");
        CAviFile avi;
        avi.SetCompressor(FourCC::fromString(code));
        ASSERT_TRUE(avi.Open(path, 160, 120));
        std::atomic<int> succeeded{0};
        std::atomic<bool> stop{false};
        std::atomic<bool> done{false};
        std::thread decodeThread([&] {
            // Bounded, so that a writer that never succeeds cannot hang the test.
            for (int i = 0; !stop && i < 100000; ++i) {
                if (avi.WriteFrame(movingPattern(160, 120, i % 50))) {
                    ++succeeded;
                }
            }
            done = true;
        });
        while (succeeded < 10 && !done) {
            std::this_thread::yield();
        }
        if (succeeded < 10) {
            stop = true;
            decodeThread.join();
            FAIL() << "the writer thread did not get going: " << avi.ErrorText();
        }
        avi.Close();
        EXPECT_EQ(avi.FrameCount(), 0);
        stop = true;
        decodeThread.join();
        // Every write that reported success is in the file, and none came after Close.
        EXPECT_FALSE(avi.WriteFrame(movingPattern(160, 120, 0)));
        EXPECT_EQ(probeVideo(path)["nb_read_frames"], std::to_string(succeeded.load()));
        const auto decoded = decodeWithFfmpeg(path, 160, 120);
        ASSERT_TRUE(decoded.has_value());
        ASSERT_EQ(decoded->size(), std::size_t(succeeded.load()));
    }
}

}  // namespace
}  // namespace korvel::capture
