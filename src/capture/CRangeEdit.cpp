#include "capture/CRangeEdit.h"

#include <QApplication>

namespace korvel::capture {

CRangeEdit::CRangeEdit(int minimum, int maximum, QWidget* parent)
    : QLineEdit(parent), model_(minimum, maximum), beep_([] { QApplication::beep(); }) {
    setText(QString::number(minimum));
    connect(this, &QLineEdit::textChanged, this, &CRangeEdit::onTextChanged);
}

void CRangeEdit::setValue(int value) {
    const QString text = QString::fromStdString(model_.setValue(value));
    updating_ = true;
    setText(text);
    updating_ = false;
}

void CRangeEdit::onTextChanged(const QString& text) {
    if (updating_) {
        return;  // our own correction of the text
    }
    const RangeEditModel::Result result = model_.edited(text.toStdString());
    const QString corrected = QString::fromStdString(result.text);
    if (corrected != text) {
        updating_ = true;
        setText(corrected);
        updating_ = false;
    }
    switch (result.caret) {
        case RangeEditModel::Caret::Start:
            setCursorPosition(0);
            break;
        case RangeEditModel::Caret::End:
            setCursorPosition(static_cast<int>(corrected.size()));
            break;
        case RangeEditModel::Caret::Keep:
            break;
    }
    if (result.beep && beep_) {
        beep_();
    }
}

}  // namespace korvel::capture
