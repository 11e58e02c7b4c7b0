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

CVideoPage::CVideoPage(std::vector<InstalledCompressor> installed,
                       CompressorSettingsTable* settings, QWidget* parent)
    : QWidget(parent),
      list_(buildCompressorList(installed)),
      settings_(settings ? settings : &ownSettings_),
      namingGroup_(named(new QGroupBox(this), IDC_SAVE_GROUP1)),
      names_(this, namingGroup_),
      compressor_(named(new QComboBox(this), IDC_VIDEO_COMPRESSOR_LIST)),
      config_(named(new QPushButton(QStringLiteral("Config"), this), IDC_VIDEO_COMPRESSOR_CONFIG)) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_VIDEO_PAGE));
    names_.typeList->addItem(QStringLiteral(".avi"));
    for (const CompressorEntry& entry : list_) {
        compressor_->addItem(QString::fromStdString(entry.description));
    }
    compressor_->addItem(QString::fromStdString(kNoCompressor));
    compressor_->setCurrentIndex(static_cast<int>(list_.size()));

    names_.addNameRows(new QGridLayout(namingGroup_), 0);

    auto* compression =
        named(new QGroupBox(QStringLiteral("Video Compressor"), this), IDC_VIDEO_COMPRESSOR_GROUP);
    auto* compressionRow = new QGridLayout(compression);
    compressionRow->addWidget(compressor_, 0, 0);
    compressionRow->addWidget(config_, 0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(names_.useDialog);
    layout->addWidget(names_.useConfig);
    layout->addWidget(namingGroup_);
    layout->addWidget(compression);
    layout->addStretch(1);

    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             names_.useDialog, names_.useConfig, names_.num, names_.timeStamped}) {
        connect(button, &QAbstractButton::clicked, this, &CVideoPage::updateEnabling);
    }
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
    names_.useDialog->setChecked(true);
    updateConfigButton();
    updateEnabling();
}

void CVideoPage::AttachRecord(const camera::CameraRecord& record) {
    const camera::VideoSettings& v = record.video;
    names_.load(v);
    names_.typeList->setCurrentIndex(0);
    compressor_->setCurrentIndex(compressorSelection(v.CompressID, list_.size()));
    updateConfigButton();
    updateEnabling();
}

void CVideoPage::StoreToRecord(camera::CameraRecord& record) const {
    camera::VideoSettings& v = record.video;
    names_.store(v);
    const int position = compressor_->currentIndex();
    v.CompressID = position;
    v.Compress = static_cast<int>(compressorCodeAt(list_, position).value());
}

void CVideoPage::updateEnabling() {
    const bool config = names_.useConfig->isChecked();
    namingGroup_->setEnabled(config);
    names_.updateEnabling();
    names_.typeList->setEnabled(config);
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
