#include "app/WindowPlacement.h"

#include "platform/SettingsStore.h"

#include <algorithm>

namespace korvel::app {

namespace {
const QString kScreen = QStringLiteral("Screen");
}

StoredPlacement readPlacement(const platform::SettingsStore& store) {
    const StoredPlacement defaults;
    return {store.getProfileInt(kScreen, QStringLiteral("left"), defaults.left),
            store.getProfileInt(kScreen, QStringLiteral("top"), defaults.top),
            store.getProfileInt(kScreen, QStringLiteral("right"), defaults.right),
            store.getProfileInt(kScreen, QStringLiteral("bottom"), defaults.bottom)};
}

std::optional<QRect> placementToRestore(const StoredPlacement& p) {
    if (p.left == 0 || p.top == 0 || p.right == 0 || p.bottom == 0) {
        return std::nullopt;
    }
    return QRect(p.left, p.top, p.right - p.left, p.bottom - p.top);
}

QRect defaultPlacement(const QRect& available) {
    const QSize size = available.size() * 3 / 4;
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(available.center());
    return rect;
}

StoredPlacement placementToStore(const QRect& window, const QSize& screen) {
    // Right and bottom are one past the last pixel, as window rectangles count them.
    return {std::min(window.left(), screen.width() - 100),
            std::min(window.top(), screen.height() - 100), window.left() + window.width(),
            window.top() + window.height()};
}

void writePlacement(platform::SettingsStore& store, const StoredPlacement& p) {
    store.writeProfileInt(kScreen, QStringLiteral("left"), p.left);
    store.writeProfileInt(kScreen, QStringLiteral("top"), p.top);
    store.writeProfileInt(kScreen, QStringLiteral("right"), p.right);
    store.writeProfileInt(kScreen, QStringLiteral("bottom"), p.bottom);
}

}  // namespace korvel::app
