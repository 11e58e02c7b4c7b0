#include "camera/CProgressWnd.h"

#include "res/ids.h"

#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvel::camera {

CProgressWnd::CProgressWnd(QWidget* owner)
    : QDialog(owner),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("Dialog%1").arg(res::IDD_PROGRESS));
    setModal(false);
    bar_->setObjectName(QString::number(res::IDC_PROGRESS_BAR));
    cancel_->setObjectName(QString::number(res::IDC_PROGRESS_CANCEL));
    bar_->setTextVisible(true);
    bar_->setAlignment(Qt::AlignCenter);
    bar_->setFormat(QString());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (cancelAllowed_) {
            cancelled_ = true;
        }
    });
    resize(300, sizeHint().height());
    if (owner) {
        const QRect area = owner->frameGeometry();
        move(area.center() - rect().center());
    }
}

void CProgressWnd::setText(const QString& text) {
    setWindowTitle(text);
    // "Complete" is followed by the bar's percentage.
    QString format = text;
    if (text == QLatin1String("Complete")) {
        format += QStringLiteral(": %p%");
    }
    bar_->setFormat(format);
}

void CProgressWnd::setRange(int minimum, int maximum) {
    bar_->setRange(minimum, maximum <= 0 ? 1 : maximum);
}

void CProgressWnd::setPos(int position) {
    bar_->setValue(position);
    bar_->repaint();
}

}  // namespace korvel::camera
