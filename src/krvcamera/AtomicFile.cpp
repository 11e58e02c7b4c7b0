#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace krvcamera {

namespace {

// Creates an empty temporary file beside `path`; returns its descriptor or -1.
int createTemporary(const std::filesystem::path& path, std::string& temporary) {
    temporary = path.string() + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd >= 0) {
        ::fchmod(fd, 0644);  // mkstemp makes it private; the result is an ordinary file
    }
    return fd;
}

bool syncFile(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDONLY);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool replaceTarget(const std::string& temporary, const std::filesystem::path& path, bool written,
                   Durability durability) {
    const bool synced = durability != Durability::Synced || (written && syncFile(temporary));
    if (written && synced && std::rename(temporary.c_str(), path.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& path,
                         const std::function<bool(std::FILE*)>& write, Durability durability) {
    std::string temporary;
    const int fd = createTemporary(path, temporary);
    if (fd < 0) {
        return false;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    bool written = write(file);
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    return replaceTarget(temporary, path, written, durability);
}

bool writeFileAtomicallyByPath(const std::filesystem::path& path,
                               const std::function<bool(const std::filesystem::path&)>& write,
                               Durability durability) {
    std::string temporary;
    const int fd = createTemporary(path, temporary);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    const bool written = write(temporary);
    return replaceTarget(temporary, path, written, durability);
}

}  // namespace krvcamera
