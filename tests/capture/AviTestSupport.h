#pragma once

// Frames of a known moving picture, and FFmpeg's command-line programs as the independent
// reader of the files the AVI writer makes.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvel::capture::test {

// Frame `index` of a smooth moving pattern (gradients and a moving box): height rows of
// 3 x width bytes, blue-green-red, the bottom row first.
std::vector<std::uint8_t> movingPattern(int width, int height, int index);

// Peak signal-to-noise ratio of two equally long byte blocks in dB (infinite when equal).
double psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// Runs a shell command; its standard output, or nothing when it exits non-zero.
std::optional<std::string> runCommand(const std::string& command);

// ffprobe's view of the first video stream: codec_name, codec_tag_string, width, height,
// r_frame_rate, nb_frames (from the headers), nb_read_frames (frames counted by decoding).
std::map<std::string, std::string> probeVideo(const std::string& path);

// Every frame of the file decoded by the ffmpeg program into bottom-up BGR rows; nothing
// when ffmpeg meets any decoding error.
std::optional<std::vector<std::vector<std::uint8_t>>> decodeWithFfmpeg(const std::string& path,
                                                                       int width, int height);

// The little-endian 32-bit value at `offset` of a byte block.
std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t offset);
std::vector<std::uint8_t> readFile(const std::string& path);

// The byte offset of the first chunk `id` in the file, or nothing.
std::optional<std::size_t> findChunk(const std::vector<std::uint8_t>& bytes, const char* id);

std::string shellQuote(const std::string& text);

}  // namespace korvel::capture::test
