#include "document/ZoomRules.h"

#include <algorithm>
#include <array>

namespace korvel::document {

namespace {
constexpr std::array<float, 9> kLadder = {0.25f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 4.0f, 8.0f, 16.0f};
}

float zoomIn(float factor) {
    for (const float step : kLadder) {
        if (factor < step) {
            return step;
        }
    }
    return factor;
}

float zoomOut(float factor) {
    if (factor <= 0.0625f) {
        return factor;
    }
    for (auto it = kLadder.rbegin(); it != kLadder.rend(); ++it) {
        if (factor > *it) {
            return *it;
        }
    }
    return kLadder.front();
}

std::optional<float> zoomFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    long long number = 0;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (c == '%' && i == trimmed.size() - 1) {
            break;
        }
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = std::min<long long>(number * 10 + (c.unicode() - '0'), 1'000'000);
    }
    return static_cast<float>(std::clamp<long long>(number, 25, 1600)) / 100.0f;
}

QString zoomBoxText(float factor) {
    return QString::asprintf("%d%%", static_cast<int>(factor * 100.0f));
}

QString zoomStatusText(float factor) {
    return QString::asprintf("%4.0f %%", static_cast<double>(factor) * 100.0);
}

}  // namespace korvel::document
