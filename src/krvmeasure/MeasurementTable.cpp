#include "krvmeasure/MeasurementTable.h"

#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace krvmeasure {

MeasurementTable::MeasurementTable(const std::vector<MeasureItem>& items,
                                   const Calibration& calibration, int precision)
    : calibration_(calibration), precision_(precision) {
    int number = 0;
    for (const MeasureItem& item : items) {
        ++number;
        for (const Figure& figure : figuresOf(item)) {
            rows_.push_back({number, kindName(item.kind), figure.name,
                             calibrated(figure.value, figure.dimension, calibration),
                             unitText(figure.dimension, calibration.unit)});
        }
    }
    for (const TableRow& row : rows_) {
        auto found = std::find_if(statistics_.begin(), statistics_.end(), [&](const auto& s) {
            return s.kind == row.kind && s.figure == row.figure;
        });
        if (found == statistics_.end()) {
            statistics_.push_back(
                {row.kind, row.figure, row.unit, 0, 0, 0, 0, row.value, row.value});
            found = statistics_.end() - 1;
        }
        ++found->count;
        found->total += row.value;
        found->minimum = std::min(found->minimum, row.value);
        found->maximum = std::max(found->maximum, row.value);
    }
    for (FigureStatistics& s : statistics_) {
        s.mean = s.total / s.count;
        double squares = 0;
        for (const TableRow& row : rows_) {
            if (row.kind == s.kind && row.figure == s.figure) {
                squares += (row.value - s.mean) * (row.value - s.mean);
            }
        }
        s.standardDeviation = s.count > 1 ? std::sqrt(squares / (s.count - 1)) : 0;
    }
}

QString MeasurementTable::formatValue(double value) const {
    return QString::number(value, 'f', precision_);
}

std::vector<std::vector<QString>> MeasurementTable::cells() const {
    std::vector<std::vector<QString>> lines;
    lines.push_back({QStringLiteral("No."), QStringLiteral("Kind"), QStringLiteral("Figure"),
                     QStringLiteral("Value"), QStringLiteral("Unit")});
    for (const TableRow& row : rows_) {
        lines.push_back(
            {QString::number(row.number), row.kind, row.figure, formatValue(row.value), row.unit});
    }
    lines.push_back({});
    lines.push_back({QStringLiteral("Kind"), QStringLiteral("Figure"), QStringLiteral("Count"),
                     QStringLiteral("Total"), QStringLiteral("Mean"), QStringLiteral("Std. Dev."),
                     QStringLiteral("Minimum"), QStringLiteral("Maximum"), QStringLiteral("Unit")});
    for (const FigureStatistics& s : statistics_) {
        lines.push_back({s.kind, s.figure, QString::number(s.count), formatValue(s.total),
                         formatValue(s.mean), formatValue(s.standardDeviation),
                         formatValue(s.minimum), formatValue(s.maximum), s.unit});
    }
    return lines;
}

QString MeasurementTable::toTabSeparated() const {
    QString text;
    for (const auto& line : cells()) {
        QStringList cleaned;
        for (QString cell : line) {
            cleaned << cell.replace(QLatin1Char('\t'), QLatin1Char(' '))
                           .replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
        text += cleaned.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QString MeasurementTable::toCsv() const {
    QString text;
    for (const auto& line : cells()) {
        QStringList quoted;
        for (const QString& cell : line) {
            if (cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"')) ||
                cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'))) {
                quoted << QLatin1Char('"') +
                              QString(cell).replace(QLatin1String("\""), QLatin1String("\"\"")) +
                              QLatin1Char('"');
            } else {
                quoted << cell;
            }
        }
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text;
}

bool MeasurementTable::writeCsv(const QString& path, QString* error) const {
    QSaveFile file(path);
    // The byte-order mark lets spreadsheet programs see UTF-8 (the micro sign, "²").
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + toCsv().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) {
            *error = QStringLiteral("The table could not be saved to \"%1\": %2")
                         .arg(path, file.errorString());
        }
        return false;
    }
    return true;
}

}  // namespace krvmeasure
