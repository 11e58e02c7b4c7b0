#pragma once

// The rules of the exposure-time entry control: three fields (minutes, seconds,
// milliseconds) with their maxima, the selected field, the display text, the edit mode with
// its input checks, the spin button, the optional slider's three-thirds mapping and the
// exchange of times as milliseconds or, in long-exposure mode, as long-exposure table
// indices. CTimeEntryCtrl shows it; every field write is reported so the control can notify
// its parent.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace korvel::camera {

class TimeEntryModel {
public:
    // Field numbers as the pages use them.
    static constexpr int kMinutes = 1;
    static constexpr int kSeconds = 2;
    static constexpr int kMilliseconds = 3;

    // The display text is 14 characters: " mm : ss . mmm".
    static constexpr int kDisplayLength = 14;

    enum class Mode { Edit = 0, Display = 1 };

    struct Fields {
        int minutes = 0;
        int seconds = 0;
        int milliseconds = 0;
        bool operator==(const Fields&) const = default;
    };

    // Called after every field write; `syncSlider` asks for the slider to follow the time.
    using FieldWritten = std::function<void(bool syncSlider)>;
    void setFieldWritten(FieldWritten callback) { fieldWritten_ = std::move(callback); }

    // Maxima. With minutes above 0 seconds and milliseconds may take their full ranges;
    // otherwise the seconds given, and milliseconds up to 999 when seconds are allowed at all.
    void setMaxTime(int minutes, int seconds, int milliseconds);
    Fields maxima() const { return {maxMinutes_, maxSeconds_, maxMilliseconds_}; }

    Fields fields() const { return fields_; }
    int field(int which) const;

    int selectedField() const { return selected_; }
    void setSelectedField(int which);  // other than 1..3 is ignored

    // Whether times are exchanged as long-exposure table indices.
    void setLongExposureMode(bool on) { longExposure_ = on; }
    bool longExposureMode() const { return longExposure_; }

    // Milliseconds (or an index in long-exposure mode). Returns false and changes nothing
    // when the time does not fit the fields; otherwise writes milliseconds, seconds and
    // minutes in that order, leaving minutes selected.
    bool setTimeMs(int time);
    // Milliseconds, or in long-exposure mode the smallest table index not below the time
    // (0 when the time is beyond the table).
    int timeMs() const;
    int totalMilliseconds() const;

    std::string displayText() const;
    // Characters of a field in the display text, end exclusive, for its highlight.
    static std::pair<int, int> fieldCharacters(int which);

    // Display field: a click selects the field under the caret position; a double click
    // (fieldAtCaret) asks to edit it. Positions between fields give nothing.
    void clickAt(int caret);
    static std::optional<int> fieldAtCaret(int caret);

    // Edit mode. beginEdit selects the field and returns the text for the input box;
    // beginEditWithDigit keeps the selected field and starts the input with the digit.
    Mode mode() const { return mode_; }
    std::string beginEdit(int which);
    std::string beginEditWithDigit(char digit);
    // Characters the input box lets through: digits, Backspace and ".".
    static bool isInputCharacter(char32_t character);
    // "Y" or Enter: the input read as a leading decimal number. An accepted value is written
    // and ends edit mode; a refused one leaves edit mode untouched and returns false.
    bool commit(std::string_view input);
    // "N": back to display mode without change.
    void cancel() { mode_ = Mode::Display; }
    // "Set Minute", "Set Second" or "Set MillSecond" for the selected field.
    std::string_view prompt() const;

    // One step of the spin button (+1 or -1) on the selected field; true when written.
    bool spin(int delta);

    // The slider: `travel` is the channel length minus the thumb width, `offset` the thumb's
    // distance from the channel start. The thirds of the travel map to milliseconds, seconds
    // and minutes; the result never exceeds the maxima.
    Fields timeAtSliderOffset(double offset, double travel) const;
    // The slider position for the current time; `range` is maximum minus minimum.
    int sliderPosition(double travel, int range) const;
    // Writes a time read from the slider (minutes, seconds, milliseconds, no slider sync)
    // and keeps the selected field.
    void setFromSlider(const Fields& time);

private:
    bool acceptable(int which, int value, bool allowAllZero) const;
    void writeField(int which, int value, bool syncSlider);
    Fields largestTime() const;
    Fields atMostLargest(const Fields& time) const;

    Fields fields_{0, 0, 1};
    int maxMinutes_ = 10;
    int maxSeconds_ = 59;
    int maxMilliseconds_ = 999;
    int selected_ = kMilliseconds;
    Mode mode_ = Mode::Display;
    bool longExposure_ = false;
    FieldWritten fieldWritten_;
};

}  // namespace korvel::camera
