#pragma once

// Capture files as another program's decoder sees them.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace krvcamera::test {

inline std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The picture as ImageMagick decodes it: red-green-blue bytes, top row first; empty when
// it cannot read the file.
inline std::vector<std::uint8_t> decodedByImageMagick(const std::filesystem::path& file) {
    const std::filesystem::path out = file.string() + ".rgb";
    const std::string command =
        "convert '" + file.string() + "' -depth 8 'rgb:" + out.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
        return {};
    }
    std::vector<std::uint8_t> decoded = readFile(out);
    std::filesystem::remove(out);
    return decoded;
}

}  // namespace krvcamera::test
