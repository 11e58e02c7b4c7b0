#pragma once

// The frame every image-processing dialog shares: a form of labelled fields, an optional
// area below it (previews), OK and Cancel. OK runs the dialog's checks first; a failed
// check shows the framework's range message (or nothing) and keeps the dialog open.

#include "image/KxImage.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QFormLayout;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace korvel::document {

class FormDialog : public QDialog {
    Q_OBJECT

public:
    explicit FormDialog(const QString& title, QWidget* parent = nullptr);

    QFormLayout* form() const { return form_; }
    // Widgets below the form (previews, extra buttons).
    QVBoxLayout* extra() const { return extra_; }

    // Run on OK: a message keeps the dialog open and is shown; an empty message keeps
    // it open silently.
    using Check = std::function<std::optional<QString>()>;
    void setCheck(Check check) { check_ = std::move(check); }

    void done(int result) override;

private:
    QFormLayout* form_;
    QVBoxLayout* extra_;
    Check check_;
};

// An integer typed as text, as the framework's exchange reads it: nullopt and the
// message "Please enter an integer." when it is none, else the range message when it
// lies outside [minimum, maximum].
std::optional<QString> checkIntegerField(const QLineEdit* field, int minimum, int maximum);
int integerField(const QLineEdit* field);

// A "Before"/"After" pair of small pictures.
class PreviewPair : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPair(const KxImage& before, QWidget* parent = nullptr);
    void setAfter(const KxImage& after);

private:
    QLabel* before_;
    QLabel* after_;
};

}  // namespace korvel::document
