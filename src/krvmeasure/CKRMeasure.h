#pragma once

// The measurement library's one class: an object per picture view that keeps the
// measurement items of that picture, draws them, takes the view's mouse input and opens the
// library's dialogs. The measuring mode is shared by all objects (the Measure menu selects it
// for the whole program), hence the class functions MenuItemEvent and GetCurSelItem.
//
// Coordinates: mouse points are display pixels relative to the picture's top-left corner
// (zoomed, with the scroll position added); SetScale gives display pixels per picture pixel.

#include "krvmeasure/CalibrationBook.h"
#include "krvmeasure/ItemBuilder.h"
#include "krvmeasure/ItemRenderer.h"
#include "krvmeasure/MeasureDialogs.h"
#include "krvmeasure/MeasureItem.h"
#include "krvmeasure/MeasurementTable.h"
#include "krvmeasure/ToolState.h"

#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QPainter;

class CKRMeasure {
public:
    // `view`: the window the items are drawn in and whose cursor the library sets; it parents
    // the dialogs and is repainted when items change. May be null (nothing is repainted).
    explicit CKRMeasure(QWidget* view);
    virtual ~CKRMeasure();
    CKRMeasure(const CKRMeasure&) = delete;
    CKRMeasure& operator=(const CKRMeasure&) = delete;

    // Makes the library's cursors; once per run, after the main window is shown.
    static void CreateCursor();

    // Whether DrawAllUnit draws the scale line (0 or 1).
    void ScaleLine(int show);
    // Display pixels per picture pixel for the next drawing and mouse points.
    void SetScale(float scale);
    // While on, texts, marks and line widths are sized by `factor` (paper, saved files) and
    // DrawAllUnit reads its size as the extent of the picture drawn at (0, 0); off restores
    // screen sizing.
    void SetInfoFrmZoom(int on, float factor);
    // Draws every item (and the scale line when enabled). On screen `size` is the picture's
    // top-left corner on the painter; with SetInfoFrmZoom on it is the drawn picture's size
    // and the picture starts at (0, 0).
    void DrawAllUnit(QPainter* dc, QSize size);

    void OnMouseMove(QPoint point);
    void OnLButtonDown(QPoint point);
    void OnLButtonUp(QPoint point);
    void OnLButtonDblClk(QPoint point);

    // Carries out a Measure menu item code for `measure` (the active document's object).
    // Non-zero when the library entered that mode or performed the action.
    static int MenuItemEvent(unsigned code, CKRMeasure* measure);
    // The selection index of the current mode (0 select, 1 line, … 13 perpendicular).
    static unsigned GetCurSelItem();

    // The names of the calibrations, in order; may be empty. Valid until the next call.
    const std::vector<QString>* GetActiveCalibrateList();
    // Makes the calibration at `index` of that list the current one.
    void SetActiveCalibrateList(unsigned index);

    // --- Beyond the binding: the model, for the library's tests and tools. ---------------

    // Replaces the dialogs (tests answer them without a window).
    void SetDialogs(std::unique_ptr<krvmeasure::MeasureDialogs> dialogs);
    // Adds a finished item; false (nothing added) when it is degenerate.
    bool AddItem(const krvmeasure::MeasureItem& item);
    std::vector<krvmeasure::MeasureItem> Items() const;
    int SelectedItem() const { return selected_; }
    const krvmeasure::Calibration& ActiveCalibration() const;
    int Precision() const;
    krvmeasure::MeasurementTable Table() const;
    // Whether Keep Current Measure is on: drawing modes stay after an item is finished.
    static bool IsKeepCurrentMeasure();

private:
    struct StoredItem {
        krvmeasure::MeasureItem item;
        QRectF outline;
        QPointF anchor;
        krvmeasure::PreparedLabel label;
        quint64 labelGeneration = 0;  // 0 = not prepared
        int labelFontPixels = 0;
        qreal labelPixelRatio = 0;
    };
    enum class Drag { None, Handle, Body, ScaleBar };

    void syncWithTool();
    void finishItem(krvmeasure::MeasureItem item, krvmeasure::Tool tool);
    void calibrateWithLine(double pixelLength);
    bool editCalibrationTable();
    bool editPrecision();
    void showTable();
    void deleteItem(int index);
    void changeItem(int index, const krvmeasure::MeasureItem& item);
    int itemAt(QPointF picture, double tolerance) const;
    int handleAt(QPointF picture, double tolerance) const;
    void calibrationsChanged(bool saved);
    void labelsChanged();
    void showPendingLoadError();
    void updateCursor(QPointF picture);
    void repaint();
    // The item under construction for `tool`, begun when none is; false for tools that
    // build no item.
    bool startBuilder(krvmeasure::Tool tool);
    QPointF toPicture(QPoint point) const;
    double clickTolerance() const;
    void prepareLabel(StoredItem& stored, int number, const QFont& font, qreal pixelRatio);

    QPointer<QWidget> view_;
    std::unique_ptr<krvmeasure::MeasureDialogs> dialogs_;
    krvmeasure::CalibrationBook book_;
    QString pendingLoadError_;  // told at the first menu command

    std::vector<StoredItem> items_;
    quint64 labelGeneration_ = 1;
    std::optional<krvmeasure::ItemBuilder> builder_;
    krvmeasure::Tool builderTool_ = krvmeasure::Tool::Select;
    int countItem_ = -1;  // the count item clicks add to; -1 = a click starts a new one

    int selected_ = -1;
    Drag drag_ = Drag::None;
    int dragHandle_ = -1;
    QPointF dragStart_;
    krvmeasure::MeasureItem dragOriginal_;
    QPointF scaleBarOriginal_;

    double scale_ = 1;
    bool sizedByFactor_ = false;
    double sizeFactor_ = 1;
    bool showScaleLine_ = true;
    std::optional<QPointF> scaleBarAnchor_;  // picture pixels; none = the default corner
    QRectF scaleBarArea_;                    // picture pixels, as last drawn on screen
    int cursorShape_ = -1;
};
