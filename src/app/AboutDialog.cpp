#include "app/AboutDialog.h"

#include "app/SplashWindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace korvel::app {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Korvel"));
    auto* picture = new QLabel(this);
    picture->setPixmap(SplashWindow::artwork().scaledToWidth(240, Qt::SmoothTransformation));
    auto* program = new QLabel(QStringLiteral("Korvel Version 7.1.1.2"), this);
    program->setObjectName(QStringLiteral("ProgramLine"));
    QFont bold = program->font();
    bold.setBold(true);
    program->setFont(bold);
    auto* notice = new QLabel(tr("Imaging software for digital microscope cameras.\n"
                                 "Copyright \u00A9 Brenic Imaging. All rights reserved."),
                              this);
    auto* link = new QLabel(
        QStringLiteral("<a href=\"https://brenic.example/\">https://brenic.example/</a>"), this);
    link->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(program);
    layout->addWidget(notice);
    layout->addWidget(link);
    layout->addWidget(buttons);
}

}  // namespace korvel::app
