#pragma once

// Units of calibrated figures and the text of each figure's unit.

#include <QString>
#include <QStringList>

#include <optional>

namespace krvmeasure {

enum class Unit { Nanometre, Micrometre, Millimetre, Centimetre, Inch, Pixel };

// What a figure measures: its unit text is derived from the length unit.
enum class Dimension { Length, Area, Angle, Count };

// "nm", "µm", "mm", "cm", "inch", "pixel": the names offered to the user and kept on file.
QString unitName(Unit unit);
QStringList unitNames();
std::optional<Unit> unitFromName(const QString& name);

// The unit text shown after a figure: "µm", "µm²", "°", "" for counts; pixels show as "px".
QString unitText(Dimension dimension, Unit unit);

// The round length of the scale line: the largest value of the 1-2-5 series (…, 0.1, 0.2,
// 0.5, 1, 2, 5, 10, …) that does not exceed `maximum`; 0 for a maximum that is not positive.
double roundScaleLength(double maximum);

}  // namespace krvmeasure
