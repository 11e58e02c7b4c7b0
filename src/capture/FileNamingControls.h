#pragma once

// The controls both pages of the save configuration name their files with: "Use File Save
// Dialog" / "Use File Save Config", then "FileName:", the name, "+", "Num", "+", the type
// list, and "Use Time-stamped". The controls are children of the page; the page lays them
// out and adds what is its own.

#include <string>

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

class QComboBox;
class QGridLayout;
class QLabel;
class QWidget;

namespace korvel::capture {

// The control id as the object name, so tests and the sheet find a control by id.
template <typename W>
W* named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

struct FileNamingControls {
    FileNamingControls(QWidget* page, QWidget* nameParent);

    // The name row at `row` of `grid`, the time-stamp box on the row below.
    void addNameRows(QGridLayout* grid, int row) const;
    // Typing a name needs the configuration, and no time stamp naming the file instead.
    void updateEnabling() const;

    // The fields both settings records share.
    template <typename Settings>
    void load(const Settings& s) const {
        (s.bConfig == 1 ? useConfig : useDialog)->setChecked(true);
        fileName->setText(QString::fromStdString(s.sFilename));
        num->setChecked(s.bNum != 0);
        timeStamped->setChecked(s.bTimeStamp != 0);
    }
    template <typename Settings>
    void store(Settings& s) const {
        s.bConfig = useConfig->isChecked() ? 1 : 0;
        s.sFilename = fileName->text().toStdString();
        s.bNum = num->isChecked() ? 1 : 0;
        s.bTimeStamp = timeStamped->isChecked() ? 1 : 0;
    }

    // Children of the page, owned through Qt's parent.
    QRadioButton* useDialog;
    QRadioButton* useConfig;
    QLabel* fileNameLabel;
    QLineEdit* fileName;
    QLabel* plus1;
    QCheckBox* num;
    QLabel* plus2;
    QComboBox* typeList;
    QCheckBox* timeStamped;
};

}  // namespace korvel::capture
