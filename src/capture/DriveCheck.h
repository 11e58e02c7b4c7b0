#pragma once

// Whether a capture path can be written before the camera is touched: its folder must
// exist and be writable, on a file system that is neither mounted read-only nor an optical
// disc's (ISO 9660, UDF).

#include <functional>
#include <string>

namespace korvel::capture {

struct FolderStatus {
    bool exists = false;  // a folder of that name exists
    bool writable = false;
    bool readOnlyFileSystem = false;
    bool opticalFileSystem = false;
};

using FolderProbe = std::function<FolderStatus(const std::string& folder)>;

// The status of `folder` on this machine.
FolderStatus probeFolder(const std::string& folder);

// The folder part of a path (through its last '/'), "." for a bare file name.
std::string folderOf(const std::string& path);

// True when a file can be saved at `path`.
bool canSaveTo(const std::string& path, const FolderProbe& probe = probeFolder);

}  // namespace korvel::capture
