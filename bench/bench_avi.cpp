// bench_avi: how fast CAviFile records, per compressor, at 1920 x 1080 and at the largest
// simulated sensor (3264 x 2448), on one core, against the ffmpeg program encoding the
// same raw frames with the same compressor and settings into an AVI file:
//   avi <codec> <width>x<height> fps <f> ffmpeg_fps <f> ratio <r>
// ratio = ffmpeg_fps / fps (1.0 = as fast as ffmpeg; below 1 = faster).
//
// bench_avi --big [GB] writes an uncompressed 1920 x 1080 recording of more than 2.2 GB (or
// the size given, e.g. 4.5 to pass the 4 GB mark) into a temporary folder, checks that ffprobe
// decodes every frame and that CAviFile reads the last frames back exactly, then deletes it. Exit
// status 0 when every check held.

#include <sched.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "capture/CAviFile.h"

using namespace korvel::capture;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// A smooth moving picture: height rows of 3 x width bytes, bottom row first.
std::vector<std::uint8_t> pattern(int width, int height, int index) {
    std::vector<std::uint8_t> frame(std::size_t(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = frame.data() + std::size_t(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            row[3 * x + 0] = static_cast<std::uint8_t>((x * 200) / width + 20);
            row[3 * x + 1] = static_cast<std::uint8_t>((y * 200) / height + 20);
            row[3 * x + 2] = static_cast<std::uint8_t>(((x + y + index * 8) & 255) / 2 + 60);
        }
    }
    return frame;
}

std::string quote(const std::string& text) {
    return "'" + text + "'";
}

std::string runCommand(const std::string& command, bool* ok) {
    std::string output;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        *ok = false;
        return output;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, n);
    }
    *ok = ::pclose(pipe) == 0;
    return output;
}

// The ffmpeg options that make the same stream as CAviFile does for `code`.
std::string ffmpegCodecOptions(const std::string& code, int quantiser) {
    const std::string q = std::to_string(quantiser);
    if (code == "DIB ") {
        return "-c:v rawvideo -pix_fmt bgr24";
    }
    if (code == "HFYU") {
        return "-c:v huffyuv -pix_fmt rgb24";
    }
    if (code == "MP42") {
        return "-c:v msmpeg4v2 -pix_fmt yuv420p -g 1 -bf 0 -q:v " + q;
    }
    return "-c:v mpeg4 -vtag XVID -pix_fmt yuv420p -g 1 -bf 0 -q:v " + q;
}

struct Case {
    int width;
    int height;
    int frames;
};

int runSpeed(const fs::path& folder) {
    // One core, as the decode thread has in the camera window.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);

    const CompressorSettings settings;  // the defaults a recording uses
    const int quantiser = 1 + ((100 - settings.quality) * 30 + 49) / 99;
    for (const Case& c : {Case{1920, 1080, 60}, Case{3264, 2448, 20}}) {
        constexpr int kDistinct = 4;
        std::vector<std::vector<std::uint8_t>> frames;
        for (int i = 0; i < kDistinct; ++i) {
            frames.push_back(pattern(c.width, c.height, i));
        }
        const fs::path raw = folder / "frames.raw";
        {
            std::ofstream out(raw, std::ios::binary);
            for (int i = 0; i < c.frames; ++i) {
                const auto& f = frames[i % kDistinct];
                out.write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
            }
        }
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        for (const char* code : {"DIB ", "HFYU", "MP42", "XVID"}) {
            const FourCC fourcc = FourCC::fromString(code);
            if (!canEncode(fourcc)) {
                continue;
            }
            const fs::path ours = folder / "ours.avi";
            const fs::path theirs = folder / "ffmpeg.avi";
            double best = 1e30;
            double bestFfmpeg = 1e30;
            for (int round = 0; round < 3; ++round) {
                CAviFile avi;
                avi.SetFrameRate(25);
                avi.SetCompressor(fourcc);
                const auto start = Clock::now();
                if (!avi.Open(ours.string(), c.width, c.height)) {
                    std::fprintf(stderr, "open failed: %s\n", avi.ErrorText().c_str());
                    return 1;
                }
                for (int i = 0; i < c.frames; ++i) {
                    if (!avi.WriteFrame(frames[i % kDistinct])) {
                        std::fprintf(stderr, "frame %d failed: %s\n", i, avi.ErrorText().c_str());
                        return 1;
                    }
                }
                avi.Close();
                best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
                fs::remove(ours);

                const std::string command =
                    "taskset -c 0 ffmpeg -v error -nostdin -y -threads 1 -filter_threads 1 "
                    "-f rawvideo -pix_fmt bgr24 -s " +
                    size + " -r 25 -i " + quote(raw.string()) + " -threads 1 " +
                    ffmpegCodecOptions(code, quantiser) + " " + quote(theirs.string());
                bool ok = false;
                const auto ffmpegStart = Clock::now();
                runCommand(command, &ok);
                bestFfmpeg = std::min(
                    bestFfmpeg, std::chrono::duration<double>(Clock::now() - ffmpegStart).count());
                fs::remove(theirs);
                if (!ok) {
                    std::fprintf(stderr, "ffmpeg failed: %s\n", command.c_str());
                    return 1;
                }
            }
            const double fps = c.frames / best;
            const double ffmpegFps = c.frames / bestFfmpeg;
            std::printf("avi %s %s fps %.1f ffmpeg_fps %.1f ratio %.2f\n",
                        std::string(code) == "DIB " ? "DIB" : code, size.c_str(), fps, ffmpegFps,
                        ffmpegFps / fps);
            std::fflush(stdout);
        }
        fs::remove(raw);
    }
    return 0;
}

// Stamps the frame number into the first pixels, so that every frame differs.
void stamp(std::vector<std::uint8_t>& frame, std::uint32_t index) {
    std::memcpy(frame.data(), &index, sizeof index);
}

int runBig(const fs::path& folder, double gigabytes) {
    constexpr int kWidth = 1920;
    constexpr int kHeight = 1080;
    const auto target = static_cast<std::uint64_t>(gigabytes * 1e9);
    const std::uint64_t frameBytes = std::uint64_t(kWidth) * kHeight * 3;
    const int frames = static_cast<int>(target / frameBytes) + 2;
    const fs::path path = folder / "big.avi";
    std::vector<std::uint8_t> frame = pattern(kWidth, kHeight, 0);

    CAviFile avi;
    avi.SetFrameRate(25);
    const auto start = Clock::now();
    if (!avi.Open(path.string(), kWidth, kHeight)) {
        std::fprintf(stderr, "open failed: %s\n", avi.ErrorText().c_str());
        return 1;
    }
    for (int i = 0; i < frames; ++i) {
        stamp(frame, std::uint32_t(i));
        if (!avi.WriteFrame(frame)) {
            std::fprintf(stderr, "frame %d failed: %s\n", i, avi.ErrorText().c_str());
            return 1;
        }
    }
    avi.Close();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto fileSize = fs::file_size(path);
    std::printf("big %d frames %.2f GB in %.1f s\n", frames, fileSize / 1e9, seconds);

    bool ok = false;
    const std::string probe = runCommand(
        "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
        "stream=nb_frames,nb_read_frames -of csv=p=0 " +
            quote(path.string()),
        &ok);
    const std::string expected = std::to_string(frames) + "," + std::to_string(frames) + "\n";
    std::printf("big ffprobe nb_frames,nb_read_frames %s", probe.c_str());
    bool passed = ok && fileSize > target && probe == expected;

    // The first, middle and last frames, read back by seeking through the index.
    CAviFile reader;
    passed = passed && reader.OpenForReading(path.string());
    for (int index : {0, frames / 2, frames - 2, frames - 1}) {
        stamp(frame, std::uint32_t(index));
        const bool same = reader.ReadFrame(index) &&
                          std::equal(frame.begin(), frame.end(), reader.FrameBuffer().begin());
        std::printf("big frame %d %s\n", index, same ? "identical" : "WRONG");
        passed = passed && same;
    }
    reader.Close();
    fs::remove(path);
    std::printf("big %s\n", passed ? "passed" : "FAILED");
    return passed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool big = argc > 1 && std::strcmp(argv[1], "--big") == 0;
    std::string templ = (fs::temp_directory_path() / "bench_avi.XXXXXX").string();
    if (::mkdtemp(templ.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = templ;
    const double gigabytes = big && argc > 2 ? std::max(2.2, std::atof(argv[2])) : 2.2;
    const int result = big ? runBig(folder, gigabytes) : runSpeed(folder);
    fs::remove_all(folder);
    return result;
}
