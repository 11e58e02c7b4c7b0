#include "measure/MeasureCommands.h"

#include "res/ids.h"

#include <algorithm>

namespace korvel::measure {

using namespace korvel::res;

namespace {

// Calibrate, Calibrate Table, Precision and Measure Table compare the current item with a
// code that is never stored, so they never show a check mark.
constexpr MeasureCommand kCommands[] = {
    {ID_MEASURE_CALIBRATE, 0, false, CheckRule::CurrentItem, 0},
    {ID_MEASURE_CALIBRATE_TABLE, 1, false, CheckRule::CurrentItem, 1},
    {ID_MEASURE_SELECT, 10, true, CheckRule::SelectionIndex, 0},
    {ID_MEASURE_LINE, 2, true, CheckRule::LiveSelectionIndex, 1},
    {ID_MEASURE_PARALLEL, 20, true, CheckRule::LiveSelectionIndex, 10},
    {ID_MEASURE_PERPENDICULAR, 23, true, CheckRule::LiveSelectionIndex, 13},
    {ID_MEASURE_RECTANGLE, 3, true, CheckRule::SelectionIndex, 2},
    {ID_MEASURE_CIRCLE_TWO_POINT, 4, true, CheckRule::SelectionIndex, 3},
    {ID_MEASURE_CIRCLE_THREE_POINT, 5, true, CheckRule::SelectionIndex, 3},
    {ID_MEASURE_CIRCLE_DIAMETER, 21, true, CheckRule::SelectionIndex, 11},
    {ID_MEASURE_CIRCLE_CONCENTRIC, 22, true, CheckRule::SelectionIndex, 12},
    {ID_MEASURE_POLYGON, 6, true, CheckRule::SelectionIndex, 4},
    {ID_MEASURE_ANGLE, 7, true, CheckRule::SelectionIndex, 5},
    {ID_MEASURE_COUNT, 8, true, CheckRule::SelectionIndex, 6},
    {ID_MEASURE_REMARK, 9, true, CheckRule::SelectionIndex, 7},
    {ID_MEASURE_ARC, 18, true, CheckRule::SelectionIndex, 9},
    {ID_MEASURE_PRECISION, 19, false, CheckRule::CurrentItem, 19},
    {ID_MEASURE_DELETE, 15, true, CheckRule::SelectionIndex, 8},
    {ID_MEASURE_TABLE, 13, false, CheckRule::CurrentItem, 13},
    {ID_MEASURE_KEEP_CURRENT, kKeepCurrentMeasureCode, true, CheckRule::KeepFlag, 0},
};

}  // namespace

std::span<const MeasureCommand> measureCommands() {
    return kCommands;
}

const MeasureCommand* findMeasureCommand(int id) {
    const auto* it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                  [id](const MeasureCommand& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : it;
}

std::optional<unsigned> calibrationIndex(int id) {
    if (id < ID_MEASURE_CALIBRATION_FIRST ||
        id >= ID_MEASURE_CALIBRATION_FIRST + kCalibrationEntries) {
        return std::nullopt;
    }
    return unsigned(id - ID_MEASURE_CALIBRATION_FIRST);
}

}  // namespace korvel::measure
