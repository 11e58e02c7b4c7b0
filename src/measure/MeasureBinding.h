#pragma once

// One picture document's side of the measurement library: the library object its view
// made, and the values the document keeps for the Measure menu's check marks. The view
// routes its mouse input and draws the overlay through it; the document carries out the
// Measure commands and burns the overlay into saved files with it.

#include "measure/MeasureCommands.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

class CKRMeasure;
class QPainter;
class QWidget;

namespace korvel::measure {

// A client point as the library takes it: display pixels from the picture's top-left
// corner with the scroll position added (client − image rectangle origin + scroll). None
// when the point lies outside the picture, on the grey margin.
std::optional<QPoint> pictureDisplayPoint(QPoint client, QRect imageRect, QPoint scroll);

// The size factor of texts and marks in a saved file: 1 at a zoom of 1 or more, else
// 0.9 ÷ zoom, so that they read as they did on screen.
float savedSizeFactor(float zoom);

// The picture to write with its measurements drawn in.
struct BurnedPicture {
    // The overlay drew something. When false the file is written from the picture itself,
    // which keeps its depth, palette and transparency.
    bool drawn = false;
    // The picture with the overlay, opaque; null when `drawn` and there was no memory.
    QImage image;
};

class MeasureBinding {
public:
    enum class Mouse { Move, Press, Release, DoubleClick };

    MeasureBinding();
    ~MeasureBinding();
    MeasureBinding(const MeasureBinding&) = delete;
    MeasureBinding& operator=(const MeasureBinding&) = delete;

    // The library object; null until the view made it, and always for the Start Page.
    CKRMeasure* measure() const { return measure_.get(); }
    // Made by the picture's view: the object draws in `view` and shows the scale line as
    // the application's setting says, which the document's flag starts from.
    void create(QWidget* view, int showScaleLine);
    // The Start Page measures nothing.
    void release();

    // The values behind the check marks.
    int currentItem() const { return currentItem_; }
    unsigned selectionIndex() const { return selectionIndex_; }
    bool keepMeasure() const { return keepMeasure_; }
    bool scaleLineShown() const { return scaleLine_; }

    // Sends the command's item code. When the library accepts, `tool` becomes the measure
    // tool and the stored values follow; when it refuses nothing changes. True if accepted.
    bool execute(const MeasureCommand& command, int& tool);
    bool isChecked(const MeasureCommand& command, int tool) const;

    // Show Scale Line: toggles the document's flag, tells the library; the new flag.
    bool toggleScaleLine();

    // Makes calibration `index` of the library's list current; nothing when the list is
    // shorter.
    void chooseCalibration(unsigned index);

    // Passes a mouse event on while the tool is the measure tool and the point lies on
    // the picture; true when it went to the library. `zoom` is the scale the point is
    // divided by (a zoom may come before the next paint).
    bool route(Mouse kind, int tool, QPoint client, QRect imageRect, QPoint scroll, float zoom);

    // After the picture on screen: the items at `zoom`, the picture's corner at
    // `imageTopLeft` in the painter's coordinates.
    void drawOnScreen(QPainter& painter, float zoom, QPoint imageTopLeft);
    // After the picture on paper, drawn from (0, 0) at `printSize`. `zoom` is the screen's,
    // which the mouse keeps using afterwards.
    void drawOnPaper(QPainter& painter, QSize printSize, int pictureWidth, float zoom);
    // The picture as saved: `drawPicture` paints it at natural size over the workspace
    // grey, then the items are drawn over it.
    BurnedPicture burn(QSize picture, const std::function<void(QPainter&)>& drawPicture,
                       float zoom);

private:
    std::unique_ptr<CKRMeasure> measure_;
    int currentItem_ = kInitialItem;
    unsigned selectionIndex_ = 0;
    bool keepMeasure_ = false;
    bool scaleLine_ = false;
};

}  // namespace korvel::measure
