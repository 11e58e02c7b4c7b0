#pragma once

// Loading the per-camera background-correction table when the camera is opened. The table
// is written by the external background-correction program: an index file "BackCorr.ini"
// gives, per detected camera and image size, the number of records, and a file
// "Camera_<id>_<width>_<height>.bin" holds them, 12 bytes each.

#include "camera/CameraRecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace korvel::camera {

inline constexpr int kPixelCorrectionRecordBytes = 12;

// The records of a correction file: x and y little-endian signed, then the percentages of
// blue, green and red and a reserved byte. Nothing when `bytes` holds fewer than `count`
// whole records (a truncated or foreign file) or `count` is not positive.
std::optional<PixelCorrectionList::List> parsePixelCorrections(const QByteArray& bytes, int count);

// Loads the table of camera `detectedTypeId` at the record's image size from `directory`
// into the record's correction list (replacing it, also while the preview runs). With
// records: loaded := 1 and applied := `applied`. A missing index entry or file, or a file
// that does not hold the records the index promises, leaves the list empty, silently.
// Returns true when records were loaded.
bool loadBackgroundCorrection(CameraRecord& record, int detectedTypeId, int applied,
                              const QString& directory);

}  // namespace korvel::camera
