#include "browser/CHistogramWnd.h"

#include "image/KxImage.h"
#include "res/ids.h"

#include <QCheckBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace korvel::browser {

using namespace res;

namespace {

struct ChannelButton {
    const char* text;
    int bitmap;
    QRect rect;  // left, top, right, bottom as the resource gives them
};

const std::array<ChannelButton, kChannelCount> kButtons{{
    {"R", IDB_HISTOGRAM_RED, QRect(QPoint(10, 8), QPoint(58, 34))},
    {"G", IDB_HISTOGRAM_GREEN, QRect(QPoint(60, 8), QPoint(108, 34))},
    {"B", IDB_HISTOGRAM_BLUE, QRect(QPoint(110, 8), QPoint(158, 34))},
    {"gray", IDB_HISTOGRAM_GRAY, QRect(QPoint(160, 8), QPoint(208, 34))},
}};

// The channel's little swatch in its curve colour.
QIcon channelIcon(int channel) {
    QPixmap swatch(12, 12);
    swatch.fill(QColor::fromRgb(kHistogramColours[channel]));
    return QIcon(swatch);
}

}  // namespace

CHistogramWnd::CHistogramWnd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_HISTOGRAM));
    setWindowTitle(QStringLiteral("Histogram"));
    setFixedSize(kClientWidth, kClientHeight);
    for (int channel = 0; channel < kChannelCount; ++channel) {
        auto* button = new QPushButton(channelIcon(channel),
                                       QString::fromLatin1(kButtons[channel].text), this);
        button->setObjectName(QStringLiteral("Bitmap%1").arg(kButtons[channel].bitmap));
        button->setCheckable(true);
        button->setFlat(true);
        button->setChecked(true);
        button->setGeometry(kButtons[channel].rect);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, &CHistogramWnd::readButtons);
        buttons_[channel] = button;
    }
    log_ = new QCheckBox(QStringLiteral("log"), this);
    log_->setObjectName(QString::number(IDC_HISTOGRAM_LOG));
    log_->setGeometry(218, 12, 56, 20);
    log_->setChecked(true);
    connect(log_, &QCheckBox::clicked, this, &CHistogramWnd::readButtons);
    readButtons();
}

CHistogramWnd::~CHistogramWnd() = default;

void CHistogramWnd::readButtons() {
    for (int channel = 0; channel < kChannelCount; ++channel) {
        options_.show[channel] = buttons_[channel]->isChecked();
    }
    options_.logarithmic = log_->isChecked();
    update();
}

void CHistogramWnd::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const QRect client = rect();
    HistogramSource source = source_ ? source_() : HistogramSource{};
    const bool picture = source.image && source.image->IsValid() && source.counts && source.maximum;
    bool countedNow = false;
    if (picture && *source.maximum == 0) {
        // Counted on first sight; the next paint draws the curves.
        std::array<int32_t*, kChannelCount> out{};
        for (int channel = 0; channel < kChannelCount; ++channel) {
            out[channel] = (*source.counts)[channel].data();
        }
        *source.maximum = source.image->Histogram(out[0], out[1], out[2], out[3], 0);
        countedNow = true;
        if (*source.maximum != 0) {
            update();
        }
    }
    const bool curves = picture && !countedNow && *source.maximum > 0;
    const HistogramPlotLines lines =
        histogramPlot(client.top(), client.bottom() + 1, curves ? source.counts : nullptr,
                      curves ? *source.maximum : 0, options_);

    painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
    painter.drawLines(lines.grid.data(), static_cast<int>(lines.grid.size()));
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.drawPolyline(lines.frame);
    for (int channel = 0; channel < kChannelCount; ++channel) {
        if (lines.curves[channel].isEmpty()) {
            continue;
        }
        painter.setPen(QPen(QColor::fromRgb(kHistogramColours[channel]), 1));
        painter.drawPolyline(lines.curves[channel]);
    }
}

}  // namespace korvel::browser
