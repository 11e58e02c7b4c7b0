#pragma once

// The selection outline the select tool draws: free-hand points, or a Shift rectangle of
// five points, in picture coordinates with y downwards; and the marching-ants pattern.

#include <QPoint>

#include <vector>

namespace korvel::document {

class SelectionOutline {
public:
    static constexpr int kCapacity = 8000;
    static constexpr int kAppendLimit = 7998;  // points are appended while fewer are in use

    const std::vector<QPoint>& points() const { return points_; }
    bool isRectangle() const { return rectangle_; }
    void clear();

    // Free-hand: one more point while the outline has room.
    void append(QPoint point);
    // Shift drag: the first move sets the corner, later moves the closed rectangle.
    void dragRectangle(QPoint point);
    // Closes a free-hand outline by repeating its first point.
    void close();
    // Moves every point by the difference (Ctrl + right drag).
    void translate(QPoint delta);
    // Rotates a five-point rectangle about `centre` (right drag), from full-precision
    // corners so that small steps do not accumulate rounding.
    void rotate(double centreX, double centreY, double angle, const double (&corners)[5][2]);

    // The outline as the picture counts rows: from the bottom.
    std::vector<QPoint> bottomUp(int pictureHeight) const;

private:
    std::vector<QPoint> points_;
    bool rectangle_ = false;
};

// Whether dash position `counter` (starting at the ants phase) is white: four white, four
// black, repeating every eight pixels.
inline bool antsPixelIsWhite(int counter) {
    return (counter % 8) + 1 <= 4;
}

}  // namespace korvel::document
