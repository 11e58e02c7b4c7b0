#pragma once

// The arithmetic of the live preview that needs no thread and no window: buffer sizes,
// frame rate, brightness, the region of interest and how the drawing surface fits the
// preview window. The preview window and its tests both call these.

#include "camera/CameraRecord.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace korvel::camera {

// A rectangle in image pixels, origin at the top-left, right and bottom exclusive.
struct Region {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return width() <= 0 || height() <= 0; }
    friend bool operator==(const Region&, const Region&) = default;
};

// Placement of the drawing surface inside the preview window.
struct SurfacePlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const SurfacePlacement&, const SurfacePlacement&) = default;
};

// Size of each of the six frame buffers of a start. Some models have a fixed size; a
// frame larger than that size (a simulated or future resolution) still fits.
std::size_t previewBufferSize(int typeId, int width, int height);

// Frames per second from two millisecond tick counts; the difference is taken unsigned so
// that a wrap of the tick counter does not matter. Two ticks in the same millisecond count
// as one millisecond apart rather than an infinite rate.
float frameRateFromTicks(std::uint32_t lastTick, std::uint32_t tick);

// The nominal rate of a recording: the measured rate, at least 1, truncated; rates beyond
// what a tick difference can give are capped.
int recordingFrameRate(float measuredRate);

// Mean of the first width x height raw bytes, integer division, at least 1. Type 14 at
// preview resolution 2 or 3 is measured over 2048 x 1536 bytes. Never reads past `raw`.
int meanBrightness(std::span<const std::uint8_t> raw, int width, int height, int typeId,
                   int previewResolution);

// A selection in surface coordinates (already clipped and normalised) scaled to image
// pixels and aligned: a multiple of 4 wide and even high. The left (top) edge moves out
// first, then the right (bottom) one; when neither can move because the whole image is
// not a multiple of 4 wide (or is odd high), the region gives up the extra columns (row)
// at its right (bottom). The result is empty when nothing sensible remains.
Region regionFromSelection(const Region& selection, int surfaceWidth, int imageWidth,
                           int imageHeight);
Region alignRegion(Region region, int imageWidth, int imageHeight);

// The largest size of the region's aspect that fits the window, centred. Nothing to place
// (an empty region or window) gives a zero placement.
SurfacePlacement fitSurface(int windowWidth, int windowHeight, int regionWidth, int regionHeight);

// Copies the region of a bottom-up 24-bit image into `crop`, itself a bottom-up image of
// the region's size. `crop` must hold region width x height x 3 bytes.
void cropRegion(const std::uint8_t* image, int width, int height, const Region& region,
                std::uint8_t* crop);

// Divides the three bytes of each listed pixel of the decoded (bottom-up, rows as the
// camera library numbers them) image by its percentage: min(255, v x 100 / percentage).
// Records outside the image or with a zero percentage are skipped.
void applyPixelCorrections(std::uint8_t* image, int width, int height,
                           std::span<const PixelCorrection> corrections);

}  // namespace korvel::camera
