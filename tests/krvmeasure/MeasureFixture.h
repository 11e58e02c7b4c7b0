#pragma once

#include "krvmeasure/CKRMeasure.h"

#include <gtest/gtest.h>

#include <QFile>

#include <deque>

namespace krvmeasure::test {

// Answers the library's dialogs from queues and records every message.
class FakeDialogs : public MeasureDialogs {
public:
    std::deque<std::optional<CalibrationInput>> calibrationAnswers;
    std::deque<std::optional<QString>> remarkAnswers;
    std::deque<std::optional<int>> precisionAnswers;
    // Applied to the table when the calibration table is "accepted"; none = cancelled.
    std::function<bool(std::vector<Calibration>&, int&)> tableEdit;
    std::vector<QString> errors;
    std::vector<double> calibrationLengths;
    int tablesShown = 0;
    std::optional<MeasurementTable> lastTable;

    std::optional<CalibrationInput> askCalibration(QWidget*, double pixelLength,
                                                   const QString&) override {
        calibrationLengths.push_back(pixelLength);
        return pop(calibrationAnswers);
    }
    bool editCalibrations(QWidget*, std::vector<Calibration>& calibrations, int& active) override {
        return tableEdit ? tableEdit(calibrations, active) : false;
    }
    std::optional<int> askPrecision(QWidget*, int) override { return pop(precisionAnswers); }
    void showMeasurementTable(QWidget*, const MeasurementTable& table) override {
        ++tablesShown;
        lastTable.emplace(table);
    }
    std::optional<QString> askRemark(QWidget*) override { return pop(remarkAnswers); }
    void showError(QWidget*, const QString& message) override { errors.push_back(message); }

private:
    template <typename T>
    static std::optional<T> pop(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        const bool given = answers.front().has_value();
        T value = given ? *answers.front() : T{};
        answers.pop_front();
        return given ? std::optional<T>(std::move(value)) : std::nullopt;
    }
};

// A measurement object with fake dialogs, a fresh calibration file and the shared mode back
// at Select with Keep Current Measure off.
class MeasureFixture : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(defaultCalibrationPath());
        QFile::remove(defaultCalibrationPath() + QStringLiteral(".bad"));
        resetMode();
        measure = makeMeasure(dialogs);
    }
    void TearDown() override { resetMode(); }

    static void resetMode() {
        CKRMeasure::MenuItemEvent(ItemCode::Select, nullptr);
        if (CKRMeasure::IsKeepCurrentMeasure()) {
            CKRMeasure::MenuItemEvent(ItemCode::KeepCurrentMeasure, nullptr);
        }
    }

    static std::unique_ptr<CKRMeasure> makeMeasure(FakeDialogs*& fake) {
        auto made = std::make_unique<CKRMeasure>(nullptr);
        auto owned = std::make_unique<FakeDialogs>();
        fake = owned.get();
        made->SetDialogs(std::move(owned));
        return made;
    }

    // Clicks at display points (press and release at the same place).
    void click(QPoint p) {
        measure->OnLButtonDown(p);
        measure->OnLButtonUp(p);
    }
    void drag(QPoint from, QPoint to) {
        measure->OnLButtonDown(from);
        measure->OnMouseMove((from + to) / 2);
        measure->OnMouseMove(to);
        measure->OnLButtonUp(to);
    }

    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<CKRMeasure> measure;
};

}  // namespace krvmeasure::test
