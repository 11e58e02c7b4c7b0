#pragma once

// The histogram window: the red, green, blue and grey histograms of the active image
// document over a dotted grid, each curve switched by a flat check button, on a
// logarithmic or linear scale. It keeps no counts of its own: the document holds them
// and the window asks for the active one's when it paints.

#include "browser/HistogramPlot.h"

#include <QDialog>

#include <array>
#include <functional>

class KxImage;
class QAbstractButton;
class QCheckBox;

namespace korvel::browser {

// The active document's picture and histogram; all null when no image document is
// active (the camera window, or no document at all).
struct HistogramSource {
    const KxImage* image = nullptr;
    HistogramCounts* counts = nullptr;
    int* maximum = nullptr;
};

class CHistogramWnd : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 154;
    // 186 x 115 dialog units in the dialog font's units.
    static constexpr int kClientWidth = 279;
    static constexpr int kClientHeight = 187;

    explicit CHistogramWnd(QWidget* parent = nullptr);
    ~CHistogramWnd() override;

    void setSourceProvider(std::function<HistogramSource()> provider) {
        source_ = std::move(provider);
    }

    const HistogramOptions& options() const { return options_; }
    QAbstractButton* channelButton(int channel) const { return buttons_.at(channel); }
    QCheckBox* logCheckBox() const { return log_; }

    // Any button: the check states become the show flags and the scale, then a repaint.
    void readButtons();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<HistogramSource()> source_;
    HistogramOptions options_;
    std::array<QAbstractButton*, kChannelCount> buttons_{};  // children of the window
    QCheckBox* log_ = nullptr;
};

}  // namespace korvel::browser
