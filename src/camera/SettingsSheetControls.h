#pragma once

// The camera settings sheet's rules that need no window: the record fields its Cancel takes
// back, and the resolution lock of the resolution page.

#include "camera/CameraRecord.h"

namespace korvel::camera {

// The record fields the sheet backs up when it opens and restores on Cancel. Every other
// value the pages change reaches the record at once and is applied again by the camera
// window; the pixel-correction list is kept by reference (the same list), not copied.
struct SheetBackup {
    int precisionSnapshotOffered = 0;
    int precisionSnapshot = 0;
    PixelCorrectionList pixelCorrections;
    CameraSwitch autoExposure;
    int softwareAutoExposure = 0;
    int automaticSpeedSwitching = 0;
};
SheetBackup takeSheetBackup(const CameraRecord& record);
void restoreSheetBackup(const SheetBackup& backup, CameraRecord& record);

// The resolution lock as it may be: always on when the record does not allow a capture
// resolution of its own.
bool effectiveResolutionLock(const CameraRecord& record, bool requested);

// After the user chose entry `chosen` in one resolution list: the entry the other list
// shows (the same while locked, else unchanged).
int otherResolutionEntry(bool locked, int chosen, int otherCurrent);

}  // namespace korvel::camera
