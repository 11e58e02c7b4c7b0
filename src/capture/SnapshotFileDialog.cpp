#include "capture/SnapshotFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QStringList>

namespace korvel::capture {

std::optional<SaveDialogAnswer> askSavePath(QWidget* parent, const SaveDialogRequest& request) {
    QStringList filters;
    for (const FileFilter& filter : request.filters) {
        filters << QString::fromStdString(filter.description);
    }
    // Owned here; a guard, because the owner may close while the dialog runs.
    QPointer<QFileDialog> dialog = new QFileDialog(parent, QString::fromStdString(request.title));
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);  // in an existing folder
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog->setNameFilters(filters);
    dialog->setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.folder.empty()) {
        dialog->setDirectory(QString::fromStdString(request.folder));
    }
    const int initial = request.initialFilter - 1;
    if (initial >= 0 && initial < filters.size()) {
        dialog->selectNameFilter(filters[initial]);
    }
    // A typed name without an extension gets the one of the filter in use, so that the
    // name matches the file type the filter chooses.
    QFileDialog* raw = dialog.data();
    const auto followFilter = [&request, filters, raw](const QString& chosen) {
        const auto at = filters.indexOf(chosen);
        if (at >= 0 && std::size_t(at) < request.filters.size()) {
            const QString pattern =
                QString::fromStdString(request.filters[std::size_t(at)].pattern);
            raw->setDefaultSuffix(pattern.section(QLatin1Char('.'), -1));
        }
    };
    QObject::connect(raw, &QFileDialog::filterSelected, raw, followFilter);
    if (initial >= 0 && initial < filters.size()) {
        followFilter(filters[initial]);
    }
    dialog->selectFile(QString::fromStdString(request.defaultName));
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog) {
        return std::nullopt;
    }
    std::optional<SaveDialogAnswer> answer;
    if (accepted && !dialog->selectedFiles().isEmpty()) {
        answer =
            SaveDialogAnswer{dialog->selectedFiles().first().toStdString(),
                             static_cast<int>(filters.indexOf(dialog->selectedNameFilter())) + 1};
    }
    delete dialog.data();
    return answer;
}

}  // namespace korvel::capture
