// The string table: fixed texts of the application and the prompts of its commands.
// A prompt is "status-bar text\ntooltip"; the part after the line break may be missing.

#include "res/Resources.h"
#include "res/ids.h"

#include <algorithm>

namespace korvel::res {
namespace {

constexpr StringEntry kStrings[] = {
    // Application, frame and document template.
    {IDS_MAINFRAME_TITLE, "Korvel"},
    {IDS_DOC_TEMPLATE, "\nKorvel\nKorvel\n\n\nKorvel.Document\nKorvel Document"},
    {IDS_APP_TITLE, "Korvel 7.1.1.2 eng"},
    {IDS_IDLE_MESSAGE, "Ready"},
    {IDS_ALREADY_RUNNING, "Korvel is running!"},
    // The separator is the full-width comma U+FF0C; the literal is split so that the
    // escape does not swallow the following letter.
    {IDS_START_PAGE_CANNOT_CLOSE,
     "Start Page\xEF\xBC\x8C"
     "Cannot close!"},
    {IDS_HELP_DOCUMENT, "Korvel.pdf"},
    {IDS_UNDO, "Undo"},
    {IDS_SAVE_FILE, "Save As"},
    {IDS_SAVE_FILE_COPY, "Save Copy As"},

    // Command bars, panes and status bar.
    {IDS_FOLDER_PANE, "Folder \n Folder"},
    {IDS_TOOLBAR_STANDARD, "Standard"},
    {IDS_TOOLBAR_MEASURE, "Measure"},
    {IDS_TOOLBAR_IMAGE, "Image"},
    {IDS_TOOLKIT_NEW_MENU, "New Menu"},
    {IDS_TOOLKIT_ALL_COMMANDS, "All Commands"},
    {IDS_TOOLKIT_BUILTIN_MENUS, "Built-in Menus"},
    {IDS_INDICATOR_CAPS, "CAP"},
    {IDS_INDICATOR_NUM, "NUM"},
    {IDS_INDICATOR_SCRL, "SCRL"},
    // The pane strings only size their panes: 1, 28, 8 and 28 blanks.
    {IDS_PANE_BLANK, " "},
    {IDS_PANE_TIME, "                            "},
    {IDS_PANE_FORMAT, "        "},
    {IDS_PANE_SIZE, "                            "},

    // Image browser.
    {IDS_CAMERA_TILE_VIDEO, "Video"},
    {IDS_DELETE_CAPTION, "Attention"},
    {IDS_DELETE_QUESTION, "Do you want to delete the image?"},
    {IDS_FILE_NOT_EXISTS, "This file not exists!"},

    // Camera window, its sheets and the capture path.
    {IDS_FRAME_COUNT, "Frame Count: "},
    {IDS_EXPOSURE_SET_TIME_PROMPT, "Camera Exposure\nSet Time"},
    {IDS_EXPOSURE_PROMPT, "Camera Exposure\nExposure"},
    {IDS_START_RECORD_PROMPT, "Camera Record\nStart Record"},
    {IDS_STOP_RECORD_PROMPT, "Camera Record\nStop Record"},
    {IDS_TAB_MAIN, "Main"},
    {IDS_TAB_IMAGE_ADJUST, "Image Adjust"},
    {IDS_TAB_PARAMETER, "Parameter"},
    {IDS_TAB_SNAP, "Snap"},
    {IDS_TAB_VIDEO, "Video"},
    {IDS_TAB_RESOLUTION, "Resolution"},
    {IDS_PATH_CANNOT_SAVE, "This path can't save image!"},
    {IDS_WIZARD_STEP1, "Step1:Move the sample out of the view, then click the button of balance"},
    {IDS_WIZARD_STEP2, "Step2:Move the sample back , then click the button of finish"},

    // Camera commands (prompts of the camera toolbar).
    {ID_CAMERA_SNAP, "Camera Snap\nSnap"},
    {ID_CAMERA_RESOLUTION, "Camera Resolution\nResolution"},
    {ID_CAMERA_RECORD, "Camera Record\nRecord"},
    {ID_CAMERA_AUTO_WHITE_BALANCE, "Auto White Balance\nAuto WB"},
    {ID_CAMERA_AREA_WHITE_BALANCE, "Area White Balance\nArea WB"},
    {ID_CAMERA_BLACK_BALANCE, "Camera Black Balance\nB.Balance"},
    {ID_CAMERA_EXPOSURE, "Camera Exposure\nExposure"},
    {ID_CAMERA_PROPERTY, "Camera Property\nProperty"},
    {ID_CAMERA_SNAP_CONFIG, "Config..."},
    {ID_CAMERA_VIDEO_CONFIG, "Config..."},
    {ID_CAMERA_RESOLUTION_CONFIG, "Config..."},
    {ID_CAMERA_IMAGE_BROWSER, "Camera Image Browser\n Browser"},
    {ID_CAMERA_VIDEO_CUT, "Video Cut\nCut"},
    {ID_CAMERA_VIDEO_RESTORE, "Video Restore\nRestore"},
    {ID_CAMERA_IMAGE_SIZE, "Image Size\nImage Size"},
    {ID_CAMERA_PREVIEW, "Camera Preview\nPreview"},
    {ID_CAMERA_BACK_CORRECTION, "Camera Back Correction\nBK Correction"},
    {ID_CAMERA_TOGGLE_TOOLBAR, "Show or hide the camera toolbar\nCamera Toolbar"},
    {ID_VIEW_LONG_EXPOSURE, "Camera Preview\n Long Exposure"},

    // File and application commands.
    {ID_FILE_NEW, "Create a new document\nNew"},
    {ID_FILE_OPEN, "Open an existing image file\nOpen"},
    {ID_FILE_CLOSE, "Close the active image\nClose"},
    {ID_FILE_SAVE, "Save the active image\nSave"},
    {ID_FILE_SAVE_AS, "Save the active image with a new name or format\nSave As"},
    {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
    {ID_FILE_PRINT, "Print the active image\nPrint"},
    {ID_FILE_PRINT_PREVIEW, "Display full pages\nPrint Preview"},
    {ID_FILE_MRU_FILE1, "Open this image"},
    {ID_APP_ABOUT, "Display program information and version number\nAbout"},
    {ID_APP_EXIT, "Quit the application; prompts to save images\nExit"},
    {ID_HELP_DOCUMENT, "Open the user's guide\nHelp"},
    {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
    {ID_PREV_PANE, "Switch back to the previous window pane\nPrevious Pane"},

    // Edit commands.
    {ID_EDIT_UNDO, "Undo the last action\nUndo"},
    {ID_EDIT_REDO, "Redo the previously undone action\nRedo"},
    {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard\nCut"},
    {ID_EDIT_COPY, "Copy the image and put it on the Clipboard\nCopy"},
    {ID_EDIT_PASTE, "Open the Clipboard image as a new image\nPaste"},
    {ID_EDIT_DUPLICATE, "Open a copy of the active image\nDuplicate"},
    {ID_EDIT_CAPTURE, "Capture the desktop or a window as a new image\nCapture"},
    {ID_IMAGE_DELETE, "Delete the selected image files\nImage Delete"},
    {ID_BROWSER_DELETE, "Delete the selected image files\nDelete"},

    // Workspace and view commands.
    {ID_VIEW_MENU_STYLE_DEFAULT, "Show menus and toolbars in the default style\nDefault"},
    {ID_VIEW_MENU_STYLE_XP, "Show menus and toolbars in the XP style\nXP"},
    {ID_VIEW_FULLSCREEN, "Show the workspace on the whole screen\nFull Screen"},
    {ID_VIEW_HISTOGRAM, "Show the histogram of the active image\nHistogram"},
    {ID_TOOLS_CUSTOMIZE, "Customize toolbars and menus\nCustomize"},
    {ID_VIEW_STRETCH, "Stretch the image to the window\nStretch mode"},
    {ID_VIEW_SMOOTH, "Draw the zoomed image smoothly\nSmooth"},
    {ID_VIEW_MAGNIFIER, "Show the magnifier window\nMagnifier"},
    {ID_VIEW_ZOOM_IN, "Enlarge the image\nZoom In"},
    {ID_VIEW_ZOOM_OUT, "Reduce the image\nZoom Out"},
    {ID_VIEW_ZOOM_NORMAL, "Show the image at its own size\nNormal Viewing (1:1)"},
    {ID_VIEW_ZOOM_LIST, "Choose or type a zoom factor\nZoom"},
    {ID_TOOL_MOVE, "Move the image with the mouse\nMove"},
    {ID_TOOL_SELECT, "Select a region; hold Shift for a rectangle\nSelect"},
    {ID_TOOL_ZOOM, "Zoom in with the left button, out with the right button\nZoom"},
    {ID_TOOL_TEXT, "Place text into the image\nText"},
    {ID_TOOL_TRACKER, "Select a rectangle with a resizable frame\nTracker"},

    // Image commands.
    {ID_IMAGE_MIRROR, "Mirror the image left to right\nMirror"},
    {ID_IMAGE_FLIP, "Flip the image upside down\nFlip"},
    {ID_IMAGE_NEGATIVE, "Invert the colours of the image\nNegative"},
    {ID_IMAGE_GRAYSCALE, "Convert the image to grey levels\nGray Scale"},
    {ID_IMAGE_ROTATE_LEFT, "Rotate the image 90 degrees to the left\nRotate Left"},
    {ID_IMAGE_ROTATE_RIGHT, "Rotate the image 90 degrees to the right\nRotate Right"},
    {ID_IMAGE_ROTATE, "Rotate the image by any angle\nRotate"},
    {ID_IMAGE_RESAMPLE, "Change the size of the image\nResample"},
    {ID_IMAGE_SKEW, "Skew the image\nSkew"},
    {ID_IMAGE_DECREASE_BPP, "Reduce the number of colours\nDecrease Bpp"},
    {ID_IMAGE_INCREASE_BPP, "Increase the colour depth\nIncrease Bpp"},
    {ID_IMAGE_DITHER, "Dither the image to black and white\nDither"},
    {ID_IMAGE_THRESHOLD, "Convert the image to black and white at a level\nThreshold"},
    {ID_IMAGE_COLORIZE, "Tint the image or shift its colours\nColorize"},
    {ID_IMAGE_LIGHTEN, "Make the image lighter\nLighten"},
    {ID_IMAGE_DARKEN, "Make the image darker\nDarken"},
    {ID_IMAGE_MORE_CONTRAST, "Increase the contrast\nMore Contrast"},
    {ID_IMAGE_LESS_CONTRAST, "Decrease the contrast\nLess Contrast"},
    {ID_IMAGE_LIGHT_CONTRAST_GAMMA, "Adjust lightness, contrast and gamma\nLight/Contrast/Gamma"},
    {ID_IMAGE_CROP, "Crop the image to the selection\nCrop"},
    {ID_IMAGE_ELLIPSE_TRANSFORM, "Map the image onto an ellipse\nEllipse transform"},
    {ID_IMAGE_PSEUDO_COLORS, "Show grey levels as colours\nPseudo Colors"},
    {ID_IMAGE_PALETTE, "Show, load, save or edit the palette\nPalette"},
    {ID_IMAGE_REPAIR, "Repair noisy or damaged areas\nRepair"},
    {ID_IMAGE_OPTIONS, "JPEG quality, resolution and file format options\nOptions"},
    {ID_IMAGE_SET_TRANSPARENCY,
     "Click a colour of the image to make it transparent\nSet Transparency"},
    {ID_IMAGE_REMOVE_TRANSPARENCY, "Remove the transparent colour\nRemove Transparency"},
    {ID_ALPHA_OPACITY, "Set the opacity of the image\nOpacity"},
    {ID_ALPHA_REMOVE, "Remove the alpha channel\nRemove Alpha Channel"},
    {ID_ALPHA_INVERT, "Invert the alpha channel\nInvert Alpha Channel"},
    {ID_ALPHA_PALETTE_TOGGLE, "Use or ignore the alpha of the palette\nToggle Alpha Palette"},
    {ID_ALPHA_STRIP, "Blend the alpha channel into the image\nStrip Alpha Channel"},
    {ID_ALPHA_FROM_LIGHTNESS, "Create the alpha channel from the lightness\nCreate from lightness"},
    {ID_ALPHA_SPLIT, "Open the alpha channel as a new image\nSplit Alpha Channel"},
    {ID_IMAGE_SPLIT_RGB, "Split the image into red, green and blue images\nSplit to RGB"},
    {ID_IMAGE_SPLIT_YUV, "Split the image into Y, U and V images\nSplit to YUV"},
    {ID_IMAGE_SPLIT_HSL, "Split the image into hue, saturation and lightness\nSplit to HSL"},
    {ID_IMAGE_SPLIT_CMYK, "Split the image into C, M, Y and K images\nSplit to CMYK"},
    {ID_IMAGE_SPLIT_YIQ, "Split the image into Y, I and Q images\nSplit to YIQ"},
    {ID_IMAGE_SPLIT_XYZ, "Split the image into X, Y and Z images\nSplit to XYZ"},
    {ID_IMAGE_COMBINE, "Combine channel images into a new image\nCombine"},
    {ID_IMAGE_FFT, "Fourier transform of images\nFFT"},
    {ID_IMAGE_MIX, "Mix two images into a new image\nMix"},
    {ID_IMAGE_JPEG_COMPRESSION, "Show the image after JPEG compression\nJPEG compression"},

    // Filters and histogram commands.
    {ID_FILTER_EMBOSS, "Emboss the image\nEmboss"},
    {ID_FILTER_BLUR, "Blur the image\nBlur"},
    {ID_FILTER_SOFTEN, "Soften the image\nSoften"},
    {ID_FILTER_SHARPEN, "Sharpen the image\nSharpen"},
    {ID_FILTER_EDGE_LINEAR, "Find edges with a linear filter\nEdge (Linear)"},
    {ID_FILTER_GAUSSIAN_3X3, "Gaussian blur over 3 x 3 pixels\nGaussian 3x3"},
    {ID_FILTER_GAUSSIAN_5X5, "Gaussian blur over 5 x 5 pixels\nGaussian 5x5"},
    {ID_FILTER_ERODE, "Erode bright areas\nErode"},
    {ID_FILTER_DILATE, "Dilate bright areas\nDilate"},
    {ID_FILTER_EDGE_NONLINEAR, "Find edges with a non-linear filter\nEdge (Non Linear)"},
    {ID_FILTER_MEDIAN, "Remove noise with a median filter\nMedian"},
    {ID_FILTER_ADD_NOISE, "Add random noise\nAdd Noise"},
    {ID_FILTER_CONTOUR, "Trace the contours\nContour"},
    {ID_FILTER_JITTER, "Scatter the pixels\nJitter"},
    {ID_FILTER_PINCH, "Pinch the image towards its centre\nPinch"},
    {ID_FILTER_PUNCH, "Push the image out from its centre\nPunch"},
    {ID_FILTER_TWIRL, "Twirl the image around its centre\nTwirl"},
    {ID_FILTER_CYLINDER, "Wrap the image around a cylinder\nCylinder"},
    {ID_FILTER_BATHROOM, "Look through bathroom glass\nBathroom"},
    {ID_HISTOGRAM_STRETCH, "Stretch the histogram\nStretch"},
    {ID_HISTOGRAM_STRETCH1, "Stretch the histogram per channel\nStretch1"},
    {ID_HISTOGRAM_STRETCH2, "Stretch the histogram, ignoring outliers\nStretch2"},
    {ID_HISTOGRAM_EQUALIZE, "Equalize the histogram\nEqualize"},
    {ID_HISTOGRAM_NORMALIZE, "Normalize the histogram\nNormalize"},
    {ID_HISTOGRAM_LOG, "Logarithmic histogram mapping\nLog"},
    {ID_HISTOGRAM_ROOT, "Square-root histogram mapping\nRoot"},

    // Measurement commands.
    {ID_MEASURE_SCALE_LINE, "Show or hide the scale line\nShow Scale Line"},
    {ID_MEASURE_CALIBRATE, "Calibrate the measurement\nCalibrate"},
    {ID_MEASURE_CALIBRATE_TABLE, "Edit the calibration table\nCalibrate Table"},
    {ID_MEASURE_CALIBRATE_LIST, "Choose a calibration\nList"},
    {ID_MEASURE_SELECT, "Select measurements\nSelect"},
    {ID_MEASURE_LINE, "Measure a line\nLine (Normal)"},
    {ID_MEASURE_PARALLEL, "Measure the distance of parallel lines\nParallen"},
    {ID_MEASURE_PERPENDICULAR, "Measure a perpendicular\nPerpendicular"},
    {ID_MEASURE_RECTANGLE, "Measure a rectangle\nRectangle"},
    {ID_MEASURE_CIRCLE_TWO_POINT, "Measure a circle by centre and radius\nTwo Point Circle"},
    {ID_MEASURE_CIRCLE_THREE_POINT, "Measure a circle through three points\nThree Point Circle"},
    {ID_MEASURE_CIRCLE_DIAMETER, "Measure a circle by its diameter\nDiameter Circle"},
    {ID_MEASURE_CIRCLE_CONCENTRIC, "Measure concentric circles\nConcentric Circle"},
    {ID_MEASURE_POLYGON, "Measure a polygon\nPolygon"},
    {ID_MEASURE_ANGLE, "Measure an angle\nAngle"},
    {ID_MEASURE_COUNT, "Count points\nCount"},
    {ID_MEASURE_REMARK, "Place a remark\nRemark"},
    {ID_MEASURE_ARC, "Measure an arc\nArc"},
    {ID_MEASURE_PRECISION, "Set the measurement precision\nPrecision"},
    {ID_MEASURE_DELETE, "Delete measurements\nDelete"},
    {ID_MEASURE_TABLE, "Show the table of measurements\nMeasure Table"},
    {ID_MEASURE_KEEP_CURRENT, "Keep the current measuring tool\nKeep Current Measure"},
};

// The camera window's own meaning of numbers that the image menus use as well.
constexpr StringEntry kCameraStrings[] = {
    {ID_CAMERA_WHITE_BALANCE_WIZARD, "Wizard WhiteBalance "},
    {ID_CAMERA_QUICK_WHITE_BALANCE, "Quick WhiteBalance"},
    {ID_CAMERA_AREA_WHITE_BALANCE_SAVE_GAINS, "Area WhiteBalance"},
    {ID_CAMERA_QUICK_BLACK_BALANCE, "Quick BlackBalance"},
    {ID_CAMERA_FULLSCREEN, "Show the live picture on the whole screen\nFull Screen"},
};

const StringEntry* find(std::span<const StringEntry> table, int id) {
    const auto it = std::find_if(table.begin(), table.end(),
                                 [id](const StringEntry& entry) { return entry.id == id; });
    return it == table.end() ? nullptr : &*it;
}

}  // namespace

std::span<const StringEntry> stringTable() {
    return kStrings;
}

std::span<const StringEntry> cameraStringTable() {
    return kCameraStrings;
}

QString loadString(int id) {
    const StringEntry* entry = find(kStrings, id);
    return entry ? QString::fromUtf8(entry->text) : QString();
}

QString loadString(int id, CommandScope scope) {
    if (scope == CommandScope::Camera) {
        if (const StringEntry* entry = find(kCameraStrings, id)) {
            return QString::fromUtf8(entry->text);
        }
    }
    return loadString(id);
}

}  // namespace korvel::res
