#include "CBackCorrWnd.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QVBoxLayout>

namespace bc {

CBackCorrWnd::CBackCorrWnd(RunOptions options, QWidget* parent)
    : QWidget(parent),
      run_(std::move(options)),
      status_(new QLabel(QStringLiteral("Looking for the camera ..."), this)),
      progress_(new QProgressBar(this)) {
    setWindowTitle(QStringLiteral("Background Correction"));
    auto* layout = new QVBoxLayout(this);
    status_->setMinimumWidth(360);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    // One small step per turn of the event loop keeps the window alive while frames arrive.
    stepper_.setInterval(0);
    connect(&stepper_, &QTimer::timeout, this, &CBackCorrWnd::advance);
}

void CBackCorrWnd::start() {
    if (!run_.detect()) {
        QMessageBox::warning(this, windowTitle(), run_.error());
        close();
        return;
    }
    setWindowTitle(QStringLiteral("Background Correction - %1").arg(run_.cameraName()));
    const auto answer = QMessageBox::question(
        this, windowTitle(),
        QStringLiteral("Take the sample away, so that the camera sees an empty, evenly lit "
                       "field at its current settings, then press OK."),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer != QMessageBox::Ok) {
        exitCode_ = 2;
        close();
        return;
    }
    run_.fieldEmptied();
    progress_->setRange(0, std::max(1, run_.progressMaximum()));
    stepper_.start();
}

void CBackCorrWnd::advance() {
    const bool more = run_.step();
    status_->setText(run_.status());
    progress_->setValue(run_.progress());
    if (!more) {
        stepper_.stop();
        finish();
    }
}

void CBackCorrWnd::finish() {
    if (run_.failed()) {
        QMessageBox::warning(this, windowTitle(), run_.error());
        close();
        return;
    }
    QString summary = QStringLiteral("Background correction written:");
    for (const WrittenTable& table : run_.written()) {
        summary += QStringLiteral("\n%1 x %2: %3 pixels")
                       .arg(table.width)
                       .arg(table.height)
                       .arg(table.records);
    }
    exitCode_ = 0;
    QMessageBox::information(this, windowTitle(), summary);
    close();
}

}  // namespace bc
