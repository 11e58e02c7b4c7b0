#include "capture/AviCompressors.h"

#include "capture/detail/EncoderChoice.h"

#include <algorithm>

namespace korvel::capture {

namespace detail {

std::optional<EncoderChoice> encoderFor(FourCC code) {
    // "MPG4" names Microsoft's first MPEG-4 variant, for which there is no encoder, and an
    // MPEG-4 part 2 stream filed under that code would be decoded as that variant by every
    // reader. Such recordings are written as MPEG-4 part 2 under the "XVID" code instead.
    static constexpr FourCC kXvid{'X', 'V', 'I', 'D'};
    EncoderChoice choice{};
    if (code == kUncompressedCode) {
        choice = {AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGR24, 0, "Uncompressed (24-bit RGB)"};
    } else if (code == FourCC{'H', 'F', 'Y', 'U'}) {
        choice = {AV_CODEC_ID_HUFFYUV, AV_PIX_FMT_RGB24, code.value(), "Huffyuv lossless"};
    } else if (code == FourCC{'M', 'P', '4', '2'}) {
        choice = {AV_CODEC_ID_MSMPEG4V2, AV_PIX_FMT_YUV420P, code.value(),
                  "Microsoft MPEG-4 Video V2"};
    } else if (code == kXvid) {
        choice = {AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P, code.value(), "MPEG-4 Video (Xvid)"};
    } else if (code == FourCC{'M', 'P', 'G', '4'}) {
        choice = {AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P, kXvid.value(), "MPEG-4 Video"};
    } else {
        return std::nullopt;
    }
    if (choice.codec != AV_CODEC_ID_RAWVIDEO && avcodec_find_encoder(choice.codec) == nullptr) {
        return std::nullopt;
    }
    return choice;
}

}  // namespace detail

bool isAcceptedCompressor(FourCC code) {
    return std::find(kAcceptedCompressorCodes.begin(), kAcceptedCompressorCodes.end(), code) !=
           kAcceptedCompressorCodes.end();
}

bool canEncode(FourCC code) {
    return (code == kUncompressedCode || isAcceptedCompressor(code)) &&
           detail::encoderFor(code).has_value();
}

std::vector<FourCC> encodableCompressors() {
    std::vector<FourCC> codes;
    for (FourCC code : kAcceptedCompressorCodes) {
        if (canEncode(code)) {
            codes.push_back(code);
        }
    }
    return codes;
}

std::string compressorDescription(FourCC code) {
    if (!isAcceptedCompressor(code)) {
        return {};
    }
    const auto choice = detail::encoderFor(code);
    return choice ? choice->description : std::string{};
}

}  // namespace korvel::capture
