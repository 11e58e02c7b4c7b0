#include "document/dialogs/FormDialog.h"

#include "framework/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>

namespace korvel::document {

FormDialog::FormDialog(const QString& title, QWidget* parent)
    : QDialog(parent), form_(new QFormLayout), extra_(new QVBoxLayout) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);  // owned by the dialog
    layout->addLayout(form_);
    layout->addLayout(extra_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void FormDialog::done(int result) {
    if (result == QDialog::Accepted && check_) {
        if (const std::optional<QString> message = check_()) {
            if (!message->isEmpty()) {
                framework::AfxMessageBox(*message, framework::MB_ICONWARNING, this);
            }
            return;
        }
    }
    QDialog::done(result);
}

std::optional<QString> checkIntegerField(const QLineEdit* field, int minimum, int maximum) {
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    if (!ok) {
        return QStringLiteral("Please enter an integer.");
    }
    if (value < minimum || value > maximum) {
        return QStringLiteral("Please enter an integer between %1 and %2.")
            .arg(minimum)
            .arg(maximum);
    }
    return std::nullopt;
}

int integerField(const QLineEdit* field) {
    return field->text().trimmed().toInt();
}

PreviewPair::PreviewPair(const KxImage& before, QWidget* parent)
    : QWidget(parent), before_(new QLabel(this)), after_(new QLabel(this)) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Before"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("After"), this), 0, 1);
    grid->addWidget(before_, 1, 0);
    grid->addWidget(after_, 1, 1);
    before_->setPixmap(QPixmap::fromImage(before.MakeBitmap()));
    after_->setPixmap(QPixmap::fromImage(before.MakeBitmap()));
}

void PreviewPair::setAfter(const KxImage& after) {
    after_->setPixmap(QPixmap::fromImage(after.MakeBitmap()));
}

}  // namespace korvel::document
