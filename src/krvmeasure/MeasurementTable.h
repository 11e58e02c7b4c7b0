#pragma once

// The measurement table: every figure of every item in the active calibration's unit, and
// per kind and figure the count, total, mean, standard deviation, minimum and maximum.

#include "krvmeasure/Calibration.h"
#include "krvmeasure/MeasureItem.h"

#include <QString>

#include <vector>

namespace krvmeasure {

struct TableRow {
    int number = 0;  // the item's number, from 1, as its label shows it
    QString kind;
    QString figure;
    double value = 0;
    QString unit;
};

struct FigureStatistics {
    QString kind;
    QString figure;
    QString unit;
    int count = 0;
    double total = 0;
    double mean = 0;
    double standardDeviation = 0;  // sample deviation (n − 1); 0 for a single value
    double minimum = 0;
    double maximum = 0;
};

class MeasurementTable {
public:
    MeasurementTable(const std::vector<MeasureItem>& items, const Calibration& calibration,
                     int precision);

    const std::vector<TableRow>& rows() const { return rows_; }
    // In the order the figures first appear.
    const std::vector<FigureStatistics>& statistics() const { return statistics_; }
    int precision() const { return precision_; }
    const Calibration& calibration() const { return calibration_; }

    QString formatValue(double value) const;

    // The table as lines of cells: a header, the rows, an empty line, the statistics.
    std::vector<std::vector<QString>> cells() const;
    // Tab-separated text for the clipboard.
    QString toTabSeparated() const;
    // Comma-separated values (RFC 4180 quoting), UTF-8.
    QString toCsv() const;
    // Writes the CSV file atomically; false with `error` set on failure.
    bool writeCsv(const QString& path, QString* error) const;

private:
    std::vector<TableRow> rows_;
    std::vector<FigureStatistics> statistics_;
    Calibration calibration_;
    int precision_;
};

}  // namespace krvmeasure
