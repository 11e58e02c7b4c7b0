#include "camera/SelectCameraDialog.h"

#include "camera/CameraModels.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace korvel::camera {

namespace {
QString text(std::string_view view) {
    return QString::fromLatin1(view.data(), static_cast<qsizetype>(view.size()));
}
}  // namespace

std::optional<CameraVariants> cameraVariants(int typeId) {
    // The pairs: mono 18 with colour 3, mono 12 with colour 13, mono 17 with colour 23.
    static constexpr std::pair<int, int> kPairs[] = {{18, 3}, {12, 13}, {17, 23}};
    for (const auto& [mono, colour] : kPairs) {
        if (typeId == mono || typeId == colour) {
            const CameraModel* monoModel = findCameraModel(mono);
            const CameraModel* colourModel = findCameraModel(colour);
            if (!monoModel || !colourModel) {
                return std::nullopt;
            }
            return CameraVariants{mono, colour, text(monoModel->selectCameraText),
                                  text(colourModel->selectCameraText)};
        }
    }
    return std::nullopt;
}

SelectCameraDialog::SelectCameraDialog(const CameraVariants& variants, QWidget* parent)
    : QDialog(parent), variants_(variants), list_(new QListWidget(this)) {
    setWindowTitle(tr("Select Camera"));
    list_->setObjectName(QStringLiteral("CameraList6002"));
    list_->addItems({variants.monoText, variants.colourText});
    list_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

int SelectCameraDialog::chosenTypeId() const {
    return list_->currentRow() == 1 ? variants_.colourTypeId : variants_.monoTypeId;
}

}  // namespace korvel::camera
