#pragma once

// The AVI writer and reader of the camera window. The live picture's decode thread hands
// it every frame of a recording; the image browser reads one frame back for a thumbnail.

#include "capture/AviCompressors.h"
#include "capture/FourCC.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace korvel::capture {

class AviFrameReader;
class AviStreamWriter;

class CAviFile {
public:
    CAviFile();
    ~CAviFile();  // Close
    CAviFile(const CAviFile&) = delete;
    CAviFile& operator=(const CAviFile&) = delete;

    // A rate of 0 is ignored (false); any other is stored for the next Open (true).
    bool SetFrameRate(std::uint32_t framesPerSecond);
    // Stores `code` when it is one of the accepted compressor codes, else "DIB ". Always true.
    bool SetCompressor(FourCC code);
    // The compressor's settings for the next Open (quality, key-frame interval).
    void SetCompressorSettings(const CompressorSettings& settings);

    // Creates `fileName` for frames of width x height (1..65535 each). Any recording still
    // open is completed first. False (with ErrorText) when the file cannot be written with
    // the chosen compressor; a failed Open leaves no file behind.
    bool Open(const std::string& fileName, int width, int height);
    // Writes one frame of height rows of 3 x width bytes, blue-green-red, the bottom row
    // first. A missing or short block, or a writer that is not ready, gives false and
    // changes nothing; otherwise the frame counter advances whether or not the write
    // succeeded. A failure of the file (disk full, I/O error) ends the recording: the
    // writer is no longer ready and HasFailed() tells why.
    bool WriteFrame(std::span<const std::uint8_t> pixels);
    // Completes and closes the recording (or the file being read), frees the frame buffer
    // and resets the frame counter. Waits for a WriteFrame running on another thread.
    // Always true.
    bool Close();

    // Opens an AVI file to read frames of its first video stream.
    bool OpenForReading(const std::string& fileName);
    // Reads frame `index` (0 = first) into the frame buffer.
    bool ReadFrame(int index);
    // Writes the frame buffer to "<file name>.bmp" and hands that name back in `bmpName`.
    bool SaveFrameAsBmp(std::string& bmpName);

    std::uint32_t FrameRate() const;
    FourCC Compressor() const;
    CompressorSettings Settings() const;
    std::string FileName() const;
    int Width() const;
    int Height() const;
    // The index of the next frame to write.
    int FrameCount() const { return frameCounter_.load(); }
    // On only after every step of Open succeeded, until Close or a failure of the file.
    bool IsReady() const { return ready_.load(); }
    // On after a failed Open, a failure of the file while writing or completing it; stays on
    // after Close until the next Open, so the camera window can tell the user.
    bool HasFailed() const { return failed_.load(); }
    std::string ErrorText() const;
    // The frame read last: Height() rows of 3 x Width() bytes, the bottom row first. For the
    // thread that reads; valid until the next ReadFrame, OpenForReading or Close.
    std::span<const std::uint8_t> FrameBuffer() const { return frameBuffer_; }

private:
    void closeLocked();
    void fail(const std::string& text);

    mutable std::mutex mutex_;  // keeps Open, WriteFrame, Close and reading apart
    std::string fileName_;
    std::uint16_t width_ = 0;
    std::uint16_t height_ = 0;
    std::uint32_t frameRate_ = 10;
    FourCC compressor_ = kUncompressedCode;
    CompressorSettings settings_;
    std::unique_ptr<AviStreamWriter> writer_;
    std::unique_ptr<AviFrameReader> reader_;
    std::vector<std::uint8_t> frameBuffer_;

    std::atomic<bool> ready_{false};
    std::atomic<int> frameCounter_{0};
    std::atomic<bool> failed_{false};
    mutable std::mutex errorMutex_;  // the error text alone, so reading it never waits a frame
    std::string errorText_;
};

}  // namespace korvel::capture
