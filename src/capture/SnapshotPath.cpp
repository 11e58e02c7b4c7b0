#include "capture/SnapshotPath.h"

namespace korvel::capture {

SaveDialogRequest snapshotDialogRequest(int fileType, const std::string& folder) {
    SaveDialogRequest request;
    request.title = "camera snap files";
    request.defaultName = "Korvel";
    request.defaultExtension = "bmp";
    request.folder = folder;
    request.filters = {{"BMP Files (*.bmp)", "*.bmp"},
                       {"JPEG Files (*.jpg)", "*.jpg"},
                       {"TIFF Files (*.tiff)", "*.tiff"},
                       {"RAW Files (*.raw)", "*.raw"}};
    request.initialFilter = snapFilterForType(fileType);
    return request;
}

int snapFilterForType(int fileType) {
    switch (fileType) {
        case kFileJpeg:
            return 2;
        case kFileRaw:
            return 4;
        case kFileTiff:
            return 3;
        default:
            return 1;
    }
}

int fileTypeForSnapFilter(int filter) {
    switch (filter) {
        case 2:
            return kFileJpeg;
        case 3:
            return kFileTiff;
        case 4:
            return kFileRaw;
        default:
            return kFileBmp;
    }
}

std::optional<std::string> snapshotPath(camera::CameraRecord& record, const std::string& folder,
                                        int index, const AskSavePath& ask, const Clock& clock,
                                        const FileExists& exists) {
    if (record.snapshot.bConfig == 1) {
        return captureName(record, folder, index, false, clock, exists);
    }
    if (!ask) {
        return std::nullopt;
    }
    const std::optional<SaveDialogAnswer> answer =
        ask(snapshotDialogRequest(record.snapshot.uiFiletype, folder));
    if (!answer || answer->path.empty()) {
        return std::nullopt;
    }
    record.snapshot.uiFiletype = fileTypeForSnapFilter(answer->filter);
    return answer->path;
}

}  // namespace korvel::capture
