#pragma once

// Palette files: JASC text palettes and RIFF "PAL " palettes are read, RIFF palettes are
// written. Reading never looks past the end of the bytes, whatever the file claims.

#include "image/KxTypes.h"

#include <QByteArray>
#include <QString>

#include <span>
#include <vector>

namespace korvel::document {

struct PaletteReadResult {
    std::vector<RGBQUAD> entries;  // what is loaded; empty when nothing is
    QString message;               // shown to the user when not empty
    bool loaded = false;
};

// Reads a palette file for a picture with `pictureColours` palette entries: a count above
// 256 loads nothing ("Too much colors!"), a count that differs from the picture's warns
// ("Warning: numcolors doesn't match") and loads the smaller number of entries, any other
// start than "JASC" or "RIFF" loads nothing ("Unknown contents!"). A file shorter than
// its count loads the entries it holds.
PaletteReadResult readPaletteFile(const QByteArray& bytes, int pictureColours);

// A RIFF palette: "RIFF", size, "PAL data", size, version 768, count, the entries as
// red, green, blue, alpha, and a closing 32-bit zero.
QByteArray writeRiffPalette(std::span<const RGBQUAD> entries);

}  // namespace korvel::document
