#include "krvmeasure/ToolState.h"

namespace krvmeasure {

std::optional<Tool> toolForCode(unsigned code) {
    switch (code) {
        case ItemCode::Calibrate:
            return Tool::Calibrate;
        case ItemCode::Line:
            return Tool::Line;
        case ItemCode::Rectangle:
            return Tool::Rectangle;
        case ItemCode::Circle2:
            return Tool::Circle2;
        case ItemCode::Circle3:
            return Tool::Circle3;
        case ItemCode::Polygon:
            return Tool::Polygon;
        case ItemCode::Angle:
            return Tool::Angle;
        case ItemCode::Count:
            return Tool::Count;
        case ItemCode::Remark:
            return Tool::Remark;
        case ItemCode::Select:
            return Tool::Select;
        case ItemCode::Delete:
            return Tool::Delete;
        case ItemCode::Arc:
            return Tool::Arc;
        case ItemCode::Parallel:
            return Tool::Parallel;
        case ItemCode::DiameterCircle:
            return Tool::DiameterCircle;
        case ItemCode::Concentric:
            return Tool::Concentric;
        case ItemCode::Perpendicular:
            return Tool::Perpendicular;
        default:
            return std::nullopt;
    }
}

unsigned selectionIndex(Tool tool) {
    switch (tool) {
        case Tool::Select:
            return 0;
        case Tool::Line:
            return 1;
        case Tool::Rectangle:
            return 2;
        case Tool::Circle2:
        case Tool::Circle3:
            return 3;
        case Tool::Polygon:
            return 4;
        case Tool::Angle:
            return 5;
        case Tool::Count:
            return 6;
        case Tool::Remark:
            return 7;
        case Tool::Delete:
            return 8;
        case Tool::Arc:
            return 9;
        case Tool::Parallel:
            return 10;
        case Tool::DiameterCircle:
            return 11;
        case Tool::Concentric:
            return 12;
        case Tool::Perpendicular:
            return 13;
        case Tool::Calibrate:
            break;
    }
    return 14;
}

std::optional<ItemKind> kindForTool(Tool tool) {
    switch (tool) {
        case Tool::Line:
        case Tool::Calibrate:
            return ItemKind::Line;
        case Tool::Rectangle:
            return ItemKind::Rectangle;
        case Tool::Circle2:
            return ItemKind::Circle2;
        case Tool::Circle3:
            return ItemKind::Circle3;
        case Tool::Polygon:
            return ItemKind::Polygon;
        case Tool::Angle:
            return ItemKind::Angle;
        case Tool::Count:
            return ItemKind::Count;
        case Tool::Remark:
            return ItemKind::Remark;
        case Tool::Arc:
            return ItemKind::Arc;
        case Tool::Parallel:
            return ItemKind::Parallel;
        case Tool::DiameterCircle:
            return ItemKind::DiameterCircle;
        case Tool::Concentric:
            return ItemKind::Concentric;
        case Tool::Perpendicular:
            return ItemKind::Perpendicular;
        case Tool::Select:
        case Tool::Delete:
            break;
    }
    return std::nullopt;
}

ToolState& sharedToolState() {
    // The library's interface makes the mode a class-wide value (the Measure menu selects
    // it for every picture at once), so it lives here and nowhere else.
    static ToolState state;
    return state;
}

}  // namespace krvmeasure
