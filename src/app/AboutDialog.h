#pragma once

#include <QDialog>

namespace korvel::app {

// The About box: the program line, a notice and a link to the maker's site.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace korvel::app
