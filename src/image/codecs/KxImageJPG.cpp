// JPEG through the IJG 6b interface of libjpeg-turbo, with the EXIF reader.

#include <stdio.h>  // jpeglib.h needs FILE and size_t first
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>

#include "image/KxImageJPG.h"
#include "image/codecs/KxCodecUtil.h"

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr uint32_t kOptionOptimised = 8;
constexpr uint32_t kOptionProgressive = 16;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
    auto* error = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    longjmp(error->jump, 1);
}

void SilentMessage(j_common_ptr, int) {}

// Source manager reading a KxFile through a buffer; a stream that ends early gets a fake
// EOI so libjpeg finishes with grey rows instead of reading past the end.
struct SourceManager {
    jpeg_source_mgr pub;
    KxFile* file;
    JOCTET* buffer;
    bool startOfFile;
};

void InitSource(j_decompress_ptr cinfo) {
    reinterpret_cast<SourceManager*>(cinfo->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
    size_t got = src->file->Read(src->buffer, 1, kBufferSize);
    if (got == 0) {
        if (src->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        got = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = got;
    src->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
    if (count <= 0)
        return;
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

struct DestinationManager {
    jpeg_destination_mgr pub;
    KxFile* file;
    JOCTET* buffer;
};

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<DestinationManager*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<DestinationManager*>(cinfo->dest);
    if (dest->file->Write(dest->buffer, 1, kBufferSize) != kBufferSize)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<DestinationManager*>(cinfo->dest);
    const size_t count = kBufferSize - dest->pub.free_in_buffer;
    if (count > 0 && dest->file->Write(dest->buffer, 1, count) != count)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->file->Flush();
}

// Value reader of one IFD entry, in the byte order of its block.
struct ExifReader {
    const uint8_t* base;
    size_t length;
    bool intel;

    uint16_t U16(const uint8_t* p) const { return intel ? kx::Le16(p) : kx::Be16(p); }
    uint32_t U32(const uint8_t* p) const { return intel ? kx::Le32(p) : kx::Be32(p); }

    double Number(const uint8_t* p, int format) const {
        switch (format) {
            case 1:
            case 7:
                return *p;
            case 6:
                return static_cast<int8_t>(*p);
            case 3:
                return U16(p);
            case 8:
                return static_cast<int16_t>(U16(p));
            case 4:
                return U32(p);
            case 9:
                return static_cast<int32_t>(U32(p));
            case 5: {
                const uint32_t den = U32(p + 4);
                return den == 0 ? 0.0 : static_cast<double>(U32(p)) / den;
            }
            case 10: {
                const int32_t den = static_cast<int32_t>(U32(p + 4));
                return den == 0 ? 0.0 : static_cast<double>(static_cast<int32_t>(U32(p))) / den;
            }
            case 11: {
                float f;
                const uint32_t bits = U32(p);
                std::memcpy(&f, &bits, 4);
                return f;
            }
            case 12: {
                uint64_t bits = intel ? (static_cast<uint64_t>(U32(p + 4)) << 32) | U32(p)
                                      : (static_cast<uint64_t>(U32(p)) << 32) | U32(p + 4);
                double d;
                std::memcpy(&d, &bits, 8);
                return d;
            }
            default:
                return 0.0;
        }
    }
};

// Tag values are untrusted: convert with clamping, never with an out-of-range cast.
int32_t ClampToInt(double v) {
    if (!(v == v))
        return 0;  // NaN
    return static_cast<int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
}

float ClampToFloat(double v) {
    if (!(v == v))
        return 0.0f;
    return static_cast<float>(std::clamp(v, -3.0e38, 3.0e38));
}

constexpr int kFormatBytes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

std::string TextOf(const uint8_t* p, size_t size) {
    size_t n = 0;
    while (n < size && p[n] != '\0')
        ++n;
    std::string text(reinterpret_cast<const char*>(p), n);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

}  // namespace

bool KxImageJPG::KxExifInfo::ProcessExif(const uint8_t* data, size_t length) {
    if (data == nullptr || length < 6 + 8 || std::memcmp(data, "Exif\0\0", 6) != 0) {
        std::snprintf(m_szLastError, sizeof(m_szLastError), "Incorrect Exif header");
        return false;
    }
    const uint8_t* tiff = data + 6;
    const size_t tiffLength = length - 6;
    bool intel;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        intel = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        intel = false;
    else {
        std::snprintf(m_szLastError, sizeof(m_szLastError), "Invalid Exif alignment marker");
        return false;
    }
    const ExifReader reader{tiff, tiffLength, intel};
    if (reader.U16(tiff + 2) != 0x2A) {
        std::snprintf(m_szLastError, sizeof(m_szLastError), "Invalid Exif start");
        return false;
    }
    focalPlaneUnitsValue_ = 0;
    exifImageWidth_ = 0;
    if (!ProcessIfd(tiff, tiffLength, reader.U32(tiff + 4), 0, intel))
        return false;

    tag_ExifInfo& e = *m_exifinfo;
    e.FocalplaneUnits = focalPlaneUnitsValue_;
    if (exifImageWidth_ != 0 && e.FocalplaneXRes > 0 && focalPlaneUnitsValue_ > 0)
        e.CCDWidth = ClampToFloat(exifImageWidth_ * static_cast<double>(focalPlaneUnitsValue_) /
                                  e.FocalplaneXRes);
    e.IsExif = true;
    return true;
}

bool KxImageJPG::KxExifInfo::ProcessIfd(const uint8_t* tiff, size_t length, uint32_t offset,
                                        int depth, bool intel) {
    if (depth > 4) {
        std::snprintf(m_szLastError, sizeof(m_szLastError), "Maximum directory nesting exceeded");
        return false;
    }
    const ExifReader reader{tiff, length, intel};
    if (static_cast<uint64_t>(offset) + 2 > length) {
        std::snprintf(m_szLastError, sizeof(m_szLastError), "Illegal directory offset");
        return false;
    }
    const uint32_t entries = reader.U16(tiff + offset);
    if (static_cast<uint64_t>(offset) + 2 + 12ull * entries > length) {
        std::snprintf(m_szLastError, sizeof(m_szLastError), "Illegally sized directory");
        return false;
    }
    tag_ExifInfo& e = *m_exifinfo;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* entry = tiff + offset + 2 + 12 * i;
        const uint16_t tag = reader.U16(entry);
        const int format = reader.U16(entry + 2);
        const uint32_t components = reader.U32(entry + 4);
        if (format < 1 || format > 12)
            continue;  // unknown format: skip the entry, keep the rest
        const uint64_t size = static_cast<uint64_t>(components) * kFormatBytes[format];
        const uint8_t* value;
        if (size <= 4) {
            value = entry + 8;
        } else {
            const uint32_t valueOffset = reader.U32(entry + 8);
            if (static_cast<uint64_t>(valueOffset) + size > length)
                continue;  // points outside the block
            value = tiff + valueOffset;
        }
        if (components == 0)
            continue;
        const double number = reader.Number(value, format);
        switch (tag) {
            case 0x010F:
                e.CameraMake = TextOf(value, static_cast<size_t>(size));
                break;
            case 0x0110:
                e.CameraModel = TextOf(value, static_cast<size_t>(size));
                break;
            case 0x0132:
                if (e.DateTime.empty())
                    e.DateTime = TextOf(value, static_cast<size_t>(size));
                break;
            case 0x9003:  // date and time of the original: preferred
                e.DateTime = TextOf(value, static_cast<size_t>(size));
                break;
            case 0x9000:
                e.Version = TextOf(value, std::min<size_t>(static_cast<size_t>(size), 4));
                break;
            case 0x011A:
                e.Xresolution = ClampToFloat(number);
                break;
            case 0x011B:
                e.Yresolution = ClampToFloat(number);
                break;
            case 0x0128:
                e.ResolutionUnit = ClampToFloat(number);
                break;
            case 0x0112:
                e.Orientation = ClampToInt(number);
                break;
            case 0x9209:
                e.FlashUsed = ClampToInt(number);
                break;
            case 0x920A:
                e.FocalLength = ClampToFloat(number);
                break;
            case 0x829A:
                e.ExposureTime = ClampToFloat(number);
                break;
            case 0x9201:  // shutter speed (APEX), used when no exposure time is given
                if (e.ExposureTime == 0 && number > -64 && number < 64)
                    e.ExposureTime = ClampToFloat(1.0 / std::exp2(number));
                break;
            case 0x9203:
                e.Brightness = ClampToFloat(number);
                break;
            case 0x829D:
                e.ApertureFNumber = ClampToFloat(number);
                break;
            case 0x9202:  // aperture (APEX), used when no f-number is given
            case 0x9205:
                if (e.ApertureFNumber == 0 && number > -64 && number < 64)
                    e.ApertureFNumber = ClampToFloat(std::exp2(number * 0.5));
                break;
            case 0x9206:
                e.Distance = number < 0 ? -1.0f : ClampToFloat(number);
                break;
            case 0x8827:
                e.ISOequivalent = ClampToInt(number);
                break;
            case 0x9204:
                e.ExposureBias = ClampToFloat(number);
                break;
            case 0xA403:
                e.Whitebalance = ClampToInt(number);
                break;
            case 0x9207:
                e.MeteringMode = ClampToInt(number);
                break;
            case 0x8822:
                e.ExposureProgram = ClampToInt(number);
                break;
            case 0x9102:
                e.CompressionLevel = ClampToInt(number);
                break;
            case 0xA002:
                exifImageWidth_ = static_cast<uint32_t>(std::max(0, ClampToInt(number)));
                break;
            case 0xA20E:
                e.FocalplaneXRes = ClampToFloat(number);
                break;
            case 0xA20F:
                e.FocalplaneYRes = ClampToFloat(number);
                break;
            case 0xA210:
                switch (ClampToInt(number)) {
                    case 1:
                    case 2:
                        focalPlaneUnitsValue_ = 25.4f;  // inch
                        break;
                    case 3:
                        focalPlaneUnitsValue_ = 10.0f;  // centimetre
                        break;
                    case 4:
                        focalPlaneUnitsValue_ = 1.0f;  // millimetre
                        break;
                    case 5:
                        focalPlaneUnitsValue_ = 0.001f;  // micrometre
                        break;
                    default:
                        break;
                }
                break;
            case 0x9286:  // user comment: 8 bytes of character code, then the text
                if (size > 8)
                    e.Comments = TextOf(value + 8, static_cast<size_t>(size - 8));
                break;
            case 0x8769:
            case 0xA005: {
                const uint32_t sub = reader.U32(value);
                if (sub != offset)
                    ProcessIfd(tiff, length, sub, depth + 1, intel);
                break;
            }
            default:
                break;
        }
    }
    return true;
}

bool KxImageJPG::KxExifInfo::DecodeExif(KxFile* hFile) {
    if (hFile == nullptr) {
        std::snprintf(m_szLastError, sizeof(m_szLastError), "null file handler");
        return false;
    }
    uint8_t soi[2];
    if (!kx::ReadExact(hFile, soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8) {
        std::snprintf(m_szLastError, sizeof(m_szLastError), "No image in jpeg!\n");
        return false;
    }
    bool found = false;
    for (int sections = 0; sections < 256; ++sections) {
        int c = hFile->GetC();
        int padding = 0;
        while (c == 0xFF && padding < 16) {
            c = hFile->GetC();
            ++padding;
        }
        if (c < 0 || padding == 0 || c == 0xFF)
            break;
        const int marker = c;
        if (marker == 0xD9 || marker == 0xDA)
            break;  // end of image or start of scan: no more headers
        uint8_t lengthBytes[2];
        if (!kx::ReadExact(hFile, lengthBytes, 2))
            break;
        const uint32_t length = kx::Be16(lengthBytes);
        if (length < 2)
            break;
        std::vector<uint8_t> payload(length - 2);
        if (!kx::ReadExact(hFile, payload.data(), payload.size()))
            break;
        if (marker == 0xE1 && payload.size() > 6 &&
            std::memcmp(payload.data(), "Exif\0\0", 6) == 0) {
            found = ProcessExif(payload.data(), payload.size()) || found;
        } else if (marker == 0xFE) {
            m_exifinfo->Comments = TextOf(payload.data(), payload.size());
        } else if ((marker >= 0xC0 && marker <= 0xCF) && marker != 0xC4 && marker != 0xC8 &&
                   marker != 0xCC) {
            m_exifinfo->Process = marker;
            if (payload.size() >= 6) {
                m_exifinfo->Height = kx::Be16(payload.data() + 1);
                m_exifinfo->Width = kx::Be16(payload.data() + 3);
                m_exifinfo->IsColor = payload[5] == 3;
            }
        }
    }
    if (!found && m_szLastError[0] == '\0')
        std::snprintf(m_szLastError, sizeof(m_szLastError), "No EXIF information in jpeg");
    return found;
}

bool KxImageJPG::DecodeExif(KxFile* hFile) {
    m_exifinfo = tag_ExifInfo{};
    KxExifInfo reader(&m_exifinfo);
    const bool ok = reader.DecodeExif(hFile);
    if (!ok)
        SetError(reader.GetLastError());
    return ok;
}

bool KxImageJPG::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    ErrorManager error;
    jpeg_decompress_struct cinfo;
    std::vector<JOCTET> inputBuffer(kBufferSize);
    std::vector<uint8_t> convertRow;
    SourceManager source{};
    std::memset(&cinfo, 0, sizeof(cinfo));
    cinfo.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = ErrorExit;
    error.pub.emit_message = SilentMessage;
    error.message[0] = '\0';
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&cinfo);
        SetError(error.message[0] != '\0' ? error.message : "No image in jpeg!\n");
        return false;
    }
    jpeg_create_decompress(&cinfo);
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInputBuffer;
    source.pub.skip_input_data = SkipInputData;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.file = hFile;
    source.buffer = inputBuffer.data();
    cinfo.src = &source.pub;
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);

    if (jpeg_read_header(&cinfo, FALSE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        SetError("No image in jpeg!\n");
        return false;
    }

    m_exifinfo = tag_ExifInfo{};
    for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker != nullptr;
         marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length > 6 &&
            std::memcmp(marker->data, "Exif\0\0", 6) == 0) {
            KxExifInfo reader(&m_exifinfo);
            reader.ProcessExif(marker->data, marker->data_length);
        } else if (marker->marker == JPEG_COM) {
            m_exifinfo.Comments = TextOf(marker->data, marker->data_length);
        }
    }
    m_exifinfo.Width = static_cast<int32_t>(cinfo.image_width);
    m_exifinfo.Height = static_cast<int32_t>(cinfo.image_height);
    m_exifinfo.IsColor = cinfo.num_components >= 3;
    m_exifinfo.Process = cinfo.progressive_mode ? 0xC2 : 0xC0;

    const uint8_t scale = GetJpegScale();
    if (scale == 2 || scale == 4 || scale == 8) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = scale;
    }
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_EXT_BGR);
    jpeg_calc_output_dimensions(&cinfo);
    if (!CheckDimensions(cinfo.output_width, cinfo.output_height, grey ? 8 : 24)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (Create(cinfo.output_width, cinfo.output_height, grey ? 8 : 24, KXIMAGE_FORMAT_JPG) ==
        nullptr) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (grey)
        SetGrayPalette();
    if (cinfo.saw_JFIF_marker && cinfo.X_density > 0 && cinfo.Y_density > 0) {
        if (cinfo.density_unit == 1) {
            SetXDPI(cinfo.X_density);
            SetYDPI(cinfo.Y_density);
        } else if (cinfo.density_unit == 2) {
            SetXDPI(static_cast<int32_t>(cinfo.X_density * 2.54 + 0.5));
            SetYDPI(static_cast<int32_t>(cinfo.Y_density * 2.54 + 0.5));
        }
    } else if (m_exifinfo.Xresolution > 0 && m_exifinfo.Yresolution > 0) {
        const double factor = m_exifinfo.ResolutionUnit == 3 ? 2.54 : 1.0;
        SetXDPI(static_cast<int32_t>(m_exifinfo.Xresolution * factor + 0.5));
        SetYDPI(static_cast<int32_t>(m_exifinfo.Yresolution * factor + 0.5));
    }

    jpeg_start_decompress(&cinfo);
    const uint32_t h = cinfo.output_height, w = cinfo.output_width;
    if (cmyk)
        convertRow.resize(static_cast<size_t>(w) * 4);
    while (cinfo.output_scanline < h) {
        const uint32_t y = cinfo.output_scanline;
        if (cmyk) {
            JSAMPROW row = convertRow.data();
            jpeg_read_scanlines(&cinfo, &row, 1);
            uint8_t* out = GetBits(h - 1 - y);
            const uint8_t* in = convertRow.data();
            // Adobe writes inverted CMYK; k scales the other three.
            const bool inverted = cinfo.saw_Adobe_marker;
            for (uint32_t x = 0; x < w; ++x, in += 4, out += 3) {
                const int c = inverted ? in[0] : 255 - in[0];
                const int m = inverted ? in[1] : 255 - in[1];
                const int yy = inverted ? in[2] : 255 - in[2];
                const int k = inverted ? in[3] : 255 - in[3];
                out[0] = static_cast<uint8_t>(yy * k / 255);
                out[1] = static_cast<uint8_t>(m * k / 255);
                out[2] = static_cast<uint8_t>(c * k / 255);
            }
        } else {
            JSAMPROW rows[4];
            const uint32_t count = std::min<uint32_t>(4, h - y);
            for (uint32_t i = 0; i < count; ++i)
                rows[i] = GetBits(h - 1 - (y + i));
            jpeg_read_scanlines(&cinfo, rows, count);
        }
        if ((y & 63) == 0) {
            SetProgress(static_cast<int32_t>(100ull * y / h));
            if (Cancelled()) {
                jpeg_destroy_decompress(&cinfo);
                return false;
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool KxImageJPG::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetError("null image!!!");
        return false;
    }
    const bool grey = GetNumColors() != 0;
    if (grey && !IsGrayScale()) {
        SetError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight();
    // Grey pictures whose palette is not the identity ramp, or of fewer bits, go through a
    // row of grey levels.
    bool identity = GetBpp() == 8;
    if (identity) {
        const RGBQUAD* palette = GetPalette();
        for (int i = 0; i < 256 && identity; ++i)
            identity = palette[i].rgbRed == i;
    }

    ErrorManager error;
    jpeg_compress_struct cinfo;
    std::vector<JOCTET> outputBuffer(kBufferSize);
    std::vector<uint8_t> greyRow(grey && !identity ? w : 0);
    DestinationManager dest{};
    std::memset(&cinfo, 0, sizeof(cinfo));
    cinfo.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = ErrorExit;
    error.pub.emit_message = SilentMessage;
    error.message[0] = '\0';
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        SetError(error.message[0] != '\0' ? error.message : "Error saving JPEG file");
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = InitDestination;
    dest.pub.empty_output_buffer = EmptyOutputBuffer;
    dest.pub.term_destination = TermDestination;
    dest.file = hFile;
    dest.buffer = outputBuffer.data();
    cinfo.dest = &dest.pub;

    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, GetJpegQuality(), TRUE);
    const uint32_t options = GetCodecOption(KXIMAGE_FORMAT_JPG);
    if (options & kOptionOptimised)
        cinfo.optimize_coding = TRUE;
    if (options & kOptionProgressive)
        jpeg_simple_progression(&cinfo);
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(std::clamp(GetXDPI(), 1, 65535));
    cinfo.Y_density = static_cast<UINT16>(std::clamp(GetYDPI(), 1, 65535));

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < h) {
        const uint32_t y = cinfo.next_scanline;
        JSAMPROW row;
        if (!greyRow.empty()) {
            for (uint32_t x = 0; x < w; ++x)
                greyRow[x] = BlindGetPixelColor(static_cast<int32_t>(x),
                                                static_cast<int32_t>(h - 1 - y), false)
                                 .rgbRed;
            row = greyRow.data();
        } else {
            row = GetBits(h - 1 - y);
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
        if ((y & 63) == 0) {
            SetProgress(static_cast<int32_t>(100ull * y / h));
            if (Cancelled()) {
                jpeg_destroy_compress(&cinfo);
                return false;
            }
        }
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}
