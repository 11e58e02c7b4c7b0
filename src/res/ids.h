#pragma once

// Every numeric id of the application: commands, private messages, resources, controls,
// strings and timers.
//
// Name scheme:
//   ID_   command ids (menus, toolbars, accelerators)
//   MSG_  private window-message numbers (carried by framework::Message)
//   IDR_  menu, toolbar, accelerator and document-template resources
//   IDD_  dialog resources;  IDC_ their controls (IDC_<DIALOG>_<CONTROL>)
//   IDB_  bitmaps;  IDI_ icons;  IDCUR_ cursors
//   IDS_  string-table entries;  IDT_ timer ids;  IDW_ child-window ids
//   HINT_ view-update hints
//
// Some numbers serve two roles (a command and the string of its prompt, a menu and a
// toolbar of the same resource number); each role has its own constant. The camera window
// reuses a few numbers of the image menus for its own commands (32985, 32994 to 32998);
// the command routing of each window keeps them apart.

namespace korvel::res {

// ---------------------------------------------------------------------------------------
// Resources: menus, toolbars, accelerators, document template
// ---------------------------------------------------------------------------------------

inline constexpr int IDR_MAINFRAME = 128;  // main frame and camera window: menu, title, icon
inline constexpr int IDR_MAINFRAME_MENU = 128;
inline constexpr int IDR_MAINFRAME_ACCEL = 128;
inline constexpr int IDR_TOOLBAR_STANDARD = 128;
inline constexpr int IDR_KORVEL_TYPE = 129;  // document template, menu of image documents
inline constexpr int IDR_IMAGE_MENU = 129;
inline constexpr int IDR_IMAGE_CONTEXT_MENU = 142;    // "KxImage" picture context menu
inline constexpr int IDR_BROWSER_CONTEXT_MENU = 223;  // thumbnail list: "&Delete"
inline constexpr int IDR_CALIBRATE_TABLE_MENU = 233;  // drop-down of "Calibrate Table"
inline constexpr int IDR_TOOLBAR_CAMERA = 171;
inline constexpr int IDR_TOOLBAR_MEASURE = 197;
inline constexpr int IDR_TOOLBAR_IMAGE = 218;
// Drop-downs of the camera toolbar's split buttons (same numbers as their buttons).
inline constexpr int IDR_CAMERA_SNAP_MENU = 1230;
inline constexpr int IDR_CAMERA_RESOLUTION_MENU = 1231;
inline constexpr int IDR_CAMERA_VIDEO_MENU = 1234;
inline constexpr int IDR_CAMERA_WHITE_BALANCE_MENU = 1261;

// ---------------------------------------------------------------------------------------
// Commands: application and file handling
// ---------------------------------------------------------------------------------------

inline constexpr int ID_SEPARATOR = 0;
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PRINT_SETUP = 57606;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_FILE_MRU_FILE1 = 57616;  // first of the nine recent-file entries
inline constexpr int ID_FILE_MRU_FILE9 = 57624;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_HELP_DOCUMENT = 32975;  // opens the help document (string 1241)
inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;

// ---------------------------------------------------------------------------------------
// Commands: edit
// ---------------------------------------------------------------------------------------

inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_EDIT_REDO = 57644;
inline constexpr int ID_EDIT_DUPLICATE = 32776;
inline constexpr int ID_EDIT_CAPTURE = 32789;  // "Capture...": window capture
inline constexpr int ID_IMAGE_DELETE = 1236;   // forwards ID_BROWSER_DELETE to the browser

// ---------------------------------------------------------------------------------------
// Commands: main frame view and workspace
// ---------------------------------------------------------------------------------------

inline constexpr int ID_VIEW_MENU_STYLE_DEFAULT = 32846;
inline constexpr int ID_VIEW_MENU_STYLE_XP = 32847;
inline constexpr int ID_VIEW_FULLSCREEN = 32872;
inline constexpr int ID_VIEW_HISTOGRAM = 32876;
inline constexpr int ID_VIEW_LONG_EXPOSURE = 32922;
inline constexpr int ID_TOOLS_CUSTOMIZE = 35001;
// The tab commands of the workspace, offered to the MDI area before normal routing.
inline constexpr int ID_WORKSPACE_TAB_FIRST = 9420;
inline constexpr int ID_WORKSPACE_TAB_LAST = 9423;

// ---------------------------------------------------------------------------------------
// Commands: image view display, zoom and tools
// ---------------------------------------------------------------------------------------

inline constexpr int ID_VIEW_STRETCH = 32771;
inline constexpr int ID_VIEW_SMOOTH = 32919;
inline constexpr int ID_VIEW_MAGNIFIER = 32785;
inline constexpr int ID_VIEW_ZOOM_IN = 32786;
inline constexpr int ID_VIEW_ZOOM_OUT = 32787;
inline constexpr int ID_VIEW_ZOOM_NORMAL = 32788;  // "Normal Viewing (1:1)"
inline constexpr int ID_VIEW_ZOOM_LIST = 32993;    // the zoom combo box
inline constexpr int ID_TOOL_MOVE = 32869;
inline constexpr int ID_TOOL_SELECT = 32871;
inline constexpr int ID_TOOL_ZOOM = 32874;
inline constexpr int ID_TOOL_TEXT = 32886;
inline constexpr int ID_TOOL_TRACKER = 32916;

// ---------------------------------------------------------------------------------------
// Commands: image processing that changes the picture on the worker thread
// ---------------------------------------------------------------------------------------

inline constexpr int ID_IMAGE_MIRROR = 32774;
inline constexpr int ID_IMAGE_FLIP = 32775;
inline constexpr int ID_IMAGE_NEGATIVE = 32777;
inline constexpr int ID_IMAGE_GRAYSCALE = 32778;
inline constexpr int ID_IMAGE_ROTATE_LEFT = 32855;
inline constexpr int ID_IMAGE_ROTATE_RIGHT = 32856;
inline constexpr int ID_IMAGE_ROTATE = 32779;
inline constexpr int ID_IMAGE_RESAMPLE = 32794;
inline constexpr int ID_IMAGE_SKEW = 32915;
inline constexpr int ID_IMAGE_DECREASE_BPP = 32795;
inline constexpr int ID_IMAGE_INCREASE_BPP = 32796;
inline constexpr int ID_IMAGE_DITHER = 32798;
inline constexpr int ID_IMAGE_THRESHOLD = 32799;
inline constexpr int ID_IMAGE_COLORIZE = 32808;
inline constexpr int ID_IMAGE_LIGHTEN = 32809;
inline constexpr int ID_IMAGE_DARKEN = 32810;
inline constexpr int ID_IMAGE_MORE_CONTRAST = 32811;
inline constexpr int ID_IMAGE_LESS_CONTRAST = 32900;
inline constexpr int ID_IMAGE_LIGHT_CONTRAST_GAMMA = 32920;
inline constexpr int ID_FILTER_EMBOSS = 32812;
inline constexpr int ID_FILTER_BLUR = 32813;
inline constexpr int ID_FILTER_SOFTEN = 32814;
inline constexpr int ID_FILTER_SHARPEN = 32815;
inline constexpr int ID_FILTER_EDGE_LINEAR = 32816;
inline constexpr int ID_FILTER_GAUSSIAN_3X3 = 32896;
inline constexpr int ID_FILTER_GAUSSIAN_5X5 = 32897;
inline constexpr int ID_FILTER_ERODE = 32817;
inline constexpr int ID_FILTER_DILATE = 32818;
inline constexpr int ID_FILTER_EDGE_NONLINEAR = 32914;
inline constexpr int ID_FILTER_MEDIAN = 32864;
inline constexpr int ID_FILTER_ADD_NOISE = 32865;
inline constexpr int ID_FILTER_CONTOUR = 32898;
inline constexpr int ID_FILTER_JITTER = 32901;
inline constexpr int ID_FILTER_PINCH = 32904;
inline constexpr int ID_FILTER_PUNCH = 32905;
inline constexpr int ID_FILTER_TWIRL = 32906;
inline constexpr int ID_FILTER_CYLINDER = 32907;
inline constexpr int ID_FILTER_BATHROOM = 32909;
inline constexpr int ID_HISTOGRAM_STRETCH = 32889;
inline constexpr int ID_HISTOGRAM_STRETCH1 = 32911;
inline constexpr int ID_HISTOGRAM_STRETCH2 = 32912;
inline constexpr int ID_HISTOGRAM_EQUALIZE = 32890;
inline constexpr int ID_HISTOGRAM_NORMALIZE = 32891;
inline constexpr int ID_HISTOGRAM_LOG = 32894;
inline constexpr int ID_HISTOGRAM_ROOT = 32895;

// ---------------------------------------------------------------------------------------
// Commands: image processing run directly, alpha channel and transparency
// ---------------------------------------------------------------------------------------

inline constexpr int ID_IMAGE_CROP = 32848;
inline constexpr int ID_IMAGE_ELLIPSE_TRANSFORM = 32772;
inline constexpr int ID_IMAGE_PSEUDO_COLORS = 32803;
inline constexpr int ID_IMAGE_PALETTE = 32877;
inline constexpr int ID_IMAGE_REPAIR = 32883;
inline constexpr int ID_IMAGE_OPTIONS = 32797;
inline constexpr int ID_IMAGE_SET_TRANSPARENCY = 32792;
inline constexpr int ID_IMAGE_REMOVE_TRANSPARENCY = 32793;
inline constexpr int ID_ALPHA_OPACITY = 32851;
inline constexpr int ID_ALPHA_REMOVE = 32850;
inline constexpr int ID_ALPHA_INVERT = 32852;
inline constexpr int ID_ALPHA_PALETTE_TOGGLE = 32853;
inline constexpr int ID_ALPHA_STRIP = 32854;
inline constexpr int ID_ALPHA_FROM_LIGHTNESS = 32888;
inline constexpr int ID_ALPHA_SPLIT = 32885;

// ---------------------------------------------------------------------------------------
// Commands: image processing that creates new documents
// ---------------------------------------------------------------------------------------

inline constexpr int ID_IMAGE_SPLIT_RGB = 32800;
inline constexpr int ID_IMAGE_SPLIT_YUV = 32801;
inline constexpr int ID_IMAGE_SPLIT_HSL = 32802;
inline constexpr int ID_IMAGE_SPLIT_CMYK = 32887;
inline constexpr int ID_IMAGE_SPLIT_YIQ = 32881;
inline constexpr int ID_IMAGE_SPLIT_XYZ = 32882;
inline constexpr int ID_IMAGE_COMBINE = 32879;
inline constexpr int ID_IMAGE_FFT = 32880;
inline constexpr int ID_IMAGE_MIX = 32903;
inline constexpr int ID_IMAGE_JPEG_COMPRESSION = 32918;

// ---------------------------------------------------------------------------------------
// Commands: measurement
// ---------------------------------------------------------------------------------------

inline constexpr int ID_MEASURE_SCALE_LINE = 32978;
inline constexpr int ID_MEASURE_CALIBRATE = 32959;
inline constexpr int ID_MEASURE_CALIBRATE_TABLE = 233;   // split button with menu 233
inline constexpr int ID_MEASURE_CALIBRATE_LIST = 32994;  // "List": the calibration list
                                                         // placeholder of menu 233
inline constexpr int ID_MEASURE_SELECT = 32969;
inline constexpr int ID_MEASURE_LINE = 32961;
inline constexpr int ID_MEASURE_PARALLEL = 32995;
inline constexpr int ID_MEASURE_PERPENDICULAR = 32996;
inline constexpr int ID_MEASURE_RECTANGLE = 32962;
inline constexpr int ID_MEASURE_CIRCLE_TWO_POINT = 32966;
inline constexpr int ID_MEASURE_CIRCLE_THREE_POINT = 32965;
inline constexpr int ID_MEASURE_CIRCLE_DIAMETER = 32997;
inline constexpr int ID_MEASURE_CIRCLE_CONCENTRIC = 32998;
inline constexpr int ID_MEASURE_POLYGON = 32964;
inline constexpr int ID_MEASURE_ANGLE = 32967;
inline constexpr int ID_MEASURE_COUNT = 32973;
inline constexpr int ID_MEASURE_REMARK = 32968;
inline constexpr int ID_MEASURE_ARC = 32985;
inline constexpr int ID_MEASURE_PRECISION = 32992;
inline constexpr int ID_MEASURE_DELETE = 32970;
inline constexpr int ID_MEASURE_TABLE = 32971;
inline constexpr int ID_MEASURE_KEEP_CURRENT = 32972;
// Calibration list entries, added after the placeholder while the popup opens.
inline constexpr int ID_MEASURE_CALIBRATION_FIRST = 33003;
inline constexpr int ID_MEASURE_CALIBRATION_REMOVE_LAST = 33007;
inline constexpr int ID_MEASURE_CALIBRATION_LAST = 33008;

// ---------------------------------------------------------------------------------------
// Commands: image browser
// ---------------------------------------------------------------------------------------

inline constexpr int ID_BROWSER_DELETE = 32987;  // "&Delete" of menu 223 and the Delete key

// ---------------------------------------------------------------------------------------
// Commands: camera window
// ---------------------------------------------------------------------------------------

inline constexpr int ID_CAMERA_TOGGLE_TOOLBAR = 32979;  // F11
inline constexpr int ID_CAMERA_PREVIEW = 6003;
inline constexpr int ID_CAMERA_SNAP = 1230;
inline constexpr int ID_CAMERA_RESOLUTION = 1231;
inline constexpr int ID_CAMERA_RECORD = 1234;
inline constexpr int ID_CAMERA_AUTO_WHITE_BALANCE = 1261;
inline constexpr int ID_CAMERA_WHITE_BALANCE_WIZARD = 32994;
inline constexpr int ID_CAMERA_QUICK_WHITE_BALANCE = 32995;
inline constexpr int ID_CAMERA_AREA_WHITE_BALANCE_SAVE_GAINS = 32997;  // "Area WhiteBalance"
inline constexpr int ID_CAMERA_QUICK_BLACK_BALANCE = 32998;
inline constexpr int ID_CAMERA_AREA_WHITE_BALANCE = 32927;
inline constexpr int ID_CAMERA_BLACK_BALANCE = 32940;
inline constexpr int ID_CAMERA_EXPOSURE = 32928;
inline constexpr int ID_CAMERA_PROPERTY = 32930;
inline constexpr int ID_CAMERA_SNAP_CONFIG = 32999;
inline constexpr int ID_CAMERA_VIDEO_CONFIG = 33001;
inline constexpr int ID_CAMERA_RESOLUTION_CONFIG = 33002;
inline constexpr int ID_CAMERA_IMAGE_BROWSER = 32923;
inline constexpr int ID_CAMERA_VIDEO_CUT = 32983;
inline constexpr int ID_CAMERA_VIDEO_RESTORE = 32984;
inline constexpr int ID_CAMERA_FULLSCREEN = 32985;
inline constexpr int ID_CAMERA_IMAGE_SIZE = 32986;  // leaves full screen
inline constexpr int ID_CAMERA_BACK_CORRECTION = 32938;
inline constexpr int ID_INDICATOR_BRIGHTNESS = 32988;  // status pane with the brightness bar

// ---------------------------------------------------------------------------------------
// Status bar indicators and panes
// ---------------------------------------------------------------------------------------

inline constexpr int ID_INDICATOR_CAPS = 59137;
inline constexpr int ID_INDICATOR_NUM = 59138;
inline constexpr int ID_INDICATOR_SCRL = 59139;
inline constexpr int ID_INDICATOR_BLANK = 59142;   // one blank wide
inline constexpr int ID_INDICATOR_TIME = 59143;    // "Time (s): %.3f"
inline constexpr int ID_INDICATOR_FORMAT = 59144;  // three-letter format name
inline constexpr int ID_INDICATOR_SIZE = 59145;    // "(%dx%dx%d)"

// ---------------------------------------------------------------------------------------
// Private messages: main frame
// ---------------------------------------------------------------------------------------

inline constexpr int MSG_CAMERA_ARRIVED = 1270;  // first = camera type id
inline constexpr int MSG_CAMERA_REMOVED = 1271;  // first = camera type id
inline constexpr int MSG_FILE_SAVED = 1304;      // second = path of the written file
inline constexpr int MSG_OPEN_CAMERA = 1313;

// ---------------------------------------------------------------------------------------
// Private messages: camera window, its sheets and pages
// ---------------------------------------------------------------------------------------

inline constexpr int MSG_CAMERA_OPEN = 1282;  // first = background correction applied
inline constexpr int MSG_CAMERA_CLOSE = 1283;
inline constexpr int MSG_TAKE_SNAPSHOT = 1284;        // first = index in the series
inline constexpr int MSG_QUICK_WHITE_BALANCE = 1285;  // exposure page -> settings sheet
inline constexpr int MSG_CLOSE_SETTINGS_SHEET = 1288;
inline constexpr int MSG_READ_BACK_ALL = 1298;
inline constexpr int MSG_EXPOSURE_POPUP_CLOSING = 1300;  // first = 1: lost activation
inline constexpr int MSG_APPLY_ALL = 1301;
inline constexpr int MSG_CLOSE_SAVE_CONFIG = 1302;
inline constexpr int MSG_SNAPSHOT_SERIES_ENDED = 1303;
inline constexpr int MSG_CAPTURE_FINISHED = 1304;  // second = path, none when cancelled
inline constexpr int MSG_FRAME_BRIGHTNESS = 1305;  // first = mean brightness 0..255
inline constexpr int MSG_SET_EXPOSURE = 1314;      // first = exposure value
inline constexpr int MSG_STATUS_TEXT = 1315;       // second = text for status pane 0
inline constexpr int MSG_BLACK_BALANCE = 1316;     // exposure page -> settings sheet
inline constexpr int MSG_CONTROL_CREATED = 1327;   // command-bar control creation notice

// ---------------------------------------------------------------------------------------
// Private messages: controls
// ---------------------------------------------------------------------------------------

// Page slider of the camera pages: first = control id, second = position.
inline constexpr int MSG_SLIDER_MOVING = 10449;  // 0x28D1, while dragged
inline constexpr int MSG_SLIDER_MOVED = 10450;   // 0x28D2, drag or key move ended
// Exposure-time entry control: notification to the parent (first = control id).
inline constexpr int MSG_TIME_CHANGE = 0x001E;
// Requests the time-entry control's children post to the control itself.
inline constexpr int MSG_TIME_EDIT_MINUTES = 1568;
inline constexpr int MSG_TIME_EDIT_SECONDS = 1569;
inline constexpr int MSG_TIME_EDIT_MILLISECONDS = 1570;
inline constexpr int MSG_TIME_SYNC_SLIDER = 1571;
inline constexpr int MSG_TIME_DIGIT_TYPED = 1572;  // first = the character

// ---------------------------------------------------------------------------------------
// Private messages: image browser and image view
// ---------------------------------------------------------------------------------------

inline constexpr int MSG_FOLDER_SELECTED = 3543;  // tree -> list, first = 2
inline constexpr int MSG_POPULATE_TREE = 1318;    // list -> tree, first = 2
inline constexpr int MSG_OPERATION_FINISHED = 0x401;
inline constexpr int MSG_OPERATION_PROGRESS = 0x402;  // first = percentage

// View-update hints.
inline constexpr int HINT_REPAINT = 0;
inline constexpr int HINT_FULL_REFRESH = 1025;

// ---------------------------------------------------------------------------------------
// Child windows of the frames
// ---------------------------------------------------------------------------------------

inline constexpr int IDW_STATUS_BAR = 59393;
inline constexpr int IDW_PANE_FIRST = 0xE900;  // the camera window's preview window
inline constexpr int IDW_RULER_HORIZONTAL = 1232;
inline constexpr int IDW_RULER_VERTICAL = 1233;
inline constexpr int IDW_PREVIEW_SURFACE = 1234;  // drawing surface inside the preview
inline constexpr int IDW_FOLDER_PANE = 1235;
inline constexpr int IDW_THUMBNAIL_LIST = 103;

// ---------------------------------------------------------------------------------------
// Dialogs
// ---------------------------------------------------------------------------------------

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_CAPTURE = 138;
inline constexpr int IDD_SNAP_PAGE = 140;
inline constexpr int IDD_HISTOGRAM = 154;
inline constexpr int IDD_PROGRESS = 180;
inline constexpr int IDD_EXPOSURE_POPUP = 181;
inline constexpr int IDD_IMAGE_ADJUST_PAGE = 182;
inline constexpr int IDD_PARAMETER_PAGE = 183;
inline constexpr int IDD_EXPOSURE_PAGE = 184;
inline constexpr int IDD_CAMERA_SETTINGS = 185;
inline constexpr int IDD_VIDEO_PAGE = 206;
inline constexpr int IDD_SAVE_CONFIG = 207;
inline constexpr int IDD_RECT_SELECTION = 222;
inline constexpr int IDD_RESOLUTION_PAGE = 234;
inline constexpr int IDD_MAGNIFIER = 235;
inline constexpr int IDD_WHITE_BALANCE_WIZARD = 236;
inline constexpr int IDD_SELECT_CAMERA = 6000;

// ---------------------------------------------------------------------------------------
// Controls: common buttons
// ---------------------------------------------------------------------------------------

inline constexpr int IDC_OK = 1067;      // sheets and the selection overlay
inline constexpr int IDC_CANCEL = 1031;  // sheets and the selection overlay

// Capture dialog (138).
inline constexpr int IDC_CAPTURE_WINDOW_LIST = 1001;

// Histogram window (154).
inline constexpr int IDC_HISTOGRAM_LOG = 1006;

// Progress window (180).
inline constexpr int IDC_PROGRESS_BAR = 1229;
inline constexpr int IDC_PROGRESS_CANCEL = 1093;

// Select Camera (6000).
inline constexpr int IDC_SELECT_CAMERA_LIST = 6002;

// Camera settings sheet (185) and save configuration sheet (207).
inline constexpr int IDC_SHEET_TAB_PLACE = 1056;

// Exposure page (184).
inline constexpr int IDC_EXPOSURE_GROUP = 1076;
inline constexpr int IDC_EXPOSURE_AUTO = 1023;
inline constexpr int IDC_EXPOSURE_MANUAL = 1022;
inline constexpr int IDC_EXPOSURE_TARGET_SLIDER = 1005;
inline constexpr int IDC_EXPOSURE_TARGET_DARK = 1031;
inline constexpr int IDC_EXPOSURE_TARGET_BRIGHT = 1032;
inline constexpr int IDC_EXPOSURE_TIME_ENTRY = 1021;
inline constexpr int IDC_EXPOSURE_TIME_LABEL = 1029;
inline constexpr int IDC_EXPOSURE_TIME_SLIDER = 1002;
inline constexpr int IDC_EXPOSURE_SET_TIME = 1118;
inline constexpr int IDC_EXPOSURE_GAIN_LABEL = 1030;
inline constexpr int IDC_EXPOSURE_GAIN_SLIDER = 1009;
inline constexpr int IDC_EXPOSURE_GAIN_TEXT = 1051;
inline constexpr int IDC_EXPOSURE_WB_GROUP = 1077;
inline constexpr int IDC_EXPOSURE_WHITE_BALANCE = 1047;
inline constexpr int IDC_EXPOSURE_BLACK_BALANCE = 1093;
inline constexpr int IDC_EXPOSURE_DEFAULT = 1007;

// Exposure pop-up (181).
inline constexpr int IDC_POPUP_AUTO_EXPOSURE = 1037;
inline constexpr int IDC_POPUP_EXPOSURE_SLIDER = 1080;
inline constexpr int IDC_POPUP_SET = 1119;

// Image-adjust page (182).
inline constexpr int IDC_ADJUST_GROUP = 1075;
inline constexpr int IDC_ADJUST_GAMMA_SLIDER = 1043;
inline constexpr int IDC_ADJUST_GAMMA_EDIT = 1018;
inline constexpr int IDC_ADJUST_CONTRAST_SLIDER = 1044;
inline constexpr int IDC_ADJUST_CONTRAST_EDIT = 1003;
inline constexpr int IDC_ADJUST_SATURATION_SLIDER = 1006;
inline constexpr int IDC_ADJUST_SATURATION_EDIT = 1049;
inline constexpr int IDC_ADJUST_SATURATION_LABEL = 1066;
inline constexpr int IDC_ADJUST_COLOR_ENHANCEMENT = 1057;
inline constexpr int IDC_ADJUST_MONOCHROME = 1060;
inline constexpr int IDC_ADJUST_FLIP_GROUP = 1090;
inline constexpr int IDC_ADJUST_H_FLIP = 1058;
inline constexpr int IDC_ADJUST_V_FLIP = 1059;
inline constexpr int IDC_ADJUST_BACK_CORRECTION_GROUP = 1088;
inline constexpr int IDC_ADJUST_USE_BACK_CORRECTION = 1089;

// Parameter page (183).
inline constexpr int IDC_PARAM_RGB_GROUP = 1070;
inline constexpr int IDC_PARAM_RED_SLIDER = 1012;
inline constexpr int IDC_PARAM_RED_EDIT = 1015;
inline constexpr int IDC_PARAM_GREEN_SLIDER = 1013;
inline constexpr int IDC_PARAM_GREEN_EDIT = 1016;
inline constexpr int IDC_PARAM_BLUE_SLIDER = 1014;
inline constexpr int IDC_PARAM_BLUE_EDIT = 1017;
inline constexpr int IDC_PARAM_SPEED_GROUP = 1071;
inline constexpr int IDC_PARAM_NORMAL_SPEED = 1058;
inline constexpr int IDC_PARAM_HIGH_SPEED = 1059;
inline constexpr int IDC_PARAM_FREQUENCY_GROUP = 1072;
inline constexpr int IDC_PARAM_50HZ = 1060;
inline constexpr int IDC_PARAM_60HZ = 1061;
inline constexpr int IDC_PARAM_QUALITY_GROUP = 1073;
inline constexpr int IDC_PARAM_SMOOTH = 1062;
inline constexpr int IDC_PARAM_SHARP = 1063;
inline constexpr int IDC_PARAM_MODE_GROUP = 1074;
inline constexpr int IDC_PARAM_SET_A = 1064;
inline constexpr int IDC_PARAM_SET_B = 1025;
inline constexpr int IDC_PARAM_SET_C = 1065;
inline constexpr int IDC_PARAM_SET_D = 1026;  // not visible: the working set 0
inline constexpr int IDC_PARAM_SAVE = 1027;
inline constexpr int IDC_PARAM_LOAD = 1028;
inline constexpr int IDC_PARAM_LOAD_AT_START = 1069;

// Resolution page (234).
inline constexpr int IDC_RESOLUTION_PREVIEW_LIST = 1091;
inline constexpr int IDC_RESOLUTION_CAPTURE_LIST = 1095;
inline constexpr int IDC_RESOLUTION_LOCK = 1096;

// White Balance Wizard (236).
inline constexpr int IDC_WIZARD_PICTURE = 1094;
inline constexpr int IDC_WIZARD_STEP_PICTURE = 1112;
inline constexpr int IDC_WIZARD_STEP1_TEXT = 1121;
inline constexpr int IDC_WIZARD_STEP2_TEXT = 1122;
inline constexpr int IDC_WIZARD_REFERENCE = 1098;
inline constexpr int IDC_WIZARD_WHITE_BALANCE = 1010;
inline constexpr int IDC_WIZARD_FINISH = 1099;
inline constexpr int IDC_WIZARD_REDO = 1095;
inline constexpr int IDC_WIZARD_REFERENCE_ICON = 1100;
inline constexpr int IDC_WIZARD_WHITE_BALANCE_ICON = 1101;
inline constexpr int IDC_WIZARD_FINISH_ICON = 1102;
inline constexpr int IDC_WIZARD_REDO_ICON = 1103;

// Snap page (140) and video page (206) of the save configuration sheet.
inline constexpr int IDC_SAVE_USE_DIALOG = 1001;
inline constexpr int IDC_SAVE_USE_CONFIG = 1002;
inline constexpr int IDC_SAVE_FILENAME_LABEL = 1015;
inline constexpr int IDC_SAVE_FILENAME = 1004;
inline constexpr int IDC_SAVE_PLUS1 = 1016;
inline constexpr int IDC_SAVE_NUM = 1007;
inline constexpr int IDC_SAVE_PLUS2 = 1017;
inline constexpr int IDC_SAVE_TYPE_LIST = 1008;
inline constexpr int IDC_SAVE_TIME_STAMPED = 1006;
inline constexpr int IDC_SAVE_TIME_LAPSE = 1009;
inline constexpr int IDC_SAVE_SPACE_LABEL = 1019;
inline constexpr int IDC_SAVE_SPACE = 1010;
inline constexpr int IDC_SAVE_COUNT_LABEL = 1020;
inline constexpr int IDC_SAVE_COUNT = 1011;
inline constexpr int IDC_SAVE_FINE_MODE = 1091;
inline constexpr int IDC_SAVE_GROUP1 = 1013;
inline constexpr int IDC_SAVE_GROUP2 = 1014;
inline constexpr int IDC_SAVE_PATH = 1005;
inline constexpr int IDC_SAVE_PATH_LABEL = 1018;
inline constexpr int IDC_SAVE_SNAP_RESOLUTION_LIST = 1090;
inline constexpr int IDC_SAVE_SNAP_RESOLUTION_GROUP = 1021;
inline constexpr int IDC_VIDEO_COMPRESSOR_GROUP = 1087;
inline constexpr int IDC_VIDEO_COMPRESSOR_LIST = 1085;
inline constexpr int IDC_VIDEO_COMPRESSOR_CONFIG = 1086;

// Children of the exposure-time entry control. "N" and the spin button share id 2; they
// are never visible together.
inline constexpr int IDC_TIME_ENTRY_ACCEPT = 1;  // "Y"
inline constexpr int IDC_TIME_ENTRY_SPIN = 2;
inline constexpr int IDC_TIME_ENTRY_REJECT = 2;  // "N"
inline constexpr int IDC_TIME_ENTRY_INPUT = 3;
inline constexpr int IDC_TIME_ENTRY_DISPLAY = 4;
inline constexpr int IDC_TIME_ENTRY_SLIDER = 5;

// ---------------------------------------------------------------------------------------
// Bitmaps, icons, cursors
// ---------------------------------------------------------------------------------------

inline constexpr int IDB_HISTOGRAM_RED = 154;
inline constexpr int IDB_HISTOGRAM_GREEN = 155;
inline constexpr int IDB_HISTOGRAM_BLUE = 156;
inline constexpr int IDB_HISTOGRAM_GRAY = 157;
inline constexpr int IDB_SLIDER_THUMB = 186;
inline constexpr int IDB_SLIDER_THUMB_PRESSED = 187;
inline constexpr int IDB_SLIDER_CHANNEL_BLUE = 188;
inline constexpr int IDB_SLIDER_CHANNEL = 189;
inline constexpr int IDB_SLIDER_CHANNEL_EXPOSURE = 191;
inline constexpr int IDB_SLIDER_CHANNEL_GREEN = 192;
inline constexpr int IDB_SLIDER_CHANNEL_GAIN = 193;
inline constexpr int IDB_SLIDER_CHANNEL_RED = 194;
inline constexpr int IDB_CAMERA_TILE = 195;
inline constexpr int IDB_POPUP_SLIDER_CHANNEL = 199;
inline constexpr int IDB_POPUP_SLIDER_THUMB = 200;
inline constexpr int IDB_POPUP_SLIDER_THUMB_PRESSED = 201;
inline constexpr int IDB_POPUP_SLIDER_DISABLED = 202;
inline constexpr int IDB_NO_PICTURE = 210;
inline constexpr int IDB_SPLASH = 216;
inline constexpr int IDB_LOCK_ON = 233;
inline constexpr int IDB_LOCK_OFF = 234;
inline constexpr int IDB_WIZARD_STEP1 = 250;
inline constexpr int IDB_WIZARD_STEP2 = 251;
inline constexpr int IDI_MAINFRAME = 128;  // also the camera window's icon
inline constexpr int IDI_WIZARD_BUTTON = 239;
inline constexpr int IDCUR_RECT_SELECTION = 228;

// ---------------------------------------------------------------------------------------
// Timers (each is id 1 of its own window)
// ---------------------------------------------------------------------------------------

inline constexpr int IDT_SPLASH = 1;              // 100 ms
inline constexpr int IDT_LONG_EXPOSURE_WAIT = 1;  // 100 ms, preview window
inline constexpr int IDT_MARCHING_ANTS = 1;       // 333 ms, image view
inline constexpr int IDT_MAGNIFIER = 1;           // 100 ms, magnifier window

// ---------------------------------------------------------------------------------------
// Strings
// ---------------------------------------------------------------------------------------

inline constexpr int IDS_MAINFRAME_TITLE = 128;  // "Korvel"
inline constexpr int IDS_DOC_TEMPLATE = 129;
inline constexpr int IDS_CAMERA_SNAP_PROMPT = 1230;
inline constexpr int IDS_CAMERA_RESOLUTION_PROMPT = 1231;
inline constexpr int IDS_CAMERA_RECORD_PROMPT = 1234;
inline constexpr int IDS_FOLDER_PANE = 1235;
inline constexpr int IDS_TOOLBAR_STANDARD = 1237;
inline constexpr int IDS_TOOLBAR_MEASURE = 1238;
inline constexpr int IDS_TOOLBAR_IMAGE = 1239;
inline constexpr int IDS_UNDO = 1240;
inline constexpr int IDS_HELP_DOCUMENT = 1241;
inline constexpr int IDS_FRAME_COUNT = 1242;
inline constexpr int IDS_EXPOSURE_SET_TIME_PROMPT = 1244;
inline constexpr int IDS_EXPOSURE_PROMPT = 1245;
inline constexpr int IDS_START_RECORD_PROMPT = 1246;
inline constexpr int IDS_STOP_RECORD_PROMPT = 1247;
inline constexpr int IDS_TAB_MAIN = 1249;
inline constexpr int IDS_TAB_IMAGE_ADJUST = 1250;
inline constexpr int IDS_TAB_PARAMETER = 1251;
inline constexpr int IDS_TAB_SNAP = 1255;
inline constexpr int IDS_TAB_VIDEO = 1256;
inline constexpr int IDS_ALREADY_RUNNING = 1257;
inline constexpr int IDS_START_PAGE_CANNOT_CLOSE = 1258;
inline constexpr int IDS_CAMERA_TILE_VIDEO = 1259;
inline constexpr int IDS_AUTO_WHITE_BALANCE_PROMPT = 1261;
inline constexpr int IDS_TOOLKIT_NEW_MENU = 9314;
inline constexpr int IDS_TOOLKIT_ALL_COMMANDS = 9337;
inline constexpr int IDS_TOOLKIT_BUILTIN_MENUS = 9350;
inline constexpr int IDS_DELETE_CAPTION = 32981;
inline constexpr int IDS_DELETE_QUESTION = 32982;
inline constexpr int IDS_APP_TITLE = 57344;  // also the settings application key
inline constexpr int IDS_IDLE_MESSAGE = 57345;
inline constexpr int IDS_INDICATOR_CAPS = 59137;
inline constexpr int IDS_INDICATOR_NUM = 59138;
inline constexpr int IDS_INDICATOR_SCRL = 59139;
inline constexpr int IDS_PANE_BLANK = 59142;
inline constexpr int IDS_PANE_TIME = 59143;
inline constexpr int IDS_PANE_FORMAT = 59144;
inline constexpr int IDS_PANE_SIZE = 59145;
inline constexpr int IDS_SAVE_FILE = 0xF001;
inline constexpr int IDS_SAVE_FILE_COPY = 0xF004;
inline constexpr int IDS_TAB_RESOLUTION = 61446;
inline constexpr int IDS_PATH_CANNOT_SAVE = 61451;
inline constexpr int IDS_FILE_NOT_EXISTS = 61452;
inline constexpr int IDS_WIZARD_STEP1 = 61453;
inline constexpr int IDS_WIZARD_STEP2 = 61454;

}  // namespace korvel::res
