#pragma once

// The camera window's saved settings: snapshot and video naming in "FileSave" and
// "VideoSave", and the preview and capture resolutions and the resolution lock in the
// model's own section. Read when the window is created, written when it closes.

#include "camera/CameraRecord.h"

#include <QString>

namespace korvel::platform {
class SettingsStore;
}

namespace korvel::camera {

void loadCameraSettings(const platform::SettingsStore& store, CameraRecord& record);

// Writes in this order: FileSave bConfig, sFilename, bNum, uiFiletype, bTimeStamp, bLapse,
// nSpace, nCount; VideoSave bConfig, sFilename, bNum, bTimeStamp, Compress, CompressID;
// the model section's Preview, Capture, ResLock.
void saveCameraSettings(platform::SettingsStore& store, const CameraRecord& record);

// The folder part (through the last '/') of the next automatic snapshot name in
// `saveFolder`: the save folder is prefixed unchanged, and without a time stamp the base
// name follows it, so a base name "cells/KV" adds its own folder.
QString nextSnapshotFolder(const SnapshotSettings& snapshot, const QString& saveFolder);

}  // namespace korvel::camera
