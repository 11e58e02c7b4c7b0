#pragma once

// Writing a camera's correction table where the camera window looks for it: the records
// in "Camera_<id>_<width>_<height>.bin" (12 bytes each: x and y little-endian signed, the
// blue, green and red percentages, a reserved zero) and their count under key
// "<width>_<height>" of section "CAMERA_<id>" of "BackCorr.ini", every other entry of that
// file kept.

#include "BackgroundField.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace bc {

inline constexpr int kRecordBytes = 12;

QByteArray encodeRecords(const std::vector<CorrectionRecord>& records);

QString correctionFileName(int typeId, int width, int height);

// Writes the table of camera `typeId` at `width` x `height` into `directory`. Each file is
// replaced atomically, and the index is zeroed while the records change, so a failure at
// any point leaves either the old table, the new one or none in use, never a mismatch.
// Without records the entry becomes 0 and an old correction file is removed. On failure
// returns false and sets `error`.
bool writeCorrectionTable(const QString& directory, int typeId, int width, int height,
                          const std::vector<CorrectionRecord>& records, QString* error = nullptr);

}  // namespace bc
