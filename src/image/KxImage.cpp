// Core of KxImage: construction, the DIB block, copying and the simple setters.

#include "image/KxImage.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr char kErrorSize[] = "KxImage::Create : width and height must be greater than zero";
constexpr char kErrorMemoryLimit[] = "KXIMAGE_MAX_MEMORY exceeded";
constexpr char kErrorAllocate[] = "KxImage::Create can't allocate memory";

uint16_t RoundBpp(uint32_t bpp) {
    if (bpp <= 1)
        return 1;
    if (bpp <= 4)
        return 4;
    if (bpp <= 8)
        return 8;
    return 24;
}

int32_t DpiToPelsPerMeter(int32_t dpi) {
    const double ppm = std::floor(dpi * 39.37007874015748 + 0.5);
    return ppm < 2147483647.0 ? static_cast<int32_t>(ppm) : 2147483647;
}

KxBuffer AllocateBytes(uint64_t size, bool zeroed = true) {
    if (size == 0 || size > std::numeric_limits<size_t>::max())
        return nullptr;
    const auto bytes = static_cast<size_t>(size);
    return KxBuffer(static_cast<uint8_t*>(zeroed ? std::calloc(bytes, 1) : std::malloc(bytes)));
}

}  // namespace

void KxFreeDeleter::operator()(uint8_t* p) const {
    std::free(p);
}

KxImage::KxImage(uint32_t imagetype) {
    Startup(imagetype);
}

KxImage::KxImage(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp, uint32_t imagetype) {
    Startup(imagetype);
    Create(dwWidth, dwHeight, wBpp, imagetype);
}

KxImage::KxImage(const KxImage& src, bool copypixels, bool copyselection, bool copyalpha) {
    Startup(src.GetType());
    Copy(src, copypixels, copyselection, copyalpha);
}

KxImage::KxImage(const char* filename, uint32_t imagetype) {
    Startup(imagetype);
    Load(filename, imagetype);
}

KxImage::~KxImage() {
    // A ghost only borrows its buffers.
    if (info.pGhost == nullptr)
        Destroy();
}

KxImage& KxImage::operator=(const KxImage& src) {
    if (this != &src)
        Copy(src, true, true, true);
    return *this;
}

void KxImage::Startup(uint32_t imagetype) {
    pDib = pSelection = pAlpha = nullptr;
    ppLayers = nullptr;
    std::memset(&head, 0, sizeof(head));
    std::memset(&info, 0, sizeof(info));
    info.dwType = imagetype;
    info.nBkgndIndex = -1;
    info.nQuality = 90;
    info.xDPI = info.yDPI = 96;
    info.nAlphaMax = 255;
    info.bEnabled = true;
}

void KxImage::SetError(const char* text) {
    std::strncpy(info.szLastError, text, sizeof(info.szLastError) - 1);
    info.szLastError[sizeof(info.szLastError) - 1] = '\0';
}

uint64_t KxImage::MemoryDemand(uint64_t width, uint64_t height, uint32_t bpp) {
    // Header, palette and pixel rows: the block Create allocates. Dimensions are at most
    // 2^32 each, so the products below fit in 64 bits only after the guards.
    if (width > 0xFFFFFFFFull || height > 0xFFFFFFFFull)
        return 0;
    const uint64_t stride = ((width * bpp + 31) >> 5) << 2;
    if (height != 0 && stride > std::numeric_limits<uint64_t>::max() / height)
        return 0;
    const uint64_t colors = bpp <= 8 ? (1ull << bpp) : 0;
    return sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD) + stride * height;
}

bool KxImage::CheckDimensions(uint64_t width, uint64_t height, uint32_t bpp) {
    if (width == 0 || height == 0) {
        SetError(kErrorSize);
        return false;
    }
    const uint64_t demand = MemoryDemand(width, height, RoundBpp(bpp));
    if (demand == 0 || demand > KXIMAGE_MAX_MEMORY || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
        SetError(kErrorMemoryLimit);
        return false;
    }
    return true;
}

uint8_t* KxImage::Create(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp, uint32_t imagetype) {
    return CreateBlock(dwWidth, dwHeight, wBpp, imagetype, true);
}

uint8_t* KxImage::CreateForOverwrite(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp,
                                     uint32_t imagetype) {
    return CreateBlock(dwWidth, dwHeight, wBpp, imagetype, false);
}

uint8_t* KxImage::CreateBlock(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp,
                              uint32_t imagetype, bool zeroPixels) {
    if (!Destroy())
        return nullptr;
    if (!CheckDimensions(dwWidth, dwHeight, wBpp))
        return nullptr;

    const uint16_t bpp = RoundBpp(wBpp);
    const uint32_t colors = bpp <= 8 ? (1u << bpp) : 0;
    const uint32_t stride = ((dwWidth * static_cast<uint64_t>(bpp) + 31) >> 5) << 2;
    const uint64_t imageSize = static_cast<uint64_t>(stride) * dwHeight;

    info.dwEffWidth = stride;
    info.dwType = imagetype;

    head.biSize = sizeof(BITMAPINFOHEADER);
    head.biWidth = static_cast<int32_t>(dwWidth);
    head.biHeight = static_cast<int32_t>(dwHeight);
    head.biPlanes = 1;
    head.biBitCount = bpp;
    head.biCompression = BI_RGB;
    head.biSizeImage = static_cast<uint32_t>(imageSize);
    head.biXPelsPerMeter = DpiToPelsPerMeter(info.xDPI);
    head.biYPelsPerMeter = DpiToPelsPerMeter(info.yDPI);
    head.biClrUsed = colors;
    head.biClrImportant = 0;

    const uint64_t blockSize = head.biSize + colors * sizeof(RGBQUAD) + imageSize;
    dibStorage_ = AllocateBytes(blockSize, zeroPixels);
    if (!dibStorage_) {
        std::memset(&head, 0, sizeof(head));
        info.dwEffWidth = 0;
        SetError(kErrorAllocate);
        return nullptr;
    }
    // A zeroed block gives black pixels, a zero palette and zero row padding; otherwise
    // the palette and the padding are cleared here and the caller writes the pixels.
    pDib = dibStorage_.get();
    if (!zeroPixels) {
        std::memset(pDib, 0, head.biSize + colors * sizeof(RGBQUAD));
        // A partly used last byte is cleared too, so packed rows start from zero bits.
        const size_t used = size_t(dwWidth) * bpp / 8;
        if (used < stride)
            for (uint32_t y = 0; y < dwHeight; ++y)
                std::memset(
                    pDib + head.biSize + colors * sizeof(RGBQUAD) + size_t(y) * stride + used, 0,
                    stride - used);
    }
    SelectionDelete();
    AlphaDelete();
    std::memcpy(pDib, &head, sizeof(head));
    info.pImage = pDib + head.biSize + colors * sizeof(RGBQUAD);
    return pDib;
}

void KxImage::ReleaseStorage() {
    dibStorage_.reset();
    selectionStorage_.reset();
    alphaStorage_.reset();
    layerStorage_.clear();
    layerPointers_.clear();
    pDib = pSelection = pAlpha = nullptr;
    ppLayers = nullptr;
    info.nNumLayers = 0;
    info.pImage = nullptr;
    // An empty picture reports no size: callers test width and height, not only IsValid.
    std::memset(&head, 0, sizeof(head));
    info.dwEffWidth = 0;
}

bool KxImage::Destroy() {
    if (info.pGhost != nullptr)
        return false;
    ReleaseStorage();
    return true;
}

void KxImage::CopyInfo(const KxImage& src) {
    if (pDib != nullptr || this == &src)
        return;
    info = src.info;
    info.pImage = nullptr;
    info.pGhost = nullptr;
    info.pParent = nullptr;
    info.nNumLayers = 0;
}

void KxImage::Copy(const KxImage& src, bool copypixels, bool copyselection, bool copyalpha) {
    if (this == &src || info.pGhost != nullptr)
        return;
    Destroy();
    info = src.info;
    info.pImage = nullptr;
    info.pGhost = nullptr;
    info.pParent = nullptr;
    info.nNumLayers = 0;
    info.dwEffWidth = 0;
    if (!src.IsValid())
        return;
    if (Create(src.GetWidth(), src.GetHeight(), src.GetBpp(), src.GetType()) == nullptr)
        return;
    head = src.head;
    if (copypixels && pDib != nullptr && src.pDib != nullptr)
        std::memcpy(pDib, src.pDib, GetSize());
    else
        SetPalette(src.GetPalette(), src.GetNumColors());
    const size_t planeSize = static_cast<size_t>(GetWidth()) * GetHeight();
    if (copyselection && src.pSelection != nullptr && SelectionCreate())
        std::memcpy(pSelection, src.pSelection, planeSize);
    if (copyalpha && src.pAlpha != nullptr && AlphaCreate())
        std::memcpy(pAlpha, src.pAlpha, planeSize);
}

bool KxImage::Transfer(KxImage& from) {
    if (&from == this)
        return true;
    if (from.info.pGhost != nullptr) {
        SetError("null image!!!");
        return false;
    }
    if (!Destroy())
        return false;
    head = from.head;
    info = from.info;
    info.pGhost = nullptr;
    dibStorage_ = std::move(from.dibStorage_);
    selectionStorage_ = std::move(from.selectionStorage_);
    alphaStorage_ = std::move(from.alphaStorage_);
    layerStorage_ = std::move(from.layerStorage_);
    layerPointers_ = std::move(from.layerPointers_);
    pDib = from.pDib;
    pSelection = from.pSelection;
    pAlpha = from.pAlpha;
    ppLayers = layerPointers_.empty() ? nullptr : layerPointers_.data();
    for (auto& layer : layerStorage_)
        layer->info.pParent = this;

    from.ReleaseStorage();
    from.Startup(from.info.dwType);
    return true;
}

bool KxImage::Ghost(KxImage* from) {
    if (from == nullptr || from == this) {
        SetError("null image!!!");
        return false;
    }
    if (!Destroy())
        return false;
    head = from->head;
    info = from->info;
    info.pGhost = from;
    pDib = from->pDib;
    pSelection = from->pSelection;
    pAlpha = from->pAlpha;
    ppLayers = nullptr;
    info.nNumLayers = 0;
    return true;
}

void KxImage::Clear(uint8_t bval) {
    if (pDib == nullptr)
        return;
    if (head.biBitCount == 1 && bval != 0)
        bval = 255;
    if (head.biBitCount == 4)
        bval = static_cast<uint8_t>((bval & 0x0F) * 0x11);
    std::memset(info.pImage, bval, head.biSizeImage);
}

bool KxImage::CreateFromArray(const uint8_t* pArray, uint32_t dwWidth, uint32_t dwHeight,
                              uint32_t dwBitsperpixel, uint32_t dwBytesperline, bool bFlipImage) {
    if (pArray == nullptr) {
        SetError("null image!!!");
        return false;
    }
    if (dwBitsperpixel != 1 && dwBitsperpixel != 4 && dwBitsperpixel != 8 && dwBitsperpixel != 24 &&
        dwBitsperpixel != 32) {
        SetError("CreateFromArray: unsupported bit depth");
        return false;
    }
    const uint64_t needed = (static_cast<uint64_t>(dwWidth) * dwBitsperpixel + 7) / 8;
    if (dwBytesperline < needed) {
        SetError("CreateFromArray: bytes per line too small");
        return false;
    }
    if (Create(dwWidth, dwHeight, dwBitsperpixel == 32 ? 24 : dwBitsperpixel, info.dwType) ==
        nullptr)
        return false;
    if (dwBitsperpixel <= 8)
        SetGrayPalette();
    if (dwBitsperpixel == 32 && !AlphaCreate())
        return false;

    for (uint32_t y = 0; y < dwHeight; ++y) {
        const uint8_t* source = pArray + static_cast<size_t>(y) * dwBytesperline;
        const uint32_t row = bFlipImage ? dwHeight - 1 - y : y;
        uint8_t* target = GetBits(row);
        if (dwBitsperpixel == 32) {
            uint8_t* alpha = pAlpha + static_cast<size_t>(row) * dwWidth;
            for (uint32_t x = 0; x < dwWidth; ++x) {
                target[0] = source[0];
                target[1] = source[1];
                target[2] = source[2];
                alpha[x] = source[3];
                target += 3;
                source += 4;
            }
        } else {
            std::memcpy(target, source, static_cast<size_t>(needed));
        }
    }
    return true;
}

std::vector<uint8_t> KxImage::CopyToHandle() const {
    if (pDib == nullptr)
        return {};
    std::vector<uint8_t> block(GetSize(), 0);
    std::memcpy(block.data(), pDib, block.size());
    return block;
}

uint32_t KxImage::GetSize() const {
    return head.biSize + head.biSizeImage + head.biClrUsed * static_cast<uint32_t>(sizeof(RGBQUAD));
}

uint8_t* KxImage::GetBits(uint32_t row) const {
    if (pDib == nullptr)
        return nullptr;
    if (row == 0)
        return info.pImage;
    if (row < GetHeight())
        return info.pImage + static_cast<size_t>(row) * info.dwEffWidth;
    return nullptr;
}

bool KxImage::Cancelled() {
    if (GetEscape() == 0 && (owner_ == nullptr || owner_->GetEscape() == 0))
        return false;
    SetError("Cancelled");
    return true;
}

int32_t KxImage::GetProgress() const {
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(info.nProgress)).load();
}

void KxImage::SetProgress(int32_t nProgress) {
    std::atomic_ref<int32_t>(info.nProgress).store(nProgress);
    if (owner_ != nullptr)
        owner_->SetProgress(nProgress);
}

int32_t KxImage::GetEscape() const {
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(info.nEscape)).load();
}

void KxImage::SetEscape(int32_t nEscape) {
    std::atomic_ref<int32_t>(info.nEscape).store(nEscape);
}

void KxImage::SetJpegQuality(uint8_t q) {
    info.nQuality = q > 100 ? 100 : q;
}

void KxImage::SetXDPI(int32_t dpi) {
    if (dpi <= 0)
        dpi = 96;
    info.xDPI = dpi;
    head.biXPelsPerMeter = DpiToPelsPerMeter(dpi);
    if (pDib != nullptr)
        reinterpret_cast<BITMAPINFOHEADER*>(pDib)->biXPelsPerMeter = head.biXPelsPerMeter;
}

void KxImage::SetYDPI(int32_t dpi) {
    if (dpi <= 0)
        dpi = 96;
    info.yDPI = dpi;
    head.biYPelsPerMeter = DpiToPelsPerMeter(dpi);
    if (pDib != nullptr)
        reinterpret_cast<BITMAPINFOHEADER*>(pDib)->biYPelsPerMeter = head.biYPelsPerMeter;
}

uint32_t KxImage::GetCodecOption(uint32_t imagetype) const {
    if (imagetype == 0)
        imagetype = GetType();
    return imagetype < KXMAX_IMAGE_FORMATS ? info.dwCodecOpt[imagetype] : 0;
}

bool KxImage::SetCodecOption(uint32_t opt, uint32_t imagetype) {
    if (imagetype == 0)
        imagetype = GetType();
    if (imagetype >= KXMAX_IMAGE_FORMATS)
        return false;
    info.dwCodecOpt[imagetype] = opt;
    return true;
}

RGBQUAD KxImage::GetTransColor() const {
    if (head.biBitCount < 24 && info.nBkgndIndex >= 0)
        return GetPaletteColor(static_cast<uint8_t>(info.nBkgndIndex));
    return info.nBkgndColor;
}

void KxImage::SetTransColor(RGBQUAD rgb) {
    rgb.rgbReserved = 0;
    info.nBkgndColor = rgb;
}

bool KxImage::IsTransparent() const {
    return info.nBkgndIndex >= 0 || pAlpha != nullptr;
}

bool KxImage::IsInside(int32_t x, int32_t y) const {
    return pDib != nullptr && x >= 0 && y >= 0 && x < head.biWidth && y < head.biHeight;
}

bool KxImage::IsGrayScale() const {
    const RGBQUAD* palette = GetPalette();
    if (pDib == nullptr || palette == nullptr || head.biClrUsed == 0)
        return false;
    for (uint32_t i = 0; i < head.biClrUsed; ++i) {
        const RGBQUAD& c = palette[i];
        if (c.rgbRed != c.rgbGreen || c.rgbRed != c.rgbBlue)
            return false;
    }
    return true;
}

bool KxImage::SelectionCreate() {
    if (pDib == nullptr)
        return false;
    if (pSelection == nullptr) {
        const uint64_t size = static_cast<uint64_t>(GetWidth()) * GetHeight();
        auto plane = AllocateBytes(size);
        if (!plane) {
            SetError(kErrorAllocate);
            return false;
        }
        selectionStorage_ = std::move(plane);
        pSelection = selectionStorage_.get();
    }
    return true;
}

bool KxImage::SelectionDelete() {
    if (info.pGhost != nullptr)
        return false;
    selectionStorage_.reset();
    pSelection = nullptr;
    info.rSelectionBox = RECT{0, 0, 0, 0};
    return true;
}

bool KxImage::AlphaCreate() {
    if (pDib == nullptr)
        return false;
    if (pAlpha == nullptr) {
        const uint64_t size = static_cast<uint64_t>(GetWidth()) * GetHeight();
        if (size > KXIMAGE_MAX_MEMORY) {
            SetError(kErrorMemoryLimit);
            return false;
        }
        auto plane = AllocateBytes(size);
        if (!plane) {
            SetError(kErrorAllocate);
            return false;
        }
        std::memset(plane.get(), 255, static_cast<size_t>(size));
        alphaStorage_ = std::move(plane);
        pAlpha = alphaStorage_.get();
    }
    return true;
}

void KxImage::AlphaDelete() {
    if (info.pGhost != nullptr)
        return;
    alphaStorage_.reset();
    pAlpha = nullptr;
}

uint8_t* KxImage::AlphaGetPointer(int32_t x, int32_t y) const {
    if (pAlpha == nullptr || !IsInside(x, y))
        return nullptr;
    return pAlpha + static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x);
}

uint8_t KxImage::AlphaGet(int32_t x, int32_t y) const {
    const uint8_t* a = AlphaGetPointer(x, y);
    return a != nullptr ? *a : 0;
}

void KxImage::AlphaSet(int32_t x, int32_t y, uint8_t level) {
    if (uint8_t* a = AlphaGetPointer(x, y))
        *a = level;
}

bool KxImage::AlphaPaletteIsValid() const {
    const RGBQUAD* palette = GetPalette();
    if (palette == nullptr)
        return false;
    for (uint32_t i = 0; i < head.biClrUsed; ++i)
        if (palette[i].rgbReserved != 0)
            return true;
    return false;
}
