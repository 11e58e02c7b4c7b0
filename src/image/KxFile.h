#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// Byte stream used by every codec. Reads return the number of whole items read, like
// fread; a short read is how codecs notice truncated files.
class KxFile {
public:
    virtual ~KxFile() = default;

    virtual bool Close() = 0;
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    virtual bool Seek(int64_t offset, int origin) = 0;
    virtual int64_t Tell() = 0;
    virtual int64_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual bool Error() = 0;

    virtual bool PutC(uint8_t c) { return Write(&c, 1, 1) == 1; }
    // Next byte, or -1 at the end.
    virtual int GetC() {
        uint8_t c;
        return Read(&c, 1, 1) == 1 ? c : -1;
    }
};

// Stream over a C FILE*. Closes the file only when it opened it itself.
class KxIOFile : public KxFile {
public:
    explicit KxIOFile(FILE* file = nullptr) : file_(file) {}
    ~KxIOFile() override;
    KxIOFile(const KxIOFile&) = delete;
    KxIOFile& operator=(const KxIOFile&) = delete;

    bool Open(const char* fileName, const char* mode);
    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override;
    int64_t Size() override;
    bool Flush() override;
    bool Eof() override;
    bool Error() override;
    int GetC() override;

private:
    FILE* file_ = nullptr;
    bool ownsFile_ = false;
};

// Growable in-memory stream. Either owns its buffer (Open() with no argument, or after
// a write) or reads a caller's buffer in place (Open(data, size)); writing to a borrowed
// buffer copies it first.
class KxMemFile : public KxFile {
public:
    KxMemFile() = default;
    KxMemFile(const uint8_t* data, size_t size) { Open(data, size); }
    ~KxMemFile() override = default;
    KxMemFile(const KxMemFile&) = delete;
    KxMemFile& operator=(const KxMemFile&) = delete;

    // Starts an empty, owned, writable buffer.
    bool Open();
    // Reads `size` bytes at `data` without copying; the caller keeps them alive.
    bool Open(const uint8_t* data, size_t size);
    bool Close() override;

    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override { return position_; }
    int64_t Size() override { return static_cast<int64_t>(size_); }
    bool Flush() override { return true; }
    bool Eof() override { return position_ >= size_; }
    bool Error() override { return error_; }
    int GetC() override { return position_ < size_ ? data_[position_++] : -1; }
    bool PutC(uint8_t c) override { return Write(&c, 1, 1) == 1; }

    // The bytes written or read so far. With detach the caller takes the buffer and the
    // stream becomes empty.
    const uint8_t* GetBuffer() const { return data_; }
    std::vector<uint8_t> GetBuffer(bool detach);

private:
    bool Reserve(size_t needed);

    std::vector<uint8_t> storage_;
    const uint8_t* data_ = nullptr;  // storage_.data() or the borrowed buffer
    size_t size_ = 0;
    size_t position_ = 0;
    bool borrowed_ = false;
    bool open_ = false;
    bool error_ = false;
};
