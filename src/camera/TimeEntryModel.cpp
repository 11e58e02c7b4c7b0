#include "camera/TimeEntryModel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "camera/CameraModels.h"

namespace korvel::camera {

namespace {

constexpr int kMostMinutes = 99;  // two digits in the display text

long long total(const TimeEntryModel::Fields& f) {
    return f.milliseconds + 1000LL * f.seconds + 60000LL * f.minutes;
}

// Minutes and seconds as " 0%d " or " %d ", milliseconds as " 00%d", " 0%d" or " %d".
std::string formatField(int which, int value) {
    char text[16];
    if (which == TimeEntryModel::kMilliseconds) {
        std::snprintf(text, sizeof text,
                      value < 10    ? " 00%d"
                      : value < 100 ? " 0%d"
                                    : " %d",
                      value);
    } else {
        std::snprintf(text, sizeof text, value < 10 ? " 0%d " : " %d ", value);
    }
    return text;
}

int trunc(double value) {
    return static_cast<int>(std::trunc(value));
}

}  // namespace

void TimeEntryModel::setMaxTime(int minutes, int seconds, int milliseconds) {
    // Kept to what the display can show, so field writes never outgrow their characters.
    maxMinutes_ = std::clamp(minutes, 0, kMostMinutes);
    if (maxMinutes_ > 0) {
        maxSeconds_ = 59;
        maxMilliseconds_ = 999;
    } else {
        maxSeconds_ = std::clamp(seconds, 0, 59);
        maxMilliseconds_ = maxSeconds_ > 0 ? 999 : std::clamp(milliseconds, 0, 999);
    }
}

int TimeEntryModel::field(int which) const {
    switch (which) {
        case kMinutes:
            return fields_.minutes;
        case kSeconds:
            return fields_.seconds;
        default:
            return fields_.milliseconds;
    }
}

void TimeEntryModel::setSelectedField(int which) {
    if (which >= kMinutes && which <= kMilliseconds) {
        selected_ = which;
    }
}

bool TimeEntryModel::setTimeMs(int time) {
    if (longExposure_) {
        if (time < 0 || time >= kLongExposureEntries) {
            return false;
        }
        time = longExposureIndexToMs(time);
    }
    // A negative time would write negative fields into the display; refused like any other
    // time that does not fit. The maximum minutes are not tested: the pages clamp first.
    if (time < 0 || time / 60000 >= 100 || (time / 1000) % 60 > maxSeconds_ ||
        time % 1000 > maxMilliseconds_) {
        return false;
    }
    writeField(kMilliseconds, time % 1000, true);
    writeField(kSeconds, (time / 1000) % 60, true);
    writeField(kMinutes, time / 60000, true);
    return true;
}

int TimeEntryModel::totalMilliseconds() const {
    return static_cast<int>(total(fields_));
}

int TimeEntryModel::timeMs() const {
    const int ms = totalMilliseconds();
    return longExposure_ ? longExposureMsToIndex(ms) : ms;
}

std::string TimeEntryModel::displayText() const {
    return formatField(kMinutes, fields_.minutes) + ":" + formatField(kSeconds, fields_.seconds) +
           "." + formatField(kMilliseconds, fields_.milliseconds);
}

std::pair<int, int> TimeEntryModel::fieldCharacters(int which) {
    switch (which) {
        case kMinutes:
            return {1, 3};
        case kSeconds:
            return {6, 8};
        default:
            return {11, 14};
    }
}

std::optional<int> TimeEntryModel::fieldAtCaret(int caret) {
    if (caret <= 3) {
        return kMinutes;
    }
    if (caret >= 6 && caret <= 8) {
        return kSeconds;
    }
    if (caret >= 11) {
        return kMilliseconds;
    }
    return std::nullopt;
}

void TimeEntryModel::clickAt(int caret) {
    if (const auto which = fieldAtCaret(caret)) {
        selected_ = *which;
    }
}

std::string TimeEntryModel::beginEdit(int which) {
    setSelectedField(which);
    mode_ = Mode::Edit;
    return std::to_string(field(selected_));
}

std::string TimeEntryModel::beginEditWithDigit(char digit) {
    mode_ = Mode::Edit;
    return std::string(1, digit);
}

bool TimeEntryModel::isInputCharacter(char32_t character) {
    return (character >= U'0' && character <= U'9') || character == U'\b' || character == U'.';
}

bool TimeEntryModel::acceptable(int which, int value, bool allowAllZero) const {
    const auto [m, s, ms] = fields_;
    switch (which) {
        case kMinutes:
            return value >= 0 && value <= maxMinutes_ &&
                   (value < maxMinutes_ || (s == 0 && ms == 0));
        case kSeconds:
            return value >= 0 && value <= maxSeconds_ && (value < maxSeconds_ || ms == 0) &&
                   (m < maxMinutes_ || m == 0);
        default:
            return value >= 0 && value <= maxMilliseconds_ && (m < maxMinutes_ || m == 0) &&
                   (s < maxSeconds_ || s == 0) && (allowAllZero || value != 0 || m != 0 || s != 0);
    }
}

bool TimeEntryModel::commit(std::string_view input) {
    // A leading decimal number, as the C library reads one: spaces, a sign, digits. Values
    // too large for an int saturate and are refused by the range tests.
    std::size_t i = 0;
    while (i < input.size() && (input[i] == ' ' || input[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < input.size() && (input[i] == '-' || input[i] == '+')) {
        negative = input[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < input.size() && input[i] >= '0' && input[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (input[i] - '0'), INT_MAX);
    }
    const int v = static_cast<int>(negative ? -value : value);
    if (!acceptable(selected_, v, false)) {
        return false;
    }
    writeField(selected_, v, true);
    mode_ = Mode::Display;
    return true;
}

std::string_view TimeEntryModel::prompt() const {
    switch (selected_) {
        case kMinutes:
            return "Set Minute";
        case kSeconds:
            return "Set Second";
        default:
            return "Set MillSecond";
    }
}

bool TimeEntryModel::spin(int delta) {
    const long long wide = static_cast<long long>(field(selected_)) + delta;
    if (wide < 0 || wide > INT_MAX) {
        return false;
    }
    const int v = static_cast<int>(wide);
    if (delta > 0 && !acceptable(selected_, v, true)) {
        return false;
    }
    writeField(selected_, v, true);
    return true;
}

void TimeEntryModel::writeField(int which, int value, bool syncSlider) {
    selected_ = which;
    switch (which) {
        case kMinutes:
            fields_.minutes = value;
            break;
        case kSeconds:
            fields_.seconds = value;
            break;
        default:
            fields_.milliseconds = value;
            break;
    }
    if (fieldWritten_) {
        fieldWritten_(syncSlider);
    }
}

TimeEntryModel::Fields TimeEntryModel::largestTime() const {
    if (maxMinutes_ > 0) {
        return {maxMinutes_, 0, 0};
    }
    if (maxSeconds_ > 0) {
        return {0, maxSeconds_, 0};
    }
    return {0, 0, maxMilliseconds_};
}

TimeEntryModel::Fields TimeEntryModel::atMostLargest(const Fields& time) const {
    return total(time) > total(largestTime()) ? largestTime() : time;
}

TimeEntryModel::Fields TimeEntryModel::timeAtSliderOffset(double offset, double travel) const {
    if (!(travel > 0)) {
        return atMostLargest({0, 0, 1});
    }
    const double p = std::clamp(offset, 0.0, travel);
    const double h = travel / 3;
    Fields time;
    if (p <= h) {
        time.milliseconds = std::max(1, trunc(999 * p / h));
    } else if (p <= 2 * h) {
        const double v = 59000 * (p - h) / h + 999;
        time.milliseconds = trunc(v) % 1000;
        time.seconds = trunc(0.001 * v);
    } else if (maxMinutes_ >= 2) {
        const double v = (60.0 * maxMinutes_ - 60) * (p - 2 * h) / h + 59;
        time.seconds = trunc(v) % 60;
        time.minutes = trunc(v / 60);
    } else if (maxMinutes_ == 1) {
        // One minute at most: the upper third runs from 59 s to the full minute.
        const double v = 59 + (p - 2 * h) / h;
        time.seconds = trunc(v) % 60;
        time.minutes = trunc(v / 60);
    } else {
        time = largestTime();
    }
    // Below a minute the middle third can pass the maxima; the slider stops at them.
    return atMostLargest(time);
}

int TimeEntryModel::sliderPosition(double travel, int range) const {
    if (!(travel > 0) || range <= 0) {
        return 0;
    }
    const double h = travel / 3;
    const auto [m, s, ms] = fields_;
    double position = 0;
    if (m == 0 && s == 0) {
        position = range * static_cast<double>(ms) * h / 999 / travel;
    } else if (m == 0) {
        position = range * (1 + (ms + 1000.0 * s - 1000) / 59000) * h / travel;
    } else if (maxMinutes_ >= 2) {
        position = range * ((s + 60.0 * m - 60) / (60.0 * maxMinutes_ - 60) * h + 2 * h) / travel;
    } else if (maxMinutes_ == 1) {
        position = range * ((s + 60.0 * m - 59) * h + 2 * h) / travel;
    } else {
        position = range;
    }
    return std::clamp(trunc(position), 0, range);
}

void TimeEntryModel::setFromSlider(const Fields& time) {
    const int selected = selected_;
    writeField(kMinutes, time.minutes, false);
    writeField(kSeconds, time.seconds, false);
    writeField(kMilliseconds, time.milliseconds, false);
    selected_ = selected;
}

}  // namespace korvel::camera
