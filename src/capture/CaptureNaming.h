#pragma once

// Names of snapshot and video files: a time stamp, or the base name with the series index,
// in the default save folder, made unique with "_1", "_2", ... before the extension. The
// clock and the file test are parameters so that a test can fix both.

#include "camera/CameraRecord.h"

#include <functional>
#include <string>

namespace korvel::capture {

// Local time, month 1..12.
struct LocalTime {
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

using Clock = std::function<LocalTime()>;
using FileExists = std::function<bool(const std::string& path)>;

LocalTime localTimeNow();
// True when anything (file, folder, link) has this name.
bool pathExists(const std::string& path);

// Snapshot file type codes.
inline constexpr int kFileJpeg = 1;
inline constexpr int kFileBmp = 2;
inline constexpr int kFileRaw = 4;
inline constexpr int kFileTiff = 8;

// The code itself for 1, 2, 4 and 8; BMP for anything else (a damaged setting).
int normalisedFileType(int fileType);

// Extension of automatic snapshot names: ".jpg", ".tiff", ".raw", else ".bmp". RAW files
// get their own extension: the camera library writes them as ".raw", and a name that
// collides on ".bmp" only would let every RAW shot overwrite the one before.
std::string snapshotExtension(int fileType);
inline const std::string kVideoExtension = ".avi";

// The next free name for shot `index` (0..255) of a snapshot series, or for a video.
// `folder` is prefixed unchanged, so it is expected to end with '/'.
std::string captureName(const camera::CameraRecord& record, const std::string& folder, int index,
                        bool video, const Clock& clock = localTimeNow,
                        const FileExists& exists = pathExists);

}  // namespace korvel::capture
