#include "app/WindowCapture.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>

namespace korvel::app {

std::vector<CaptureCandidate> captureList(const std::vector<CaptureCandidate>& windows,
                                          const QSize& screen) {
    std::vector<CaptureCandidate> list;
    list.push_back({0, QStringLiteral("Desktop"), QRect(QPoint(0, 0), screen), screen});
    for (const CaptureCandidate& window : windows) {
        if (static_cast<int>(list.size()) > kMaxCapturedWindows) {
            break;
        }
        if (!window.visible || window.minimized || window.title.isEmpty() ||
            window.client.width() <= 4 || window.client.height() <= 4) {
            continue;
        }
        CaptureCandidate entry = window;
        entry.title = entry.title.left(kMaxCaptureTitle - 1);
        list.push_back(entry);
    }
    return list;
}

std::optional<CaptureArea> clipCaptureArea(const QRect& window, const QSize& screen) {
    int left = window.left();
    int top = window.top();
    const int right = std::min(window.left() + window.width(), screen.width());
    const int bottom = std::min(window.top() + window.height(), screen.height());
    QPoint offset(0, 0);
    if (left < 0) {
        offset.setX(-left);
        left = 0;
    }
    if (top < 0) {
        offset.setY(-top);
        top = 0;
    }
    if (right - left < 1 || bottom - top < 1) {
        return std::nullopt;
    }
    return CaptureArea{QRect(left, top, right - left, bottom - top), offset};
}

namespace {

QScreen* primaryScreen() {
    return QGuiApplication::primaryScreen();
}

QImage grabArea(quintptr windowId, const QRect& area) {
    QScreen* screen = primaryScreen();
    if (!screen) {
        return {};
    }
    return screen->grabWindow(windowId, area.x(), area.y(), area.width(), area.height()).toImage();
}

// Our own top-level windows: what a display without a window list offers.
class OwnWindowEnumerator : public WindowEnumerator {
public:
    std::vector<CaptureCandidate> topLevelWindows() const override {
        std::vector<CaptureCandidate> result;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            result.push_back({widget->winId(), widget->windowTitle(), widget->frameGeometry(),
                              widget->size(), widget->isVisible(), widget->isMinimized()});
        }
        return result;
    }
    QImage grab(quintptr windowId, const QRect& sourceArea) const override {
        return grabArea(windowId, sourceArea);
    }
    void setTopmost(quintptr windowId, bool topmost) const override {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->winId() == windowId) {
                widget->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
                widget->show();
            }
        }
    }
};

// The client list the window manager publishes on an X11 display.
class X11WindowEnumerator : public OwnWindowEnumerator {
public:
    explicit X11WindowEnumerator(xcb_connection_t* connection, xcb_window_t root)
        : connection_(connection), root_(root) {}

    std::vector<CaptureCandidate> topLevelWindows() const override {
        std::vector<CaptureCandidate> result;
        const xcb_atom_t clientList = atom("_NET_CLIENT_LIST");
        const xcb_atom_t name = atom("_NET_WM_NAME");
        const xcb_atom_t utf8 = atom("UTF8_STRING");
        const xcb_atom_t state = atom("_NET_WM_STATE");
        const xcb_atom_t hidden = atom("_NET_WM_STATE_HIDDEN");
        if (!clientList) {
            return OwnWindowEnumerator::topLevelWindows();
        }
        const std::vector<std::uint32_t> windows = property(root_, clientList, XCB_ATOM_WINDOW);
        for (const std::uint32_t window : windows) {
            CaptureCandidate entry;
            entry.windowId = window;
            entry.title = text(window, name, utf8);
            if (entry.title.isEmpty()) {
                entry.title = text(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
            }
            const std::vector<std::uint32_t> states = property(window, state, XCB_ATOM_ATOM);
            entry.minimized = std::find(states.begin(), states.end(), hidden) != states.end();
            entry.frame = geometry(window);
            entry.client = entry.frame.size();
            result.push_back(entry);
        }
        return result;
    }

private:
    xcb_atom_t atom(const char* atomName) const {
        const auto cookie = xcb_intern_atom(connection_, 1, std::strlen(atomName), atomName);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection_, cookie, nullptr);
        const xcb_atom_t result = reply ? reply->atom : 0;
        std::free(reply);
        return result;
    }

    std::vector<std::uint32_t> property(xcb_window_t window, xcb_atom_t prop,
                                        xcb_atom_t type) const {
        std::vector<std::uint32_t> values;
        const auto cookie = xcb_get_property(connection_, 0, window, prop, type, 0, 4096);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return values;
    }

    QString text(xcb_window_t window, xcb_atom_t prop, xcb_atom_t type) const {
        const auto cookie = xcb_get_property(connection_, 0, window, prop, type, 0, 1024);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
        QString result;
        if (reply && reply->format == 8) {
            result = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                                       xcb_get_property_value_length(reply));
        }
        std::free(reply);
        return result;
    }

    QRect geometry(xcb_window_t window) const {
        const auto cookie = xcb_get_geometry(connection_, window);
        xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(connection_, cookie, nullptr);
        if (!reply) {
            return {};
        }
        const auto translated = xcb_translate_coordinates(connection_, window, root_, 0, 0);
        xcb_translate_coordinates_reply_t* origin =
            xcb_translate_coordinates_reply(connection_, translated, nullptr);
        QRect rect(origin ? origin->dst_x : reply->x, origin ? origin->dst_y : reply->y,
                   reply->width, reply->height);
        std::free(origin);
        std::free(reply);
        return rect;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
};

}  // namespace

std::unique_ptr<WindowEnumerator> makeDesktopWindowEnumerator() {
    if (auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        xcb_connection_t* connection = x11->connection();
        const xcb_setup_t* setup = connection ? xcb_get_setup(connection) : nullptr;
        if (setup) {
            const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
            if (screen) {
                return std::make_unique<X11WindowEnumerator>(connection, screen->root);
            }
        }
    }
    return std::make_unique<OwnWindowEnumerator>();
}

}  // namespace korvel::app
