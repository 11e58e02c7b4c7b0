#pragma once

// Where the decode thread draws: a picture of a requested size, kept in three buffers.
// The decode thread fills the back buffer and publishes it; the user-interface thread
// takes the newest published buffer when it paints. Only the index swaps are locked, so
// neither side ever waits for the other's drawing, and no picture is queued: a newer one
// replaces a published picture that was not painted yet.

#include "camera/PreviewGeometry.h"

#include <QImage>
#include <QSize>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace korvel::camera {

// One scaled picture: top row first, blue-green-red bytes, rows padded to 4 bytes.
struct SurfacePicture {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    int stride = 0;
    std::uint64_t serial = 0;  // counts published pictures; 0 = never drawn

    void resize(int w, int h);
    // A QImage over the pixels, valid while this picture is not changed.
    QImage image() const;
};

// Scales the region of a bottom-up 24-bit image into a picture (already sized), bilinear
// in 8-bit fixed point. Keeps its column table and row scratch from frame to frame, so the
// decode thread allocates nothing while the sizes stay.
class RegionScaler {
public:
    void scale(const std::uint8_t* image, int width, int height, const Region& region,
               SurfacePicture& out);

    // Left source pixel of a destination column, the byte step to the right one and the
    // right one's weight out of 256.
    struct Tap {
        int offset;
        int next;
        unsigned weight;
    };

private:
    std::vector<Tap> taps_;
    // The tap weights repeated four times per pixel (256 - weight, then weight), the
    // layout the vector loop multiplies with.
    std::vector<std::uint16_t> leftWeights_;
    std::vector<std::uint16_t> rightWeights_;
    std::vector<std::uint8_t> blended_;
    std::array<std::vector<std::uint8_t>, 2> across_;  // source rows scaled across
};

// One-off scaling with a scaler of its own.
void scaleRegion(const std::uint8_t* image, int width, int height, const Region& region,
                 SurfacePicture& out);

class FrameSurface {
public:
    // Size pictures should have from now on (user-interface thread).
    void setTargetSize(QSize size);
    QSize targetSize() const;

    // Called once per published picture on the drawing thread, at most once until the next
    // take: lets the owner schedule a repaint without flooding its event queue.
    void setPublishedCallback(std::function<void()> callback) { published_ = std::move(callback); }

    // Drawing side: the buffer to draw into, then publish it.
    SurfacePicture& backBuffer() { return buffers_[back_]; }
    void publish();

    // Painting side: the newest picture (the same as last time when nothing new came).
    const SurfacePicture& takeNewest();
    // How many pictures were published, and how many of them reached takeNewest.
    std::uint64_t publishedCount() const { return serial_.load(); }

private:
    std::array<SurfacePicture, 3> buffers_;
    int back_ = 0;
    int ready_ = 1;
    int front_ = 2;
    bool fresh_ = false;
    std::mutex swapMutex_;  // only around the index swaps
    std::atomic<std::uint64_t> serial_{0};
    std::atomic<bool> notifyPending_{false};
    std::atomic<std::uint64_t> packedSize_{0};
    std::function<void()> published_;
};

}  // namespace korvel::camera
