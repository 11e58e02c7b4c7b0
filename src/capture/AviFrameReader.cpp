#include "capture/AviFrameReader.h"

#include "capture/detail/FfmpegHandles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace korvel::capture {

namespace {

struct InputDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

}  // namespace

struct AviFrameReader::Impl {
    std::unique_ptr<AVFormatContext, InputDeleter> demuxer;
    detail::CodecContextHandle decoder;
    detail::FrameHandle frame;
    detail::PacketHandle packet;
    detail::ScalerHandle scaler;  // made for the first decoded format
    int scalerFormat = AV_PIX_FMT_NONE;
    int streamIndex = -1;
    int width = 0;
    int height = 0;

    bool convert(std::uint8_t* bgr);
};

AviFrameReader::AviFrameReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
AviFrameReader::~AviFrameReader() = default;

int AviFrameReader::width() const {
    return impl_->width;
}
int AviFrameReader::height() const {
    return impl_->height;
}

std::unique_ptr<AviFrameReader> AviFrameReader::open(const std::string& path, std::string& error) {
    auto impl = std::make_unique<Impl>();
    AVFormatContext* demuxer = nullptr;
    const AVInputFormat* avi = av_find_input_format("avi");
    if (avformat_open_input(&demuxer, path.c_str(), avi, nullptr) < 0) {
        error = "Cannot open \"" + path + "\" as an AVI file.";
        return nullptr;
    }
    impl->demuxer.reset(demuxer);
    for (unsigned i = 0; i < demuxer->nb_streams; ++i) {
        if (demuxer->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            impl->streamIndex = static_cast<int>(i);
            break;
        }
    }
    if (impl->streamIndex < 0) {
        error = "\"" + path + "\" holds no video stream.";
        return nullptr;
    }
    for (unsigned i = 0; i < demuxer->nb_streams; ++i) {
        if (static_cast<int>(i) != impl->streamIndex) {
            demuxer->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    const AVCodecParameters* parameters = demuxer->streams[impl->streamIndex]->codecpar;
    impl->width = parameters->width;
    impl->height = parameters->height;
    // The size check also bounds the frame buffer a made-up header could ask for.
    if (impl->width < 1 || impl->width > 65535 || impl->height < 1 || impl->height > 65535 ||
        av_image_check_size(unsigned(impl->width), unsigned(impl->height), 0, nullptr) < 0) {
        error = "\"" + path + "\" has an impossible frame size.";
        return nullptr;
    }
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    impl->decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    impl->frame.reset(av_frame_alloc());
    impl->packet.reset(av_packet_alloc());
    if (!impl->decoder || !impl->frame || !impl->packet ||
        avcodec_parameters_to_context(impl->decoder.get(), parameters) < 0) {
        error = "The video compressor of \"" + path + "\" is not available.";
        return nullptr;
    }
    impl->decoder->thread_count = 1;
    if (avcodec_open2(impl->decoder.get(), codec, nullptr) < 0) {
        error = "The video compressor of \"" + path + "\" is not available.";
        return nullptr;
    }
    return std::unique_ptr<AviFrameReader>(new AviFrameReader(std::move(impl)));
}

bool AviFrameReader::Impl::convert(std::uint8_t* bgr) {
    if (frame->width != width || frame->height != height) {
        return false;
    }
    if (!scaler || scalerFormat != frame->format) {
        scaler.reset(sws_getContext(width, height, static_cast<AVPixelFormat>(frame->format), width,
                                    height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr,
                                    nullptr));
        scalerFormat = frame->format;
        if (!scaler) {
            return false;
        }
    }
    const int stride = width * 3;
    // Write the rows bottom-up: start at the last row of the buffer, step backwards.
    std::uint8_t* target[1] = {bgr + std::size_t(stride) * std::size_t(height - 1)};
    const int targetStride[1] = {-stride};
    return sws_scale(scaler.get(), frame->data, frame->linesize, 0, height, target, targetStride) ==
           height;
}

bool AviFrameReader::readFrame(std::int64_t index, std::uint8_t* bgr) {
    if (index < 0 || bgr == nullptr) {
        return false;
    }
    Impl& d = *impl_;
    // Frame numbers are the stream's time stamps; start at the key frame before `index`.
    if (av_seek_frame(d.demuxer.get(), d.streamIndex, index, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(d.demuxer.get(), d.streamIndex, 0, AVSEEK_FLAG_BACKWARD) < 0) {
        return false;
    }
    avcodec_flush_buffers(d.decoder.get());
    bool draining = false;
    for (;;) {
        int result = avcodec_receive_frame(d.decoder.get(), d.frame.get());
        if (result == 0) {
            const std::int64_t stamp = d.frame->best_effort_timestamp;
            const bool wanted = stamp == index;
            const bool ok = wanted && d.convert(bgr);
            av_frame_unref(d.frame.get());
            if (wanted) {
                return ok;
            }
            if (stamp != AV_NOPTS_VALUE && stamp > index) {
                return false;  // the file has no frame there (an empty, dropped frame)
            }
            continue;
        }
        if (result == AVERROR_EOF || (draining && result == AVERROR(EAGAIN))) {
            return false;
        }
        if (result != AVERROR(EAGAIN)) {
            return false;
        }
        // Feed the next packet of the video stream.
        for (;;) {
            result = av_read_frame(d.demuxer.get(), d.packet.get());
            if (result < 0) {
                avcodec_send_packet(d.decoder.get(), nullptr);
                draining = true;
                break;
            }
            const bool ours = d.packet->stream_index == d.streamIndex && d.packet->size > 0;
            if (ours) {
                result = avcodec_send_packet(d.decoder.get(), d.packet.get());
            }
            av_packet_unref(d.packet.get());
            if (ours) {
                break;
            }
        }
    }
}

}  // namespace korvel::capture
