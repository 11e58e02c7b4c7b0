#pragma once

// Codec classes that only the image library itself names. Each derives from KxImage,
// decodes a stream into itself and encodes itself (usually a ghost of the caller's image).

#include <vector>

#include "image/KxImage.h"

class KxImageBMP : public KxImage {
public:
    KxImageBMP() : KxImage(KXIMAGE_FORMAT_BMP) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
    // Reads a DIB that starts with its info header at the stream position. `bitsOffset`
    // is the pixel offset from `fileStart`, or 0 for a packed DIB (pixels follow the palette).
    bool DecodeDib(KxFile* hFile, int64_t fileStart, uint32_t bitsOffset);
    // Writes the info header, palette and pixels (no file header). With alpha, a 32-bit
    // bit-field DIB carries the alpha plane.
    bool EncodeDib(KxFile* hFile, bool withFileHeader);
};

class KxImagePNG : public KxImage {
public:
    KxImagePNG() : KxImage(KXIMAGE_FORMAT_PNG) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};

class KxImageICO : public KxImage {
public:
    KxImageICO() : KxImage(KXIMAGE_FORMAT_ICO) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};

class KxImageTGA : public KxImage {
public:
    KxImageTGA() : KxImage(KXIMAGE_FORMAT_TGA) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};

class KxImagePCX : public KxImage {
public:
    KxImagePCX() : KxImage(KXIMAGE_FORMAT_PCX) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};

class KxImageWBMP : public KxImage {
public:
    KxImageWBMP() : KxImage(KXIMAGE_FORMAT_WBMP) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};

class KxImageWMF : public KxImage {
public:
    KxImageWMF() : KxImage(KXIMAGE_FORMAT_WMF) {}
    using KxImage::Decode;
    using KxImage::Encode;
    // Checks the signature, then hands the stream to the installed metafile renderer.
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};

class KxImagePNM : public KxImage {
public:
    KxImagePNM() : KxImage(KXIMAGE_FORMAT_PNM) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};

class KxImagePGX : public KxImage {
public:
    KxImagePGX() : KxImage(KXIMAGE_FORMAT_PGX) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};

class KxImageRAS : public KxImage {
public:
    KxImageRAS() : KxImage(KXIMAGE_FORMAT_RAS) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};

// JPEG 2000: the JP2 file format (type 11) and the bare code stream (type 12).
class KxImageJ2K : public KxImage {
public:
    explicit KxImageJ2K(uint32_t type = KXIMAGE_FORMAT_JP2) : KxImage(type) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);
};
