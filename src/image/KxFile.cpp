#include "image/KxFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

KxIOFile::~KxIOFile() {
    Close();
}

bool KxIOFile::Open(const char* fileName, const char* mode) {
    Close();
    file_ = std::fopen(fileName, mode);
    ownsFile_ = file_ != nullptr;
    return file_ != nullptr;
}

bool KxIOFile::Close() {
    if (file_ == nullptr)
        return false;
    bool ok = true;
    if (ownsFile_)
        ok = std::fclose(file_) == 0;
    file_ = nullptr;
    ownsFile_ = false;
    return ok;
}

size_t KxIOFile::Read(void* buffer, size_t size, size_t count) {
    if (file_ == nullptr || buffer == nullptr || size == 0)
        return 0;
    return std::fread(buffer, size, count, file_);
}

size_t KxIOFile::Write(const void* buffer, size_t size, size_t count) {
    if (file_ == nullptr || buffer == nullptr || size == 0)
        return 0;
    return std::fwrite(buffer, size, count, file_);
}

bool KxIOFile::Seek(int64_t offset, int origin) {
    return file_ != nullptr && fseeko(file_, static_cast<off_t>(offset), origin) == 0;
}

int64_t KxIOFile::Tell() {
    return file_ != nullptr ? static_cast<int64_t>(ftello(file_)) : -1;
}

int64_t KxIOFile::Size() {
    if (file_ == nullptr)
        return -1;
    const off_t position = ftello(file_);
    if (fseeko(file_, 0, SEEK_END) != 0)
        return -1;
    const off_t size = ftello(file_);
    fseeko(file_, position, SEEK_SET);
    return static_cast<int64_t>(size);
}

bool KxIOFile::Flush() {
    return file_ != nullptr && std::fflush(file_) == 0;
}

bool KxIOFile::Eof() {
    return file_ == nullptr || std::feof(file_) != 0;
}

bool KxIOFile::Error() {
    return file_ == nullptr || std::ferror(file_) != 0;
}

int KxIOFile::GetC() {
    if (file_ == nullptr)
        return -1;
    const int c = std::getc(file_);
    return c == EOF ? -1 : c;
}

bool KxMemFile::Open() {
    Close();
    open_ = true;
    return true;
}

bool KxMemFile::Open(const uint8_t* data, size_t size) {
    Close();
    data_ = data;
    size_ = data != nullptr ? size : 0;
    borrowed_ = true;
    open_ = true;
    return true;
}

bool KxMemFile::Close() {
    const bool wasOpen = open_;
    storage_.clear();
    storage_.shrink_to_fit();
    data_ = nullptr;
    size_ = position_ = 0;
    borrowed_ = open_ = error_ = false;
    return wasOpen;
}

size_t KxMemFile::Read(void* buffer, size_t size, size_t count) {
    if (buffer == nullptr || size == 0 || position_ >= size_)
        return 0;
    const size_t available = size_ - position_;
    const size_t items = std::min(count, available / size);
    if (items > 0) {
        std::memcpy(buffer, data_ + position_, items * size);
        position_ += items * size;
    }
    return items;
}

bool KxMemFile::Reserve(size_t needed) {
    if (borrowed_) {
        // Writing to a borrowed buffer: take a private copy first.
        storage_.assign(data_, data_ + size_);
        borrowed_ = false;
    }
    if (needed > storage_.size()) {
        try {
            const size_t grown = std::max(needed, storage_.size() + storage_.size() / 2 + 4096);
            storage_.resize(grown);
        } catch (const std::exception&) {
            error_ = true;
            return false;
        }
    }
    data_ = storage_.data();
    return true;
}

size_t KxMemFile::Write(const void* buffer, size_t size, size_t count) {
    if (!open_)
        open_ = true;
    if (buffer == nullptr || size == 0 || count == 0)
        return 0;
    if (count > std::numeric_limits<size_t>::max() / size)
        return 0;
    const size_t bytes = size * count;
    if (bytes > std::numeric_limits<size_t>::max() - position_ || !Reserve(position_ + bytes))
        return 0;
    if (position_ > size_)
        std::fill(storage_.begin() + static_cast<std::ptrdiff_t>(size_),
                  storage_.begin() + static_cast<std::ptrdiff_t>(position_), 0);
    std::memcpy(storage_.data() + position_, buffer, bytes);
    position_ += bytes;
    size_ = std::max(size_, position_);
    return count;
}

bool KxMemFile::Seek(int64_t offset, int origin) {
    int64_t base = 0;
    if (origin == SEEK_CUR)
        base = static_cast<int64_t>(position_);
    else if (origin == SEEK_END)
        base = static_cast<int64_t>(size_);
    else if (origin != SEEK_SET)
        return false;
    if ((offset > 0 && base > std::numeric_limits<int64_t>::max() - offset))
        return false;
    const int64_t target = base + offset;
    if (target < 0)
        return false;
    // Seeking past the end allocates nothing: reads there find the end, and a later write
    // fills the gap with zeros.
    position_ = static_cast<size_t>(target);
    return true;
}

std::vector<uint8_t> KxMemFile::GetBuffer(bool detach) {
    std::vector<uint8_t> bytes;
    if (borrowed_)
        bytes.assign(data_, data_ + size_);
    else if (detach)
        bytes = std::move(storage_);
    else
        bytes.assign(storage_.begin(), storage_.begin() + static_cast<std::ptrdiff_t>(size_));
    bytes.resize(size_);
    if (detach)
        Close();
    return bytes;
}
