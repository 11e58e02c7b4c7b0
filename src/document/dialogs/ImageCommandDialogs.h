#pragma once

// The dialogs of the image-processing commands. Each starts from the settings it is
// given and hands back the settings as the user left them.

#include "document/ImageDialogs.h"
#include "document/dialogs/FormDialog.h"

#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class QTableWidget;

namespace korvel::document {

class RotateDialog : public FormDialog {
    Q_OBJECT
public:
    RotateDialog(const KxImage& picture, const RotateSettings& s, QWidget* parent = nullptr);
    RotateSettings settings() const;
    void setAngle(double degrees);

private:
    void refreshPreview();
    KxImage preview_;
    QDoubleSpinBox* angle_;
    QSlider* slider_;
    QComboBox* interpolation_;
    QComboBox* overflow_;
    QCheckBox* keepSize_;
    PreviewPair* previews_;
};

class ResampleDialog : public FormDialog {
    Q_OBJECT
public:
    ResampleDialog(const KxImage& picture, const ResampleSettings& s, QWidget* parent = nullptr);
    ResampleSettings settings() const;

private:
    int width_;
    int height_;
    QButtonGroup* mode_;
    QDoubleSpinBox* factor_;
    QSpinBox* pixelWidth_;
    QSpinBox* pixelHeight_;
    QCheckBox* keepAspect_;
    QComboBox* interpolation_;
};

class SkewDialog : public FormDialog {
    Q_OBJECT
public:
    SkewDialog(const KxImage& picture, const SkewSettings& s, QWidget* parent = nullptr);
    SkewSettings settings() const;

private:
    void refresh();
    int width_;
    int height_;
    QSpinBox* pivotX_;
    QSpinBox* pivotY_;
    QDoubleSpinBox* skewX_;
    QDoubleSpinBox* skewY_;
    QLineEdit* angle_;
    QLineEdit* slope_;
    QCheckBox* interpolate_;
};

class DecreaseBppDialog : public FormDialog {
    Q_OBJECT
public:
    explicit DecreaseBppDialog(const DecreaseBppSettings& s, QWidget* parent = nullptr);
    DecreaseBppSettings settings() const;
    QLineEdit* countField() const { return count_; }
    QCheckBox* limitBox() const { return limit_; }

private:
    QButtonGroup* bpp_;
    QButtonGroup* palette_;
    QCheckBox* diffusion_;
    QCheckBox* limit_;
    QLineEdit* count_;
};

class ChoiceDialog : public FormDialog {
    Q_OBJECT
public:
    // Radio buttons in a column; `values` are the answers of the choices.
    ChoiceDialog(const QString& title, const QStringList& choices, const std::vector<int>& values,
                 int initial, QWidget* parent = nullptr);
    int value() const;

private:
    QButtonGroup* group_;
    std::vector<int> values_;
};

class ThresholdDialog : public FormDialog {
    Q_OBJECT
public:
    ThresholdDialog(const KxImage& picture, const ThresholdSettings& s, QWidget* parent = nullptr);
    ThresholdSettings settings() const;

private:
    KxImage preview_;
    QSlider* level_;
    PreviewPair* previews_;
};

class ColorizeDialog : public FormDialog {
    Q_OBJECT
public:
    explicit ColorizeDialog(const ColorizeSettings& s, QWidget* parent = nullptr);
    ColorizeSettings settings() const;

private:
    QButtonGroup* mode_;
    QSpinBox* hue_;
    QSpinBox* saturation_;
    QSpinBox* blend_;
    QSpinBox* red_;
    QSpinBox* green_;
    QSpinBox* blue_;
};

class LightDialog : public FormDialog {
    Q_OBJECT
public:
    LightDialog(const KxImage& picture, const LightSettings& s, QWidget* parent = nullptr);
    LightSettings settings() const;

private:
    void refresh();
    KxImage preview_;
    QSlider* lighten_;
    QSlider* contrast_;
    QSlider* gamma_;
    QLabel* gammaText_;
    PreviewPair* previews_;
};

class RepairDialog : public FormDialog {
    Q_OBJECT
public:
    explicit RepairDialog(const RepairSettings& s, QWidget* parent = nullptr);
    RepairSettings settings() const;

private:
    QComboBox* space_;
    QDoubleSpinBox* radius_;
    QLineEdit* iterations_;
};

class OptionsDialog : public FormDialog {
    Q_OBJECT
public:
    OptionsDialog(const OptionsSettings& s, const QString& exifReport, QWidget* parent = nullptr);
    OptionsSettings settings() const;

private:
    QLineEdit* quality_;
    QLineEdit* xDpi_;
    QLineEdit* yDpi_;
    QButtonGroup* tiff_;
    QButtonGroup* gif_;
    QButtonGroup* png_;
    QButtonGroup* jpeg_;
    QCheckBox* optimize_;
};

class PaletteDialog : public FormDialog {
    Q_OBJECT
public:
    PaletteDialog(const PaletteSettings& s, QWidget* parent = nullptr);
    PaletteSettings settings() const;
    // Takes the entries of a palette file as "Load ..." does; false when none were loaded.
    bool loadFile(const QString& path);
    bool saveFile(const QString& path) const;

private:
    void showEntries();
    void editEntry(int index);
    PaletteSettings settings_;
    int pictureColours_;
    QTableWidget* grid_;
    QCheckBox* editAlpha_;
    QButtonGroup* mapping_;
};

// A document picker: the documents by title, "(None)" first when `none` is set.
class DocumentPicker;

class CombineDialog : public FormDialog {
    Q_OBJECT
public:
    CombineDialog(const std::vector<CKorvelDoc*>& documents, const CombineSettings& s,
                  QWidget* parent = nullptr);
    CombineSettings settings() const;

private:
    std::vector<CKorvelDoc*> documents_;
    std::array<QComboBox*, 4> sources_;
    std::array<QComboBox*, 4> components_;
    QComboBox* space_;
};

class FftDialog : public FormDialog {
    Q_OBJECT
public:
    FftDialog(const std::vector<CKorvelDoc*>& documents, const FftSettings& s,
              QWidget* parent = nullptr);
    FftSettings settings() const;
    QComboBox* realPicker() const { return real_; }
    QComboBox* imaginaryPicker() const { return imaginary_; }

private:
    std::vector<CKorvelDoc*> documents_;
    QComboBox* real_;
    QComboBox* imaginary_;
    QCheckBox* inverse_;
    QCheckBox* magnitude_;
    QCheckBox* force_;
};

class MixDialog : public FormDialog {
    Q_OBJECT
public:
    MixDialog(const std::vector<CKorvelDoc*>& documents, const MixSettings& s,
              QWidget* parent = nullptr);
    MixSettings settings() const;
    void refreshPreview();

private:
    std::vector<CKorvelDoc*> documents_;
    QComboBox* destination_;
    QComboBox* source_;
    QComboBox* operation_;
    QSpinBox* xOffset_;
    QSpinBox* yOffset_;
    QCheckBox* mixAlpha_;
    QLabel* preview_;
};

class JpegCompressionDialog : public FormDialog {
    Q_OBJECT
public:
    explicit JpegCompressionDialog(const JpegCompressionSettings& s, QWidget* parent = nullptr);
    JpegCompressionSettings settings() const;
    QLineEdit* qualityField() const { return quality_; }

private:
    QLineEdit* quality_;
    QButtonGroup* format_;
};

}  // namespace korvel::document
