#pragma once

// The compressor list of the video page: the installed compressors in enumeration order,
// only the accepted handler codes, one entry per description; after them the list's own
// "No Compressor" entry, whose position is the list's length.

#include "capture/AviCompressors.h"
#include "capture/FourCC.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace korvel::capture {

// The settings "Config" chose per compressor, by handler code value.
using CompressorSettingsTable = std::map<std::uint32_t, CompressorSettings>;

// One compressor as the platform enumerates it.
struct InstalledCompressor {
    FourCC code;
    std::string description;
    bool opens = true;  // it can be opened for querying
};

// One listed compressor: its description, handler code and place in the enumeration.
struct CompressorEntry {
    std::string description;
    FourCC code;
    int enumerationIndex = 0;
};

inline const std::string kNoCompressor = "No Compressor";

// The compressors this build can encode with, in enumeration order, with descriptions.
std::vector<InstalledCompressor> installedCompressors();

// A compressor that does not open is skipped; one with the description of an entry listed
// before removes that entry and is appended only when its own code is accepted.
std::vector<CompressorEntry> buildCompressorList(const std::vector<InstalledCompressor>& installed);

// The list position selected for the record's compressor index: the index itself, or the
// "No Compressor" position when it is not less than the list's length.
int compressorSelection(int recordIndex, std::size_t listSize);

// The handler code stored for a list position: the listed code, else "DIB ".
FourCC compressorCodeAt(const std::vector<CompressorEntry>& list, int position);

// True when the compressor's settings include a quality (the MPEG-4 family); the lossless
// and uncompressed ones have nothing to configure.
bool takesQuality(FourCC code);

}  // namespace korvel::capture
