// Menus, toolbars and the accelerator table.
//
// Menu texts carry their keyboard mnemonic ("&") and, after a tab, the shortcut that the
// accelerator table binds, as the menus of a Windows application show them. Texts that
// are quoted elsewhere as they appear on screen ("Capture...", "Config...") are kept
// exactly as they are.

#include "res/Resources.h"
#include "res/ids.h"

namespace korvel::res {
namespace {

constexpr MenuEntry popup(const char* title) {
    return {MenuEntryKind::Popup, 0, title};
}
constexpr MenuEntry item(int id, const char* text) {
    return {MenuEntryKind::Item, id, text};
}
constexpr MenuEntry separator() {
    return {MenuEntryKind::Separator, 0, nullptr};
}
constexpr MenuEntry end() {
    return {MenuEntryKind::End, 0, nullptr};
}

// ---------------------------------------------------------------------------------------
// Menu 128: the main frame while no image document is active.
// ---------------------------------------------------------------------------------------

constexpr MenuEntry kMainFrameMenu[] = {
    popup("&File"),
    item(ID_FILE_NEW, "&New\tCtrl+N"),
    item(ID_FILE_OPEN, "&Open...\tCtrl+O"),
    separator(),
    item(ID_FILE_PRINT_SETUP, "P&rint Setup..."),
    separator(),
    item(ID_FILE_MRU_FILE1, "Recent File"),
    separator(),
    item(ID_APP_EXIT, "E&xit"),
    end(),

    popup("&Edit"),
    item(ID_EDIT_PASTE, "&Paste\tCtrl+V"),
    item(ID_EDIT_CAPTURE, "Capture..."),
    end(),

    popup("&View"),
    item(ID_VIEW_FULLSCREEN, "Full Screen"),
    item(ID_VIEW_HISTOGRAM, "Histogram"),
    separator(),
    item(ID_VIEW_LONG_EXPOSURE, "&Long Exposure"),
    item(ID_CAMERA_TOGGLE_TOOLBAR, "Camera Tool&bar\tF11"),
    separator(),
    popup("Menu St&yle"),
    item(ID_VIEW_MENU_STYLE_DEFAULT, "Default"),
    item(ID_VIEW_MENU_STYLE_XP, "XP"),
    end(),
    item(ID_TOOLS_CUSTOMIZE, "&Customize..."),
    end(),

    popup("&Help"),
    item(ID_HELP_DOCUMENT, "&Help"),
    separator(),
    item(ID_APP_ABOUT, "&About Korvel..."),
    end(),
};

// ---------------------------------------------------------------------------------------
// Menu 129: image documents (the Start Page included).
// ---------------------------------------------------------------------------------------

constexpr MenuEntry kImageMenu[] = {
    popup("&File"),
    item(ID_FILE_NEW, "&New\tCtrl+N"),
    item(ID_FILE_OPEN, "&Open...\tCtrl+O"),
    item(ID_FILE_CLOSE, "&Close"),
    separator(),
    item(ID_FILE_SAVE, "&Save\tCtrl+S"),
    item(ID_FILE_SAVE_AS, "Save &As..."),
    separator(),
    item(ID_FILE_PRINT, "&Print...\tCtrl+P"),
    item(ID_FILE_PRINT_PREVIEW, "Print Pre&view"),
    item(ID_FILE_PRINT_SETUP, "P&rint Setup..."),
    separator(),
    item(ID_FILE_MRU_FILE1, "Recent File"),
    separator(),
    item(ID_APP_EXIT, "E&xit"),
    end(),

    popup("&Edit"),
    item(ID_EDIT_UNDO, "&Undo\tCtrl+Z"),
    item(ID_EDIT_REDO, "&Redo\tCtrl+Y"),
    separator(),
    item(ID_EDIT_CUT, "Cu&t\tCtrl+X"),
    item(ID_EDIT_COPY, "&Copy\tCtrl+C"),
    item(ID_EDIT_PASTE, "&Paste\tCtrl+V"),
    separator(),
    item(ID_EDIT_DUPLICATE, "&Duplicate\tCtrl+D"),
    item(ID_EDIT_CAPTURE, "Capture..."),
    separator(),
    item(ID_IMAGE_CROP, "C&rop"),
    item(ID_IMAGE_SET_TRANSPARENCY, "Set &Transparency..."),
    item(ID_IMAGE_REMOVE_TRANSPARENCY, "Re&move Transparency"),
    separator(),
    item(ID_IMAGE_DELETE, "Image De&lete"),
    end(),

    popup("&View"),
    popup("&Tools"),
    item(ID_TOOL_MOVE, "&Move"),
    item(ID_TOOL_SELECT, "&Select"),
    item(ID_TOOL_ZOOM, "&Zoom"),
    item(ID_TOOL_TEXT, "&Text..."),
    item(ID_TOOL_TRACKER, "T&racker"),
    end(),
    separator(),
    item(ID_VIEW_ZOOM_IN, "Zoom &In\tNum +"),
    item(ID_VIEW_ZOOM_OUT, "Zoom &Out\tNum -"),
    item(ID_VIEW_ZOOM_NORMAL, "&Normal Viewing (1:1)\tNum /"),
    item(ID_VIEW_ZOOM_LIST, "Zoom &List"),
    separator(),
    item(ID_VIEW_STRETCH, "St&retch mode"),
    item(ID_VIEW_SMOOTH, "Smoot&h"),
    separator(),
    item(ID_VIEW_MAGNIFIER, "Ma&gnifier"),
    item(ID_VIEW_HISTOGRAM, "Histogram"),
    item(ID_VIEW_FULLSCREEN, "Full Screen"),
    separator(),
    item(ID_VIEW_LONG_EXPOSURE, "&Long Exposure"),
    item(ID_CAMERA_TOGGLE_TOOLBAR, "Camera Tool&bar\tF11"),
    separator(),
    popup("Menu St&yle"),
    item(ID_VIEW_MENU_STYLE_DEFAULT, "Default"),
    item(ID_VIEW_MENU_STYLE_XP, "XP"),
    end(),
    item(ID_TOOLS_CUSTOMIZE, "&Customize..."),
    end(),

    popup("&Image"),
    item(ID_IMAGE_MIRROR, "&Mirror"),
    item(ID_IMAGE_FLIP, "&Flip"),
    separator(),
    item(ID_IMAGE_ROTATE_LEFT, "Rotate &Left"),
    item(ID_IMAGE_ROTATE_RIGHT, "Rotate &Right"),
    item(ID_IMAGE_ROTATE, "R&otate..."),
    item(ID_IMAGE_RESAMPLE, "Re&sample..."),
    item(ID_IMAGE_SKEW, "S&kew..."),
    item(ID_IMAGE_ELLIPSE_TRANSFORM, "&Ellipse transform"),
    separator(),
    item(ID_IMAGE_NEGATIVE, "&Negative"),
    item(ID_IMAGE_GRAYSCALE, "&Gray Scale"),
    item(ID_IMAGE_PSEUDO_COLORS, "Pse&udo Colors"),
    separator(),
    item(ID_IMAGE_DECREASE_BPP, "&Decrease Bpp..."),
    item(ID_IMAGE_INCREASE_BPP, "&Increase Bpp..."),
    item(ID_IMAGE_DITHER, "Di&ther..."),
    item(ID_IMAGE_THRESHOLD, "T&hreshold..."),
    item(ID_IMAGE_PALETTE, "&Palette"),
    separator(),
    item(ID_IMAGE_COLORIZE, "&Colorize..."),
    item(ID_IMAGE_LIGHTEN, "Lighten"),
    item(ID_IMAGE_DARKEN, "Darken"),
    item(ID_IMAGE_MORE_CONTRAST, "More Contrast"),
    item(ID_IMAGE_LESS_CONTRAST, "Less Contrast"),
    item(ID_IMAGE_LIGHT_CONTRAST_GAMMA, "Light/Contrast/Gamma..."),
    separator(),
    popup("Histogr&am"),
    item(ID_HISTOGRAM_STRETCH, "&Stretch"),
    item(ID_HISTOGRAM_STRETCH1, "Stretch&1"),
    item(ID_HISTOGRAM_STRETCH2, "Stretch&2"),
    item(ID_HISTOGRAM_EQUALIZE, "&Equalize"),
    item(ID_HISTOGRAM_NORMALIZE, "&Normalize"),
    item(ID_HISTOGRAM_LOG, "&Log"),
    item(ID_HISTOGRAM_ROOT, "&Root"),
    end(),
    popup("Channe&ls"),
    item(ID_IMAGE_SPLIT_RGB, "Split to &RGB"),
    item(ID_IMAGE_SPLIT_YUV, "Split to &YUV"),
    item(ID_IMAGE_SPLIT_HSL, "Split to &HSL"),
    item(ID_IMAGE_SPLIT_CMYK, "Split to &CMYK"),
    item(ID_IMAGE_SPLIT_YIQ, "Split to Y&IQ"),
    item(ID_IMAGE_SPLIT_XYZ, "Split to &XYZ"),
    separator(),
    item(ID_IMAGE_COMBINE, "Co&mbine ..."),
    end(),
    popup("Alpha C&hannel"),
    item(ID_ALPHA_SPLIT, "&Split"),
    item(ID_ALPHA_REMOVE, "&Remove"),
    item(ID_ALPHA_INVERT, "&Invert"),
    item(ID_ALPHA_OPACITY, "&Opacity..."),
    separator(),
    item(ID_ALPHA_PALETTE_TOGGLE, "&Toggle Alpha Palette"),
    item(ID_ALPHA_STRIP, "S&trip"),
    item(ID_ALPHA_FROM_LIGHTNESS, "&Create from lightness"),
    end(),
    separator(),
    item(ID_IMAGE_FFT, "FF&T..."),
    item(ID_IMAGE_MIX, "Mi&x ..."),
    item(ID_IMAGE_JPEG_COMPRESSION, "&JPEG compression ..."),
    separator(),
    item(ID_IMAGE_OPTIONS, "O&ptions..."),
    end(),

    popup("Fi&lters"),
    item(ID_FILTER_EMBOSS, "&Emboss"),
    item(ID_FILTER_BLUR, "&Blur"),
    item(ID_FILTER_SOFTEN, "S&often"),
    item(ID_FILTER_SHARPEN, "S&harpen"),
    item(ID_FILTER_EDGE_LINEAR, "Edge (&Linear)"),
    item(ID_FILTER_GAUSSIAN_3X3, "&Gaussian 3x3"),
    item(ID_FILTER_GAUSSIAN_5X5, "Gaussian &5x5"),
    separator(),
    item(ID_FILTER_ERODE, "E&rode"),
    item(ID_FILTER_DILATE, "&Dilate"),
    item(ID_FILTER_EDGE_NONLINEAR, "Edge (&Non Linear)"),
    item(ID_FILTER_MEDIAN, "&Median"),
    item(ID_FILTER_ADD_NOISE, "Add N&oise"),
    item(ID_FILTER_CONTOUR, "&Contour"),
    item(ID_FILTER_JITTER, "&Jitter"),
    separator(),
    item(ID_FILTER_PINCH, "&Pinch"),
    item(ID_FILTER_PUNCH, "P&unch"),
    item(ID_FILTER_TWIRL, "&Twirl"),
    item(ID_FILTER_CYLINDER, "C&ylinder"),
    item(ID_FILTER_BATHROOM, "B&athroom"),
    separator(),
    item(ID_IMAGE_REPAIR, "Re&pair..."),
    end(),

    popup("&Measure"),
    item(ID_MEASURE_SCALE_LINE, "Show Scale &Line"),
    separator(),
    item(ID_MEASURE_CALIBRATE, "&Calibrate"),
    item(ID_MEASURE_CALIBRATE_TABLE, "Calibrate &Table"),
    popup("Calibration L&ist"),
    item(ID_MEASURE_CALIBRATE_LIST, "List"),
    end(),
    separator(),
    item(ID_MEASURE_SELECT, "&Select"),
    item(ID_MEASURE_LINE, "Line (&Normal)"),
    item(ID_MEASURE_PARALLEL, "&Parallen"),
    item(ID_MEASURE_PERPENDICULAR, "Perpen&dicular"),
    item(ID_MEASURE_RECTANGLE, "&Rectangle"),
    item(ID_MEASURE_CIRCLE_TWO_POINT, "T&wo Point Circle"),
    item(ID_MEASURE_CIRCLE_THREE_POINT, "T&hree Point Circle"),
    item(ID_MEASURE_CIRCLE_DIAMETER, "Dia&meter Circle"),
    item(ID_MEASURE_CIRCLE_CONCENTRIC, "Conc&entric Circle"),
    item(ID_MEASURE_POLYGON, "P&olygon"),
    item(ID_MEASURE_ANGLE, "&Angle"),
    item(ID_MEASURE_COUNT, "Co&unt"),
    item(ID_MEASURE_REMARK, "Remar&k"),
    item(ID_MEASURE_ARC, "Ar&c"),
    separator(),
    item(ID_MEASURE_PRECISION, "Precision"),
    item(ID_MEASURE_DELETE, "Delete"),
    item(ID_MEASURE_TABLE, "Measure Ta&ble"),
    item(ID_MEASURE_KEEP_CURRENT, "&Keep Current Measure"),
    end(),

    popup("&Window"),
    item(ID_NEXT_PANE, "Ne&xt Pane\tF6"),
    item(ID_PREV_PANE, "Pre&vious Pane\tShift+F6"),
    end(),

    popup("&Help"),
    item(ID_HELP_DOCUMENT, "&Help"),
    separator(),
    item(ID_APP_ABOUT, "&About Korvel..."),
    end(),
};

// ---------------------------------------------------------------------------------------
// Context and drop-down menus.
// ---------------------------------------------------------------------------------------

// The picture context menu: its first popup is shown.
constexpr MenuEntry kImageContextMenu[] = {
    popup("KxImage"),
    item(ID_EDIT_UNDO, "&Undo\tCtrl+Z"),
    item(ID_EDIT_REDO, "&Redo\tCtrl+Y"),
    separator(),
    item(ID_EDIT_COPY, "&Copy\tCtrl+C"),
    item(ID_EDIT_DUPLICATE, "&Duplicate\tCtrl+D"),
    item(ID_IMAGE_CROP, "C&rop"),
    separator(),
    item(ID_IMAGE_MIRROR, "&Mirror"),
    item(ID_IMAGE_FLIP, "&Flip"),
    item(ID_IMAGE_ROTATE_LEFT, "Rotate &Left"),
    item(ID_IMAGE_ROTATE_RIGHT, "Rotate R&ight"),
    separator(),
    item(ID_IMAGE_NEGATIVE, "&Negative"),
    item(ID_IMAGE_GRAYSCALE, "&Gray Scale"),
    separator(),
    item(ID_VIEW_ZOOM_IN, "Zoom &In\tNum +"),
    item(ID_VIEW_ZOOM_OUT, "Zoom &Out\tNum -"),
    item(ID_VIEW_ZOOM_NORMAL, "Nor&mal Viewing (1:1)\tNum /"),
    separator(),
    item(ID_FILE_SAVE_AS, "Save &As..."),
    item(ID_FILE_PRINT, "&Print...\tCtrl+P"),
    end(),
};

constexpr MenuEntry kBrowserContextMenu[] = {
    popup("Browser"),
    item(ID_BROWSER_DELETE, "&Delete"),
    end(),
};

constexpr MenuEntry kCalibrateTableMenu[] = {
    popup("Calibrate Table"),
    item(ID_MEASURE_CALIBRATE_LIST, "List"),
    end(),
};

constexpr MenuEntry kCameraSnapMenu[] = {
    popup("Snap"),
    item(ID_CAMERA_SNAP_CONFIG, "Config..."),
    end(),
};

constexpr MenuEntry kCameraResolutionMenu[] = {
    popup("Resolution"),
    item(ID_CAMERA_RESOLUTION_CONFIG, "Config..."),
    end(),
};

constexpr MenuEntry kCameraVideoMenu[] = {
    popup("Video"),
    item(ID_CAMERA_VIDEO_CONFIG, "Config..."),
    end(),
};

constexpr MenuEntry kCameraWhiteBalanceMenu[] = {
    popup("WhiteBalance"),
    item(ID_CAMERA_WHITE_BALANCE_WIZARD, "Wizard WhiteBalance "),
    item(ID_CAMERA_AREA_WHITE_BALANCE_SAVE_GAINS, "Area WhiteBalance"),
    item(ID_CAMERA_QUICK_BLACK_BALANCE, "Quick BlackBalance"),
    item(ID_CAMERA_QUICK_WHITE_BALANCE, "Quick WhiteBalance"),
    end(),
};

// ---------------------------------------------------------------------------------------
// Toolbars (0 = separator).
// ---------------------------------------------------------------------------------------

// The main frame shows and hides controls of this bar by their position counted without
// separators (New, Open, Save As, Undo, Redo, Move, Magnifier, Zoom In, Zoom Out, Zoom
// List, Long Exposure, Image Delete, Help), so that order must not change.
// Separators sit so that both states of the bar read cleanly without extra logic: the
// Start Page shows Open | Long Exposure, Image Delete | Help; an image view shows Open,
// Save As, Undo, Redo | Move ... Zoom List | Help.
// clang-format off
constexpr int kStandardToolbar[] = {
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_EDIT_UNDO, ID_EDIT_REDO,
    0,
    ID_TOOL_MOVE, ID_VIEW_MAGNIFIER, ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_LIST,
    ID_VIEW_LONG_EXPOSURE, ID_IMAGE_DELETE,
    0,
    ID_HELP_DOCUMENT,
};
// clang-format on

constexpr int kMeasureToolbar[] = {
    ID_MEASURE_SCALE_LINE,
    0,
    ID_MEASURE_CALIBRATE,
    ID_MEASURE_CALIBRATE_TABLE,
    0,
    ID_MEASURE_SELECT,
    ID_MEASURE_LINE,
    ID_MEASURE_PARALLEL,
    ID_MEASURE_PERPENDICULAR,
    ID_MEASURE_RECTANGLE,
    ID_MEASURE_CIRCLE_TWO_POINT,
    ID_MEASURE_CIRCLE_THREE_POINT,
    ID_MEASURE_CIRCLE_DIAMETER,
    ID_MEASURE_CIRCLE_CONCENTRIC,
    ID_MEASURE_POLYGON,
    ID_MEASURE_ANGLE,
    ID_MEASURE_COUNT,
    ID_MEASURE_REMARK,
    ID_MEASURE_ARC,
    0,
    ID_MEASURE_PRECISION,
    ID_MEASURE_DELETE,
    ID_MEASURE_TABLE,
    ID_MEASURE_KEEP_CURRENT,
};

constexpr int kImageToolbar[] = {
    ID_TOOL_MOVE,
    ID_TOOL_SELECT,
    ID_TOOL_ZOOM,
    ID_TOOL_TEXT,
    ID_TOOL_TRACKER,
    0,
    ID_IMAGE_CROP,
    0,
    ID_IMAGE_ROTATE_LEFT,
    ID_IMAGE_ROTATE_RIGHT,
    ID_IMAGE_MIRROR,
    ID_IMAGE_FLIP,
    0,
    ID_IMAGE_NEGATIVE,
    ID_IMAGE_GRAYSCALE,
    0,
    ID_IMAGE_LIGHTEN,
    ID_IMAGE_DARKEN,
    ID_IMAGE_MORE_CONTRAST,
    ID_IMAGE_LESS_CONTRAST,
    0,
    ID_FILTER_BLUR,
    ID_FILTER_SHARPEN,
};

constexpr int kCameraToolbar[] = {
    ID_CAMERA_TOGGLE_TOOLBAR,
    ID_CAMERA_PREVIEW,
    ID_CAMERA_RESOLUTION,
    0,
    ID_CAMERA_SNAP,
    ID_CAMERA_RECORD,
    0,
    ID_CAMERA_AUTO_WHITE_BALANCE,
    ID_CAMERA_AREA_WHITE_BALANCE,
    ID_CAMERA_BLACK_BALANCE,
    ID_CAMERA_EXPOSURE,
    0,
    ID_CAMERA_VIDEO_CUT,
    ID_CAMERA_VIDEO_RESTORE,
    ID_CAMERA_FULLSCREEN,
    ID_CAMERA_IMAGE_SIZE,
    0,
    ID_CAMERA_BACK_CORRECTION,
    ID_CAMERA_PROPERTY,
};

// ---------------------------------------------------------------------------------------
// Accelerator table 128, active in every window of the workspace.
// ---------------------------------------------------------------------------------------

constexpr AcceleratorEntry kMainAccelerators[] = {
    {Qt::CTRL | Qt::Key_C, ID_EDIT_COPY},
    {Qt::CTRL | Qt::Key_Insert, ID_EDIT_COPY},
    {Qt::CTRL | Qt::Key_X, ID_EDIT_CUT},
    {Qt::SHIFT | Qt::Key_Delete, ID_EDIT_CUT},
    {Qt::CTRL | Qt::Key_V, ID_EDIT_PASTE},
    {Qt::SHIFT | Qt::Key_Insert, ID_EDIT_PASTE},
    {Qt::CTRL | Qt::Key_Z, ID_EDIT_UNDO},
    {Qt::ALT | Qt::Key_Backspace, ID_EDIT_UNDO},
    {Qt::CTRL | Qt::Key_Y, ID_EDIT_REDO},
    {Qt::CTRL | Qt::Key_N, ID_FILE_NEW},
    {Qt::CTRL | Qt::Key_O, ID_FILE_OPEN},
    {Qt::CTRL | Qt::Key_S, ID_FILE_SAVE},
    {Qt::CTRL | Qt::Key_P, ID_FILE_PRINT},
    {Qt::CTRL | Qt::Key_D, ID_EDIT_DUPLICATE},
    {Qt::KeypadModifier | Qt::Key_Plus, ID_VIEW_ZOOM_IN},
    {Qt::KeypadModifier | Qt::Key_Minus, ID_VIEW_ZOOM_OUT},
    {Qt::KeypadModifier | Qt::Key_Slash, ID_VIEW_ZOOM_NORMAL},
    {QKeyCombination(Qt::Key_F6), ID_NEXT_PANE},
    {Qt::SHIFT | Qt::Key_F6, ID_PREV_PANE},
    {QKeyCombination(Qt::Key_F11), ID_CAMERA_TOGGLE_TOOLBAR},
};

}  // namespace

std::span<const MenuEntry> menuResource(int id) {
    switch (id) {
        case IDR_MAINFRAME_MENU:
            return kMainFrameMenu;
        case IDR_IMAGE_MENU:
            return kImageMenu;
        case IDR_IMAGE_CONTEXT_MENU:
            return kImageContextMenu;
        case IDR_BROWSER_CONTEXT_MENU:
            return kBrowserContextMenu;
        case IDR_CALIBRATE_TABLE_MENU:
            return kCalibrateTableMenu;
        case IDR_CAMERA_SNAP_MENU:
            return kCameraSnapMenu;
        case IDR_CAMERA_RESOLUTION_MENU:
            return kCameraResolutionMenu;
        case IDR_CAMERA_VIDEO_MENU:
            return kCameraVideoMenu;
        case IDR_CAMERA_WHITE_BALANCE_MENU:
            return kCameraWhiteBalanceMenu;
        default:
            return {};
    }
}

std::span<const int> toolbarResource(int id) {
    switch (id) {
        case IDR_TOOLBAR_STANDARD:
            return kStandardToolbar;
        case IDR_TOOLBAR_MEASURE:
            return kMeasureToolbar;
        case IDR_TOOLBAR_IMAGE:
            return kImageToolbar;
        case IDR_TOOLBAR_CAMERA:
            return kCameraToolbar;
        default:
            return {};
    }
}

std::span<const AcceleratorEntry> acceleratorTable(int id) {
    if (id == IDR_MAINFRAME_ACCEL) {
        return kMainAccelerators;
    }
    return {};
}

}  // namespace korvel::res
