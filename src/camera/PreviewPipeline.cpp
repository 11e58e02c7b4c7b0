#include "camera/PreviewPipeline.h"

#include "krvcamera/KRVCamera.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <algorithm>
#include <cstring>

namespace korvel::camera {

PreviewPipeline::PreviewPipeline(framework::MessageTarget* cameraWindow)
    : cameraWindow_(cameraWindow) {}

void PreviewPipeline::prepare(const CameraRecord& record, int width, int height) {
    typeId_ = record.typeId;
    previewResolution_ = record.previewResolution;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    const std::size_t size = previewBufferSize(typeId_, width_, height_);
    bufferSize_ = size;
    exchange_.reset(size, grab_, decode_);
    image_.assign(size, 0);
    lastImage_.assign(size, 0);
    crop_.assign(size, 0);
    corrections_ = &record.pixelCorrections;
    correctionApplied_.store(record.backgroundCorrectionApplied != 0);
    skipNextFrame_.store(false);
    frameRate_.store(0.0f);
    haveLastTick_ = false;
    framesProcessed_.store(0);
    // Loaded here because the string table is read on the user-interface thread.
    frameCountLabel_ = res::loadString(res::IDS_FRAME_COUNT);
    setRegion(Region{0, 0, width_, height_}, false);
}

void PreviewPipeline::release() {
    exchange_.release(grab_, decode_);
    std::vector<std::uint8_t>().swap(image_);
    std::vector<std::uint8_t>().swap(lastImage_);
    std::vector<std::uint8_t>().swap(crop_);
    corrections_ = nullptr;
}

PreviewPipeline::GrabResult PreviewPipeline::grabStep(const TickSource& now) {
    if (grab_.empty() || KRVCameraGrabFrame(grab_.data()) != 1) {
        return GrabResult::NoFrame;
    }
    // A dropped frame was still delivered by the camera, so it counts for the rate.
    const std::uint32_t tick = now();
    if (haveLastTick_) {
        frameRate_.store(frameRateFromTicks(lastTick_, tick));
    }
    lastTick_ = tick;
    haveLastTick_ = true;
    if (skipNextFrame_.exchange(false)) {
        return GrabResult::Dropped;
    }
    const int mean = meanBrightness(grab_, width_, height_, typeId_, previewResolution_);
    cameraWindow_.post({static_cast<unsigned>(res::MSG_FRAME_BRIGHTNESS),
                        static_cast<std::uintptr_t>(mean & 0xFF),
                        0,
                        {}});
    exchange_.publish(grab_);
    return GrabResult::Published;
}

void PreviewPipeline::processFrame() {
    if (image_.empty()) {
        return;
    }
    KRVCameraDecode(decode_.data(), image_.data(), width_, height_);
    const std::size_t frameBytes = static_cast<std::size_t>(width_) * height_ * 3;
    std::memcpy(lastImage_.data(), image_.data(), frameBytes);
    if (correctionApplied_.load() && corrections_) {
        // Held for the whole frame: a list replaced meanwhile is freed after it.
        const std::shared_ptr<const PixelCorrectionList::List> corrections =
            corrections_->snapshot();
        applyPixelCorrections(image_.data(), width_, height_, *corrections);
    }
    draw();
    if (recording_.load()) {
        record();
    }
    framesProcessed_.fetch_add(1);
}

void PreviewPipeline::draw() {
    FrameSurface* target = zoomTarget_.load();
    if (!target) {
        target = surface_.load();
    }
    if (!target) {
        return;
    }
    const QSize size = target->targetSize();
    if (size.isEmpty()) {
        return;
    }
    SurfacePicture& picture = target->backBuffer();
    if (picture.width != size.width() || picture.height != size.height()) {
        picture.resize(size.width(), size.height());
    }
    scaler_.scale(image_.data(), width_, height_, region(), picture);
    target->publish();
}

void PreviewPipeline::record() {
    std::lock_guard writing(recordMutex_);
    const Region area = recordingRegion();
    if (!recording_.load() || area.isEmpty() || !sink_) {
        return;
    }
    if (area == Region{0, 0, width_, height_}) {
        sink_->writeFrame(image_.data(), width_, height_);
    } else {
        cropRegion(image_.data(), width_, height_, area, crop_.data());
        sink_->writeFrame(crop_.data(), area.width(), area.height());
    }
    cameraWindow_.post({static_cast<unsigned>(res::MSG_STATUS_TEXT), 0, 0,
                        QStringLiteral("%1 %2").arg(frameCountLabel_).arg(sink_->frameCount())});
}

void PreviewPipeline::setRegion(const Region& region, bool active) {
    std::lock_guard lock(regionMutex_);
    region_ = region;
    regionActive_ = active;
}

Region PreviewPipeline::region() const {
    std::lock_guard lock(regionMutex_);
    return region_;
}

bool PreviewPipeline::regionActive() const {
    std::lock_guard lock(regionMutex_);
    return regionActive_;
}

Region PreviewPipeline::recordingRegion() const {
    std::lock_guard lock(regionMutex_);
    return recordingRegion_;
}

void PreviewPipeline::startRecording(VideoFrameSink* sink) {
    std::lock_guard writing(recordMutex_);
    {
        std::lock_guard lock(regionMutex_);
        recordingRegion_ = regionActive_ ? region_ : Region{0, 0, width_, height_};
        sink_ = sink;
    }
    recording_.store(sink != nullptr);
}

void PreviewPipeline::stopRecording() {
    recording_.store(false);
    // A frame being written finishes before the caller may close the sink.
    std::lock_guard writing(recordMutex_);
}

}  // namespace korvel::camera
