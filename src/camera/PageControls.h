#pragma once

// Small helpers the settings pages share to build their controls: the control id as the
// object name (so tests and the sheet find a control by id), the place on the page, the
// page colour behind every control but the edit boxes and lists.

#include <QApplication>
#include <QColor>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include "framework/Message.h"
#include "ui/CPageSlider.h"

namespace korvel::camera::page {

// The page slider thumb is 10 pixels wide; the pages keep 2 pixels free on each side.
inline constexpr int kSliderThumbWidth = 10;

template <typename W>
W* control(W* widget, int id, const QRect& place) {
    widget->setObjectName(QString::number(id));
    widget->setGeometry(place);
    return widget;
}

inline ui::CPageSlider* slider(QWidget* page, int id, const QRect& place) {
    auto* s = new ui::CPageSlider(id, page);
    control(s, id, place);
    s->SetThumbWidth(kSliderThumbWidth);
    return s;
}

// A channel picture for a slider of `size`: a groove tinted with `tint` (the colour
// channels of the gain sliders).
inline QPixmap channelPixmap(QSize size, const QColor& tint, const QColor& background) {
    QPixmap pixmap(size);
    pixmap.fill(background);
    QPainter painter(&pixmap);
    const int grooveHeight = 6;
    const QRect groove(2, (size.height() - grooveHeight) / 2, size.width() - 4, grooveHeight);
    QLinearGradient shade(groove.topLeft(), groove.topRight());
    shade.setColorAt(0, tint.lighter(170));
    shade.setColorAt(1, tint);
    painter.fillRect(groove, shade);
    painter.setPen(tint.darker(150));
    painter.drawRect(groove.adjusted(0, 0, -1, -1));
    return pixmap;
}

// Labels, check boxes, radio buttons and group boxes let the page colour through.
template <typename W>
W* transparent(W* widget) {
    widget->setAutoFillBackground(false);
    return widget;
}

// The standard palette of `widget` with every role marked as set: a widget given it keeps
// the standard look instead of inheriting roles from a coloured parent. Each colour group is
// set on its own: setting a role for all groups at once would give a disabled box the
// enabled colours, so it would look as if it could be typed into.
inline QPalette standardPalette(const QWidget* widget) {
    QPalette standard = QApplication::palette(widget);
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto r = static_cast<QPalette::ColorRole>(role);
            standard.setBrush(group, r, standard.brush(group, r));
        }
    }
    return standard;
}

// Paints `page` in `colour`; the widgets in `standard` keep the standard look.
template <typename... Standard>
void colourPage(QWidget* page, const QColor& colour, Standard*... standard) {
    QPalette coloured = page->palette();
    coloured.setColor(QPalette::Window, colour);
    page->setPalette(coloured);
    page->setAutoFillBackground(true);
    (standard->setPalette(standardPalette(standard)), ...);
}

// The control of `page` with the id `id`, or null.
template <typename W = QWidget>
W* find(const QWidget* page, int id) {
    return page->findChild<W*>(QString::number(id));
}

// The nearest window above `widget` that takes numbered messages: the sheet that hosts a
// page, or the camera window above the sheet.
inline framework::MessageTarget* targetAbove(const QWidget* widget) {
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* target = dynamic_cast<framework::MessageTarget*>(w)) {
            return target;
        }
    }
    return nullptr;
}

}  // namespace korvel::camera::page
