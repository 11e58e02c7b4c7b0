// Windows metafiles: the signature check lives here, the rendering with the display code.

#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEmfHeaderRecord = 1;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"

}  // namespace

bool KxImageWMF::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    const int64_t start = hFile->Tell();
    uint8_t header[44];
    const size_t got = hFile->Read(header, 1, sizeof(header));
    bool recognised = false;
    if (got >= 22 && kx::Le32(header) == kPlaceableKey)
        recognised = true;
    else if (got >= 44 && kx::Le32(header) == kEmfHeaderRecord &&
             kx::Le32(header + 40) == kEmfSignature)
        recognised = true;
    else if (got >= 18 && (kx::Le16(header) == 1 || kx::Le16(header) == 2) &&
             kx::Le16(header + 2) == 9 &&
             (kx::Le16(header + 4) == 0x100 || kx::Le16(header + 4) == 0x300))
        recognised = true;  // a plain metafile without the placeable header
    if (!recognised) {
        SetError("Not a WMF");
        return false;
    }
    const MetafileDecoder decoder = GetMetafileDecoder();
    if (decoder == nullptr) {
        SetError("WMF/EMF reading needs the display library");
        return false;
    }
    hFile->Seek(start, SEEK_SET);
    return decoder(*this, hFile);
}

bool KxImageWMF::Encode(KxFile*) {
    SetError("Save WMF not supported");
    return false;
}
