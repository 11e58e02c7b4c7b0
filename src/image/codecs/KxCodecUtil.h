#pragma once

// Small helpers shared by the codecs: byte order, exact reads and writes.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/KxFile.h"

namespace kx {

inline uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint16_t Be16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t Be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutBe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
inline void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline bool ReadExact(KxFile* file, void* buffer, size_t size) {
    return size == 0 || file->Read(buffer, 1, size) == size;
}

inline bool WriteExact(KxFile* file, const void* buffer, size_t size) {
    return size == 0 || file->Write(buffer, 1, size) == size;
}

inline bool WriteExact(KxFile* file, const std::vector<uint8_t>& bytes) {
    return WriteExact(file, bytes.data(), bytes.size());
}

// Bytes left in the stream from the current position (0 when unknown or past the end).
inline uint64_t Remaining(KxFile* file) {
    const int64_t size = file->Size();
    const int64_t position = file->Tell();
    return size > position && position >= 0 ? static_cast<uint64_t>(size - position) : 0;
}

// Reads the rest of the stream; false when it exceeds `limit` bytes.
inline bool ReadAll(KxFile* file, std::vector<uint8_t>& out, uint64_t limit) {
    const uint64_t remaining = Remaining(file);
    if (remaining > limit)
        return false;
    out.resize(static_cast<size_t>(remaining));
    out.resize(file->Read(out.data(), 1, out.size()));
    return true;
}

// Resolution fields are untrusted: anything outside 1..1,000,000 dpi falls back to 96.
// Byte-at-a-time reading through a buffer, for run-length and text decoders: one virtual
// call per block instead of one per byte.
class ByteReader {
public:
    explicit ByteReader(KxFile* file) : file_(file), buffer_(64 * 1024) {}

    // Next byte, or -1 at the end.
    int Get() {
        if (position_ == filled_ && !Refill())
            return -1;
        return buffer_[position_++];
    }
    // Copies `size` bytes; false when the stream ends first.
    bool Read(uint8_t* out, size_t size) {
        while (size > 0) {
            if (position_ == filled_ && !Refill())
                return false;
            const size_t n = std::min(size, filled_ - position_);
            std::memcpy(out, buffer_.data() + position_, n);
            position_ += n;
            out += n;
            size -= n;
        }
        return true;
    }

private:
    bool Refill() {
        filled_ = file_->Read(buffer_.data(), 1, buffer_.size());
        position_ = 0;
        return filled_ > 0;
    }

    KxFile* file_;
    std::vector<uint8_t> buffer_;
    size_t position_ = 0;
    size_t filled_ = 0;
};

inline int32_t DpiFromPelsPerMeter(int32_t ppm) {
    const double dpi = ppm * 0.0254;
    return dpi >= 0.5 && dpi <= 1e6 ? static_cast<int32_t>(dpi + 0.5) : 96;
}

}  // namespace kx
