#pragma once

// The rule of the interval and count boxes: leading zeros go, and a text that is not a
// number within the range gives way to the last valid value, with a beep.

#include <string>

namespace korvel::capture {

class RangeEditModel {
public:
    RangeEditModel(int minimum, int maximum)
        : minimum_(minimum), maximum_(maximum), last_(minimum) {}

    enum class Caret { Keep, Start, End };
    struct Result {
        std::string text;  // what the box shows afterwards
        Caret caret = Caret::Keep;
        bool beep = false;
    };

    // Runs after every change of the box's text.
    Result edited(const std::string& text);

    // The last valid value; -1 while the box is empty.
    int value() const { return last_; }
    // Sets a value from the program (clamped into the range) and its text.
    std::string setValue(int value);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

private:
    int minimum_;
    int maximum_;
    int last_;
};

}  // namespace korvel::capture
