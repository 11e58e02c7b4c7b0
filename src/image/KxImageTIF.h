#pragma once

#include "image/KxImage.h"

struct tiff;
namespace kx {
struct TiffLayout;
}

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

private:
    // Grey, RGB and CMYK pages of whole-byte samples, read sample by sample.
    bool DecodeSamples(const kx::TiffLayout& layout, tiff* tif, const char* message);
};
