#include "capture/CaptureNaming.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

namespace korvel::capture {

LocalTime localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

bool pathExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() !=
           std::filesystem::file_type::not_found;
}

int normalisedFileType(int fileType) {
    switch (fileType) {
        case kFileJpeg:
        case kFileBmp:
        case kFileRaw:
        case kFileTiff:
            return fileType;
        default:
            return kFileBmp;
    }
}

std::string snapshotExtension(int fileType) {
    switch (normalisedFileType(fileType)) {
        case kFileJpeg:
            return ".jpg";
        case kFileTiff:
            return ".tiff";
        case kFileRaw:
            return ".raw";
        default:
            return ".bmp";
    }
}

std::string captureName(const camera::CameraRecord& record, const std::string& folder, int index,
                        bool video, const Clock& clock, const FileExists& exists) {
    const bool timeStamped = video ? record.video.bTimeStamp != 0 : record.snapshot.bTimeStamp != 0;
    const std::string& baseName = video ? record.video.sFilename : record.snapshot.sFilename;
    std::string base;
    if (timeStamped) {
        const LocalTime t = clock();
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%02d%02d%02d%02d%02d", t.month, t.day, t.hour, t.minute,
                      t.second);
        base = folder + stamp;
    } else if (index > 0) {
        base = folder + baseName + "-" + std::to_string(index);
    } else {
        base = folder + baseName;
    }
    const std::string extension =
        video ? kVideoExtension : snapshotExtension(record.snapshot.uiFiletype);
    std::string name = base + extension;
    // Bounded only by the folder's contents: every taken name is a file that exists.
    for (int n = 1; exists(name); ++n) {
        name = base + "_" + std::to_string(n) + extension;
    }
    return name;
}

}  // namespace korvel::capture
