#include "krvmeasure/Calibration.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <set>

namespace krvmeasure {

namespace {

const QString kFormat = QStringLiteral("Korvel measurement calibrations");
constexpr int kVersion = 1;
// Larger files are not calibration files; reading them would only waste memory.
constexpr qint64 kLargestFile = 4 * 1024 * 1024;

std::optional<double> parseNumber(const QString& text) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    double value = trimmed.toDouble(&ok);
    if (!ok) {
        value = QLocale().toDouble(trimmed, &ok);
    }
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool soundPixelsPerUnit(double value) {
    return std::isfinite(value) && value > 0 && value < 1e12;
}

}  // namespace

Calibration pixelCalibration() {
    return {QStringLiteral("pixel"), 1.0, Unit::Pixel};
}

double calibrated(double pixels, Dimension dimension, const Calibration& calibration) {
    switch (dimension) {
        case Dimension::Length:
            return pixels / calibration.pixelsPerUnit;
        case Dimension::Area:
            return pixels / (calibration.pixelsPerUnit * calibration.pixelsPerUnit);
        case Dimension::Angle:
        case Dimension::Count:
            break;
    }
    return pixels;
}

std::variant<Calibration, QString> calibrationFromInput(double pixelLength,
                                                        const CalibrationInput& input) {
    if (!(pixelLength > 0) || !std::isfinite(pixelLength)) {
        return QStringLiteral("Draw a line over the known distance first.");
    }
    const QString name = input.name.trimmed();
    if (name.isEmpty()) {
        return QStringLiteral("Please enter a name for the calibration.");
    }
    const auto value = parseNumber(input.lengthText);
    if (!value) {
        return QStringLiteral("\"%1\" is not a number. Please enter the known length of the line.")
            .arg(input.lengthText.trimmed());
    }
    if (*value <= 0) {
        return QStringLiteral("The known length must be greater than zero.");
    }
    const double pixelsPerUnit = pixelLength / *value;
    if (!soundPixelsPerUnit(pixelsPerUnit)) {
        return QStringLiteral("The known length does not fit the line.");
    }
    return Calibration{name, pixelsPerUnit, input.unit};
}

QString whyInvalid(const std::vector<Calibration>& calibrations) {
    std::set<QString> names;
    for (const Calibration& calibration : calibrations) {
        const QString name = calibration.name.trimmed();
        if (name.isEmpty()) {
            return QStringLiteral("Every calibration needs a name.");
        }
        if (!names.insert(name.toLower()).second) {
            return QStringLiteral("The name \"%1\" is used twice.").arg(name);
        }
        if (!soundPixelsPerUnit(calibration.pixelsPerUnit)) {
            return QStringLiteral(
                       "The pixels per unit of \"%1\" must be a number greater than zero.")
                .arg(name);
        }
    }
    return {};
}

QString defaultCalibrationPath() {
    return korvel::platform::brenicConfigFolder() + QStringLiteral("/KRVMeasure.json");
}

CalibrationStore::CalibrationStore(QString path) : path_(std::move(path)) {}

CalibrationStore::Stamp CalibrationStore::stamp() const {
    const QFileInfo info(path_);
    if (!info.exists()) {
        return {};
    }
    return {true, info.lastModified(), info.size()};
}

bool CalibrationStore::changedOnDisk() const {
    return !(stamp() == loadedStamp_);
}

CalibrationFile CalibrationStore::load() {
    lastError_.clear();
    damaged_ = false;
    loadedStamp_ = stamp();
    CalibrationFile content;
    QFile file(path_);
    if (!file.exists()) {
        return content;
    }
    auto refuse = [&](const QString& why) {
        damaged_ = true;
        lastError_ = QStringLiteral(
                         "The calibration file \"%1\" cannot be used: %2 "
                         "Measurements are shown in pixels; the file is kept as "
                         "\"%1.bad\" when calibrations are next saved.")
                         .arg(path_, why);
        return CalibrationFile{};
    };
    if (file.size() > kLargestFile) {
        return refuse(QStringLiteral("it is too large."));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        // Unreadable is not damaged: never replace a file we could not look at.
        lastError_ = QStringLiteral("The calibration file \"%1\" cannot be read: %2")
                         .arg(path_, file.errorString());
        return content;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (document.isNull() || !document.isObject()) {
        return refuse(parseError.error != QJsonParseError::NoError
                          ? parseError.errorString() + QLatin1Char('.')
                          : QStringLiteral("it holds no calibration table."));
    }
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("format")).toString() != kFormat) {
        return refuse(QStringLiteral("it is not a calibration file."));
    }
    if (root.value(QLatin1String("version")).toInt(-1) != kVersion) {
        return refuse(QStringLiteral("its version is not known."));
    }
    const QJsonValue list = root.value(QLatin1String("calibrations"));
    if (!list.isArray()) {
        return refuse(QStringLiteral("it holds no calibration table."));
    }
    for (const QJsonValue& entry : list.toArray()) {
        const QJsonObject object = entry.toObject();
        const QJsonValue ppu = object.value(QLatin1String("pixelsPerUnit"));
        const auto unit = unitFromName(object.value(QLatin1String("unit")).toString());
        if (!entry.isObject() || !ppu.isDouble() || !unit) {
            return refuse(QStringLiteral("a calibration entry is incomplete."));
        }
        content.calibrations.push_back(
            {object.value(QLatin1String("name")).toString(), ppu.toDouble(), *unit});
    }
    if (const QString why = whyInvalid(content.calibrations); !why.isEmpty()) {
        return refuse(why);
    }
    content.active = root.value(QLatin1String("active")).toString();
    content.precision =
        std::clamp(root.value(QLatin1String("precision")).toInt(2), 0, kMaximumPrecision);
    return content;
}

bool CalibrationStore::save(const CalibrationFile& content) {
    lastError_.clear();
    if (const QString why = whyInvalid(content.calibrations); !why.isEmpty()) {
        lastError_ = why;
        return false;
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // A damaged file is never simply overwritten: the user may want what it held.
    if (damaged_ && QFile::exists(path_)) {
        const QString bad = path_ + QStringLiteral(".bad");
        QFile::remove(bad);
        if (!QFile::copy(path_, bad)) {
            lastError_ = QStringLiteral(
                             "The damaged calibration file \"%1\" could not be kept "
                             "as \"%2\"; nothing was saved.")
                             .arg(path_, bad);
            return false;
        }
    }
    QJsonArray list;
    for (const Calibration& calibration : content.calibrations) {
        list.append(QJsonObject{{QStringLiteral("name"), calibration.name.trimmed()},
                                {QStringLiteral("pixelsPerUnit"), calibration.pixelsPerUnit},
                                {QStringLiteral("unit"), unitName(calibration.unit)}});
    }
    const QJsonObject root{{QStringLiteral("format"), kFormat},
                           {QStringLiteral("version"), kVersion},
                           {QStringLiteral("precision"), content.precision},
                           {QStringLiteral("active"), content.active},
                           {QStringLiteral("calibrations"), list}};
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0 ||
        !file.commit()) {
        lastError_ = QStringLiteral("The calibrations could not be saved to \"%1\": %2")
                         .arg(path_, file.errorString());
        return false;
    }
    damaged_ = false;
    loadedStamp_ = stamp();
    return true;
}

}  // namespace krvmeasure
