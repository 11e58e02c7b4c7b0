#pragma once

// The scrolling view of an image document: the picture centred, zoomed or stretched over
// a grey background, the pixel readout, and the progress and completion messages of a
// running operation.

#include "document/RectTracker.h"
#include "framework/CView.h"
#include "framework/Message.h"

#include <QBasicTimer>
#include <QImage>
#include <QPointF>
#include <QRect>

#include <cstdint>

class QPrinter;

namespace korvel::document {

class CKorvelDoc;

class CKorvelView : public framework::CView, public framework::MessageTarget {
    Q_OBJECT

public:
    explicit CKorvelView(QWidget* parent = nullptr);
    ~CKorvelView() override;

    CKorvelDoc* document() const;

    // A picture view makes its document's measurement object.
    void OnInitialUpdate() override;
    void OnUpdate(framework::CView* sender, std::intptr_t hint) override;
    void OnActivateView(bool activate) override;
    std::intptr_t onMessage(const framework::Message& message) override;

    // Where the picture was last placed, in client coordinates.
    QRect imageRect() const { return imageRect_; }
    // A client point as a picture point (y downwards).
    QPoint clientToImage(QPoint client) const;
    // Prints the picture on `painter`'s device at the print size.
    void print(QPainter& painter, int printerDpiX, int printerDpiY);
    // Prints the picture on one page of `printer`.
    void printTo(QPrinter& printer);
    // The printed size of a picture: pixels x printer dots per inch x zoom / 96.
    static QSize printSize(QSize picture, int dpiX, int dpiY, float zoom);

    // The readout of the status bar for a client point; a single space outside the picture.
    QString readout(QPoint client) const;

signals:
    // For the rulers of the frame: kind, scroll, cursor, picture rectangle and zoom.
    void rulersChanged(int kind, QPoint scroll, QPoint cursor, QRect imageRect, double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The status bar shows the picture that has the focus.
    void focusInEvent(QFocusEvent* event) override;
    // Escape that reaches the main window while this view is the active one.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Escape stops this document's running operation; true when there was one.
    bool cancelOperation();
    void pickTransparency(QPoint imagePoint);
    void finishSelection();
    void drawAnts(QPainter& painter) const;
    void layoutPicture();
    QPoint scrollPosition() const;
    void registerCommands();
    // The picture as drawn, rebuilt when the picture changed since it was made.
    const QImage& displayImage();
    void applyTracker();

    QRect imageRect_;
    QImage display_;  // the picture as drawn, with its transparency
    std::uint64_t displayGeneration_ = 0;
    bool displayStale_ = true;
    QBasicTimer antsTimer_;
    int antsPhase_ = 0;
    QPoint panScroll_;
    QPoint panClick_;
    std::uint32_t lastMagnifierTick_ = 0;
    // Right-drag of the outline: armed flag, last point, rotation centre and corners.
    bool rightDrag_ = false;
    QPointF lastDrag_;
    QPointF rotationCentre_;
    double corners_[5][2] = {};
    // Tracker tool: its rectangle and handles in client coordinates.
    RectTracker tracker_;
};

}  // namespace korvel::document
