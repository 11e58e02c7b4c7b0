#pragma once

// The video compressors a recording can use: the six handler codes the save configuration
// accepts, and which of them this build can write.

#include "capture/FourCC.h"

#include <array>
#include <string>
#include <vector>

namespace korvel::capture {

// The accepted handler codes, in the order the save configuration checks them.
inline constexpr std::array<FourCC, 6> kAcceptedCompressorCodes{
    FourCC{'M', 'P', '4', '2'}, FourCC{'W', 'M', 'V', '3'}, FourCC{'M', 'P', 'G', '4'},
    FourCC{'X', 'V', 'I', 'D'}, FourCC{'H', 'F', 'Y', 'U'}, FourCC{'A', 'C', 'D', 'V'}};

// The settings of one compressor, filled by the compressor's "Config" dialog.
struct CompressorSettings {
    // 1 (smallest file) to 100 (best picture); the MPEG-4 compressors map it onto their
    // quantiser, the lossless ones ignore it.
    int quality = 90;
    // A key frame every this many frames; 1 (or less) makes every frame a key frame.
    int keyFrameInterval = 1;

    friend bool operator==(const CompressorSettings&, const CompressorSettings&) = default;
};

bool isAcceptedCompressor(FourCC code);

// True when recordings with `code` can be written here: "DIB " always, the accepted codes
// whose encoder FFmpeg has (MP42, MPG4, XVID, HFYU), never WMV3 or ACDV.
bool canEncode(FourCC code);

// The accepted codes that canEncode(), in the accepted order: the compressor list.
std::vector<FourCC> encodableCompressors();

// A readable name for the compressor list ("Huffyuv lossless", ...); empty for other codes.
std::string compressorDescription(FourCC code);

}  // namespace korvel::capture
