// The selection mask: rectangles and polygons added to it, its bounding box, clearing.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "image/ops/KxImageOps.h"
#include "image/ops/OpsInternal.h"

namespace kxops {

using namespace detail;

bool SelectionAddRect(KxImage& img, RECT r) {
    if (!img.IsValid()) {
        SetError(img, kErrorEmpty);
        return false;
    }
    const int32_t w = img.GetWidth(), h = img.GetHeight();
    const int32_t left = std::clamp(std::min(r.left, r.right), 0, w);
    const int32_t right = std::clamp(std::max(r.left, r.right), 0, w);
    const int32_t bottom = std::clamp(std::min(r.top, r.bottom), 0, h);
    const int32_t top = std::clamp(std::max(r.top, r.bottom), 0, h);
    if (left >= right || bottom >= top)
        return false;
    if (!img.SelectionCreate())
        return false;
    for (int32_t y = bottom; y < top; ++y)
        std::memset(SelectionRow(img, y) + left, 255, size_t(right - left));
    return true;
}

bool SelectionAddPolygon(KxImage& img, const POINT* points, int32_t npoints) {
    if (!img.IsValid()) {
        SetError(img, kErrorEmpty);
        return false;
    }
    if (points == nullptr || npoints < 3) {
        SetError(img, kErrorParameter);
        return false;
    }
    const int32_t w = img.GetWidth(), h = img.GetHeight();
    int32_t ymin = points[0].y, ymax = points[0].y;
    for (int32_t i = 1; i < npoints; ++i) {
        ymin = std::min(ymin, points[i].y);
        ymax = std::max(ymax, points[i].y);
    }
    if (!img.SelectionCreate())
        return false;
    bool any = false;
    std::vector<double> crossings;
    // Scan every row through its pixel centres; pixels between pairs of crossings are inside.
    for (int32_t y = std::max(0, ymin); y <= std::min(h - 1, ymax); ++y) {
        const double cy = y + 0.5;
        crossings.clear();
        for (int32_t i = 0; i < npoints; ++i) {
            const POINT& a = points[i];
            const POINT& b = points[(i + 1) % npoints];
            if ((a.y <= cy && b.y > cy) || (b.y <= cy && a.y > cy))
                crossings.push_back(a.x + (cy - a.y) * (b.x - a.x) / double(b.y - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        uint8_t* mask = SelectionRow(img, y);
        for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
            // Pixel x is inside when its centre x + 0.5 lies in [from, to).
            const int32_t x0 = std::max(0, static_cast<int32_t>(std::ceil(crossings[k] - 0.5)));
            const int32_t x1 = std::min(w, static_cast<int32_t>(std::ceil(crossings[k + 1] - 0.5)));
            if (x1 > x0) {
                std::memset(mask + x0, 255, size_t(x1 - x0));
                any = true;
            }
        }
    }
    return any;
}

bool SelectionGetBox(const KxImage& img, RECT& r) {
    r = RECT{0, 0, 0, 0};
    if (!img.IsValid() || !img.SelectionIsValid())
        return false;
    const int32_t w = img.GetWidth(), h = img.GetHeight();
    int32_t left = w, right = -1, bottom = h, top = -1;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* mask = SelectionRow(img, y);
        const uint8_t* first = std::find_if(mask, mask + w, [](uint8_t v) { return v != 0; });
        if (first == mask + w)
            continue;
        const uint8_t* last = mask + w - 1;
        while (*last == 0)
            --last;
        left = std::min<int32_t>(left, static_cast<int32_t>(first - mask));
        right = std::max<int32_t>(right, static_cast<int32_t>(last - mask));
        bottom = std::min(bottom, y);
        top = std::max(top, y);
    }
    if (right < 0)
        return false;
    r = RECT{left, top + 1, right + 1, bottom};
    return true;
}

bool SelectionClear(KxImage& img) {
    if (!img.SelectionIsValid())
        return false;
    std::memset(img.SelectionGetPointer(), 0, size_t(img.GetWidth()) * img.GetHeight());
    return true;
}

}  // namespace kxops
