#pragma once

// "Select Camera": a model sold in a monochrome and a colour variant asks which one is
// plugged in. The list holds the monochrome text first, the colour text second.

#include <QDialog>

#include <optional>

class QListWidget;

namespace korvel::camera {

struct CameraVariants {
    int monoTypeId;
    int colourTypeId;
    QString monoText;
    QString colourText;
};

// The variants offered for a detected type id; none when the model has no pair.
std::optional<CameraVariants> cameraVariants(int typeId);

class SelectCameraDialog : public QDialog {
    Q_OBJECT

public:
    explicit SelectCameraDialog(const CameraVariants& variants, QWidget* parent = nullptr);

    // The type id of the selected entry: the colour id for the second, else the mono id.
    int chosenTypeId() const;
    QListWidget* list() const { return list_; }

private:
    CameraVariants variants_;
    QListWidget* list_;  // owned by the dialog
};

}  // namespace korvel::camera
