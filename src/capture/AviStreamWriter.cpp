#include "capture/AviStreamWriter.h"

#include "capture/detail/FfmpegHandles.h"

#include "capture/RiffRepair.h"
#include "capture/detail/EncoderChoice.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace korvel::capture {

namespace {

std::string ffmpegError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Maps quality 1..100 onto the MPEG quantiser 31..1.
int quantiserForQuality(int quality) {
    const int q = std::clamp(quality, 1, 100);
    return 1 + ((100 - q) * 30 + 49) / 99;
}

struct FormatContextDeleter {
    void operator()(AVFormatContext* context) const {
        if (context != nullptr) {
            avio_closep(&context->pb);
            avformat_free_context(context);
        }
    }
};

}  // namespace

struct AviStreamWriter::Impl {
    std::string path;
    AviStreamFormat format;
    std::unique_ptr<AVFormatContext, FormatContextDeleter> muxer;
    AVStream* stream = nullptr;  // owned by the muxer
    // Compressed streams only:
    detail::CodecContextHandle encoder;
    detail::ScalerHandle scaler;
    detail::FrameHandle frame;
    detail::PacketHandle packet;
    // Uncompressed stream: rows padded to 4 bytes, as every bitmap reader expects them.
    std::size_t paddedStride = 0;
    std::vector<std::uint8_t> paddedRows;
    // The end of the last frame known to be on disk, and the frames up to there.
    std::int64_t completeEnd = 0;
    std::uint32_t completeFrames = 0;
};

AviStreamWriter::AviStreamWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

AviStreamWriter::~AviStreamWriter() {
    std::string ignored;
    finish(ignored);
}

std::unique_ptr<AviStreamWriter> AviStreamWriter::create(const std::string& path,
                                                         const AviStreamFormat& format,
                                                         std::string& error) {
    const auto choice = detail::encoderFor(format.compressor);
    if (!choice) {
        error = "The video compressor \"" + format.compressor.toString() + "\" is not available.";
        return nullptr;
    }
    if (format.width < 1 || format.width > 65535 || format.height < 1 || format.height > 65535 ||
        format.frameRate < 1 || format.frameRate > INT_MAX) {
        error = "The video size or frame rate is out of range.";
        return nullptr;
    }

    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->format = format;
    AVFormatContext* muxer = nullptr;
    if (avformat_alloc_output_context2(&muxer, nullptr, "avi", path.c_str()) < 0) {
        error = "The AVI writer could not be set up.";
        return nullptr;
    }
    impl->muxer.reset(muxer);
    impl->stream = avformat_new_stream(muxer, nullptr);
    impl->packet.reset(av_packet_alloc());
    if (impl->stream == nullptr || !impl->packet) {
        error = "Out of memory.";
        return nullptr;
    }
    const AVRational timeBase{1, static_cast<int>(format.frameRate)};
    AVStream* stream = impl->stream;
    stream->time_base = timeBase;
    stream->avg_frame_rate = av_inv_q(timeBase);

    if (choice->codec == AV_CODEC_ID_RAWVIDEO) {
        AVCodecParameters* parameters = stream->codecpar;
        parameters->codec_type = AVMEDIA_TYPE_VIDEO;
        parameters->codec_id = AV_CODEC_ID_RAWVIDEO;
        parameters->codec_tag = 0;
        parameters->format = AV_PIX_FMT_BGR24;
        parameters->width = format.width;
        parameters->height = format.height;
        parameters->bits_per_coded_sample = 24;
        const std::size_t stride = std::size_t(format.width) * 3;
        impl->paddedStride = (stride + 3) & ~std::size_t{3};
        // A frame is one chunk of the file, whose size field has 32 bits, and one packet,
        // whose size is an int.
        if (impl->paddedStride * std::size_t(format.height) > std::size_t(INT_MAX) - 64) {
            error = "The video frame is too large for an uncompressed AVI file.";
            return nullptr;
        }
        if (impl->paddedStride != stride) {
            impl->paddedRows.assign(impl->paddedStride * std::size_t(format.height), 0);
        }
    } else {
        const AVCodec* codec = avcodec_find_encoder(choice->codec);
        impl->encoder.reset(avcodec_alloc_context3(codec));
        impl->frame.reset(av_frame_alloc());
        if (!impl->encoder || !impl->frame) {
            error = "Out of memory.";
            return nullptr;
        }
        AVCodecContext* encoder = impl->encoder.get();
        encoder->width = format.width;
        encoder->height = format.height;
        encoder->pix_fmt = choice->pixelFormat;
        encoder->time_base = timeBase;
        encoder->framerate = av_inv_q(timeBase);
        encoder->codec_tag = choice->tag;
        // One core: the decode thread compresses while the grab thread reads the camera.
        encoder->thread_count = 1;
        // gop_size 1 makes the MPEG encoders write intra frames only; the lossless ones
        // write nothing else anyway.
        encoder->gop_size = std::max(1, format.settings.keyFrameInterval);
        encoder->max_b_frames = 0;
        if (choice->codec == AV_CODEC_ID_MPEG4 || choice->codec == AV_CODEC_ID_MSMPEG4V2) {
            encoder->flags |= AV_CODEC_FLAG_QSCALE;
            encoder->global_quality = FF_QP2LAMBDA * quantiserForQuality(format.settings.quality);
        }
        int result = avcodec_open2(encoder, codec, nullptr);
        if (result < 0) {
            error = "The video compressor \"" + format.compressor.toString() +
                    "\" refused the frame format: " + ffmpegError(result);
            return nullptr;
        }
        if (avcodec_parameters_from_context(stream->codecpar, encoder) < 0) {
            error = "Out of memory.";
            return nullptr;
        }
        stream->codecpar->codec_tag = choice->tag;
        AVFrame* frame = impl->frame.get();
        frame->format = encoder->pix_fmt;
        frame->width = format.width;
        frame->height = format.height;
        if (av_frame_get_buffer(frame, 0) < 0) {
            error = "Out of memory.";
            return nullptr;
        }
        impl->scaler.reset(sws_getContext(format.width, format.height, AV_PIX_FMT_BGR24,
                                          format.width, format.height, encoder->pix_fmt,
                                          SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!impl->scaler) {
            error = "The frame converter could not be set up.";
            return nullptr;
        }
    }

    int result = avio_open(&muxer->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) {
        error = "Cannot create \"" + path + "\": " + ffmpegError(result);
        return nullptr;
    }
    AVDictionary* options = nullptr;
    // Rows bottom-up with a positive height, the ordinary form of a 24-bit bitmap.
    av_dict_set(&options, "flipped_raw_rgb", "1", 0);
    result = avformat_write_header(muxer, &options);
    av_dict_free(&options);
    if (result >= 0) {
        avio_flush(muxer->pb);
        result = muxer->pb->error;
    }
    if (result < 0) {
        error = "Cannot write \"" + path + "\": " + ffmpegError(result);
        impl->muxer.reset();
        std::remove(path.c_str());
        return nullptr;
    }
    impl->completeEnd = avio_tell(muxer->pb);
    return std::unique_ptr<AviStreamWriter>(new AviStreamWriter(std::move(impl)));
}

bool AviStreamWriter::writePacket(AVPacket* packet, std::string& error) {
    AVFormatContext* muxer = impl_->muxer.get();
    packet->stream_index = impl_->stream->index;
    int result = av_write_frame(muxer, packet);
    av_packet_unref(packet);
    if (result >= 0) {
        // Hand the frame to the system now, so that a full disk shows at this frame and
        // everything before it is known to be complete.
        avio_flush(muxer->pb);
        result = muxer->pb->error;
    }
    if (result < 0) {
        broken_ = true;
        error = "Cannot write \"" + impl_->path + "\": " + ffmpegError(result);
        return false;
    }
    impl_->completeEnd = avio_tell(muxer->pb);
    ++impl_->completeFrames;
    return true;
}

bool AviStreamWriter::drainEncoder(std::string& error) {
    AVCodecContext* encoder = impl_->encoder.get();
    AVPacket* packet = impl_->packet.get();
    for (;;) {
        const int result = avcodec_receive_packet(encoder, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return true;
        }
        if (result < 0) {
            error = "The video compressor failed: " + ffmpegError(result);
            return false;
        }
        av_packet_rescale_ts(packet, encoder->time_base, impl_->stream->time_base);
        if (!writePacket(packet, error)) {
            return false;
        }
    }
}

bool AviStreamWriter::writeFrame(const std::uint8_t* pixels, std::int64_t index,
                                 std::string& error) {
    if (broken_ || finished_) {
        error = "The recording has stopped.";
        return false;
    }
    if (pixels == nullptr) {
        error = "No frame to write.";
        return false;
    }
    const AviStreamFormat& format = impl_->format;
    const std::size_t stride = std::size_t(format.width) * 3;
    if (!impl_->encoder) {
        AVPacket* packet = impl_->packet.get();
        const std::uint8_t* data = pixels;
        if (!impl_->paddedRows.empty()) {
            // The padding bytes stay zero from the allocation.
            std::uint8_t* out = impl_->paddedRows.data();
            for (int y = 0; y < format.height; ++y) {
                std::memcpy(out + std::size_t(y) * impl_->paddedStride,
                            pixels + std::size_t(y) * stride, stride);
            }
            data = out;
        }
        // The packet borrows the rows: the muxer writes them before this call returns.
        packet->data = const_cast<std::uint8_t*>(data);
        packet->size = static_cast<int>(impl_->paddedStride * std::size_t(format.height));
        packet->pts = packet->dts = index;
        packet->duration = 1;
        packet->flags |= AV_PKT_FLAG_KEY;
        return writePacket(packet, error);
    }

    AVFrame* frame = impl_->frame.get();
    if (av_frame_make_writable(frame) < 0) {
        error = "Out of memory.";
        return false;
    }
    // Read the bottom-up rows top row first: start at the last row, step backwards.
    const std::uint8_t* source[1] = {pixels + stride * std::size_t(format.height - 1)};
    const int sourceStride[1] = {-static_cast<int>(stride)};
    sws_scale(impl_->scaler.get(), source, sourceStride, 0, format.height, frame->data,
              frame->linesize);
    frame->pts = index;
    frame->pict_type =
        format.settings.keyFrameInterval <= 1 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    const int result = avcodec_send_frame(impl_->encoder.get(), frame);
    if (result < 0) {
        error = "The video compressor failed: " + ffmpegError(result);
        return false;
    }
    return drainEncoder(error);
}

bool AviStreamWriter::finish(std::string& error) {
    if (finished_) {
        return !broken_;
    }
    finished_ = true;
    AVFormatContext* muxer = impl_->muxer.get();
    if (!broken_ && impl_->encoder) {
        avcodec_send_frame(impl_->encoder.get(), nullptr);
        drainEncoder(error);
    }
    if (!broken_) {
        int result = av_write_trailer(muxer);
        if (result >= 0) {
            avio_flush(muxer->pb);
            result = muxer->pb->error;
        }
        if (result < 0) {
            broken_ = true;
            error = "Cannot complete \"" + impl_->path + "\": " + ffmpegError(result);
        }
    }
    const int closed = avio_closep(&muxer->pb);
    if (closed < 0 && !broken_) {
        broken_ = true;
        error = "Cannot complete \"" + impl_->path + "\": " + ffmpegError(closed);
    }
    impl_->muxer.reset();
    if (broken_) {
        truncateToCompleteFrames(impl_->path, impl_->completeEnd, impl_->completeFrames);
        return false;
    }
    const std::uint64_t frameBytes =
        std::uint64_t(impl_->format.width) * std::uint64_t(impl_->format.height) * 3;
    raiseSuggestedBufferSize(impl_->path,
                             static_cast<std::uint32_t>(std::min<std::uint64_t>(
                                 frameBytes, std::numeric_limits<std::uint32_t>::max())));
    return true;
}

}  // namespace korvel::capture
