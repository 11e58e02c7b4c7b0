#pragma once

// The "Resolution" page of the save configuration dialog (dialog 234): the camera's
// resolutions for the live preview and for captures, and a lock that keeps both lists on
// the same entry. The camera library fills both lists.

#include <QColor>
#include <QWidget>

#include "camera/CameraRecord.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace korvel::camera {

class CResolutionPage : public QWidget {
public:
    static constexpr QColor kBackground{216, 231, 252};

    explicit CResolutionPage(QWidget* parent = nullptr);
    ~CResolutionPage() override;

    // Selects the record's preview and capture entries and sets the lock from it.
    void AttachRecord(CameraRecord* record);
    // Lock, preview index and capture index go to the record.
    void StoreToRecord(CameraRecord* record);

    CameraRecord* record() const { return record_; }
    bool locked() const;

    // The controls, for the dialog and for tests.
    QComboBox* previewList() const { return preview_; }
    QComboBox* captureList() const { return capture_; }
    QPushButton* lockButton() const { return lock_; }

    // The controls' actions, as their notifications run them.
    void onPreviewChosen(int index);
    void onCaptureChosen(int index);
    void onLock();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CameraRecord* record_ = nullptr;

    // Children, owned through Qt's parent.
    QComboBox* preview_;
    QComboBox* capture_;
    QPushButton* lock_;
    QPoint lockHome_;  // the lock's place at the page's own width
};

}  // namespace korvel::camera
