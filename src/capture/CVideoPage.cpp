#include "capture/CVideoPage.h"

#include "res/ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

}  // namespace

CVideoPage::CVideoPage(std::vector<InstalledCompressor> installed,
                       CompressorSettingsTable* settings, QWidget* parent)
    : QWidget(parent),
      list_(buildCompressorList(installed)),
      settings_(settings ? settings : &ownSettings_),
      useDialog_(named(new QRadioButton(QStringLiteral("Use File Save Dialog"), this),
                       IDC_SAVE_USE_DIALOG)),
      useConfig_(named(new QRadioButton(QStringLiteral("Use File Save Config"), this),
                       IDC_SAVE_USE_CONFIG)),
      naming_(named(new QGroupBox(this), IDC_SAVE_GROUP1)),
      fileNameLabel_(
          named(new QLabel(QStringLiteral("FileName:"), naming_), IDC_SAVE_FILENAME_LABEL)),
      fileName_(named(new QLineEdit(naming_), IDC_SAVE_FILENAME)),
      plus1_(named(new QLabel(QStringLiteral("+"), naming_), IDC_SAVE_PLUS1)),
      num_(named(new QCheckBox(QStringLiteral("Num"), naming_), IDC_SAVE_NUM)),
      plus2_(named(new QLabel(QStringLiteral("+"), naming_), IDC_SAVE_PLUS2)),
      typeList_(named(new QComboBox(naming_), IDC_SAVE_TYPE_LIST)),
      timeStamped_(
          named(new QCheckBox(QStringLiteral("Use Time-stamped"), naming_), IDC_SAVE_TIME_STAMPED)),
      compressor_(named(new QComboBox(this), IDC_VIDEO_COMPRESSOR_LIST)),
      config_(named(new QPushButton(QStringLiteral("Config"), this), IDC_VIDEO_COMPRESSOR_CONFIG)) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_VIDEO_PAGE));
    typeList_->addItem(QStringLiteral(".avi"));
    for (const CompressorEntry& entry : list_) {
        compressor_->addItem(QString::fromStdString(entry.description));
    }
    compressor_->addItem(QString::fromStdString(kNoCompressor));
    compressor_->setCurrentIndex(static_cast<int>(list_.size()));

    auto* namingGrid = new QGridLayout(naming_);
    namingGrid->addWidget(fileNameLabel_, 0, 0);
    namingGrid->addWidget(fileName_, 0, 1);
    namingGrid->addWidget(plus1_, 0, 2);
    namingGrid->addWidget(num_, 0, 3);
    namingGrid->addWidget(plus2_, 0, 4);
    namingGrid->addWidget(typeList_, 0, 5);
    namingGrid->addWidget(timeStamped_, 1, 0, 1, 6);

    auto* compression =
        named(new QGroupBox(QStringLiteral("Video Compressor"), this), IDC_VIDEO_COMPRESSOR_GROUP);
    auto* compressionRow = new QGridLayout(compression);
    compressionRow->addWidget(compressor_, 0, 0);
    compressionRow->addWidget(config_, 0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(useDialog_);
    layout->addWidget(useConfig_);
    layout->addWidget(naming_);
    layout->addWidget(compression);
    layout->addStretch(1);

    connect(useDialog_, &QRadioButton::clicked, this, &CVideoPage::updateEnabling);
    connect(useConfig_, &QRadioButton::clicked, this, &CVideoPage::updateEnabling);
    connect(num_, &QCheckBox::clicked, this, &CVideoPage::updateEnabling);
    connect(timeStamped_, &QCheckBox::clicked, this, &CVideoPage::updateEnabling);
    connect(compressor_, &QComboBox::currentIndexChanged, this, &CVideoPage::updateConfigButton);
    connect(config_, &QPushButton::clicked, this, &CVideoPage::onConfig);

    qualityDialog_ = [this](FourCC code, CompressorSettings& s) {
        CCompressorQualityDialog dialog(QString::fromStdString(compressorDescription(code)), s,
                                        this);
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
        s = dialog.settings();
        return true;
    };
    useDialog_->setChecked(true);
    updateConfigButton();
    updateEnabling();
}

void CVideoPage::AttachRecord(const camera::CameraRecord& record) {
    const camera::VideoSettings& v = record.video;
    (v.bConfig == 1 ? useConfig_ : useDialog_)->setChecked(true);
    fileName_->setText(QString::fromStdString(v.sFilename));
    num_->setChecked(v.bNum != 0);
    timeStamped_->setChecked(v.bTimeStamp != 0);
    typeList_->setCurrentIndex(0);
    compressor_->setCurrentIndex(compressorSelection(v.CompressID, list_.size()));
    updateConfigButton();
    updateEnabling();
}

void CVideoPage::StoreToRecord(camera::CameraRecord& record) const {
    camera::VideoSettings& v = record.video;
    v.bConfig = useConfig_->isChecked() ? 1 : 0;
    v.sFilename = fileName_->text().toStdString();
    v.bNum = num_->isChecked() ? 1 : 0;
    v.bTimeStamp = timeStamped_->isChecked() ? 1 : 0;
    const int position = compressor_->currentIndex();
    v.CompressID = position;
    v.Compress = static_cast<int>(compressorCodeAt(list_, position).value());
}

void CVideoPage::updateEnabling() {
    const bool config = useConfig_->isChecked();
    const bool stamped = timeStamped_->isChecked();
    naming_->setEnabled(config);
    for (QWidget* w :
         std::initializer_list<QWidget*>{fileNameLabel_, fileName_, plus1_, plus2_, num_}) {
        w->setEnabled(config && !stamped);
    }
    typeList_->setEnabled(config);
    timeStamped_->setEnabled(config);
}

void CVideoPage::updateConfigButton() {
    const int position = compressor_->currentIndex();
    const bool listed = position >= 0 && static_cast<std::size_t>(position) < list_.size();
    config_->setEnabled(listed && takesQuality(list_[static_cast<std::size_t>(position)].code));
}

void CVideoPage::onConfig() {
    const int position = compressor_->currentIndex();
    if (position < 0 || static_cast<std::size_t>(position) >= list_.size()) {
        return;  // "No Compressor"
    }
    const FourCC code = list_[static_cast<std::size_t>(position)].code;
    if (!takesQuality(code) || !qualityDialog_) {
        return;
    }
    CompressorSettings settings = (*settings_)[code.value()];
    if (qualityDialog_(code, settings)) {
        (*settings_)[code.value()] = settings;
    }
}

}  // namespace korvel::capture
