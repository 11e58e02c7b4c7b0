#pragma once

// The in-memory picture: a device-independent bitmap (header, palette, bottom-up pixel
// rows in one heap block) with optional selection mask and alpha plane, a record of
// format information, and the codecs that load and save it.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "image/KxFile.h"
#include "image/KxTypes.h"

class QImage;
class QPainter;

// Heap blocks of the picture come from calloc: large blocks arrive as fresh zero pages.
struct KxFreeDeleter {
    void operator()(uint8_t* p) const;
};
using KxBuffer = std::unique_ptr<uint8_t[], KxFreeDeleter>;

enum ENUM_KXIMAGE_FORMATS : uint32_t {
    KXIMAGE_FORMAT_UNKNOWN = 0,
    KXIMAGE_FORMAT_BMP = 1,
    KXIMAGE_FORMAT_GIF = 2,
    KXIMAGE_FORMAT_JPG = 3,
    KXIMAGE_FORMAT_PNG = 4,
    KXIMAGE_FORMAT_ICO = 5,
    KXIMAGE_FORMAT_TIF = 6,
    KXIMAGE_FORMAT_TGA = 7,
    KXIMAGE_FORMAT_PCX = 8,
    KXIMAGE_FORMAT_WBMP = 9,
    KXIMAGE_FORMAT_WMF = 10,
    KXIMAGE_FORMAT_JP2 = 11,
    KXIMAGE_FORMAT_JPC = 12,
    KXIMAGE_FORMAT_PGX = 13,
    KXIMAGE_FORMAT_PNM = 14,
    KXIMAGE_FORMAT_RAS = 15,
    KXMAX_IMAGE_FORMATS = 16
};

// Largest memory demand (header + palette + pixels + alpha + selection) of one picture.
inline constexpr uint64_t KXIMAGE_MAX_MEMORY = 256000000;

// Format-specific and run-time information; copied whole by Copy, CopyInfo and Transfer.
struct KXIMAGEINFO {
    uint32_t dwEffWidth;     // row stride in bytes
    uint8_t* pImage;         // row 0 inside the DIB block
    class KxImage* pGhost;   // set on a ghost: the image whose buffers it shares
    class KxImage* pParent;  // parent of a layer
    uint32_t dwType;         // format type id
    char szLastError[256];   // text of the last failure
    int32_t nProgress;       // 0..100
    int32_t nEscape;         // non-zero asks a running operation to stop
    int32_t nBkgndIndex;     // transparent palette index, -1 = none
    RGBQUAD nBkgndColor;     // transparent colour of true-colour images
    uint8_t nQuality;        // JPEG quality 0..100
    uint8_t nJpegScale;      // JPEG decode scale denominator
    int32_t nFrame;          // frame or page to decode
    int32_t nNumFrames;      // frames or pages found by the last decode
    uint32_t dwFrameDelay;   // GIF frame delay, 1/100 s
    int32_t xDPI;
    int32_t yDPI;
    RECT rSelectionBox;
    uint8_t nAlphaMax;
    bool bAlphaPaletteEnabled;
    bool bEnabled;
    int32_t xOffset;
    int32_t yOffset;
    uint32_t dwCodecOpt[KXMAX_IMAGE_FORMATS];
    RGBQUAD last_c;  // nearest-colour cache
    uint8_t last_c_index;
    bool last_c_isvalid;
    int32_t nNumLayers;
    uint32_t dwFlags;
};

enum InterpolationMethod {
    IM_NEAREST_NEIGHBOUR = 1,
    IM_BILINEAR = 2,
    IM_BSPLINE = 3,
    IM_BICUBIC = 4,
    IM_BICUBIC2 = 5,
    IM_LANCZOS = 6,
    IM_BOX = 7,
    IM_HERMITE = 8,
    IM_HAMMING = 9,
};

enum OverflowMethod {
    OM_COLOR = 1,
    OM_BACKGROUND = 2,
    OM_TRANSPARENT = 3,
    OM_WRAP = 4,
    OM_REPEAT = 5,
    OM_MIRROR = 6,
};

// How Mix combines a source pixel with the destination pixel under it.
enum ImageOpType {
    OpAdd = 0,
    OpAnd = 1,
    OpXor = 2,
    OpOr = 3,
    OpMask = 4,
    OpSrcCopy = 5,
    OpDstCopy = 6,
    OpSub = 7,
    OpSrcBlend = 8,
    OpScreen = 9,
};

// Colour spaces of Combine, Repair and Histogram.
enum KxColorSpace {
    KX_SPACE_RGB = 0,
    KX_SPACE_HSL = 1,
    KX_SPACE_YUV = 2,
    KX_SPACE_YIQ = 3,
    KX_SPACE_XYZ = 4,
};

class KxImage {
public:
    // Construction, copying and lifetime (KxImage.cpp)
    explicit KxImage(uint32_t imagetype = KXIMAGE_FORMAT_UNKNOWN);
    KxImage(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp,
            uint32_t imagetype = KXIMAGE_FORMAT_UNKNOWN);
    KxImage(const KxImage& src, bool copypixels = true, bool copyselection = true,
            bool copyalpha = true);
    KxImage(const char* filename, uint32_t imagetype);
    virtual ~KxImage();
    KxImage& operator=(const KxImage& src);

    uint8_t* Create(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp,
                    uint32_t imagetype = KXIMAGE_FORMAT_UNKNOWN);
    // As Create, but the pixel bytes are left unset (row padding is still zero): for
    // operations that write every pixel of a new picture, which then do not pay for
    // clearing (and faulting in) a block they are about to overwrite.
    uint8_t* CreateForOverwrite(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp,
                                uint32_t imagetype = KXIMAGE_FORMAT_UNKNOWN);
    bool Destroy();
    void Copy(const KxImage& src, bool copypixels = true, bool copyselection = true,
              bool copyalpha = true);
    void CopyInfo(const KxImage& src);
    bool Transfer(KxImage& from);
    // Makes this image a ghost: a view sharing the buffers of `from`, which must outlive it.
    bool Ghost(KxImage* from);
    void Clear(uint8_t bval = 0);
    bool CreateFromArray(const uint8_t* pArray, uint32_t dwWidth, uint32_t dwHeight,
                         uint32_t dwBitsperpixel, uint32_t dwBytesperline, bool bFlipImage);
    // A packed DIB (header, palette, pixels) as on the clipboard.
    bool CreateFromHANDLE(std::span<const uint8_t> hMem);
    // A packed DIB for the clipboard; empty when the image is empty.
    std::vector<uint8_t> CopyToHandle() const;
    // Display members, defined in the kximage_qt library.
    bool CreateFromHBITMAP(const QImage& hbmp, const std::vector<RGBQUAD>* hpal = nullptr);
    QImage MakeBitmap(QPainter* hdc = nullptr) const;
    // Drawing (kximage_qt). The picture is painted at (x, y), scaled to cx x cy (-1 keeps
    // the natural size), blended with its alpha plane or transparent colour; smooth
    // scaling interpolates.
    bool Draw(QPainter* hdc, int32_t x = 0, int32_t y = 0, int32_t cx = -1, int32_t cy = -1,
              const RECT* pClipRect = nullptr, bool bSmooth = false) const;
    bool Draw(QPainter* hdc, const RECT& rect, const RECT* pClipRect = nullptr,
              bool bSmooth = false) const;
    // Scaled copy without blending, as a printer takes it.
    bool Stretch(QPainter* hdc, int32_t xoffset, int32_t yoffset, int32_t xsize,
                 int32_t ysize) const;
    // The picture repeated over a rectangle.
    bool Tile(QPainter* hdc, const RECT& rc) const;
    // Default text record: face "Arial".
    static void InitTextInfo(tagKxTextInfo* txt);
    // Draws a text record into the picture's pixels with (x, y) the anchor from the top
    // left; with a painter, draws onto the painter instead.
    bool DrawStringEx(QPainter* hdc, int32_t x, int32_t y, const tagKxTextInfo* pTextType,
                      bool bSetAlpha = false);
    uint8_t* GetDIB() const { return pDib; }

    // Queries and simple setters
    bool IsValid() const { return pDib != nullptr; }
    uint32_t GetWidth() const { return static_cast<uint32_t>(head.biWidth); }
    uint32_t GetHeight() const { return static_cast<uint32_t>(head.biHeight); }
    uint32_t GetEffWidth() const { return info.dwEffWidth; }
    uint16_t GetBpp() const { return head.biBitCount; }
    uint32_t GetNumColors() const { return head.biClrUsed; }
    uint32_t GetType() const { return info.dwType; }
    uint32_t GetSize() const;
    uint8_t* GetBits(uint32_t row = 0) const;
    const char* GetLastError() const { return info.szLastError; }
    void SetError(const char* text);
    int32_t GetProgress() const;
    void SetProgress(int32_t nProgress);
    int32_t GetEscape() const;
    void SetEscape(int32_t nEscape);
    int32_t GetNumFrames() const { return info.nNumFrames; }
    int32_t GetFrame() const { return info.nFrame; }
    void SetFrame(int32_t nFrame) { info.nFrame = nFrame; }
    uint32_t GetFrameDelay() const { return info.dwFrameDelay; }
    void SetFrameDelay(uint32_t d) { info.dwFrameDelay = d; }
    uint8_t GetJpegQuality() const { return info.nQuality; }
    void SetJpegQuality(uint8_t q);
    uint8_t GetJpegScale() const { return info.nJpegScale; }
    void SetJpegScale(uint8_t s) { info.nJpegScale = s; }
    int32_t GetXDPI() const { return info.xDPI; }
    int32_t GetYDPI() const { return info.yDPI; }
    void SetXDPI(int32_t dpi);
    void SetYDPI(int32_t dpi);
    uint32_t GetCodecOption(uint32_t imagetype = 0) const;
    bool SetCodecOption(uint32_t opt, uint32_t imagetype = 0);
    int32_t GetTransIndex() const { return info.nBkgndIndex; }
    void SetTransIndex(int32_t idx) { info.nBkgndIndex = idx; }
    RGBQUAD GetTransColor() const;
    void SetTransColor(RGBQUAD rgb);
    bool IsTransparent() const;
    bool IsInside(int32_t x, int32_t y) const;
    bool IsGrayScale() const;
    uint32_t GetFlags() const { return info.dwFlags; }
    void SetFlags(uint32_t flags) { info.dwFlags = flags; }
    const BITMAPINFOHEADER& GetHeader() const { return head; }
    bool IsGhost() const { return info.pGhost != nullptr; }

    // Pixels and palette (KxImagePixels.cpp)
    uint8_t GetPixelIndex(int32_t x, int32_t y) const;
    void SetPixelIndex(int32_t x, int32_t y, uint8_t i);
    RGBQUAD GetPixelColor(int32_t x, int32_t y, bool bGetAlpha = true) const;
    void SetPixelColor(int32_t x, int32_t y, RGBQUAD c, bool bSetAlpha = false);
    RGBQUAD GetPixelColorInterpolated(float x, float y, InterpolationMethod inMethod = IM_BILINEAR,
                                      OverflowMethod ofMethod = OM_BACKGROUND,
                                      const RGBQUAD* rplColor = nullptr) const;
    RGBQUAD* GetPalette() const;
    void SetPalette(const RGBQUAD* pPal, uint32_t nColors = 256);
    void SetPalette(const rgb_color* rgb, uint32_t nColors = 256);
    RGBQUAD GetPaletteColor(uint8_t idx) const;
    bool GetPaletteColor(uint8_t i, uint8_t* r, uint8_t* g, uint8_t* b) const;
    void SetPaletteColor(uint8_t idx, RGBQUAD c);
    void SetPaletteColor(uint8_t idx, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha = 0);
    void SetGrayPalette();
    void HuePalette(float correction = 1.0f);
    uint8_t GetNearestIndex(RGBQUAD c);
    static RGBQUAD RGBtoHSL(RGBQUAD lRGBColor);
    static RGBQUAD HSLtoRGB(RGBQUAD lHSLColor);
    static uint8_t GrayLevel(RGBQUAD c) {
        return static_cast<uint8_t>((601 * c.rgbGreen + 306 * c.rgbRed + 117 * c.rgbBlue) >> 10);
    }

    // Selection and alpha planes: storage only here.
    bool SelectionIsValid() const { return pSelection != nullptr; }
    bool SelectionCreate();
    bool SelectionDelete();
    uint8_t* SelectionGetPointer() const { return pSelection; }
    bool AlphaIsValid() const { return pAlpha != nullptr; }
    bool AlphaCreate();
    void AlphaDelete();
    uint8_t* AlphaGetPointer(int32_t x = 0, int32_t y = 0) const;
    uint8_t AlphaGet(int32_t x, int32_t y) const;
    void AlphaSet(int32_t x, int32_t y, uint8_t level);
    uint8_t AlphaGetMax() const { return info.nAlphaMax; }
    void AlphaSetMax(uint8_t nAlphaMax) { info.nAlphaMax = nAlphaMax; }
    void AlphaPaletteEnable(bool enable = true) { info.bAlphaPaletteEnabled = enable; }
    bool AlphaPaletteIsEnabled() const { return info.bAlphaPaletteEnabled; }
    bool AlphaPaletteIsValid() const;

    // Processing operations (defined with the operations library, kximage_ops). They work
    // in place unless they take a destination, report progress and stop on the escape.
    bool SelectionAddRect(RECT r);
    bool SelectionAddPolygon(const POINT* points, int32_t npoints);
    bool SelectionGetBox(RECT& r);
    bool SelectionClear();
    bool AlphaInvert();
    bool AlphaStrip();
    bool AlphaSplit(KxImage* dest) const;
    bool AlphaSet(const KxImage& from);
    bool Flip();
    bool Mirror();
    bool RotateLeft(KxImage* iDst = nullptr);
    bool RotateRight(KxImage* iDst = nullptr);
    bool Rotate2(float angle, KxImage* iDst = nullptr, InterpolationMethod inMethod = IM_BILINEAR,
                 OverflowMethod ofMethod = OM_BACKGROUND, RGBQUAD* replColor = nullptr,
                 bool optimizeRightAngles = true, bool bKeepOriginalSize = false);
    bool Resample(int32_t newx, int32_t newy, int32_t mode = 1, KxImage* iDst = nullptr);
    bool Resample2(int32_t newx, int32_t newy, InterpolationMethod inMethod = IM_BICUBIC2,
                   OverflowMethod ofMethod = OM_REPEAT, KxImage* iDst = nullptr,
                   bool disableAveraging = false);
    bool Crop(RECT rect, KxImage* iDst = nullptr);
    bool CropRotatedRectangle(int32_t topx, int32_t topy, int32_t width, int32_t height,
                              float angle, KxImage* iDst = nullptr);
    bool Skew(float xgain, float ygain, int32_t xpivot = 0, int32_t ypivot = 0,
              bool bEnableInterpolation = false);
    bool CircleTransform(int32_t type, int32_t rmax = 0, float Koeff = 1.0f);
    bool IncreaseBpp(uint32_t nbit);
    bool DecreaseBpp(uint32_t nbit, bool errordiffusion, const RGBQUAD* ppal = nullptr,
                     uint32_t clrimportant = 0);
    bool Dither(int32_t method = 0);
    bool Threshold(uint8_t level);
    bool Colorize(uint8_t hue, uint8_t sat, float blend = 1.0f);
    bool ShiftRGB(int32_t r, int32_t g, int32_t b);
    bool Light(int32_t brightness, int32_t contrast = 0);
    bool Gamma(float gamma);
    bool Negative();
    bool GrayScale();
    bool HistogramStretch(int32_t method = 0);
    bool HistogramEqualize();
    bool HistogramNormalize();
    bool HistogramLog();
    bool HistogramRoot();
    int32_t Histogram(int32_t* red, int32_t* green = nullptr, int32_t* blue = nullptr,
                      int32_t* gray = nullptr, int32_t colorspace = 0) const;
    float Mean() const;
    bool Filter(const int32_t* kernel, int32_t Ksize, int32_t Kfactor, int32_t Koffset);
    bool Erode(int32_t Ksize = 2);
    bool Dilate(int32_t Ksize = 2);
    bool Edge(int32_t Ksize = 2);
    bool Median(int32_t Ksize = 3);
    bool Contour();
    bool Noise(int32_t level);
    bool Jitter(int32_t radius = 2);
    bool Repair(float radius = 0.25f, int32_t niterations = 1, int32_t colorspace = 0);
    bool SplitRGB(KxImage* r, KxImage* g, KxImage* b);
    bool SplitYUV(KxImage* y, KxImage* u, KxImage* v);
    bool SplitYIQ(KxImage* y, KxImage* i, KxImage* q);
    bool SplitXYZ(KxImage* x, KxImage* y, KxImage* z);
    bool SplitHSL(KxImage* h, KxImage* s, KxImage* l);
    bool SplitCMYK(KxImage* c, KxImage* m, KxImage* y, KxImage* k);
    bool Combine(const KxImage* r, const KxImage* g, const KxImage* b, const KxImage* a,
                 int32_t colorspace = 0);
    bool Mix(const KxImage& imgsrc2, ImageOpType op, int32_t lXOffset = 0, int32_t lYOffset = 0,
             bool bMixAlpha = false);
    bool FFT2(KxImage* srcReal, KxImage* srcImag, KxImage* dstReal, KxImage* dstImag,
              int32_t direction = 1, bool bForceFFT = true, bool bMagnitude = true);

    // Files and memory (KxImageCodecs.cpp)
    bool Load(const char* filename, uint32_t imagetype = KXIMAGE_FORMAT_UNKNOWN);
    bool Save(const char* filename, uint32_t imagetype);
    bool Decode(KxFile* hFile, uint32_t imagetype);
    bool Decode(FILE* hFile, uint32_t imagetype);
    bool Decode(const uint8_t* buffer, size_t size, uint32_t imagetype);
    bool Encode(KxFile* hFile, uint32_t imagetype);
    bool Encode(FILE* hFile, uint32_t imagetype);
    // Encodes into a new buffer; `buffer` must be empty on entry.
    bool Encode(std::vector<uint8_t>& buffer, uint32_t imagetype);
    bool Encode(KxFile* hFile, KxImage** pImages, int pagecount, uint32_t imagetype);
    bool Encode(FILE* hFile, KxImage** pImages, int pagecount, uint32_t imagetype);
    // Resources are files shipped next to the program; `module` is the folder.
    bool LoadResource(const char* resource, uint32_t imagetype, const char* module = nullptr);

    // The metafile (WMF/EMF) reader lives with the display code; a program that links
    // kximage_qt installs it once at start-up.
    using MetafileDecoder = bool (*)(KxImage& target, KxFile* file);
    static void SetMetafileDecoder(MetafileDecoder decoder);
    static MetafileDecoder GetMetafileDecoder();

protected:
    void Startup(uint32_t imagetype);
    bool Cancelled();
    // Memory demand of a width x height picture at bpp (with alpha), or 0 on overflow.
    static uint64_t MemoryDemand(uint64_t width, uint64_t height, uint32_t bpp);
    bool CheckDimensions(uint64_t width, uint64_t height, uint32_t bpp);
    uint8_t BlindGetPixelIndex(int32_t x, int32_t y) const;
    RGBQUAD BlindGetPixelColor(int32_t x, int32_t y, bool bGetAlpha = true) const;
    void BlindSetPixelIndex(int32_t x, int32_t y, uint8_t i);
    void OverflowCoordinates(float& x, float& y, OverflowMethod ofMethod) const;
    void OverflowCoordinates(int32_t& x, int32_t& y, OverflowMethod ofMethod) const;
    RGBQUAD GetPixelColorWithOverflow(int32_t x, int32_t y, OverflowMethod ofMethod,
                                      const RGBQUAD* rplColor) const;

    // The data model, in this order.
    uint8_t* pDib = nullptr;  // header + palette + pixels; owned by dibStorage_ unless ghost
    BITMAPINFOHEADER head{};
    KXIMAGEINFO info{};
    uint8_t* pSelection = nullptr;  // width x height bytes or null
    uint8_t* pAlpha = nullptr;      // width x height bytes or null
    KxImage** ppLayers = nullptr;   // child images; the program never creates any

    // Codec objects decode or encode on behalf of another image: they report progress to
    // it and stop when its escape field is set.
    bool DecodeAs(KxFile* hFile, uint32_t imagetype);
    bool EncodeAs(KxFile* hFile, uint32_t imagetype);
    void WorkFor(KxImage* owner) { owner_ = owner; }

private:
    uint8_t* CreateBlock(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp, uint32_t imagetype,
                         bool zeroPixels);
    void ReleaseStorage();

    KxImage* owner_ = nullptr;

    KxBuffer dibStorage_;
    KxBuffer selectionStorage_;
    KxBuffer alphaStorage_;
    std::vector<std::unique_ptr<KxImage>> layerStorage_;
    std::vector<KxImage*> layerPointers_;
};
