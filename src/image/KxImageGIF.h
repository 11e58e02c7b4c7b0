#pragma once

#include <string>

#include "image/KxImage.h"

class KxImageGIF : public KxImage {
public:
    KxImageGIF() : KxImage(KXIMAGE_FORMAT_GIF) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
    // Animated GIF: one frame per image; with localColorMaps each frame keeps its own
    // palette, else all frames use the first frame's palette.
    bool Encode(KxFile* hFile, KxImage** pImages, int pagecount, bool bLocalColorMap = false);

    // Loop count of the "NETSCAPE2.0" extension; 0 loops for ever, -1 writes none.
    void SetLoops(int32_t loops) { m_loops = loops; }
    int32_t GetLoops() const { return m_loops; }
    // Disposal method 0..3 written in each frame's graphic control extension.
    void SetDisposalMethod(int32_t dm) { m_dispmeth = dm & 7; }
    int32_t GetDisposalMethod() const { return m_dispmeth; }
    // Comment extension (at most 255 bytes are written).
    void SetComment(const char* sz_comment) { m_comment = sz_comment ? sz_comment : ""; }
    const std::string& GetComment() const { return m_comment; }

private:
    bool EncodeFrame(KxFile* hFile, KxImage& frame, bool localColorMap, bool first);
    int32_t m_loops = 0;
    int32_t m_dispmeth = 0;
    std::string m_comment;
};
