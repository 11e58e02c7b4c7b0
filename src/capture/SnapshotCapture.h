#pragma once

// The last step of a snapshot, run on the user-interface thread once the preview has
// waited out any long exposure: check that the path can be written, then write the file
// through the camera library, from the preview's newest picture or by a capture of the
// library's own, as the camera model requires.

#include "capture/DriveCheck.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::capture {

// A decoded picture: width x height x 3 bytes, blue-green-red, bottom row first.
struct CapturedPicture {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
};

// What the capture needs of the live preview.
class CaptureSource {
public:
    virtual ~CaptureSource() = default;
    virtual bool running() const = 0;
    virtual bool regionActive() const = 0;
    // The newest decoded picture, cropped to the region of interest while one is active.
    virtual bool copyPicture(CapturedPicture& picture) = 0;
    // The grab and decode threads stop around a capture of the library's own.
    virtual void stopThreads() = 0;
    virtual void startThreads() = 0;
};

struct CaptureRequest {
    std::string path;
    int fileType = 2;  // 1 JPEG, 2 BMP, 4 RAW, 8 TIFF
    int typeId = -1;
    std::uint8_t captureResolution = 0;
};

enum class CaptureOutcome {
    Written,     // the file is at `path`
    Refused,     // the folder cannot be written: "This path can't save image!"
    NotRunning,  // no live picture: nothing was captured
    Failed,      // the camera library did not write the file
    NoCapture,   // the model captures nothing
};

struct CaptureResult {
    CaptureOutcome outcome = CaptureOutcome::NoCapture;
    std::string path;  // the file written; empty unless Written
};

// Models that hand over their decoded picture (or, for RAW, a wide capture at readout
// speed 1) instead of capturing a file themselves.
bool capturesFromPreview(int typeId);

// A library capture writes "path without extension" + the type's own extension. Returns
// the path handed to the library: everything before the last '.' of the file name.
std::string pathWithoutExtension(const std::string& path);
// The file a library capture of `path` as `fileType` writes (".tiff" for TIFF).
std::string libraryCapturePath(const std::string& path, int fileType);

CaptureResult captureSnapshot(const CaptureRequest& request, CaptureSource& source,
                              const FolderProbe& probe = probeFolder);

}  // namespace korvel::capture
