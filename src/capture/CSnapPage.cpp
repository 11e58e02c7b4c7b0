#include "capture/CSnapPage.h"

#include "capture/CRangeEdit.h"
#include "res/ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvel::capture {

using namespace korvel::res;

namespace {

template <typename W>
W* named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

// The type list's entries, in order.
const QStringList kTypeEntries{QStringLiteral(".jpg"), QStringLiteral(".bmp"),
                               QStringLiteral(".tiff"), QStringLiteral(".raw")};

}  // namespace

CSnapPage::CSnapPage(QWidget* parent)
    : QWidget(parent),
      useDialog_(named(new QRadioButton(QStringLiteral("Use File Save Dialog"), this),
                       IDC_SAVE_USE_DIALOG)),
      useConfig_(named(new QRadioButton(QStringLiteral("Use File Save Config"), this),
                       IDC_SAVE_USE_CONFIG)),
      fileNameLabel_(named(new QLabel(QStringLiteral("FileName:"), this), IDC_SAVE_FILENAME_LABEL)),
      fileName_(named(new QLineEdit(this), IDC_SAVE_FILENAME)),
      plus1_(named(new QLabel(QStringLiteral("+"), this), IDC_SAVE_PLUS1)),
      num_(named(new QCheckBox(QStringLiteral("Num"), this), IDC_SAVE_NUM)),
      plus2_(named(new QLabel(QStringLiteral("+"), this), IDC_SAVE_PLUS2)),
      typeList_(named(new QComboBox(this), IDC_SAVE_TYPE_LIST)),
      timeStamped_(
          named(new QCheckBox(QStringLiteral("Use Time-stamped"), this), IDC_SAVE_TIME_STAMPED)),
      timeLapse_(named(new QCheckBox(QStringLiteral("Time Lapse"), this), IDC_SAVE_TIME_LAPSE)),
      spaceLabel_(named(new QLabel(QStringLiteral("Space(s):"), this), IDC_SAVE_SPACE_LABEL)),
      space_(named(new CRangeEdit(0, 60, this), IDC_SAVE_SPACE)),
      countLabel_(named(new QLabel(QStringLiteral("Count:"), this), IDC_SAVE_COUNT_LABEL)),
      count_(named(new CRangeEdit(1, 1000, this), IDC_SAVE_COUNT)),
      fineMode_(named(new QCheckBox(QStringLiteral("Use Fine Mode"), this), IDC_SAVE_FINE_MODE)) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_SNAP_PAGE));
    typeList_->addItems(kTypeEntries);

    // The group boxes only frame their controls: each control keeps its own enabling.
    auto* naming = named(new QGroupBox(this), IDC_SAVE_GROUP1);
    auto* namingGrid = new QGridLayout(naming);
    namingGrid->addWidget(useDialog_, 0, 0, 1, 6);
    namingGrid->addWidget(useConfig_, 1, 0, 1, 6);
    namingGrid->addWidget(fileNameLabel_, 2, 0);
    namingGrid->addWidget(fileName_, 2, 1);
    namingGrid->addWidget(plus1_, 2, 2);
    namingGrid->addWidget(num_, 2, 3);
    namingGrid->addWidget(plus2_, 2, 4);
    namingGrid->addWidget(typeList_, 2, 5);
    namingGrid->addWidget(timeStamped_, 3, 0, 1, 6);

    auto* series = named(new QGroupBox(this), IDC_SAVE_GROUP2);
    auto* seriesGrid = new QGridLayout(series);
    seriesGrid->addWidget(timeLapse_, 0, 0, 1, 4);
    seriesGrid->addWidget(spaceLabel_, 1, 0);
    seriesGrid->addWidget(space_, 1, 1);
    seriesGrid->addWidget(countLabel_, 1, 2);
    seriesGrid->addWidget(count_, 1, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(naming);
    layout->addWidget(series);
    layout->addWidget(fineMode_);
    layout->addStretch(1);

    connect(useDialog_, &QRadioButton::clicked, this, &CSnapPage::onUseDialog);
    connect(useConfig_, &QRadioButton::clicked, this, &CSnapPage::onUseConfig);
    for (QCheckBox* box : {num_, timeStamped_, timeLapse_}) {
        connect(box, &QCheckBox::clicked, this, &CSnapPage::updateEnabling);
    }
    fineMode_->setEnabled(false);
    updateEnabling();
}

int CSnapPage::typeEntryFor(int fileType) {
    switch (fileType) {
        case 1:
            return 0;  // .jpg
        case 4:
            return 3;  // .raw
        case 8:
            return 2;  // .tiff
        default:
            return 1;  // .bmp
    }
}

int CSnapPage::fileTypeOfEntry(const QString& entry) {
    if (entry == QLatin1String(".jpg")) {
        return 1;
    }
    if (entry == QLatin1String(".tiff")) {
        return 8;
    }
    if (entry == QLatin1String(".raw")) {
        return 4;
    }
    return 2;
}

void CSnapPage::AttachRecord(const camera::CameraRecord& record) {
    const camera::SnapshotSettings& s = record.snapshot;
    (s.bConfig == 1 ? useConfig_ : useDialog_)->setChecked(true);
    fileName_->setText(QString::fromStdString(s.sFilename));
    num_->setChecked(s.bNum != 0);
    timeStamped_->setChecked(s.bTimeStamp != 0);
    timeLapse_->setChecked(s.bLapse != 0);
    space_->setValue(s.nSpace);
    count_->setValue(s.nCount);
    typeList_->setCurrentIndex(typeEntryFor(s.uiFiletype));
    updateEnabling();
    fineMode_->setEnabled(record.precisionSnapshotOffered != 0);
    fineMode_->setChecked(record.precisionSnapshot != 0);
}

void CSnapPage::StoreToRecord(camera::CameraRecord& record) const {
    camera::SnapshotSettings& s = record.snapshot;
    s.bConfig = useConfig_->isChecked() ? 1 : 0;
    s.sFilename = fileName_->text().toStdString();
    s.bNum = num_->isChecked() ? 1 : 0;
    s.bTimeStamp = timeStamped_->isChecked() ? 1 : 0;
    s.bLapse = timeLapse_->isChecked() ? 1 : 0;
    // An emptied box keeps the smallest value it allows.
    s.nSpace = space_->value() < 0 ? 0 : space_->value();
    s.nCount = count_->value() < 0 ? 1 : count_->value();
    s.uiFiletype = fileTypeOfEntry(typeList_->currentText());
    record.precisionSnapshot = fineMode_->isChecked() ? 1 : 0;
}

void CSnapPage::onUseDialog() {
    useDialog_->setChecked(true);
    space_->setValue(0);
    count_->setValue(1);
    updateEnabling();
}

void CSnapPage::onUseConfig() {
    useConfig_->setChecked(true);
    updateEnabling();
}

void CSnapPage::updateEnabling() {
    const bool config = useConfig_->isChecked();
    const bool stamped = timeStamped_->isChecked();
    const bool lapse = timeLapse_->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{fileNameLabel_, fileName_, plus1_, plus2_, num_}) {
        w->setEnabled(config && !stamped);
    }
    timeStamped_->setEnabled(config);
    timeLapse_->setEnabled(config);
    for (QWidget* w : std::initializer_list<QWidget*>{spaceLabel_, space_, countLabel_, count_}) {
        w->setEnabled(config && lapse);
    }
    typeList_->setEnabled(true);
}

}  // namespace korvel::capture
