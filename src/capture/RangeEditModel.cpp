#include "capture/RangeEditModel.h"

#include <algorithm>
#include <charconv>

namespace korvel::capture {

RangeEditModel::Result RangeEditModel::edited(const std::string& input) {
    Result result{input, Caret::Keep, false};
    if (result.text.size() > 1) {
        const std::size_t first = result.text.find_first_of("123456789");
        const std::string stripped = first == std::string::npos ? "0" : result.text.substr(first);
        if (stripped != result.text) {
            result.text = stripped;
            result.caret = Caret::Start;
        }
    }
    if (result.text.empty()) {
        last_ = -1;
        return result;
    }
    int number = 0;
    const char* begin = result.text.data();
    const char* end = begin + result.text.size();
    const auto [stop, error] = std::from_chars(begin, end, number);
    const bool digitsOnly = std::all_of(begin, end, [](char c) { return c >= '0' && c <= '9'; });
    if (digitsOnly && error == std::errc() && stop == end && number >= minimum_ &&
        number <= maximum_) {
        last_ = number;
        return result;
    }
    result.text = last_ == -1 ? std::string() : std::to_string(last_);
    result.caret = Caret::End;
    result.beep = true;
    return result;
}

std::string RangeEditModel::setValue(int value) {
    last_ = std::clamp(value, minimum_, maximum_);
    return std::to_string(last_);
}

}  // namespace korvel::capture
