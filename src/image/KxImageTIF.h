#pragma once

#include "image/KxImage.h"

class KxImageTIF : public KxImage {
public:
    KxImageTIF() : KxImage(KXIMAGE_FORMAT_TIF) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile) { return Encode(hFile, false); }
    // With bAppend the picture becomes a new page after the pages already in the stream.
    bool Encode(KxFile* hFile, bool bAppend);
    bool Encode(KxFile* hFile, KxImage** pImages, int pagecount);
};
