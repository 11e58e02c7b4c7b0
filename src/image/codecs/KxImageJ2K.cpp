// JPEG 2000 through OpenJPEG: JP2 files and bare code streams, grey and RGB (with alpha).

#include <openjpeg.h>

#include <algorithm>
#include <cstring>

#include "image/codecs/KxCodecUtil.h"
#include "image/codecs/KxImageCodecs.h"

namespace {

constexpr char kSaveError[] = "JasPer can save only RGB or GrayScale images";
const uint8_t kJp2Signature[12] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', '\r', '\n', 0x87, '\n'};
const uint8_t kCodestreamSignature[4] = {0xFF, 0x4F, 0xFF, 0x51};

struct StreamContext {
    KxFile* file;
    int64_t start;
    char message[200];
};

OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T size, void* user) {
    auto* context = static_cast<StreamContext*>(user);
    const size_t got = context->file->Read(buffer, 1, size);
    return got == 0 ? static_cast<OPJ_SIZE_T>(-1) : got;
}

OPJ_SIZE_T StreamWrite(void* buffer, OPJ_SIZE_T size, void* user) {
    auto* context = static_cast<StreamContext*>(user);
    return context->file->Write(buffer, 1, size);
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* user) {
    auto* context = static_cast<StreamContext*>(user);
    return context->file->Seek(count, SEEK_CUR) ? count : -1;
}

OPJ_BOOL StreamSeek(OPJ_OFF_T position, void* user) {
    auto* context = static_cast<StreamContext*>(user);
    return context->file->Seek(context->start + position, SEEK_SET) ? OPJ_TRUE : OPJ_FALSE;
}

void ErrorHandler(const char* message, void* user) {
    auto* context = static_cast<StreamContext*>(user);
    if (context->message[0] == '\0') {
        std::snprintf(context->message, sizeof(context->message), "%s", message);
        const size_t n = std::strlen(context->message);
        if (n > 0 && context->message[n - 1] == '\n')
            context->message[n - 1] = '\0';
    }
}

void QuietHandler(const char*, void*) {}

// Owns the OpenJPEG objects of one decode or encode.
struct OpenJpeg {
    opj_codec_t* codec = nullptr;
    opj_stream_t* stream = nullptr;
    opj_image_t* image = nullptr;
    ~OpenJpeg() {
        if (image != nullptr)
            opj_image_destroy(image);
        if (stream != nullptr)
            opj_stream_destroy(stream);
        if (codec != nullptr)
            opj_destroy_codec(codec);
    }
};

opj_stream_t* MakeStream(StreamContext& context, bool input) {
    opj_stream_t* stream = opj_stream_create(64 * 1024, input ? OPJ_TRUE : OPJ_FALSE);
    if (stream == nullptr)
        return nullptr;
    opj_stream_set_user_data(stream, &context, nullptr);
    if (input) {
        opj_stream_set_read_function(stream, StreamRead);
        opj_stream_set_user_data_length(stream, kx::Remaining(context.file));
    } else {
        opj_stream_set_write_function(stream, StreamWrite);
    }
    opj_stream_set_skip_function(stream, StreamSkip);
    opj_stream_set_seek_function(stream, StreamSeek);
    return stream;
}

}  // namespace

bool KxImageJ2K::Decode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    StreamContext context{hFile, hFile->Tell(), ""};
    uint8_t magic[12];
    if (!kx::ReadExact(hFile, magic, sizeof(magic))) {
        SetError("Not a JPEG 2000 file");
        return false;
    }
    OPJ_CODEC_FORMAT format;
    if (std::memcmp(magic, kJp2Signature, 12) == 0)
        format = OPJ_CODEC_JP2;
    else if (std::memcmp(magic, kCodestreamSignature, 4) == 0)
        format = OPJ_CODEC_J2K;
    else {
        SetError("Not a JPEG 2000 file");
        return false;
    }
    hFile->Seek(context.start, SEEK_SET);

    OpenJpeg j2k;
    j2k.codec = opj_create_decompress(format);
    j2k.stream = MakeStream(context, true);
    if (j2k.codec == nullptr || j2k.stream == nullptr) {
        SetError("KxImage::Create can't allocate memory");
        return false;
    }
    opj_set_error_handler(j2k.codec, ErrorHandler, &context);
    opj_set_warning_handler(j2k.codec, QuietHandler, &context);
    opj_set_info_handler(j2k.codec, QuietHandler, &context);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(j2k.codec, &parameters) ||
        !opj_read_header(j2k.stream, j2k.codec, &j2k.image) || j2k.image == nullptr) {
        SetError(context.message[0] != '\0' ? context.message : "Not a JPEG 2000 file");
        return false;
    }
    opj_image_t* image = j2k.image;
    if (image->numcomps < 1 || image->numcomps > 4 || image->x1 <= image->x0 ||
        image->y1 <= image->y0) {
        SetError("Not a JPEG 2000 file");
        return false;
    }
    const uint32_t width = image->x1 - image->x0, height = image->y1 - image->y0;
    const bool grey = image->numcomps < 3;
    if (!CheckDimensions(width, height, grey ? 8 : 24))
        return false;
    // The decoder holds 32 bits per sample of every component.
    if (static_cast<uint64_t>(width) * height * image->numcomps * 4 > 4 * KXIMAGE_MAX_MEMORY) {
        SetError("KXIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    if (!opj_decode(j2k.codec, j2k.stream, image) || !opj_end_decompress(j2k.codec, j2k.stream)) {
        SetError(context.message[0] != '\0' ? context.message : "JPEG 2000 decode error");
        return false;
    }
    for (uint32_t c = 0; c < image->numcomps; ++c) {
        const opj_image_comp_t& comp = image->comps[c];
        if (comp.data == nullptr || comp.w == 0 || comp.h == 0 || comp.dx == 0 || comp.dy == 0 ||
            comp.prec < 1 || comp.prec > 31) {
            SetError("JPEG 2000 decode error");
            return false;
        }
    }
    if (Create(width, height, grey ? 8 : 24, GetType()) == nullptr)
        return false;
    if (grey)
        SetGrayPalette();
    const bool alpha = image->numcomps == 2 || image->numcomps == 4;
    if (alpha && !AlphaCreate())
        return false;

    // One row of component c as 8-bit samples; subsampled components repeat their samples.
    auto convertRow = [&](uint32_t c, uint32_t y, uint8_t* out) {
        const opj_image_comp_t& comp = image->comps[c];
        const OPJ_INT32* row =
            comp.data + static_cast<size_t>(std::min(y / comp.dy, comp.h - 1)) * comp.w;
        const int64_t offset = comp.sgnd ? (int64_t{1} << (comp.prec - 1)) : 0;
        const int64_t max = (int64_t{1} << comp.prec) - 1;
        auto level = [&](int64_t v) -> uint8_t {
            v = std::clamp<int64_t>(v + offset, 0, max);
            if (comp.prec >= 8)
                return static_cast<uint8_t>(v >> (comp.prec - 8));
            return static_cast<uint8_t>((v * 255 + max / 2) / max);
        };
        if (comp.dx == 1 && comp.w >= width) {
            if (comp.prec == 8 && !comp.sgnd) {
                for (uint32_t x = 0; x < width; ++x)
                    out[x] = static_cast<uint8_t>(std::clamp<OPJ_INT32>(row[x], 0, 255));
            } else {
                for (uint32_t x = 0; x < width; ++x)
                    out[x] = level(row[x]);
            }
        } else {
            for (uint32_t x = 0; x < width; ++x)
                out[x] = level(row[std::min(x / comp.dx, comp.w - 1)]);
        }
    };
    std::vector<uint8_t> planes(static_cast<size_t>(width) * image->numcomps);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t c = 0; c < image->numcomps; ++c)
            convertRow(c, y, planes.data() + static_cast<size_t>(c) * width);
        const uint32_t row = height - 1 - y;
        uint8_t* out = GetBits(row);
        if (grey) {
            std::memcpy(out, planes.data(), width);
        } else {
            const uint8_t* r = planes.data();
            const uint8_t* g = r + width;
            const uint8_t* b = g + width;
            for (uint32_t x = 0; x < width; ++x, out += 3) {
                out[0] = b[x];
                out[1] = g[x];
                out[2] = r[x];
            }
        }
        if (alpha)
            std::memcpy(pAlpha + static_cast<size_t>(row) * width,
                        planes.data() + static_cast<size_t>(image->numcomps - 1) * width, width);
        if ((y & 127) == 0 && Cancelled())
            return false;
    }
    return true;
}

bool KxImageJ2K::Encode(KxFile* hFile) {
    if (hFile == nullptr) {
        SetError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetError("null image!!!");
        return false;
    }
    const bool grey = GetNumColors() != 0 && IsGrayScale();
    if (GetBpp() != 24 && !grey) {
        SetError(kSaveError);
        return false;
    }
    const uint32_t w = GetWidth(), h = GetHeight();
    const bool alpha = AlphaIsValid();
    const uint32_t colorComponents = grey ? 1 : 3;
    const uint32_t components = colorComponents + (alpha ? 1 : 0);

    opj_image_cmptparm_t parameters[4];
    std::memset(parameters, 0, sizeof(parameters));
    for (uint32_t c = 0; c < components; ++c) {
        parameters[c].dx = parameters[c].dy = 1;
        parameters[c].w = w;
        parameters[c].h = h;
        parameters[c].prec = 8;
        parameters[c].sgnd = 0;
    }
    OpenJpeg j2k;
    j2k.image = opj_image_create(components, parameters, grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB);
    if (j2k.image == nullptr) {
        SetError("KxImage::Create can't allocate memory");
        return false;
    }
    opj_image_t* image = j2k.image;
    image->x0 = image->y0 = 0;
    image->x1 = w;
    image->y1 = h;
    if (alpha)
        image->comps[components - 1].alpha = 1;
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t row = h - 1 - y;
        const uint8_t* in = GetBits(row);
        const size_t base = static_cast<size_t>(y) * w;
        for (uint32_t x = 0; x < w; ++x) {
            if (grey) {
                image->comps[0].data[base + x] =
                    BlindGetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(row), false)
                        .rgbRed;
            } else {
                image->comps[0].data[base + x] = in[3 * x + 2];
                image->comps[1].data[base + x] = in[3 * x + 1];
                image->comps[2].data[base + x] = in[3 * x];
            }
            if (alpha)
                image->comps[components - 1].data[base + x] =
                    pAlpha[static_cast<size_t>(row) * w + x];
        }
    }

    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.tcp_numlayers = 1;
    settings.tcp_rates[0] = 0;  // lossless
    settings.cp_disto_alloc = 1;
    settings.irreversible = 0;
    int resolutions = 1;
    while (resolutions < 6 && (std::min(w, h) >> resolutions) >= 1)
        ++resolutions;
    settings.numresolution = resolutions;

    StreamContext context{hFile, hFile->Tell(), ""};
    j2k.codec =
        opj_create_compress(GetType() == KXIMAGE_FORMAT_JPC ? OPJ_CODEC_J2K : OPJ_CODEC_JP2);
    j2k.stream = MakeStream(context, false);
    if (j2k.codec == nullptr || j2k.stream == nullptr) {
        SetError("KxImage::Create can't allocate memory");
        return false;
    }
    opj_set_error_handler(j2k.codec, ErrorHandler, &context);
    opj_set_warning_handler(j2k.codec, QuietHandler, &context);
    opj_set_info_handler(j2k.codec, QuietHandler, &context);
    if (!opj_setup_encoder(j2k.codec, &settings, image) ||
        !opj_start_compress(j2k.codec, image, j2k.stream) || !opj_encode(j2k.codec, j2k.stream) ||
        !opj_end_compress(j2k.codec, j2k.stream)) {
        SetError(context.message[0] != '\0' ? context.message : "Error saving JPEG 2000 file");
        return false;
    }
    return true;
}
