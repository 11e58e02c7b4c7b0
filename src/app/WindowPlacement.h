#pragma once

// The main window's placement as the Screen section keeps it.

#include <QRect>

#include <optional>

namespace korvel::platform {
class SettingsStore;
}

namespace korvel::app {

struct StoredPlacement {
    int left = 0;
    int top = 0;
    int right = 850;
    int bottom = 650;
};

StoredPlacement readPlacement(const platform::SettingsStore& store);

// The window rectangle to restore, or none when any of the four values is 0 (a left or
// top of 0 counts as no saved placement).
std::optional<QRect> placementToRestore(const StoredPlacement& stored);

// Where the window opens without a saved placement: three quarters of the screen's
// available area, centred in it.
QRect defaultPlacement(const QRect& available);

// What close writes for a window rectangle on a screen: left at most screen width - 100,
// top at most screen height - 100, right and bottom as they are.
StoredPlacement placementToStore(const QRect& window, const QSize& screen);

void writePlacement(platform::SettingsStore& store, const StoredPlacement& placement);

}  // namespace korvel::app
