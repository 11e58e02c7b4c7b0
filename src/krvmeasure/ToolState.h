#pragma once

// The measuring modes, the item codes of the Measure menu that select them, and the
// selection index each mode reports.

#include "krvmeasure/MeasureItem.h"

#include <optional>

namespace krvmeasure {

enum class Tool {
    Select,
    Line,
    Rectangle,
    Circle2,
    Circle3,
    Polygon,
    Angle,
    Count,
    Remark,
    Delete,
    Arc,
    Parallel,
    DiameterCircle,
    Concentric,
    Perpendicular,
    Calibrate,  // draws the line of a calibration
};

// Item codes of the Measure menu.
namespace ItemCode {
constexpr unsigned Calibrate = 0;
constexpr unsigned CalibrateTable = 1;
constexpr unsigned Line = 2;
constexpr unsigned Rectangle = 3;
constexpr unsigned Circle2 = 4;
constexpr unsigned Circle3 = 5;
constexpr unsigned Polygon = 6;
constexpr unsigned Angle = 7;
constexpr unsigned Count = 8;
constexpr unsigned Remark = 9;
constexpr unsigned Select = 10;
constexpr unsigned MeasureTable = 13;
constexpr unsigned KeepCurrentMeasure = 14;
constexpr unsigned Delete = 15;
constexpr unsigned Arc = 18;
constexpr unsigned Precision = 19;
constexpr unsigned Parallel = 20;
constexpr unsigned DiameterCircle = 21;
constexpr unsigned Concentric = 22;
constexpr unsigned Perpendicular = 23;
}  // namespace ItemCode

// The mode an item code selects; none for the codes that act at once or are unknown.
std::optional<Tool> toolForCode(unsigned code);

// The selection index: 0 select, 1 line, 2 rectangle, 3 both point circles, 4 polygon,
// 5 angle, 6 count, 7 remark, 8 delete, 9 arc, 10 parallel, 11 diameter circle,
// 12 concentric, 13 perpendicular; 14 while a calibration line is drawn.
unsigned selectionIndex(Tool tool);

// The kind of item a drawing mode makes (the calibration line is a line).
std::optional<ItemKind> kindForTool(Tool tool);

// The mode shared by every measurement object (the menu sets it for the whole program).
struct ToolState {
    Tool tool = Tool::Select;
    bool keepCurrentMeasure = false;
};

ToolState& sharedToolState();

}  // namespace krvmeasure
