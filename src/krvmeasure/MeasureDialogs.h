#pragma once

// The measurement library's own dialogs behind one interface, so that tests can answer
// them without a window. `QtMeasureDialogs` shows the real dialogs.

#include "krvmeasure/Calibration.h"
#include "krvmeasure/MeasurementTable.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace krvmeasure {

class MeasureDialogs {
public:
    virtual ~MeasureDialogs() = default;

    // Asks the known length, unit and name for a line of `pixelLength` pixels; none when
    // cancelled. The answer is checked by the caller as well.
    virtual std::optional<CalibrationInput> askCalibration(QWidget* parent, double pixelLength,
                                                           const QString& suggestedName) = 0;
    // Lets the user rename, remove, retype and choose calibrations; true when accepted.
    // `active` is the index of the current calibration (-1 = pixels).
    virtual bool editCalibrations(QWidget* parent, std::vector<Calibration>& calibrations,
                                  int& active) = 0;
    virtual std::optional<int> askPrecision(QWidget* parent, int current) = 0;
    virtual void showMeasurementTable(QWidget* parent, const MeasurementTable& table) = 0;
    virtual std::optional<QString> askRemark(QWidget* parent) = 0;
    virtual void showError(QWidget* parent, const QString& message) = 0;
};

class QtMeasureDialogs : public MeasureDialogs {
public:
    std::optional<CalibrationInput> askCalibration(QWidget* parent, double pixelLength,
                                                   const QString& suggestedName) override;
    bool editCalibrations(QWidget* parent, std::vector<Calibration>& calibrations,
                          int& active) override;
    std::optional<int> askPrecision(QWidget* parent, int current) override;
    void showMeasurementTable(QWidget* parent, const MeasurementTable& table) override;
    std::optional<QString> askRemark(QWidget* parent) override;
    void showError(QWidget* parent, const QString& message) override;
};

// "Calibrate": the drawn line's length in pixels, the known length, its unit and a name.
// OK is refused with a message while the input is not a sound calibration.
class CalibrateDialog : public QDialog {
    Q_OBJECT
public:
    CalibrateDialog(double pixelLength, const QString& suggestedName, QWidget* parent = nullptr);
    CalibrationInput input() const;
    QLineEdit* lengthEdit() const { return length_; }
    QLineEdit* nameEdit() const { return name_; }
    QComboBox* unitBox() const { return unit_; }
    // Why OK was last refused, as the dialog shows it above its buttons.
    QString lastError() const { return lastError_; }

public slots:
    void accept() override;

private:
    double pixelLength_;
    QLineEdit* name_;
    QLineEdit* length_;
    QComboBox* unit_;
    QLabel* errorLine_;
    QString lastError_;
};

// "Calibrate Table": one row per calibration (name, pixels per unit, unit).
class CalibrationTableDialog : public QDialog {
    Q_OBJECT
public:
    CalibrationTableDialog(const std::vector<Calibration>& calibrations, int active,
                           QWidget* parent = nullptr);
    // The table as edited; an error text when a cell holds no sound value.
    std::variant<std::vector<Calibration>, QString> calibrations() const;
    int active() const { return active_; }
    QTableWidget* table() const { return table_; }
    QString lastError() const { return lastError_; }

public slots:
    void accept() override;
    void removeCurrent();
    void makeCurrentActive();

private:
    void markActive();

    QTableWidget* table_;
    QLabel* errorLine_;
    int active_;
    QString lastError_;
};

// "Measure Table": the rows and statistics, copied to the clipboard or exported as CSV.
class MeasurementTableDialog : public QDialog {
    Q_OBJECT
public:
    explicit MeasurementTableDialog(const MeasurementTable& table, QWidget* parent = nullptr);
    QTableWidget* rowsView() const { return rows_; }
    QTableWidget* statisticsView() const { return statistics_; }
    void copyToClipboard() const;
    bool exportCsv(const QString& path);

private:
    const MeasurementTable& table_;
    QTableWidget* rows_;
    QTableWidget* statistics_;
};

}  // namespace krvmeasure
