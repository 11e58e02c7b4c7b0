#pragma once

// Other programs' encoders and decoders for the codec tests: ImageMagick, netpbm, the
// libtiff tools, the OpenJPEG tools and Pillow, run in the test's folder. A missing
// program fails the test with the Debian package that brings it.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class KxImage;

namespace kxtest {

struct Tool {
    std::string path;
    std::string package;
};

inline const Tool kConvert{"/usr/bin/convert", "imagemagick"};
inline const Tool kPython{"/usr/bin/python3", "python3-pil"};
inline const Tool kOpjCompress{"/usr/bin/opj_compress", "libopenjp2-tools"};
inline const Tool kOpjDecompress{"/usr/bin/opj_decompress", "libopenjp2-tools"};
inline const Tool kTiffcp{"/usr/bin/tiffcp", "libtiff-tools"};
// netpbm programs are named by their own file name.
Tool Netpbm(const char* program);

// Runs `tool args` through the shell in the current folder.
::testing::AssertionResult RunTool(const Tool& tool, const std::string& args);
// Runs a Python program with Pillow imported as PIL.Image.
::testing::AssertionResult RunPillow(const std::string& program);

// A picture as another program decoded it: samples 0..255, 1 to 4 channels (grey, grey +
// alpha, RGB, RGB + alpha), rows top first.
struct Reference {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 0;
    std::vector<uint8_t> samples;
    // Red, green, blue, alpha of pixel (x, y), y from the top.
    void Rgba(uint32_t x, uint32_t y, uint8_t out[4]) const;
};

// Reads a binary PBM, PGM, PPM or PAM file (8 or 16-bit samples, scaled to 8 bits).
::testing::AssertionResult ReadNetpbm(const std::string& path, Reference& out);
// ImageMagick's decoding of `file` (first page or frame unless `page`, as "[1]", names
// one); `options` go between input and output (as "-colorspace sRGB").
::testing::AssertionResult DecodeWithConvert(const std::string& file, Reference& out,
                                             const std::string& page = "",
                                             const std::string& options = "");
// Pillow's decoding of `file`.
::testing::AssertionResult DecodeWithPillow(const std::string& file, Reference& out);

// Pixel by pixel: colour within `tolerance`, alpha within `tolerance` (pixels missing an
// alpha plane count as opaque). Colours under full transparency are not compared.
::testing::AssertionResult SamePixels(const KxImage& ours, const Reference& theirs,
                                      int tolerance = 0);

// Writes test inputs as binary netpbm files.
void WritePpm(const std::string& path, uint32_t w, uint32_t h, const std::vector<uint8_t>& rgb);
void WritePam(const std::string& path, uint32_t w, uint32_t h, uint32_t depth,
              const std::vector<uint8_t>& samples);

}  // namespace kxtest
