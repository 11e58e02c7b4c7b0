#pragma once

// Reads single frames of the first video stream of an AVI file through FFmpeg, as bottom-up
// blue-green-red rows, whatever the stream's compressor.

#include <cstdint>
#include <memory>
#include <string>

namespace korvel::capture {

class AviFrameReader {
public:
    // Null (with `error` set) when the file does not open, holds no video stream, or its
    // frame size is outside 1..65535 or its compressor cannot be decoded.
    static std::unique_ptr<AviFrameReader> open(const std::string& path, std::string& error);
    ~AviFrameReader();
    AviFrameReader(const AviFrameReader&) = delete;
    AviFrameReader& operator=(const AviFrameReader&) = delete;

    int width() const;
    int height() const;

    // Decodes frame `index` (0 = first) into `bgr`: height rows of 3 x width bytes, the
    // bottom row first. False when the file has no such frame or it does not decode.
    bool readFrame(std::int64_t index, std::uint8_t* bgr);

private:
    struct Impl;
    explicit AviFrameReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace korvel::capture
