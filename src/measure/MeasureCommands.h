#pragma once

// The Measure menu: which item code each command sends to the measurement library, whether
// that code becomes the document's current item, and what its check mark compares.

#include <optional>
#include <span>

namespace korvel::measure {

// The documents' tool number of the measure tool.
inline constexpr int kMeasureTool = 6;

// What a command's check mark compares with its value (always together with tool 6).
enum class CheckRule {
    CurrentItem,         // the stored current item
    SelectionIndex,      // the selection index stored after the last accepted command
    LiveSelectionIndex,  // the library's selection index read afresh
    KeepFlag,            // the keep-measure flag (value unused)
};

struct MeasureCommand {
    int id;
    unsigned code;    // item code sent to the library
    bool storesItem;  // the code becomes the current item, the selection index is stored
    CheckRule check;
    unsigned value;
};

// The item code of Keep Current Measure, which toggles the keep-measure flag.
inline constexpr unsigned kKeepCurrentMeasureCode = 14;
// The current item of a new document.
inline constexpr int kInitialItem = 10;

// Every command of the Measure menu that sends an item code, in menu order.
std::span<const MeasureCommand> measureCommands();
// The row of `id`, or null for other commands.
const MeasureCommand* findMeasureCommand(int id);

// The calibration entries of the list menu: six ids, the first naming entry 0.
inline constexpr int kCalibrationEntries = 6;

// The index of a calibration entry's command id; none outside the six ids.
std::optional<unsigned> calibrationIndex(int id);

}  // namespace korvel::measure
