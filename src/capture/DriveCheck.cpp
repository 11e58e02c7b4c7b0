#include "capture/DriveCheck.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace korvel::capture {

namespace {

// Magic numbers of the optical disc file systems (linux/magic.h).
constexpr long kIso9660Magic = 0x9660;
constexpr long kUdfMagic = 0x15013346;

}  // namespace

FolderStatus probeFolder(const std::string& folder) {
    FolderStatus status;
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return status;
    }
    status.exists = true;
    status.writable = ::access(folder.c_str(), W_OK | X_OK) == 0;
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) == 0) {
        status.readOnlyFileSystem = (volume.f_flag & ST_RDONLY) != 0;
    }
    struct statfs system {};
    if (::statfs(folder.c_str(), &system) == 0) {
        const long type = static_cast<long>(system.f_type);
        status.opticalFileSystem = type == kIso9660Magic || type == kUdfMagic;
    }
    return status;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return path.substr(0, slash + 1);
}

bool canSaveTo(const std::string& path, const FolderProbe& probe) {
    if (path.empty() || path.back() == '/') {
        return false;  // no file name to write
    }
    const FolderStatus status = probe(folderOf(path));
    return status.exists && status.writable && !status.readOnlyFileSystem &&
           !status.opticalFileSystem;
}

}  // namespace korvel::capture
