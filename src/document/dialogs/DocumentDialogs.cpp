// Dialogs of Options, Palette and the commands that make new documents.

#include "document/CKorvelDoc.h"
#include "document/ImageAlgorithms.h"
#include "document/PaletteFile.h"
#include "document/dialogs/DialogParts.h"
#include "document/dialogs/ImageCommandDialogs.h"
#include "framework/MessageBox.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QTableWidget>

#include <algorithm>

namespace korvel::document {

using parts::integerEdit;
using parts::radioRow;

namespace {

// Fills a picker with the documents' titles, "(None)" first when asked.
void fillPicker(QComboBox* picker, const std::vector<CKorvelDoc*>& documents, bool none) {
    if (none) {
        picker->addItem(QStringLiteral("(None)"));
    }
    for (const CKorvelDoc* doc : documents) {
        picker->addItem(doc->GetTitle());
    }
}

int pickerIndex(const std::vector<CKorvelDoc*>& documents, const CKorvelDoc* doc, bool none) {
    const auto it = std::find(documents.begin(), documents.end(), doc);
    if (it == documents.end()) {
        return 0;
    }
    return int(it - documents.begin()) + (none ? 1 : 0);
}

CKorvelDoc* pickedDocument(const std::vector<CKorvelDoc*>& documents, const QComboBox* picker,
                           bool none) {
    const int index = picker->currentIndex() - (none ? 1 : 0);
    return index >= 0 && index < int(documents.size()) ? documents[std::size_t(index)] : nullptr;
}

// Radio choices with stored values; `checked` is the stored value.
QButtonGroup* valueRow(QWidget* owner, QFormLayout* form, const QString& label,
                       const QStringList& choices, const std::vector<uint32_t>& values,
                       uint32_t stored) {
    int checked = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] == stored) {
            checked = int(i);
        }
    }
    return radioRow(owner, form, label, choices, checked, true);
}

constexpr uint32_t kTiffValues[] = {0, 1, 2, 4, 32773, 7, 5};
constexpr uint32_t kJpegProgressive = 16;
constexpr uint32_t kJpegOptimize = 8;

}  // namespace

// --- Options ------------------------------------------------------------------------------

OptionsDialog::OptionsDialog(const OptionsSettings& s, const QString& exifReport, QWidget* parent)
    : FormDialog(QStringLiteral("Options"), parent),
      quality_(integerEdit(this, s.quality)),
      xDpi_(integerEdit(this, s.xDpi)),
      yDpi_(integerEdit(this, s.yDpi)),
      optimize_(new QCheckBox(QStringLiteral("Optimize"), this)) {
    form()->addRow(QStringLiteral("JPEG quality [0 ... 100]"), quality_);
    form()->addRow(QStringLiteral("X resolution [DPI]"), xDpi_);
    form()->addRow(QStringLiteral("Y resolution [DPI]"), yDpi_);
    // A stored 3 is a fax code too.
    tiff_ = valueRow(this, form(), QStringLiteral("TIFF"),
                     {"Default : auto", "none", "RLE", "Fax", "Packbits", "Jpeg", "LZW"},
                     {std::begin(kTiffValues), std::end(kTiffValues)}, s.tiff == 3 ? 4 : s.tiff);
    gif_ = valueRow(this, form(), QStringLiteral("GIF"), {"Default : LZW", "None", "RLE"},
                    {0, 1, 2}, s.gif);
    png_ = valueRow(this, form(), QStringLiteral("PNG"), {"Default : not interlaced", "interlaced"},
                    {0, 1}, s.png);
    jpeg_ = valueRow(this, form(), QStringLiteral("JPEG"), {"Default : baseline", "progressive"},
                     {0, kJpegProgressive}, s.jpeg & kJpegProgressive);
    optimize_->setChecked((s.jpeg & kJpegOptimize) != 0);
    form()->addRow(QString(), optimize_);
    auto* exif = new QPushButton(QStringLiteral("Exif"), this);
    exif->setEnabled(!exifReport.isEmpty());
    extra()->addWidget(exif);
    connect(exif, &QPushButton::clicked, this, [this, exifReport] {
        framework::AfxMessageBox(exifReport, framework::MB_ICONQUESTION, this);
    });
    setCheck([this]() -> std::optional<QString> {
        if (auto m = checkIntegerField(quality_, 1, 255)) {
            return m;
        }
        if (auto m = checkIntegerField(xDpi_, 0, 10000)) {
            return m;
        }
        return checkIntegerField(yDpi_, 0, 10000);
    });
}

OptionsSettings OptionsDialog::settings() const {
    OptionsSettings s;
    s.quality = integerField(quality_);
    s.xDpi = integerField(xDpi_);
    s.yDpi = integerField(yDpi_);
    s.tiff = kTiffValues[std::clamp(tiff_->checkedId(), 0, 6)];
    s.gif = uint32_t(std::max(0, gif_->checkedId()));
    s.png = uint32_t(std::max(0, png_->checkedId()));
    s.jpeg = (jpeg_->checkedId() == 1 ? kJpegProgressive : 0) |
             (optimize_->isChecked() ? kJpegOptimize : 0);
    return s;
}

// --- Palette ------------------------------------------------------------------------------

PaletteDialog::PaletteDialog(const PaletteSettings& s, QWidget* parent)
    : FormDialog(QStringLiteral("Palette"), parent),
      settings_(s),
      pictureColours_(int(s.entries.size())),
      grid_(new QTableWidget(this)),
      editAlpha_(new QCheckBox(QStringLiteral("Edit alpha component"), this)) {
    grid_->setColumnCount(16);
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setDefaultSectionSize(18);
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setMouseTracking(true);
    extra()->addWidget(grid_);
    extra()->addWidget(editAlpha_);
    auto* load = new QPushButton(QStringLiteral("Load ..."), this);
    auto* save = new QPushButton(QStringLiteral("Save ..."), this);
    extra()->addWidget(load);
    extra()->addWidget(save);
    mapping_ = radioRow(this, form(), QString(),
                        {"Maintain indexes", "Nearest color matching", "Error diffusion dithering"},
                        int(s.mapping), true);
    connect(grid_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { editEntry(row * 16 + column); });
    connect(load, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open file"), {},
                                                          QStringLiteral("*.pal;;*.*"));
        if (!path.isEmpty()) {
            loadFile(path);
        }
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save file"), {},
                                                          QStringLiteral("*.pal;;*.*"));
        if (!path.isEmpty()) {
            saveFile(path);
        }
    });
    showEntries();
}

void PaletteDialog::showEntries() {
    const int n = int(settings_.entries.size());
    grid_->clearContents();
    grid_->setRowCount((n + 15) / 16);
    for (int i = 0; i < n; ++i) {
        const RGBQUAD& c = settings_.entries[std::size_t(i)];
        auto* cell = new QTableWidgetItem;  // the table takes it
        cell->setBackground(QColor(c.rgbRed, c.rgbGreen, c.rgbBlue));
        cell->setToolTip(QString::asprintf(" I : %d, RGBA : %d, %d, %d, %d", i, c.rgbRed,
                                           c.rgbGreen, c.rgbBlue, c.rgbReserved));
        grid_->setItem(i / 16, i % 16, cell);
    }
}

void PaletteDialog::editEntry(int index) {
    if (index < 0 || index >= int(settings_.entries.size())) {
        return;
    }
    RGBQUAD& c = settings_.entries[std::size_t(index)];
    const QColorDialog::ColorDialogOptions options = editAlpha_->isChecked()
                                                         ? QColorDialog::ShowAlphaChannel
                                                         : QColorDialog::ColorDialogOptions();
    const QColor chosen = QColorDialog::getColor(
        QColor(c.rgbRed, c.rgbGreen, c.rgbBlue, c.rgbReserved), this, QString(), options);
    if (!chosen.isValid()) {
        return;
    }
    c = RGBQUAD{uint8_t(chosen.blue()), uint8_t(chosen.green()), uint8_t(chosen.red()),
                editAlpha_->isChecked() ? uint8_t(chosen.alpha()) : c.rgbReserved};
    settings_.changed = true;
    showEntries();
}

bool PaletteDialog::loadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    // A palette file is small; anything beyond 64 KiB cannot add entries.
    const PaletteReadResult result = readPaletteFile(file.read(65536), pictureColours_);
    if (!result.message.isEmpty()) {
        framework::AfxMessageBox(result.message, framework::MB_ICONWARNING, this);
    }
    if (!result.loaded) {
        return false;
    }
    std::copy(result.entries.begin(), result.entries.end(), settings_.entries.begin());
    settings_.changed = true;
    showEntries();
    return true;
}

bool PaletteDialog::saveFile(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(writeRiffPalette(settings_.entries));
    return file.commit();
}

PaletteSettings PaletteDialog::settings() const {
    PaletteSettings s = settings_;
    s.mapping = PaletteSettings::Mapping(std::clamp(mapping_->checkedId(), 0, 2));
    return s;
}

// --- Combine ------------------------------------------------------------------------------

CombineDialog::CombineDialog(const std::vector<CKorvelDoc*>& documents, const CombineSettings& s,
                             QWidget* parent)
    : FormDialog(QStringLiteral("Combine"), parent), documents_(documents) {
    static const char* const kLabels[] = {
        "Red / H /  Y /  X channel source:", "Green / S / U /  I /  Y channel source:",
        "Blue / L /  V / Q /  Z channel source:", "Alpha channel source:"};
    for (std::size_t i = 0; i < 4; ++i) {
        const bool none = i == 3;
        sources_[i] = new QComboBox(this);
        fillPicker(sources_[i], documents, none);
        sources_[i]->setCurrentIndex(pickerIndex(documents, s.sources[i], none));
        components_[i] = new QComboBox(this);
        components_[i]->addItems({"gray", "red", "green", "blue"});
        components_[i]->setCurrentIndex(s.components[i]);
        auto* row = new QWidget(this);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(sources_[i]);
        layout->addWidget(components_[i]);
        form()->addRow(QString::fromLatin1(kLabels[i]), row);
    }
    space_ = new QComboBox(this);
    space_->addItems({"RGB", "HSL", "YUV", "YIQ", "XYZ"});
    space_->setCurrentIndex(s.colorSpace);
    form()->addRow(QStringLiteral("Color Space"), space_);
}

CombineSettings CombineDialog::settings() const {
    CombineSettings s;
    for (std::size_t i = 0; i < 4; ++i) {
        s.sources[i] = pickedDocument(documents_, sources_[i], i == 3);
        s.components[i] = components_[i]->currentIndex();
    }
    s.colorSpace = space_->currentIndex();
    return s;
}

// --- FFT ----------------------------------------------------------------------------------

FftDialog::FftDialog(const std::vector<CKorvelDoc*>& documents, const FftSettings& s,
                     QWidget* parent)
    : FormDialog(QStringLiteral("FFT"), parent),
      documents_(documents),
      real_(new QComboBox(this)),
      imaginary_(new QComboBox(this)),
      inverse_(new QCheckBox(QStringLiteral("Inverse"), this)),
      magnitude_(new QCheckBox(QStringLiteral("Compute magnitude"), this)),
      force_(new QCheckBox(QStringLiteral("Force FFT"), this)) {
    fillPicker(real_, documents, true);
    fillPicker(imaginary_, documents, true);
    real_->setCurrentIndex(s.real ? pickerIndex(documents, s.real, true) : 0);
    imaginary_->setCurrentIndex(s.imaginary ? pickerIndex(documents, s.imaginary, true) : 0);
    inverse_->setChecked(s.inverse);
    magnitude_->setChecked(s.magnitude);
    force_->setChecked(s.force);
    form()->addRow(QStringLiteral("Real"), real_);
    form()->addRow(QStringLiteral("Imaginary"), imaginary_);
    form()->addRow(QString(), inverse_);
    form()->addRow(QString(), magnitude_);
    form()->addRow(QString(), force_);
    // Nothing to transform while both show "(None)": OK does nothing.
    setCheck([this]() -> std::optional<QString> {
        return settings().acceptable() ? std::nullopt : std::optional<QString>(QString());
    });
}

FftSettings FftDialog::settings() const {
    FftSettings s;
    s.real = pickedDocument(documents_, real_, true);
    s.imaginary = pickedDocument(documents_, imaginary_, true);
    s.inverse = inverse_->isChecked();
    s.magnitude = magnitude_->isChecked();
    s.force = force_->isChecked();
    return s;
}

// --- Mix ----------------------------------------------------------------------------------

MixDialog::MixDialog(const std::vector<CKorvelDoc*>& documents, const MixSettings& s,
                     QWidget* parent)
    : FormDialog(QStringLiteral("Mix"), parent),
      documents_(documents),
      destination_(new QComboBox(this)),
      source_(new QComboBox(this)),
      operation_(new QComboBox(this)),
      xOffset_(new QSpinBox(this)),
      yOffset_(new QSpinBox(this)),
      mixAlpha_(new QCheckBox(QStringLiteral("Mix alpha channel"), this)),
      preview_(new QLabel(this)) {
    fillPicker(destination_, documents, false);
    fillPicker(source_, documents, false);
    destination_->setCurrentIndex(pickerIndex(documents, s.destination, false));
    source_->setCurrentIndex(pickerIndex(documents, s.source, false));
    for (const char* name : MixSettings::operationNames()) {
        operation_->addItem(QString::fromLatin1(name));
    }
    operation_->setCurrentIndex(s.operationPosition);
    for (QSpinBox* b : {xOffset_, yOffset_}) {
        b->setRange(-100000, 100000);
    }
    xOffset_->setValue(s.xOffset);
    yOffset_->setValue(s.yOffset);
    mixAlpha_->setChecked(s.mixAlpha);
    form()->addRow(QStringLiteral("Dst :"), destination_);
    form()->addRow(QStringLiteral("Src :"), source_);
    form()->addRow(QStringLiteral("OpType :"), operation_);
    form()->addRow(QStringLiteral("X offset :"), xOffset_);
    form()->addRow(QStringLiteral("Y offset :"), yOffset_);
    form()->addRow(QString(), mixAlpha_);
    auto* refresh = new QPushButton(QStringLiteral("Refresh Preview"), this);
    extra()->addWidget(refresh);
    extra()->addWidget(preview_);
    connect(refresh, &QPushButton::clicked, this, [this] { refreshPreview(); });
    refreshPreview();
}

void MixDialog::refreshPreview() {
    const MixSettings s = settings();
    if (!s.destination || !s.destination->hasPicture() || !s.source || !s.source->hasPicture()) {
        preview_->clear();
        return;
    }
    const KxImage mixed = mixPreview(*s.destination->image(), *s.source->image(), s);
    preview_->setPixmap(QPixmap::fromImage(mixed.MakeBitmap()));
}

MixSettings MixDialog::settings() const {
    MixSettings s;
    s.destination = pickedDocument(documents_, destination_, false);
    s.source = pickedDocument(documents_, source_, false);
    s.operationPosition = operation_->currentIndex();
    s.xOffset = xOffset_->value();
    s.yOffset = yOffset_->value();
    s.mixAlpha = mixAlpha_->isChecked();
    return s;
}

// --- JPEG compression ---------------------------------------------------------------------

JpegCompressionDialog::JpegCompressionDialog(const JpegCompressionSettings& s, QWidget* parent)
    : FormDialog(QStringLiteral("JPEG compression"), parent),
      quality_(integerEdit(this, s.quality)) {
    form()->addRow(QStringLiteral("Level [0 ... 255]"), quality_);
    format_ = radioRow(this, form(), QStringLiteral("Format"),
                       {"Jpeg standard (JPG)", "Jpeg 2000 (JPC, JP2)"},
                       s.type == KXIMAGE_FORMAT_JPC ? 1 : 0, true);
    setCheck([this] { return checkIntegerField(quality_, 0, 100); });
}

JpegCompressionSettings JpegCompressionDialog::settings() const {
    JpegCompressionSettings s;
    s.quality = integerField(quality_);
    s.type = format_->checkedId() == 1 ? KXIMAGE_FORMAT_JPC : KXIMAGE_FORMAT_JPG;
    return s;
}

}  // namespace korvel::document
