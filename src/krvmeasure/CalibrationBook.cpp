#include "krvmeasure/CalibrationBook.h"

#include <algorithm>

namespace krvmeasure {

CalibrationBook::CalibrationBook(QString path) : store_(std::move(path)) {
    const CalibrationFile file = store_.load();
    loadError_ = store_.lastError();
    adopt(file, file.active);
}

const Calibration& CalibrationBook::active() const {
    static const Calibration pixels = pixelCalibration();
    return active_ >= 0 && active_ < int(calibrations_.size()) ? calibrations_[active_] : pixels;
}

QString CalibrationBook::suggestedName() const {
    for (size_t n = calibrations_.size() + 1;; ++n) {
        const QString name = QStringLiteral("Calibration %1").arg(n);
        if (std::none_of(calibrations_.begin(), calibrations_.end(),
                         [&](const Calibration& c) { return c.name == name; })) {
            return name;
        }
    }
}

void CalibrationBook::adopt(const CalibrationFile& file, const QString& activeName) {
    calibrations_ = file.calibrations;
    precision_ = file.precision;
    active_ = -1;
    names_.clear();
    for (size_t i = 0; i < calibrations_.size(); ++i) {
        names_.push_back(calibrations_[i].name);
        if (calibrations_[i].name == activeName) {
            active_ = int(i);
        }
    }
}

bool CalibrationBook::refresh() {
    if (!store_.changedOnDisk()) {
        return false;
    }
    const QString activeName = active_ >= 0 ? active().name : QString();
    const int precision = precision_;
    const CalibrationFile file = store_.load();
    adopt(file, activeName);
    if (!store_.lastError().isEmpty()) {
        precision_ = precision;  // a damaged file tells nothing about the precision
    }
    return true;
}

bool CalibrationBook::save() {
    names_.clear();
    for (const Calibration& calibration : calibrations_) {
        names_.push_back(calibration.name);
    }
    const bool saved =
        store_.save({calibrations_, active_ >= 0 ? active().name : QString(), precision_});
    lastError_ = store_.lastError();
    return saved;
}

bool CalibrationBook::calibrate(const Calibration& calibration) {
    if (const QString why = whyInvalid({calibration}); !why.isEmpty()) {
        lastError_ = why;
        return false;
    }
    refresh();
    auto same = std::find_if(calibrations_.begin(), calibrations_.end(), [&](const Calibration& c) {
        return c.name.trimmed().compare(calibration.name.trimmed(), Qt::CaseInsensitive) == 0;
    });
    if (same != calibrations_.end()) {
        *same = calibration;
    } else {
        calibrations_.push_back(calibration);
        same = calibrations_.end() - 1;
    }
    active_ = int(same - calibrations_.begin());
    return save();
}

bool CalibrationBook::replaceAll(std::vector<Calibration> calibrations, int active) {
    if (const QString why = whyInvalid(calibrations); !why.isEmpty()) {
        lastError_ = why;
        return false;
    }
    calibrations_ = std::move(calibrations);
    active_ = active >= 0 && active < int(calibrations_.size()) ? active : -1;
    return save();
}

bool CalibrationBook::choose(size_t index) {
    if (index >= calibrations_.size()) {
        lastError_.clear();
        return false;
    }
    active_ = int(index);
    return save();  // where the next picture starts
}

bool CalibrationBook::setPrecision(int places) {
    // Keep what another picture saved meanwhile; only the precision changes.
    refresh();
    precision_ = std::clamp(places, 0, CalibrationStore::kMaximumPrecision);
    return save();
}

}  // namespace krvmeasure
