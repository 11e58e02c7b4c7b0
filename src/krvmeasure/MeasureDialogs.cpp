#include "krvmeasure/MeasureDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace krvmeasure {

namespace {

QComboBox* unitCombo(Unit selected, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems(unitNames());
    box->setCurrentText(unitName(selected));
    return box;
}

void fillTable(QTableWidget* view, const std::vector<std::vector<QString>>& lines) {
    view->setColumnCount(int(lines.front().size()));
    view->setHorizontalHeaderLabels(QStringList(lines.front().begin(), lines.front().end()));
    view->setRowCount(int(lines.size()) - 1);
    for (size_t r = 1; r < lines.size(); ++r) {
        for (size_t c = 0; c < lines[r].size(); ++c) {
            auto* cell = new QTableWidgetItem(lines[r][c]);
            cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
            view->setItem(int(r) - 1, int(c), cell);
        }
    }
    view->verticalHeader()->hide();
    view->resizeColumnsToContents();
}

// A line in the dialog that says why OK was refused; hidden while there is nothing to say.
QLabel* errorLine(QWidget* parent) {
    auto* line = new QLabel(parent);
    line->setWordWrap(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    line->setPalette(palette);
    line->hide();
    return line;
}

void showRefusal(QLabel* line, QString& lastError, const QString& message) {
    lastError = message;
    line->setText(message);
    line->setVisible(!message.isEmpty());
}

}  // namespace

// --- Calibrate ---------------------------------------------------------------------------

CalibrateDialog::CalibrateDialog(double pixelLength, const QString& suggestedName, QWidget* parent)
    : QDialog(parent), pixelLength_(pixelLength) {
    setWindowTitle(QStringLiteral("Calibrate"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Line length:"),
                 new QLabel(QStringLiteral("%1 pixels").arg(pixelLength, 0, 'f', 2), this));
    length_ = new QLineEdit(this);
    unit_ = unitCombo(Unit::Micrometre, this);
    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(length_);
    lengthRow->addWidget(unit_);
    form->addRow(QStringLiteral("Known length:"), lengthRow);
    name_ = new QLineEdit(suggestedName, this);
    form->addRow(QStringLiteral("Name:"), name_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    errorLine_ = errorLine(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(errorLine_);
    layout->addWidget(buttons);
    length_->setFocus();
}

CalibrationInput CalibrateDialog::input() const {
    return {name_->text(), length_->text(),
            unitFromName(unit_->currentText()).value_or(Unit::Pixel)};
}

void CalibrateDialog::accept() {
    const auto result = calibrationFromInput(pixelLength_, input());
    if (const auto* error = std::get_if<QString>(&result)) {
        showRefusal(errorLine_, lastError_, *error);
        length_->setFocus();
        return;
    }
    showRefusal(errorLine_, lastError_, {});
    QDialog::accept();
}

// --- Calibrate Table ---------------------------------------------------------------------

CalibrationTableDialog::CalibrationTableDialog(const std::vector<Calibration>& calibrations,
                                               int active, QWidget* parent)
    : QDialog(parent), active_(active) {
    setWindowTitle(QStringLiteral("Calibrate Table"));
    table_ = new QTableWidget(int(calibrations.size()), 3, this);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Pixels per unit"), QStringLiteral("Unit")});
    for (int r = 0; r < int(calibrations.size()); ++r) {
        table_->setItem(r, 0, new QTableWidgetItem(calibrations[r].name));
        table_->setItem(
            r, 1, new QTableWidgetItem(QString::number(calibrations[r].pixelsPerUnit, 'g', 10)));
        table_->setCellWidget(r, 2, unitCombo(calibrations[r].unit, table_));
    }
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* remove = new QPushButton(QStringLiteral("Delete"), this);
    auto* use = new QPushButton(QStringLiteral("Use"), this);
    auto* pixels = new QPushButton(QStringLiteral("Use Pixels"), this);
    connect(remove, &QPushButton::clicked, this, &CalibrationTableDialog::removeCurrent);
    connect(use, &QPushButton::clicked, this, &CalibrationTableDialog::makeCurrentActive);
    connect(pixels, &QPushButton::clicked, this, [this] {
        active_ = -1;
        markActive();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* side = new QVBoxLayout;
    side->addWidget(use);
    side->addWidget(pixels);
    side->addWidget(remove);
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(table_);
    row->addLayout(side);
    errorLine_ = errorLine(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(errorLine_);
    layout->addWidget(buttons);
    markActive();
    resize(520, 300);
}

void CalibrationTableDialog::markActive() {
    for (int r = 0; r < table_->rowCount(); ++r) {
        if (QTableWidgetItem* name = table_->item(r, 0)) {
            QFont font = name->font();
            font.setBold(r == active_);
            name->setFont(font);
        }
    }
}

void CalibrationTableDialog::removeCurrent() {
    const int row = table_->currentRow();
    if (row < 0) {
        return;
    }
    table_->removeRow(row);
    if (active_ == row) {
        active_ = -1;
    } else if (active_ > row) {
        --active_;
    }
    markActive();
}

void CalibrationTableDialog::makeCurrentActive() {
    active_ = table_->currentRow();
    markActive();
}

std::variant<std::vector<Calibration>, QString> CalibrationTableDialog::calibrations() const {
    std::vector<Calibration> result;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QString name = table_->item(r, 0) ? table_->item(r, 0)->text() : QString();
        const QString ppuText = table_->item(r, 1) ? table_->item(r, 1)->text() : QString();
        bool ok = false;
        const double ppu = ppuText.trimmed().toDouble(&ok);
        if (!ok) {
            return QStringLiteral("\"%1\" is not a number of pixels per unit.").arg(ppuText);
        }
        const auto* box = qobject_cast<QComboBox*>(table_->cellWidget(r, 2));
        result.push_back(
            {name.trimmed(), ppu,
             unitFromName(box ? box->currentText() : QString()).value_or(Unit::Pixel)});
    }
    if (const QString why = whyInvalid(result); !why.isEmpty()) {
        return why;
    }
    return result;
}

void CalibrationTableDialog::accept() {
    const auto result = calibrations();
    if (const auto* error = std::get_if<QString>(&result)) {
        showRefusal(errorLine_, lastError_, *error);
        return;
    }
    showRefusal(errorLine_, lastError_, {});
    QDialog::accept();
}

// --- Measure Table -----------------------------------------------------------------------

MeasurementTableDialog::MeasurementTableDialog(const MeasurementTable& table, QWidget* parent)
    : QDialog(parent), table_(table) {
    setWindowTitle(QStringLiteral("Measure Table"));
    const auto lines = table.cells();
    const auto gap =
        std::find_if(lines.begin(), lines.end(), [](const auto& l) { return l.empty(); });
    rows_ = new QTableWidget(this);
    statistics_ = new QTableWidget(this);
    fillTable(rows_, {lines.begin(), gap});
    fillTable(statistics_, {gap + 1, lines.end()});
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    auto* exportButton = new QPushButton(QStringLiteral("Export CSV..."), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(copy, &QPushButton::clicked, this, &MeasurementTableDialog::copyToClipboard);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export CSV"), QStringLiteral("measurements.csv"),
            QStringLiteral("CSV files (*.csv);;All files (*)"));
        if (!path.isEmpty()) {
            exportCsv(path);
        }
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(exportButton);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rows_, 3);
    layout->addWidget(new QLabel(QStringLiteral("Statistics"), this));
    layout->addWidget(statistics_, 2);
    layout->addLayout(buttons);
    resize(640, 480);
}

void MeasurementTableDialog::copyToClipboard() const {
    QGuiApplication::clipboard()->setText(table_.toTabSeparated());
}

bool MeasurementTableDialog::exportCsv(const QString& path) {
    QString error;
    if (!table_.writeCsv(path, &error)) {
        QMessageBox::warning(this, windowTitle(), error);
        return false;
    }
    return true;
}

// --- The real dialogs ----------------------------------------------------------------------

std::optional<CalibrationInput> QtMeasureDialogs::askCalibration(QWidget* parent,
                                                                 double pixelLength,
                                                                 const QString& suggestedName) {
    CalibrateDialog dialog(pixelLength, suggestedName, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.input();
}

bool QtMeasureDialogs::editCalibrations(QWidget* parent, std::vector<Calibration>& calibrations,
                                        int& active) {
    CalibrationTableDialog dialog(calibrations, active, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    calibrations = std::get<std::vector<Calibration>>(dialog.calibrations());
    active = dialog.active();
    return true;
}

std::optional<int> QtMeasureDialogs::askPrecision(QWidget* parent, int current) {
    bool ok = false;
    const int places =
        QInputDialog::getInt(parent, QStringLiteral("Precision"), QStringLiteral("Decimal places:"),
                             current, 0, CalibrationStore::kMaximumPrecision, 1, &ok);
    return ok ? std::optional<int>(places) : std::nullopt;
}

void QtMeasureDialogs::showMeasurementTable(QWidget* parent, const MeasurementTable& table) {
    MeasurementTableDialog dialog(table, parent);
    dialog.exec();
}

std::optional<QString> QtMeasureDialogs::askRemark(QWidget* parent) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, QStringLiteral("Remark"),
                                               QStringLiteral("Text:"), QLineEdit::Normal, {}, &ok);
    if (!ok || text.trimmed().isEmpty()) {
        return std::nullopt;
    }
    return text;
}

void QtMeasureDialogs::showError(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, QStringLiteral("Measure"), message);
}

}  // namespace krvmeasure
