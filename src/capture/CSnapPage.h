#pragma once

// The "Snap" page of the save configuration (dialog 140): how snapshots are named, in
// which file type they are written, and the timed series.

#include "camera/CameraRecord.h"
#include "capture/FileNamingControls.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace korvel::capture {

class CRangeEdit;

class CSnapPage : public QWidget {
    Q_OBJECT

public:
    explicit CSnapPage(QWidget* parent = nullptr);

    void AttachRecord(const camera::CameraRecord& record);
    void StoreToRecord(camera::CameraRecord& record) const;

    // The buttons' actions, as their clicks run them.
    void onUseDialog();
    void onUseConfig();
    void updateEnabling();

    QRadioButton* useDialogButton() const { return names_.useDialog; }
    QRadioButton* useConfigButton() const { return names_.useConfig; }
    QLabel* fileNameLabel() const { return names_.fileNameLabel; }
    QLineEdit* fileNameEdit() const { return names_.fileName; }
    QLabel* plusLabel(int i) const { return i == 0 ? names_.plus1 : names_.plus2; }
    QCheckBox* numBox() const { return names_.num; }
    QComboBox* typeList() const { return names_.typeList; }
    QCheckBox* timeStampedBox() const { return names_.timeStamped; }
    QCheckBox* timeLapseBox() const { return timeLapse_; }
    QLabel* spaceLabel() const { return spaceLabel_; }
    CRangeEdit* spaceEdit() const { return space_; }
    QLabel* countLabel() const { return countLabel_; }
    CRangeEdit* countEdit() const { return count_; }
    QCheckBox* fineModeBox() const { return fineMode_; }

    // The type list's entry for a file type code, and the code of an entry.
    static int typeEntryFor(int fileType);
    static int fileTypeOfEntry(const QString& entry);

private:
    // Children, owned through Qt's parent.
    QGroupBox* namingGroup_;
    FileNamingControls names_;
    QCheckBox* timeLapse_;
    QLabel* spaceLabel_;
    CRangeEdit* space_;
    QLabel* countLabel_;
    CRangeEdit* count_;
    QCheckBox* fineMode_;
};

}  // namespace korvel::capture
