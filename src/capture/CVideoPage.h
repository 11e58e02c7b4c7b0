#pragma once

// The "Video" page of the save configuration (dialog 206): how recordings are named and
// which video compressor writes them.

#include "camera/CameraRecord.h"
#include "capture/CCompressorQualityDialog.h"
#include "capture/CompressorList.h"
#include "capture/FileNamingControls.h"

#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvel::capture {

class CVideoPage : public QWidget {
    Q_OBJECT

public:
    // `installed` is the platform's enumeration; `settings` receives what "Config" sets
    // (the page keeps its own table when none is given).
    explicit CVideoPage(std::vector<InstalledCompressor> installed = installedCompressors(),
                        CompressorSettingsTable* settings = nullptr, QWidget* parent = nullptr);

    void AttachRecord(const camera::CameraRecord& record);
    void StoreToRecord(camera::CameraRecord& record) const;

    void updateEnabling();
    void updateConfigButton();
    // "Config": the quality dialog of the selected compressor.
    void onConfig();
    // Runs the quality dialog (modal unless replaced); true when it was accepted.
    using QualityDialog = std::function<bool(FourCC code, CompressorSettings& settings)>;
    void setQualityDialog(QualityDialog dialog) { qualityDialog_ = std::move(dialog); }

    const std::vector<CompressorEntry>& compressors() const { return list_; }
    const CompressorSettingsTable& compressorSettings() const { return *settings_; }

    QRadioButton* useDialogButton() const { return names_.useDialog; }
    QRadioButton* useConfigButton() const { return names_.useConfig; }
    QLineEdit* fileNameEdit() const { return names_.fileName; }
    QLabel* fileNameLabel() const { return names_.fileNameLabel; }
    QCheckBox* numBox() const { return names_.num; }
    QCheckBox* timeStampedBox() const { return names_.timeStamped; }
    QComboBox* typeList() const { return names_.typeList; }
    QComboBox* compressorList() const { return compressor_; }
    QPushButton* configButton() const { return config_; }
    QGroupBox* namingGroup() const { return namingGroup_; }

private:
    std::vector<CompressorEntry> list_;
    CompressorSettingsTable ownSettings_;
    CompressorSettingsTable* settings_;
    QualityDialog qualityDialog_;

    // Children, owned through Qt's parent.
    QGroupBox* namingGroup_;
    FileNamingControls names_;
    QComboBox* compressor_;
    QPushButton* config_;
};

}  // namespace korvel::capture
