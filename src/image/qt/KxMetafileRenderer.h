#pragma once

#include "image/KxImage.h"

// Plays Windows metafiles (placeable or plain WMF, and EMF) through QPainter into a 24-bit
// picture: lines, shapes, polygons, text, pens, brushes and fonts, embedded bitmaps and
// their raster operations, window and viewport mapping, saved states. Regions, clipping and
// paths are skipped.
class KxMetafileRenderer {
public:
    // Decodes `file` into `target`; false with the target's error text on failure.
    static bool Decode(KxImage& target, KxFile* file);
    // Lets KxImage read type 10 (and auto-detect it). Call once at start-up.
    static void Install() { KxImage::SetMetafileDecoder(&KxMetafileRenderer::Decode); }

    // Longest side of the rendered picture.
    static constexpr int kMaxSide = 4096;
};
