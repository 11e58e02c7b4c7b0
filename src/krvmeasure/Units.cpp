#include "krvmeasure/Units.h"

#include <array>
#include <cmath>

namespace krvmeasure {

namespace {

constexpr std::array kUnits{Unit::Nanometre,  Unit::Micrometre, Unit::Millimetre,
                            Unit::Centimetre, Unit::Inch,       Unit::Pixel};

}  // namespace

QString unitName(Unit unit) {
    switch (unit) {
        case Unit::Nanometre:
            return QStringLiteral("nm");
        case Unit::Micrometre:
            return QStringLiteral("µm");
        case Unit::Millimetre:
            return QStringLiteral("mm");
        case Unit::Centimetre:
            return QStringLiteral("cm");
        case Unit::Inch:
            return QStringLiteral("inch");
        case Unit::Pixel:
            break;
    }
    return QStringLiteral("pixel");
}

QStringList unitNames() {
    QStringList names;
    for (Unit unit : kUnits) {
        names << unitName(unit);
    }
    return names;
}

std::optional<Unit> unitFromName(const QString& name) {
    const QString trimmed = name.trimmed();
    for (Unit unit : kUnits) {
        if (trimmed.compare(unitName(unit), Qt::CaseInsensitive) == 0) {
            return unit;
        }
    }
    // The micro sign typed as the Greek letter mu or as a plain "u".
    if (trimmed == QStringLiteral("μm") ||
        trimmed.compare(QLatin1String("um"), Qt::CaseInsensitive) == 0) {
        return Unit::Micrometre;
    }
    if (trimmed.compare(QLatin1String("px"), Qt::CaseInsensitive) == 0) {
        return Unit::Pixel;
    }
    return std::nullopt;
}

QString unitText(Dimension dimension, Unit unit) {
    const QString length = unit == Unit::Pixel ? QStringLiteral("px") : unitName(unit);
    switch (dimension) {
        case Dimension::Length:
            return length;
        case Dimension::Area:
            return length + QStringLiteral("²");
        case Dimension::Angle:
            return QStringLiteral("°");
        case Dimension::Count:
            break;
    }
    return {};
}

double roundScaleLength(double maximum) {
    if (!(maximum > 0) || !std::isfinite(maximum)) {
        return 0;
    }
    const double decade = std::pow(10.0, std::floor(std::log10(maximum)));
    for (double step : {5.0, 2.0, 1.0}) {
        // A small tolerance keeps exact decades (1, 10, 100) from falling one step short.
        if (step * decade <= maximum * (1 + 1e-12)) {
            return step * decade;
        }
    }
    return decade;
}

}  // namespace krvmeasure
