#pragma once

// Which FFmpeg encoder, pixel format and stream handler code write a compressor's frames.
// Only the capture layer's own sources include this (it brings in FFmpeg's headers).

#include "capture/FourCC.h"

#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixfmt.h>
}

namespace korvel::capture::detail {

struct EncoderChoice {
    AVCodecID codec;
    AVPixelFormat pixelFormat;
    // The handler code in the stream header and the bitmap header's compression field;
    // the uncompressed stream has 0 there.
    std::uint32_t tag;
    const char* description;
};

// The encoder for `code`, or nothing when this build cannot write it. "DIB " maps to
// AV_CODEC_ID_RAWVIDEO, whose frames are stored without an encoder.
std::optional<EncoderChoice> encoderFor(FourCC code);

}  // namespace korvel::capture::detail
