#include "document/ImageFileDialog.h"

#include <QFileDialog>

namespace korvel::document {

bool runImageFileDialog(ImageFileRequest& request, QWidget* parent) {
    QFileDialog dialog(parent, request.title);
    const bool open = request.mode == FileDialogMode::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilters(request.setup.filters);
    if (request.setup.filterIndex >= 1 &&
        request.setup.filterIndex <= request.setup.filters.size()) {
        dialog.selectNameFilter(request.setup.filters[request.setup.filterIndex - 1]);
    }
    dialog.setDefaultSuffix(request.setup.defaultExtension);
    if (!request.path.isEmpty()) {
        dialog.selectFile(request.path);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    request.path = dialog.selectedFiles().front();
    request.chosenFilter =
        static_cast<int>(request.setup.filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

bool promptForImageFile(QString& path, FileDialogMode mode, int* formatId,
                        const ImageFileDialogRunner& runner, QWidget* parent) {
    ImageFileRequest request;
    request.mode = mode;
    request.title = mode == FileDialogMode::Open ? QStringLiteral("Open image file")
                                                 : QStringLiteral("Save image file");
    request.setup = imageFileDialogSetup(mode, formatId ? *formatId : 0);
    request.path = path;
    request.chosenFilter = request.setup.filterIndex;
    if (!(runner ? runner : runImageFileDialog)(request, parent)) {
        return false;
    }
    path = request.path;
    if (formatId && request.chosenFilter >= 1 &&
        request.chosenFilter <= static_cast<int>(request.setup.formatIds.size())) {
        *formatId = request.setup.formatIds[static_cast<std::size_t>(request.chosenFilter - 1)];
    }
    return true;
}

}  // namespace korvel::document
