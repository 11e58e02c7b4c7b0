// The library's dialogs on the offscreen platform: bad input keeps them open with a reason,
// the measurement table copies and exports.

#include "krvmeasure/MeasureDialogs.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

using namespace krvmeasure;

namespace {

TEST(CalibrateDialogTest, RefusesBadLengthsAndAcceptsASoundOne) {
    CalibrateDialog dialog(100, QStringLiteral("Calibration 1"));
    dialog.unitBox()->setCurrentText(QStringLiteral("mm"));
    for (const char* text : {"", "abc", "0", "-2"}) {
        dialog.lengthEdit()->setText(QString::fromLatin1(text));
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << text;
        EXPECT_FALSE(dialog.lastError().isEmpty()) << text;
        // The reason is shown in the dialog itself.
        const auto labels = dialog.findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](QLabel* label) {
            return !label->isHidden() && label->text() == dialog.lastError();
        })) << text;
    }
    dialog.lengthEdit()->setText(QStringLiteral("2.5"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const CalibrationInput input = dialog.input();
    EXPECT_EQ(input.name, QStringLiteral("Calibration 1"));
    EXPECT_EQ(input.unit, Unit::Millimetre);
    EXPECT_EQ(input.lengthText, QStringLiteral("2.5"));
}

TEST(CalibrationTableDialogTest, EditsAreCheckedBeforeAccepting) {
    CalibrationTableDialog dialog({{"10x", 10, Unit::Micrometre}, {"40x", 40, Unit::Micrometre}},
                                  1);
    dialog.table()->item(0, 1)->setText(QStringLiteral("zero"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.lastError().isEmpty());
    dialog.table()->item(0, 1)->setText(QStringLiteral("12.5"));
    dialog.table()->item(1, 0)->setText(QStringLiteral("10X"));  // the same name twice
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.table()->item(1, 0)->setText(QStringLiteral("40x"));

    // Removing the first row keeps the active one pointing at "40x".
    dialog.table()->setCurrentCell(0, 0);
    dialog.removeCurrent();
    EXPECT_EQ(dialog.active(), 0);
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const auto table = std::get<std::vector<Calibration>>(dialog.calibrations());
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0], (Calibration{"40x", 40, Unit::Micrometre}));
}

TEST(MeasurementTableDialogTest, ShowsCopiesAndExports) {
    const MeasurementTable table(
        {{ItemKind::Line, {{0, 0}, {30, 40}}, {}}, {ItemKind::Line, {{0, 0}, {60, 80}}, {}}},
        pixelCalibration(), 2);
    MeasurementTableDialog dialog(table);
    EXPECT_EQ(dialog.rowsView()->rowCount(), 2);
    EXPECT_EQ(dialog.rowsView()->item(1, 3)->text(), QStringLiteral("100.00"));
    EXPECT_EQ(dialog.statisticsView()->rowCount(), 1);
    EXPECT_EQ(dialog.statisticsView()->item(0, 4)->text(), QStringLiteral("75.00"));
    dialog.copyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), table.toTabSeparated());
    const QString path = QDir::current().absoluteFilePath("dialog.csv");
    ASSERT_TRUE(dialog.exportCsv(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("1,Line,Length,50.00,px"));
}

}  // namespace
