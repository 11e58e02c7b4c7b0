#include "document/ViewGeometry.h"

#include <algorithm>

namespace korvel::document {

QRect imageRectangle(QSize client, QSize picture, float zoom) {
    const int width = static_cast<int>(picture.width() * zoom);
    const int height = static_cast<int>(picture.height() * zoom);
    const int x = std::max(0, (client.width() - width) / 2);
    const int y = std::max(0, (client.height() - height) / 2);
    return {x, y, width, height};
}

QPoint clientToImage(QPoint client, const ViewMapping& m) {
    double x = client.x();
    double y = client.y();
    if (!m.stretch) {
        x -= m.imageRect.x();
        y -= m.imageRect.y();
    }
    x = (m.scroll.x() + x) / m.zoom;
    y = (m.scroll.y() + y) / m.zoom;
    if (m.stretch && m.client.width() > 0 && m.client.height() > 0) {
        x *= double(m.picture.width()) / m.client.width();
        y *= double(m.picture.height()) / m.client.height();
    }
    return {static_cast<int>(x), static_cast<int>(y)};
}

}  // namespace korvel::document
