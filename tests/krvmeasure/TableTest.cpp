// The measurement table: rows in the active unit, statistics per kind and figure, the
// clipboard text and the CSV file read back.

#include "krvmeasure/MeasurementTable.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cmath>

using namespace krvmeasure;

namespace {

std::vector<MeasureItem> threeLinesAndARectangle() {
    return {{ItemKind::Line, {{0, 0}, {100, 0}}, {}},
            {ItemKind::Rectangle, {{0, 0}, {30, 40}}, {}},
            {ItemKind::Line, {{0, 0}, {0, 200}}, {}},
            {ItemKind::Line, {{0, 0}, {300, 400}}, {}},
            {ItemKind::Remark, {{0, 0}, {5, 5}}, QStringLiteral("no figures")}};
}

// Splits CSV text (RFC 4180) into lines of cells.
std::vector<QStringList> parseCsv(const QString& text) {
    std::vector<QStringList> lines(1);
    QString cell;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            lines.back() << cell;
            cell.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines.back() << cell;
            cell.clear();
            lines.emplace_back();
            ++i;
        } else {
            cell += c;
        }
    }
    lines.pop_back();  // after the last line break
    return lines;
}

TEST(MeasurementTableTest, RowsAndStatisticsInTheCalibratedUnit) {
    const MeasurementTable table(threeLinesAndARectangle(), {"10x", 10, Unit::Micrometre}, 2);
    ASSERT_EQ(table.rows().size(), 7u);  // 3 lengths + 4 rectangle figures, none for the remark
    EXPECT_EQ(table.rows()[0].number, 1);
    EXPECT_EQ(table.rows()[1].number, 2);
    EXPECT_EQ(table.rows()[5].number, 3);
    EXPECT_EQ(table.rows()[6].number, 4);

    const FigureStatistics& lengths = table.statistics().front();
    EXPECT_EQ(lengths.kind, QStringLiteral("Line"));
    EXPECT_EQ(lengths.figure, QStringLiteral("Length"));
    EXPECT_EQ(lengths.unit, QStringLiteral("µm"));
    EXPECT_EQ(lengths.count, 3);
    EXPECT_DOUBLE_EQ(lengths.total, 10 + 20 + 50);
    EXPECT_NEAR(lengths.mean, 80.0 / 3, 1e-12);
    // Sample deviation of 10, 20, 50.
    const double m = 80.0 / 3;
    EXPECT_NEAR(lengths.standardDeviation,
                std::sqrt(((10 - m) * (10 - m) + (20 - m) * (20 - m) + (50 - m) * (50 - m)) / 2),
                1e-12);
    EXPECT_DOUBLE_EQ(lengths.minimum, 10);
    EXPECT_DOUBLE_EQ(lengths.maximum, 50);

    const auto area = std::find_if(table.statistics().begin(), table.statistics().end(),
                                   [](const auto& s) { return s.figure == "Area"; });
    ASSERT_NE(area, table.statistics().end());
    EXPECT_EQ(area->count, 1);
    EXPECT_DOUBLE_EQ(area->total, 12);
    EXPECT_EQ(area->unit, QStringLiteral("µm²"));
    EXPECT_DOUBLE_EQ(area->standardDeviation, 0);
}

TEST(MeasurementTableTest, EmptyTableHasHeadersOnly) {
    const MeasurementTable table({}, pixelCalibration(), 2);
    EXPECT_TRUE(table.rows().empty());
    EXPECT_TRUE(table.statistics().empty());
    EXPECT_EQ(table.toTabSeparated().count('\n'), 3);
}

TEST(MeasurementTableTest, ClipboardTextIsTabSeparated) {
    const MeasurementTable table(threeLinesAndARectangle(), pixelCalibration(), 1);
    const QStringList lines = table.toTabSeparated().split('\n');
    EXPECT_EQ(lines[0], QStringLiteral("No.\tKind\tFigure\tValue\tUnit"));
    EXPECT_EQ(lines[1], QStringLiteral("1\tLine\tLength\t100.0\tpx"));
    EXPECT_EQ(lines[4], QStringLiteral("2\tRectangle\tArea\t1200.0\tpx²"));
}

TEST(MeasurementTableTest, CsvFileReadsBack) {
    const MeasurementTable table(threeLinesAndARectangle(), {"4x", 2, Unit::Millimetre}, 3);
    const QString path = QDir::current().absoluteFilePath("table.csv");
    QString error;
    ASSERT_TRUE(table.writeCsv(path, &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const auto lines = parseCsv(QString::fromUtf8(bytes.mid(3)));
    ASSERT_EQ(lines.size(), 1 + 7 + 1 + 1 + 5u);
    EXPECT_EQ(lines[1], QStringList({"1", "Line", "Length", "50.000", "mm"}));
    EXPECT_EQ(lines[7], QStringList({"4", "Line", "Length", "250.000", "mm"}));
    EXPECT_EQ(lines[8], QStringList({""}));
    EXPECT_EQ(lines[10], QStringList({"Line", "Length", "3", "400.000", "133.333", "104.083",
                                      "50.000", "250.000", "mm"}));

    // A folder that does not exist: refused with a message, no file.
    EXPECT_FALSE(table.writeCsv(QDir::current().absoluteFilePath("missing/table.csv"), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
