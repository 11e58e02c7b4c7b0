#pragma once

// The windows the Capture dialog offers, and the rule that fits a window's rectangle to
// the screen before its pixels are copied.

#include <QImage>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace korvel::app {

struct CaptureCandidate {
    quintptr windowId = 0;  // 0 stands for the desktop
    QString title;
    QRect frame;   // screen rectangle of the window
    QSize client;  // size of its client area
    bool visible = true;
    bool minimized = false;
};

// Lists top-level windows in the platform's enumeration order, and grabs pixels.
class WindowEnumerator {
public:
    virtual ~WindowEnumerator() = default;
    virtual std::vector<CaptureCandidate> topLevelWindows() const = 0;
    virtual QImage grab(quintptr windowId, const QRect& sourceArea) const = 0;
    virtual void setTopmost(quintptr windowId, bool topmost) const = 0;
};

// The windows of this desktop: the X11 client list when there is one, else our own
// top-level windows.
std::unique_ptr<WindowEnumerator> makeDesktopWindowEnumerator();

inline constexpr int kMaxCapturedWindows = 254;
inline constexpr int kMaxCaptureTitle = 260;

// "Desktop" first, then every visible, non-minimised window with a title whose client
// area is wider and taller than 4 pixels, in enumeration order, at most 254 of them.
std::vector<CaptureCandidate> captureList(const std::vector<CaptureCandidate>& windows,
                                          const QSize& screen);

struct CaptureArea {
    QRect screenArea;     // the clipped rectangle on the screen
    QPoint sourceOffset;  // where it starts inside the window
};

// Clips a window rectangle to the screen: right and bottom at most the screen size, a
// negative left or top becomes 0 and the cut-off part becomes the source offset. None
// when less than one pixel remains.
std::optional<CaptureArea> clipCaptureArea(const QRect& window, const QSize& screen);

}  // namespace korvel::app
