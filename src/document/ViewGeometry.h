#pragma once

// Where the view puts the picture, and how a client point maps to a picture point.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace korvel::document {

// The picture centred in the client area at `zoom` (offsets 0 when it does not fit).
QRect imageRectangle(QSize client, QSize picture, float zoom);

struct ViewMapping {
    QRect imageRect;
    QPoint scroll;
    float zoom = 1.0f;
    bool stretch = false;
    QSize client;
    QSize picture;
};

// A client point as a picture point with y downwards.
QPoint clientToImage(QPoint client, const ViewMapping& mapping);

}  // namespace korvel::document
