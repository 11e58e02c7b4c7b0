#include "capture/CompressorList.h"

#include <algorithm>

namespace korvel::capture {

std::vector<InstalledCompressor> installedCompressors() {
    std::vector<InstalledCompressor> installed;
    for (FourCC code : encodableCompressors()) {
        installed.push_back({code, compressorDescription(code), true});
    }
    return installed;
}

std::vector<CompressorEntry> buildCompressorList(
    const std::vector<InstalledCompressor>& installed) {
    std::vector<CompressorEntry> list;
    for (std::size_t i = 0; i < installed.size(); ++i) {
        const InstalledCompressor& compressor = installed[i];
        if (!compressor.opens) {
            continue;
        }
        std::erase_if(list, [&](const CompressorEntry& entry) {
            return entry.description == compressor.description;
        });
        if (isAcceptedCompressor(compressor.code)) {
            list.push_back({compressor.description, compressor.code, static_cast<int>(i)});
        }
    }
    return list;
}

int compressorSelection(int recordIndex, std::size_t listSize) {
    if (recordIndex < 0 || static_cast<std::size_t>(recordIndex) >= listSize) {
        return static_cast<int>(listSize);
    }
    return recordIndex;
}

FourCC compressorCodeAt(const std::vector<CompressorEntry>& list, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= list.size()) {
        return kUncompressedCode;
    }
    return list[static_cast<std::size_t>(position)].code;
}

bool takesQuality(FourCC code) {
    return code == FourCC{'M', 'P', '4', '2'} || code == FourCC{'M', 'P', 'G', '4'} ||
           code == FourCC{'X', 'V', 'I', 'D'} || code == FourCC{'W', 'M', 'V', '3'};
}

}  // namespace korvel::capture
