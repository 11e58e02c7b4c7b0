#include "capture/CAviFile.h"

#include "capture/AviFrameReader.h"
#include "capture/AviStreamWriter.h"
#include "capture/BmpFrameFile.h"

namespace korvel::capture {

CAviFile::CAviFile() = default;

CAviFile::~CAviFile() {
    Close();
}

bool CAviFile::SetFrameRate(std::uint32_t framesPerSecond) {
    if (framesPerSecond == 0) {
        return false;
    }
    std::lock_guard lock(mutex_);
    frameRate_ = framesPerSecond;
    return true;
}

bool CAviFile::SetCompressor(FourCC code) {
    std::lock_guard lock(mutex_);
    compressor_ = isAcceptedCompressor(code) ? code : kUncompressedCode;
    return true;
}

void CAviFile::SetCompressorSettings(const CompressorSettings& settings) {
    std::lock_guard lock(mutex_);
    settings_ = settings;
}

void CAviFile::fail(const std::string& text) {
    {
        std::lock_guard lock(errorMutex_);
        errorText_ = text;
    }
    failed_ = true;
}

bool CAviFile::Open(const std::string& fileName, int width, int height) {
    std::lock_guard lock(mutex_);
    if (width < 1 || width > 65535 || height < 1 || height > 65535 || fileName.empty()) {
        if (!writer_) {
            frameCounter_ = 0;
        }
        return false;
    }
    closeLocked();
    {
        std::lock_guard errorLock(errorMutex_);
        errorText_.clear();
    }
    failed_ = false;
    width_ = static_cast<std::uint16_t>(width);
    height_ = static_cast<std::uint16_t>(height);
    fileName_ = fileName;

    AviStreamFormat format;
    format.width = width;
    format.height = height;
    format.frameRate = frameRate_;
    format.compressor = compressor_;
    format.settings = settings_;
    std::string error;
    writer_ = AviStreamWriter::create(fileName, format, error);
    if (!writer_) {
        fail(error);
        return false;
    }
    ready_ = true;
    return true;
}

bool CAviFile::WriteFrame(std::span<const std::uint8_t> pixels) {
    std::lock_guard lock(mutex_);
    const std::size_t frameBytes = std::size_t(width_) * height_ * 3;
    if (pixels.data() == nullptr || pixels.size() < frameBytes || !ready_ || !writer_) {
        return false;
    }
    std::string error;
    const bool written = writer_->writeFrame(pixels.data(), frameCounter_.load(), error);
    ++frameCounter_;
    if (!written) {
        if (writer_->broken()) {
            ready_ = false;
            fail(error);
        } else {
            // A frame the compressor refused is skipped; its place stays an empty frame.
            std::lock_guard errorLock(errorMutex_);
            errorText_ = error;
        }
    }
    return written;
}

void CAviFile::closeLocked() {
    ready_ = false;
    if (writer_) {
        std::string error;
        const bool wasBroken = writer_->broken();
        if (!writer_->finish(error) && !wasBroken) {
            fail(error);
        }
        writer_.reset();
    }
    reader_.reset();
    frameBuffer_.clear();
    frameBuffer_.shrink_to_fit();
    frameCounter_ = 0;
}

bool CAviFile::Close() {
    std::lock_guard lock(mutex_);
    closeLocked();
    return true;
}

bool CAviFile::OpenForReading(const std::string& fileName) {
    std::lock_guard lock(mutex_);
    closeLocked();
    fileName_ = fileName;
    std::string error;
    reader_ = AviFrameReader::open(fileName, error);
    if (!reader_) {
        std::lock_guard errorLock(errorMutex_);
        errorText_ = error;
        return false;
    }
    width_ = static_cast<std::uint16_t>(reader_->width());
    height_ = static_cast<std::uint16_t>(reader_->height());
    frameBuffer_.assign(std::size_t(width_) * height_ * 3, 0);
    return true;
}

bool CAviFile::ReadFrame(int index) {
    std::lock_guard lock(mutex_);
    return reader_ && reader_->readFrame(index, frameBuffer_.data());
}

bool CAviFile::SaveFrameAsBmp(std::string& bmpName) {
    std::lock_guard lock(mutex_);
    if (frameBuffer_.empty()) {
        return false;
    }
    bmpName = fileName_ + ".bmp";
    std::string error;
    if (!writeBmpFrame(bmpName, width_, height_, frameBuffer_.data(), error)) {
        std::lock_guard errorLock(errorMutex_);
        errorText_ = error;
        return false;
    }
    return true;
}

std::uint32_t CAviFile::FrameRate() const {
    std::lock_guard lock(mutex_);
    return frameRate_;
}

FourCC CAviFile::Compressor() const {
    std::lock_guard lock(mutex_);
    return compressor_;
}

CompressorSettings CAviFile::Settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

std::string CAviFile::FileName() const {
    std::lock_guard lock(mutex_);
    return fileName_;
}

int CAviFile::Width() const {
    std::lock_guard lock(mutex_);
    return width_;
}

int CAviFile::Height() const {
    std::lock_guard lock(mutex_);
    return height_;
}

std::string CAviFile::ErrorText() const {
    std::lock_guard lock(errorMutex_);
    return errorText_;
}

}  // namespace korvel::capture
