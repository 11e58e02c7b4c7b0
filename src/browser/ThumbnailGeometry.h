#pragma once

// The numbers of a thumbnail tile: its size, where a picture sits in it, and how far a
// JPEG may be shrunk while it decodes so that the picture still has all the pixels the
// tile shows.

namespace korvel::browser {

inline constexpr int kTileWidth = 200;
inline constexpr int kTileHeight = 180;
// The tile and 20 files.
inline constexpr int kMaxEntries = 21;
// The list shows the tile and at most 19 files.
inline constexpr int kMaxShownItems = 20;

struct TilePlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Fits a picture of `width` x `height` into the tile keeping its aspect ratio: a picture
// relatively taller than the tile fills its height and is centred across, any other fills
// its width and is centred down. Sizes and offsets are truncated; a side never drops
// below one pixel so that a sliver of a picture still has something to draw.
TilePlacement fitThumbnail(int width, int height, int tileWidth = kTileWidth,
                           int tileHeight = kTileHeight);

// The largest DCT scale denominator (8, 4, 2 or 1) at which a `width` x `height` JPEG
// still decodes to at least `neededWidth` x `neededHeight` pixels.
int jpegScaleDenominator(int width, int height, int neededWidth, int neededHeight);

}  // namespace korvel::browser
