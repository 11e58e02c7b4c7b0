#pragma once

// The camera window's saved settings: snapshot and video naming in "FileSave" and
// "VideoSave", and the preview and capture resolutions and the resolution lock in the
// model's own section. Read when the window is created, written when it closes.

#include "camera/CameraRecord.h"

namespace korvel::platform {
class SettingsStore;
}

namespace korvel::camera {

void loadCameraSettings(const platform::SettingsStore& store, CameraRecord& record);

// Writes in this order: FileSave bConfig, sFilename, bNum, uiFiletype, bTimeStamp, bLapse,
// nSpace, nCount; VideoSave bConfig, sFilename, bNum, bTimeStamp, Compress, CompressID;
// the model section's Preview, Capture, ResLock.
void saveCameraSettings(platform::SettingsStore& store, const CameraRecord& record);

}  // namespace korvel::camera
