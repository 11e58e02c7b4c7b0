// Stands in for libv4l2 when preloaded, so the whole program can be started against the
// scripted camera on a machine that has none:
//
//   LD_PRELOAD=build/tests/krvcamera/libfake_v4l2.so KRVCAMERA=v4l2:/dev/video0 korvel
//
// FAKE_V4L2_CONTROLS=exposure gives a camera with only an exposure control (the library
// then does colour, gamma, contrast and mirroring itself); otherwise it has every control.
// Frames come at about 30 per second.

#include <dlfcn.h>
#include <libv4l2.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "FakeVideoDevice.h"

namespace {

using krvcamera::VideoDevice;
using krvcamera::test::FakeCamera;

constexpr auto kFrameInterval = std::chrono::milliseconds(33);

struct Handle {
    std::unique_ptr<VideoDevice> device;
    std::chrono::steady_clock::time_point lastFrame;
};

// One camera for the process and the handles opened on it, keyed by a real descriptor (an
// eventfd) so that the numbers never collide with the program's own files.
class FakeDevices {
public:
    static FakeDevices& instance() {
        static FakeDevices devices;
        return devices;
    }

    int open(const char* path) {
        const int fd = eventfd(0, EFD_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        auto device = source_.make();
        if (const int error = device->open(path); error != 0) {
            ::close(fd);
            errno = error;
            return -1;
        }
        std::lock_guard lock(mutex_);
        handles_[fd] = Handle{std::move(device), {}};
        return fd;
    }

    bool close(int fd) {
        std::unique_ptr<VideoDevice> device;
        {
            std::lock_guard lock(mutex_);
            const auto it = handles_.find(fd);
            if (it == handles_.end()) {
                return false;
            }
            device = std::move(it->second.device);
            handles_.erase(it);
        }
        device->close();
        ::close(fd);
        return true;
    }

    // The device behind `fd`, or null for the program's other descriptors.
    VideoDevice* device(int fd) {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(fd);
        return it == handles_.end() ? nullptr : it->second.device.get();
    }

    // Holds a frame back until a frame interval has passed since the last one.
    void pace(int fd) {
        std::chrono::steady_clock::time_point due;
        {
            std::lock_guard lock(mutex_);
            const auto it = handles_.find(fd);
            if (it == handles_.end()) {
                return;
            }
            due = it->second.lastFrame + kFrameInterval;
            it->second.lastFrame = std::max(due, std::chrono::steady_clock::now());
        }
        std::this_thread::sleep_until(due);
    }

private:
    FakeDevices() {
        const char* controls = std::getenv("FAKE_V4L2_CONTROLS");
        if (controls && std::strcmp(controls, "exposure") == 0) {
            camera_.addExposureOnly();
        } else {
            camera_.addAllControls();
        }
        source_ = camera_.source();
    }

    FakeCamera camera_;
    krvcamera::VideoDeviceSource source_;
    std::mutex mutex_;
    std::map<int, Handle> handles_;
};

}  // namespace

extern "C" {

int v4l2_open(const char* file, int, ...) {
    return FakeDevices::instance().open(file);
}

int v4l2_close(int fd) {
    if (!FakeDevices::instance().close(fd)) {
        errno = EBADF;
        return -1;
    }
    return 0;
}

int v4l2_ioctl(int fd, unsigned long int request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    VideoDevice* device = FakeDevices::instance().device(fd);
    const int error = device ? device->ioctl(request, argument) : EBADF;
    if (error != 0) {
        errno = error;
        return -1;
    }
    return 0;
}

void* v4l2_mmap(void*, size_t length, int, int, int fd, int64_t offset) {
    VideoDevice* device = FakeDevices::instance().device(fd);
    void* address = device ? device->map(length, offset) : nullptr;
    return address ? address : MAP_FAILED;
}

int v4l2_munmap(void*, size_t) {
    return 0;  // the camera keeps its buffers
}

// The program waits for frames with poll(); the fake's descriptors are answered by the
// camera, every other call goes to the C library.
int poll(struct pollfd* fds, nfds_t count, int timeout) {
    if (count == 1) {
        if (VideoDevice* device = FakeDevices::instance().device(fds[0].fd)) {
            const int ready = device->poll(timeout);
            fds[0].revents = 0;
            if (ready < 0) {
                fds[0].revents = POLLERR;
                return 1;
            }
            if (ready == 0) {
                return 0;
            }
            FakeDevices::instance().pace(fds[0].fd);
            fds[0].revents = POLLIN;
            return 1;
        }
    }
    using Poll = int (*)(struct pollfd*, nfds_t, int);
    static const auto next = reinterpret_cast<Poll>(dlsym(RTLD_NEXT, "poll"));
    return next(fds, count, timeout);
}

}  // extern "C"
