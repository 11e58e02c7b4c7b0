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

// The type list's entries, in order.
const QStringList kTypeEntries{QStringLiteral(".jpg"), QStringLiteral(".bmp"),
                               QStringLiteral(".tiff"), QStringLiteral(".raw")};

}  // namespace

CSnapPage::CSnapPage(QWidget* parent)
    : QWidget(parent),
      namingGroup_(named(new QGroupBox(this), IDC_SAVE_GROUP1)),
      names_(this, namingGroup_),
      timeLapse_(named(new QCheckBox(QStringLiteral("Time Lapse"), this), IDC_SAVE_TIME_LAPSE)),
      spaceLabel_(named(new QLabel(QStringLiteral("Space(s):"), this), IDC_SAVE_SPACE_LABEL)),
      space_(named(new CRangeEdit(0, 60, this), IDC_SAVE_SPACE)),
      countLabel_(named(new QLabel(QStringLiteral("Count:"), this), IDC_SAVE_COUNT_LABEL)),
      count_(named(new CRangeEdit(1, 1000, this), IDC_SAVE_COUNT)),
      fineMode_(named(new QCheckBox(QStringLiteral("Use Fine Mode"), this), IDC_SAVE_FINE_MODE)) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_SNAP_PAGE));
    names_.typeList->addItems(kTypeEntries);

    // The group boxes only frame their controls: each control keeps its own enabling.
    auto* namingGrid = new QGridLayout(namingGroup_);
    namingGrid->addWidget(names_.useDialog, 0, 0, 1, 6);
    namingGrid->addWidget(names_.useConfig, 1, 0, 1, 6);
    names_.addNameRows(namingGrid, 2);

    auto* series = named(new QGroupBox(this), IDC_SAVE_GROUP2);
    auto* seriesGrid = new QGridLayout(series);
    seriesGrid->addWidget(timeLapse_, 0, 0, 1, 4);
    seriesGrid->addWidget(spaceLabel_, 1, 0);
    seriesGrid->addWidget(space_, 1, 1);
    seriesGrid->addWidget(countLabel_, 1, 2);
    seriesGrid->addWidget(count_, 1, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(namingGroup_);
    layout->addWidget(series);
    layout->addWidget(fineMode_);
    layout->addStretch(1);

    connect(names_.useDialog, &QRadioButton::clicked, this, &CSnapPage::onUseDialog);
    connect(names_.useConfig, &QRadioButton::clicked, this, &CSnapPage::onUseConfig);
    for (QCheckBox* box : {names_.num, names_.timeStamped, timeLapse_}) {
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
    names_.load(s);
    timeLapse_->setChecked(s.bLapse != 0);
    space_->setValue(s.nSpace);
    count_->setValue(s.nCount);
    names_.typeList->setCurrentIndex(typeEntryFor(s.uiFiletype));
    updateEnabling();
    fineMode_->setEnabled(record.precisionSnapshotOffered != 0);
    fineMode_->setChecked(record.precisionSnapshot != 0);
}

void CSnapPage::StoreToRecord(camera::CameraRecord& record) const {
    camera::SnapshotSettings& s = record.snapshot;
    names_.store(s);
    s.bLapse = timeLapse_->isChecked() ? 1 : 0;
    // An emptied box keeps the smallest value it allows.
    s.nSpace = space_->value() < 0 ? 0 : space_->value();
    s.nCount = count_->value() < 0 ? 1 : count_->value();
    s.uiFiletype = fileTypeOfEntry(names_.typeList->currentText());
    record.precisionSnapshot = fineMode_->isChecked() ? 1 : 0;
}

void CSnapPage::onUseDialog() {
    names_.useDialog->setChecked(true);
    space_->setValue(0);
    count_->setValue(1);
    updateEnabling();
}

void CSnapPage::onUseConfig() {
    names_.useConfig->setChecked(true);
    updateEnabling();
}

void CSnapPage::updateEnabling() {
    names_.updateEnabling();
    const bool config = names_.useConfig->isChecked();
    const bool lapse = timeLapse_->isChecked();
    timeLapse_->setEnabled(config);
    for (QWidget* w : std::initializer_list<QWidget*>{spaceLabel_, space_, countLabel_, count_}) {
        w->setEnabled(config && lapse);
    }
    names_.typeList->setEnabled(true);
}

}  // namespace korvel::capture
