#pragma once

// One AVI file being written through FFmpeg: a single video stream, frames handed in as
// bottom-up blue-green-red rows, compressed (or stored as they are) and muxed at once.

#include "capture/AviCompressors.h"
#include "capture/FourCC.h"

#include <cstdint>
#include <memory>
#include <string>

struct AVPacket;

namespace korvel::capture {

struct AviStreamFormat {
    int width = 0;   // 1 to 65535
    int height = 0;  // 1 to 65535
    std::uint32_t frameRate = 10;
    FourCC compressor = kUncompressedCode;
    CompressorSettings settings;
};

class AviStreamWriter {
public:
    // Creates `path` and writes the headers. On failure returns null, sets `error` and
    // leaves no file behind.
    static std::unique_ptr<AviStreamWriter> create(const std::string& path,
                                                   const AviStreamFormat& format,
                                                   std::string& error);
    ~AviStreamWriter();
    AviStreamWriter(const AviStreamWriter&) = delete;
    AviStreamWriter& operator=(const AviStreamWriter&) = delete;

    // Writes frame number `index` (indices only grow; a skipped index stays an empty
    // frame) from height rows of 3 x width bytes, the bottom row first. False on failure,
    // with `error` set; after a failure of the file itself nothing more is written.
    bool writeFrame(const std::uint8_t* pixels, std::int64_t index, std::string& error);

    // True once a write failed in a way that ends the recording (disk full, I/O error).
    bool broken() const { return broken_; }

    // Completes the file (index, sizes). When the file broke, cuts it back to its last
    // complete frame and mends the sizes so that what was written stays readable. False
    // when the file could not be completed normally.
    bool finish(std::string& error);

private:
    struct Impl;
    explicit AviStreamWriter(std::unique_ptr<Impl> impl);
    bool writePacket(AVPacket* packet, std::string& error);
    bool drainEncoder(std::string& error);

    std::unique_ptr<Impl> impl_;
    bool broken_ = false;
    bool finished_ = false;
};

}  // namespace korvel::capture
