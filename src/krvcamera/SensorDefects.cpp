#include "SensorDefects.h"

#include <algorithm>
#include <random>
#include <set>
#include <utility>

namespace krvcamera {

namespace {

// One pixel in this many is noticeably more or less sensitive than its neighbours.
constexpr int kUnevenPixelSpacing = 2500;
constexpr int kHotPixels = 12;
constexpr int kDeadPixels = 8;
// Defects keep off the border, where the colour interpolation has only one side to use.
constexpr int kBorder = 4;
// At most one defect per cell of this size, so two never share a neighbourhood.
constexpr int kCell = 4;

template <typename Sample>
void scale(const SensorDefects& defects, Sample* raw, int maximum) {
    for (const SensorDefect& d : defects.pixels) {
        const int value = (raw[d.offset] * d.factor + 128) >> 8;
        raw[d.offset] = static_cast<Sample>(std::min(value, maximum));
    }
}

}  // namespace

std::shared_ptr<const SensorDefects> makeSensorDefects(int typeId, int width, int height) {
    auto defects = std::make_shared<SensorDefects>();
    defects->width = width;
    defects->height = height;
    if (width <= 2 * kBorder || height <= 2 * kBorder) {
        return defects;
    }
    // Seeded by the model and size only: the same sensor every time it is switched on.
    std::mt19937 random(static_cast<std::uint32_t>(typeId) * 2654435761u ^
                        static_cast<std::uint32_t>(width) * 40503u ^
                        static_cast<std::uint32_t>(height));
    std::uniform_int_distribution<int> column(kBorder, width - 1 - kBorder);
    std::uniform_int_distribution<int> row(kBorder, height - 1 - kBorder);
    std::uniform_real_distribution<double> unit(0.0, 1.0);

    std::set<std::pair<int, int>> usedCells;
    auto place = [&](int factor) {
        for (int attempt = 0; attempt < 64; ++attempt) {
            const int x = column(random);
            const int y = row(random);
            // The cell and its neighbours must be free.
            bool free = true;
            for (int dy = -1; dy <= 1 && free; ++dy) {
                for (int dx = -1; dx <= 1 && free; ++dx) {
                    free = !usedCells.contains({x / kCell + dx, y / kCell + dy});
                }
            }
            if (free) {
                usedCells.insert({x / kCell, y / kCell});
                defects->pixels.push_back(
                    {static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(width) +
                         static_cast<std::uint32_t>(x),
                     static_cast<std::uint16_t>(factor)});
                return;
            }
        }
    };
    for (int i = 0; i < kHotPixels; ++i) {
        place(static_cast<int>(256 * (1.6 + 0.4 * unit(random))));
    }
    for (int i = 0; i < kDeadPixels; ++i) {
        place(static_cast<int>(256 * (0.08 + 0.07 * unit(random))));
    }
    const long long uneven = static_cast<long long>(width) * height / kUnevenPixelSpacing;
    for (long long i = 0; i < uneven; ++i) {
        // 8 to 30 % off, as often less as more sensitive.
        const double off = 0.08 + 0.22 * unit(random);
        place(static_cast<int>(256 * (unit(random) < 0.5 ? 1.0 - off : 1.0 + off)));
    }
    std::ranges::sort(defects->pixels, {}, &SensorDefect::offset);
    return defects;
}

void applySensorDefects(const SensorDefects& defects, std::uint8_t* raw, int maximum) {
    scale(defects, raw, maximum);
}

void applySensorDefects(const SensorDefects& defects, std::uint16_t* raw, int maximum) {
    scale(defects, raw, maximum);
}

std::shared_ptr<const SensorDefects> SensorDefectCache::get(int typeId, int width, int height) {
    std::lock_guard lock(mutex_);
    auto it = std::ranges::find_if(recent_, [&](const Entry& e) {
        return e.typeId == typeId && e.defects->width == width && e.defects->height == height;
    });
    Entry entry;
    if (it != recent_.end()) {
        entry = *it;
        recent_.erase(it);
    } else {
        entry = {typeId, makeSensorDefects(typeId, width, height)};
    }
    recent_.insert(recent_.begin(), entry);
    if (recent_.size() > 3) {
        recent_.pop_back();
    }
    return entry.defects;
}

}  // namespace krvcamera
