#pragma once

// The steps of the image-processing commands that are more than one call on the picture:
// the list mappings of Rotate and Resample, Decrease Bpp with its optimised palette, the
// Ellipse transform, Crop, the dialog previews, and the five filter kernels.

#include "document/ImageDialogs.h"
#include "image/KxImage.h"

#include <QPoint>

#include <array>
#include <span>
#include <vector>

namespace korvel::document {

// Rotate with p0 = angle x 1000, p1, p2 = list positions, p3 = keep the size.
bool rotatePicture(KxImage& picture, const OperationParameters& p);
// Resample with p0 x p1 pixels and p2 = interpolation list position.
bool resamplePicture(KxImage& picture, const OperationParameters& p);
// Decrease Bpp with p0 = bpp, p1 = optimised palette, p2 = error diffusion, p3 = colours.
bool decreaseBpp(KxImage& picture, const OperationParameters& p);

// Maps every target pixel back to a point of an ellipse inscribed in the source.
bool ellipseTransform(KxImage& picture);

// Crops to a selection: to the turned rectangle when `outline` is a Shift rectangle of
// five points (picture coordinates, y downwards), else to the selection's bounding box.
bool cropToSelection(KxImage& picture, const std::vector<QPoint>& outline, bool rectangle);

// Corner, lengths and angle (radians) of a possibly turned five-point rectangle, y downwards.
struct TurnedRectangle {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    float angle = 0.0f;
};
TurnedRectangle turnedRectangle(const std::vector<QPoint>& outline);

// A copy at most `longest` pixels on its longer side, for a dialog's previews.
KxImage previewCopy(const KxImage& picture, int longest = 200);
// The scale Mix uses for its preview: min(200 / longer side, 1).
double previewScale(const KxImage& picture, int longest = 200);
// The Mix preview of `source` on `destination` with the dialog's settings.
KxImage mixPreview(const KxImage& destination, const KxImage& source, const MixSettings& s);

// A convolution kernel of the Filters menu, row by row from the top.
struct FilterKernel {
    int command;
    int size;
    std::array<int, 25> values;
    int divisor;
    int offset;
};
std::span<const FilterKernel> filterKernels();
const FilterKernel* filterKernel(int command);

}  // namespace korvel::document
