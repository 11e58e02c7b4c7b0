// Command icons: the freedesktop theme icon where one fits, else a picture drawn here, so
// that every toolbar button shows something even on a desktop without an icon theme.

#include "res/Resources.h"
#include "res/ids.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <span>

namespace korvel::res {
namespace {

// Tile colours, one per command family, so related buttons read as a group.
enum class Family { File, Edit, View, Tool, Image, Filter, Measure, Camera, Help };

QColor tileColour(Family family) {
    switch (family) {
        case Family::File:
            return QColor(0x2f, 0x6f, 0xb5);
        case Family::Edit:
            return QColor(0x3c, 0x8d, 0x5a);
        case Family::View:
            return QColor(0x1f, 0x8a, 0x94);
        case Family::Tool:
            return QColor(0x5a, 0x62, 0x70);
        case Family::Image:
            return QColor(0xc0, 0x6a, 0x1c);
        case Family::Filter:
            return QColor(0x7b, 0x4f, 0xa6);
        case Family::Measure:
            return QColor(0xa8, 0x3a, 0x3a);
        case Family::Camera:
            return QColor(0x2c, 0x4a, 0x6e);
        case Family::Help:
            return QColor(0x6b, 0x6b, 0x6b);
    }
    return Qt::darkGray;
}

struct IconSpec {
    int id;
    const char* themeName;  // freedesktop name, nullptr when none fits
    const char* glyph;      // at most three characters drawn on the fallback tile
    Family family;
};

constexpr IconSpec kWorkspaceIcons[] = {
    // File and application.
    {ID_FILE_NEW, "document-new", "N", Family::File},
    {ID_FILE_OPEN, "document-open", "O", Family::File},
    {ID_FILE_CLOSE, "document-close", "C", Family::File},
    {ID_FILE_SAVE, "document-save", "S", Family::File},
    {ID_FILE_SAVE_AS, "document-save-as", "SA", Family::File},
    {ID_FILE_PRINT, "document-print", "P", Family::File},
    {ID_FILE_PRINT_PREVIEW, "document-print-preview", "PV", Family::File},
    {ID_APP_EXIT, "application-exit", "Ex", Family::File},
    {ID_APP_ABOUT, "help-about", "i", Family::Help},
    {ID_HELP_DOCUMENT, "help-contents", "?", Family::Help},
    // Edit.
    {ID_EDIT_UNDO, "edit-undo", "Un", Family::Edit},
    {ID_EDIT_REDO, "edit-redo", "Re", Family::Edit},
    {ID_EDIT_CUT, "edit-cut", "Ct", Family::Edit},
    {ID_EDIT_COPY, "edit-copy", "Cp", Family::Edit},
    {ID_EDIT_PASTE, "edit-paste", "Pa", Family::Edit},
    {ID_EDIT_DUPLICATE, "edit-copy", "Du", Family::Edit},
    {ID_EDIT_CAPTURE, "camera-photo", "Cap", Family::Edit},
    {ID_IMAGE_DELETE, "edit-delete", "X", Family::Edit},
    {ID_BROWSER_DELETE, "edit-delete", "X", Family::Edit},
    // View and zoom.
    {ID_VIEW_ZOOM_IN, "zoom-in", "+", Family::View},
    {ID_VIEW_ZOOM_OUT, "zoom-out", "-", Family::View},
    {ID_VIEW_ZOOM_NORMAL, "zoom-original", "1:1", Family::View},
    {ID_VIEW_ZOOM_LIST, "zoom-fit-best", "%", Family::View},
    {ID_VIEW_MAGNIFIER, "zoom-select", "Mg", Family::View},
    {ID_VIEW_FULLSCREEN, "view-fullscreen", "FS", Family::View},
    {ID_VIEW_HISTOGRAM, nullptr, "Hi", Family::View},
    {ID_VIEW_LONG_EXPOSURE, "media-playback-pause", "LE", Family::Camera},
    {ID_TOOLS_CUSTOMIZE, "configure-toolbars", "Cu", Family::View},
    // Tools.
    {ID_TOOL_MOVE, "transform-move", "Mv", Family::Tool},
    {ID_TOOL_SELECT, "edit-select", "Se", Family::Tool},
    {ID_TOOL_ZOOM, "zoom-in", "Z", Family::Tool},
    {ID_TOOL_TEXT, "insert-text", "T", Family::Tool},
    {ID_TOOL_TRACKER, nullptr, "Tr", Family::Tool},
    // Image.
    {ID_IMAGE_CROP, "transform-crop", "Cr", Family::Image},
    {ID_IMAGE_ROTATE_LEFT, "object-rotate-left", "RL", Family::Image},
    {ID_IMAGE_ROTATE_RIGHT, "object-rotate-right", "RR", Family::Image},
    {ID_IMAGE_MIRROR, "object-flip-horizontal", "Mi", Family::Image},
    {ID_IMAGE_FLIP, "object-flip-vertical", "Fl", Family::Image},
    {ID_IMAGE_NEGATIVE, nullptr, "Ng", Family::Image},
    {ID_IMAGE_GRAYSCALE, nullptr, "Gr", Family::Image},
    {ID_IMAGE_LIGHTEN, nullptr, "L+", Family::Image},
    {ID_IMAGE_DARKEN, nullptr, "L-", Family::Image},
    {ID_IMAGE_MORE_CONTRAST, nullptr, "C+", Family::Image},
    {ID_IMAGE_LESS_CONTRAST, nullptr, "C-", Family::Image},
    // Filters.
    {ID_FILTER_BLUR, nullptr, "Bl", Family::Filter},
    {ID_FILTER_SHARPEN, nullptr, "Sh", Family::Filter},
    // Measurement.
    {ID_MEASURE_SCALE_LINE, nullptr, "SL", Family::Measure},
    {ID_MEASURE_CALIBRATE, nullptr, "Ca", Family::Measure},
    {ID_MEASURE_CALIBRATE_TABLE, nullptr, "CT", Family::Measure},
    {ID_MEASURE_SELECT, nullptr, "Se", Family::Measure},
    {ID_MEASURE_LINE, nullptr, "Ln", Family::Measure},
    {ID_MEASURE_PARALLEL, nullptr, "//", Family::Measure},
    {ID_MEASURE_PERPENDICULAR, nullptr, "_|", Family::Measure},
    {ID_MEASURE_RECTANGLE, nullptr, "Rc", Family::Measure},
    {ID_MEASURE_CIRCLE_TWO_POINT, nullptr, "C2", Family::Measure},
    {ID_MEASURE_CIRCLE_THREE_POINT, nullptr, "C3", Family::Measure},
    {ID_MEASURE_CIRCLE_DIAMETER, nullptr, "CD", Family::Measure},
    {ID_MEASURE_CIRCLE_CONCENTRIC, nullptr, "CC", Family::Measure},
    {ID_MEASURE_POLYGON, nullptr, "Pg", Family::Measure},
    {ID_MEASURE_ANGLE, nullptr, "An", Family::Measure},
    {ID_MEASURE_COUNT, nullptr, "#", Family::Measure},
    {ID_MEASURE_REMARK, nullptr, "Rm", Family::Measure},
    {ID_MEASURE_ARC, nullptr, "Ar", Family::Measure},
    {ID_MEASURE_PRECISION, nullptr, ".0", Family::Measure},
    {ID_MEASURE_DELETE, "edit-delete", "X", Family::Measure},
    {ID_MEASURE_TABLE, nullptr, "Tb", Family::Measure},
    {ID_MEASURE_KEEP_CURRENT, nullptr, "Kp", Family::Measure},
    // Camera commands whose numbers the image menus do not use.
    {ID_CAMERA_TOGGLE_TOOLBAR, nullptr, "TB", Family::Camera},
    {ID_CAMERA_PREVIEW, "camera-video", "Pv", Family::Camera},
    {ID_CAMERA_RESOLUTION, nullptr, "Res", Family::Camera},
    {ID_CAMERA_SNAP, "camera-photo", "Sn", Family::Camera},
    {ID_CAMERA_RECORD, "media-record", "Rec", Family::Camera},
    {ID_CAMERA_AUTO_WHITE_BALANCE, nullptr, "WB", Family::Camera},
    {ID_CAMERA_AREA_WHITE_BALANCE, nullptr, "AWB", Family::Camera},
    {ID_CAMERA_BLACK_BALANCE, nullptr, "BB", Family::Camera},
    {ID_CAMERA_EXPOSURE, nullptr, "Exp", Family::Camera},
    {ID_CAMERA_VIDEO_CUT, "transform-crop", "Cut", Family::Camera},
    {ID_CAMERA_VIDEO_RESTORE, "edit-undo", "Rst", Family::Camera},
    {ID_CAMERA_IMAGE_SIZE, "view-restore", "1:1", Family::Camera},
    {ID_CAMERA_BACK_CORRECTION, nullptr, "BK", Family::Camera},
    {ID_CAMERA_PROPERTY, "configure", "Pr", Family::Camera},
};

// The camera window's pictures for numbers the image menus use as well; a null glyph
// means the camera command has no picture (it lives only in a drop-down menu).
constexpr IconSpec kCameraIcons[] = {
    {ID_CAMERA_FULLSCREEN, "view-fullscreen", "FS", Family::Camera},
    {ID_CAMERA_WHITE_BALANCE_WIZARD, nullptr, nullptr, Family::Camera},
    {ID_CAMERA_QUICK_WHITE_BALANCE, nullptr, nullptr, Family::Camera},
    {ID_CAMERA_AREA_WHITE_BALANCE_SAVE_GAINS, nullptr, nullptr, Family::Camera},
    {ID_CAMERA_QUICK_BLACK_BALANCE, nullptr, nullptr, Family::Camera},
};

const IconSpec* find(std::span<const IconSpec> table, int id) {
    const auto it = std::find_if(table.begin(), table.end(),
                                 [id](const IconSpec& entry) { return entry.id == id; });
    return it == table.end() ? nullptr : &*it;
}

QPixmap drawTile(const IconSpec& entry, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF tile = QRectF(0, 0, size, size).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = size / 5.0;
    const QColor colour = tileColour(entry.family);
    painter.setPen(QPen(colour.darker(140), 1.0));
    painter.setBrush(colour);
    painter.drawRoundedRect(tile, radius, radius);

    // Shrink the glyph until it fits the tile with a small margin.
    const QString glyph = QString::fromLatin1(entry.glyph);
    const qreal room = size - 2.0 * std::max(1.0, size / 10.0);
    QFont font;
    font.setBold(true);
    qreal pixelSize = glyph.size() == 1 ? size * 0.75 : size * 0.55;
    for (; pixelSize > 4; pixelSize -= 0.5) {
        font.setPixelSize(int(pixelSize));
        const QRectF bounds = QFontMetricsF(font).tightBoundingRect(glyph);
        if (bounds.width() <= room && bounds.height() <= room) {
            break;
        }
    }
    font.setPixelSize(std::max(4, int(pixelSize)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, glyph);
    return pixmap;
}

QIcon fallbackIcon(const IconSpec& entry) {
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        icon.addPixmap(drawTile(entry, size));
    }
    return icon;
}

}  // namespace

QIcon commandIcon(int id, CommandScope scope) {
    const IconSpec* entry = scope == CommandScope::Camera ? find(kCameraIcons, id) : nullptr;
    if (!entry) {
        entry = find(kWorkspaceIcons, id);
    }
    if (!entry || !entry->glyph) {
        return {};
    }
    const QIcon fallback = fallbackIcon(*entry);
    return entry->themeName ? QIcon::fromTheme(QString::fromLatin1(entry->themeName), fallback)
                           : fallback;
}

}  // namespace korvel::res
