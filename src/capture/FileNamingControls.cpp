#include "capture/FileNamingControls.h"

#include "res/ids.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include <initializer_list>

namespace korvel::capture {

using namespace korvel::res;

FileNamingControls::FileNamingControls(QWidget* page, QWidget* nameParent)
    : useDialog(named(new QRadioButton(QStringLiteral("Use File Save Dialog"), page),
                      IDC_SAVE_USE_DIALOG)),
      useConfig(named(new QRadioButton(QStringLiteral("Use File Save Config"), page),
                      IDC_SAVE_USE_CONFIG)),
      fileNameLabel(
          named(new QLabel(QStringLiteral("FileName:"), nameParent), IDC_SAVE_FILENAME_LABEL)),
      fileName(named(new QLineEdit(nameParent), IDC_SAVE_FILENAME)),
      plus1(named(new QLabel(QStringLiteral("+"), nameParent), IDC_SAVE_PLUS1)),
      num(named(new QCheckBox(QStringLiteral("Num"), nameParent), IDC_SAVE_NUM)),
      plus2(named(new QLabel(QStringLiteral("+"), nameParent), IDC_SAVE_PLUS2)),
      typeList(named(new QComboBox(nameParent), IDC_SAVE_TYPE_LIST)),
      timeStamped(named(new QCheckBox(QStringLiteral("Use Time-stamped"), nameParent),
                        IDC_SAVE_TIME_STAMPED)) {}

void FileNamingControls::addNameRows(QGridLayout* grid, int row) const {
    grid->addWidget(fileNameLabel, row, 0);
    grid->addWidget(fileName, row, 1);
    grid->addWidget(plus1, row, 2);
    grid->addWidget(num, row, 3);
    grid->addWidget(plus2, row, 4);
    grid->addWidget(typeList, row, 5);
    grid->addWidget(timeStamped, row + 1, 0, 1, 6);
}

void FileNamingControls::updateEnabling() const {
    const bool config = useConfig->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{fileNameLabel, fileName, plus1, plus2, num}) {
        w->setEnabled(config && !timeStamped->isChecked());
    }
    timeStamped->setEnabled(config);
}

}  // namespace korvel::capture
