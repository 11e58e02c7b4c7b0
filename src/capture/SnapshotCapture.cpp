#include "capture/SnapshotCapture.h"

#include "capture/CaptureNaming.h"
#include "krvcamera/KRVCamera.h"

namespace korvel::capture {

namespace {

// Restarts the preview threads when the library capture is over, however it ends.
class ThreadsStopped {
public:
    explicit ThreadsStopped(CaptureSource& source) : source_(source) { source_.stopThreads(); }
    ~ThreadsStopped() { source_.startThreads(); }
    ThreadsStopped(const ThreadsStopped&) = delete;
    ThreadsStopped& operator=(const ThreadsStopped&) = delete;

private:
    CaptureSource& source_;
};

CaptureResult written(bool ok, std::string path) {
    if (!ok) {
        return {CaptureOutcome::Failed, {}};
    }
    return {CaptureOutcome::Written, std::move(path)};
}

CaptureResult savePicture(const CaptureRequest& request, CaptureSource& source) {
    CapturedPicture picture;
    if (!source.copyPicture(picture) || picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() < std::size_t(picture.width) * picture.height * 3) {
        return {CaptureOutcome::Failed, {}};
    }
    const int ok = KRVCameraSave(static_cast<std::uint8_t>(request.fileType), request.path.c_str(),
                                 picture.pixels.data(), picture.width, picture.height);
    return written(ok == 1, request.path);
}

CaptureResult libraryCapture(const CaptureRequest& request, CaptureSource& source) {
    const std::string stem = pathWithoutExtension(request.path);
    int ok = 0;
    {
        ThreadsStopped stopped(source);
        ok = KRVCameraCaptureFile(stem.c_str(), static_cast<std::uint8_t>(request.fileType),
                                  request.captureResolution);
    }
    return written(ok == 1, libraryCapturePath(request.path, request.fileType));
}

CaptureResult wideRawCapture(const CaptureRequest& request, CaptureSource& source) {
    const std::string stem = pathWithoutExtension(request.path);
    int ok = 0;
    {
        ThreadsStopped stopped(source);
        std::uint8_t speed = 0;
        KRVCameraGetSpeedMode(&speed);
        KRVCameraSetSpeedMode(1);
        KRVCameraSetDataWide(1);
        ok = KRVCameraCaptureFile(stem.c_str(), kFileRaw, request.captureResolution);
        KRVCameraSetDataWide(0);
        KRVCameraSetSpeedMode(speed);
    }
    return written(ok == 1, libraryCapturePath(request.path, kFileRaw));
}

}  // namespace

bool capturesFromPreview(int typeId) {
    return (typeId >= 9 && typeId <= 14) || typeId == 16 || typeId == 17 || typeId == 21 ||
           typeId == 23 || typeId == 24;
}

std::string pathWithoutExtension(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path;  // the dot, if any, belongs to a folder name
    }
    return path.substr(0, dot);
}

std::string libraryCapturePath(const std::string& path, int fileType) {
    // The library appends the extension of the type, whatever the chosen name ended with;
    // the file announced is the one it wrote.
    return pathWithoutExtension(path) + snapshotExtension(fileType);
}

CaptureResult captureSnapshot(const CaptureRequest& request, CaptureSource& source,
                              const FolderProbe& probe) {
    if (!canSaveTo(request.path, probe)) {
        return {CaptureOutcome::Refused, {}};
    }
    if (!source.running()) {
        return {CaptureOutcome::NotRunning, {}};
    }
    CaptureRequest normalised = request;
    normalised.fileType = normalisedFileType(request.fileType);
    if (source.regionActive()) {
        return savePicture(normalised, source);
    }
    if (capturesFromPreview(normalised.typeId)) {
        return normalised.fileType == kFileRaw ? wideRawCapture(normalised, source)
                                               : savePicture(normalised, source);
    }
    // The generic Video4Linux2 model captures through the library too, at its own
    // capture resolution.
    if ((normalised.typeId >= -1 && normalised.typeId <= 28) ||
        normalised.typeId == KRVCAMERA_TYPE_VIDEO_DEVICE) {
        return libraryCapture(normalised, source);
    }
    return {CaptureOutcome::NoCapture, {}};
}

}  // namespace korvel::capture
