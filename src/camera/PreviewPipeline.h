#pragma once

// The work of the two preview threads, one step at a time: the grab step reads a raw
// frame, measures rate and brightness and publishes the frame; the decode step takes the
// newest frame, decodes it, corrects pixels, draws it and writes it to a recording. The
// preview window runs each step in a loop on its own thread; tests call them directly.

#include "camera/CameraRecord.h"
#include "camera/FrameExchange.h"
#include "camera/FrameSurface.h"
#include "camera/MessageRelay.h"
#include "camera/PreviewGeometry.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace korvel::camera {

// Where recorded frames go; the AVI writer implements it.
class VideoFrameSink {
public:
    virtual ~VideoFrameSink() = default;
    virtual void setFrameRate(int framesPerSecond) = 0;
    virtual void setCompress(int compress) = 0;
    virtual bool open(const QString& path, int width, int height) = 0;
    // One bottom-up, blue-green-red frame of the size given to open.
    virtual void writeFrame(const std::uint8_t* image, int width, int height) = 0;
    virtual int frameCount() const = 0;
    virtual void close() = 0;
};

class PreviewPipeline {
public:
    enum class GrabResult { NoFrame, Dropped, Published };

    // Brightness (1305) and recording status (1315) are posted to `cameraWindow`; the
    // pipeline is made on that window's thread.
    explicit PreviewPipeline(framework::MessageTarget* cameraWindow);

    // Millisecond tick count (wrapping), read on the grab thread.
    using TickSource = std::function<std::uint32_t()>;

    // Sizes and zeroes the six buffers for the record's model and the image size. The
    // record's correction list is read again for every frame, so a list loaded or freed
    // while the threads run takes effect with the next frame; the record must outlive the
    // run. Only while no thread runs.
    void prepare(const CameraRecord& record, int width, int height);
    void release();

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t bufferSize() const { return bufferSize_; }

    // Grab thread: one call of the camera library. The frame rate is measured between
    // delivered frames only, with `now` read when a frame has arrived: a long exposure
    // comes as several bounded waits without a frame, and those are not frames.
    GrabResult grabStep(const TickSource& now);
    // The same with the tick a delivered frame is stamped with given beforehand.
    GrabResult grabStep(std::uint32_t tick) {
        return grabStep([tick] { return tick; });
    }
    float frameRate() const { return frameRate_.load(); }
    void skipNextFrame() { skipNextFrame_.store(true); }

    // Decode thread: takeFrame() swaps in the newest frame (false when there is none);
    // processFrame() decodes, corrects, draws and records it.
    bool takeFrame() { return exchange_.take(decode_); }
    void processFrame();

    // Drawing targets: the preview's own surface, or the zoom target while one is set.
    void setSurface(FrameSurface* surface) { surface_.store(surface); }
    void setZoomTarget(FrameSurface* target) { zoomTarget_.store(target); }
    FrameSurface* zoomTarget() const { return zoomTarget_.load(); }

    void setRegion(const Region& region, bool active);
    Region region() const;
    bool regionActive() const;

    void setCorrectionApplied(bool applied) { correctionApplied_.store(applied); }
    bool correctionApplied() const { return correctionApplied_.load(); }

    // Recording: `sink` receives each processed frame of the recording region (the region
    // in force when recording started, so every frame has the size the file was opened with).
    void startRecording(VideoFrameSink* sink);
    void stopRecording();
    bool recording() const { return recording_.load(); }
    Region recordingRegion() const;

    // Buffers the user-interface thread reads while the threads are stopped or paused.
    std::vector<std::uint8_t>& decodeBuffer() { return decode_; }
    std::vector<std::uint8_t>& image() { return image_; }
    const std::vector<std::uint8_t>& lastImage() const { return lastImage_; }

    std::uint64_t framesProcessed() const { return framesProcessed_.load(); }

private:
    void draw();
    void record();

    MessageRelay cameraWindow_;
    std::size_t bufferSize_ = 0;
    int typeId_ = kNoCamera;
    int previewResolution_ = 0;
    int width_ = 0;
    int height_ = 0;

    // Owned by the grab thread, the decode thread and the exchange while running.
    FrameExchange exchange_;
    std::vector<std::uint8_t> grab_;
    std::vector<std::uint8_t> decode_;
    std::vector<std::uint8_t> image_;
    std::vector<std::uint8_t> lastImage_;
    std::vector<std::uint8_t> crop_;
    const PixelCorrectionList* corrections_ = nullptr;  // the record's, read per frame
    QString frameCountLabel_;
    RegionScaler scaler_;

    std::uint32_t lastTick_ = 0;
    bool haveLastTick_ = false;  // a rate needs two delivered frames
    std::atomic<float> frameRate_{0.0f};
    std::atomic<bool> skipNextFrame_{false};
    std::atomic<bool> correctionApplied_{false};
    std::atomic<FrameSurface*> surface_{nullptr};
    std::atomic<FrameSurface*> zoomTarget_{nullptr};

    mutable std::mutex regionMutex_;  // the region is four fields written together
    Region region_;
    bool regionActive_ = false;
    Region recordingRegion_;
    VideoFrameSink* sink_ = nullptr;  // written under both locks
    std::mutex recordMutex_;          // held while a frame is written to the sink
    std::atomic<bool> recording_{false};

    std::atomic<std::uint64_t> framesProcessed_{0};
};

}  // namespace korvel::camera
