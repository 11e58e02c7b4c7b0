// The capture device seam over libv4l2.

#include <fcntl.h>
#include <libv4l2.h>
#include <poll.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "VideoDevice.h"

namespace krvcamera {

namespace {

class Libv4l2Device final : public VideoDevice {
public:
    ~Libv4l2Device() override { close(); }

    int open(const std::string& path) override {
        close();
        // Non-blocking: a dequeue never waits, poll() does the waiting with a time limit.
        fd_ = v4l2_open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        return fd_ < 0 ? errno : 0;
    }

    void close() override {
        if (fd_ >= 0) {
            v4l2_close(fd_);
            fd_ = -1;
        }
    }

    int ioctl(unsigned long request, void* argument) override {
        if (fd_ < 0) {
            return EBADF;
        }
        int rc = 0;
        do {
            rc = v4l2_ioctl(fd_, request, argument);
        } while (rc < 0 && errno == EINTR);
        return rc < 0 ? errno : 0;
    }

    void* map(std::size_t length, std::int64_t offset) override {
        void* address = v4l2_mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_,
                                  static_cast<off_t>(offset));
        return address == MAP_FAILED ? nullptr : address;
    }

    void unmap(void* address, std::size_t length) override { v4l2_munmap(address, length); }

    int poll(int timeoutMs) override {
        pollfd entry{fd_, POLLIN, 0};
        const int rc = ::poll(&entry, 1, timeoutMs);
        if (rc < 0) {
            return errno == EINTR ? 0 : -errno;
        }
        if (rc == 0) {
            return 0;
        }
        if (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return -ENODEV;
        }
        return 1;
    }

private:
    int fd_ = -1;
};

std::vector<std::string> videoNodes() {
    std::vector<std::string> nodes;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("video", 0) == 0 && name.size() > 5 &&
            name.find_first_not_of("0123456789", 5) == std::string::npos) {
            nodes.push_back(entry.path().string());
        }
    }
    // /dev/video2 before /dev/video10.
    std::ranges::sort(nodes, [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return nodes;
}

}  // namespace

VideoDeviceSource systemVideoDevices() {
    return {[] { return std::make_unique<Libv4l2Device>(); }, videoNodes};
}

}  // namespace krvcamera
