#include "app/CaptureDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace korvel::app {

CaptureDialog::CaptureDialog(const std::vector<CaptureCandidate>& windows, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setWindowTitle(tr("Capture"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    list_->setObjectName(QStringLiteral("CaptureWindowList1001"));
    for (const CaptureCandidate& window : windows) {
        list_->addItem(window.title);
    }
    list_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(360, 300);
}

int CaptureDialog::selectedIndex() const {
    return list_->currentRow();
}

}  // namespace korvel::app
