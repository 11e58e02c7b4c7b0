#include "AviTestSupport.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

namespace korvel::capture::test {

std::vector<std::uint8_t> movingPattern(int width, int height, int index) {
    std::vector<std::uint8_t> frame(std::size_t(width) * height * 3);
    const int boxX = (index * 7) % std::max(1, width - 32);
    const int boxY = (index * 5) % std::max(1, height - 32);
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row;  // rows are stored bottom-up
        std::uint8_t* out = frame.data() + std::size_t(row) * width * 3;
        for (int x = 0; x < width; ++x) {
            const bool inBox = x >= boxX && x < boxX + 32 && y >= boxY && y < boxY + 32;
            out[3 * x + 0] = static_cast<std::uint8_t>(inBox ? 230 : (x * 200) / width + 20);
            out[3 * x + 1] = static_cast<std::uint8_t>(inBox ? 40 : (y * 200) / height + 20);
            out[3 * x + 2] =
                static_cast<std::uint8_t>(inBox ? 90 : ((x + y + index * 4) % 256) / 2 + 60);
        }
    }
    return frame;
}

double psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) {
        return 0;
    }
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    if (sum == 0) {
        return std::numeric_limits<double>::infinity();
    }
    return 10 * std::log10(255.0 * 255.0 / (sum / double(a.size())));
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::optional<std::string> runCommand(const std::string& command) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string output;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, n);
    }
    if (::pclose(pipe) != 0) {
        return std::nullopt;
    }
    return output;
}

std::map<std::string, std::string> probeVideo(const std::string& path) {
    std::map<std::string, std::string> values;
    const auto output = runCommand(
        "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
        "stream=codec_name,codec_tag_string,width,height,r_frame_rate,nb_frames,nb_read_frames "
        "-of default=noprint_wrappers=1 " +
        shellQuote(path));
    if (!output) {
        return values;
    }
    std::istringstream lines(*output);
    std::string line;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

std::optional<std::vector<std::vector<std::uint8_t>>> decodeWithFfmpeg(const std::string& path,
                                                                       int width, int height) {
    // vflip turns ffmpeg's top-down rows into the bottom-up order the writer was given.
    const auto output = runCommand("ffmpeg -v error -nostdin -xerror -i " + shellQuote(path) +
                                   " -vf vflip -f rawvideo -pix_fmt bgr24 -");
    if (!output) {
        return std::nullopt;
    }
    const std::size_t frameBytes = std::size_t(width) * height * 3;
    if (output->size() % frameBytes != 0) {
        return std::nullopt;
    }
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::size_t at = 0; at < output->size(); at += frameBytes) {
        frames.emplace_back(output->begin() + at, output->begin() + at + frameBytes);
    }
    return frames;
}

std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return std::uint32_t(bytes.at(offset)) | std::uint32_t(bytes.at(offset + 1)) << 8 |
           std::uint32_t(bytes.at(offset + 2)) << 16 | std::uint32_t(bytes.at(offset + 3)) << 24;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::size_t> findChunk(const std::vector<std::uint8_t>& bytes, const char* id) {
    for (std::size_t i = 0; i + 4 <= bytes.size(); ++i) {
        if (std::memcmp(bytes.data() + i, id, 4) == 0) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace korvel::capture::test
