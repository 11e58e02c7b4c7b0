#pragma once

// "Place text to image": edits a copy of the text tool's record; OK hands it back.

#include "image/KxTypes.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QSlider;

namespace korvel::document {

class CTextDialog : public QDialog {
    Q_OBJECT

public:
    explicit CTextDialog(const tagKxTextInfo& record, QWidget* parent = nullptr);

    // The record as the dialog shows it now.
    tagKxTextInfo record() const;

    QPlainTextEdit* textEdit() const { return text_; }
    QSlider* opacitySlider() const { return opacity_; }
    QSlider* radiusSlider() const { return radius_; }
    QLabel* opacityLabel() const { return opacityLabel_; }
    QLabel* radiusLabel() const { return radiusLabel_; }

private:
    void chooseFont();
    void chooseColour(uint32_t& colour);
    void showValues();

    tagKxTextInfo record_;
    QPlainTextEdit* text_;  // widgets are owned by the dialog
    QCheckBox* background_;
    QSlider* opacity_;
    QSlider* radius_;
    QLabel* opacityLabel_;
    QLabel* radiusLabel_;
    QRadioButton* centred_;
    QRadioButton* left_;
    QRadioButton* right_;
};

}  // namespace korvel::document
