#pragma once

// Named calibrations (for example one per objective) and the file that keeps them across
// runs in the user's configuration folder.

#include "krvmeasure/Units.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

namespace krvmeasure {

struct Calibration {
    QString name;
    double pixelsPerUnit = 1;
    Unit unit = Unit::Pixel;

    bool operator==(const Calibration&) const = default;
};

// Uncalibrated figures: one pixel per "pixel".
Calibration pixelCalibration();

// A figure in pixels converted into the calibration's unit (areas by the square).
double calibrated(double pixels, Dimension dimension, const Calibration& calibration);

// What the user typed in the calibrate dialog.
struct CalibrationInput {
    QString name;
    QString lengthText;  // the known length of the drawn line, in `unit`
    Unit unit = Unit::Micrometre;
};

// A calibration from a line of `pixelLength` pixels and the typed input, or the message
// that explains why it is refused (no number, zero or negative length, no line, no name).
std::variant<Calibration, QString> calibrationFromInput(double pixelLength,
                                                        const CalibrationInput& input);

// Why a calibration table cannot be kept (empty or repeated names, pixels per unit not a
// positive number), or an empty text.
QString whyInvalid(const std::vector<Calibration>& calibrations);

// The settings kept with the calibrations.
struct CalibrationFile {
    std::vector<Calibration> calibrations;
    QString active;     // name of the calibration new measurements start with; empty = pixels
    int precision = 2;  // decimal places of the figures
};

// $XDG_CONFIG_HOME/Brenic/KRVMeasure.json
QString defaultCalibrationPath();

// Reads and writes the calibration file. Writing replaces the file atomically; a file that
// could not be read is kept beside it as "<name>.bad" before it is first replaced, so a
// damaged file never silently loses what it held.
class CalibrationStore {
public:
    explicit CalibrationStore(QString path = defaultCalibrationPath());

    const QString& path() const { return path_; }

    // The file's content; a missing file gives the defaults. On a damaged file the result is
    // the defaults and `lastError()` says what is wrong.
    CalibrationFile load();
    // Whether the file changed since the last load or save.
    bool changedOnDisk() const;
    // Writes the file; false with `lastError()` on failure (the old file stays).
    bool save(const CalibrationFile& content);

    const QString& lastError() const { return lastError_; }

    static constexpr int kMaximumPrecision = 6;

private:
    struct Stamp {
        bool exists = false;
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    Stamp stamp() const;

    QString path_;
    QString lastError_;
    Stamp loadedStamp_;
    bool damaged_ = false;
};

}  // namespace krvmeasure
