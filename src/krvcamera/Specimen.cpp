#include "Specimen.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace krvcamera {

namespace {

// The lamp is warmer than daylight, so an unbalanced camera sees a yellow cast.
constexpr float kLamp[3] = {1.0f, 0.82f, 0.58f};
// Absorbance per unit density of the two stains: a pink cytoplasm stain and a blue-purple
// nuclear stain.
constexpr float kCytoplasmStain[3] = {0.12f, 0.85f, 0.35f};
constexpr float kNucleusStain[3] = {1.1f, 1.4f, 0.45f};

struct Cell {
    float x, y;  // centre, in units of the picture height
    float radiusX, radiusY;
    float angle;
    float nucleusX, nucleusY;  // offset of the nucleus from the centre
    float nucleusRadius;
    float density;
};

std::vector<Cell> makeCells(float aspect) {
    std::mt19937 random(20061208u);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<Cell> cells;
    const int count = static_cast<int>(34 * aspect);
    for (int i = 0; i < count; ++i) {
        Cell cell;
        cell.x = unit(random) * aspect;
        cell.y = unit(random);
        cell.radiusX = 0.035f + 0.04f * unit(random);
        cell.radiusY = cell.radiusX * (0.65f + 0.35f * unit(random));
        cell.angle = unit(random) * std::numbers::pi_v<float>;
        cell.nucleusRadius = 0.3f + 0.2f * unit(random);
        cell.nucleusX = (unit(random) - 0.5f) * 0.4f;
        cell.nucleusY = (unit(random) - 0.5f) * 0.4f;
        cell.density = 0.5f + 0.6f * unit(random);
        cells.push_back(cell);
    }
    return cells;
}

float smoothEdge(float distance) {
    // 1 inside, 0 outside, with a soft rim between 0.85 and 1.
    const float t = std::clamp((1.0f - distance) / 0.15f, 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Cheap hash noise for the grain of the stain.
float grain(int x, int y) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

void paintCell(const Cell& cell, Specimen& specimen, float pixelsPerUnit) {
    const float cx = cell.x * pixelsPerUnit;
    const float cy = cell.y * pixelsPerUnit;
    const float rx = cell.radiusX * pixelsPerUnit;
    const float ry = cell.radiusY * pixelsPerUnit;
    const float reach = std::max(rx, ry) + 2.0f;
    const int x0 = std::max(0, static_cast<int>(cx - reach));
    const int x1 = std::min(specimen.width - 1, static_cast<int>(cx + reach));
    const int y0 = std::max(0, static_cast<int>(cy - reach));
    const int y1 = std::min(specimen.height - 1, static_cast<int>(cy + reach));
    const float c = std::cos(cell.angle);
    const float s = std::sin(cell.angle);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float dx = x - cx;
            const float dy = y - cy;
            const float u = (dx * c + dy * s) / rx;
            const float v = (-dx * s + dy * c) / ry;
            const float body = smoothEdge(std::sqrt(u * u + v * v));
            if (body <= 0.0f) {
                continue;
            }
            const float nu = (u - cell.nucleusX) / cell.nucleusRadius;
            const float nv = (v - cell.nucleusY) / cell.nucleusRadius;
            const float nucleus =
                smoothEdge(std::sqrt(nu * nu + nv * nv)) * (0.75f + 0.5f * grain(x / 2, y / 2));
            const std::size_t at = static_cast<std::size_t>(y) * specimen.width + x;
            for (int ch = 0; ch < 3; ++ch) {
                const float absorbance =
                    cell.density * (body * kCytoplasmStain[ch] + nucleus * kNucleusStain[ch]);
                const float value = specimen.planes[ch][at] * std::exp(-absorbance);
                specimen.planes[ch][at] = static_cast<std::uint8_t>(value + 0.5f);
            }
        }
    }
}

}  // namespace

std::shared_ptr<const Specimen> makeSpecimen(int width, int height, bool monochrome, bool empty) {
    auto specimen = std::make_shared<Specimen>();
    specimen->empty = empty;
    specimen->width = width;
    specimen->height = height;
    specimen->monochrome = monochrome;
    const std::size_t size = static_cast<std::size_t>(width) * height;
    for (auto& plane : specimen->planes) {
        plane.resize(size);
    }

    // Lamp light with vignetting: a quadratic fall-off to 65 % in the corners.
    const float cx = 0.5f * width;
    const float cy = 0.5f * height;
    const float corner2 = cx * cx + cy * cy;
    for (int y = 0; y < height; ++y) {
        const float dy2 = (y - cy) * (y - cy);
        for (int x = 0; x < width; ++x) {
            const float falloff = 1.0f - 0.35f * ((x - cx) * (x - cx) + dy2) / corner2;
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            for (int ch = 0; ch < 3; ++ch) {
                specimen->planes[ch][at] = static_cast<std::uint8_t>(255.0f * kLamp[ch] * falloff);
            }
        }
    }

    const float pixelsPerUnit = static_cast<float>(height);
    if (!empty) {
        for (const Cell& cell : makeCells(static_cast<float>(width) / height)) {
            paintCell(cell, *specimen, pixelsPerUnit);
        }
    }

    if (monochrome) {
        auto& [r, g, b] = specimen->planes;
        for (std::size_t i = 0; i < size; ++i) {
            r[i] = static_cast<std::uint8_t>((77 * r[i] + 150 * g[i] + 29 * b[i]) >> 8);
        }
        g.clear();
        b.clear();
    }
    return specimen;
}

std::shared_ptr<const Specimen> SpecimenCache::get(int width, int height, bool monochrome,
                                                   bool empty) {
    std::lock_guard lock(mutex_);
    auto it = std::ranges::find_if(recent_, [&](const auto& s) {
        return s->width == width && s->height == height && s->monochrome == monochrome &&
               s->empty == empty;
    });
    std::shared_ptr<const Specimen> specimen;
    if (it != recent_.end()) {
        specimen = *it;
        recent_.erase(it);
    } else {
        specimen = makeSpecimen(width, height, monochrome, empty);
    }
    recent_.insert(recent_.begin(), specimen);
    if (recent_.size() > 2) {
        recent_.pop_back();
    }
    return specimen;
}

}  // namespace krvcamera
