#pragma once

// The calibrations one picture measures with: the table shared through the calibration file,
// this picture's current choice and the precision of its figures. Changes are saved at once
// so that the next picture (and the next run) finds them.

#include "krvmeasure/Calibration.h"

#include <vector>

namespace krvmeasure {

class CalibrationBook {
public:
    // Reads the file; a new picture starts with the calibration chosen last.
    explicit CalibrationBook(QString path = defaultCalibrationPath());

    const std::vector<Calibration>& calibrations() const { return calibrations_; }
    const std::vector<QString>& names() const { return names_; }
    // The current calibration; pixels when none is chosen.
    const Calibration& active() const;
    int activeIndex() const { return active_; }
    int precision() const { return precision_; }
    // "Calibration <n>", the first such name not yet taken.
    QString suggestedName() const;

    // Reads the file again when another picture changed it; true when it did. This
    // picture keeps its choice when the table still holds that name.
    bool refresh();

    // The changes below return false with `lastError()` when the file could not be written;
    // the change still holds for this picture. Refused input changes nothing.

    // Adds the calibration, or replaces one of the same name (the same objective calibrated
    // again), and makes it current.
    bool calibrate(const Calibration& calibration);
    // Takes an edited table; `active` is an index into it or -1 for pixels.
    bool replaceAll(std::vector<Calibration> calibrations, int active);
    // Makes the calibration at `index` current; false without a change beyond the table.
    bool choose(size_t index);
    bool setPrecision(int places);

    // Why the file could not be used when it was first read (empty when it was fine).
    const QString& loadError() const { return loadError_; }
    const QString& lastError() const { return lastError_; }

private:
    void adopt(const CalibrationFile& file, const QString& activeName);
    bool save();

    CalibrationStore store_;
    std::vector<Calibration> calibrations_;
    std::vector<QString> names_;
    int active_ = -1;
    int precision_ = 2;
    QString loadError_;
    QString lastError_;
};

}  // namespace krvmeasure
