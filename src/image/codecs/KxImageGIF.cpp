// GIF with our own LZW coder: multi-frame read with compositing, transparency and
// interlacing; write with LZW, uncompressed or run-length coding, and animations.

#include "image/KxImageGIF.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "image/codecs/KxCodecUtil.h"

namespace {

constexpr uint32_t kOptionUncompressed = 1;
constexpr uint32_t kOptionRle = 2;

// Reads the data sub-blocks that follow an image descriptor or extension.
bool ReadSubBlocks(KxFile* file, std::vector<uint8_t>* out) {
    for (;;) {
        const int size = file->GetC();
        if (size < 0)
            return false;
        if (size == 0)
            return true;
        uint8_t block[255];
        if (!kx::ReadExact(file, block, static_cast<size_t>(size)))
            return false;
        if (out != nullptr)
            out->insert(out->end(), block, block + size);
    }
}

// Decodes an LZW stream of at most `total` indices, handing each to sink(position, index)
// as it appears: frames need no buffer of their own, whatever size they claim. A short
// stream simply ends early. False only for a broken code size.
template <class Sink>
bool LzwDecode(const std::vector<uint8_t>& data, int minCodeSize, uint64_t total, Sink&& sink) {
    if (minCodeSize < 1 || minCodeSize > 11)
        return false;
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    uint16_t prefix[4096];
    uint8_t suffix[4096];
    uint8_t stack[4097];
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    uint8_t first = 0;
    uint32_t bitBuffer = 0;
    int bitCount = 0;
    size_t in = 0;
    uint64_t written = 0;
    for (int i = 0; i < clear; ++i) {
        prefix[i] = 0xFFFF;
        suffix[i] = static_cast<uint8_t>(i);
    }
    while (written < total) {
        while (bitCount < codeSize) {
            if (in >= data.size())
                return true;
            bitBuffer |= static_cast<uint32_t>(data[in++]) << bitCount;
            bitCount += 8;
        }
        const int code = static_cast<int>(bitBuffer & ((1u << codeSize) - 1));
        bitBuffer >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            return true;
        if (previous < 0) {
            if (code >= clear)
                return true;  // corrupt: a string code right after a clear
            first = static_cast<uint8_t>(code);
            sink(written++, first);
            previous = code;
            continue;
        }
        int current = code;
        int depth = 0;
        if (code >= next) {
            if (code > next)
                return true;  // corrupt: code from the future
            stack[depth++] = first;
            current = previous;
        }
        while (current >= clear) {
            if (depth >= 4096 || current >= 4096)
                return true;
            stack[depth++] = suffix[current];
            current = prefix[current];
        }
        first = static_cast<uint8_t>(current);
        stack[depth++] = first;
        while (depth > 0 && written < total)
            sink(written++, stack[--depth]);
        if (next < 4096) {
            prefix[next] = static_cast<uint16_t>(previous);
            suffix[next] = first;
            ++next;
            if (next == (1 << codeSize) && codeSize < 12)
                ++codeSize;
        }
        previous = code;
    }
    return true;
}

// LZW encoder. Literal mode never matches strings and clears before the code width would
// grow, so every pixel costs one code of the minimum width; run mode only extends strings
// of one repeated index.
class LzwEncoder {
public:
    enum class Mode { Full, Runs, Literal };

    LzwEncoder(int minCodeSize, Mode mode, std::vector<uint8_t>& out)
        : minCodeSize_(minCodeSize),
          clear_(1 << minCodeSize),
          mode_(mode),
          out_(out),
          slots_(kTableSize) {}

    void Encode(const std::vector<uint8_t>& pixels) {
        Reset();
        Output(clear_);
        if (pixels.empty()) {
            Output(clear_ + 1);
            Flush();
            return;
        }
        int current = pixels[0];
        uint8_t runValue = pixels[0];
        for (size_t i = 1; i < pixels.size(); ++i) {
            const uint8_t c = pixels[i];
            // Strings are keyed by (prefix code, next index).
            const uint32_t key = (static_cast<uint32_t>(current) << 8) | c;
            Slot* slot = Find(key);
            if (slot->stamp == generation_ &&
                (mode_ == Mode::Full || (mode_ == Mode::Runs && c == runValue))) {
                current = slot->code;
                continue;
            }
            Output(current);
            if (next_ < 4096) {
                *slot = Slot{generation_, key, static_cast<uint16_t>(next_++)};
            } else {
                Output(clear_);
                Reset();
            }
            if (mode_ == Mode::Literal && next_ >= (1 << codeSize_) - 1) {
                Output(clear_);
                Reset();
            }
            current = c;
            runValue = c;
        }
        Output(current);
        Output(clear_ + 1);
        Flush();
    }

private:
    // Open addressing with at most 4096 live entries in 8192 slots; a slot belongs to the
    // current table only when it carries the current generation.
    static constexpr size_t kTableSize = 8192;
    struct Slot {
        uint32_t stamp = 0;
        uint32_t key = 0;
        uint16_t code = 0;
    };

    // The slot holding `key`, or the free slot where it would go.
    Slot* Find(uint32_t key) {
        size_t index = (key * 2654435761u) >> 19;
        while (slots_[index].stamp == generation_ && slots_[index].key != key)
            index = (index + 1) & (kTableSize - 1);
        return &slots_[index];
    }

    // Starting a new generation forgets every entry without clearing the table.
    void Reset() {
        ++generation_;
        next_ = clear_ + 2;
        codeSize_ = minCodeSize_ + 1;
    }

    void Output(int code) {
        bits_ |= static_cast<uint32_t>(code) << bitCount_;
        bitCount_ += codeSize_;
        while (bitCount_ >= 8) {
            out_.push_back(static_cast<uint8_t>(bits_));
            bits_ >>= 8;
            bitCount_ -= 8;
        }
        // The decoder widens its codes once its table reaches the current width; it adds
        // its entries one code later than we do, hence the comparison with next_.
        if (code != clear_ && next_ > (1 << codeSize_) - 1 && codeSize_ < 12)
            ++codeSize_;
        if (code == clear_)
            codeSize_ = minCodeSize_ + 1;
    }

    void Flush() {
        if (bitCount_ > 0)
            out_.push_back(static_cast<uint8_t>(bits_));
        bits_ = 0;
        bitCount_ = 0;
    }

    int minCodeSize_;
    int clear_;
    Mode mode_;
    std::vector<uint8_t>& out_;
    std::vector<Slot> slots_;
    uint32_t generation_ = 0;
    int next_ = 0;
    int codeSize_ = 0;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
};

struct Frame {
    uint32_t left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::vector<RGBQUAD> palette;  // the local table, empty when the global one applies
    int transparent = -1;
    int disposal = 0;
    uint32_t delay = 0;
};

}  // namespace

bool KxImageGIF::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    uint8_t header[13];
    if (!kx::ReadExact(hFile, header, sizeof(header)) ||
        (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0)) {
        SetError("Not a GIF");
        return false;
    }
    uint32_t screenWidth = kx::Le16(header + 6);
    uint32_t screenHeight = kx::Le16(header + 8);
    const uint8_t flags = header[10];
    const int backgroundIndex = header[11];
    std::vector<RGBQUAD> globalPalette;
    if (flags & 0x80) {
        const int count = 2 << (flags & 7);
        uint8_t bytes[768];
        if (!kx::ReadExact(hFile, bytes, static_cast<size_t>(count) * 3)) {
            SetError("Not a GIF");
            return false;
        }
        for (int i = 0; i < count; ++i)
            globalPalette.push_back(KxRGB(bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]));
    }

    const int32_t target = std::max(0, info.nFrame);
    int frameCount = 0;
    // The composed picture: palette indices while every frame so far uses the global
    // table, true colour (with a coverage mask) once a local table appears.
    bool indexed = true;
    std::vector<uint8_t> canvas, saved;
    std::vector<RGBQUAD> rgbCanvas, rgbSaved;
    bool canvasReady = false;
    Frame pending;  // graphic control values for the next image
    Frame shown;    // the frame of the result
    Frame previous;
    bool previousValid = false;
    bool done = false;
    bool anyTransparency = false;
    std::vector<uint8_t> data;

    auto backgroundFill = [&](const Frame& f) {
        // Transparent pictures clear to their transparent index, opaque ones to the
        // background colour.
        return f.transparent >= 0 ? f.transparent : backgroundIndex;
    };

    while (!done) {
        const int introducer = hFile->GetC();
        if (introducer < 0 || introducer == 0x3B)
            break;
        if (introducer == 0x21) {
            const int label = hFile->GetC();
            if (label < 0)
                break;
            std::vector<uint8_t> block;
            if (!ReadSubBlocks(hFile, &block))
                break;
            if (label == 0xF9 && block.size() >= 4) {
                pending.disposal = (block[0] >> 2) & 7;
                pending.delay = kx::Le16(block.data() + 1);
                pending.transparent = (block[0] & 1) ? block[3] : -1;
            } else if (label == 0xFF && block.size() >= 14 &&
                       std::memcmp(block.data(), "NETSCAPE2.0", 11) == 0 && block[11] == 1) {
                m_loops = kx::Le16(block.data() + 12);
            } else if (label == 0xFE) {
                m_comment.assign(block.begin(), block.end());
            }
            continue;
        }
        if (introducer != 0x2C)
            break;  // garbage after the last frame ends the stream

        uint8_t descriptor[9];
        if (!kx::ReadExact(hFile, descriptor, sizeof(descriptor)))
            break;
        Frame frame = pending;
        pending = Frame{};
        frame.left = kx::Le16(descriptor);
        frame.top = kx::Le16(descriptor + 2);
        frame.width = kx::Le16(descriptor + 4);
        frame.height = kx::Le16(descriptor + 6);
        frame.interlaced = (descriptor[8] & 0x40) != 0;
        if (descriptor[8] & 0x80) {
            const int count = 2 << (descriptor[8] & 7);
            uint8_t bytes[768];
            if (!kx::ReadExact(hFile, bytes, static_cast<size_t>(count) * 3))
                break;
            for (int i = 0; i < count; ++i)
                frame.palette.push_back(KxRGB(bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]));
        }
        const int minCodeSize = hFile->GetC();
        const bool wanted = frameCount <= target;
        data.clear();
        if (minCodeSize < 0 || !ReadSubBlocks(hFile, wanted ? &data : nullptr)) {
            if (frameCount == 0) {
                SetError("Not a GIF");
                return false;
            }
            break;
        }
        ++frameCount;
        if (!wanted)
            continue;

        if (frameCount == 1) {
            if (screenWidth == 0 || screenHeight == 0) {
                screenWidth = std::max(screenWidth, frame.left + frame.width);
                screenHeight = std::max(screenHeight, frame.top + frame.height);
            }
            if (!CheckDimensions(screenWidth, screenHeight, 8))
                return false;
        }
        if (!frame.palette.empty() && indexed) {
            // Switch to true colour, carrying over what is composed so far. The true-colour
            // canvas takes four bytes a pixel: hold it to the limit of a 24-bit picture.
            if (!CheckDimensions(screenWidth, screenHeight, 24))
                return false;
            indexed = false;
            if (canvasReady) {
                rgbCanvas.resize(canvas.size());
                for (size_t i = 0; i < canvas.size(); ++i) {
                    const int index = canvas[i];
                    const bool clear = previousValid && index == shown.transparent;
                    rgbCanvas[i] =
                        index < static_cast<int>(globalPalette.size()) && !clear
                            ? RGBQUAD{globalPalette[index].rgbBlue, globalPalette[index].rgbGreen,
                                      globalPalette[index].rgbRed, 255}
                            : RGBQUAD{0, 0, 0, 0};
                }
            }
        }
        const size_t screenPixels = static_cast<size_t>(screenWidth) * screenHeight;
        if (!canvasReady) {
            if (indexed)
                canvas.assign(screenPixels, static_cast<uint8_t>(backgroundFill(frame)));
            else
                rgbCanvas.assign(screenPixels, RGBQUAD{0, 0, 0, 0});
            canvasReady = true;
        }
        // Dispose of the previous frame.
        if (previousValid) {
            if (previous.disposal == 2) {
                for (uint32_t y = previous.top;
                     y < previous.top + previous.height && y < screenHeight; ++y)
                    for (uint32_t x = previous.left;
                         x < previous.left + previous.width && x < screenWidth; ++x) {
                        const size_t i = static_cast<size_t>(y) * screenWidth + x;
                        if (indexed)
                            canvas[i] = static_cast<uint8_t>(backgroundFill(previous));
                        else
                            rgbCanvas[i] = RGBQUAD{0, 0, 0, 0};
                    }
            } else if (previous.disposal == 3) {
                if (indexed && saved.size() == canvas.size())
                    canvas = saved;
                else if (!indexed && rgbSaved.size() == rgbCanvas.size())
                    rgbCanvas = rgbSaved;
            }
        }
        if (frame.disposal == 3) {
            if (indexed)
                saved = canvas;
            else
                rgbSaved = rgbCanvas;
        }

        const std::vector<RGBQUAD>& palette = frame.palette.empty() ? globalPalette : frame.palette;
        // Interlaced frames store rows in four passes.
        std::vector<uint32_t> rowOrder(frame.height);
        if (frame.interlaced) {
            uint32_t r = 0;
            static const uint32_t starts[4] = {0, 4, 2, 1};
            static const uint32_t steps[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (uint32_t y = starts[pass]; y < frame.height; y += steps[pass])
                    rowOrder[r++] = y;
        } else {
            for (uint32_t y = 0; y < frame.height; ++y)
                rowOrder[y] = y;
        }
        // Each decoded index lands on the canvas at once; parts outside it are dropped.
        auto put = [&](uint64_t position, uint8_t index) {
            if (index == frame.transparent)
                return;
            const uint64_t cx = frame.left + position % frame.width;
            const uint64_t cy = frame.top + rowOrder[static_cast<size_t>(position / frame.width)];
            if (cx >= screenWidth || cy >= screenHeight)
                return;
            const size_t i = static_cast<size_t>(cy) * screenWidth + static_cast<size_t>(cx);
            if (indexed) {
                canvas[i] = index;
            } else if (index < palette.size()) {
                rgbCanvas[i] = RGBQUAD{palette[index].rgbBlue, palette[index].rgbGreen,
                                       palette[index].rgbRed, 255};
            }
        };
        const uint64_t framePixels = static_cast<uint64_t>(frame.width) * frame.height;
        if (framePixels > 0 && !LzwDecode(data, minCodeSize, framePixels, put)) {
            SetError("Not a GIF");
            return false;
        }
        anyTransparency |= frame.transparent >= 0;
        previous = frame;
        previousValid = true;
        shown = frame;
        if (Cancelled())
            return false;
    }

    if (frameCount == 0 || !canvasReady) {
        SetError("Not a GIF");
        return false;
    }
    if (target >= frameCount) {
        SetError("Error: frame not present in GIF file");
        return false;
    }
    info.nNumFrames = frameCount;
    info.dwFrameDelay = shown.delay;

    if (indexed) {
        const size_t colors = std::max<size_t>(globalPalette.size(), 2);
        const uint32_t bpp = colors <= 2 ? 1 : (colors <= 16 ? 4 : 8);
        if (Create(screenWidth, screenHeight, bpp, KXIMAGE_FORMAT_GIF) == nullptr)
            return false;
        SetPalette(globalPalette.data(), static_cast<uint32_t>(globalPalette.size()));
        for (uint32_t y = 0; y < screenHeight; ++y) {
            const uint8_t* in = canvas.data() + static_cast<size_t>(y) * screenWidth;
            const int32_t row = static_cast<int32_t>(screenHeight - 1 - y);
            if (bpp == 8) {
                std::memcpy(GetBits(static_cast<uint32_t>(row)), in, screenWidth);
            } else {
                // Pack whole rows: pixels per byte 8 (1 bit) or 2 (4 bits), high bits first.
                const uint8_t limit = static_cast<uint8_t>((1u << bpp) - 1);
                const uint32_t perByte = 8 / bpp;
                uint8_t* out = GetBits(static_cast<uint32_t>(row));
                for (uint32_t x = 0; x < screenWidth; x += perByte) {
                    uint8_t packed = 0;
                    for (uint32_t k = 0; k < perByte; ++k) {
                        const uint8_t v = x + k < screenWidth ? std::min(in[x + k], limit) : 0;
                        packed = static_cast<uint8_t>(packed << bpp | v);
                    }
                    out[x / perByte] = packed;
                }
            }
        }
        const int transparent = shown.transparent >= 0 ? shown.transparent : -1;
        SetTransIndex(anyTransparency && transparent >= 0 &&
                              transparent < static_cast<int>(GetNumColors())
                          ? transparent
                          : -1);
        return true;
    }

    if (Create(screenWidth, screenHeight, 24, KXIMAGE_FORMAT_GIF) == nullptr)
        return false;
    bool anyClear = false;
    for (const RGBQUAD& c : rgbCanvas)
        anyClear |= c.rgbReserved == 0;
    if (anyClear && !AlphaCreate())
        return false;
    for (uint32_t y = 0; y < screenHeight; ++y) {
        const RGBQUAD* in = rgbCanvas.data() + static_cast<size_t>(y) * screenWidth;
        const uint32_t row = screenHeight - 1 - y;
        uint8_t* out = GetBits(row);
        for (uint32_t x = 0; x < screenWidth; ++x, out += 3) {
            out[0] = in[x].rgbBlue;
            out[1] = in[x].rgbGreen;
            out[2] = in[x].rgbRed;
            if (anyClear)
                pAlpha[static_cast<size_t>(row) * screenWidth + x] = in[x].rgbReserved;
        }
    }
    return true;
}

namespace {

// Turns any picture into palette indices of at most 256 colours (top row first).
struct IndexedPicture {
    std::vector<RGBQUAD> palette;
    std::vector<uint8_t> indices;
    int transparent = -1;
};

IndexedPicture MakeIndexed(const KxImage& image) {
    IndexedPicture result;
    const uint32_t w = image.GetWidth(), h = image.GetHeight();
    result.indices.resize(static_cast<size_t>(w) * h);
    const bool alpha = image.AlphaIsValid();
    if (image.GetBpp() <= 8) {
        const RGBQUAD* palette = image.GetPalette();
        result.palette.assign(palette, palette + image.GetNumColors());
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                result.indices[static_cast<size_t>(y) * w + x] =
                    image.GetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(h - 1 - y));
        result.transparent = image.GetTransIndex() < static_cast<int>(result.palette.size())
                                 ? image.GetTransIndex()
                                 : -1;
        if (alpha && result.transparent < 0 && result.palette.size() < 256) {
            result.transparent = static_cast<int>(result.palette.size());
            result.palette.push_back(RGBQUAD{0, 0, 0, 0});
        }
        if (alpha && result.transparent >= 0) {
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    if (image.AlphaGet(static_cast<int32_t>(x), static_cast<int32_t>(h - 1 - y)) <
                        128)
                        result.indices[static_cast<size_t>(y) * w + x] =
                            static_cast<uint8_t>(result.transparent);
        }
        return result;
    }

    // True colour: the exact colours when there are few enough, else a fixed 6x7x6 cube.
    const size_t maxColors = alpha ? 255 : 256;
    std::unordered_map<uint32_t, uint8_t> exact;
    bool fits = true;
    for (uint32_t y = 0; y < h && fits; ++y) {
        const uint8_t* p = image.GetBits(y);
        for (uint32_t x = 0; x < w; ++x, p += 3) {
            const uint32_t key = p[0] | (p[1] << 8) | (p[2] << 16);
            if (exact.find(key) == exact.end()) {
                if (exact.size() >= maxColors) {
                    fits = false;
                    break;
                }
                exact.emplace(key, static_cast<uint8_t>(exact.size()));
                result.palette.push_back(RGBQUAD{p[0], p[1], p[2], 0});
            }
        }
    }
    if (!fits) {
        result.palette.clear();
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 7; ++g)
                for (int b = 0; b < 6; ++b)
                    result.palette.push_back(KxRGB(static_cast<uint8_t>(r * 51),
                                                   static_cast<uint8_t>(g * 255 / 6),
                                                   static_cast<uint8_t>(b * 51)));
    }
    if (alpha) {
        result.transparent = static_cast<int>(result.palette.size());
        result.palette.push_back(RGBQUAD{0, 0, 0, 0});
    }
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t row = h - 1 - y;
        const uint8_t* p = image.GetBits(row);
        for (uint32_t x = 0; x < w; ++x, p += 3) {
            uint8_t index;
            if (fits) {
                index = exact[p[0] | (p[1] << 8) | (p[2] << 16)];
            } else {
                const int r = (p[2] + 25) / 51, g = (p[1] * 6 + 127) / 255, b = (p[0] + 25) / 51;
                index = static_cast<uint8_t>((r * 7 + g) * 6 + b);
            }
            if (alpha && image.AlphaGet(static_cast<int32_t>(x), static_cast<int32_t>(row)) < 128)
                index = static_cast<uint8_t>(result.transparent);
            result.indices[static_cast<size_t>(y) * w + x] = index;
        }
    }
    return result;
}

int TableBits(size_t colors) {
    int bits = 1;
    while ((1u << bits) < colors)
        ++bits;
    return bits;
}

void PutPalette(std::vector<uint8_t>& out, const std::vector<RGBQUAD>& palette, int bits) {
    for (size_t i = 0; i < (1u << bits); ++i) {
        const RGBQUAD c = i < palette.size() ? palette[i] : RGBQUAD{0, 0, 0, 0};
        out.push_back(c.rgbRed);
        out.push_back(c.rgbGreen);
        out.push_back(c.rgbBlue);
    }
}

void PutSubBlocks(std::vector<uint8_t>& out, const std::vector<uint8_t>& data) {
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                   data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
}

}  // namespace

bool KxImageGIF::EncodeFrame(KxFile* hFile, KxImage& frame, bool localColorMap, bool first) {
    (void)first;
    const IndexedPicture picture = MakeIndexed(frame);
    std::vector<uint8_t> out;
    // Graphic control extension.
    out.insert(out.end(), {0x21, 0xF9, 4});
    out.push_back(static_cast<uint8_t>((m_dispmeth << 2) | (picture.transparent >= 0 ? 1 : 0)));
    kx::PutLe16(out, frame.GetFrameDelay());
    out.push_back(static_cast<uint8_t>(picture.transparent >= 0 ? picture.transparent : 0));
    out.push_back(0);
    // Image descriptor.
    out.push_back(0x2C);
    kx::PutLe16(out, 0);
    kx::PutLe16(out, 0);
    kx::PutLe16(out, frame.GetWidth());
    kx::PutLe16(out, frame.GetHeight());
    const int bits = TableBits(picture.palette.size());
    if (localColorMap) {
        out.push_back(static_cast<uint8_t>(0x80 | (bits - 1)));
        PutPalette(out, picture.palette, bits);
    } else {
        out.push_back(0);
    }
    const int minCodeSize = std::max(2, bits);
    out.push_back(static_cast<uint8_t>(minCodeSize));
    const uint32_t option = frame.GetCodecOption(KXIMAGE_FORMAT_GIF);
    const LzwEncoder::Mode mode = option == kOptionUncompressed ? LzwEncoder::Mode::Literal
                                  : option == kOptionRle        ? LzwEncoder::Mode::Runs
                                                                : LzwEncoder::Mode::Full;
    std::vector<uint8_t> coded;
    LzwEncoder(minCodeSize, mode, coded).Encode(picture.indices);
    PutSubBlocks(out, coded);
    if (!kx::WriteExact(hFile, out)) {
        SetError("Write Error in GIF file");
        return false;
    }
    return true;
}

bool KxImageGIF::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetError("null image!!!");
        return false;
    }
    if (GetWidth() > 65535 || GetHeight() > 65535) {
        SetError("Write Error in GIF file");
        return false;
    }
    KxImage* self = this;
    return Encode(hFile, &self, 1, false);
}

bool KxImageGIF::Encode(KxFile* hFile, KxImage** pImages, int pagecount, bool bLocalColorMap) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (pImages == nullptr || pagecount <= 0 || pImages[0] == nullptr || !pImages[0]->IsValid()) {
        SetError("null image!!!");
        return false;
    }
    uint32_t width = 0, height = 0;
    for (int i = 0; i < pagecount; ++i) {
        if (pImages[i] == nullptr || !pImages[i]->IsValid()) {
            SetError("null image!!!");
            return false;
        }
        width = std::max(width, pImages[i]->GetWidth());
        height = std::max(height, pImages[i]->GetHeight());
    }
    if (width > 65535 || height > 65535) {
        SetError("Write Error in GIF file");
        return false;
    }
    // Without local maps every frame is written against the first frame's table.
    const IndexedPicture firstPicture = MakeIndexed(*pImages[0]);
    const int bits = TableBits(firstPicture.palette.size());
    std::vector<uint8_t> out(reinterpret_cast<const uint8_t*>("GIF89a"),
                             reinterpret_cast<const uint8_t*>("GIF89a") + 6);
    kx::PutLe16(out, width);
    kx::PutLe16(out, height);
    out.push_back(static_cast<uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
    out.push_back(0);
    out.push_back(0);
    PutPalette(out, firstPicture.palette, bits);
    if (pagecount > 1 && m_loops >= 0) {
        out.insert(out.end(), {0x21, 0xFF, 11});
        const char* app = "NETSCAPE2.0";
        out.insert(out.end(), app, app + 11);
        out.insert(out.end(), {3, 1});
        kx::PutLe16(out, static_cast<uint32_t>(m_loops));
        out.push_back(0);
    }
    if (!m_comment.empty()) {
        out.insert(out.end(), {0x21, 0xFE});
        const size_t n = std::min<size_t>(255, m_comment.size());
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), m_comment.begin(),
                   m_comment.begin() + static_cast<std::ptrdiff_t>(n));
        out.push_back(0);
    }
    if (!kx::WriteExact(hFile, out)) {
        SetError("Write Error in GIF file");
        return false;
    }
    for (int i = 0; i < pagecount; ++i) {
        KxImage* frame = pImages[i];
        bool local = bLocalColorMap || i > 0;
        if (i > 0 && !bLocalColorMap) {
            // Frames that share the first palette need no local table.
            const IndexedPicture p = MakeIndexed(*frame);
            local = p.palette.size() != firstPicture.palette.size() ||
                    !std::equal(p.palette.begin(), p.palette.end(), firstPicture.palette.begin(),
                                [](const RGBQUAD& a, const RGBQUAD& b) {
                                    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen &&
                                           a.rgbBlue == b.rgbBlue;
                                });
        }
        if (!EncodeFrame(hFile, *frame, local, i == 0))
            return false;
        SetProgress(100 * (i + 1) / pagecount);
        if (Cancelled())
            return false;
    }
    if (!hFile->PutC(0x3B)) {
        SetError("Write Error in GIF file");
        return false;
    }
    return true;
}
