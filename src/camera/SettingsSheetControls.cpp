#include "camera/SettingsSheetControls.h"

namespace korvel::camera {

SheetBackup takeSheetBackup(const CameraRecord& record) {
    SheetBackup backup;
    backup.precisionSnapshotOffered = record.precisionSnapshotOffered;
    backup.precisionSnapshot = record.precisionSnapshot;
    backup.pixelCorrections = record.pixelCorrections;
    backup.autoExposure = record.autoExposure;
    backup.softwareAutoExposure = record.softwareAutoExposure;
    backup.automaticSpeedSwitching = record.automaticSpeedSwitching;
    return backup;
}

void restoreSheetBackup(const SheetBackup& backup, CameraRecord& record) {
    record.precisionSnapshotOffered = backup.precisionSnapshotOffered;
    record.precisionSnapshot = backup.precisionSnapshot;
    record.pixelCorrections = backup.pixelCorrections;
    record.autoExposure = backup.autoExposure;
    record.softwareAutoExposure = backup.softwareAutoExposure;
    record.automaticSpeedSwitching = backup.automaticSpeedSwitching;
}

bool effectiveResolutionLock(const CameraRecord& record, bool requested) {
    return requested || record.separateCaptureAllowed == 0;
}

int otherResolutionEntry(bool locked, int chosen, int otherCurrent) {
    return locked ? chosen : otherCurrent;
}

}  // namespace korvel::camera
