// Loading and saving: the format dispatch, auto-detection and the file/memory forms of
// Decode and Encode.

#include <atomic>
#include <cstdio>
#include <string>

#include "image/KxImage.h"
#include "image/KxImageGIF.h"
#include "image/KxImageJPG.h"
#include "image/KxImageTIF.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

// Installed once at start-up by programs that link the display library.
std::atomic<KxImage::MetafileDecoder> g_metafileDecoder{nullptr};

// The fixed order in which auto-detection tries the decoders.
constexpr uint32_t kDetectionOrder[] = {KXIMAGE_FORMAT_BMP, KXIMAGE_FORMAT_JPG, KXIMAGE_FORMAT_ICO,
                                        KXIMAGE_FORMAT_GIF, KXIMAGE_FORMAT_PNG, KXIMAGE_FORMAT_TIF,
                                        KXIMAGE_FORMAT_TGA, KXIMAGE_FORMAT_PCX, KXIMAGE_FORMAT_WBMP,
                                        KXIMAGE_FORMAT_WMF, KXIMAGE_FORMAT_JP2, KXIMAGE_FORMAT_JPC,
                                        KXIMAGE_FORMAT_PGX, KXIMAGE_FORMAT_PNM, KXIMAGE_FORMAT_RAS};

}  // namespace

void KxImage::SetMetafileDecoder(MetafileDecoder decoder) {
    g_metafileDecoder.store(decoder);
}

KxImage::MetafileDecoder KxImage::GetMetafileDecoder() {
    return g_metafileDecoder.load();
}

namespace {

// Makes the codec object of a format and hands it to `run`. `known` tells whether the
// format has a codec at all.
template <typename Run>
bool withCodec(uint32_t imagetype, bool& known, Run&& run) {
    known = true;
    switch (imagetype) {
        case KXIMAGE_FORMAT_BMP: {
            KxImageBMP codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_GIF: {
            KxImageGIF codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_JPG: {
            KxImageJPG codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_PNG: {
            KxImagePNG codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_ICO: {
            KxImageICO codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_TIF: {
            KxImageTIF codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_TGA: {
            KxImageTGA codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_PCX: {
            KxImagePCX codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_WBMP: {
            KxImageWBMP codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_WMF: {
            KxImageWMF codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_JP2:
        case KXIMAGE_FORMAT_JPC: {
            KxImageJ2K codec(imagetype);
            return run(codec);
        }
        case KXIMAGE_FORMAT_PGX: {
            KxImagePGX codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_PNM: {
            KxImagePNM codec;
            return run(codec);
        }
        case KXIMAGE_FORMAT_RAS: {
            KxImageRAS codec;
            return run(codec);
        }
        default:
            known = false;
            return false;
    }
}

}  // namespace

bool KxImage::DecodeAs(KxFile* hFile, uint32_t imagetype) {
    bool known = false;
    const bool ok = withCodec(imagetype, known, [&](auto& codec) {
        codec.CopyInfo(*this);
        codec.WorkFor(this);
        const bool decoded = codec.Decode(hFile);
        codec.WorkFor(nullptr);
        if (!decoded) {
            SetError(codec.GetLastError());
            return false;
        }
        codec.SetEscape(0);
        if (!Transfer(codec))
            return false;
        info.dwType = imagetype;
        return true;
    });
    if (!known)
        SetError("Decode: Unknown or wrong format");
    return ok;
}

bool KxImage::EncodeAs(KxFile* hFile, uint32_t imagetype) {
    bool known = false;
    const bool ok = withCodec(imagetype, known, [&](auto& codec) {
        if (!codec.Ghost(this)) {
            SetError(codec.GetLastError());
            return false;
        }
        codec.WorkFor(this);
        const bool encoded = codec.Encode(hFile);
        codec.WorkFor(nullptr);
        if (!encoded)
            SetError(codec.GetLastError());
        return encoded;
    });
    if (!known)
        SetError("Encode: Unknown format");
    return ok;
}

bool KxImage::Decode(KxFile* hFile, uint32_t imagetype) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    SetProgress(0);
    if (imagetype != KXIMAGE_FORMAT_UNKNOWN)
        return DecodeAs(hFile, imagetype);

    const int64_t start = hFile->Tell();
    for (uint32_t type : kDetectionOrder) {
        if (!hFile->Seek(start, SEEK_SET))
            break;
        if (DecodeAs(hFile, type))
            return true;
        if (GetEscape() != 0) {
            SetError("Cancelled");
            return false;
        }
    }
    SetError("Decode: Unknown or wrong format");
    return false;
}

bool KxImage::Decode(FILE* hFile, uint32_t imagetype) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    KxIOFile file(hFile);
    return Decode(&file, imagetype);
}

bool KxImage::Decode(const uint8_t* buffer, size_t size, uint32_t imagetype) {
    if (buffer == nullptr) {
        SetError("null file handler");
        return false;
    }
    KxMemFile file(buffer, size);
    return Decode(&file, imagetype);
}

bool KxImage::Load(const char* filename, uint32_t imagetype) {
    if (filename == nullptr) {
        SetError("null file handler");
        return false;
    }
    std::string firstError;
    const bool typeGiven = imagetype > 0 && imagetype < KXMAX_IMAGE_FORMATS;
    if (typeGiven) {
        KxIOFile file;
        if (!file.Open(filename, "rb")) {
            SetError("Can't open file");
            return false;
        }
        if (Decode(&file, imagetype))
            return true;
        firstError = GetLastError();
    }
    KxIOFile file;
    if (!file.Open(filename, "rb")) {
        SetError("Can't open file");
        return false;
    }
    if (Decode(&file, KXIMAGE_FORMAT_UNKNOWN))
        return true;
    if (typeGiven && GetEscape() == 0)
        SetError(firstError.c_str());
    return false;
}

bool KxImage::LoadResource(const char* resource, uint32_t imagetype, const char* module) {
    if (resource == nullptr) {
        SetError("Unable to load resource!");
        return false;
    }
    std::string path = module != nullptr && *module != '\0' ? std::string(module) + "/" : "";
    path += resource;
    KxIOFile file;
    if (!file.Open(path.c_str(), "rb")) {
        SetError("Unable to load resource!");
        return false;
    }
    return Decode(&file, imagetype);
}

bool KxImage::Encode(KxFile* hFile, uint32_t imagetype) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (pDib == nullptr) {
        SetError("null image!!!");
        return false;
    }
    if (imagetype == KXIMAGE_FORMAT_UNKNOWN || imagetype >= KXMAX_IMAGE_FORMATS) {
        SetError("Encode: Unknown format");
        return false;
    }
    return EncodeAs(hFile, imagetype);
}

bool KxImage::Encode(FILE* hFile, uint32_t imagetype) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    KxIOFile file(hFile);
    return Encode(&file, imagetype);
}

bool KxImage::Encode(std::vector<uint8_t>& buffer, uint32_t imagetype) {
    if (!buffer.empty()) {
        SetError("the buffer must be empty");
        return false;
    }
    KxMemFile file;
    file.Open();
    if (!Encode(&file, imagetype))
        return false;
    buffer = file.GetBuffer(true);
    return true;
}

bool KxImage::Encode(KxFile* hFile, KxImage** pImages, int pagecount, uint32_t imagetype) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (pImages == nullptr || pagecount <= 0) {
        SetError("null image!!!");
        return false;
    }
    for (int i = 0; i < pagecount; ++i) {
        if (pImages[i] == nullptr || !pImages[i]->IsValid()) {
            SetError("null image!!!");
            return false;
        }
    }
    if (imagetype == KXIMAGE_FORMAT_TIF) {
        KxImageTIF codec;
        codec.WorkFor(this);
        if (codec.Encode(hFile, pImages, pagecount))
            return true;
        SetError(codec.GetLastError());
        return false;
    }
    if (imagetype == KXIMAGE_FORMAT_GIF) {
        KxImageGIF codec;
        codec.WorkFor(this);
        if (codec.Encode(hFile, pImages, pagecount, false))
            return true;
        SetError(codec.GetLastError());
        return false;
    }
    SetError("Multipage Encode, Unsupported operation for this format");
    return false;
}

bool KxImage::Encode(FILE* hFile, KxImage** pImages, int pagecount, uint32_t imagetype) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    KxIOFile file(hFile);
    return Encode(&file, pImages, pagecount, imagetype);
}

bool KxImage::Save(const char* filename, uint32_t imagetype) {
    if (filename == nullptr) {
        SetError("null file handler");
        return false;
    }
    // Encode into memory first so that a refused or failed encode never leaves a
    // truncated file behind.
    KxMemFile encoded;
    encoded.Open();
    if (!Encode(&encoded, imagetype))
        return false;
    KxIOFile file;
    if (!file.Open(filename, "wb")) {
        SetError("Can't open file for writing");
        return false;
    }
    const size_t size = static_cast<size_t>(encoded.Size());
    const bool written = file.Write(encoded.GetBuffer(), 1, size) == size && file.Flush();
    if (!file.Close() || !written) {
        std::remove(filename);
        SetError("Write error");
        return false;
    }
    return true;
}
