// Command icons. A command shows the freedesktop theme icon where a standard name fits;
// commands no theme knows (measurement, camera, image adjustments) use our own SVG
// pictures, compiled in as Qt resources. Every command with a picture has one of ours, so
// a desktop without any icon theme still shows a full set.

#include "res/Resources.h"
#include "res/ids.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include <algorithm>
#include <span>

// Q_INIT_RESOURCE declares a function of the global namespace, so it is called from here.
static void registerKorvelIconResources() {
    Q_INIT_RESOURCE(korvel_icons);
}

namespace korvel::res {
namespace {

struct IconSpec {
    int id;
    const char* themeName;  // freedesktop name, nullptr when none fits
    const char* bundled;    // our SVG picture under :/korvel/icons/actions, or nullptr
};

constexpr IconSpec kWorkspaceIcons[] = {
    // File and application.
    {ID_FILE_NEW, "document-new", "document-new"},
    {ID_FILE_OPEN, "document-open", "document-open"},
    {ID_FILE_CLOSE, "document-close", "document-close"},
    {ID_FILE_SAVE, "document-save", "document-save"},
    {ID_FILE_SAVE_AS, "document-save-as", "document-save-as"},
    {ID_FILE_PRINT, "document-print", "document-print"},
    {ID_FILE_PRINT_PREVIEW, "document-print-preview", "document-print-preview"},
    {ID_APP_EXIT, "application-exit", "application-exit"},
    {ID_APP_ABOUT, "help-about", "help-about"},
    {ID_HELP_DOCUMENT, "help-contents", "help-contents"},
    // Edit.
    {ID_EDIT_UNDO, "edit-undo", "edit-undo"},
    {ID_EDIT_REDO, "edit-redo", "edit-redo"},
    {ID_EDIT_CUT, "edit-cut", "edit-cut"},
    {ID_EDIT_COPY, "edit-copy", "edit-copy"},
    {ID_EDIT_PASTE, "edit-paste", "edit-paste"},
    {ID_EDIT_DUPLICATE, "edit-copy", "edit-copy"},
    {ID_EDIT_CAPTURE, "camera-photo", "camera-snap"},
    {ID_IMAGE_DELETE, "edit-delete", "edit-delete"},
    {ID_BROWSER_DELETE, "edit-delete", "edit-delete"},
    // View and zoom. The zoom buttons and Crop keep our pictures: current themes draw zoom
    // in, zoom out, zoom select and crop as near-identical dashed frames at toolbar sizes.
    {ID_VIEW_ZOOM_IN, nullptr, "zoom-in"},
    {ID_VIEW_ZOOM_OUT, nullptr, "zoom-out"},
    {ID_VIEW_ZOOM_NORMAL, nullptr, "zoom-original"},
    {ID_VIEW_ZOOM_LIST, nullptr, "zoom-list"},
    {ID_VIEW_MAGNIFIER, nullptr, "view-magnifier"},
    {ID_VIEW_FULLSCREEN, "view-fullscreen", "view-fullscreen"},
    {ID_VIEW_HISTOGRAM, nullptr, "view-histogram"},
    {ID_VIEW_LONG_EXPOSURE, nullptr, "view-long-exposure"},
    {ID_TOOLS_CUSTOMIZE, "configure-toolbars", "configure-toolbars"},
    // Tools.
    {ID_TOOL_MOVE, "transform-move", "tool-move"},
    {ID_TOOL_SELECT, "edit-select", "tool-select"},
    {ID_TOOL_ZOOM, nullptr, "tool-zoom"},
    {ID_TOOL_TEXT, "insert-text", "insert-text"},
    {ID_TOOL_TRACKER, nullptr, "tool-tracker"},
    // Image.
    {ID_IMAGE_CROP, nullptr, "image-crop"},
    {ID_IMAGE_ROTATE_LEFT, "object-rotate-left", "object-rotate-left"},
    {ID_IMAGE_ROTATE_RIGHT, "object-rotate-right", "object-rotate-right"},
    {ID_IMAGE_MIRROR, "object-flip-horizontal", "object-flip-horizontal"},
    {ID_IMAGE_FLIP, "object-flip-vertical", "object-flip-vertical"},
    {ID_IMAGE_NEGATIVE, nullptr, "image-negative"},
    {ID_IMAGE_GRAYSCALE, nullptr, "image-grayscale"},
    {ID_IMAGE_LIGHTEN, nullptr, "image-lighten"},
    {ID_IMAGE_DARKEN, nullptr, "image-darken"},
    {ID_IMAGE_MORE_CONTRAST, nullptr, "image-more-contrast"},
    {ID_IMAGE_LESS_CONTRAST, nullptr, "image-less-contrast"},
    // Filters.
    {ID_FILTER_BLUR, nullptr, "filter-blur"},
    {ID_FILTER_SHARPEN, nullptr, "filter-sharpen"},
    // Measurement.
    {ID_MEASURE_SCALE_LINE, nullptr, "measure-scale-line"},
    {ID_MEASURE_CALIBRATE, nullptr, "measure-calibrate"},
    {ID_MEASURE_CALIBRATE_TABLE, nullptr, "measure-calibrate-table"},
    {ID_MEASURE_SELECT, nullptr, "measure-select"},
    {ID_MEASURE_LINE, nullptr, "measure-line"},
    {ID_MEASURE_PARALLEL, nullptr, "measure-parallel"},
    {ID_MEASURE_PERPENDICULAR, nullptr, "measure-perpendicular"},
    {ID_MEASURE_RECTANGLE, nullptr, "measure-rectangle"},
    {ID_MEASURE_CIRCLE_TWO_POINT, nullptr, "measure-circle-two-point"},
    {ID_MEASURE_CIRCLE_THREE_POINT, nullptr, "measure-circle-three-point"},
    {ID_MEASURE_CIRCLE_DIAMETER, nullptr, "measure-circle-diameter"},
    {ID_MEASURE_CIRCLE_CONCENTRIC, nullptr, "measure-circle-concentric"},
    {ID_MEASURE_POLYGON, nullptr, "measure-polygon"},
    {ID_MEASURE_ANGLE, nullptr, "measure-angle"},
    {ID_MEASURE_COUNT, nullptr, "measure-count"},
    {ID_MEASURE_REMARK, nullptr, "measure-remark"},
    {ID_MEASURE_ARC, nullptr, "measure-arc"},
    {ID_MEASURE_PRECISION, nullptr, "measure-precision"},
    {ID_MEASURE_DELETE, "edit-delete", "measure-delete"},
    {ID_MEASURE_TABLE, nullptr, "measure-table"},
    {ID_MEASURE_KEEP_CURRENT, nullptr, "measure-keep-current"},
    // Camera commands whose numbers the image menus do not use. The camera toolbar shows
    // only our own pictures, so that it reads as one set whatever the theme.
    {ID_CAMERA_TOGGLE_TOOLBAR, nullptr, "camera-toolbar"},
    {ID_CAMERA_PREVIEW, nullptr, "camera-preview"},
    {ID_CAMERA_RESOLUTION, nullptr, "camera-resolution"},
    {ID_CAMERA_SNAP, nullptr, "camera-snap"},
    {ID_CAMERA_RECORD, nullptr, "camera-record"},
    {ID_CAMERA_AUTO_WHITE_BALANCE, nullptr, "camera-white-balance"},
    {ID_CAMERA_AREA_WHITE_BALANCE, nullptr, "camera-area-white-balance"},
    {ID_CAMERA_BLACK_BALANCE, nullptr, "camera-black-balance"},
    {ID_CAMERA_EXPOSURE, nullptr, "camera-exposure"},
    {ID_CAMERA_VIDEO_CUT, nullptr, "camera-video-cut"},
    {ID_CAMERA_VIDEO_RESTORE, nullptr, "camera-video-restore"},
    {ID_CAMERA_IMAGE_SIZE, nullptr, "camera-image-size"},
    {ID_CAMERA_BACK_CORRECTION, nullptr, "camera-background-correction"},
    {ID_CAMERA_PROPERTY, nullptr, "camera-settings"},
};

// The camera window's pictures for numbers the image menus use as well; an entry without
// any picture means the camera command has none (it lives only in a drop-down menu).
constexpr IconSpec kCameraIcons[] = {
    {ID_CAMERA_FULLSCREEN, nullptr, "view-fullscreen"},
    {ID_CAMERA_WHITE_BALANCE_WIZARD, nullptr, nullptr},
    {ID_CAMERA_QUICK_WHITE_BALANCE, nullptr, nullptr},
    {ID_CAMERA_AREA_WHITE_BALANCE_SAVE_GAINS, nullptr, nullptr},
    {ID_CAMERA_QUICK_BLACK_BALANCE, nullptr, nullptr},
};

const IconSpec* find(std::span<const IconSpec> table, int id) {
    const auto it = std::find_if(table.begin(), table.end(),
                                 [id](const IconSpec& entry) { return entry.id == id; });
    return it == table.end() ? nullptr : &*it;
}

constexpr QLatin1String kResourceRoot(":/korvel/icons");

void ensureResources() {
    // The icons are compiled into a static library; nothing else references them, so they
    // are registered by hand, once.
    static const bool registered = (registerKorvelIconResources(), true);
    (void)registered;
}

QIcon bundledIcon(const char* name) {
    ensureResources();
    return QIcon(QString(kResourceRoot) + QStringLiteral("/actions/") + QString::fromLatin1(name) +
                 QStringLiteral(".svg"));
}

// The icon themes that the program's dependencies install, in order of preference: Breeze
// names every standard action the toolbars use, Adwaita most of them.
constexpr const char* kFallbackThemes[] = {"breeze", "Adwaita"};

bool themeInstalled(const QString& theme, const QStringList& searchPaths) {
    return std::any_of(searchPaths.begin(), searchPaths.end(), [&](const QString& path) {
        return QFileInfo::exists(path + QLatin1Char('/') + theme + QStringLiteral("/index.theme"));
    });
}

}  // namespace

ResolvedIcon resolveCommandIcon(int id, CommandScope scope) {
    const IconSpec* entry = scope == CommandScope::Camera ? find(kCameraIcons, id) : nullptr;
    if (!entry) {
        entry = find(kWorkspaceIcons, id);
    }
    if (!entry) {
        return {};
    }
    if (!entry->bundled) {
        return {};
    }
    const QIcon own = bundledIcon(entry->bundled);
    if (!entry->themeName) {
        return {own, IconOrigin::Bundled};
    }
    // A theme icon follows later theme changes; our own picture stands in while the theme
    // lacks the name.
    const QString name = QString::fromLatin1(entry->themeName);
    const IconOrigin origin = QIcon::hasThemeIcon(name) ? IconOrigin::Theme : IconOrigin::Bundled;
    return {QIcon::fromTheme(name, own), origin};
}

QIcon commandIcon(int id, CommandScope scope) {
    return resolveCommandIcon(id, scope).icon;
}

QStringList bundledIconFiles() {
    ensureResources();
    QStringList files;
    QDirIterator it(QString(kResourceRoot) + QStringLiteral("/actions"), {QStringLiteral("*.svg")},
                    QDir::Files);
    while (it.hasNext()) {
        files << it.next();
    }
    files.sort();
    return files;
}

QIcon applicationIcon() {
    ensureResources();
    return QIcon(QString(kResourceRoot) + QStringLiteral("/apps/korvel.svg"));
}

QString chooseFallbackIconTheme(const QStringList& searchPaths) {
    for (const char* theme : kFallbackThemes) {
        if (themeInstalled(QString::fromLatin1(theme), searchPaths)) {
            return QString::fromLatin1(theme);
        }
    }
    return {};
}

void installApplicationIcons() {
    // Minimal platforms (offscreen, some embedded ones) search only the resources; the
    // freedesktop folders are where the themes are installed.
    QStringList searchPaths = QIcon::themeSearchPaths();
    QStringList standardFolders =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                  QStandardPaths::LocateDirectory);
    standardFolders.prepend(QDir::homePath() + QStringLiteral("/.icons"));
    for (const QString& folder : standardFolders) {
        if (!searchPaths.contains(folder) && QFileInfo(folder).isDir()) {
            searchPaths << folder;
        }
    }
    QIcon::setThemeSearchPaths(searchPaths);
    const QString fallback = chooseFallbackIconTheme(searchPaths);
    if (!fallback.isEmpty()) {
        QIcon::setFallbackThemeName(fallback);
        // A bare desktop names no theme, or only "hicolor", which holds application icons
        // and no actions; the fallback then becomes the theme itself.
        const QString current = QIcon::themeName();
        if (current.isEmpty() || current == QStringLiteral("hicolor") ||
            !themeInstalled(current, searchPaths)) {
            QIcon::setThemeName(fallback);
        }
    }
    QGuiApplication::setWindowIcon(applicationIcon());
}

}  // namespace korvel::res
