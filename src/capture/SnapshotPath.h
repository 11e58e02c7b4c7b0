#pragma once

// Where one snapshot goes: the next automatic name, or a name the user picks in the
// "camera snap files" dialog, whose filter also chooses the file type.

#include "capture/CaptureNaming.h"

#include <optional>
#include <string>
#include <vector>

namespace korvel::capture {

struct FileFilter {
    std::string description;  // "BMP Files (*.bmp)"
    std::string pattern;      // "*.bmp"
};

struct SaveDialogRequest {
    std::string title;
    std::string defaultName;
    std::string defaultExtension;  // without the dot
    std::string folder;            // where the dialog starts
    std::vector<FileFilter> filters;
    int initialFilter = 1;  // 1-based
};

struct SaveDialogAnswer {
    std::string path;
    int filter = 1;  // 1-based, the filter chosen
};

// The dialog of a snapshot without automatic names.
SaveDialogRequest snapshotDialogRequest(int fileType, const std::string& folder);
// 1-based filter shown first for a file type: JPEG 2, RAW 4, TIFF 3, anything else 1.
int snapFilterForType(int fileType);
// The file type a chosen filter sets: 2 JPEG, 3 TIFF, 4 RAW, anything else BMP.
int fileTypeForSnapFilter(int filter);

// Shows the dialog; no answer when the user cancels.
using AskSavePath = std::function<std::optional<SaveDialogAnswer>(const SaveDialogRequest&)>;

// The path of shot `index`, or none when the dialog was cancelled. A name from the dialog
// sets the record's snapshot file type from the chosen filter.
std::optional<std::string> snapshotPath(camera::CameraRecord& record, const std::string& folder,
                                        int index, const AskSavePath& ask,
                                        const Clock& clock = localTimeNow,
                                        const FileExists& exists = pathExists);

}  // namespace korvel::capture
