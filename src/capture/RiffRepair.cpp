#include "capture/RiffRepair.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <optional>

namespace korvel::capture {

namespace {

// An open file descriptor, closed on scope exit.
class File {
public:
    File(const std::string& path, int flags) : fd_(::open(path.c_str(), flags | O_CLOEXEC)) {}
    ~File() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    bool read(std::int64_t offset, void* data, std::size_t size) const {
        return ::pread(fd_, data, size, offset) == static_cast<ssize_t>(size);
    }
    bool writeU32(std::int64_t offset, std::uint32_t value) const {
        const std::array<std::uint8_t, 4> bytes{std::uint8_t(value), std::uint8_t(value >> 8),
                                                std::uint8_t(value >> 16),
                                                std::uint8_t(value >> 24)};
        return ::pwrite(fd_, bytes.data(), 4, offset) == 4;
    }

private:
    int fd_;
};

struct ChunkHeader {
    std::array<char, 4> id;
    std::uint32_t size;
    std::array<char, 4> listType;  // only for RIFF and LIST chunks
};

std::optional<ChunkHeader> readChunk(const File& file, std::int64_t offset) {
    std::array<std::uint8_t, 12> bytes{};
    if (!file.read(offset, bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    ChunkHeader header{};
    std::memcpy(header.id.data(), bytes.data(), 4);
    header.size = std::uint32_t(bytes[4]) | std::uint32_t(bytes[5]) << 8 |
                  std::uint32_t(bytes[6]) << 16 | std::uint32_t(bytes[7]) << 24;
    std::memcpy(header.listType.data(), bytes.data() + 8, 4);
    return header;
}

bool is(const std::array<char, 4>& code, const char* text) {
    return std::memcmp(code.data(), text, 4) == 0;
}

std::int64_t next(std::int64_t offset, const ChunkHeader& chunk) {
    return offset + 8 + chunk.size + (chunk.size & 1);
}

// The offsets of the main header's and the first video stream header's data within the
// first RIFF list's header list.
struct HeaderOffsets {
    std::int64_t mainHeader = -1;
    std::int64_t videoStreamHeader = -1;
};

HeaderOffsets findHeaders(const File& file) {
    HeaderOffsets offsets;
    const auto riff = readChunk(file, 0);
    if (!riff || !is(riff->id, "RIFF")) {
        return offsets;
    }
    const auto hdrl = readChunk(file, 12);
    if (!hdrl || !is(hdrl->id, "LIST") || !is(hdrl->listType, "hdrl")) {
        return offsets;
    }
    const std::int64_t hdrlEnd = next(12, *hdrl);
    for (std::int64_t at = 24; at + 8 <= hdrlEnd;) {
        const auto chunk = readChunk(file, at);
        if (!chunk) {
            break;
        }
        if (is(chunk->id, "avih")) {
            offsets.mainHeader = at + 8;
        } else if (is(chunk->id, "LIST") && is(chunk->listType, "strl")) {
            const auto strh = readChunk(file, at + 12);
            if (strh && is(strh->id, "strh") && is(strh->listType, "vids") &&
                offsets.videoStreamHeader < 0) {
                offsets.videoStreamHeader = at + 20;
            }
        }
        at = next(at, *chunk);
    }
    return offsets;
}

}  // namespace

bool raiseSuggestedBufferSize(const std::string& path, std::uint32_t size) {
    File file(path, O_RDWR);
    if (!file.isOpen()) {
        return false;
    }
    const HeaderOffsets offsets = findHeaders(file);
    if (offsets.videoStreamHeader < 0) {
        return false;
    }
    constexpr int kSuggestedBufferSize = 36;  // within the stream header
    std::array<std::uint8_t, 4> bytes{};
    if (!file.read(offsets.videoStreamHeader + kSuggestedBufferSize, bytes.data(), 4)) {
        return false;
    }
    const std::uint32_t current = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                                  std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
    if (current >= size) {
        return true;
    }
    return file.writeU32(offsets.videoStreamHeader + kSuggestedBufferSize, size);
}

bool truncateToCompleteFrames(const std::string& path, std::int64_t end, std::uint32_t frames) {
    File file(path, O_RDWR);
    if (!file.isOpen() || ::ftruncate(file.fd(), end) != 0) {
        return false;
    }
    // Walk the RIFF lists; the one that runs past the new end is the last and open one.
    int riffCount = 0;
    for (std::int64_t at = 0; at + 12 <= end;) {
        const auto riff = readChunk(file, at);
        if (!riff || !is(riff->id, "RIFF")) {
            return false;
        }
        ++riffCount;
        if (next(at, *riff) < end) {
            at = next(at, *riff);
            continue;
        }
        if (!file.writeU32(at + 4, static_cast<std::uint32_t>(end - at - 8))) {
            return false;
        }
        for (std::int64_t inner = at + 12; inner + 12 <= end;) {
            const auto chunk = readChunk(file, inner);
            if (!chunk) {
                return false;
            }
            if (is(chunk->id, "LIST") && is(chunk->listType, "movi")) {
                if (!file.writeU32(inner + 4, static_cast<std::uint32_t>(end - inner - 8))) {
                    return false;
                }
                break;
            }
            inner = next(inner, *chunk);
        }
        break;
    }
    if (riffCount == 1) {
        // The counts of a file of several lists are left alone: readers take them from
        // the extended header, which only a completed file has.
        const HeaderOffsets offsets = findHeaders(file);
        constexpr int kTotalFrames = 16;  // within the main header
        constexpr int kLength = 32;       // within the stream header
        if (offsets.mainHeader >= 0) {
            file.writeU32(offsets.mainHeader + kTotalFrames, frames);
        }
        if (offsets.videoStreamHeader >= 0) {
            file.writeU32(offsets.videoStreamHeader + kLength, frames);
        }
    }
    return true;
}

}  // namespace korvel::capture
